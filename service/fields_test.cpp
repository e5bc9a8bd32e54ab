#include "service/fields.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

// Sunday 2026-03-01 09:05:07.
std::tm Morning() {
  std::tm t{};
  t.tm_year = 126;
  t.tm_mon = 2;
  t.tm_mday = 1;
  t.tm_wday = 0;
  t.tm_hour = 9;
  t.tm_min = 5;
  t.tm_sec = 7;
  return t;
}

TEST(FieldsTest, TimeAndDateFormats) {
  std::tm evening = Morning();
  evening.tm_hour = 21;
  const struct {
    std::string format;
    std::tm when;
    std::string text;
  } rows[] = {
      {"HH:mm", Morning(), "09:05"},
      {"H:mm:ss", Morning(), "9:05:07"},
      {"hh:mm AP", evening, "09:05 PM"},
      {"h ap", Morning(), "9 am"},
      {"yyyy-MM-dd", Morning(), "2026-03-01"},
      {"d/M/yy", Morning(), "1/3/26"},
      {"dddd d MMMM", Morning(), "Sunday 1 March"},
      {"ddd, MMM dd", Morning(), "Sun, Mar 01"},
      {"'Day' d 'at' H", Morning(), "Day 1 at 9"},
      {"y yyy 'open", Morning(), "y 26y open"},
  };
  for (const auto& row : rows) EXPECT_EQ(FormatTime(row.format, row.when), row.text) << row.format;
  // Midnight and noon on a twelve-hour clock.
  std::tm midnight = Morning();
  midnight.tm_hour = 0;
  EXPECT_EQ(FormatTime("h AP", midnight), "12 AM");
}

TEST(FieldsTest, RenderingAndTopics) {
  const std::map<std::string, std::string> values{{"home/door", "open"}, {"q/n", "42"}};
  EXPECT_EQ(RenderFields("<Red>{time:} {date:} door {mqtt:home/door}, {mqtt:q/n} {mqtt:none}.",
                         Morning(), values),
            "<Red>09:05 2026-03-01 door open, 42 .");
  // Braces that begin no field are text.
  for (const std::string text : {"{open}", "{time}", "{time:HH", "{mqtt:}", "a { b } c", "}{"}) {
    EXPECT_EQ(RenderFields(text, Morning(), values), text);
    EXPECT_FALSE(HasClockFields(text)) << text;
  }
  EXPECT_EQ(RenderFields("{x}{time:HH}", Morning(), values), "{x}09");
  EXPECT_EQ(MqttFieldTopics("{mqtt:a} {time:} {mqtt:b/#} {mqtt:a}"),
            (std::vector<std::string>{"a", "b/#"}));
  EXPECT_TRUE(HasClockFields("x {date:d}"));
  EXPECT_FALSE(HasClockFields("x {mqtt:d}"));
}

TEST(FieldsTest, ValuesBringNoTagsAndStayShort) {
  EXPECT_EQ(FieldValue("<Clear>42"), "(Clear)42");
  EXPECT_EQ(FieldValue("a\nb\tc\x7F"), "a b c ");
  EXPECT_EQ(FieldValue("caf\xC3\xA9 \xC3"), "caf\xC3\xA9 ");
  EXPECT_EQ(FieldValue("\xED\xA0\x80x\xE0\x80\x80y\xF4\x90\x80\x80z"), "xyz");
  const std::string euro(100, 'x');
  EXPECT_EQ(FieldValue(euro).size(), kMaxFieldValueCharacters);
  std::string wide;
  for (int i = 0; i < 100; ++i) wide += "\xE2\x82\xAC";  // the euro sign
  EXPECT_EQ(FieldValue(wide).size(), 3 * kMaxFieldValueCharacters);
}

}  // namespace
}  // namespace tavrin
