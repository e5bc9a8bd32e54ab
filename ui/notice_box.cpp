#include "ui/notice_box.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "ui/controls.h"

namespace tavrin {

NoticeAnswer QtNotice::Show(NoticeKind kind, NoticeButtons buttons, const std::string& text) {
  QMessageBox box(m_parent);
  box.setWindowTitle(QCoreApplication::applicationName());
  box.setText(FromUtf8(text));
  switch (kind) {
    case NoticeKind::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case NoticeKind::Error:
      box.setIcon(QMessageBox::Critical);
      break;
    case NoticeKind::Confirmation:
      box.setIcon(QMessageBox::Question);
      break;
    case NoticeKind::Plain:
      box.setIcon(QMessageBox::NoIcon);
      break;
  }
  switch (buttons) {
    case NoticeButtons::Yes:
      box.setStandardButtons(QMessageBox::Yes);
      break;
    case NoticeButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case NoticeButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
  }
  const int answer = box.exec();
  if (answer == QMessageBox::No) return NoticeAnswer::No;
  return answer == QMessageBox::Ok ? NoticeAnswer::Ok : NoticeAnswer::Yes;
}

}  // namespace tavrin
