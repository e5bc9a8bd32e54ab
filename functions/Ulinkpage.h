#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "ui/sign_target.h"
#include "ui/window_context.h"

namespace tavrin {

// Link Pages: a run of pages for the sign to show, sent as schedule entry A. Shown without
// blocking the main window.
class TLinkpagefrm : public QDialog {
  Q_OBJECT
 public:
  explicit TLinkpagefrm(WindowContext& context);

  // Shows the window with the focus in the page field.
  void Open();
  void OKClick();

 private:
  WindowContext& m_context;
  QComboBox* m_signIds = nullptr;
  QLineEdit* m_pages = nullptr;
  QPushButton* m_ok = nullptr;
  SignTargetChooser* m_target = nullptr;
};

}  // namespace tavrin
