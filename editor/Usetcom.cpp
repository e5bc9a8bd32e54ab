#include "editor/Usetcom.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "editor/vocabulary.h"
#include "signlink/sign_link.h"
#include "ui/controls.h"

namespace tavrin {

TSetCom::TSetCom(WindowContext& context) : QDialog(context.MainWindow()), m_context(context) {
  setObjectName("SetCom");
  setWindowTitle("SetCom");
  auto* layout = new QVBoxLayout(this);

  m_comPanel = new QWidget(this);
  m_comPanel->setObjectName("ComPanel");
  auto* comColumn = new QVBoxLayout(m_comPanel);
  auto* com = new QHBoxLayout;
  com->addWidget(new QLabel("COM Port:", m_comPanel));
  m_comPorts = MakeList(m_comPanel, "ComboBox1");
  for (int port = 1; port <= 255; ++port) m_comPorts->addItem(QString("COM%1").arg(port));
  MakePickOnly(m_comPorts);
  com->addWidget(m_comPorts);
  auto* ok = MakeButton(m_comPanel, "OK", "OK");
  com->addWidget(ok);
  connect(ok, &QPushButton::clicked, this, &TSetCom::OKClick);
  comColumn->addLayout(com);
  m_portDevice = new QLineEdit(m_comPanel);
  m_portDevice->setObjectName("PortDevice");
  m_portDevice->setPlaceholderText("the port's usual device");
  m_portDevice->setToolTip(
      "What the port opens: a serial device (/dev/ttyUSB0, /dev/serial/by-id/...), or "
      "HOST:PORT of a serial device server or a virtual sign. Empty: the port's usual device.");
#ifndef _WIN32
  comColumn->addLayout(LabelledRow(m_comPanel, "Device or HOST:PORT:", m_portDevice));
#else
  m_portDevice->hide();  // Windows names its ports itself
#endif
  connect(m_comPorts, &QComboBox::currentIndexChanged, this, &TSetCom::ShowPortDevice);
  comColumn->addWidget(new QLabel("Serial devices present:", m_comPanel));
  m_portList = new QListWidget(m_comPanel);
  m_portList->setObjectName("PortList");
  m_portList->setMinimumWidth(420);
  m_portList->setMaximumHeight(120);
  comColumn->addWidget(m_portList);
  connect(m_portList, &QListWidget::itemClicked, this, &TSetCom::PortListClick);
  m_portSource = [this] { return ListSerialPorts(m_context.AppSettings()); };
  layout->addWidget(m_comPanel);

  m_displayPanel = new QWidget(this);
  m_displayPanel->setObjectName("displayPanel");
  auto* display = new QHBoxLayout(m_displayPanel);
  display->addWidget(new QLabel("Display Time:", m_displayPanel));
  m_displayTimes = MakeList(m_displayPanel, "ComboBox2");
  // The entries are the wait tags without their brackets: "0.5Sec" ... "25Sec".
  for (const std::string_view tag : Table(TagTable::Wait).tags) {
    m_displayTimes->addItem(FromUtf8(tag.substr(1, tag.size() - 2)));
  }
  m_displayTimes->setCurrentIndex(0);
  MakePickOnly(m_displayTimes);
  display->addWidget(m_displayTimes);
  auto* displayOk = MakeButton(m_displayPanel, "DisplayTimebtn", "OK");
  display->addWidget(displayOk);
  connect(displayOk, &QPushButton::clicked, this, &TSetCom::DisplayTimebtnClick);
  layout->addWidget(m_displayPanel);

  // A stored port beyond the list selects nothing.
  const int port = PortNumber();
  m_comPorts->setCurrentIndex(port <= 255 ? port - 1 : -1);
  ShowPortDevice();
}

void TSetCom::ShowPortDevice() {
  const int port = m_comPorts->currentIndex() + 1;
  m_portDevice->setText(port > 0 ? FromUtf8(m_context.AppSettings().PortDevice(port)) : QString());
}

bool TSetCom::KeepPortDevice(int port) {
  const std::string device = ToUtf8(m_portDevice->text().trimmed());
  if (device == m_context.AppSettings().PortDevice(port)) return true;
  std::string host;
  int tcpPort = 0;
  if (!device.empty() && !device.starts_with('/') && !ParseHostPort(device, host, tcpPort)) {
    m_context.Notices().FileErr("\"" + device +
                                "\" is neither a device path (/dev/...) nor HOST:PORT (a serial "
                                "device server or a virtual sign, sign.local:4001)");
    return false;
  }
  if (Status s = m_context.AppSettings().SetPortDevice(port, device); !s) {
    m_context.Notices().FileErr(s.ErrorText());
    return false;
  }
  return true;
}

void TSetCom::PreparePanel(QWidget* panel, const char* caption) {
  for (QWidget* p : {m_comPanel, m_displayPanel}) p->setVisible(p == panel);
  setWindowTitle(caption);
  adjustSize();
  CentreOnScreen(this, m_context.MainWindow());
}

void TSetCom::ShowComPanel() {
  FillPortList();
  PreparePanel(m_comPanel, "Set COM");
  exec();
}

void TSetCom::SetPortSource(std::function<std::vector<SerialPortInfo>()> source) {
  m_portSource = std::move(source);
}

void TSetCom::FillPortList() {
  m_ports = m_portSource();
  m_portList->clear();
  for (const SerialPortInfo& p : m_ports) {
    QString line = p.comNumber > 0 ? QString("COM%1").arg(p.comNumber) : QString("  -  ");
    line += "   " + QString::fromStdString(p.device) + "   ";
    if (!p.present) {
      line += "(not present)";
    } else {
      line +=
          p.description.empty() ? QString("serial port") : QString::fromStdString(p.description);
    }
    auto* item = new QListWidgetItem(line, m_portList);
    if (!p.stableName.empty()) item->setToolTip(QString::fromStdString(p.stableName));
  }
  if (m_ports.empty()) {
    auto* none = new QListWidgetItem("No serial devices found", m_portList);
    none->setFlags(Qt::NoItemFlags);
  }
}

void TSetCom::PortListClick() {
  const int row = m_portList->currentRow();
  if (row < 0 || row >= static_cast<int>(m_ports.size())) return;
  const SerialPortInfo& chosen = m_ports[row];
  if (chosen.comNumber > 0) m_comPorts->setCurrentIndex(chosen.comNumber - 1);
  // By the adapter's stable name when it has one, so that it stays the same port after a
  // replug.
  if (chosen.present) {
    m_portDevice->setText(FromUtf8(chosen.stableName.empty() ? chosen.device : chosen.stableName));
  }
}

void TSetCom::ShowDisplayPanel() {
  PreparePanel(m_displayPanel, "Display Time");
  exec();
}

void TSetCom::OKClick() {
  const int port = m_comPorts->currentIndex() + 1;
#ifndef _WIN32
  // The dialog stays for a field that cannot be kept.
  if (!KeepPortDevice(port)) return;
#endif
  m_context.Road().SetPortNumber(port);
  if (Status s = m_context.AppSettings().SetPortNumber(port); !s) {
    m_context.Notices().FileErr(s.ErrorText());
  }
  accept();
}

void TSetCom::DisplayTimebtnClick() {
  m_context.InsertAtCaret("<" + m_displayTimes->currentText() + ">");
  accept();
}

}  // namespace tavrin
