#include "ui/notice_box.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "ui/controls.h"

namespace tavrin {

NoticeAnswer QtNotice::Show(NoticeKind kind, NoticeButtons buttons, const std::string& text) {
  return ShowNotice(NoticeText{kind, buttons, text, {}});
}

NoticeAnswer QtNotice::ShowNotice(const NoticeText& notice) {
  const NoticeKind kind = notice.kind;
  const NoticeButtons buttons = notice.buttons;
  QMessageBox box(m_parent);
  box.setWindowTitle(QCoreApplication::applicationName());
  box.setText(FromUtf8(notice.text));
  if (!notice.detail.empty()) box.setInformativeText(FromUtf8(notice.detail));
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
    case NoticeButtons::SaveDiscardCancel:
      box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Save);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::No:
      return NoticeAnswer::No;
    case QMessageBox::Ok:
      return NoticeAnswer::Ok;
    case QMessageBox::Save:
      return NoticeAnswer::Save;
    case QMessageBox::Discard:
      return NoticeAnswer::Discard;
    case QMessageBox::Cancel:
      return NoticeAnswer::Cancel;
    default:
      // Closed without a button (Escape): the safe answer.
      return buttons == NoticeButtons::SaveDiscardCancel ? NoticeAnswer::Cancel
             : buttons == NoticeButtons::YesNo           ? NoticeAnswer::No
                                                         : NoticeAnswer::Yes;
  }
}

}  // namespace tavrin
