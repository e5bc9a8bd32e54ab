#pragma once

#include <QCoreApplication>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <chrono>
#include <future>

#include "common/notice.h"
#include "signlink/sign_link.h"
#include "signlink/sign_road.h"

namespace tavrin {

// Waits while the windows keep working: the event loop runs until the time is up. The
// confirming button of the running command is held down, and the road refuses a second
// command, so nothing re-enters.
class QtWaiter : public Waiter {
 public:
  void WaitMs(int ms) override;
};

// Lets window messages through while a link waits for a byte or for the line.
void KeepWindowsResponsive(SignLink& link);

// Runs work that may take a while (reading and decoding a file, a call to a print service) on
// a thread of its own, and lets window messages through until it is done; returns its result.
// The work must not touch widgets.
template <class Work>
auto RunBesideTheWindows(Work work) {
  auto result = std::async(std::launch::async, std::move(work));
  while (result.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return result.get();
}

// The progress bar of a send, as the executor sees it.
class ProgressBarSink : public ProgressSink {
 public:
  explicit ProgressBarSink(QProgressBar* bar) : m_bar(bar) {}
  void SetMaximum(int maximum) override;
  void SetPosition(int position) override;

 private:
  QPointer<QProgressBar> m_bar;
};

// Runs a plan on the road with the window's confirming button held down (disabled) from the
// moment the port is open until it is closed again, before any notice: a command refused
// before it starts, or a port that does not open, leaves the button as it was.
// A watcher of the window's own, when given, hears everything the button holder hears.
PlanResult RunHoldingButton(SignRoad& road, const SignPlan& plan, QPushButton* button,
                            ProgressSink* progress = nullptr, CommandWatcher* also = nullptr);

}  // namespace tavrin
