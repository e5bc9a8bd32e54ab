#include "service/payload.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(PayloadTest, MessagesAsJsonOrAsTheLineItself) {
  Result<MessageRequest> m = ParseMessagePayload("<Curtain Up>Hello {time:HH:mm}");
  ASSERT_TRUE(m) << m.ErrorText();
  EXPECT_EQ(*m,
            (MessageRequest{"<Curtain Up>Hello {time:HH:mm}", {}, MessagePriority::Normal, {}}));
  // A line that begins with blanks and a brace is JSON; one with a brace later is a line.
  m = ParseMessagePayload(
      R"( {"text": "Ring caf\u00e9", "page": "Z", "priority": "urgent", "ttl": 30})");
  ASSERT_TRUE(m) << m.ErrorText();
  EXPECT_EQ(*m, (MessageRequest{"Ring caf\xC3\xA9", 'Z', MessagePriority::Urgent, 30}));
  EXPECT_TRUE(ParseMessagePayload("Door {open}"));
  EXPECT_EQ(ParseMessagePayload("").Value().text, "");
}

TEST(PayloadTest, BadMessagesSayWhatIsWrong) {
  const struct {
    std::string payload;
    std::string error;
  } rows[] = {
      {R"({"text": "a",)", "malformed JSON at byte"},
      {"{}", "\"text\" is required"},
      {R"({"page": "A"})", "\"text\" is required"},
      {R"({"text": 5})", "\"text\" is required"},
      {R"({"text": "a", "colour": "red"})", "unknown member \"colour\""},
      {R"({"text": "a", "page": "a"})", "\"page\" is a letter A to Z"},
      {R"({"text": "a", "page": "AB"})", "\"page\" is a letter A to Z"},
      {R"({"text": "a", "priority": "high"})", "\"priority\" is"},
      {R"({"text": "a", "priority": "urgent", "ttl": 0})", "\"ttl\" is a whole number"},
      {R"({"text": "a", "priority": "urgent", "ttl": 1.5})", "\"ttl\" is a whole number"},
      {R"({"text": "a", "priority": "urgent", "ttl": 1e12})", "\"ttl\" is a whole number"},
      {R"({"text": "a", "ttl": 5})", "goes with \"priority\": \"urgent\""},
      {R"({"text": "a\u0007"})", "control character"},
      {"tab\there", "control character"},
      {"\xC3", "not valid UTF-8"},
      {"\xED\xA0\x80", "not valid UTF-8"},  // a surrogate
      {std::string(kMaxPayloadBytes + 1, 'x'), "larger than"},
  };
  for (const auto& row : rows) {
    const Result<MessageRequest> m = ParseMessagePayload(row.payload);
    ASSERT_FALSE(m) << row.payload;
    EXPECT_NE(m.ErrorText().find(row.error), std::string::npos) << m.ErrorText();
  }
}

TEST(PayloadTest, Commands) {
  const struct {
    std::string payload;
    CommandRequest command;
  } rows[] = {
      {"clock", {CommandKind::Clock, 0, 'A'}},
      {R"({"command": "clock"})", {CommandKind::Clock, 0, 'A'}},
      {"brightness 25%", {CommandKind::Brightness, 3, 'A'}},
      {" brightness 75 ", {CommandKind::Brightness, 1, 'A'}},
      {R"({"command": "brightness", "level": 50})", {CommandKind::Brightness, 2, 'A'}},
      {R"({"command": "brightness", "level": "100%"})", {CommandKind::Brightness, 0, 'A'}},
      {"run-page Q", {CommandKind::RunPage, 0, 'Q'}},
      {R"({"command": "run-page", "page": "B"})", {CommandKind::RunPage, 0, 'B'}},
  };
  for (const auto& row : rows) {
    const Result<CommandRequest> c = ParseCommandPayload(row.payload);
    ASSERT_TRUE(c) << row.payload << ": " << c.ErrorText();
    EXPECT_EQ(*c, row.command) << row.payload;
  }
  for (const std::string bad :
       {"", "reboot", "clock now", "brightness 60", "brightness", "run-page", "run-page b",
        R"({"command": "brightness", "level": 60})", R"({"command": "run-page", "level": "B"})",
        R"({"level": "50"})", R"({"command": "clock")"}) {
    EXPECT_FALSE(ParseCommandPayload(bad)) << bad;
  }
}

}  // namespace
}  // namespace tavrin
