#include "signlink/sign_road.h"

#include <gtest/gtest.h>

#include "signlink/scripted_link.h"

namespace tavrin {
namespace {

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

SignPlan TwoFrames() {
  SignPlan plan;
  plan.steps.push_back({"one", ReplyPolicy::Judge, 0, 5, 10, false, NoticeText::Failure("bad 1")});
  plan.steps.push_back({"two", ReplyPolicy::Judge, 0, 0, 0, false, NoticeText::Failure("bad 2")});
  plan.done = NoticeText::Inform("done");
  return plan;
}

TEST(SignRoadTest, TheButtonIsHeldOnlyWhileThePortIsOpenAndNoticesWaitForTheClose) {
  ScriptedLink link(ScriptedLink::AckExcept({1}, "NACK"));
  Log log(link);
  SignRoad road(link, log, log);
  EXPECT_EQ(road.Run(TwoFrames(), nullptr, &log).outcome, SignOutcome::Refused);
  EXPECT_EQ(log.events, (std::vector<std::string>{"opened", "wait 5", "wait 10", "closed closed",
                                                  "closed notice bad 2"}));

  // A port that does not open tells the watcher nothing: no button changes.
  log.events.clear();
  link.FailOpen(true);
  EXPECT_EQ(road.Run(TwoFrames(), nullptr, &log).outcome, SignOutcome::PortError);
  EXPECT_EQ(log.events, std::vector<std::string>{"closed notice  Open Com Error "});

  // A refused plan opens nothing.
  log.events.clear();
  EXPECT_EQ(
      road.Run(SignPlan::Refuse(NoticeText::Inform("no"), SignOutcome::Invalid), nullptr, &log)
          .outcome,
      SignOutcome::Invalid);
  EXPECT_EQ(log.events, std::vector<std::string>{"closed notice no"});
  EXPECT_EQ(link.Opens(), 2);
}

TEST(SignRoadTest, RepliesAreReadAsEachStepSays) {
  struct Row {
    ReplyPolicy policy;
    std::string reply;
    bool goesOn;
    int reads;
  } rows[] = {
      {ReplyPolicy::None, "NACK", true, 0},     {ReplyPolicy::Ignore, "NACK", true, 4},
      {ReplyPolicy::Ignore, "", true, 3},       {ReplyPolicy::Judge, "ACK", true, 3},
      {ReplyPolicy::Judge, "AC", false, 3},     {ReplyPolicy::SetIdEcho, "2A", true, 2},
      {ReplyPolicy::SetIdEcho, "A2", false, 2},
  };
  for (const Row& row : rows) {
    ScriptedLink link([&](std::size_t, std::string_view) { return row.reply; });
    Log log(link);
    SignPlan plan;
    plan.steps.push_back({"x", row.policy, 0x2A, 0, 0, false, NoticeText::Failure("bad")});
    plan.steps.push_back({"y", ReplyPolicy::None, 0, 0, 0, false, NoticeText::Failure("bad")});
    SignSession session{link, log, log};
    const PlanResult result = RunPlan(plan, session);
    EXPECT_EQ(result.outcome, row.goesOn ? SignOutcome::Accepted : SignOutcome::Refused)
        << row.reply;
    EXPECT_EQ(result.framesWritten, row.goesOn ? 2u : 1u) << row.reply;
    EXPECT_EQ(link.Reads(), row.reads) << row.reply;
  }
}

TEST(SignRoadTest, OneCommandAtATime) {
  ScriptedLink link;
  Log log(link);
  SignRoad road(link, log, log);
  std::vector<bool> busy;  // the road's state while the command waits, and after it
  // While the first command waits between its frames, a second one is started (as a modeless
  // window or a menu could do while the windows keep working): it is refused and writes nothing.
  PlanResult second;
  bool tried = false;
  log.onWait = [&] {
    if (tried) return;
    tried = true;
    busy.push_back(road.Busy());
    second = road.Run(TwoFrames());
  };
  EXPECT_EQ(road.Run(TwoFrames()).outcome, SignOutcome::Accepted);
  busy.push_back(road.Busy());
  EXPECT_EQ(second.outcome, SignOutcome::Busy);
  EXPECT_EQ(link.Writes(), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(link.Opens(), 1);
  EXPECT_NE(
      std::find(log.events.begin(), log.events.end(), std::string("open notice ") + kBusyText),
      log.events.end());
  EXPECT_EQ(busy, (std::vector<bool>{true, false}));
  EXPECT_FALSE(road.Busy());
  EXPECT_EQ(road.Run(TwoFrames()).outcome, SignOutcome::Accepted);  // free again
}

// The road tells an observer what each command does, and the status line says how it ended.
TEST(SignRoadTest, AnObserverHearsEveryCommandAndItsEnd) {
  struct Observer : RoadObserver {
    std::vector<std::string> heard;
    void CommandStarted(const SignPlan& p) override { heard.push_back("start " + p.summary); }
    void CommandProgress(std::size_t done, std::size_t all) override {
      heard.push_back(std::to_string(done) + "/" + std::to_string(all));
    }
    void CommandEnded(const SignPlan& p, const PlanResult& r, std::chrono::milliseconds) override {
      heard.push_back(StatusLine(p, r, std::chrono::milliseconds(1840)));
    }
  } observer;
  ScriptedLink link(ScriptedLink::AckExcept({1}, "NACK"));
  Log log(link);
  SignRoad road(link, log, log);
  road.SetObserver(&observer);
  SignPlan plan = TwoFrames();
  plan.summary = "Send Message to sign 01, page A, 2 graphics";
  road.Run(plan);
  link = ScriptedLink();
  road.Run(plan);
  link.FailOpen(true);
  road.Run(plan);
  EXPECT_EQ(observer.heard,
            (std::vector<std::string>{
                "start Send Message to sign 01, page A, 2 graphics", "1/2",
                "Send Message to sign 01, page A, 2 graphics: failed: bad 2",
                "start Send Message to sign 01, page A, 2 graphics", "1/2", "2/2",
                "Send Message to sign 01, page A, 2 graphics: done in 1.8 s",
                "start Send Message to sign 01, page A, 2 graphics",
                "Send Message to sign 01, page A, 2 graphics: the port did not open: " +
                    link.LastError()}));

  // The other endings.
  PlanResult r;
  r.outcome = SignOutcome::Over;
  EXPECT_EQ(StatusLine(plan, r, std::chrono::milliseconds(50)),
            plan.summary + ": sent in 0.1 s (ID 00 does not answer)");
  r.outcome = SignOutcome::Invalid;
  r.failure = " No Message To Send ";
  EXPECT_EQ(StatusLine(plan, r, {}), plan.summary + ": not sent: No Message To Send");
  r.outcome = SignOutcome::Busy;
  EXPECT_EQ(StatusLine(plan, r, {}), "");
}

}  // namespace
}  // namespace tavrin
