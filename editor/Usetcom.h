#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QWidget>
#include <functional>
#include <vector>

#include "signlink/serial_ports.h"
#include "ui/window_context.h"

namespace tavrin {

// The communication settings dialog: the port panel chooses the serial port every sign
// function opens, what that port opens (a device path, or HOST:PORT of a serial device server
// or a virtual sign; kept as the settings' "Ports" entry), and lists the serial devices
// present with the numbers that open them; the display time panel inserts a wait tag into the
// message.
class TSetCom : public QDialog {
  Q_OBJECT
 public:
  explicit TSetCom(WindowContext& context);

  // The port the sign functions open: "comport" when the dialog was made (below 1 reads as
  // 1), then whatever "OK" stored.
  int PortNumber() const { return m_context.Road().PortNumber(); }

  // Each shows one panel with its caption, modally.
  void ShowComPanel();
  void ShowDisplayPanel();
  void PreparePanel(QWidget* panel, const char* caption);

  void OKClick();
  void DisplayTimebtnClick();

  // Where the list of devices comes from (the system, but for tests).
  void SetPortSource(std::function<std::vector<SerialPortInfo>()> source);
  // Lists the devices present again.
  void FillPortList();

 private:
  // A device chosen in the list: its number is chosen in ComboBox1, its path in the field.
  void PortListClick();
  // The field shows what the chosen port opens now ("Ports" entry), or nothing.
  void ShowPortDevice();
  // Keeps the field as the port's "Ports" entry when it changed; false (and said why) when it
  // is neither a device path nor HOST:PORT.
  bool KeepPortDevice(int port);

  WindowContext& m_context;
  QWidget* m_comPanel = nullptr;
  QWidget* m_displayPanel = nullptr;
  QComboBox* m_comPorts = nullptr;
  QComboBox* m_displayTimes = nullptr;
  QListWidget* m_portList = nullptr;
  QLineEdit* m_portDevice = nullptr;
  std::vector<SerialPortInfo> m_ports;
  std::function<std::vector<SerialPortInfo>()> m_portSource;
};

}  // namespace tavrin
