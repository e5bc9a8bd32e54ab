#include "functions/Udeleteuserfont.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "functions/font_plans.h"
#include "ui/command_runner.h"
#include "ui/controls.h"
#include "ui/sign_runner.h"

namespace tavrin {

TDeleteFontfrm::TDeleteFontfrm(WindowContext& context, std::function<void()> recallPicture)
    : QDialog(context.MainWindow()), m_context(context), m_recallPicture(std::move(recallPicture)) {
  setObjectName("DeleteFontfrm");
  setWindowTitle("Confirm");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* idRow = new QHBoxLayout;
  auto* label1 = new QLabel("Sign ID:", this);
  label1->setObjectName("Label1");
  QFont bold = label1->font();
  bold.setBold(true);
  label1->setFont(bold);
  m_signIds = MakeList(this, "ComboBox1");
  FillSignIds(m_signIds);
  idRow->addWidget(label1);
  idRow->addWidget(m_signIds, 1);
  m_target = new SignTargetChooser(m_context.AppWorkspace().signs, m_signIds, this);
  layout->addWidget(m_target);
  layout->addLayout(idRow);
  auto* body = new QHBoxLayout;
  auto* image1 = new QLabel(this);
  image1->setObjectName("Image1");
  image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
  auto* label2 = new QLabel(
      "Please connect the data cable to the sign.\nThis process recalls the Default Font to\nthe "
      "sign and PC program software. ",
      this);
  label2->setObjectName("Label2");
  body->addWidget(image1);
  body->addWidget(label2, 1);
  layout->addLayout(body);
  m_recall = MakeButton(this, "Button1", "Yes");
  auto* button2 = MakeButton(this, "Button2", "No");
  layout->addLayout(OkCancelRow(m_recall, button2));
  connect(m_recall, &QPushButton::clicked, this, &TDeleteFontfrm::Button1Click);
  connect(button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TDeleteFontfrm::Button1Click() {
  // The picture goes back once the sign accepted the recall, even if this dialog, made for
  // the one use, is gone by then.
  WindowCommand how{m_context.MainWindow(), m_recall, {}, {}, {}, {}};
  how.stepSent = [recall = m_recallPicture](std::size_t) {
    if (recall) recall();
  };
  StartForTarget(
      m_context, m_target, m_signIds, [](std::uint8_t id) { return PlanRecallDefaultFont(id); },
      std::move(how));
}

}  // namespace tavrin
