// tavrin-cli against the virtual sign, both as the programs they are, on a pseudo-terminal
// and on TCP.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <thread>

#include "tests/support/process.h"
#include "tests/support/scratch_folder.h"

namespace tavrin {
namespace {

using testing::BackgroundProcess;
using testing::ProcessResult;
using testing::RunProcess;
using testing::ScratchFolder;

std::vector<std::string> LogLines(const std::filesystem::path& log) {
  std::vector<std::string> lines;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The log once it holds at least n lines, or as it is after two seconds: nothing waits for
// a sign that never answers, so the sign may still be reading when the program has ended.
std::vector<std::string> LogLinesOnce(const std::filesystem::path& log, std::size_t n) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  std::vector<std::string> lines = LogLines(log);
  while (lines.size() < n && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    lines = LogLines(log);
  }
  return lines;
}

// The text of a string field of a log line.
std::string FieldOf(const std::string& line, const std::string& key) {
  const std::string start = "\"" + key + "\":\"";
  const std::size_t at = line.find(start);
  if (at == std::string::npos) return "<none>";
  const std::size_t from = at + start.size();
  return line.substr(from, line.find('"', from) - from);
}

class EndToEndTest : public ::testing::TestWithParam<bool> {
 protected:
  // Starts a virtual sign with the given options; on TCP when the test's parameter says so.
  void StartSign(std::vector<std::string> options = {}) {
    m_sign.reset();
    std::filesystem::remove(Log());
    std::vector<std::string> argv{TAVRIN_VSIGN_PATH, "--log", Log().string()};
    if (GetParam()) {
      argv.insert(argv.end(), {"--tcp", "0"});
    } else {
      argv.push_back("--pty");
    }
    argv.insert(argv.end(), options.begin(), options.end());
    m_sign = std::make_unique<BackgroundProcess>(argv);
    m_where = m_sign->FirstLine();
    ASSERT_FALSE(m_where.empty());
  }

  ProcessResult Cli(std::vector<std::string> args) {
    std::vector<std::string> argv{TAVRIN_CLI_PATH, "--home", m_home.Path().string(),
                                  GetParam() ? "--tcp" : "--device", m_where};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv);
  }

  std::filesystem::path Log() const { return m_home / "sign.log"; }

