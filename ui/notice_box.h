#pragma once

#include "common/notice.h"

class QWidget;

namespace tavrin {

// Notices as message boxes over a parent window: information and "is Over" texts with an
// information icon, errors with a critical icon, questions with a question mark, failures of
// a command as a plain box; the buttons as the notice names them.
class QtNotice : public Notice {
 public:
  explicit QtNotice(QWidget* parent) : m_parent(parent) {}
  NoticeAnswer Show(NoticeKind kind, NoticeButtons buttons, const std::string& text) override;
  // The detail, when there is one, is shown under the text.
  NoticeAnswer ShowNotice(const NoticeText& notice) override;

 private:
  QWidget* m_parent;
};

}  // namespace tavrin
