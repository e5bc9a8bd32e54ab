#pragma once

#include <QComboBox>
#include <QObject>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <functional>
#include <string>

#include "functions/notice.h"
#include "signlink/sign_link.h"

class QWidget;

namespace tavrin {

// Notices as message boxes over a parent window: information and "is Over" texts with an
// information icon, errors with a critical icon, questions with a question mark, failures of
// a command as a plain box.
class QtNotice : public Notice {
 public:
  explicit QtNotice(QWidget* parent) : m_parent(parent) {}
  NoticeAnswer Show(NoticeKind kind, NoticeButtons buttons, const std::string& text) override;

 private:
  QWidget* m_parent;
};

// Waits while the windows keep working: the event loop runs until the time is up. The
// confirming button of the running command is disabled by its window, so nothing re-enters.
class QtWaiter : public Waiter {
 public:
  void WaitMs(int ms) override;
};

// Lets window messages through while a link waits for a byte.
void KeepWindowsResponsive(SignLink& link);

// Selection lists that take no typed keys: the mouse and the arrow keys choose.
void MakePickOnly(QComboBox* list);
// Any control that changes only by mouse and navigation keys (the date picker).
void DiscardTypedKeys(QWidget* control);

// A push button with its designer name that does not act on Enter of its own.
QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption);

// Fields of page letters: only the letters a to z, A to Z and Backspace can be typed.
void MakeLettersOnly(QWidget* field);

// Fills a sign ID list with "00" (or "01") to "FF" and selects the first entry.
void FillSignIds(QComboBox* list, int first = 0);
// Fills a page list with "A" to "Z" and selects the first entry.
void FillPages(QComboBox* list);

// The progress bar of a send, as the sign functions see it.
class ProgressBarSink : public ProgressSink {
 public:
  explicit ProgressBarSink(QProgressBar* bar) : m_bar(bar) {}
  void SetMaximum(int maximum) override;
  void SetPosition(int position) override;

 private:
  QProgressBar* m_bar;
};

// Text between the editors (UTF-16) and the sign's bytes (UTF-8 in the model).
inline std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }
inline QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace tavrin
