#pragma once

#include <QStringList>
#include <string>

#include "functions/notice.h"

namespace tavrin::testing {

// Notices of the windows under test: their texts are kept in order, questions are answered
// Yes and the other boxes closed with their one button.
class RecordingNotice : public Notice {
 public:
  QStringList shown;

  NoticeAnswer Show(NoticeKind, NoticeButtons buttons, const std::string& text) override {
    shown << QString::fromStdString(text);
    return buttons == NoticeButtons::Ok ? NoticeAnswer::Ok : NoticeAnswer::Yes;
  }
};

}  // namespace tavrin::testing
