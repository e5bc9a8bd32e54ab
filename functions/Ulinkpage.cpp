#include "functions/Ulinkpage.h"

#include <QLabel>
#include <QVBoxLayout>

#include "functions/sign_plans.h"
#include "ui/command_runner.h"
#include "ui/controls.h"
#include "ui/sign_runner.h"

namespace tavrin {

TLinkpagefrm::TLinkpagefrm(WindowContext& context)
    : QDialog(context.MainWindow()), m_context(context) {
  setObjectName("Linkpagefrm");
  setWindowTitle("Link Pages");
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  m_signIds = MakeList(this, "ComboBox1");
  FillSignIds(m_signIds);
  m_target = new SignTargetChooser(m_context.AppWorkspace().signs, m_signIds, this);
  layout->addWidget(m_target);
  layout->addWidget(new QLabel("Sign ID:", this));
  layout->addWidget(m_signIds);
  layout->addWidget(new QLabel("Page: (e.g. abcED)", this));
  m_pages = new QLineEdit(this);
  m_pages->setObjectName("Edit1");
  MakeLettersOnly(m_pages);
  layout->addWidget(m_pages);
  m_ok = MakeButton(this, "OK", "OK");
  layout->addWidget(m_ok);
  connect(m_ok, &QPushButton::clicked, this, &TLinkpagefrm::OKClick);
}

void TLinkpagefrm::Open() {
  show();
  raise();
  activateWindow();
  m_pages->setFocus();
}

void TLinkpagefrm::OKClick() {
  const std::string pages = ToUtf8(m_pages->text());
  StartForTarget(m_context, m_target, m_signIds,
                 [&](std::uint8_t id) { return PlanLinkPages(id, pages); },
                 {this, m_ok, {}, {}, {}, {}});
}

}  // namespace tavrin
