#pragma once

#include <QDialog>
#include <QPixmap>

namespace tavrin {

// The program's picture: a small LED sign showing "T" (the window icon where the desktop has
// no "tavrin" icon).
QPixmap ProgramPicture();

// The about box: the program's picture, its version and an OK button.
class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);
};

}  // namespace tavrin
