#include "functions/sign_commands.h"

#include <gtest/gtest.h>

#include "signlink/sign_frame.h"

namespace tavrin {
namespace {

using namespace std::chrono;

TEST(SignCommandsTest, WorkedFrames) {
  EXPECT_EQ(SignFrame(1, ClockBody(2008y / May / 12d, "14:30:00")),
            "<ID01><SC>0802051214300018<E>");
  EXPECT_EQ(ClockBody(2026y / December / 5d, "00:00:00").substr(4, 4), "2607");  // a Saturday
  EXPECT_EQ(ClockBody(2026y / December / 6d, "00:00:00").substr(4, 4), "2601");  // a Sunday
  EXPECT_EQ(ClockBody(2009y / January / 1d, "01:02:03"),
            "<SC>090501010102"
            "03");
  EXPECT_EQ(SignFrame(0x0A, BrightnessBody(3)), "<ID0A><BD>04<E>");
  EXPECT_EQ(SignFrame(1, RunPageBody('A')), "<ID01><RPA>41<E>");
  EXPECT_EQ(SignFrame(1, DeleteScheduleBody(1)), "<ID01><DTA>53<E>");
  EXPECT_EQ(SignFrame(1, DeleteLineBody(1, 'A')), "<ID01><DL1PA>2A<E>");
  EXPECT_EQ(SignFrame(1, std::string(kDeleteAllBody)), "<ID01><D*>6C<E>");
  EXPECT_EQ(SignFrame(1, ScheduleBody(0, {"05/12/08 08:00", "05/31/08 18:30", "ABC"})),
            "<ID01><TA>08051208000805311830ABC54<E>");
  EXPECT_EQ(SignFrame(1, LinkBody("abc")), "<ID01><TA>00010100009912302359ABC5A<E>");
  EXPECT_EQ(SignFrame(1, LinkBody("")),
            "<ID01><TA>00010100009912302359"
            "1A<E>");
  EXPECT_EQ(LinkBody("cAb").substr(24), "CAB");
  EXPECT_EQ(ScheduleBody(4, {"", "", ""}).substr(0, 4), "<TE>");
}

TEST(SignCommandsTest, BrightnessLevels) {
  EXPECT_EQ(BrightnessLevelIndex("100%"), 0);
  EXPECT_EQ(BrightnessLevelIndex("75"), 1);
  EXPECT_EQ(BrightnessLevelIndex("25"), 3);
  EXPECT_EQ(BrightnessLevelIndex("30"), std::nullopt);
  EXPECT_EQ(BrightnessLevelIndex("10"), std::nullopt);
}

TEST(TimeFieldTest, CorrectionsAfterEachKey) {
  // Typed key by key, each key followed by the corrections.
  std::string field = "  :  :  ";
  const std::string keys = "297561";
  const std::size_t positions[] = {0, 1, 3, 4, 6, 7};
  for (std::size_t k = 0; k < keys.size(); ++k) {
    field[positions[k]] = keys[k];
    field = CorrectTimeField(field);
  }
  EXPECT_EQ(field, "23:55:51");
  EXPECT_EQ(CorrectTimeField("35:99"), "23:59");
  EXPECT_EQ(CorrectTimeField("19:59:59"), "19:59:59");
  EXPECT_EQ(CorrectTimeField(" 9:  :  "), " 9:  :  ");
  EXPECT_EQ(CorrectTimeField("24"), "23");
}

TEST(TimeFieldTest, Ticks) {
  EXPECT_EQ(TickTimeField("23:59:59"), "00:00:00");
  EXPECT_EQ(TickTimeField("12:59:59"), "13:00:00");
  EXPECT_EQ(TickTimeField("12:34:56"), "12:34:57");
  EXPECT_EQ(TickTimeField(" 9:05:00"), "09:05:01");
  for (const char* stuck : {"12:3 :45", "  :  :  ", "12:34", "25:00:00", "12-34-56", "ab:cd:ef"}) {
    EXPECT_EQ(TickTimeField(stuck), std::nullopt) << stuck;
  }
}

TEST(ScheduleStampTest, TheEditorsCheckAndTheCommandLinesForm) {
  const Result<ScheduleEntry> entry =
      MakeScheduleEntry("00/00/08", "08:00", "12/31/99", " 9:5", "aB");
  ASSERT_TRUE(entry);
  EXPECT_EQ(*entry, (ScheduleEntry{"00/00/08 08:00", "12/31/99  9:5", "AB"}));
  EXPECT_EQ(MakeScheduleEntry("13/01/08", "", "01/01/08", "", "").ErrorText(),
            "Date is out of Range");
  EXPECT_FALSE(MakeScheduleEntry("01/01/08 00:00", "12/32/08 00:00", ""));

  const ScheduleStampParts parts = SplitScheduleStamp("05/12/08 08:00");
  EXPECT_EQ(parts.date, "05/12/08");
  EXPECT_EQ(parts.time, "08:00");
  EXPECT_EQ(SplitScheduleStamp("05/1").date, "05/1");
  EXPECT_EQ(SplitScheduleStamp("05/1").time, "");
  EXPECT_EQ(JoinScheduleStamp(parts.date, parts.time), "05/12/08 08:00");

  EXPECT_TRUE(IsWellFormedScheduleStamp("13/01/08 23:59"));  // the range is the entry's check
  for (const char* bad : {"05/12/08 8:00", "05/12/08 24:00", "05/12/08 08:60", "05-12-08 08:00",
                          "05/12/08 08:00 ", "5/12/08 08:00"}) {
    EXPECT_FALSE(IsWellFormedScheduleStamp(bad)) << bad;
  }
}

TEST(ScheduleListTest, AddModifyRemove) {
  ScheduleList list;
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(
        list.Add({"01/0" + std::to_string(i + 1) + "/08 08:00", "01/31/08 18:00", "abcDE"}));
  }
  EXPECT_EQ(list.Add({}).ErrorText(), " Max only items 5 ");
  EXPECT_EQ(list.Entries()[0].pages, "ABCDE");
  list.Remove(1);
  ASSERT_EQ(list.Entries().size(), 4u);
  EXPECT_EQ(ScheduleList::Number(1), "2");
  // The old third row now goes out as entry B.
  EXPECT_EQ(ScheduleBody(1, list.Entries()[1]).substr(0, 10), "<TB>080103");
  list.Modify(0, {"02/02/09 09:09", "03/03/09 10:10", "z"});
  EXPECT_EQ(list.Entries()[0], (ScheduleEntry{"02/02/09 09:09", "03/03/09 10:10", "Z"}));
  list.Modify(9, {});
  list.Remove(9);
  EXPECT_EQ(list.Entries().size(), 4u);

