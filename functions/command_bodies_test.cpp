#include "functions/command_bodies.h"

#include <gtest/gtest.h>

#include "signlink/sign_frame.h"

namespace tavrin {
namespace {

using namespace std::chrono;

TEST(CommandBodiesTest, WorkedFrames) {
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

TEST(CommandBodiesTest, BrightnessLevels) {
  EXPECT_EQ(BrightnessLevelIndex("100%"), 0);
  EXPECT_EQ(BrightnessLevelIndex("75"), 1);
  EXPECT_EQ(BrightnessLevelIndex("25"), 3);
  EXPECT_EQ(BrightnessLevelIndex("30"), std::nullopt);
  EXPECT_EQ(BrightnessLevelIndex("10"), std::nullopt);
}

}  // namespace
}  // namespace tavrin
