#pragma once

#include <QList>
#include <QStringList>
#include <functional>
#include <string>

#include "common/notice.h"

namespace tavrin::testing {

// Notices of the windows under test, kept in order with their kind and buttons: questions are
// answered as told (Yes by default), the other boxes closed with their one button.
class RecordingNotice : public Notice {
 public:
  struct Box {
    NoticeKind kind;
    NoticeButtons buttons;
    QString text;
  };

  QStringList shown;  // the texts alone
  QList<Box> boxes;
  NoticeAnswer answer = NoticeAnswer::Yes;
  std::function<void()> whileShown;  // runs as if the user acted while the box is up

  NoticeAnswer Show(NoticeKind kind, NoticeButtons buttons, const std::string& text) override {
    shown << QString::fromStdString(text);
    boxes << Box{kind, buttons, QString::fromStdString(text)};
    if (whileShown) whileShown();
    if (buttons == NoticeButtons::YesNo) return answer;
    return buttons == NoticeButtons::Ok ? NoticeAnswer::Ok : NoticeAnswer::Yes;
  }

  // Each box as "kind buttons: text", for comparing kind, buttons and text at once:
  // "information Yes", "error Yes", "error OK", "confirmation Yes", "question YesNo",
  // "plain OK".
  QStringList Described() const {
    QStringList out;
    for (const Box& b : boxes) out << Describe(b.kind, b.buttons) + ": " + b.text;
    return out;
  }
  static QString Describe(NoticeKind kind, NoticeButtons buttons) {
    if (buttons == NoticeButtons::YesNo) return "question YesNo";
    const char* kinds[] = {"information", "error", "confirmation", "plain"};
    return QString(kinds[static_cast<int>(kind)]) + (buttons == NoticeButtons::Ok ? " OK" : " Yes");
  }
  void Clear() {
    shown.clear();
    boxes.clear();
  }
};

}  // namespace tavrin::testing
