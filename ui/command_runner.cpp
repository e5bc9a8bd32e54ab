#include "ui/command_runner.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace tavrin {

namespace {

// Posts each event to the application object, which lives on the windows' thread for as long
// as any road can tell anything; the guard is looked at there, when the event is told.
class PostedEvents : public CommandEvents {
 public:
  PostedEvents(QObject* guard, std::shared_ptr<CommandEvents> inner)
      : m_guard(guard), m_inner(std::move(inner)) {}

  void Started(const SignPlan& plan) override {
    Post([plan](CommandEvents& e) { e.Started(plan); });
  }
  void LinkOpened() override {
    Post([](CommandEvents& e) { e.LinkOpened(); });
  }
  void StepSent(std::size_t step, std::size_t steps) override {
    Post([step, steps](CommandEvents& e) { e.StepSent(step, steps); });
  }
  void Progress(int position, int maximum) override {
    Post([position, maximum](CommandEvents& e) { e.Progress(position, maximum); });
  }
  void LinkClosed(bool completed) override {
    Post([completed](CommandEvents& e) { e.LinkClosed(completed); });
  }
  void Finished(const SignPlan& plan, const PlanResult& result,
                std::chrono::milliseconds took) override {
    Post([plan, result, took](CommandEvents& e) { e.Finished(plan, result, took); });
  }

 private:
  template <class Event>
  void Post(Event event) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [guard = m_guard, inner = m_inner, event = std::move(event)] {
          if (guard) event(*inner);
        },
        Qt::QueuedConnection);
  }

  QPointer<QObject> m_guard;
  std::shared_ptr<CommandEvents> m_inner;
};

// What a window's command does with its events, on the windows' thread.
class WindowEvents : public CommandEvents {
 public:
  WindowEvents(WindowCommand how, Notice& notice)
      : m_how(std::move(how)), m_notice(notice), m_windowGiven(!m_how.window.isNull()) {}

  void LinkOpened() override {
    if (m_how.button) m_how.button->setEnabled(false);
  }
  void StepSent(std::size_t step, std::size_t) override {
    if (m_how.stepSent && WindowThere()) m_how.stepSent(step);
  }
  void Progress(int position, int maximum) override {
    if (!m_how.progress) return;
    m_how.progress->setMaximum(maximum);
    m_how.progress->setValue(position);
  }
  void LinkClosed(bool completed) override {
    if (m_how.button) m_how.button->setEnabled(true);
    if (m_how.linkClosed && WindowThere()) m_how.linkClosed(completed);
  }
  void Finished(const SignPlan&, const PlanResult& result, std::chrono::milliseconds) override {
    if (m_how.progress) m_how.progress->setValue(0);
    if (result.notice) m_notice.Tell(*result.notice);
    if (m_how.finished && WindowThere()) m_how.finished(result);
  }

 private:
  bool WindowThere() const { return !m_windowGiven || m_how.window; }

  WindowCommand m_how;
  Notice& m_notice;
  bool m_windowGiven;
};

}  // namespace

std::shared_ptr<CommandEvents> ToWindowThread(QObject* guard,
                                              std::shared_ptr<CommandEvents> events) {
  return std::make_shared<PostedEvents>(guard, std::move(events));
}

bool StartCommand(SignRoad& road, Notice& notice, SignPlan plan, WindowCommand how,
                  SignRoad::Work work) {
  const auto endHere = [&](const PlanResult& result) {
    if (how.finished) how.finished(result);
    return false;
  };
  if (std::optional<PlanResult> ended = RefuseOrAsk(plan, notice)) return endHere(*ended);
  if (road.Busy()) {
    notice.Fail(kBusyText);
    return endHere(PlanResult{SignOutcome::Busy, 0, {}, {}, {}});
  }
  // The notice and the window's own steps are told as long as the application runs: the end
  // notice of a command whose dialog was closed still comes, over the main window.
  QObject* guard = QCoreApplication::instance();
  const std::function<void(const PlanResult&)> finished = how.finished;
  auto events = std::make_shared<WindowEvents>(std::move(how), notice);
  std::shared_ptr<CommandEvents> posted = ToWindowThread(guard, events);
  const bool started = work ? road.StartWork(std::move(plan), std::move(work), posted)
                            : road.Start(std::move(plan), posted);
  if (started) return true;
  notice.Fail(kBusyText);
  if (finished) finished(PlanResult{SignOutcome::Busy, 0, {}, {}, {}});
  return false;
}

}  // namespace tavrin
