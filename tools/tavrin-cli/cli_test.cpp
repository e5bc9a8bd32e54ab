#include "tools/tavrin-cli/cli.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "editor/message_rtf.h"
#include "tests/support/pty_peer.h"
#include "tests/support/scratch_folder.h"

namespace tavrin::cli {
namespace {

using testing::ScratchFolder;

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

Outcome RunCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = Run(args, out, err);
  return {code, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The bytes a printed frame stands for.
std::string Unescape(const std::string& printed) {
  std::string bytes;
  for (std::size_t i = 0; i < printed.size(); ++i) {
    if (printed[i] == '\\') {
      EXPECT_EQ(printed[i + 1], 'x');
      bytes += static_cast<char>(std::stoi(printed.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      bytes += printed[i];
    }
  }
  return bytes;
}

std::string GraphicText(int rows, int width, char cell) {
  std::string text;
  for (int r = 0; r < rows; ++r)
    text += std::string(static_cast<std::size_t>(width), cell) + "\r\n";
  return text;
}

TEST(CliDryRunTest, Hello) {
  const Outcome o = RunCli({"--dry-run", "--id", "01", "send", "--page", "A", "Hello"});
  EXPECT_EQ(o.code, kExitOk);
  EXPECT_EQ(o.out, "<ID01><BE>05<E>\n<ID01><L1><PA><FE><MA><WC><FE>Hello36<E>\n<ID01><BF>06<E>\n");
  EXPECT_EQ(o.err, "");
  // Defaults: ID 01 and page A; option order is free.
  EXPECT_EQ(RunCli({"--dry-run", "send", "Hello"}).out, o.out);
  EXPECT_EQ(RunCli({"--id", "01", "--dry-run", "send", "Hello"}).out, o.out);
}

TEST(CliDryRunTest, EscapesBytesAndConvertsTypedText) {
  const Outcome o = RunCli({"--dry-run", "--id", "ff", "send", "--page", "Z", "a\\b caf\xC3\xA9"});
  ASSERT_EQ(o.code, kExitOk) << o.err;
  EXPECT_EQ(Lines(o.out).at(1),
            "<IDFF><L1><PZ><FE><MA><WC><FE>a\\x5Cb caf\\xE9" + std::string("9D<E>"));
  // The sign has no tab: one given on the command line goes as a blank.
  EXPECT_EQ(Lines(RunCli({"--dry-run", "send", "ab\tc"}).out).at(1),
            Lines(RunCli({"--dry-run", "send", "ab c"}).out).at(1));
}

TEST(CliDryRunTest, GraphicsOfEverySize) {
  const int heights[] = {7, 8, 16};
  const int widths[] = {32, 64, 120, 128};
  for (const int rows : heights) {
    for (const int width : widths) {
      ScratchFolder home;
      home.Put("Graphdata/G01.txt", GraphicText(rows, width, 'E'));
      home.Put("Graphdata/G16.txt", GraphicText(7, 32, 'A'));
      const Outcome o = RunCli({"--home", home.Path().string(), "--dry-run", "send", "--page", "C",
                                "<Curtain Up><Pic:G16>go<Pic:G01>"});
      ASSERT_EQ(o.code, kExitOk) << o.err;
      const std::vector<std::string> lines = Lines(o.out);
      const int blocks = (width + 31) / 32;
      const int bands = rows > 8 ? 2 : 1;
      ASSERT_EQ(lines.size(), 2u + blocks * bands + 1 + 1) << rows << "x" << width;
      std::string tags;
      for (int k = 1; k <= blocks; ++k) tags += "<GA" + std::to_string(k) + ">";
      EXPECT_EQ(lines[1].substr(0, 37), "<ID01><L1><PC><FC><MA><WC><FE><GP1>go");
      EXPECT_EQ(lines[1].substr(37, tags.size()), tags);
      for (int i = 0; i < blocks * bands; ++i) {
        const std::string frame = Unescape(lines[2 + i]);
        const int block = i < blocks ? i + 1 : i - blocks + 5;
        ASSERT_EQ(frame.size(), 80u);
        EXPECT_EQ(frame.substr(0, 11), "<ID01><GA" + std::to_string(block) + ">");
        // Orange everywhere the graphic has cells; off where it is padded or row 8 of 7.
        const int lastColumn = width - 32 * ((block - 1) % 4);
        for (int group = 0; group < 4; ++group) {
          for (int r = 0; r < 8; ++r) {
            const bool lit = 8 * group < lastColumn && (rows > 7 || r < 7);
            const std::string pair = frame.substr(11 + 16 * group + 2 * r, 2);
            EXPECT_EQ(pair, lit ? "\xFF\xFF" : std::string(2, '\0'))
                << rows << "x" << width << " block " << block << " group " << group;
          }
        }
      }
      // Then G16, the 7-row example: its one frame ends in the checksum 35.
      EXPECT_EQ(lines[2 + blocks * bands].substr(0, 11), "<ID01><GP1>");
      EXPECT_EQ(lines.back(), "<ID01><BF>06<E>");
    }
  }
}

TEST(CliDryRunTest, TheSevenRowExampleChecksum) {
  ScratchFolder home;
  home.Put("Graphdata/G01.txt", std::string(32, 'A') + "\r\n" + GraphicText(6, 32, '@'));
  const Outcome o = RunCli({"--home", home.Path().string(), "--dry-run", "send", "<Pic:G01>"});
  ASSERT_EQ(o.code, kExitOk) << o.err;
  EXPECT_EQ(Lines(o.out).at(2).substr(Lines(o.out).at(2).size() - 5), "35<E>");
}

TEST(CliDryRunTest, MissingOrBadGraphicsPrintNothing) {
  ScratchFolder home;
  Outcome o = RunCli({"--home", home.Path().string(), "--dry-run", "send", "x<Pic:G03>"});
  EXPECT_EQ(o.code, kExitFailed);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(Lines(o.err).size(), 1u);
  EXPECT_NE(o.err.find("G03.txt"), std::string::npos);

  home.Put("Graphdata/G03.txt", GraphicText(7, 160, 'A'));
  o = RunCli({"--home", home.Path().string(), "--dry-run", "send", "x<Pic:G03>"});
  EXPECT_EQ(o.code, kExitFailed);
  EXPECT_EQ(o.out, "");
  EXPECT_NE(o.err.find("G03"), std::string::npos);
}

// A mistake is one line saying what is wrong, then where help is: never the whole usage.
void ExpectTold(const Outcome& o, const std::string& args) {
  EXPECT_EQ(o.code, kExitUsage) << args;
  EXPECT_EQ(o.out, "") << args;
  const std::vector<std::string> lines = Lines(o.err);
  ASSERT_EQ(lines.size(), 2u) << args << "\n" << o.err;
  EXPECT_TRUE(lines[0].starts_with("tavrin-cli: ")) << args << "\n" << o.err;
  EXPECT_EQ(lines[1], "Try 'tavrin-cli --help'.") << args;
}

TEST(CliTest, HelpAndVersionOnStdout) {
  const Outcome help = RunCli({"--help"});
  EXPECT_EQ(help.code, kExitOk);
  EXPECT_TRUE(help.out.starts_with("usage: tavrin-cli ")) << help.out;
  EXPECT_NE(help.out.find("  send [--page X] [--] TEXT"), std::string::npos);
  EXPECT_EQ(help.err, "");
  // Wherever it stands, -h is the same; after "--" it is a message like any other.
  for (const std::vector<std::string>& args : {std::vector<std::string>{"-h"},
                                               {"--dry-run", "send", "x", "--help"},
                                               {"--id", "05", "-h", "delete-all"}}) {
    const Outcome o = RunCli(args);
    EXPECT_EQ(o.code, kExitOk) << ::testing::PrintToString(args);
    EXPECT_EQ(o.out, help.out) << ::testing::PrintToString(args);
    EXPECT_EQ(o.err, "");
  }
  const Outcome version = RunCli({"--dry-run", "--version"});
  EXPECT_EQ(version.code, kExitOk);
  EXPECT_TRUE(version.out.starts_with("tavrin-cli 2.")) << version.out;
  EXPECT_EQ(Lines(version.out).size(), 1u);
  const Outcome text = RunCli({"--dry-run", "send", "--page", "B", "--", "-h"});
  EXPECT_EQ(text.code, kExitOk) << text.err;
  EXPECT_EQ(Lines(text.out).at(1), "<ID01><L1><PB><FE><MA><WC><FE>-h32<E>");
  ExpectTold(RunCli({"--dry-run", "send", "--", "-h", "x"}), "-- with two texts");
}

TEST(CliDryRunTest, BadArgumentsAreOneLineAndWhereHelpIs) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--dry-run"},
      {"--dry-run", "--id", "1", "send", "x"},
      {"--dry-run", "--id", "GG", "send", "x"},
      {"--dry-run", "--id", "100", "send", "x"},
      {"--dry-run", "--id"},
      {"--dry-run", "send", "--page", "a", "x"},
      {"--dry-run", "send", "--page", "AB", "x"},
      {"--dry-run", "send", "--page", "[", "x"},
      {"--dry-run", "send", "--page"},
      {"--dry-run", "send"},
      {"--dry-run", "send", "x", "y"},
      {"--dry-run", "send", ""},
      {"--dry-run", "--bogus", "send", "x"},
      {"--dry-run", "fly", "x"},
      {"--dry-run", "send", "\xE4\xB8\xAD"},
      {"--dry-run", "--port", "x", "delete-all"},
      {"--port", "1", "--tcp", "localhost:1", "delete-all"},
      {"--dry-run", "--tcp", "nohost", "delete-all"},
      {"--dry-run", "set-id", "00"},
      {"--dry-run", "set-id", "1"},
      {"--dry-run", "clock", "--at", "2026-02-30 10:00:00"},
      {"--dry-run", "clock", "--at", "2026-02-03 24:00:00"},
      {"--dry-run", "clock", "2026-02-03"},
      {"--dry-run", "brightness", "30"},
      {"--dry-run", "run-page", "AA"},
      {"--dry-run", "schedule", "05/12/08 08:00", "05/31/08 18:30"},
      {"--dry-run", "schedule", "05/12/08 8:00", "05/31/08 18:30", "A"},
      {"--dry-run", "schedule", "05/12/08 35:00", "05/31/08 18:30", "A"},
      {"--dry-run", "schedule", "05/12/08 08:00", "05/31/08 18:30", "A1"},
      {"--dry-run", "delete-schedule"},
      {"--dry-run", "delete-schedule", "6"},
      {"--dry-run", "delete-page", "C3"},
      {"--dry-run", "delete-page", "c"},
      {"--dry-run", "delete-all", "now"},
      {"--dry-run", "link", "A-B"},
      {"--dry-run", "link"},
      {"--dry-run", "send", "--file"},
      {"--dry-run", "send", "--file", "a.tvr", "x"},
      {"--queue", "q", "delete-all"},
      {"--queue", "q", "--port", "1", "send", "x"},
      {"ports", "now"},
  };
  for (const auto& args : bad) ExpectTold(RunCli(args), ::testing::PrintToString(args));
  EXPECT_EQ(RunCli({"--bogus"}).err,
            "tavrin-cli: unknown option --bogus\nTry 'tavrin-cli --help'.\n");
}

// A message composed and saved in the window goes as it would from the window.
TEST(CliDryRunTest, SendsLineOneOfAMessageFile) {
  ScratchFolder home;
  const std::string file =
      home.Put("hello.tvr",
               WriteMessageRtf({{"<Curtain Up>", true}, {"Hi caf\xC3\xA9", false}}, "CP1252"))
          .string();
  const Outcome fromFile = RunCli({"--dry-run", "send", "--page", "B", "--file", file});
  EXPECT_EQ(fromFile.code, kExitOk) << fromFile.err;
  EXPECT_EQ(fromFile.out,
            RunCli({"--dry-run", "send", "--page", "B", "<Curtain Up>Hi caf\xC3\xA9"}).out);
  EXPECT_NE(fromFile.out.find("<PB><FC><MA><WC><FE>Hi caf\\xE9"), std::string::npos)
      << fromFile.out;
  // A file that is no message file, or none at all: exit 1 with its name.
  home.Put("binary.tvr", std::string("\0\1\2", 3));
  for (const std::string name : {"binary.tvr", "missing.tvr"}) {
    const Outcome o = RunCli({"--dry-run", "send", "--file", (home / name).string()});
    EXPECT_EQ(o.code, kExitFailed);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find(name), std::string::npos) << o.err;
  }
}

TEST(CliPreviewTest, TheLineAsTextAndItsAnimationAsGifAndPng) {
  ScratchFolder home;
  Outcome o = RunCli({"--home", home.Path().string(), "preview", "<Hold><Green>Hi<Purple>"});
  EXPECT_EQ(o.code, kExitOk) << o.err;
  const std::vector<std::string> rows = Lines(o.out);
  ASSERT_EQ(rows.size(), 16u);
  EXPECT_EQ(rows[0].size(), 128u);
  EXPECT_EQ(rows[3].substr(0, 6), "GGGGG.");  // the bar of the "H"
  EXPECT_NE(o.err.find("warning: <Purple> is no display tag"), std::string::npos);

  const std::string gif = (home / "hi.gif").string();
  const std::string png = (home / "frames").string();
  o = RunCli({"--home", home.Path().string(), "preview", "<Curtain Up>Hi", "--width", "96", "--gif",
              gif, "--png", png});
  ASSERT_EQ(o.code, kExitOk) << o.err;
  const int pictures = std::stoi(o.out);
  EXPECT_GT(pictures, 8);
  const std::string bytes = ScratchFolder::Slurp(gif);
  EXPECT_EQ(bytes.substr(0, 6), "GIF89a");
  EXPECT_EQ(static_cast<unsigned char>(bytes[6]) | static_cast<unsigned char>(bytes[7]) << 8,
            96 * 4);
  EXPECT_NE(bytes.find("NETSCAPE2.0"), std::string::npos);  // it loops
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(png), {}), pictures);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(png) / "frame-0001.png"));

  // The time said is what the GIF holds: its pictures' delays, in hundredths of a second,
  // added up (a scroll's steps are shorter than a GIF can show).
  o = RunCli({"--home", home.Path().string(), "preview", "<Scoll Left><Hold>Hi", "--gif", gif});
  ASSERT_EQ(o.code, kExitOk) << o.err;
  int error = 0;
  GifFileType* read = DGifOpenFileName(gif.c_str(), &error);
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(DGifSlurp(read), GIF_OK);
  int hundredths = 0;
  for (int i = 0; i < read->ImageCount; ++i) {
    GraphicsControlBlock control{};
    ASSERT_EQ(DGifSavedExtensionToGCB(read, i, &control), GIF_OK);
    hundredths += control.DelayTime;
  }
  const std::string said =
      std::to_string(read->ImageCount) + " pictures, " + std::to_string(hundredths * 10) + " ms\n";
  DGifCloseFile(read, &error);
  EXPECT_EQ(o.out, said);

  EXPECT_EQ(RunCli({"preview", "x", "--width", "100"}).code, kExitUsage);
  EXPECT_EQ(RunCli({"preview", "x", "--gif", (home / "no/such/dir/x.gif").string()}).code,
            kExitFailed);
}

