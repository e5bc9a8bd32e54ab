#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QtConcurrent/QtConcurrentRun>
#include <functional>
#include <memory>

#include "common/notice.h"
#include "signlink/sign_road.h"

namespace tavrin {

// Carries a command's events from the road's worker thread to the windows' thread, where
// they are told to `events` in the order they happened, each as a queued call. Once `guard`
// is gone nothing more is told.
std::shared_ptr<CommandEvents> ToWindowThread(QObject* guard,
                                              std::shared_ptr<CommandEvents> events);

// A sign command as a window starts it, and what the window does as it runs.
struct WindowCommand {
  // The window of the command: once it is gone nothing is told to it.
  QPointer<QObject> window;
  // Held down (disabled) from the moment the port is open until it is closed again, before
  // any notice; a command that does not start, or a port that does not open, leaves it be.
  QPointer<QPushButton> button;
  // Follows the command's progress and goes back to 0 at its end.
  QPointer<QProgressBar> progress;
  std::function<void(std::size_t step)> stepSent;
  std::function<void(bool completed)> linkClosed;
  // Last: after the end notice has been shown. Also called, at once, for a command that did
  // not start (refused, answered No, the road busy).
  std::function<void(const PlanResult&)> finished;
};

// Starts a plan from a window. Its refusal is shown and its question asked here, on the
// windows' thread; a road busy with another command says kBusyText. Otherwise the plan runs on
// the road's worker and this returns at once; the command's events come back as queued calls,
// and its end notice is shown over the main window (the notice's own parent) after the port
// has closed. With work of its own (a print job), that runs on the worker instead of the
// plan's frames over the link. True when the command started.
bool StartCommand(SignRoad& road, Notice& notice, SignPlan plan, WindowCommand how,
                  SignRoad::Work work = {});

// Runs work that may take a while (reading and decoding a file) on a thread of the pool, and
// gives its result to `done` on the windows' thread, unless `guard` is gone by then. The work
// must not touch widgets.
template <class Work, class Done>
void RunBesideTheWindows(QObject* guard, Work work, Done done) {
  using Value = decltype(work());
  auto* watcher = new QFutureWatcher<Value>(guard);
  QObject::connect(watcher, &QFutureWatcherBase::finished, guard,
                   [watcher, done = std::move(done)]() mutable {
                     done(watcher->future().takeResult());
                     watcher->deleteLater();
                   });
  watcher->setFuture(QtConcurrent::run(std::move(work)));
}

}  // namespace tavrin
