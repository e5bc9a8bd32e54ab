#include "signlink/sign_road.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "tests/support/scripted_link.h"

namespace tavrin {
namespace {

using testing::ScriptedLink;

// Keeps what was shown, and what the link and the watcher were doing at that moment.
class Log : public Notice, public CommandWatcher, public Waiter {
 public:
  explicit Log(ScriptedLink& link) : m_link(link) {}
  std::vector<std::string> events;
  std::function<void()> onWait;

  NoticeAnswer Show(NoticeKind, NoticeButtons buttons, const std::string& text) override {
    events.push_back(std::string(m_link.IsOpen() ? "open " : "closed ") + "notice " + text);
    return buttons == NoticeButtons::YesNo ? NoticeAnswer::Yes : NoticeAnswer::Ok;
  }
  void LinkOpened() override { events.push_back("opened"); }
  void LinkClosed(bool) override {
    events.push_back(std::string(m_link.IsOpen() ? "open " : "closed ") + "closed");
  }
  void WaitMs(int ms) override {
    events.push_back("wait " + std::to_string(ms));
    if (onWait) onWait();
  }

 private:
  ScriptedLink& m_link;
};

// A step whose reply is judged, saying `failure` when it is not accepted.
PlanStep Step(std::string frame, std::string failure) {
  return {.frame = std::move(frame), .failure = NoticeText::Failure(std::move(failure))};
}

SignPlan TwoFrames() {
  SignPlan plan;
  plan.steps.push_back({.frame = "one",
                        .waitBeforeMs = 5,
                        .waitAfterMs = 10,
                        .failure = NoticeText::Failure("bad 1")});
  plan.steps.push_back(Step("two", "bad 2"));
  plan.done = NoticeText::Inform("done");
  return plan;
}

TEST(SignRoadTest, TheButtonIsHeldOnlyWhileThePortIsOpenAndNoticesWaitForTheClose) {
  ScriptedLink link(ScriptedLink::AckExcept({1}, "NACK"));
  Log log(link);
  SignSession session{link, log, log, 1, nullptr, &log};
  EXPECT_EQ(RunPlan(TwoFrames(), session).outcome, SignOutcome::Refused);
  EXPECT_EQ(log.events, (std::vector<std::string>{"opened", "wait 5", "wait 10", "closed closed",
                                                  "closed notice bad 2"}));

  // A port that does not open tells the watcher nothing: no button changes.
  log.events.clear();
  link.FailOpen(true);
  EXPECT_EQ(RunPlan(TwoFrames(), session).outcome, SignOutcome::PortError);
  EXPECT_EQ(log.events, std::vector<std::string>{"closed notice  Open Com Error "});

  // A refused plan opens nothing.
  log.events.clear();
  EXPECT_EQ(
      RunPlan(SignPlan::Refuse(NoticeText::Inform("no"), SignOutcome::Invalid), session).outcome,
      SignOutcome::Invalid);
  EXPECT_EQ(log.events, std::vector<std::string>{"closed notice no"});
  EXPECT_EQ(link.Opens(), 2);
}

// Each step's reply is read as its policy says; one that stops the command is said in words,
// with the frame it answered.
TEST(SignRoadTest, RepliesAreReadAsEachStepSays) {
  struct Row {
    ReplyPolicy policy;
    std::string reply;
    int reads;
    std::string reason;  // empty: the command goes on
  } rows[] = {
      {ReplyPolicy::None, "NACK", 0, ""},
      {ReplyPolicy::Ignore, "NACK", 4, ""},
      {ReplyPolicy::Ignore, "", 3, ""},
      {ReplyPolicy::Judge, "ACK", 3, ""},
      {ReplyPolicy::Judge, "AC", 3, "an incomplete answer \"AC\" to frame 1 of 2"},
      {ReplyPolicy::Judge, "", 3, "no answer within 3.3 s to frame 1 of 2"},
      {ReplyPolicy::Judge, "NACK", 4, "refused (NACK) at frame 1 of 2"},
      {ReplyPolicy::Judge, "ACX", 3, "the answer \"ACX\" to frame 1 of 2, not ACK"},
      {ReplyPolicy::Judge, std::string("\x15\\\0", 3), 3,
       "the answer \"\\x15\\x5C\\x00\" to frame 1 of 2, not ACK"},
      {ReplyPolicy::SetIdEcho, "2A", 2, ""},
      {ReplyPolicy::SetIdEcho, "A2", 2, "the answer \"A2\" to frame 1 of 2, not the new ID 2A"},
      {ReplyPolicy::SetIdEcho, "2", 2, "an incomplete answer \"2\" to frame 1 of 2"},
      {ReplyPolicy::SetIdEcho, "", 2, "no answer within 2.2 s to frame 1 of 2"},
  };
  for (const Row& row : rows) {
    ScriptedLink link([&](std::size_t write, std::string_view) {
      return write == 0 ? row.reply : std::string("ACK");
    });
    Log log(link);
    SignPlan plan;
    plan.steps.push_back(Step("x", "bad"));
    plan.steps.back().reply = row.policy;
    plan.steps.back().echoId = 0x2A;
    plan.steps.push_back(Step("y", "bad"));
    plan.steps.back().reply = ReplyPolicy::None;
    plan.done = NoticeText::Inform("done");
    SignSession session{link, log, log};
    const PlanResult result = RunPlan(plan, session);
    const bool goesOn = row.reason.empty();
    EXPECT_EQ(result.outcome, goesOn ? SignOutcome::Accepted : SignOutcome::Refused) << row.reply;
    EXPECT_EQ(result.framesWritten, goesOn ? 2u : 1u) << row.reply;
    EXPECT_EQ(link.Reads(), row.reads) << row.reply;
    EXPECT_EQ(result.reason, row.reason);
    // Silence alone says the sign may be away; any answer says it is there.
    EXPECT_EQ(result.silent, row.reason.starts_with("no answer")) << row.reply;
    EXPECT_EQ(result.failedStep, goesOn ? std::nullopt : std::optional<std::size_t>(0));
    // The notice is the step's own, word for word.
    ASSERT_FALSE(log.events.empty());
    EXPECT_EQ(log.events.back(), goesOn ? "closed notice done" : "closed notice bad") << row.reply;
  }
}

// A link that breaks says so itself: its reads return at once, so "no answer within 3.3 s"
// would be untrue.
TEST(SignRoadTest, ABrokenLinkIsTheReason) {
  ScriptedLink link;
  link.BreakAfterWrites(2);
  Log log(link);
  SignPlan plan = TwoFrames();
  plan.steps.push_back(Step("three", "bad 3"));
  SignSession session{link, log, log};
  const PlanResult result = RunPlan(plan, session);
  EXPECT_EQ(result.outcome, SignOutcome::Refused);
  EXPECT_EQ(result.failedStep, std::optional<std::size_t>(2));
  EXPECT_EQ(result.reason, "the scripted device is gone at frame 3 of 3");
  EXPECT_EQ(result.framesWritten, 2u);
}

// A waiter that holds the worker in its first wait until the test lets it go on.
class Gate : public Waiter {
 public:
  void WaitMs(int) override {
    std::unique_lock lock(m_mutex);
    m_waiting = true;
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return m_open; });
  }
  void AwaitWaiting() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_waiting; });
  }
  void Open() {
    const std::lock_guard lock(m_mutex);
    m_open = true;
    m_changed.notify_all();
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_waiting = false;
  bool m_open = false;
};

