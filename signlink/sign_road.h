#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "common/notice.h"
#include "signlink/sign_link.h"
#include "signlink/sign_plan.h"

namespace tavrin {

// " Open Com Error ": the port of the settings could not be opened.
inline constexpr const char* kOpenComErrorText = " Open Com Error ";
// Said when a command is started while another one holds the link.
inline constexpr const char* kBusyText =
    "Another command is talking to the sign. Try again when it has finished.";

// Told when a command has the port open, when each of its frames went through, and when it
// has closed the port again (before any notice). A window holds its confirming button down in
// between, so the button changes only once the port is open.
class CommandWatcher {
 public:
  virtual ~CommandWatcher() = default;
  virtual void LinkOpened() = 0;
  // Step i of the plan was written and its reply let the command go on.
  virtual void StepAccepted(std::size_t) {}
  // completed: every step went through.
  virtual void LinkClosed(bool completed) = 0;
};

// What running a plan needs besides the plan: the link to open, where to tell the user, how
// to wait, the port number of the settings, and optionally where progress and the opening
// and closing of the port are told.
struct SignSession {
  SignLink& link;
  Notice& notice;
  Waiter& waiter;
  int portNumber = 1;
  ProgressSink* progress = nullptr;
  CommandWatcher* watcher = nullptr;
};

struct PlanResult {
  SignOutcome outcome = SignOutcome::Accepted;
  std::size_t framesWritten = 0;
  std::string linkError;  // why the link failed, when it did (for a status line or stderr)
  std::string failure;    // the text of the notice that ended it, when one did
};

// Hears every command the road runs, for the main window's status line: when it starts, how
// many of its frames went through, and how it ended and how long it took.
class RoadObserver {
 public:
  virtual ~RoadObserver() = default;
  virtual void CommandStarted(const SignPlan& plan) = 0;
  virtual void CommandProgress(std::size_t framesDone, std::size_t frames) = 0;
  virtual void CommandEnded(const SignPlan& plan, const PlanResult& result,
                            std::chrono::milliseconds took) = 0;
};

// What a status line says of a command that has ended: "Send Message to sign 01, page A,
// 2 graphics: done in 1.8 s", or what went wrong. Empty for a command refused as busy.
std::string StatusLine(const SignPlan& plan, const PlanResult& result,
                       std::chrono::milliseconds took);

// The start every executor shares: a refusal is shown, a question asked. Returns how the
// command ended when it ends here, nothing when it may go on.
std::optional<PlanResult> RefuseOrAsk(const SignPlan& plan, Notice& notice);

// Runs a plan over a link, the one executor of every sign command:
//  1. a refusal is shown and ends it; a question answered other than Yes ends it (Cancelled);
//  2. the port opens at 9600 baud; when it does not, " Open Com Error " (kind error) and the
//     command ends with nothing written and no watcher told;
//  3. each step: its wait before, the frame in one write (progress told as its bytes leave),
//     its reply as its policy says, its wait after. A frame not written, or a judged reply that
//     is not an acceptance, ends the command: the plan's cleanup frames go first when the step
//     asks for them, then the port closes and the step's failure is shown; no other frame
//     after it is written;
//  4. the port closes, then the end notice, if any, is shown.
// The port is always closed before a notice waits for the user.
PlanResult RunPlan(const SignPlan& plan, SignSession& session);

// The road every command of the windows takes: one link, and one command on it at a time. A
// command started while another holds the link (a modeless window, a menu opened while the
// first one waits) is refused with kBusyText and changes nothing.
class SignRoad {
 public:
  SignRoad(SignLink& link, Notice& notice, Waiter& waiter)
      : m_link(&link), m_notice(&notice), m_waiter(&waiter) {}

  // Replacements for tests and other transports; not owned.
  void SetLink(SignLink* link) { m_link = link; }
  void SetNotice(Notice* notice) { m_notice = notice; }
  void SetWaiter(Waiter* waiter) { m_waiter = waiter; }
  SignLink& Link() { return *m_link; }
  Notice& Notices() { return *m_notice; }
  Waiter& Waits() { return *m_waiter; }

  // The port number every command opens (the communication settings' field).
  int PortNumber() const { return m_portNumber; }
  void SetPortNumber(int port) { m_portNumber = port; }

  bool Busy() const { return m_busy; }
  // Hears every command run by Run (not owned; nullptr for none).
  void SetObserver(RoadObserver* observer) { m_observer = observer; }

  PlanResult Run(const SignPlan& plan, ProgressSink* progress = nullptr,
                 CommandWatcher* watcher = nullptr);
  // Runs a command that reaches the sign another way (a print job) under the same rule: while
  // another command holds the road it is refused with kBusyText, and none starts while it runs.
  PlanResult Hold(const std::function<PlanResult()>& command);

 private:
  SignLink* m_link;
  Notice* m_notice;
  Waiter* m_waiter;
  int m_portNumber = 1;
  bool m_busy = false;
  RoadObserver* m_observer = nullptr;
};

}  // namespace tavrin
