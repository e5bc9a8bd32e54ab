#include "functions/Ulinkpage.h"

#include <QLabel>
#include <QVBoxLayout>

#include "functions/sign_plans.h"
#include "ui/command_runner.h"
#include "ui/controls.h"

namespace tavrin {

TLinkpagefrm::TLinkpagefrm(WindowContext& context)
    : QDialog(context.MainWindow()), m_context(context) {
  setObjectName("Linkpagefrm");
  setWindowTitle("Link Pages");
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Sign ID:", this));
  m_comboBox1 = MakeList(this, "ComboBox1");
  FillSignIds(m_comboBox1);
  layout->addWidget(m_comboBox1);
  layout->addWidget(new QLabel("Page: (e.g. abcED)", this));
  m_edit1 = new QLineEdit(this);
  m_edit1->setObjectName("Edit1");
  MakeLettersOnly(m_edit1);
  layout->addWidget(m_edit1);
  m_ok = MakeButton(this, "OK", "OK");
  layout->addWidget(m_ok);
  connect(m_ok, &QPushButton::clicked, this, &TLinkpagefrm::OKClick);
}

void TLinkpagefrm::Open() {
  show();
  raise();
  activateWindow();
  m_edit1->setFocus();
}

void TLinkpagefrm::OKClick() {
  StartCommand(m_context.Road(), m_context.Notices(),
               PlanLinkPages(SelectedSignId(m_comboBox1), ToUtf8(m_edit1->text())),
               {this, m_ok, {}, {}, {}, {}});
}

}  // namespace tavrin