// Every event of a command, with the thread it came on.
class Heard : public CommandEvents {
 public:
  std::vector<std::string> events;
  std::vector<std::thread::id> threads;
  std::chrono::milliseconds took{};

  void Started(const SignPlan& p) override { Add("started " + p.summary); }
  void LinkOpened() override { Add("opened"); }
  void StepSent(std::size_t step, std::size_t steps) override {
    Add("sent " + std::to_string(step + 1) + "/" + std::to_string(steps));
  }
  void Progress(int position, int maximum) override {
    Add("progress " + std::to_string(position) + "/" + std::to_string(maximum));
  }
  void LinkClosed(bool completed) override { Add(completed ? "closed" : "closed early"); }
  void Finished(const SignPlan& p, const PlanResult& r, std::chrono::milliseconds t) override {
    took = t;
    Add(StatusLine(p, r, std::chrono::milliseconds(1840)));
  }
  // Waits until the command has told `event`.
  void AwaitEvent(const std::string& event) {
    std::unique_lock lock(m_mutex);
    m_added.wait(lock,
                 [&] { return std::find(events.begin(), events.end(), event) != events.end(); });
  }

 private:
  void Add(std::string event) {
    const std::lock_guard lock(m_mutex);
    events.push_back(std::move(event));
    threads.push_back(std::this_thread::get_id());
    m_added.notify_all();
  }
  std::mutex m_mutex;
  std::condition_variable m_added;
};

