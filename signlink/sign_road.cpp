#include "signlink/sign_road.h"

#include <cstdio>
#include <exception>
#include <future>

#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "common/bytes.h"
#include "signlink/sign_frame.h"

namespace tavrin {

namespace {

std::string Seconds(std::chrono::milliseconds took) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(took.count()) / 1000.0);
  return text;
}

std::string Quoted(std::string_view bytes) { return "\"" + EscapeBytes(bytes) + "\""; }

// Reads the reply to a step's frame as its policy says. Empty when the step may go on; else
// why not, said of the frame `frame` ("frame 2 of 3").
std::string ReplyProblem(const PlanStep& step, SignLink& link, const std::string& frame,
                         bool& silent) {
  const auto silence = [&](int reads) {
    silent = true;
    return "no answer within " + Seconds(std::chrono::milliseconds(reads * kReadTimeoutMs)) +
           " to " + frame;
  };
  switch (step.reply) {
    case ReplyPolicy::None:
      return {};
    case ReplyPolicy::Ignore:
      ReadAck(link);
      return {};
    case ReplyPolicy::Judge: {
      const AckReply reply = ReadAckReply(link);
      const std::string& got = reply.received;
      if (reply.accepted) return {};
      if (got.empty()) return silence(kReplyReads);
      if (ReplyNeedsFourthRead(static_cast<std::uint8_t>(got[0]))) {
        return "refused (" + EscapeBytes(got) + ") at " + frame;
      }
      if (std::string_view("ACK").starts_with(got)) {
        return "an incomplete answer " + Quoted(got) + " to " + frame;
      }
      return "the answer " + Quoted(got) + " to " + frame + ", not ACK";
    }
    case ReplyPolicy::SetIdEcho: {
      std::uint8_t first = 0, second = 0;
      std::string got;
      if (link.ReadByte(first) == 1) got += static_cast<char>(first);
      if (link.ReadByte(second) == 1) got += static_cast<char>(second);
      if (SetIdEchoAccepted(step.echoId, first, second)) return {};
      if (got.empty()) return silence(2);
      if (got.size() == 1) return "an incomplete answer " + Quoted(got) + " to " + frame;
      return "the answer " + Quoted(got) + " to " + frame + ", not the new ID " +
             HexByte(step.echoId);
    }
  }
  return "an unknown reply policy";
}

// A notice's text as one line without its framing blanks.
std::string Plain(const std::string& text) {
  const std::string line = text.substr(0, text.find('\n'));
  const std::size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::optional<PlanResult> RefuseOrAsk(const SignPlan& plan, Notice& notice) {
  if (plan.refusal) {
    notice.Tell(*plan.refusal);
    return PlanResult{plan.refusalOutcome, 0, {}, plan.refusal->text, std::nullopt};
  }
  if (plan.question && !notice.Ask(*plan.question)) {
    return PlanResult{SignOutcome::Cancelled, 0, {}, {}, std::nullopt};
  }
  return std::nullopt;
}

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
      return what + ": failed" +
             because(!r.reason.empty()      ? r.reason
                     : !r.linkError.empty() ? r.linkError
                                            : Plain(r.failure));
    case SignOutcome::PortError:
      return what + ": the port did not open" + because(r.linkError);
    case SignOutcome::Cancelled:
      return what + ": cancelled";
    case SignOutcome::Stopped:
      return what + ": stopped after " + std::to_string(r.framesWritten) +
             (r.framesWritten == 1 ? " frame" : " frames");
    case SignOutcome::Invalid:
    case SignOutcome::FileError:
      return what + ": not sent" + because(Plain(r.failure));
    case SignOutcome::Busy:
      break;
  }
  return {};
}

