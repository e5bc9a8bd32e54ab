#pragma once

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QWidget>

#include "editor/app_windows.h"
#include "editor/settings_file.h"

namespace tavrin {

// The communication settings dialog: the port panel chooses the serial port every sign
// function opens; the display time panel inserts a wait tag into the message.
class TSetCom : public QDialog {
  Q_OBJECT
 public:
  TSetCom(SettingsFile& settings, QWidget* parent = nullptr);

  void Attach(const AppWindows& windows) { m_windows = windows; }

  // The port the sign functions open: "comport" when the dialog was made (below 1 reads as
  // 1), then whatever "OK" stored.
  int PortNumber() const { return m_portNumber; }

  // The main window's "Set COM..." and "Display Time...": one panel, its caption, modal.
  void ShowComPanel();
  void ShowDisplayPanel();

  void OKClick();
  void DisplayTimebtnClick();

 private:
  SettingsFile& m_settings;
  AppWindows m_windows;
  int m_portNumber = 1;
  QWidget* m_comPanel = nullptr;
  QWidget* m_displayPanel = nullptr;
  QComboBox* m_comboBox1 = nullptr;
  QComboBox* m_comboBox2 = nullptr;
};

}  // namespace tavrin
