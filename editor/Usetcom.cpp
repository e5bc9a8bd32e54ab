#include "editor/Usetcom.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "editor/vocabulary.h"
#include "ui/controls.h"

namespace tavrin {

TSetCom::TSetCom(WindowContext& context) : QDialog(context.MainWindow()), m_context(context) {
  setObjectName("SetCom");
  setWindowTitle("SetCom");
  auto* layout = new QVBoxLayout(this);

  m_comPanel = new QWidget(this);
  m_comPanel->setObjectName("ComPanel");
  auto* com = new QHBoxLayout(m_comPanel);
  com->addWidget(new QLabel("COM Port:", m_comPanel));
  m_comboBox1 = MakeList(m_comPanel, "ComboBox1");
  for (int port = 1; port <= 255; ++port) m_comboBox1->addItem(QString("COM%1").arg(port));
  MakePickOnly(m_comboBox1);
  com->addWidget(m_comboBox1);
  auto* ok = MakeButton(m_comPanel, "OK", "OK");
  com->addWidget(ok);
  connect(ok, &QPushButton::clicked, this, &TSetCom::OKClick);
  layout->addWidget(m_comPanel);

  m_displayPanel = new QWidget(this);
  m_displayPanel->setObjectName("displayPanel");
  auto* display = new QHBoxLayout(m_displayPanel);
  display->addWidget(new QLabel("Display Time:", m_displayPanel));
  m_comboBox2 = MakeList(m_displayPanel, "ComboBox2");
  // The entries are the wait tags without their brackets: "0.5Sec" ... "25Sec".
  for (const std::string_view tag : Table(TagTable::Wait).tags) {
    m_comboBox2->addItem(FromUtf8(tag.substr(1, tag.size() - 2)));
  }
  m_comboBox2->setCurrentIndex(0);
  MakePickOnly(m_comboBox2);
  display->addWidget(m_comboBox2);
  auto* displayOk = MakeButton(m_displayPanel, "DisplayTimebtn", "OK");
  display->addWidget(displayOk);
  connect(displayOk, &QPushButton::clicked, this, &TSetCom::DisplayTimebtnClick);
  layout->addWidget(m_displayPanel);

  // A stored port beyond the list selects nothing.
  const int port = PortNumber();
  m_comboBox1->setCurrentIndex(port <= 255 ? port - 1 : -1);
}

void TSetCom::PreparePanel(QWidget* panel, const char* caption) {
  for (QWidget* p : {m_comPanel, m_displayPanel}) p->setVisible(p == panel);
  setWindowTitle(caption);
  adjustSize();
  CentreOnScreen(this, m_context.MainWindow());
}

void TSetCom::ShowComPanel() {
  PreparePanel(m_comPanel, "Set COM");
  exec();
}

void TSetCom::ShowDisplayPanel() {
  PreparePanel(m_displayPanel, "Display Time");
  exec();
}

void TSetCom::OKClick() {
  const int port = m_comboBox1->currentIndex() + 1;
  m_context.Road().SetPortNumber(port);
  if (Status s = m_context.AppSettings().SetPortNumber(port); !s) {
    m_context.Notices().FileErr(s.ErrorText());
  }
  accept();
}

void TSetCom::DisplayTimebtnClick() {
  m_context.InsertAtCaret("<" + m_comboBox2->currentText() + ">");
  accept();
}

}  // namespace tavrin