PlanResult ExecutePlan(const SignPlan& plan, const LinkSession& s) {
  PlanResult result;
  if (!s.link.OpenLink(s.portNumber, kSignBaud)) {
    result.linkError = s.link.LastError();
    result.failure = kOpenComErrorText;
    result.notice = NoticeText::ErrorBox(kOpenComErrorText);
    result.notice->detail = result.linkError;
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
  const auto stopping = [&] { return s.stop != nullptr && s.stop->load(); };
  const auto close = [&](bool completed) {
    s.link.CloseLink();
    if (s.watcher != nullptr) s.watcher->LinkClosed(completed);
    if (planProgress != nullptr) planProgress->SetPosition(0);
  };
  // Writes a frame and reads its reply; true when the command may go on, else `problem` says
  // why not.
  std::string problem;
  const auto send = [&](const PlanStep& step, ProgressSink* byteProgress,
                        const std::string& frameName) {
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
    if (!s.link.Write(step.frame, onBytes)) {
      problem = frameName + " could not be written";
      return false;
    }
    ++result.framesWritten;
    problem = ReplyProblem(step, s.link, frameName, result.silent);
    return problem.empty();
  };
  const auto cleanUp = [&] {
    for (const PlanStep& cleanup : plan.cleanup) send(cleanup, nullptr, "a closing frame");
  };

  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    const PlanStep& step = plan.steps[i];
    if (stopping()) {
      // Between two frames: the sign has every frame whole. A transfer that was opened is
      // closed as its failure would close it.
      if (i > 0) cleanUp();
      close(false);
      result.outcome = SignOutcome::Stopped;
      return result;
    }
    if (step.advancesProgress && planProgress != nullptr) planProgress->SetPosition(++planPosition);
    ProgressSink* byteProgress = step.showsProgress ? s.progress : nullptr;
    const std::string frameName =
        "frame " + std::to_string(i + 1) + " of " + std::to_string(plan.steps.size());
    if (!send(step, byteProgress, frameName)) {
      result.linkError = s.link.LastError();
      // A broken link answers every read at once with nothing: what it said is the reason.
      result.reason = result.linkError.empty() ? problem : result.linkError + " at " + frameName;
      result.failedStep = i;
      if (step.cleanupOnFailure) cleanUp();
      close(false);
      if (byteProgress != nullptr) byteProgress->SetPosition(0);
      result.failure = step.failure.text;
      result.notice = step.failure;
      result.outcome = SignOutcome::Refused;
      return result;
    }
    if (s.watcher != nullptr) s.watcher->StepAccepted(i);
    if (step.waitAfterMs > 0) s.waiter.WaitMs(step.waitAfterMs);
    if (byteProgress != nullptr) byteProgress->SetPosition(0);
  }
  close(true);
  result.notice = plan.done;
  result.outcome = plan.doneOutcome;
  return result;
}

PlanResult RunPlan(const SignPlan& plan, SignSession& s) {
  if (std::optional<PlanResult> ended = RefuseOrAsk(plan, s.notice)) return *ended;
  PlanResult result =
      ExecutePlan(plan, LinkSession{s.link, s.waiter, s.portNumber, s.progress, s.watcher});
  if (result.notice) s.notice.Tell(*result.notice);
  return result;
}

void StoppableWaiter::WaitMs(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  std::unique_lock lock(m_mutex);
  m_wake.wait_until(lock, until, [&] { return m_stopped; });
}

void StoppableWaiter::Stop() {
  {
    const std::lock_guard lock(m_mutex);
    m_stopped = true;
  }
  m_wake.notify_all();
}

void StoppableWaiter::Resume() {
  const std::lock_guard lock(m_mutex);
  m_stopped = false;
}

// Turns what the executor tells of one command into events for its listeners.
class SignRoad::Telling : public CommandWatcher, public ProgressSink {
 public:
  Telling(const SignPlan& plan, std::vector<std::shared_ptr<CommandEvents>> listeners)
      : m_plan(plan), m_listeners(std::move(listeners)) {}