TEST(CliDryRunTest, EveryCommandsFrames) {
  struct Row {
    std::vector<std::string> args;
    std::vector<std::string> frames;
  } rows[] = {
      {{"--id", "0A", "brightness", "25"}, {"<ID0A><BD>04<E>"}},
      {{"brightness", "100%"}, {"<ID01><BA>01<E>"}},
      {{"set-id", "2a"}, {"<ID><2A><E>"}},
      {{"clock", "--at", "2008-05-12 14:30:00"}, {"<ID01><SC>0802051214300018<E>"}},
      {{"run-page", "A"}, {"<ID01><RPA>41<E>"}},
      {{"schedule", "05/12/08 08:00", "05/31/08 18:30", "ABC", "01/01/09 00:00", "12/31/09 23:59",
        "z"},
       {"<ID01><TA>08051208000805311830ABC54<E>", "<ID01><TB>09010100000912312359Z42<E>"}},
      {{"delete-schedule", "1"}, {"<ID01><DTA>53<E>"}},
      {{"delete-schedule", "5", "2"}, {"<ID01><DTB>50<E>", "<ID01><DTE>57<E>"}},
      {{"delete-page", "A1"}, {"<ID01><DL1PA>2A<E>"}},
      {{"delete-page", "C2", "B"},
       {"<ID01><DL1PB>29<E>", "<ID01><DL2PB>2A<E>", "<ID01><DL2PC>2B<E>"}},
      {{"delete-all"}, {"<ID01><D*>6C<E>"}},
      {{"link", "abc"}, {"<ID01><TA>00010100009912302359ABC5A<E>"}},
      {{"link", ""},
       {"<ID01><TA>00010100009912302359"
        "1A<E>"}},
      {{"recall-font"}, {"<ID01><DU>13<E>"}},
  };
  for (const Row& row : rows) {
    std::vector<std::string> args{"--dry-run"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const Outcome o = RunCli(args);
    EXPECT_EQ(o.code, kExitOk) << ::testing::PrintToString(row.args) << o.err;
    EXPECT_EQ(Lines(o.out), row.frames) << ::testing::PrintToString(row.args);
  }
}

TEST(CliDryRunTest, ScheduleDatesOutOfRange) {
  const Outcome o = RunCli({"--dry-run", "schedule", "13/01/08 08:00", "05/31/08 18:30", "A"});
  ExpectTold(o, "13/01/08");
  EXPECT_EQ(Lines(o.err).at(0), "tavrin-cli: Date is out of Range");
}

TEST(CliGraphicTest, ExportImportAndShow) {
  ScratchFolder home;
  home.Put("Graphdata/G01.txt", std::string(30, 'A') + "DE\r\n" + GraphicText(6, 32, '@'));
  const std::string h = home.Path().string();
  const std::string bmp = (home / "g01.bmp").string();
  Outcome o = RunCli({"--home", h, "graphic", "export", "G01", bmp});
  ASSERT_EQ(o.code, kExitOk) << o.err;
  o = RunCli({"--home", h, "graphic", "import", bmp, "G05", "--width", "64", "--height", "8"});
  ASSERT_EQ(o.code, kExitOk) << o.err;
  o = RunCli({"--home", h, "graphic", "show", "G05"});
  ASSERT_EQ(o.code, kExitOk) << o.err;
  const std::vector<std::string> rows = Lines(o.out);
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_EQ(rows[0], std::string(30, 'A') + "DE" + std::string(32, '@'));  // beyond: off
  EXPECT_EQ(rows[7], std::string(64, '@'));

  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"graphic"},
        {"graphic", "show"},
        {"graphic", "show", "G17"},
        {"graphic", "import", bmp, "G05", "--width", "40", "--height", "8"},
        {"graphic", "import", bmp, "G05", "--width", "64", "--depth", "8"},
        {"graphic", "export", "g01", bmp}}) {
    std::vector<std::string> args{"--home", h};
    args.insert(args.end(), bad.begin(), bad.end());
    ExpectTold(RunCli(args), ::testing::PrintToString(bad));
  }
  home.Put("junk.bmp", "not a bitmap");
  o = RunCli({"--home", h, "graphic", "import", (home / "junk.bmp").string(), "G05", "--width",
              "32", "--height", "7"});
  EXPECT_EQ(o.code, kExitFailed);
  EXPECT_NE(o.err.find("junk.bmp"), std::string::npos);
  EXPECT_EQ(RunCli({"--home", h, "graphic", "show", "G09"}).code, kExitFailed);
  EXPECT_EQ(
      RunCli({"--home", h, "graphic", "export", "G01", (home / "no/such/dir/x.bmp").string()}).code,
      kExitFailed);
}

