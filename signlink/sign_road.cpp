#include "signlink/sign_road.h"

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
    return PlanResult{plan.refusalOutcome, 0, {}};
  }
  if (plan.question && !notice.Ask(*plan.question)) {
    return PlanResult{SignOutcome::Cancelled, 0, {}};
  }
  return std::nullopt;
}

PlanResult RunPlan(const SignPlan& plan, SignSession& s) {
  if (std::optional<PlanResult> ended = RefuseOrAsk(plan, s.notice)) return *ended;
  PlanResult result;
  if (!s.link.OpenLink(s.portNumber, kSignBaud)) {
    result.linkError = s.link.LastError();
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

void SignRoad::SetBusy(bool busy) {
  m_busy = busy;
  if (m_busyListener) m_busyListener(busy);
}

PlanResult SignRoad::Hold(const std::function<PlanResult()>& command) {
  if (m_busy) {
    m_notice->Fail(kBusyText);
    return PlanResult{SignOutcome::Busy, 0, {}};
  }
  // Given back on every way out, an exception from a window's notice included.
  struct Holding {
    SignRoad& road;
    explicit Holding(SignRoad& r) : road(r) { road.SetBusy(true); }
    ~Holding() {
      if (road.m_link->IsOpen()) road.m_link->CloseLink();
      road.SetBusy(false);
    }
  } holding(*this);
  return command();
}

PlanResult SignRoad::Run(const SignPlan& plan, ProgressSink* progress, CommandWatcher* watcher) {
  return Hold([&] {
    SignSession session{*m_link, *m_notice, *m_waiter, m_portNumber, progress, watcher};
    return RunPlan(plan, session);
  });
}

}  // namespace tavrin