  template <class Event>
  void Tell(Event event) {
    for (const auto& listener : m_listeners) event(*listener);
  }
  void LinkOpened() override {
    Tell([](CommandEvents& e) { e.LinkOpened(); });
  }
  void StepAccepted(std::size_t step) override {
    Tell([&](CommandEvents& e) { e.StepSent(step, m_plan.steps.size()); });
  }
  void LinkClosed(bool completed) override {
    m_closedAt = std::chrono::steady_clock::now();
    Tell([&](CommandEvents& e) { e.LinkClosed(completed); });
  }
  void SetMaximum(int maximum) override { m_maximum = maximum; }
  void SetPosition(int position) override {
    Tell([&](CommandEvents& e) { e.Progress(position, m_maximum); });
  }
  // The time from the start to the port's close, or to now when it never opened.
  std::chrono::milliseconds Took(std::chrono::steady_clock::time_point start) const {
    const auto end = m_closedAt.value_or(std::chrono::steady_clock::now());
    return std::chrono::duration_cast<std::chrono::milliseconds>(end - start);
  }

 private:
  const SignPlan& m_plan;
  std::vector<std::shared_ptr<CommandEvents>> m_listeners;
  std::optional<std::chrono::steady_clock::time_point> m_closedAt;
  int m_maximum = 0;
};

SignRoad::SignRoad(SignLink& link, Waiter* waiter)
    : m_link(&link), m_waiter(waiter != nullptr ? waiter : &m_ownWaiter) {}

SignRoad::~SignRoad() {
  RequestStop();
  {
    const std::lock_guard lock(m_mutex);
    m_quit = true;
  }
  m_wake.notify_all();
  if (m_worker.joinable()) m_worker.join();
}

void SignRoad::SetLink(SignLink* link) {
  const std::lock_guard lock(m_mutex);
  m_link = link;
}

void SignRoad::SetWaiter(Waiter* waiter) {
  const std::lock_guard lock(m_mutex);
  m_waiter = waiter != nullptr ? waiter : &m_ownWaiter;
}

bool SignRoad::Busy() const {
  const std::lock_guard lock(m_mutex);
  return m_busy;
}

bool SignRoad::Idle() const {
  const std::lock_guard lock(m_mutex);
  return !m_busy && !m_running;
}

void SignRoad::AddObserver(std::shared_ptr<CommandEvents> observer) {
  const std::lock_guard lock(m_mutex);
  m_observers.push_back(std::move(observer));
}

bool SignRoad::Start(SignPlan plan, std::shared_ptr<CommandEvents> events) {
  std::vector<Job> jobs;
  jobs.push_back(Job{std::move(plan), {}, std::move(events)});
  return Enqueue(std::move(jobs));
}

bool SignRoad::StartWork(SignPlan plan, Work work, std::shared_ptr<CommandEvents> events) {
  std::vector<Job> jobs;
  jobs.push_back(Job{std::move(plan), std::move(work), std::move(events)});
  return Enqueue(std::move(jobs));
}

bool SignRoad::StartAll(std::vector<Command> commands) {
  if (commands.empty()) return true;
  return Enqueue(std::move(commands));
}

bool SignRoad::Enqueue(std::vector<Job> jobs) {
  {
    const std::lock_guard lock(m_mutex);
    if (m_busy) return false;
    m_busy = true;
    m_running = true;
    m_ownWaiter.Resume();
    m_stop = false;
    for (Job& job : jobs) m_next.push_back(std::move(job));
    if (!m_worker.joinable()) m_worker = std::thread([this] { Loop(); });
  }
  m_wake.notify_all();
  return true;
}