  std::string pages = "abcDE";
  EXPECT_TRUE(NormalizePageLetters(pages));
  EXPECT_EQ(pages, "ABCDE");
  for (std::string bad : {"ab1", "a b", "\xC3\xA9"}) EXPECT_FALSE(NormalizePageLetters(bad));
}

TEST(PageTreeTest, ChecksFollowTheirPages) {
  PageTree tree;
  tree.Toggle(2, 2);  // Page C, Line 2
  EXPECT_TRUE(tree.PageChecked(2));
  EXPECT_EQ(tree.LinesToDelete(), (std::vector<std::pair<char, int>>{{'C', 2}}));

  tree.Toggle(1, 0);  // Page B: both lines
  EXPECT_EQ(tree.LinesToDelete(),
            (std::vector<std::pair<char, int>>{{'B', 1}, {'B', 2}, {'C', 2}}));

  tree.Toggle(1, 1);  // unchecking line 1 leaves page B checked while line 2 is
  EXPECT_TRUE(tree.PageChecked(1));
  tree.Toggle(1, 2);
  EXPECT_FALSE(tree.PageChecked(1));

  tree.Toggle(2, 0);  // unchecking a page unchecks its lines
  EXPECT_FALSE(tree.LineChecked(2, 2));
  EXPECT_TRUE(tree.LinesToDelete().empty());
}

}  // namespace
}  // namespace tavrin
