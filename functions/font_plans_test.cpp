#include "functions/font_plans.h"

#include <gtest/gtest.h>

#include "signlink/sign_frame.h"
#include "signlink/sign_road.h"
#include "tests/support/font_records.h"
#include "tests/support/scripted_link.h"

namespace tavrin {
namespace {

using testing::ScriptedLink;

using testing::Character;

FontList ListOf(const std::vector<UserFontRecord>& records) {
  std::vector<FontEntry> entries;
  entries.reserve(records.size());
  for (const UserFontRecord& r : records) entries.push_back({EntryTextOf(r), r});
  return FontList::Of(std::move(entries));
}

struct Shown {
  NoticeKind kind;
  std::string text;
};

class Recorder : public Notice, public Waiter, public ProgressSink {
 public:
  std::vector<Shown> shown;
  std::vector<int> waits;
  std::vector<int> positions;
  int maximum = -1;
  NoticeAnswer Show(NoticeKind kind, NoticeButtons, const std::string& text) override {
    shown.push_back({kind, text});
    return NoticeAnswer::Yes;
  }
  void WaitMs(int ms) override { waits.push_back(ms); }
  void SetMaximum(int m) override { maximum = m; }
  void SetPosition(int p) override { positions.push_back(p); }
};

const std::vector<std::uint8_t> kA = {0x70, 0x88, 0x88, 0xF8, 0x88, 0x88, 0x88};

TEST(FontTransferTest, TheWorkedFrames) {
  const FontTransferPlan t = PlanFontTransfer(1, ListOf({Character("U41", 'A', kA)}));
  ASSERT_EQ(t.plan.steps.size(), 3u);
  EXPECT_EQ(t.plan.steps[0].frame, "<ID01><BE>05<E>");
  EXPECT_EQ(t.plan.steps[2].frame, "<ID01><BF>06<E>");
  const std::string u41 = t.plan.steps[1].frame;
  EXPECT_EQ(u41.size(), 25u);
  EXPECT_EQ(u41, std::string("<ID01><FA01>") + "\x70\x88\x88\xF8\x88\x88\x88" +
                     std::string(1, '\0') + "04<E>");
  EXPECT_EQ(PlanRecallDefaultFont(1).steps[0].frame, "<ID01><DU>13<E>");
  ASSERT_TRUE(t.recordOfStep[1]);
  EXPECT_EQ(t.recordOfStep[1]->CodeText(), "U41");
  EXPECT_FALSE(t.recordOfStep[0]);
}

TEST(FontTransferTest, WhatIsSentAndWhatIsSkipped) {
  // Raw dot bytes, the same code in two sizes in list order, all-zero and impossible records.
  const FontList list = ListOf({
      Character("U41", 'A', {0x3C, 0x3E, 0x00, 0x3C}),
      Character("U41", 'C', {0xF0}),
      UserFontRecord{},
      Character("U80", 'A', kA),  // no such code
      Character("U42", 'Q', kA),  // no such size
      Character("u43", 'A', kA),
  });
  const FontTransferPlan t = PlanFontTransfer(0x0A, list);
  std::vector<std::string> bodies;
  for (const PlanStep& s : t.plan.steps) bodies.push_back(s.frame.substr(6, s.frame.size() - 11));
  ASSERT_EQ(bodies.size(), 4u);
  EXPECT_EQ(bodies[1], std::string("<FC01>\xF0") + std::string(7, '\0'));
  EXPECT_EQ(bodies[2],
            std::string("<FA01>\x3C\x3E") + std::string(1, '\0') + "\x3C" + std::string(4, '\0'));
  EXPECT_EQ(t.skipped, (std::vector<std::string>{"U42-", "u43-5x7", "U80-5x7"}));
  EXPECT_NE(t.plan.done->text.find("U80-5x7"), std::string::npos);
  EXPECT_EQ(t.plan.done->text.substr(0, 28), "      Transfer Font OK      ");
  EXPECT_EQ(t.plan.progressMaximum, 6);

  // An empty list, or one of all-zero records, still opens and closes the transfer.
  for (const FontList& nothing : {FontList{}, ListOf({UserFontRecord{}})}) {
    const FontTransferPlan n = PlanFontTransfer(1, nothing);
    EXPECT_EQ(n.plan.Frames(), (std::vector<std::string>{"<ID01><BE>05<E>", "<ID01><BF>06<E>"}));
    EXPECT_EQ(n.plan.done->text, "      Transfer Font OK      ");
  }
}

TEST(FontTransferTest, ARefusalOnTheThirdOfFive) {
  std::vector<UserFontRecord> five;
  for (const char* code : {"U40", "U41", "U42", "U43", "U44"})
    five.push_back(Character(code, 'B', kA));
  const FontTransferPlan t = PlanFontTransfer(1, ListOf(five));
  // Writes 0 "<BE>", 1 and 2 accepted, 3 refused.
  ScriptedLink link(ScriptedLink::AckExcept({3}, "NACK"));
  Recorder r;
  SignSession session{link, r, r, 1, &r};
  EXPECT_EQ(RunPlan(t.plan, session).outcome, SignOutcome::Refused);
  ASSERT_EQ(link.Writes().size(), 5u);
  EXPECT_EQ(link.Writes()[3], t.plan.steps[3].frame);
  EXPECT_EQ(link.Writes()[4], "<ID01><BF>06<E>");
  ASSERT_EQ(r.shown.size(), 1u);
  EXPECT_EQ(r.shown[0].kind, NoticeKind::Error);
  EXPECT_EQ(r.shown[0].text, "   Transfer U42 Font Error   ");
  EXPECT_EQ(r.waits, (std::vector<int>{200, 60, 60, 200}));
  EXPECT_EQ(r.maximum, 5);
  EXPECT_EQ(r.positions, (std::vector<int>{0, 1, 2, 3, 0}));
  EXPECT_FALSE(link.IsOpen());

  // ID 00 reads nothing and says "Over".
  ScriptedLink quiet;
  Recorder r00;
  SignSession s00{quiet, r00, r00, 1, &r00};
  EXPECT_EQ(RunPlan(PlanFontTransfer(0, ListOf(five)).plan, s00).outcome, SignOutcome::Over);
  EXPECT_EQ(quiet.Reads(), 0);
  EXPECT_EQ(quiet.Writes().size(), 7u);
  EXPECT_EQ(r00.shown.back().text, "      Transfer Font Over      ");

  const SignPlan recall = PlanRecallDefaultFont(0);
  EXPECT_EQ(recall.done->text, "  Recall Default Font Over  ");
  EXPECT_EQ(PlanRecallDefaultFont(2).steps[0].failure.text, "   Send Message Error   ");
}

}  // namespace
}  // namespace tavrin
