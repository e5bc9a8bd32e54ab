#include "functions/sign_plans.h"

#include <gtest/gtest.h>

#include "signlink/sign_frame.h"
#include "signlink/sign_road.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_link.h"

namespace tavrin {
namespace {

using namespace std::chrono;
using testing::ScratchFolder;
using testing::ScriptedLink;

struct Shown {
  NoticeKind kind;
  NoticeButtons buttons;
  std::string text;
};

class RecordingNotice : public Notice {
 public:
  std::vector<Shown> shown;
  NoticeAnswer answer = NoticeAnswer::Yes;

  NoticeAnswer Show(NoticeKind kind, NoticeButtons buttons, const std::string& text) override {
    shown.push_back({kind, buttons, text});
    return buttons == NoticeButtons::YesNo ? answer : NoticeAnswer::Yes;
  }
};

// Time passes only when the program waits or a read times out.
class VirtualClock : public Waiter {
 public:
  long long nowMs = 0;
  std::vector<int> waits;
  void WaitMs(int ms) override {
    waits.push_back(ms);
    nowMs += ms;
  }
};

class RecordingProgress : public ProgressSink {
 public:
  int maximum = -1;
  std::vector<int> positions;
  void SetMaximum(int m) override { maximum = m; }
  void SetPosition(int p) override { positions.push_back(p); }
};

class SignFunctionsTest : public ::testing::Test {
 protected:
  void Script(ScriptedLink::Responder responder) {
    m_link = std::make_unique<ScriptedLink>(std::move(responder));
    m_link->OnReadTimeout([this] { m_clock.nowMs += kReadTimeoutMs; });
  }
  SignSession Session() { return {*m_link, m_notice, m_clock, 4, &m_progress}; }
  SignOutcome Run(const SignPlan& plan) {
    SignSession s = Session();
    return RunPlan(plan, s).outcome;
  }

  // The bodies of what was written, in order.
  std::vector<std::string> Bodies() const {
    std::vector<std::string> bodies;
    for (const std::string& w : m_link->Writes()) {
      bodies.push_back(w.starts_with("<ID>") ? w : w.substr(6, w.size() - 11));
    }
    return bodies;
  }

  void ExpectOneNotice(NoticeKind kind, const std::string& text) {
    ASSERT_EQ(m_notice.shown.size(), 1u);
    EXPECT_EQ(m_notice.shown[0].kind, kind);
    EXPECT_EQ(m_notice.shown[0].text, text);
    EXPECT_EQ(m_notice.shown[0].buttons,
              kind == NoticeKind::Plain ? NoticeButtons::Ok : NoticeButtons::Yes);
  }

  // Every open was closed, and the port the settings named was used.
  void ExpectClosed() {
    EXPECT_EQ(m_link->Opens(), m_link->Closes());
    EXPECT_FALSE(m_link->IsOpen());
    if (m_link->Opens() > 0) {
      EXPECT_EQ(m_link->LastPort(), 4);
    }
  }

