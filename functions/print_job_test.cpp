#include "functions/print_job.h"

#include <gtest/gtest.h>

#include <future>

#include "functions/sign_plans.h"
#include "signlink/sign_frame.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_link.h"
#include "tests/support/scripted_spooler.h"

namespace tavrin {
namespace {

using testing::ScratchFolder;
using testing::ScriptedLink;
using testing::ScriptedSpooler;
using Strings = std::vector<std::string>;

// Hears everything a command says and how long it waits.
class Recorder : public Notice, public Waiter, public CommandWatcher {
 public:
  Strings said;
  std::vector<int> waits;
  Strings heard;

  NoticeAnswer Show(NoticeKind kind, NoticeButtons buttons, const std::string& text) override {
    said.push_back((kind == NoticeKind::Error ? "error: " : "info: ") + text);
    return buttons == NoticeButtons::Ok ? NoticeAnswer::Ok : NoticeAnswer::Yes;
  }
  void WaitMs(int ms) override { waits.push_back(ms); }
  void LinkOpened() override { heard.push_back("opened"); }
  void StepAccepted(std::size_t i) override { heard.push_back("step " + std::to_string(i)); }
  void LinkClosed(bool completed) override { heard.push_back(completed ? "closed" : "broken"); }
};

class NetworkSendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_graphics.Write("G01", GraphicRows(7, std::string(32, 'A'))));
    ASSERT_TRUE(m_graphics.Write("G02", GraphicRows(8, std::string(32, 'E'))));
    m_spooler.SelectPrinter("signq");
  }
  PlanResult Send(std::string_view line, int watchMs = 0) {
    const SignPlan plan = PlanSendViaNetwork(m_graphics, line, 'B', 0x21);
    PrintSession session{m_spooler, m_recorder, m_recorder, &m_recorder, watchMs};
    return RunPlanAsPrintJob(plan, session);
  }
  Strings Writes() const {
    Strings writes;
    for (const std::string& c : m_spooler.calls) {
      if (c.starts_with("write ")) writes.push_back(c.substr(6));
    }
    return writes;
  }

  ScratchFolder m_home;
  GraphicFolder m_graphics{m_home.Path()};
  ScriptedSpooler m_spooler;
  Recorder m_recorder;
};

TEST_F(NetworkSendTest, TwoGraphicsMakeAJobOfExactlyThreeFrames) {
  const PlanResult r = Send("Hi<Pic:G02> <Pic:G01>");
  EXPECT_EQ(r.outcome, SignOutcome::Accepted);
  EXPECT_EQ(r.framesWritten, 3u);
  // The same frames as a serial send, without "<BE>" and "<BF>".
  const SignPlan serial = PlanSendMessage(m_graphics, "Hi<Pic:G02> <Pic:G01>", 'B', 0x21);
  const Strings frames = serial.Frames();
  ASSERT_EQ(frames.size(), 5u);
  EXPECT_EQ(Writes(), (Strings{frames[1], frames[2], frames[3]}));
  EXPECT_EQ(frames[2].substr(6, 5), "<GA1>");  // G01 first, whatever the order in the line
  EXPECT_EQ(frames[3].substr(6, 5), "<GB1>");
  EXPECT_EQ(m_spooler.calls.front(), "open signq");
  EXPECT_EQ(Strings(m_spooler.calls.end() - 3, m_spooler.calls.end()),
            (Strings{"endpage", "enddoc", "close"}));
  EXPECT_EQ(m_recorder.waits, (std::vector<int>{260, 260, 260}));
  EXPECT_TRUE(m_recorder.said.empty());
  EXPECT_EQ(m_recorder.heard, (Strings{"opened", "step 0", "step 1", "step 2", "closed"}));
}

TEST_F(NetworkSendTest, AnEmptyLineGoesAsASingleBlank) {
  EXPECT_EQ(Send("").outcome, SignOutcome::Accepted);
  EXPECT_EQ(Writes(), (Strings{SignFrame(0x21, "<L1><PB><FE><MA><WC><FE> ")}));
}

TEST_F(NetworkSendTest, AGraphicThatCannotGoOpensNoJob) {
  ASSERT_TRUE(m_graphics.Write("G03", GraphicRows(3, std::string(32, 'A'))));  // too short
  for (const char* line : {"<Pic:G05>", "a<Pic:G03>"}) {
    m_recorder.said.clear();
    EXPECT_EQ(Send(line).outcome, SignOutcome::FileError);
    ASSERT_EQ(m_recorder.said.size(), 1u);
    EXPECT_NE(m_recorder.said[0].find(line[0] == 'a' ? "G03" : "G05"), std::string::npos);
  }
  EXPECT_TRUE(m_spooler.calls.empty());
}

