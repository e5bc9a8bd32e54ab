#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

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

struct PlanResult {
  SignOutcome outcome = SignOutcome::Accepted;
  std::size_t framesWritten = 0;
  std::string linkError;  // why the link failed, when it did (for a status line or stderr)
  std::string failure;    // the text of the notice that ended it, when one did
  // What the user is told now that the command has ended (the port is closed by then): the
  // plan's end notice, the failure of the step that stopped it, or " Open Com Error ".
  std::optional<NoticeText> notice;
  // When a step stopped the command: its index in the plan's steps, and why, said of its frame
  // for a status line or stderr: "no answer within 3.3 s to frame 2 of 3", "refused (NACK) at
  // frame 2 of 3", "an incomplete answer "AC" to frame 2 of 3", or what the link said ("the
  // connection to the sign was closed at frame 2 of 3"). Initialised here, so that a result
  // spelled out positionally without them is complete.
  std::optional<std::size_t> failedStep = std::nullopt;
  std::string reason{};
  // The sign said nothing at all to the frame that stopped the command: it may be off or
  // unplugged (a refusal or a garbled answer is a sign that is there).
  bool silent = false;
};

// What running a plan over a link needs, besides the plan: the link, how to wait, the port
// number of the settings, and optionally where progress and the opening and closing of the
// port are told, and a flag that asks the command to stop.
struct LinkSession {
  SignLink& link;
  Waiter& waiter;
  int portNumber = 1;
  ProgressSink* progress = nullptr;
  CommandWatcher* watcher = nullptr;
  // When set and true, the command stops at the next frame boundary: a frame is never cut,
  // the plan's clean-up frames go, and the port closes (SignOutcome::Stopped, no notice).
  const std::atomic<bool>* stop = nullptr;
};

// Runs a plan over a link, the one executor of every sign command. It asks and tells nothing
// itself: the plan's question and refusal come first (RefuseOrAsk), and what it returns says
// what the user is to be told (PlanResult::notice).
//  1. the port opens at 9600 baud; when it does not, the command ends with nothing written,
//     no watcher told, and " Open Com Error " (kind error) to tell;
//  2. each step: its wait before, the frame in one write (progress told as its bytes leave),
//     its reply as its policy says, its wait after. A frame not written, or a judged reply that
//     is not an acceptance, ends the command: the plan's cleanup frames go first when the step
//     asks for them, then the port closes, and the step's failure is to be told (with the step
//     and the reason in the result); no other frame after it is written;
//  3. the port closes; the end notice, if any, is to be told.
PlanResult ExecutePlan(const SignPlan& plan, const LinkSession& session);

// The start every executor shares: a refusal is shown, a question asked. Returns how the
// command ended when it ends here, nothing when it may go on.
std::optional<PlanResult> RefuseOrAsk(const SignPlan& plan, Notice& notice);

// A plan run from start to end on the caller's thread, as tavrin-cli and tests do: its
// refusal or question, ExecutePlan, then the notice it ends with. The port is always closed
// before a notice waits for the user.
struct SignSession {
  SignLink& link;
  Notice& notice;
  Waiter& waiter;
  int portNumber = 1;
  ProgressSink* progress = nullptr;
  CommandWatcher* watcher = nullptr;
};
PlanResult RunPlan(const SignPlan& plan, SignSession& session);

// What a status line says of a command that has ended: "Send Message to sign 01, page A,
// 2 graphics: done in 1.8 s", or what went wrong ("...: failed: refused (NACK) at frame 2 of
// 3"). Empty for a command refused as busy.
std::string StatusLine(const SignPlan& plan, const PlanResult& result,
                       std::chrono::milliseconds took);

// What a command on a road tells while it runs, called on the road's worker thread, in this
// order: Started; LinkOpened once the port is open (never when it does not open); StepSent
// for each frame that went through, with Progress as a bar moves; LinkClosed once the port is
// closed again; Finished last, always, with the result and the time from the start to the
// port's close (whatever the user does with the notice afterwards is not in it).
class CommandEvents {
 public:
  virtual ~CommandEvents() = default;
  virtual void Started(const SignPlan&) {}
  virtual void LinkOpened() {}
  virtual void StepSent(std::size_t /*step*/, std::size_t /*steps*/) {}
  // The progress bar of the command: the plan's own, or the bytes of a long frame.
  virtual void Progress(int /*position*/, int /*maximum*/) {}
  virtual void LinkClosed(bool /*completed*/) {}
  virtual void Finished(const SignPlan&, const PlanResult&, std::chrono::milliseconds) {}
};

