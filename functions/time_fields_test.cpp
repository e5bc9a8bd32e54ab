#include "functions/time_fields.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

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

}  // namespace
}  // namespace tavrin