TEST(SignRoadTest, OneCommandAtATimeOnAWorkerOfItsOwn) {
  ScriptedLink link;
  Gate gate;
  SignRoad road(link, &gate);
  EXPECT_TRUE(road.Idle());
  auto first = std::make_shared<Heard>();
  ASSERT_TRUE(road.Start(TwoFrames(), first));
  gate.AwaitWaiting();
  // While the first command waits between its frames, another is refused and writes nothing.
  EXPECT_TRUE(road.Busy());
  EXPECT_FALSE(road.Idle());
  EXPECT_FALSE(road.Start(TwoFrames()));
  EXPECT_EQ(road.RunAndWait(TwoFrames()).outcome, SignOutcome::Busy);
  EXPECT_EQ(link.Opens(), 1);
  gate.Open();
  road.WaitUntilIdle();
  EXPECT_FALSE(road.Busy());
  EXPECT_EQ(link.Writes(), (std::vector<std::string>{"one", "two"}));
  // The events came in order, none on this thread.
  for (const std::thread::id thread : first->threads) EXPECT_NE(thread, std::this_thread::get_id());
  EXPECT_EQ(first->events.back(), "The command: done in 1.8 s");
  // Free again, and the result comes back to a caller that waits for it.
  const PlanResult again = road.RunAndWait(TwoFrames());
  EXPECT_EQ(again.outcome, SignOutcome::Accepted);
  EXPECT_EQ(again.notice, NoticeText::Inform("done"));
  EXPECT_EQ(link.Opens(), 2);
}

// The road tells a command's own listener and every observer what it does, in order, and the
// status line says how it ended.
TEST(SignRoadTest, EventsComeInOrderToTheCommandAndToObservers) {
  struct NoWait : Waiter {
    void WaitMs(int) override {}
  } noWait;
  ScriptedLink link(ScriptedLink::AckExcept({1}, "NACK"));
  SignRoad road(link, &noWait);
  auto observer = std::make_shared<Heard>();
  road.AddObserver(observer);
  SignPlan plan = TwoFrames();
  plan.summary = "Send Message to sign 01, page A, 2 graphics";
  plan.steps[1].showsProgress = true;
  plan.steps[1].frame = std::string(40, 'x');
  auto own = std::make_shared<Heard>();
  EXPECT_EQ(road.RunAndWait(plan, own).outcome, SignOutcome::Refused);
  link = ScriptedLink();
  road.RunAndWait(plan);
  link.FailOpen(true);
  const PlanResult failed = road.RunAndWait(plan);
  ASSERT_TRUE(failed.notice);
  EXPECT_EQ(failed.notice->text, " Open Com Error ");
  EXPECT_EQ(failed.notice->detail, link.LastError());  // why, under the Part's text
  const std::vector<std::string> refused{
      "started Send Message to sign 01, page A, 2 graphics",
      "opened",
      "sent 1/2",
      "progress 8/20",
      "progress 16/20",
      "progress 20/20",
      "closed early",
      "progress 0/20",
      "Send Message to sign 01, page A, 2 graphics: failed: refused (NACK) at frame 2 of 2"};
  EXPECT_EQ(own->events, refused);
  std::vector<std::string> all = refused;
  for (const char* event :
       {"started Send Message to sign 01, page A, 2 graphics", "opened", "sent 1/2",
        "progress 8/20", "progress 16/20", "progress 20/20", "sent 2/2", "progress 0/20", "closed",
        "Send Message to sign 01, page A, 2 graphics: done in 1.8 s",
        "started Send Message to sign 01, page A, 2 graphics"}) {
    all.push_back(event);
  }
  all.push_back("Send Message to sign 01, page A, 2 graphics: the port did not open: " +
                link.LastError());
  EXPECT_EQ(observer->events, all);

  // The other endings.
  PlanResult r;
  r.outcome = SignOutcome::Over;
  EXPECT_EQ(StatusLine(plan, r, std::chrono::milliseconds(50)),
            plan.summary + ": sent in 0.1 s (ID 00 does not answer)");
  r.outcome = SignOutcome::Invalid;
  r.failure = " No Message To Send ";
  EXPECT_EQ(StatusLine(plan, r, {}), plan.summary + ": not sent: No Message To Send");
  r.outcome = SignOutcome::Stopped;
  r.framesWritten = 1;
  EXPECT_EQ(StatusLine(plan, r, {}), plan.summary + ": stopped after 1 frame");
  r.outcome = SignOutcome::Busy;
  EXPECT_EQ(StatusLine(plan, r, {}), "");
}