// A waiter in real time on the road's worker that a stop request cuts short.
class StoppableWaiter : public Waiter {
 public:
  void WaitMs(int ms) override;
  // Ends the wait under way, and every wait until Resume.
  void Stop();
  void Resume();

 private:
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_stopped = false;
};

// The road to one link: every command on that link goes this way, one at a time, on a worker
// thread of the road's own. The executor, the link's reads and the waits between frames run
// there in real time, never in a window's event loop, so a modal dialog opened meanwhile slows
// a command by nothing. A command is given as a plan made at its start from copies of all it
// sends; its events come back through CommandEvents from the worker thread.
//
// A command started while another holds the road is refused (Start returns false) and changes
// nothing. The road holds the link and the waiter but owns neither.
class SignRoad {
 public:
  // Without a waiter of the caller's, the road waits in real time.
  explicit SignRoad(SignLink& link, Waiter* waiter = nullptr);
  // A running command is asked to stop at its next frame boundary and waited for.
  ~SignRoad();
  SignRoad(const SignRoad&) = delete;
  SignRoad& operator=(const SignRoad&) = delete;

  // Replacements for tests and other transports (not owned); only while no command runs.
  void SetLink(SignLink* link);
  void SetWaiter(Waiter* waiter);
  SignLink& Link() { return *m_link; }

  // The port number every command opens (the communication settings' field).
  int PortNumber() const { return m_portNumber; }
  void SetPortNumber(int port) { m_portNumber = port; }

  // True from a Start until the command's port is closed; another command may start after.
  bool Busy() const;
  // True when no command is under way, its Finished told included.
  bool Idle() const;

  // Hears every command of the road (the main window's status line), from the worker thread.
  void AddObserver(std::shared_ptr<CommandEvents> observer);

  // Starts a plan whose refusal and question are behind it, and returns at once: false, with
  // nothing done and nothing told, while another command holds the road.
  bool Start(SignPlan plan, std::shared_ptr<CommandEvents> events = nullptr);

  // Other work that reaches the sign (a raw print job), run on the worker under the same
  // rule; the plan names it for the events and the status line. It is given the road's waiter
  // and the stop flag.
  using Work = std::function<PlanResult(Waiter& waiter, const std::atomic<bool>& stop)>;
  bool StartWork(SignPlan plan, Work work, std::shared_ptr<CommandEvents> events = nullptr);

  // A command of those started together: its plan, the work that reaches the sign when it is
  // not the plan's frames over the link, and who hears it.
  struct Command {
    SignPlan plan;
    Work work;
    std::shared_ptr<CommandEvents> events;
  };
  // Starts commands that go one after another, nothing between them (the signs of one bus):
  // the road is held from the first start to the last port's close. False, with nothing done,
  // while another command holds the road. A stop ends the one running and drops the others,
  // each told as Stopped.
  bool StartAll(std::vector<Command> commands);

  // Starts a plan and waits for its end (tavrin-cli, tests): its result, or Busy.
  PlanResult RunAndWait(SignPlan plan, std::shared_ptr<CommandEvents> events = nullptr);

  // Asks the running command, if any, to stop at its next frame boundary.
  void RequestStop();
  // Blocks until Idle.
  void WaitUntilIdle();

 private:
  using Job = Command;
  class Telling;
  bool Enqueue(std::vector<Job> jobs);
  void Loop();
  void Do(Job& job);
  // A job dropped by a stop: told as started and stopped, nothing sent.
  void Drop(Job& job);

  SignLink* m_link;
  Waiter* m_waiter;
  StoppableWaiter m_ownWaiter;
  std::atomic<int> m_portNumber = 1;
  std::atomic<bool> m_stop = false;

  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  std::condition_variable m_idle;
  std::deque<Job> m_next;
  bool m_busy = false;
  bool m_running = false;
  bool m_quit = false;
  std::vector<std::shared_ptr<CommandEvents>> m_observers;
  std::thread m_worker;
};

}  // namespace tavrin
