#include "editor/Usetcom.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "editor/Unit1.h"
#include "editor/qt_seams.h"
#include "editor/vocabulary.h"

namespace tavrin {

TSetCom::TSetCom(SettingsFile& settings, QWidget* parent) : QDialog(parent), m_settings(settings) {
  setObjectName("SetCom");
  setWindowTitle("SetCom");
  auto* layout = new QVBoxLayout(this);

  m_comPanel = new QWidget(this);
  m_comPanel->setObjectName("ComPanel");
  auto* com = new QHBoxLayout(m_comPanel);
  com->addWidget(new QLabel("COM Port:", m_comPanel));
  m_comboBox1 = new QComboBox(m_comPanel);
  m_comboBox1->setObjectName("ComboBox1");
  for (int port = 1; port <= 255; ++port) m_comboBox1->addItem(QString("COM%1").arg(port));
  MakePickOnly(m_comboBox1);
  com->addWidget(m_comboBox1);
  auto* ok = new QPushButton("OK", m_comPanel);
  ok->setObjectName("OK");
  com->addWidget(ok);
  connect(ok, &QPushButton::clicked, this, &TSetCom::OKClick);
  layout->addWidget(m_comPanel);

  m_displayPanel = new QWidget(this);
  m_displayPanel->setObjectName("displayPanel");
  auto* display = new QHBoxLayout(m_displayPanel);
  display->addWidget(new QLabel("Display Time:", m_displayPanel));
  m_comboBox2 = new QComboBox(m_displayPanel);
  m_comboBox2->setObjectName("ComboBox2");
  for (const std::string_view tag : Table(TagTable::Wait).tags) {
    m_comboBox2->addItem(QString::fromLatin1(tag.substr(1, tag.size() - 2).data(),
                                             static_cast<qsizetype>(tag.size() - 2)));
  }
  m_comboBox2->setCurrentIndex(0);
  MakePickOnly(m_comboBox2);
  display->addWidget(m_comboBox2);
  auto* displayOk = new QPushButton("OK", m_displayPanel);
  displayOk->setObjectName("DisplayTimebtn");
  display->addWidget(displayOk);
  connect(displayOk, &QPushButton::clicked, this, &TSetCom::DisplayTimebtnClick);
  layout->addWidget(m_displayPanel);

  const int stored = m_settings.ReadInt(kSignSection, kComPortKey, 1);
  m_portNumber = stored < 1 ? 1 : stored;
  // A stored port beyond the list selects nothing.
  m_comboBox1->setCurrentIndex(m_portNumber <= 255 ? m_portNumber - 1 : -1);
}

void TSetCom::ShowComPanel() {
  m_displayPanel->hide();
  m_comPanel->show();
  setWindowTitle("Set COM");
  exec();
}

void TSetCom::ShowDisplayPanel() {
  m_comPanel->hide();
  m_displayPanel->show();
  setWindowTitle("Display Time");
  exec();
}

void TSetCom::OKClick() {
  m_portNumber = m_comboBox1->currentIndex() + 1;
  if (Status s = m_settings.WriteInt(kSignSection, kComPortKey, m_portNumber);
      !s && m_windows.form1 != nullptr) {
    m_windows.form1->GetNotice().Err(s.ErrorText());
  }
  accept();
}

void TSetCom::DisplayTimebtnClick() {
  if (m_windows.form1 != nullptr)
    m_windows.form1->InsertAtCaret("<" + m_comboBox2->currentText() + ">");
  accept();
}

}  // namespace tavrin
