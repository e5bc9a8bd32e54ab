#pragma once

#include <QDialog>

namespace tavrin {

// The about box: the program's picture, its version and an OK button.
class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);
};

}  // namespace tavrin