// Asked to stop, a command ends at the next frame boundary: no frame is cut, a transfer it
// opened is closed, and the port is closed; nothing is told. The waits of the road's own
// waiter end at once.
TEST(SignRoadTest, AStopEndsTheCommandBetweenFrames) {
  ScriptedLink link;
  SignRoad road(link);  // waits in real time
  SignPlan plan;
  plan.steps.push_back(
      {.frame = "<BE>", .waitAfterMs = 60000, .failure = NoticeText::Failure("bad")});
  plan.steps.push_back(Step("character", "bad"));
  plan.cleanup.push_back(Step("<BF>", ""));
  auto heard = std::make_shared<Heard>();
  ASSERT_TRUE(road.Start(plan, heard));
  // Stopped while it waits a minute after its first frame.
  heard->AwaitEvent("sent 1/2");
  const auto asked = std::chrono::steady_clock::now();
  road.RequestStop();
  road.WaitUntilIdle();
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5));
  EXPECT_EQ(link.Writes(), (std::vector<std::string>{"<BE>", "<BF>"}));
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(heard->events.back(), "The command: stopped after 2 frames");
  // The next command runs and waits as it should.
  plan.steps[0].waitAfterMs = 30;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(road.RunAndWait(plan).outcome, SignOutcome::Accepted);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

// Nothing a command does ends the worker: a link that throws fails that command alone.
TEST(SignRoadTest, AFaultInACommandFailsOnlyThatCommand) {
  ScriptedLink link([](std::size_t write, std::string_view) -> std::string {
    if (write == 0) throw std::runtime_error("the driver fell over");
    return "ACK";
  });
  SignRoad road(link);
  const PlanResult broken = road.RunAndWait(TwoFrames());
  EXPECT_EQ(broken.outcome, SignOutcome::Refused);
  EXPECT_EQ(broken.linkError, "the driver fell over");
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(road.RunAndWait(TwoFrames()).outcome, SignOutcome::Accepted);
}

// A road that goes while a command runs stops it and waits for its worker.
TEST(SignRoadTest, ARoadThatGoesStopsItsCommand) {
  ScriptedLink link;
  auto heard = std::make_shared<Heard>();
  {
    SignRoad road(link);
    SignPlan plan = TwoFrames();
    plan.steps[0].waitAfterMs = 60000;
    ASSERT_TRUE(road.Start(plan, heard));
    heard->AwaitEvent("sent 1/2");
  }
  EXPECT_EQ(link.Writes(), std::vector<std::string>{"one"});
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(heard->events.back(), "The command: stopped after 1 frame");
}

}  // namespace
}  // namespace tavrin
