#pragma once

#include <QDialog>
#include <QLabel>

namespace tavrin {

class TGraphicForm;

// The bitmap dialog of the graphic editor: a preview at one pixel per cell, and the editor's
// export and import (the actions of its hidden buttons). Both leave the dialog open.
class TBmpSaveLoad : public QDialog {
  Q_OBJECT
 public:
  explicit TBmpSaveLoad(TGraphicForm& editor);

  // Draws the preview afresh: white, then cell (c, r) of the W x H graphic at pixel (c, r).
  void FormActivate();
  QImage Preview() const;

  void exprotClick();
  void importClick();

 protected:
  bool event(QEvent* e) override;

 private:
  TGraphicForm& m_editor;
  QLabel* m_preview = nullptr;  // Image1
};

}  // namespace tavrin