TEST(CliFontTest, TransferFramesAndARefusal) {
  ScratchFolder home;
  std::string records;
  for (const char* code : {"U40", "U41", "U42"}) {
    std::string record(52, '\0');
    record.replace(0, 4, std::string(code) + "B");
    record[4] = '\x3C';
    records += record;
  }
  home.Put("three.fon", std::string("LEDFONTModal58204") + std::string("\x03\0\0\0", 4) + records);
  const std::string file = (home / "three.fon").string();
  Outcome o = RunCli({"--home", home.Path().string(), "--dry-run", "transfer-font", file});
  ASSERT_EQ(o.code, kExitOk) << o.err;
  EXPECT_EQ(Lines(o.out).size(), 5u);
  EXPECT_EQ(Lines(o.out)[2].substr(0, 17), "<ID01><FB01><\\x00");
  EXPECT_FALSE(
      std::filesystem::exists(home / "EuroCharForm58204.bmp"));  // a dry run changes nothing

  // The sign refuses the second character: "<BF>" follows, exit 1, the table is not saved.
  testing::PtyPeer sign([n = 0](const std::string&) mutable { return ++n == 3 ? "NACK" : "ACK"; });
  o = RunCli({"--home", home.Path().string(), "--device", sign.Device(), "transfer-font", file});
  EXPECT_EQ(o.code, kExitFailed);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "Transfer U41 Font Error: refused (NACK) at frame 3 of 5\n");
  EXPECT_EQ(sign.Frames().size(), 4u);
  EXPECT_EQ(sign.Frames().back(), "<ID01><BF>06<E>");
  EXPECT_FALSE(std::filesystem::exists(home / "EuroCharForm58204.bmp"));
  EXPECT_EQ(RunCli({"transfer-font"}).code, kExitUsage);
  EXPECT_EQ(RunCli({"transfer-font", (home / "none.fon").string()}).code, kExitFailed);
}