TEST_F(NetworkSendTest, PrintFailuresStopTheCommandWithTheirText) {
  m_spooler.SelectPrinter("gone");
  PlanResult r = Send("Hi");
  EXPECT_EQ(r.outcome, SignOutcome::PortError);
  EXPECT_EQ(m_recorder.said, (Strings{"error: Printer not found"}));
  EXPECT_EQ(r.linkError, "no queue named gone");
  EXPECT_TRUE(m_recorder.heard.empty());

  m_spooler = ScriptedSpooler();
  m_spooler.SelectPrinter("signq");
  m_spooler.failWriteNumber = 2;
  m_recorder = Recorder();
  r = Send("Hi<Pic:G01><Pic:G02>");
  EXPECT_EQ(r.outcome, SignOutcome::Refused);
  EXPECT_EQ(r.framesWritten, 1u);
  EXPECT_EQ(Writes().size(), 2u);  // the third is never tried
  EXPECT_EQ(m_recorder.said, (Strings{"error: Printe File Error"}));
  EXPECT_EQ(m_recorder.heard, (Strings{"opened", "step 0", "broken"}));
  EXPECT_EQ(std::count(m_spooler.calls.begin(), m_spooler.calls.end(), "close"), 1);
}

TEST_F(NetworkSendTest, TheJobIsFollowedUntilTheQueueIsDoneWithIt) {
  using S = JobFate::State;
  m_spooler.fates = {{S::Waiting, ""}, {S::Waiting, ""}, {S::Delivered, ""}};
  EXPECT_EQ(Send("Hi", 5000).outcome, SignOutcome::Accepted);
  EXPECT_EQ(m_recorder.waits, (std::vector<int>{260, 100, 100}));
  EXPECT_TRUE(m_recorder.said.empty());

  m_spooler.fates = {{S::Waiting, ""}, {S::Failed, "Connection refused"}};
  m_spooler.fatesAsked = 0;
  m_recorder = Recorder();
  const PlanResult failed = Send("Hi", 5000);
  EXPECT_EQ(failed.outcome, SignOutcome::Refused);
  EXPECT_EQ(m_recorder.said, (Strings{"error: The sign did not get the job: Connection refused"}));
  EXPECT_EQ(m_recorder.heard.back(), "broken");

  // Still waiting when the time is up: the user hears why, and nothing hangs.
  m_spooler.fates = {{S::Waiting, "The printer is not responding."}};
  m_spooler.fatesAsked = 0;
  m_recorder = Recorder();
  EXPECT_EQ(Send("Hi", 1000).outcome, SignOutcome::Accepted);
  EXPECT_EQ(m_recorder.waits.size(), 1u + 10u);
  EXPECT_EQ(m_recorder.said,
            (Strings{"info: The job is still waiting in the print queue signq: The printer is "
                     "not responding."}));
}

TEST_F(NetworkSendTest, ThePrintJobTakesTheRoadLikeEveryCommand) {
  ScriptedLink link([](std::size_t, std::string_view) { return std::string("ACK"); });
  SignRoad road(link, &m_recorder);
  PlanResult inner;
  const SignPlan job = PlanSendViaNetwork(m_graphics, "Hi", 'A', 1);
  std::promise<PlanResult> outer;
  struct Ended : CommandEvents {
    std::promise<PlanResult>& result;
    explicit Ended(std::promise<PlanResult>& r) : result(r) {}
    void Finished(const SignPlan&, const PlanResult& r, std::chrono::milliseconds) override {
      result.set_value(r);
    }
  };
  ASSERT_TRUE(road.StartWork(
      job,
      [&](Waiter& waiter, const std::atomic<bool>& stop) {
        // A serial command started meanwhile is refused.
        inner = road.RunAndWait(PlanRunPage(1, 'A'));
        return ExecutePlanAsPrintJob(job, PrintJobSession{m_spooler, waiter, nullptr, 0, &stop});
      },
      std::make_shared<Ended>(outer)));
  EXPECT_EQ(outer.get_future().get().outcome, SignOutcome::Accepted);
  road.WaitUntilIdle();
  EXPECT_EQ(inner.outcome, SignOutcome::Busy);
  EXPECT_TRUE(link.Writes().empty());
  EXPECT_FALSE(road.Busy());
  // The road's waiter timed the job: the frame and its pause after it.
  EXPECT_EQ(m_recorder.waits, std::vector<int>{260});
}

}  // namespace
}  // namespace tavrin
