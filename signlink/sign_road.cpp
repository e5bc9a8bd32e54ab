#include "signlink/sign_road.h"

#include <cstdio>

#include "signlink/sign_frame.h"

namespace tavrin {

namespace {

// Reads the reply to a step's frame as its policy says; true when the step may go on.
bool ReplyLetsItGoOn(const PlanStep& step, SignLink& link) {
  switch (step.reply) {
    case ReplyPolicy::None:
      return true;
    case ReplyPolicy::Ignore:
      ReadAck(link);
      return true;
    case ReplyPolicy::Judge:
      return ReadAck(link);
    case ReplyPolicy::SetIdEcho: {
      std::uint8_t first = 0, second = 0;
      link.ReadByte(first);
      link.ReadByte(second);
      return SetIdEchoAccepted(step.echoId, first, second);
    }
  }
  return false;
}

}  // namespace

std::optional<PlanResult> RefuseOrAsk(const SignPlan& plan, Notice& notice) {
  if (plan.refusal) {
    notice.Tell(*plan.refusal);
    return PlanResult{plan.refusalOutcome, 0, {}, plan.refusal->text};
  }
  if (plan.question && !notice.Ask(*plan.question)) {
    return PlanResult{SignOutcome::Cancelled, 0, {}, {}};
  }
  return std::nullopt;
}

namespace {

// A notice's text as one line without its framing blanks.
std::string Plain(const std::string& text) {
  const std::string line = text.substr(0, text.find('\n'));
  const std::size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

std::string Seconds(std::chrono::milliseconds took) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(took.count()) / 1000.0);
  return text;
}

}  // namespace

std::string StatusLine(const SignPlan& plan, const PlanResult& r, std::chrono::milliseconds took) {
  const std::string what = plan.summary.empty() ? "The command" : plan.summary;
  const auto because = [&](const std::string& reason) {
    return reason.empty() ? std::string() : ": " + reason;
  };
  switch (r.outcome) {
    case SignOutcome::Accepted:
      return what + ": done in " + Seconds(took);
    case SignOutcome::Over:
      return what + ": sent in " + Seconds(took) + " (ID 00 does not answer)";
    case SignOutcome::Refused:
      return what + ": failed" + because(!r.linkError.empty() ? r.linkError : Plain(r.failure));
    case SignOutcome::PortError:
      return what + ": the port did not open" + because(r.linkError);
    case SignOutcome::Cancelled:
      return what + ": cancelled";
    case SignOutcome::Invalid:
    case SignOutcome::FileError:
      return what + ": not sent" + because(Plain(r.failure));
    case SignOutcome::Busy:
      break;
  }
  return {};
}