TEST(CliFontTest, ListsTheCharactersOfAFile) {
  ScratchFolder home;
  std::string record(52, '\0');
  record.replace(0, 4, "U41A");
  const unsigned char a[] = {0x70, 0x88, 0x88, 0xF8, 0x88, 0x88, 0x88};
  for (int i = 0; i < 7; ++i) record[4 + i] = static_cast<char>(a[i]);
  home.Put("a.fon", std::string("LEDFONTModal58204") + std::string("\x02\0\0\0", 4) + record +
                        std::string(52, '\0'));
  Outcome o = RunCli({"font", "list", (home / "a.fon").string()});
  EXPECT_EQ(o.code, kExitOk) << o.err;
  EXPECT_EQ(o.out, "-\nU41-5x7 .###. #...# #...# ##### #...# #...# #...#\n");
  home.Put("b.fon", "not a font");
  o = RunCli({"font", "list", (home / "b.fon").string()});
  EXPECT_EQ(o.code, kExitFailed);
  EXPECT_NE(o.err.find("This font file is not for LED Display Modal58204"), std::string::npos);
  EXPECT_EQ(RunCli({"font", "show"}).code, kExitUsage);
}

// The sign functions for real, on a pseudo-terminal whose far side is a stand-in sign.
class CliOnPtyTest : public ::testing::Test {
 protected:
  Outcome Run(std::vector<std::string> args) {
    std::vector<std::string> all{"--home", m_home.Path().string(), "--device", m_peer->Device()};
    all.insert(all.end(), args.begin(), args.end());
    return RunCli(all);
  }

