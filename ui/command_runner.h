#pragma once

#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

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
