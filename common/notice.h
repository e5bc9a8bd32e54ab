#pragma once

#include <string>
#include <utility>

namespace tavrin {

// Every text the user is shown goes through a Notice: the windows show a message box, the
// command line prints, tests record and answer as scripted. Texts are shown exactly as
// given, blanks included.
enum class NoticeKind { Information, Error, Confirmation, Plain };
// SaveDiscardCancel: the question asked before unsaved work would be lost.
enum class NoticeButtons { Yes, Ok, YesNo, SaveDiscardCancel };
enum class NoticeAnswer { Yes, No, Ok, Save, Discard, Cancel };

// One message box as a value: what a command will say when it gets there.
struct NoticeText {
  NoticeKind kind = NoticeKind::Information;
  NoticeButtons buttons = NoticeButtons::Yes;
  std::string text;
  // Said below the text, when there is more to say: why the port did not open. The text
  // itself stays what it always was.
  std::string detail;

  // A success or "is Over" text: information with the single button Yes.
  static NoticeText Inform(std::string text) {
    return {NoticeKind::Information, NoticeButtons::Yes, std::move(text), {}};
  }
  // A failure of a command: a plain message box with OK.
  static NoticeText Failure(std::string text) {
    return {NoticeKind::Plain, NoticeButtons::Ok, std::move(text), {}};
  }
  // An error (the port): kind error with the single button Yes.
  static NoticeText ErrorBox(std::string text) {
    return {NoticeKind::Error, NoticeButtons::Yes, std::move(text), {}};
  }
  // An error of a file or of the input: kind error with OK, as the standard error box has.
  static NoticeText FileError(std::string text) {
    return {NoticeKind::Error, NoticeButtons::Ok, std::move(text), {}};
  }

  bool operator==(const NoticeText&) const = default;
};

class Notice {
 public:
  virtual ~Notice() = default;
  virtual NoticeAnswer Show(NoticeKind kind, NoticeButtons buttons, const std::string& text) = 0;
  // A notice with its detail; those who have no place for a detail leave it out.
  virtual NoticeAnswer ShowNotice(const NoticeText& notice) {
    return Show(notice.kind, notice.buttons, notice.text);
  }

  NoticeAnswer Tell(const NoticeText& notice) { return ShowNotice(notice); }
  void Inform(const std::string& text) { Tell(NoticeText::Inform(text)); }
  void Fail(const std::string& text) { Tell(NoticeText::Failure(text)); }
  void Err(const std::string& text) { Tell(NoticeText::ErrorBox(text)); }
  void FileErr(const std::string& text) { Tell(NoticeText::FileError(text)); }
  // A question with Yes and No; true for Yes.
  bool Ask(const std::string& text) {
    return Show(NoticeKind::Confirmation, NoticeButtons::YesNo, text) == NoticeAnswer::Yes;
  }
  // "Save changes to NAME?": Save, Discard or Cancel.
  NoticeAnswer AskToSave(const std::string& text) {
    return Show(NoticeKind::Confirmation, NoticeButtons::SaveDiscardCancel, text);
  }
};

// Where a long write reports how far it has come (the send panel's progress bar).
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void SetMaximum(int maximum) = 0;
  virtual void SetPosition(int position) = 0;
};

}  // namespace tavrin