  ScratchFolder m_home;
  std::unique_ptr<testing::PtyPeer> m_peer =
      std::make_unique<testing::PtyPeer>(testing::PtyPeer::Ack);
};

TEST_F(CliOnPtyTest, EveryCommandSucceedsAgainstAnAnsweringSign) {
  struct Row {
    std::vector<std::string> args;
    const char* notice;
  } rows[] = {
      // A command whose window says nothing at its end says what it sent.
      {{"send", "--page", "C", "<Curtain Up>Hello<Red>World"},
       "sent: 3 frames to sign 01, page C in 0\\.\\d s\n"},
      {{"set-id", "01"}, "Set ID OK\n"},
      {{"clock"}, "Set Date&Time OK\n"},
      {{"brightness", "50"}, "Set Brightness OK\n"},
      {{"run-page", "B"}, "Run page Error OK\n"},
      {{"schedule", "05/12/08 08:00", "05/31/08 18:30", "ABC"}, "Send Schedule OK\n"},
      {{"delete-schedule", "1", "2"}, "Delete Schedule OK\n"},
      {{"delete-page", "C"}, "Delete page OK\n"},
      {{"delete-all"}, "Delete All OK\n"},
      {{"link", "AB"}, "Link page OK\n"},
  };
  std::size_t frames = 0;
  for (const Row& row : rows) {
    const Outcome o = Run(row.args);
    EXPECT_EQ(o.code, kExitOk) << ::testing::PrintToString(row.args) << o.err;
    EXPECT_TRUE(std::regex_match(o.out, std::regex(row.notice))) << o.out;
    EXPECT_EQ(o.err, "");
    EXPECT_GT(m_peer->Frames().size(), frames);
    frames = m_peer->Frames().size();
  }
  EXPECT_EQ(m_peer->Frames().at(1), "<ID01><L1><PC><FC><MA><WC><FE>Hello<CA>World70<E>");
}

