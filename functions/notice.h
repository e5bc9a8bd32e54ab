#pragma once

#include <string>

namespace tavrin {

// Every text the user is shown goes through a Notice: the windows show a message box, the
// command line prints, tests record and answer as scripted. Texts are shown exactly as
// given, blanks included.
enum class NoticeKind { Information, Error, Confirmation, Plain };
enum class NoticeButtons { Yes, Ok, YesNo };
enum class NoticeAnswer { Yes, No, Ok };

class Notice {
 public:
  virtual ~Notice() = default;
  virtual NoticeAnswer Show(NoticeKind kind, NoticeButtons buttons, const std::string& text) = 0;

  // A success or "is Over" text: information with the single button Yes.
  void Inform(const std::string& text) { Show(NoticeKind::Information, NoticeButtons::Yes, text); }
  // A failure of a command: a plain message box with OK.
  void Fail(const std::string& text) { Show(NoticeKind::Plain, NoticeButtons::Ok, text); }
  // An error (the port, a file): kind error with the single button Yes.
  void Err(const std::string& text) { Show(NoticeKind::Error, NoticeButtons::Yes, text); }
  // A question with Yes and No; true for Yes.
  bool Ask(const std::string& text) {
    return Show(NoticeKind::Confirmation, NoticeButtons::YesNo, text) == NoticeAnswer::Yes;
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
