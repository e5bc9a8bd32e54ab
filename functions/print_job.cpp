#include "functions/print_job.h"

namespace tavrin {

namespace {

// Follows the job the spooler closed last until the queue is done with it or the time is up.
JobFate FollowJob(const PrintJobSession& s) {
  JobFate fate = s.spooler.LastJobFate();
  for (int waited = 0; fate.state == JobFate::State::Waiting && waited < s.jobWatchMs;
       waited += kJobWatchStepMs) {
    s.waiter.WaitMs(kJobWatchStepMs);
    fate = s.spooler.LastJobFate();
  }
  return fate;
}

}  // namespace

PlanResult ExecutePlanAsPrintJob(const SignPlan& plan, const PrintJobSession& s) {
  PlanResult result;
  RawPrint printer(s.spooler);
  const std::string queue = printer.GetDefaultPrinterName();
  PrinterHandle job = 0;
  if (const Status opened = printer.getPrintHanele_StartDoc_StartPage(queue, job); !opened) {
    result.linkError = printer.LastReason();
    result.notice = NoticeText::FileError(opened.ErrorText());
    result.outcome = SignOutcome::PortError;
    return result;
  }
  if (s.watcher != nullptr) s.watcher->LinkOpened();
  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    const PlanStep& step = plan.steps[i];
    if (s.stop != nullptr && s.stop->load()) {
      printer.ClosePrinter_EndDoc_Endpage(job);
      if (s.watcher != nullptr) s.watcher->LinkClosed(false);
      result.outcome = SignOutcome::Stopped;
      return result;
    }
    if (step.waitBeforeMs > 0) s.waiter.WaitMs(step.waitBeforeMs);
    if (const Status written = printer.PrintLineToGeneric(job, step.frame); !written) {
      // The job is closed already.
      result.linkError = printer.LastReason();
      if (s.watcher != nullptr) s.watcher->LinkClosed(false);
      result.notice = NoticeText::FileError(written.ErrorText());
      result.outcome = SignOutcome::Refused;
      return result;
    }
    ++result.framesWritten;
    if (s.watcher != nullptr) s.watcher->StepAccepted(i);
    if (step.waitAfterMs > 0) s.waiter.WaitMs(step.waitAfterMs);
  }
  printer.ClosePrinter_EndDoc_Endpage(job);

  const JobFate fate = s.jobWatchMs > 0 ? FollowJob(s) : JobFate{};
  if (s.watcher != nullptr) s.watcher->LinkClosed(fate.state != JobFate::State::Failed);
  switch (fate.state) {
    case JobFate::State::Failed:
      result.linkError = fate.reason;
      result.notice = NoticeText::FileError(kJobFailedText + fate.reason);
      result.outcome = SignOutcome::Refused;
      return result;
    case JobFate::State::Waiting:
      result.linkError = fate.reason;
      result.notice = NoticeText::Inform(kJobWaitingText + queue +
                                         (fate.reason.empty() ? "" : ": " + fate.reason));
      break;
    case JobFate::State::Delivered:
    case JobFate::State::Unknown:
      result.notice = plan.done;
      break;
  }
  result.outcome = plan.doneOutcome;
  return result;
}

PlanResult RunPlanAsPrintJob(const SignPlan& plan, PrintSession& s) {
  if (std::optional<PlanResult> ended = RefuseOrAsk(plan, s.notice)) return *ended;
  PlanResult result = ExecutePlanAsPrintJob(
      plan, PrintJobSession{s.spooler, s.waiter, s.watcher, s.jobWatchMs, nullptr});
  if (result.notice) s.notice.Tell(*result.notice);
  return result;
}

}  // namespace tavrin