TEST_F(CliOnPtyTest, TheSettingsNameThePort) {
  m_home.Put("Tavrin.INI", "[Sign]\r\ncomport=7\r\n[Ports]\r\nCOM7=" + m_peer->Device() + "\r\n");
  const Outcome o = RunCli({"--home", m_home.Path().string(), "delete-all"});
  EXPECT_EQ(o.code, kExitOk) << o.err;
  EXPECT_EQ(m_peer->Frames(), std::vector<std::string>{"<ID01><D*>6C<E>"});
}

TEST_F(CliOnPtyTest, RefusalsAndPortErrors) {
  m_peer =
      std::make_unique<testing::PtyPeer>([](const std::string&) { return std::string("NACK"); });
  Outcome o = Run({"delete-all"});
  EXPECT_EQ(o.code, kExitFailed);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "Delete All Error: refused (NACK) at frame 1 of 1\n");

  // The message frame is answered with half an ACK: what went wrong, and where, on stderr.
  m_peer = std::make_unique<testing::PtyPeer>([](const std::string& frame) {
    return std::string(frame.find("<L1>") != std::string::npos ? "AC" : "ACK");
  });
  o = Run({"send", "Hello"});
  EXPECT_EQ(o.code, kExitFailed);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "Send Message Error: an incomplete answer \"AC\" to frame 2 of 3\n");
  o = Run({"set-id", "2A"});
  EXPECT_EQ(o.code, kExitFailed);
  EXPECT_EQ(o.err, "Set ID Error: the answer \"AC\" to frame 1 of 1, not the new ID 2A\n");

  o = RunCli({"--home", m_home.Path().string(), "--device", "/dev/no-such-sign", "delete-all"});
  EXPECT_EQ(o.code, kExitPortError);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(Lines(o.err).at(0), "Open Com Error");
  EXPECT_NE(o.err.find("/dev/no-such-sign"), std::string::npos);

  // ID 00 reads nothing, even from a sign that refuses.
  m_peer =
      std::make_unique<testing::PtyPeer>([](const std::string&) { return std::string("NACK"); });
  o = Run({"--id", "00", "delete-all"});
  EXPECT_EQ(o.code, kExitOk);
  EXPECT_EQ(o.out, "Deleting All is Over\n");
  o = Run({"--id", "00", "send", "--page", "Z", "Hi"});
  EXPECT_EQ(o.code, kExitOk) << o.err;
  EXPECT_TRUE(std::regex_match(
      o.out,
      std::regex("sent: 3 frames to sign 00, page Z in 0\\.\\d s \\(ID 00 does not answer\\)\n")))
      << o.out;
  EXPECT_EQ(o.err, "");
}

