#include "signlink/sign_jobs.h"

#include <gtest/gtest.h>

#include <future>
#include <map>
#include <mutex>

#include "signlink/sign_frame.h"
#include "tests/support/scripted_link.h"

namespace tavrin {
namespace {

using testing::ScriptedLink;

// A scripted link for each link key, made when the roads ask for it, with what the link
// wrote and waited told in one log of the whole run: "KEY write BYTES", "KEY wait MS".
class Links {
 public:
  std::map<std::string, ScriptedLink::Responder> responders;
  std::vector<std::string> log;

  SignRoads::LinkMaker Maker() {
    return [this](const SignAddress& address) -> Result<std::unique_ptr<SignLink>> {
      if (address.kind == SignAddress::Kind::Queue) return Error{"no queues here"};
      const std::string key = address.LinkKey();
      const auto responder = responders.count(key) ? responders[key] : ScriptedLink::AlwaysAck();
      return std::unique_ptr<SignLink>(std::make_unique<Logged>(*this, key, responder));
    };
  }
  void Add(const std::string& line) {
    const std::lock_guard lock(m_mutex);
    log.push_back(line);
  }

 private:
  class Logged : public ScriptedLink {
   public:
    Logged(Links& links, std::string key, Responder responder)
        : ScriptedLink(std::move(responder)), m_links(links), m_key(std::move(key)) {}
    bool Write(std::string_view bytes, const WriteProgress& progress = {}) override {
      m_links.Add(m_key + " write " + std::string(bytes));
      return ScriptedLink::Write(bytes, progress);
    }

   private:
    Links& m_links;
    std::string m_key;
  };
  std::mutex m_mutex;
};

// Notes each wait in the log, and takes no time.
class LoggingWaiter : public Waiter {
 public:
  explicit LoggingWaiter(Links& links) : m_links(links) {}
  void WaitMs(int ms) override { m_links.Add("wait " + std::to_string(ms)); }

 private:
  Links& m_links;
};

SignPlan TwoFramesFor(std::uint8_t id) {
  SignPlan plan;
  plan.steps.push_back({.frame = SignFrame(id, "<BB>"),
                        .reply = JudgedUnless00(id),
                        .waitAfterMs = 70,
                        .failure = NoticeText::Failure("bad")});
  plan.steps.push_back({.frame = SignFrame(id, "<BC>"),
                        .reply = JudgedUnless00(id),
                        .failure = NoticeText::Failure("bad")});
  plan.done = NoticeText::Inform("OK");
  return plan;
}

SignJob Job(const std::string& name, const std::string& address, std::uint8_t id) {
  return {name, *ParseSignAddress(address), TwoFramesFor(id), {}};
}

// Two signs on one bus get their frames one after the other, each with its waits; nothing of
// the second comes before the first has ended.
TEST(SignJobsTest, TwoSignsOnOneBusTakeTurns) {
  Links links;
  LoggingWaiter waiter(links);
  SignRoads roads(links.Maker(), &waiter);
  const std::vector<SignJobResult> results =
      RunJobs(roads, {Job("Shop", "COM1", 0x01), Job("Counter", "com1", 0x02)});
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].result.outcome, SignOutcome::Accepted);
  EXPECT_EQ(results[1].result.outcome, SignOutcome::Accepted);
  EXPECT_EQ(links.log, (std::vector<std::string>{"com1 write " + SignFrame(1, "<BB>"), "wait 70",
                                                 "com1 write " + SignFrame(1, "<BC>"),
                                                 "com1 write " + SignFrame(2, "<BB>"), "wait 70",
                                                 "com1 write " + SignFrame(2, "<BC>")}));
  EXPECT_EQ(SignJobLine(results[1]), "Counter: done in 0.0 s");
}

// One silent sign among three: the others are served, and what is said names the one that
// failed and why. A link that cannot be made fails its own signs alone.
TEST(SignJobsTest, ASilentSignFailsAloneAndIsNamed) {
  Links links;
  links.responders["sign.b:4001"] = [](std::size_t, std::string_view) { return std::string(); };
  LoggingWaiter waiter(links);
  SignRoads roads(links.Maker(), &waiter);
  const std::vector<SignJobResult> results =
      RunJobs(roads, {Job("A", "sign.a:4001", 1), Job("B", "sign.b:4001", 2),
                      Job("C", "/dev/ttyUSB0", 3), Job("D", "queue:q", 4)});
  ASSERT_EQ(results.size(), 4u);
  EXPECT_EQ(results[0].result.outcome, SignOutcome::Accepted);
  EXPECT_EQ(results[1].result.outcome, SignOutcome::Refused);
  EXPECT_EQ(results[2].result.outcome, SignOutcome::Accepted);
  EXPECT_EQ(results[3].result.outcome, SignOutcome::PortError);
  EXPECT_EQ(SignJobLine(results[1]), "B: failed: no answer within 3.3 s to frame 1 of 2");
  EXPECT_EQ(SignJobLine(results[3]), "D: the port did not open: no queues here");
  EXPECT_EQ(WorstOutcome(results), SignOutcome::PortError);
  EXPECT_EQ(WorstOutcome({results[0], results[1]}), SignOutcome::Refused);
}

// Two signs on two links work at the same time: the whole takes about as long as the longer,
// not as the two together.
TEST(SignJobsTest, TwoLinksWorkAtTheSameTime) {
  Links links;
  SignRoads roads(links.Maker());  // real-time waits
  const auto slow = [](const std::string& name, const std::string& address) {
    SignJob job = Job(name, address, 1);
    job.plan.steps[0].waitAfterMs = 400;
    return job;
  };
  const auto start = std::chrono::steady_clock::now();
  const std::vector<SignJobResult> results =
      RunJobs(roads, {slow("A", "sign.a:4001"), slow("B", "sign.b:4001")});
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(WorstOutcome(results), SignOutcome::Accepted);
  EXPECT_GE(took, std::chrono::milliseconds(400));
  EXPECT_LT(took, std::chrono::milliseconds(790)) << "the links took turns";
}

// Another command holding a road: the signs of that link are told so, the others go.
TEST(SignJobsTest, ABusyLinkRefusesItsSignsOnly) {
  Links links;
  LoggingWaiter waiter(links);
  SignRoads roads(links.Maker(), &waiter);
  SignRoad& held = **roads.RoadFor(*ParseSignAddress("COM2"));
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  ASSERT_TRUE(held.StartWork(TwoFramesFor(1), [released](Waiter&, const std::atomic<bool>&) {
    released.wait();
    return PlanResult{};
  }));
  const std::vector<SignJobResult> results =
      RunJobs(roads, {Job("Held", "COM2", 1), Job("Free", "COM3", 2)});
  release.set_value();
  EXPECT_EQ(results[0].result.outcome, SignOutcome::Busy);
  EXPECT_EQ(results[1].result.outcome, SignOutcome::Accepted);
  held.WaitUntilIdle();
}

}  // namespace
}  // namespace tavrin
