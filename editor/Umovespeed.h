#pragma once

#include <QComboBox>
#include <QDialog>
#include <QSlider>
#include <QWidget>

#include "ui/window_context.h"

namespace tavrin {

// Move speed and starting column: inserts "<Speed n>" or "<COL nnn>" at the main window's
// caret. Shown without blocking the main window.
class TMoveSpeedfrm : public QDialog {
  Q_OBJECT
 public:
  explicit TMoveSpeedfrm(WindowContext& context);

  void ShowSpeedPanel();
  void ShowColumnPanel();

  void Button1Click();  // starting column
  void OKClick();       // move speed

 private:
  void ShowPanel(QWidget* panel, QWidget* hidden, const char* caption);

  WindowContext& m_context;
  QWidget* m_columnPanel = nullptr;
  QWidget* m_speedPanel = nullptr;
  QComboBox* m_columns = nullptr;
  QSlider* m_speed = nullptr;
};

}  // namespace tavrin