// Named signs: a bus of two on one pseudo-terminal, a third on a line of its own.
class CliSignListTest : public ::testing::Test {
 protected:
  Outcome Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--home", m_home.Path().string()});
    return RunCli(args);
  }
  // Answers the frames to its IDs (and none other), as signs on a bus do.
  static testing::PtyPeer::Responder AnswersFor(const std::vector<std::string>& ids) {
    return [ids](const std::string& frame) {
      if (frame.rfind("<ID><", 0) == 0) return testing::PtyPeer::Ack(frame);  // Set ID
      for (const std::string& id : ids) {
        if (frame.rfind("<ID" + id + ">", 0) == 0) return std::string("ACK");
      }
      return std::string();
    };
  }

  ScratchFolder m_home;
  testing::PtyPeer m_bus{AnswersFor({"01", "02"})};
  testing::PtyPeer m_yard{AnswersFor({"03"})};
};

TEST_F(CliSignListTest, AddListRemoveAndBadInput) {
  EXPECT_EQ(Run({"signs", "list"}).out, "no signs in " + (m_home / "Tavrin.signs").string() + "\n");
  EXPECT_EQ(Run({"signs", "add", "Shop window", "--port", "3"}).code, kExitOk);
  EXPECT_EQ(Run({"signs", "add", "Door", "--tcp", "sign.local:4001", "--id", "2a", "--colours", "1",
                 "--width", "96"})
                .code,
            kExitOk);
  EXPECT_EQ(Run({"signs", "add", "Till", "--queue", "signq"}).code, kExitOk);
  Outcome o = Run({"signs", "list"});
  EXPECT_EQ(o.out,
            "Shop window = COM3, 01, 3, 128\nDoor = sign.local:4001, 2A, 1, 96\n"
            "Till = queue:signq, 01, 3, 128\n");
  // Each mistake is one line, and the list stays as it was.
  const std::vector<std::vector<std::string>> bad = {
      {"signs", "add", "door", "--port", "1"},  // the name is in use, in any letter case
      {"signs", "add", "Hall", "--port", "256"},
      {"signs", "add", "Hall", "--tcp", "no-port"},
      {"signs", "add", "Hall", "--device", "relative/path"},
      {"signs", "add", "Hall", "--port", "1", "--id", "100"},
      {"signs", "add", "Hall", "--port", "1", "--width", "100"},
      {"signs", "add", "Hall", "--port", "1", "--tcp", "a:1"},
      {"signs", "add", "Hall"},
      {"signs", "remove", "Hall"},
      {"signs", "rename", "Door"},
  };
  for (const auto& args : bad) {
    o = Run(args);
    EXPECT_EQ(o.code, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_EQ(Lines(o.err).size(), 2u) << o.err;
  }
  EXPECT_EQ(Run({"signs", "list"}).out,
            RunCli({"--home", m_home.Path().string(), "signs", "list"}).out);
  EXPECT_EQ(Run({"signs", "remove", "DOOR"}).code, kExitOk);
  EXPECT_EQ(Lines(Run({"signs", "list"}).out).size(), 2u);

  // A line spoiled by hand is named; the list is not written over it (that would drop it).
  m_home.Put("Tavrin.signs", "Shop window = COM3, 01, 3, 128\nDoor = COM4, 1G, 3, 128\n");
  o = Run({"signs", "list"});
  EXPECT_EQ(o.code, kExitFailed);
  EXPECT_EQ(o.out, "Shop window = COM3, 01, 3, 128\n");
  EXPECT_NE(o.err.find("Tavrin.signs line 2"), std::string::npos) << o.err;
  EXPECT_EQ(Run({"signs", "add", "Hall", "--port", "1"}).code, kExitFailed);
  EXPECT_NE(ScratchFolder::Slurp(m_home / "Tavrin.signs").find("1G"), std::string::npos);
}

TEST_F(CliSignListTest, OneMessageToEverySign) {
  m_home.Put("Tavrin.signs", "Shop window = " + m_bus.Device() + ", 01, 3, 128\n" +
                                 "Door = " + m_bus.Device() + ", 02, 1, 128\n" +
                                 "Yard = " + m_yard.Device() + ", 03, 3, 96\n");
  Outcome o = Run({"--all", "send", "Hi"});
  EXPECT_EQ(o.code, kExitOk) << o.err;
  EXPECT_TRUE(std::regex_match(o.out, std::regex("Shop window: done in 0\\.\\d s\n"
                                                 "Door: done in 0\\.\\d s\n"
                                                 "Yard: done in 0\\.\\d s\n")))
      << o.out;
  // On the bus the second sign's frames follow the first's, whole; each sign has its ID.
  std::vector<std::string> bus = m_bus.Frames();
  ASSERT_EQ(bus.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(bus[i].substr(0, 6), i < 3 ? "<ID01>" : "<ID02>");
  // Each sign gets exactly the frames it would get alone.
  const std::vector<std::string> alone =
      Lines(RunCli({"--dry-run", "--id", "03", "send", "Hi"}).out);
  EXPECT_EQ(m_yard.Frames(), alone);

  // --sign picks signs (again for more); in the list's letter case or not.
  o = Run({"--dry-run", "--sign", "yard", "--sign", "Door", "delete-all"});
  EXPECT_EQ(o.code, kExitOk);
  EXPECT_EQ(o.out, "# Yard: " + m_yard.Device() + ", ID 03\n<ID03><D*>6C<E>\n# Door: " +
                       m_bus.Device() + ", ID 02\n<ID02><D*>6C<E>\n");
  // One sign is as if its address and ID were given.
  o = Run({"--sign", "Door", "brightness", "50"});
  EXPECT_EQ(o.out, "Set Brightness OK\n");

  const std::vector<std::vector<std::string>> bad = {
      {"--sign", "Nobody", "delete-all"},        {"--sign", "Door", "--id", "02", "delete-all"},
      {"--all", "--sign", "Door", "delete-all"}, {"--all", "set-id", "05"},
      {"--sign", "Door", "set-id", "05"},  // its bus has another sign, which would take it too
  };
  for (const auto& args : bad) {
    o = Run(args);
    EXPECT_EQ(o.code, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_EQ(Lines(o.err).size(), 2u) << o.err;
  }
  // A sign alone on its line takes a new ID, and the list follows it.
  o = Run({"--sign", "Yard", "set-id", "07"});
  EXPECT_EQ(o.out, "Set ID OK\nthe sign list now gives Yard ID 07\n") << o.err;
  EXPECT_NE(ScratchFolder::Slurp(m_home / "Tavrin.signs")
                .find("Yard = " + m_yard.Device() + ", 07, 3, 96"),
            std::string::npos);
}

TEST_F(CliSignListTest, ASilentSignAndAMissingPortFailAlone) {
  // Yard does not answer ID 09, and Nowhere's port does not open: the bus goes through.
  m_home.Put("Tavrin.signs", "Shop window = " + m_bus.Device() + ", 01, 3, 128\n" + "Yard = " +
                                 m_yard.Device() + ", 09, 3, 128\n" + "Door = " + m_bus.Device() +
                                 ", 02, 3, 128\n" + "Nowhere = /dev/no-such-sign, 01, 3, 128\n");
  const Outcome o = Run({"--all", "send", "Hi"});
  EXPECT_EQ(o.code, kExitPortError);
  EXPECT_TRUE(std::regex_match(o.out, std::regex("Shop window: done in 0\\.\\d s\n"
                                                 "Door: done in 0\\.\\d s\n")))
      << o.out;
  const std::vector<std::string> errors = Lines(o.err);
  ASSERT_EQ(errors.size(), 2u) << o.err;
  EXPECT_EQ(errors[0].substr(0, 26), "Yard: failed: no answer wi");
  EXPECT_EQ(errors[1].substr(0, 30), "Nowhere: the port did not open");
  EXPECT_EQ(m_bus.Frames().size(), 6u);
}

}  // namespace
}  // namespace tavrin::cli
