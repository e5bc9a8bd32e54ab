#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QRadioButton>

#include "ui/window_context.h"

namespace tavrin {

// The sign colour dialog: a three-colour or a single-colour sign, and whether to ask at start.
class TsignColorfrm : public QDialog {
  Q_OBJECT
 public:
  // A window of its own, not a child of the main window: it must stay usable while the main
  // window waits, disabled, for it at start.
  explicit TsignColorfrm(WindowContext& context);

  // Checks "TRIPLE COLOR" when color is 2 (else "SINGLE COLOR"), and the start-up box when
  // showForm is 1.
  void Preset(int color, int showForm);

  // The start-up: when the settings ask for it, the dialog is shown (not modal, on top) over
  // the main window, which stays disabled until the dialog closes.
  void StartUp();
  // Whether the settings ask for the dialog when the program starts.
  static bool WantedAtStart(const Settings& settings);
  // "Show Color Setting...": the settings read afresh, the dialog shown modally.
  void ShowSetting();

  void Button1Click();  // OK: write, apply, close
  void Button2Click();  // Cancel: close

 protected:
  void done(int result) override;

 private:
  WindowContext& m_context;
  QRadioButton* m_tripleColor = nullptr;
  QRadioButton* m_singleColor = nullptr;
  QCheckBox* m_showAtStart = nullptr;
};

}  // namespace tavrin
