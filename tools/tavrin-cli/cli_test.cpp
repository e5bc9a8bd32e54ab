#include "tools/tavrin-cli/cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/scratch_folder.h"

namespace tavrin::cli {
namespace {

using testing::ScratchFolder;

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

Outcome RunCli(std::vector<std::string> args) {
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
  EXPECT_EQ(RunCli({"send", "Hello"}).code, kExitUsage);
  EXPECT_EQ(RunCli({"--dry-run", "send", "Hello"}).out, o.out);
  EXPECT_EQ(RunCli({"--id", "01", "--dry-run", "send", "Hello"}).out, o.out);
}

TEST(CliDryRunTest, EscapesBytesAndConvertsTypedText) {
  const Outcome o = RunCli({"--dry-run", "--id", "ff", "send", "--page", "Z", "a\\b caf\xC3\xA9"});
  ASSERT_EQ(o.code, kExitOk) << o.err;
  EXPECT_EQ(Lines(o.out).at(1),
            "<IDFF><L1><PZ><FE><MA><WC><FE>a\\x5Cb caf\\xE9" + std::string("9D<E>"));
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

TEST(CliDryRunTest, BadArgumentsShowUsage) {
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
  };
  for (const auto& args : bad) {
    const Outcome o = RunCli(args);
    EXPECT_EQ(o.code, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("usage:"), std::string::npos);
  }
}

}  // namespace
}  // namespace tavrin::cli