PlanResult SignRoad::RunAndWait(SignPlan plan, std::shared_ptr<CommandEvents> events) {
  struct Ending : CommandEvents {
    std::shared_ptr<CommandEvents> inner;
    std::promise<PlanResult> result;
    void Started(const SignPlan& p) override {
      if (inner) inner->Started(p);
    }
    void LinkOpened() override {
      if (inner) inner->LinkOpened();
    }
    void StepSent(std::size_t step, std::size_t steps) override {
      if (inner) inner->StepSent(step, steps);
    }
    void Progress(int position, int maximum) override {
      if (inner) inner->Progress(position, maximum);
    }
    void LinkClosed(bool completed) override {
      if (inner) inner->LinkClosed(completed);
    }
    void Finished(const SignPlan& p, const PlanResult& r, std::chrono::milliseconds t) override {
      if (inner) inner->Finished(p, r, t);
      result.set_value(r);
    }
  };
  auto ending = std::make_shared<Ending>();
  ending->inner = std::move(events);
  std::future<PlanResult> result = ending->result.get_future();
  if (!Start(std::move(plan), ending)) return PlanResult{SignOutcome::Busy, 0, {}, {}, {}};
  return result.get();
}

void SignRoad::RequestStop() {
  m_stop = true;
  m_ownWaiter.Stop();
}

void SignRoad::WaitUntilIdle() {
  std::unique_lock lock(m_mutex);
  m_idle.wait(lock, [&] { return !m_busy && !m_running; });
}

void SignRoad::Loop() {
#ifdef __linux__
  // The waits between frames are the sign's timing: by default the kernel may end each up to
  // 50 us late, to gather wake-ups. A road wakes a few dozen times a second at most.
  ::prctl(PR_SET_TIMERSLACK, 1UL);
#endif
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [&] { return !m_next.empty() || m_quit; });
    if (m_next.empty()) return;
    Job job = std::move(m_next.front());
    m_next.pop_front();
    // A stop asked for while commands started together ran drops those not begun.
    const bool dropped = m_stop;
    lock.unlock();
    if (dropped) {
      Drop(job);
    } else {
      Do(job);
    }
    lock.lock();
    // A command started while this one told its end is waiting already.
    if (m_next.empty()) {
      m_running = false;
      m_idle.notify_all();
    }
  }
}

void SignRoad::Drop(Job& job) {
  std::vector<std::shared_ptr<CommandEvents>> listeners;
  {
    const std::lock_guard lock(m_mutex);
    listeners = m_observers;
    if (job.events) listeners.push_back(job.events);
    if (m_next.empty()) m_busy = false;
  }
  Telling telling(job.plan, std::move(listeners));
  telling.Tell([&](CommandEvents& e) { e.Started(job.plan); });
  const PlanResult stopped{SignOutcome::Stopped, 0, {}, {}, {}};
  telling.Tell([&](CommandEvents& e) { e.Finished(job.plan, stopped, {}); });
}

void SignRoad::Do(Job& job) {
  std::vector<std::shared_ptr<CommandEvents>> listeners;
  SignLink* link = nullptr;
  Waiter* waiter = nullptr;
  {
    const std::lock_guard lock(m_mutex);
    // The observers first: the status line says how a command ended before its own window
    // shows the end notice and adds what it knows.
    listeners = m_observers;
    if (job.events) listeners.push_back(job.events);
    link = m_link;
    waiter = m_waiter;
  }
  Telling telling(job.plan, std::move(listeners));
  const auto start = std::chrono::steady_clock::now();
  telling.Tell([&](CommandEvents& e) { e.Started(job.plan); });
  PlanResult result;
  try {
    if (job.work) {
      result = job.work(*waiter, m_stop);
    } else {
      result = ExecutePlan(job.plan,
                           LinkSession{*link, *waiter, m_portNumber, &telling, &telling, &m_stop});
    }
  } catch (const std::exception& e) {
    // Nothing may end the worker: the command fails, saying why, and the road goes on.
    result = PlanResult{SignOutcome::Refused, result.framesWritten, e.what(), {}, {}};
  }
  // Whatever happened, the link is free for the next command before anyone hears the end,
  // unless this command is one of several started together.
  if (link->IsOpen()) link->CloseLink();
  {
    const std::lock_guard lock(m_mutex);
    if (m_next.empty()) m_busy = false;
  }
  const std::chrono::milliseconds took = telling.Took(start);
  telling.Tell([&](CommandEvents& e) { e.Finished(job.plan, result, took); });
}

}  // namespace tavrin
