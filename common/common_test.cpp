#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "common/bytes.h"
#include "common/codepage.h"
#include "common/command_line.h"
#include "common/file_io.h"
#include "common/program_folder.h"
#include "tests/support/scratch_folder.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

TEST(BytesTest, HexDigitsBothWays) {
  EXPECT_EQ(HexByte(0), "00");
  EXPECT_EQ(HexByte(10), "0A");
  EXPECT_EQ(HexByte(255), "FF");
  std::uint8_t v = 0;
  EXPECT_TRUE(ParseHexByte("0a", v));
  EXPECT_EQ(v, 10);
  EXPECT_TRUE(ParseHexByte("FF", v));
  EXPECT_EQ(v, 255);
  for (const char* bad : {"", "1", "100", "0G", " 1", "-1"}) EXPECT_FALSE(ParseHexByte(bad, v));
}

TEST(BytesTest, EscapesWhatATerminalCannotShow) {
  EXPECT_EQ(EscapeBytes("<ID01> ~"), "<ID01> ~");
  EXPECT_EQ(EscapeBytes(std::string("a\\b\0\x1F\x7F\x80\xFF", 8)),
            "a\\x5Cb\\x00\\x1F\\x7F\\x80\\xFF");
}

TEST(CommandLineTest, HelpVersionAndMistakes) {
  using R = CommandLineRequest;
  const std::vector<std::pair<std::vector<std::string>, R>> requests = {
      {{}, R::Run},
      {{"-h"}, R::Help},
      {{"send", "x", "--help"}, R::Help},
      {{"--version", "--help"}, R::Version},
      {{"send", "--", "-h"}, R::Run},  // after "--", a text like any other
      {{"-help", "help", "--helpme"}, R::Run},
  };
  for (const auto& [args, request] : requests) {
    EXPECT_EQ(RequestOf(args), request) << ::testing::PrintToString(args);
  }
  EXPECT_TRUE(
      std::regex_match(VersionLine("tavrin-cli"), std::regex("tavrin-cli \\d+\\.\\d+\\.\\d+\n")))
      << VersionLine("tavrin-cli");
  std::ostringstream out;
  EXPECT_EQ(AnswerHelpOrVersion({"x"}, out, "p", "usage: p\n"), std::nullopt);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(AnswerHelpOrVersion({"x", "-h"}, out, "p", "usage: p\n"), std::optional<int>(0));
  EXPECT_EQ(out.str(), "usage: p\n");
  std::ostringstream err;
  EXPECT_EQ(TellBadArguments(err, "virtual-sign", "unknown option --bogus"), 2);
  EXPECT_EQ(err.str(), "virtual-sign: unknown option --bogus\nTry 'virtual-sign --help'.\n");
}

TEST(CommandLineTest, WhatAProgramOfFewArgumentsAccepts) {
  const ArgumentRules window{{"--exit-when-shown"}, true, true};
  const ArgumentRules nothing{};
  struct Row {
    std::vector<std::string> args;
    const ArgumentRules& rules;
    std::string problem;
  } rows[] = {
      {{}, nothing, ""},
      {{"x.tvr"}, nothing, "unexpected argument x.tvr"},
      {{"-platform", "offscreen"}, nothing, "unknown option -platform"},
      {{"x.tvr", "-"}, window, ""},
      {{"--exit-when-shown", "-platform", "offscreen", "--style", "fusion", "-style=fusion",
        "-reverse", "--display", ":1", "a.tvr"},
       window,
       ""},
      {{"--bogus"}, window, "unknown option --bogus"},
      {{"-x", "a.tvr"}, window, "unknown option -x"},
      {{"-platform"}, window, "-platform needs a value"},
      {{"-reverse=1"}, window, "unknown option -reverse=1"},
      {{"---platform", "x"}, window, "unknown option ---platform"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ArgumentsProblem(row.args, row.rules), row.problem)
        << ::testing::PrintToString(row.args);
  }
}

