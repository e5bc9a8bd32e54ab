#include "service/sign_text.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(SignTextTest, WhatTheEditorWouldSendAndNothingTheSignWouldMisread) {
  EXPECT_EQ(SignTextOf("<Curtain Up><Red>Caf\xC3\xA9 <Pic:G01><U41><COL 012>", "CP1252").Value(),
            "<Curtain Up><Red>Caf\xE9 <Pic:G01><U41><COL 012>");
  EXPECT_TRUE(SignTextOf(std::string(210, 'x'), "CP1252"));
  const struct {
    std::string text;
    std::string error;
  } rows[] = {
      {"<Blink Twice>", "the tag <Blink Twice> is not one the sign knows"},
      {"<red>", "the tag <red> is not one the sign knows"},
      {"a < b", "begins no display tag"},
      {"a <<Red>", "begins no display tag"},
      {"a > b", "ends no display tag"},
      {"tab\there", "control character"},
      {"\xE2\x82\xAC\xE2\x98\x83", "code page"},  // the snowman is not in CP1252
      {std::string(211, 'x'), "the message has 211 characters; a line holds 210"},
  };
  for (const auto& row : rows) {
    const Result<std::string> r = SignTextOf(row.text, "CP1252");
    ASSERT_FALSE(r) << row.text;
    EXPECT_NE(r.ErrorText().find(row.error), std::string::npos) << r.ErrorText();
  }
}

}  // namespace
}  // namespace tavrin
