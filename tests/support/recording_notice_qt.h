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

  QStringList shown;    // the texts alone
  QStringList details;  // the detail of each box, "" when it had none
  QList<Box> boxes;
  NoticeAnswer answer = NoticeAnswer::Yes;
  // The answers to "Save changes?", in turn; Cancel when they run out.
  QList<NoticeAnswer> saveAnswers;
  std::function<void()> whileShown;  // runs as if the user acted while the box is up

  NoticeAnswer Show(NoticeKind kind, NoticeButtons buttons, const std::string& text) override {
    return ShowNotice(NoticeText{kind, buttons, text, {}});
  }
  NoticeAnswer ShowNotice(const NoticeText& n) override {
    shown << QString::fromStdString(n.text);
    details << QString::fromStdString(n.detail);
    boxes << Box{n.kind, n.buttons, QString::fromStdString(n.text)};
    if (whileShown) whileShown();
    if (n.buttons == NoticeButtons::YesNo) return answer;
    if (n.buttons == NoticeButtons::SaveDiscardCancel) {
      return saveAnswers.isEmpty() ? NoticeAnswer::Cancel : saveAnswers.takeFirst();
    }
    return n.buttons == NoticeButtons::Ok ? NoticeAnswer::Ok : NoticeAnswer::Yes;
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
    if (buttons == NoticeButtons::SaveDiscardCancel) return "question SaveDiscardCancel";
    const char* kinds[] = {"information", "error", "confirmation", "plain"};
    return QString(kinds[static_cast<int>(kind)]) + (buttons == NoticeButtons::Ok ? " OK" : " Yes");
  }
  void Clear() {
    shown.clear();
    details.clear();
    boxes.clear();
  }
};

}  // namespace tavrin::testing