TEST(ProgramFolderTest, WhoDecides) {
  ProgramFolderInputs in;
  in.executableFolder = "/opt/tavrin";
  in.executableFolderWritable = true;
  in.xdgDataHome = "/home/u/.data";
  in.home = "/home/u";
  EXPECT_EQ(ResolveProgramFolder(in), fs::path("/opt/tavrin/"));
  in.tavrinHome = "/srv/signs";
  EXPECT_EQ(ResolveProgramFolder(in), fs::path("/srv/signs/"));
  in.tavrinHome.reset();
  in.executableFolderWritable = false;
  EXPECT_EQ(ResolveProgramFolder(in), fs::path("/home/u/.data/Tavrin/"));
  in.xdgDataHome.reset();
  EXPECT_EQ(ResolveProgramFolder(in), fs::path("/home/u/.local/share/Tavrin/"));
  EXPECT_EQ(WithTrailingSeparator("/a/"), fs::path("/a/"));
  // An installed program keeps its data per user, even when root may write to /usr/bin.
  in.executableFolder = "/usr/bin";
  in.executableFolderWritable = true;
  in.installed = true;
  EXPECT_EQ(ResolveProgramFolder(in), fs::path("/home/u/.local/share/Tavrin/"));
}

TEST(ProgramFolderTest, AnInstalledLayoutAndItsManual) {
  ScratchFolder root;
  root.Put("usr/bin/Tavrin", "");
  EXPECT_TRUE(InstalledDataFolder(root / "usr/bin").empty());
  root.Put("usr/share/tavrin/Manual.txt", "the manual");
  EXPECT_EQ(InstalledDataFolder(root / "usr/bin"), root / "usr/share/tavrin");
  EXPECT_TRUE(InstalledDataFolder(root / "usr/share").empty());  // not a "bin" folder
  // The program folder's own manual comes first.
  root.Put("home/Manual.txt", "mine");
  EXPECT_EQ(ManualPath(root / "home"), root / "home/Manual.txt");
}

TEST(FileIoTest, AtomicWriteReplacesAndLeavesNothingBehind) {
  ScratchFolder dir;
  const fs::path file = dir / "message.tvr";
  ASSERT_TRUE(WriteFileAtomically(file, "old"));
  ASSERT_TRUE(WriteFileAtomically(file, std::string("new\0bytes", 9)));
  EXPECT_EQ(ScratchFolder::Slurp(file), std::string("new\0bytes", 9));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
  // A folder that does not exist: an error naming the file, nothing created.
  const Status missing = WriteFileAtomically(dir / "no/such/file", "x");
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.ErrorText().find("no/such/file"), std::string::npos);
}

TEST(FileIoTest, LimitedReads) {
  ScratchFolder dir;
  dir.Put("small", "12345");
  EXPECT_EQ(*ReadFileLimited(dir / "small", 5), "12345");
  EXPECT_NE(ReadFileLimited(dir / "small", 4).ErrorText().find("larger than 4"), std::string::npos);
  EXPECT_NE(ReadFileLimited(dir / "none", 4).ErrorText().find("none"), std::string::npos);
  EXPECT_FALSE(ReadFileLimited(dir.Path(), 4));
}

TEST(CodePageTest, TypedTextBecomesSignBytes) {
  EXPECT_EQ(*Utf8ToCodePage("Hello <Red>", kDefaultCodePage), "Hello <Red>");
  EXPECT_EQ(*Utf8ToCodePage("caf\xC3\xA9 \xE2\x82\xAC", kDefaultCodePage), "caf\xE9 \x80");
  const Result<std::string> refused = Utf8ToCodePage("\xE4\xB8\xAD", kDefaultCodePage);
  ASSERT_FALSE(refused);
  EXPECT_NE(refused.ErrorText().find("\xE4\xB8\xAD"), std::string::npos) << refused.ErrorText();
  EXPECT_FALSE(Utf8ToCodePage("\xC3", kDefaultCodePage));
  EXPECT_FALSE(Utf8ToCodePage("\xC3\xA9", "NO-SUCH-CODESET"));
  EXPECT_EQ(*CodePageToUtf8("caf\xE9", kDefaultCodePage), "caf\xC3\xA9");
}

}  // namespace
}  // namespace tavrin