  ScratchFolder m_home;
  std::unique_ptr<BackgroundProcess> m_sign;
  std::string m_where;
};

TEST_P(EndToEndTest, EveryCommandReachesTheSign) {
  m_home.Put(
      "Graphdata/G02.txt", std::string(32, 'A') + "\r\n" + [] {
        std::string rest;
        for (int r = 0; r < 6; ++r) rest += std::string(32, '@') + "\r\n";
        return rest;
      }());
  StartSign();
  struct Row {
    std::vector<std::string> args;
    std::string notice;
    std::vector<std::string> bodies;
  } rows[] = {
      // The window says nothing when a message went; the command line says what went.
      {{"send", "--page", "B", "<Curtain Up>Hello<Red>World<Pic:G02>"},
       "sent: 4 frames to sign 01, page B in \\d+\\.\\d s\n",
       {"<BE>", "<L1><PB><FC><MA><WC><FE>Hello<CA>World<GB1>", "<GB1>\\\\xAA\\\\xAA", "<BF>"}},
      {{"clock", "--at", "2008-05-12 14:30:00"}, "Set Date&Time OK\n", {"<SC>08020512143000"}},
      {{"brightness", "25"}, "Set Brightness OK\n", {"<BD>"}},
      {{"run-page", "B"}, "Run page Error OK\n", {"<RPB>"}},
      {{"schedule", "05/12/08 08:00", "05/31/08 18:30", "abc"},
       "Send Schedule OK\n",
       {"<TA>08051208000805311830ABC"}},
      {{"delete-schedule", "1"}, "Delete Schedule OK\n", {"<DTA>"}},
      {{"delete-page", "B2", "C"}, "Delete page OK\n", {"<DL2PB>", "<DL1PC>", "<DL2PC>"}},
      {{"link", "cab"}, "Link page OK\n", {"<TA>00010100009912302359CAB"}},
      {{"delete-all"}, "Delete All OK\n", {"<D*>"}},
      {{"set-id", "2A"}, "Set ID OK\n", {"<ID><2A><E>"}},
      {{"--id", "2A", "run-page", "Z"}, "Run page Error OK\n", {"<RPZ>"}},
  };
  std::vector<std::string> expected;
  for (const Row& row : rows) {
    const ProcessResult r = Cli(row.args);
    EXPECT_EQ(r.code, 0) << ::testing::PrintToString(row.args) << r.err;
    EXPECT_TRUE(std::regex_match(r.out, std::regex(row.notice)))
        << ::testing::PrintToString(row.args) << r.out;
    expected.insert(expected.end(), row.bodies.begin(), row.bodies.end());
  }
  const std::vector<std::string> log = LogLines(Log());
  ASSERT_EQ(log.size(), expected.size());
  for (std::size_t i = 0; i < log.size(); ++i) {
    // Graphic data is checked by its first bytes only; the log escapes the escapes.
    EXPECT_EQ(FieldOf(log[i], "body").substr(0, expected[i].size()), expected[i]) << log[i];
    EXPECT_EQ(FieldOf(log[i], "reply"), log[i].find("set-id") != std::string::npos ? "2A" : "ACK");
  }
  EXPECT_EQ(FieldOf(log[1], "page"), "B");
  EXPECT_NE(log[1].find("\"line\":1"), std::string::npos);
  EXPECT_EQ(FieldOf(log[1], "entry"), "<FC>");
  EXPECT_EQ(FieldOf(log[1], "text"), "Hello<CA>World<GB1>");
  EXPECT_EQ(FieldOf(log[4], "time"), "14:30:00");
  EXPECT_NE(log[5].find("\"percent\":25"), std::string::npos);
}

// Whether text is pattern, where one "*" in the pattern stands for any text.
bool Matches(const std::string& text, const std::string& pattern) {
  const std::size_t star = pattern.find('*');
  if (star == std::string::npos) return text == pattern;
  const std::string tail = pattern.substr(star + 1);
  return text.size() >= pattern.size() - 1 && text.starts_with(pattern.substr(0, star)) &&
         text.ends_with(tail);
}

// A failure goes to stderr with what the sign did wrong and at which frame; stdout stays empty.
TEST_P(EndToEndTest, FaultsShowTheRightNoticeAndExitCode) {
  struct Row {
    std::vector<std::string> signOptions;
    std::vector<std::string> args;
    int code;
    std::string out;
    std::string err;
  } rows[] = {
      {{"--refuse", "2"},
       {"schedule", "01/01/08 00:00", "01/02/08 00:00", "A", "01/03/08 00:00", "01/04/08 00:00",
        "B"},
       1,
       "",
       "Send Schedule Error: refused (NACK) at frame 2 of 2\n"},
      {{"--partial", "1"},
       {"delete-all"},
       1,
       "",
       "Delete All Error: an incomplete answer \"AC\" to frame 1 of 1\n"},
      {{"--garbage", "1"},
       {"link", "A"},
       1,
       "",
       "Link page Error: the answer \"\\x15?#\" to frame 1 of 1, not ACK\n"},
      {{"--refuse", "1"},
       {"set-id", "05"},
       1,
       "",
       "Set ID Error: the answer \"NA\" to frame 1 of 1, not the new ID 05\n"},
      {{"--refuse", "2"},
       {"send", "x"},
       1,
       "",
       "Send Message Error: refused (NACK) at frame 2 of 3\n"},
      {{"--delay-ms", "300"}, {"brightness", "75"}, 0, "Set Brightness OK\n", ""},
      // The sign hangs up after the first frame: the link says so (a closed connection, a
      // failed read or write, as the moment has it).
      {{"--drop-after", "1"},
       {"delete-page", "A", "B"},
       1,
       "",
       "Delete Page Error: * at frame 2 of 4\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.signOptions));
    StartSign(row.signOptions);
    const ProcessResult r = Cli(row.args);
    EXPECT_EQ(r.code, row.code) << r.err;
    EXPECT_EQ(r.out, row.out);
    EXPECT_TRUE(Matches(r.err, row.err)) << r.err;
  }
  // Silence costs the three read time-outs, and no more.
  StartSign({"--silent", "1"});
  const auto start = std::chrono::steady_clock::now();
  const ProcessResult r = Cli({"run-page", "A"});
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Run page Error: no answer within 3.3 s to frame 1 of 1\n");
  EXPECT_GE(ms, 3200);
  EXPECT_LT(ms, 6000);
}

TEST_P(EndToEndTest, Id00IsObeyedWithoutAReply) {
  StartSign({"--id", "05"});
  const auto start = std::chrono::steady_clock::now();
  const ProcessResult r = Cli({"--id", "00", "delete-schedule", "1", "2", "3"});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));  // nothing read
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "Deleting Schedule is Over\n");
  const std::vector<std::string> log = LogLinesOnce(Log(), 3);
  ASSERT_EQ(log.size(), 3u);
  for (const std::string& line : log) {
    EXPECT_EQ(FieldOf(line, "reply"), "");
    EXPECT_NE(line.find("\"applied\":true"), std::string::npos);
  }
}