  std::unique_ptr<ScriptedLink> m_link = std::make_unique<ScriptedLink>();
  RecordingNotice m_notice;
  VirtualClock m_clock;
  RecordingProgress m_progress;
  ScratchFolder m_home;
  GraphicFolder m_graphics{m_home.Path()};
};

// ---- One-frame commands ------------------------------------------------------------------

struct OneFrameRow {
  const char* name;
  std::function<SignPlan(std::uint8_t)> plan;
  std::string body;
  const char* ok;
  const char* fail;
  const char* over;
};

std::vector<OneFrameRow> OneFrameCommands() {
  ScheduleList schedules;
  EXPECT_TRUE(schedules.Add({"05/12/08 08:00", "05/31/08 18:30", "ABC"}));
  PageTree tree;
  tree.Toggle(2, 2);
  std::array<bool, 5> items{};
  items[0] = true;
  return {
      {"clock", [](std::uint8_t id) { return PlanSetClock(id, 2008y / May / 12d, "14:30:00"); },
       "<SC>08020512143000", " Set Date&Time OK ", "   Set Date&Time Error   ",
       " Setting Date&Time is Over"},
      {"brightness", [](std::uint8_t id) { return PlanSetBrightness(id, 3); }, "<BD>",
       "  Set Brightness OK  ", "  Set Brightness Error  ", "  Setting Brightness is Over  "},
      {"run page", [](std::uint8_t id) { return PlanRunPage(id, 'A'); }, "<RPA>",
       "   Run page Error OK   ", "  Run page Error  ", "   Running page is Over   "},
      {"delete all", [](std::uint8_t id) { return PlanDeleteAll(id); }, "<D*>",
       "   Delete All OK   ", "    Delete All Error    ", "   Deleting All is Over   "},
      {"link", [](std::uint8_t id) { return PlanLinkPages(id, "cAb"); },
       "<TA>00010100009912302359CAB", "   Link page OK   ", "  Link page Error  ",
       "   Linking page is over   "},
      {"schedule", [schedules](std::uint8_t id) { return PlanSendSchedules(id, schedules); },
       "<TA>08051208000805311830ABC", "   Send Schedule OK   ", "  Send Schedule Error  ",
       "   Sending Schedule is Over   "},
      {"delete schedule", [items](std::uint8_t id) { return PlanDeleteSchedules(id, items); },
       "<DTA>", "   Delete Schedule OK   ", "  Send Message Error  ",
       "   Deleting Schedule is Over   "},
      {"delete page", [tree](std::uint8_t id) { return PlanDeletePages(id, tree); }, "<DL2PC>",
       "   Delete page OK   ", "  Delete Page Error  ", "   Deleting page is over   "},
  };
}

TEST_F(SignFunctionsTest, OneFrameCommandsAcceptRefuseAndId00) {
  const std::string replies[] = {"ACK", "NACK", "", "AC", "NAK?"};
  for (const OneFrameRow& row : OneFrameCommands()) {
    for (const std::string& reply : replies) {
      SCOPED_TRACE(std::string(row.name) + " reply '" + reply + "'");
      Script([reply](std::size_t, std::string_view) { return reply; });
      m_notice.shown.clear();
      const SignOutcome outcome = Run(row.plan(0x0A));
      EXPECT_EQ(m_link->Writes(), std::vector<std::string>{SignFrame(0x0A, row.body)});
      const bool ack = reply == "ACK";
      EXPECT_EQ(outcome, ack ? SignOutcome::Accepted : SignOutcome::Refused);
      ExpectOneNotice(ack ? NoticeKind::Information : NoticeKind::Plain, ack ? row.ok : row.fail);
      EXPECT_EQ(m_link->Unread(), 0u);
      ExpectClosed();
    }
    // ID 00: written, never read, "is Over".
    SCOPED_TRACE(std::string(row.name) + " ID 00");
    Script(ScriptedLink::AlwaysAck());
    m_notice.shown.clear();
    EXPECT_EQ(Run(row.plan(0)), SignOutcome::Over);
    EXPECT_EQ(m_link->Reads(), 0);
    ExpectOneNotice(NoticeKind::Information, row.over);
    // The port that does not open.
    Script(ScriptedLink::AlwaysAck());
    m_link->FailOpen(true);
    m_notice.shown.clear();
    EXPECT_EQ(Run(row.plan(1)), SignOutcome::PortError);
    ExpectOneNotice(NoticeKind::Error, " Open Com Error ");
    EXPECT_TRUE(m_link->Writes().empty());
    EXPECT_EQ(m_link->Closes(), 0);
  }
}

TEST_F(SignFunctionsTest, SilenceCostsThreeTimeOuts) {
  Script([](std::size_t, std::string_view) { return std::string(); });
  EXPECT_EQ(Run(PlanDeleteAll(1)), SignOutcome::Refused);
  EXPECT_EQ(m_clock.nowMs, 3 * kReadTimeoutMs);
}

// ---- Series --------------------------------------------------------------------------------

// Every series stops at the first frame that is not accepted, whatever the reply was, takes a
// four-byte refusal off the line whole, and closes the port.
TEST_F(SignFunctionsTest, SeriesStopAtTheFirstFrameNotAccepted) {
  ScheduleList list;
  for (int i = 1; i <= 4; ++i) {
    ASSERT_TRUE(list.Add({"0" + std::to_string(i) + "/01/08 08:00", "12/31/08 23:59", "A"}));
  }
  PageTree tree;
  tree.Toggle(1, 0);
  tree.Toggle(10, 1);
  tree.Toggle(11, 2);
  const std::array<bool, 5> items{true, true, false, true, true};
  struct Series {
    const char* name;
    SignPlan plan;
    std::vector<std::string> bodies;
    int wait;
    const char* fail;
  } series[] = {
      {"schedules",
       PlanSendSchedules(1, list),
       {"<TA>08010108000812312359A", "<TB>08020108000812312359A", "<TC>08030108000812312359A",
        "<TD>08040108000812312359A"},
       70,
       "  Send Schedule Error  "},
      {"page deletions",
       PlanDeletePages(1, tree),
       {"<DL1PB>", "<DL2PB>", "<DL1PK>", "<DL2PL>"},
       50,
       "  Delete Page Error  "},
      {"schedule deletions",
       PlanDeleteSchedules(1, items),
       {"<DTA>", "<DTB>", "<DTD>", "<DTE>"},
       0,
       "  Send Message Error  "},
  };
  for (const Series& row : series) {
    for (std::size_t refused = 0; refused < row.bodies.size(); ++refused) {
      for (const std::string reply : {"NACK", "", "AC", "NAK!"}) {
        SCOPED_TRACE(std::string(row.name) + " refused at " + std::to_string(refused) + " with '" +
                     reply + "'");
        Script(ScriptedLink::AckExcept({refused}, reply));
        m_notice.shown.clear();
        m_clock.waits.clear();
        EXPECT_EQ(Run(row.plan), SignOutcome::Refused);
        EXPECT_EQ(Bodies(),
                  std::vector<std::string>(row.bodies.begin(), row.bodies.begin() + refused + 1));
        EXPECT_EQ(m_clock.waits, std::vector<int>(row.wait > 0 ? refused : 0, row.wait));
        EXPECT_EQ(m_link->Unread(), 0u);
        ExpectOneNotice(NoticeKind::Plain, row.fail);
        ExpectClosed();
      }
    }
    SCOPED_TRACE(row.name);
    Script(ScriptedLink::AlwaysAck());
    m_notice.shown.clear();
    EXPECT_EQ(Run(row.plan), SignOutcome::Accepted);
    EXPECT_EQ(Bodies(), row.bodies);
    ExpectClosed();
  }
}

TEST_F(SignFunctionsTest, EmptySeriesStillReportSuccess) {
  EXPECT_EQ(Run(PlanSendSchedules(1, ScheduleList{})), SignOutcome::Accepted);
  ExpectOneNotice(NoticeKind::Information, "   Send Schedule OK   ");
  m_notice.shown.clear();
  EXPECT_EQ(Run(PlanDeleteSchedules(1, {})), SignOutcome::Accepted);
  ExpectOneNotice(NoticeKind::Information, "   Delete Schedule OK   ");
  m_notice.shown.clear();
  EXPECT_EQ(Run(PlanDeletePages(1, PageTree{})), SignOutcome::Accepted);
  ExpectOneNotice(NoticeKind::Information, "   Delete page OK   ");
  EXPECT_TRUE(m_link->Writes().empty());
  EXPECT_EQ(m_link->Opens(), 3);
  ExpectClosed();
}

TEST_F(SignFunctionsTest, PageDeletionsWaitOnlyForAnsweringSigns) {
  PageTree tree;
  tree.Toggle(1, 0);   // B1, B2
  tree.Toggle(10, 1);  // K1
  tree.Toggle(11, 2);  // L2
  EXPECT_EQ(Run(PlanDeletePages(1, tree)), SignOutcome::Accepted);
  EXPECT_EQ(Bodies(), (std::vector<std::string>{"<DL1PB>", "<DL2PB>", "<DL1PK>", "<DL2PL>"}));
  EXPECT_EQ(m_clock.waits, std::vector<int>(4, 50));

  Script(ScriptedLink::AlwaysAck());
  m_clock.waits.clear();
  EXPECT_EQ(Run(PlanDeletePages(0, tree)), SignOutcome::Over);
  EXPECT_TRUE(m_clock.waits.empty());
  EXPECT_EQ(m_link->Reads(), 0);
}

// ---- Set ID ----------------------------------------------------------------------------------

TEST_F(SignFunctionsTest, SetIdAsksAndChecksTheEcho) {
  struct Row {
    std::string echo;
    bool ok;
  } rows[] = {{"10", true}, {"01", false}, {"1", false}, {"", false}, {"10ACK", true}};
  for (const Row& row : rows) {
    Script([row](std::size_t, std::string_view) { return row.echo; });
    m_notice.shown.clear();
    EXPECT_EQ(Run(PlanSetSignId(0x10)), row.ok ? SignOutcome::Accepted : SignOutcome::Refused);
    EXPECT_EQ(m_link->Writes(), std::vector<std::string>{"<ID><10><E>"});
    EXPECT_EQ(m_link->Reads(), 2);
    ASSERT_EQ(m_notice.shown.size(), 2u);
    EXPECT_EQ(m_notice.shown[0].text, "         Confirm to reset the ID ?         ");
    EXPECT_EQ(m_notice.shown[0].buttons, NoticeButtons::YesNo);
    EXPECT_EQ(m_notice.shown[1].text, row.ok ? "    Set ID OK    " : "    Set ID Error    ");
    EXPECT_EQ(m_notice.shown[1].kind, row.ok ? NoticeKind::Confirmation : NoticeKind::Plain);
    ExpectClosed();
  }
  Script(ScriptedLink::AlwaysAck());
  m_notice.answer = NoticeAnswer::No;
  EXPECT_EQ(Run(PlanSetSignId(0x10)), SignOutcome::Cancelled);
  EXPECT_EQ(m_link->Opens(), 0);
}

TEST_F(SignFunctionsTest, SetIdWithoutAPortOrWithAFailedWrite) {
  m_link->FailOpen(true);
  EXPECT_EQ(Run(PlanSetSignId(0x10)), SignOutcome::PortError);
  ASSERT_EQ(m_notice.shown.size(), 2u);  // the question, then the port
  EXPECT_EQ(m_notice.shown[1].text, " Open Com Error ");
  EXPECT_EQ(m_notice.shown[1].kind, NoticeKind::Error);
  EXPECT_TRUE(m_link->Writes().empty());

  Script([](std::size_t, std::string_view) { return std::string("10"); });
  m_link->BreakAfterWrites(0);
  m_notice.shown.clear();
  EXPECT_EQ(Run(PlanSetSignId(0x10)), SignOutcome::Refused);
  EXPECT_EQ(m_link->Reads(), 0);  // nothing is read after a frame that did not go
  EXPECT_EQ(m_notice.shown.back().text, "    Set ID Error    ");
  ExpectClosed();
}

// ---- Send message ------------------------------------------------------------------------

class SendMessageTest : public SignFunctionsTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_graphics.Write("G01", GraphicRows(16, std::string(64, 'A'))));  // 4 blocks
    ASSERT_TRUE(m_graphics.Write("G03", GraphicRows(7, std::string(32, 'D'))));   // 1 block
  }
  SignOutcome Send(std::string_view line = "<Pic:G03>Hi<Pic:G01>", std::uint8_t id = 1) {
    return Run(PlanSendMessage(m_graphics, line, 'C', id));
  }
  static constexpr std::size_t kWrites = 1 + 1 + 4 + 1 + 1;
};

