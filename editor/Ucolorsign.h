#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QRadioButton>

#include "editor/app_windows.h"
#include "editor/settings_file.h"

namespace tavrin {

// The sign colour dialog: a three-colour or a single-colour sign, and whether to ask at start.
class TsignColorfrm : public QDialog {
  Q_OBJECT
 public:
  TsignColorfrm(SettingsFile& settings, QWidget* parent = nullptr);

  void Attach(const AppWindows& windows) { m_windows = windows; }

  // Checks "TRIPLE COLOR" when color is 2 (else "SINGLE COLOR"), and the start-up box when
  // showForm is 1.
  void Preset(int color, int showForm);

  void Button1Click();  // OK: write, apply, close
  void Button2Click();  // Cancel: close

 protected:
  void done(int result) override;

 private:
  SettingsFile& m_settings;
  AppWindows m_windows;
  QRadioButton* m_rb02 = nullptr;
  QRadioButton* m_rb01 = nullptr;
  QCheckBox* m_checkBox1 = nullptr;
};

}  // namespace tavrin
