#pragma once

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <functional>

#include "ui/sign_target.h"
#include "ui/window_context.h"

namespace tavrin {

// "Recall Default Font": asks which sign, then tells it to go back to its default font and
// puts the PC's European table back to its default picture. Made for each use.
class TDeleteFontfrm : public QDialog {
  Q_OBJECT
 public:
  // recallPicture is called once the sign accepted the recall.
  TDeleteFontfrm(WindowContext& context, std::function<void()> recallPicture);

  void Button1Click();  // Yes: recall

 private:
  WindowContext& m_context;
  std::function<void()> m_recallPicture;
  QComboBox* m_signIds = nullptr;
  QPushButton* m_recall = nullptr;
  SignTargetChooser* m_target = nullptr;
};

}  // namespace tavrin
