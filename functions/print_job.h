#pragma once

#include <atomic>

#include "print/raw_print.h"
#include "signlink/sign_road.h"

namespace tavrin {

// How long the job is followed after it is closed, to tell whether the queue passed it on.
inline constexpr int kJobWatchMs = 5000;
inline constexpr int kJobWatchStepMs = 100;

// What running a plan as a print job needs: the spooler (its current printer is the queue),
// how to wait, who hears of the job opening and closing, how long the job is followed once
// closed (0: not at all), and a flag that asks it to stop between two frames.
struct PrintJobSession {
  Spooler& spooler;
  Waiter& waiter;
  CommandWatcher* watcher = nullptr;
  int jobWatchMs = kJobWatchMs;
  const std::atomic<bool>* stop = nullptr;
};

// Runs a plan as one raw print job on the current printer, the executor of "Send via Network"
// (PlanSendViaNetwork). It asks and tells nothing itself (its refusal comes first, with
// RefuseOrAsk); the result says what the user is to be told:
//  1. the job opens; when it does not, the print error (error box, OK) and PortError;
//  2. each step's frame is written as one block, its wait after it; replies are never read. A
//     refused write ends it with "Printe File Error" (Refused); the job was closed by then. A
//     stop asked for between two frames closes the job (Stopped);
//  3. the job is closed, then followed for jobWatchMs while the queue works on it: a job the
//     queue aborts is an error (Refused), one still waiting at the end is information.
// PlanResult::linkError carries the spooler's own account of a failure.
PlanResult ExecutePlanAsPrintJob(const SignPlan& plan, const PrintJobSession& session);

// A print job run from start to end on the caller's thread (tavrin-cli, tests): the plan's
// refusal, ExecutePlanAsPrintJob, then the notice it ends with.
struct PrintSession {
  Spooler& spooler;
  Notice& notice;
  Waiter& waiter;
  CommandWatcher* watcher = nullptr;
  int jobWatchMs = kJobWatchMs;
};
PlanResult RunPlanAsPrintJob(const SignPlan& plan, PrintSession& session);

// The texts of a job the queue did not pass on (followed by the queue's reason).
inline constexpr const char* kJobFailedText = "The sign did not get the job: ";
inline constexpr const char* kJobWaitingText = "The job is still waiting in the print queue ";

}  // namespace tavrin
