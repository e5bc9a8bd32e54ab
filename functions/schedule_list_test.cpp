#include "functions/schedule_list.h"

#include <gtest/gtest.h>

#include "functions/command_bodies.h"

namespace tavrin {
namespace {

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

}  // namespace
}  // namespace tavrin
