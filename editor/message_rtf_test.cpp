#include "editor/message_rtf.h"

#include <gtest/gtest.h>

#include "editor/vocabulary.h"
#include "tests/support/scratch_folder.h"

namespace tavrin {

void PrintTo(const TextRun& run, std::ostream* os) {
  *os << (run.red ? "red:" : "black:") << ::testing::PrintToString(run.text);
}

namespace {

using Runs = std::vector<TextRun>;

Runs Read(std::string_view rtf) {
  Result<Runs> runs = ReadMessageRtf(rtf);
  EXPECT_TRUE(runs) << runs.ErrorText();
  return runs ? *runs : Runs{};
}

TEST(MessageRtfTest, EveryDisplayTagRoundTripsRed) {
  for (const TagTable table : {TagTable::Format, TagTable::UpperEffect, TagTable::LowerEffect,
                               TagTable::Mode, TagTable::Wait, TagTable::Speed}) {
    for (const std::string_view tag : Table(table).tags) {
      if (tag.empty()) continue;
      const Runs runs{{"a ", false}, {std::string(tag), true}, {"b", false}};
      EXPECT_EQ(Read(WriteMessageRtf(runs, "CP1252")), runs) << tag;
    }
  }
  const Runs computed{{"<COL 007>", true}, {"{x}\\y", false}, {"<Pic:G03>", true}};
  EXPECT_EQ(Read(WriteMessageRtf(computed, "CP1252")), computed);
}

TEST(MessageRtfTest, TextOutsideAsciiAndLineBreaksRoundTrip) {
  const Runs runs{{"caf\xC3\xA9 \xE2\x82\xAC\n\xE4\xB8\xAD\tz \xF0\x9F\x98\x80", false}};
  const std::string rtf = WriteMessageRtf(runs, "CP1252");
  EXPECT_NE(rtf.find("caf\\'e9 \\'80\\par"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\u20013?"), std::string::npos) << rtf;  // not in the code page
  EXPECT_EQ(Read(rtf), runs);
  EXPECT_EQ(rtf.find_first_of(std::string("\x80\xFF", 2)), std::string::npos);  // 7-bit file
}

TEST(MessageRtfTest, ReadsWhatOtherEditorsWrite) {
  // Shaped like a WordPad file: tables, a generator, \'hh in the document's code page, \u with
  // a fallback, a nested unknown destination, and \plain.
  const std::string wordpad =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}}\r\n"
      "{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
      "{\\*\\generator Riched20 10.0.19041}{\\*\\unknown{\\nested x}y}\\viewkind4\\uc1 \r\n"
      "\\pard\\sa200\\sl276\\slmult1\\cf1\\b\\f0\\fs22\\lang9 Hi \\cf2 <Red>\\cf3 blue\\cf1 "
      "\\'e9\\u8364\\'80\\tab\\par\r\n{\\cf2 <Hold>}\\plain{\\*\\x}\\par\r\n}";
  EXPECT_EQ(Read(wordpad), (Runs{{"Hi ", false},
                                 {"<Red>", true},
                                 {"blue\xC3\xA9\xE2\x82\xAC\t\n", false},
                                 {"<Hold>", true}}));
  // \uc2 skips two fallback bytes, \'hh escapes counting as one each.
  EXPECT_EQ(Read("{\\rtf1\\uc2 a\\u20013\\'81\\'82b}"), (Runs{{"a\xE4\xB8\xAD"
                                                               "b",
                                                               false}}));
  // A double-byte code page decodes its \'hh pairs together.
  EXPECT_EQ(Read("{\\rtf1\\ansi\\ansicpg936 \\'d6\\'d0}"), (Runs{{"\xE4\xB8\xAD", false}}));
  // Escaped braces and backslashes, \line, \~ and a surrogate pair.
  EXPECT_EQ(Read("{\\rtf1 \\{a\\}\\\\\\line b\\~c\\u-10179?\\u-8704?}"),
            (Runs{{"{a}\\\nb c\xF0\x9F\x98\x80", false}}));
}

// Found by fuzzing: "\u20" is a control character, which the writer leaves out, so the file
// did not open again as it was read. Control characters other than tab and line break are
// dropped as a file is read, in Rich Text and in plain text alike; a tab, which the sign
// would get as a control byte, becomes a blank.
TEST(MessageRtfTest, ControlCharactersAreNoMessageText) {
  const auto open = [](std::string_view bytes) {
    Result<Runs> runs = ReadMessageFile(bytes, "CP1252");
    EXPECT_TRUE(runs) << runs.ErrorText();
    return runs ? *runs : Runs{};
  };
  const Runs read = open("{\\rtf1\\uc2 a\\u20uc3\\'81\\'82b}");
  EXPECT_EQ(read, (Runs{{"a?", false}}));
  EXPECT_EQ(open(WriteMessageRtf(read, "CP1252")), read);
  EXPECT_EQ(open("a\x01"
                 "b\tc\x1f\r\nd\x04"),
            (Runs{{"ab c\nd", false}}));
  EXPECT_EQ(open("{\\rtf1 x\\tab y\ty}"), (Runs{{"x y y", false}}));
}

// Found by fuzzing: bytes shaped like UTF-8 but past U+10FFFF were taken as UTF-8 and written
// back as other characters. Only real UTF-8 is read as UTF-8; the rest is the code page's.
TEST(MessageRtfTest, OnlyRealUtf8IsReadAsUtf8) {
  for (const std::string& bytes : {std::string("a\xF6\xA3\xA3\xA3."), std::string("\xC0\xAF"),
                                   std::string("\xED\xA0\x80"), std::string("\xF4\xBF\xBF\xBF")}) {
    const Result<Runs> read = ReadMessageFile(bytes, "CP1252");
    ASSERT_TRUE(read) << read.ErrorText();
    const Result<Runs> again = ReadMessageFile(WriteMessageRtf(*read, "CP1252"), "CP1252");
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *read) << ::testing::PrintToString(bytes);
  }
  // "\u" with a number no 16-bit unit has: a "?", not bytes of no character.
  const Result<Runs> big = ReadMessageFile("{\\rtf1\\uc2 a\\u2001382\\1\\'[82\x1d}", "CP1252");
  ASSERT_TRUE(big);
  EXPECT_EQ(ReadMessageFile(WriteMessageRtf(*big, "CP1252"), "CP1252")->front(), big->front());
  EXPECT_EQ(big->front().text.substr(0, 2), "a?");
  const Result<Runs> euro = ReadMessageFile("\xE2\x82\xAC", "CP1252");
  EXPECT_EQ(*euro, (Runs{{"\xE2\x82\xAC", false}}));  // real UTF-8 stays what it is
}

TEST(MessageRtfTest, HostileDocuments) {
  EXPECT_FALSE(ReadMessageRtf("plain text"));
  EXPECT_FALSE(ReadMessageRtf(""));
  // Truncated: what is there is kept.
  EXPECT_EQ(Read("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1 <Red>\\cf0  and mo"),
            (Runs{{"<Red>", true}, {" and mo", false}}));
  EXPECT_EQ(Read("{\\rtf1 x\\"), (Runs{{"x", false}}));
  EXPECT_EQ(Read("{\\rtf1 x\\'4"), (Runs{{"x", false}}));
  // 10,000 nested groups.
  std::string deep = "{\\rtf1 ";
  for (int i = 0; i < 10000; ++i) deep += "{a";
  deep += std::string(10000, '}') + "}";
  EXPECT_EQ(Read(deep), (Runs{{std::string(10000, 'a'), false}}));
  // \bin data is skipped whole, even when it holds braces; a huge count stops at the end.
  EXPECT_EQ(Read("{\\rtf1 a\\bin3 }}{b}"), (Runs{{"ab", false}}));
  EXPECT_EQ(Read("{\\rtf1 a\\bin99999999999 xyz}"), (Runs{{"a", false}}));
  // A colour index beyond the table is black.
  EXPECT_EQ(Read("{\\rtf1{\\colortbl;}\\cf7 z}"), (Runs{{"z", false}}));
}

TEST(MessageFileTest, PlainTextAndRefusals) {
  EXPECT_EQ(*ReadMessageFile("Hello <Red>\r\nline two\r\n", "CP1252"),
            (Runs{{"Hello <Red>\nline two", false}}));
  EXPECT_EQ(*ReadMessageFile("caf\xE9", "CP1252"), (Runs{{"caf\xC3\xA9", false}}));
  EXPECT_EQ(*ReadMessageFile("caf\xC3\xA9", "CP1252"), (Runs{{"caf\xC3\xA9", false}}));
  EXPECT_NE(ReadMessageFile(std::string("MZ\x90\0\3", 5), "CP1252").ErrorText().find("binary"),
            std::string::npos);
  EXPECT_NE(ReadMessageFile(std::string(kMaxMessageFileBytes + 1, 'a'), "CP1252")
                .ErrorText()
                .find("too large"),
            std::string::npos);
}

// Opening counts characters, not bytes, and every refusal names the file.
TEST(MessageFileTest, OpeningAFileOfAtMostAMessagesCharacters) {
  testing::ScratchFolder home;
  std::string full;
  for (std::size_t i = 0; i < kMaxMessageTextCharacters; ++i) full += "\xC3\xA9";  // é
  const std::filesystem::path fits = home.Put("fits.txt", full);
  const Result<Runs> opened = LoadMessageFile(fits, "CP1252");
  ASSERT_TRUE(opened) << opened.ErrorText();
  EXPECT_EQ(opened->front().text, full);

  const std::filesystem::path over = home.Put("over.txt", full + "x");
  EXPECT_EQ(LoadMessageFile(over, "CP1252").ErrorText(),
            over.string() +
                " holds 5001 characters: too long for a message (a line of the sign holds 210), "
                "so it was not opened");
  EXPECT_EQ(LoadMessageFile(home.Put("bin.txt", std::string("a\0b", 3)), "CP1252")
                .ErrorText()
                .rfind((home / "bin.txt").string() + ": ", 0),
            0u);
  EXPECT_NE(LoadMessageFile(home / "none.txt", "CP1252").ErrorText().find("none.txt"),
            std::string::npos);
}

}  // namespace
// Pasted text takes the tag colour where a tag the menus insert stands, as typed tags would
// look had they been inserted; half tags and unknown tags stay black.
TEST(MessageRtfTest, PastedTagsAreFoundWhereverTheyStand) {
  const struct {
    std::string pasted;
    Runs runs;
  } rows[] = {
      {"<Red>", {{"<Red>", true}}},
      {"<<Red>x", {{"<", false}, {"<Red>", true}, {"x", false}}},
      {"<Red", {{"<Red", false}}},
      {"a<Nope>b<COL 007>", {{"a<Nope>b", false}, {"<COL 007>", true}}},
      {"<Speed 2><0.5Sec><UFF><U4g>", {{"<Speed 2><0.5Sec><UFF>", true}, {"<U4g>", false}}},
      {"x\ty", {{"x y", false}}},
      {"", {}},
  };
  for (const auto& row : rows) EXPECT_EQ(RunsOfPastedText(row.pasted), row.runs) << row.pasted;
}

}  // namespace tavrin
