#include "functions/Ulinkpage.h"

#include <QLabel>
#include <QVBoxLayout>

#include "editor/qt_seams.h"

namespace tavrin {

TLinkpagefrm::TLinkpagefrm(TForm1* form1) : QDialog(form1), m_form1(form1) {
  setObjectName("Linkpagefrm");
  setWindowTitle("Link Pages");
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Sign ID:", this));
  m_comboBox1 = new QComboBox(this);
  m_comboBox1->setObjectName("ComboBox1");
  FillSignIds(m_comboBox1);
  layout->addWidget(m_comboBox1);
  layout->addWidget(new QLabel("Page: (e.g. abcED)", this));
  m_edit1 = new QLineEdit(this);
  m_edit1->setObjectName("Edit1");
  MakeLettersOnly(m_edit1);
  layout->addWidget(m_edit1);
  m_ok = new QPushButton("OK", this);
  m_ok->setObjectName("OK");
  m_ok->setAutoDefault(false);
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
  m_ok->setEnabled(false);
  SignSession session = m_form1->Session();
  LinkPages(session, static_cast<std::uint8_t>(m_comboBox1->currentIndex()),
            m_edit1->text().toStdString());
  m_ok->setEnabled(true);
}

}  // namespace tavrin