TEST_F(SendMessageTest, TheWholeSequence) {
  EXPECT_EQ(Send(), SignOutcome::Accepted);
  const std::vector<std::string> b = Bodies();
  ASSERT_EQ(b.size(), kWrites);
  EXPECT_EQ(b[0], "<BE>");
  EXPECT_EQ(b[1], "<L1><PC><FE><MA><WC><FE><GC1>Hi<GA1><GA2>");
  const char* headers[] = {"<GA1>", "<GA2>", "<GA5>", "<GA6>", "<GC1>"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(b[2 + i].substr(0, 5), headers[i]);
  EXPECT_EQ(b[7], "<BF>");
  EXPECT_EQ(m_clock.waits, (std::vector<int>{200, 100, 250, 250, 250, 250, 250, 200}));
  EXPECT_TRUE(m_notice.shown.empty());  // a send that works shows nothing
  ExpectClosed();
  // The bar rose to half the message frame while it went out, then went back to 0.
  const int frameSize = static_cast<int>(m_link->Writes()[1].size());
  EXPECT_EQ(m_progress.maximum, frameSize / 2);
  ASSERT_GE(m_progress.positions.size(), 3u);
  EXPECT_EQ(m_progress.positions[m_progress.positions.size() - 2], frameSize / 2);
  EXPECT_EQ(m_progress.positions.back(), 0);
  EXPECT_TRUE(std::is_sorted(m_progress.positions.begin(), m_progress.positions.end() - 1));
}

TEST_F(SendMessageTest, ARefusalAtEachPosition) {
  for (std::size_t refused = 0; refused < kWrites; ++refused) {
    SCOPED_TRACE(refused);
    for (const std::string reply : {"NACK", "", "AC"}) {
      Script(ScriptedLink::AckExcept({refused}, reply));
      m_notice.shown.clear();
      const SignOutcome outcome = Send();
      ExpectClosed();
      if (refused == 0 || refused == kWrites - 1) {
        // The replies to "<BE>" and "<BF>" never stop a send.
        EXPECT_EQ(outcome, SignOutcome::Accepted);
        EXPECT_EQ(m_link->Writes().size(), kWrites);
        EXPECT_TRUE(m_notice.shown.empty());
      } else {
        EXPECT_EQ(outcome, SignOutcome::Refused);
        EXPECT_EQ(m_link->Unread(), 0u);
        EXPECT_EQ(m_link->Writes().size(), refused + 1);  // nothing after, not even "<BF>"
        ExpectOneNotice(NoticeKind::Plain,
                        refused == 1 ? "   Send Message Error   " : "   Send Graphic Error   ");
        if (refused == 1) {
          EXPECT_EQ(m_progress.positions.back(), 0);
        }
      }
    }
  }
}

TEST_F(SendMessageTest, Id00ReadsNothingAndWaitsAllTheSame) {
  EXPECT_EQ(Send("<Pic:G03>Hi<Pic:G01>", 0), SignOutcome::Over);
  EXPECT_EQ(m_link->Writes().size(), kWrites);
  EXPECT_EQ(m_link->Reads(), 0);
  EXPECT_EQ(m_clock.waits.size(), 8u);
  EXPECT_TRUE(m_notice.shown.empty());
}

TEST_F(SendMessageTest, NothingToSendOrAGraphicThatCannotGo) {
  EXPECT_EQ(Send(""), SignOutcome::Invalid);
  ExpectOneNotice(NoticeKind::Information, " No Message To Send ");
  EXPECT_EQ(m_link->Opens(), 0);

  m_notice.shown.clear();
  EXPECT_EQ(Send("x<Pic:G09>"), SignOutcome::FileError);
  ASSERT_EQ(m_notice.shown.size(), 1u);
  EXPECT_EQ(m_notice.shown[0].kind, NoticeKind::Error);
  EXPECT_NE(m_notice.shown[0].text.find("G09.txt"), std::string::npos);
  EXPECT_EQ(m_link->Opens(), 0);

  m_notice.shown.clear();
  m_link->FailOpen(true);
  EXPECT_EQ(Send("x"), SignOutcome::PortError);
  ExpectOneNotice(NoticeKind::Error, " Open Com Error ");
}

// A frame that cannot be written fails the send wherever it is, "<BE>" and "<BF>" included:
// a pulled cable is never reported as success, and nothing is written after it.
TEST_F(SendMessageTest, AWriteThatFailsStopsTheSendAtEachPosition) {
  for (const std::uint8_t id : {1, 0}) {
    for (std::size_t broken = 0; broken < kWrites; ++broken) {
      SCOPED_TRACE(std::to_string(broken) + " of ID " + std::to_string(id));
      Script(ScriptedLink::AlwaysAck());
      m_link->BreakAfterWrites(broken);
      m_notice.shown.clear();
      EXPECT_EQ(Send("<Pic:G03>Hi<Pic:G01>", id), SignOutcome::Refused);
      EXPECT_EQ(m_link->Writes().size(), broken);
      const bool graphic = broken >= 2 && broken < kWrites - 1;
      ExpectOneNotice(NoticeKind::Plain,
                      graphic ? "   Send Graphic Error   " : "   Send Message Error   ");
      ExpectClosed();
    }
  }
}

}  // namespace
}  // namespace tavrin