// A font file's character reaches the sign, which then draws it where a message shows its tag;
// the recall puts the default back.
TEST(EndToEndPtyTest, TransferredCharactersShowInMessages) {
  ScratchFolder home;
  std::string record(52, '\0');
  record.replace(0, 4, "U41A");
  const unsigned char a[] = {0x70, 0x88, 0x88, 0xF8, 0x88, 0x88, 0x88};
  for (int i = 0; i < 7; ++i) record[4 + i] = static_cast<char>(a[i]);
  home.Put("a.fon", std::string("LEDFONTModal58204") + std::string("\x01\0\0\0", 4) + record);
  BackgroundProcess sign({TAVRIN_VSIGN_PATH, "--pty", "--show"});
  const std::string pty = sign.FirstLine();
  ASSERT_FALSE(pty.empty());
  auto cli = [&](std::vector<std::string> args) {
    std::vector<std::string> argv{TAVRIN_CLI_PATH, "--home", home.Path().string(), "--device", pty};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv);
  };
  ProcessResult r = cli({"transfer-font", (home / "a.fon").string()});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "Transfer Font OK\n");
  EXPECT_TRUE(std::filesystem::exists(home / "EuroCharForm58204.bmp"));
  r = cli({"send", "<U41>"});
  EXPECT_EQ(r.code, 0) << r.err;
  const std::string shown = sign.ReadFor(1000);
  EXPECT_NE(shown.find(".RRR."), std::string::npos) << shown;
  EXPECT_NE(shown.find("RRRRR"), std::string::npos) << shown;

  r = cli({"recall-font"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "Recall Default Font OK\n");
  EXPECT_EQ(ScratchFolder::Slurp(home / "EuroCharForm58204.bmp"),
            ScratchFolder::Slurp(home / "EuroCharFormDefault.bmp"));
  r = cli({"send", "<U41>"});
  EXPECT_EQ(sign.ReadFor(1000).find("RRRRR"), std::string::npos);
}

TEST(EndToEndPtyTest, LinkNameAndExitAfter) {
  ScratchFolder home;
  const std::string link = (home / "sign").string();
  BackgroundProcess sign({TAVRIN_VSIGN_PATH, "--pty", "--link", link, "--exit-after", "2"});
  const std::string pty = sign.FirstLine();
  ASSERT_FALSE(pty.empty());
  EXPECT_EQ(std::filesystem::read_symlink(link).string(), pty);
  const ProcessResult r = RunProcess({TAVRIN_CLI_PATH, "--home", home.Path().string(), "--device",
                                      link, "delete-schedule", "1", "2"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(sign.WaitForExit(3000));
  EXPECT_FALSE(std::filesystem::is_symlink(link));  // the sign tidies its link away
}

INSTANTIATE_TEST_SUITE_P(Transports, EndToEndTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Tcp" : "Pty";
                         });

}  // namespace
}  // namespace tavrin