PlanResult RunPlan(const SignPlan& plan, SignSession& s) {
  if (std::optional<PlanResult> ended = RefuseOrAsk(plan, s.notice)) return *ended;
  PlanResult result;
  if (!s.link.OpenLink(s.portNumber, kSignBaud)) {
    result.linkError = s.link.LastError();
    result.failure = kOpenComErrorText;
    s.notice.Err(kOpenComErrorText);
    result.outcome = SignOutcome::PortError;
    return result;
  }
  if (s.watcher != nullptr) s.watcher->LinkOpened();
  ProgressSink* planProgress = plan.progressMaximum > 0 ? s.progress : nullptr;
  if (planProgress != nullptr) {
    planProgress->SetPosition(0);
    planProgress->SetMaximum(plan.progressMaximum);
  }
  int planPosition = 0;
  const auto close = [&](bool completed) {
    s.link.CloseLink();
    if (s.watcher != nullptr) s.watcher->LinkClosed(completed);
    if (planProgress != nullptr) planProgress->SetPosition(0);
  };
  // Writes a frame and reads its reply; true when the command may go on.
  const auto send = [&](const PlanStep& step, ProgressSink* byteProgress) {
    if (step.waitBeforeMs > 0) s.waiter.WaitMs(step.waitBeforeMs);
    SignLink::WriteProgress onBytes;
    if (byteProgress != nullptr) {
      // The bar advances once for every even byte about to be written, up to half the frame.
      const std::size_t size = step.frame.size();
      byteProgress->SetMaximum(static_cast<int>(size / 2));
      onBytes = [byteProgress, size](std::size_t written) {
        const std::size_t next = written < size ? written + 1 : size;
        byteProgress->SetPosition(static_cast<int>(next / 2));
      };
    }
    const bool written = s.link.Write(step.frame, onBytes);
    if (written) ++result.framesWritten;
    return written && ReplyLetsItGoOn(step, s.link);
  };

  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    const PlanStep& step = plan.steps[i];
    if (step.advancesProgress && planProgress != nullptr) planProgress->SetPosition(++planPosition);
    ProgressSink* byteProgress = step.showsProgress ? s.progress : nullptr;
    if (!send(step, byteProgress)) {
      result.linkError = s.link.LastError();
      if (step.cleanupOnFailure) {
        for (const PlanStep& cleanup : plan.cleanup) send(cleanup, nullptr);
      }
      close(false);
      if (byteProgress != nullptr) byteProgress->SetPosition(0);
      result.failure = step.failure.text;
      s.notice.Tell(step.failure);
      result.outcome = SignOutcome::Refused;
      return result;
    }
    if (s.watcher != nullptr) s.watcher->StepAccepted(i);
    if (step.waitAfterMs > 0) s.waiter.WaitMs(step.waitAfterMs);
    if (byteProgress != nullptr) byteProgress->SetPosition(0);
  }
  close(true);
  if (plan.done) s.notice.Tell(*plan.done);
  result.outcome = plan.doneOutcome;
  return result;
}

PlanResult SignRoad::Hold(const std::function<PlanResult()>& command) {
  if (m_busy) {
    m_notice->Fail(kBusyText);
    return PlanResult{SignOutcome::Busy, 0, {}, {}};
  }
  // Given back on every way out, an exception from a window's notice included.
  struct Holding {
    SignRoad& road;
    explicit Holding(SignRoad& r) : road(r) { road.m_busy = true; }
    ~Holding() {
      if (road.m_link->IsOpen()) road.m_link->CloseLink();
      road.m_busy = false;
    }
  } holding(*this);
  return command();
}

namespace {

// Passes everything on to the window's own watcher and tells the observer of each frame.
class ObservingWatcher : public CommandWatcher {
 public:
  ObservingWatcher(CommandWatcher* inner, RoadObserver& observer, std::size_t frames)
      : m_inner(inner), m_observer(observer), m_frames(frames) {}
  void LinkOpened() override {
    if (m_inner != nullptr) m_inner->LinkOpened();
  }
  void StepAccepted(std::size_t i) override {
    if (m_inner != nullptr) m_inner->StepAccepted(i);
    m_observer.CommandProgress(i + 1, m_frames);
  }
  void LinkClosed(bool completed) override {
    if (m_inner != nullptr) m_inner->LinkClosed(completed);
  }

 private:
  CommandWatcher* m_inner;
  RoadObserver& m_observer;
  std::size_t m_frames;
};

}  // namespace

PlanResult SignRoad::Run(const SignPlan& plan, ProgressSink* progress, CommandWatcher* watcher) {
  RoadObserver* observer = m_observer;
  const auto start = std::chrono::steady_clock::now();
  const PlanResult result = Hold([&] {
    std::optional<ObservingWatcher> observing;
    if (observer != nullptr) {
      observer->CommandStarted(plan);
      observing.emplace(watcher, *observer, plan.steps.size());
    }
    SignSession session{*m_link,      *m_notice, *m_waiter,
                        m_portNumber, progress,  observing ? &*observing : watcher};
    return RunPlan(plan, session);
  });
  if (observer != nullptr && result.outcome != SignOutcome::Busy) {
    observer->CommandEnded(plan, result,
                           std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - start));
  }
  return result;
}

}  // namespace tavrin
