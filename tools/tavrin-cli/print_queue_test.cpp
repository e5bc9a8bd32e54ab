// tavrin-cli --queue through a real print service to the virtual sign: cupsd of the test's own,
// a raw queue whose device is the sign's TCP port.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <thread>

#include "tests/support/private_cups.h"

namespace tavrin {
namespace {

using testing::BackgroundProcess;
using testing::PrivateCups;
using testing::ProcessResult;
using testing::RunProcess;
using testing::ScratchFolder;

std::vector<std::string> LogLines(const std::filesystem::path& log, std::size_t atLeast) {
  std::vector<std::string> lines;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  do {
    lines.clear();
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    if (lines.size() >= atLeast) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } while (std::chrono::steady_clock::now() < deadline);
  return lines;
}

class PrintQueueTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_cups = new PrivateCups(); }
  static void TearDownTestSuite() {
    delete s_cups;
    s_cups = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(s_cups->Running()) << s_cups->Log();
    m_sign = std::make_unique<BackgroundProcess>(
        std::vector<std::string>{TAVRIN_VSIGN_PATH, "--tcp", "0", "--log", Log().string()});
    m_where = m_sign->FirstLine();
    ASSERT_FALSE(m_where.empty());
  }

  ProcessResult Cli(std::vector<std::string> args) {
    std::vector<std::string> argv{TAVRIN_CLI_PATH, "--home", m_home.Path().string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv);
  }
  std::filesystem::path Log() const { return m_home / "sign.log"; }

  static PrivateCups* s_cups;
  ScratchFolder m_home;
  std::unique_ptr<BackgroundProcess> m_sign;
  std::string m_where;
};

PrivateCups* PrintQueueTest::s_cups = nullptr;

TEST_F(PrintQueueTest, AMessageWithTwoGraphicsIsOneJobOfThreeFrames) {
  std::string g01, g02;
  for (int r = 0; r < 7; ++r) g01 += std::string(32, r % 2 ? 'A' : 'D') + "\r\n";
  for (int r = 0; r < 8; ++r) g02 += std::string(32, 'E') + "\r\n";
  m_home.Put("Graphdata/G01.txt", g01);
  m_home.Put("Graphdata/G02.txt", g02);
  ASSERT_EQ(s_cups->AddRawQueue("sign", m_where), "");

  const ProcessResult r =
      Cli({"--queue", "sign", "--id", "01", "send", "--page", "C", "Hi <Pic:G02><Pic:G01>"});
  ASSERT_EQ(r.code, 0) << r.out << r.err;
  // The queue has passed the job on: what went, and where.
  EXPECT_TRUE(std::regex_match(
      r.out, std::regex("sent: 3 frames to sign 01, page C through the print queue sign in "
                        "\\d+\\.\\d s\n")))
      << r.out;
  EXPECT_EQ(r.err, "");

  const std::vector<std::string> lines = LogLines(Log(), 3);
  ASSERT_EQ(lines.size(), 3u) << s_cups->Log();
  EXPECT_NE(lines[0].find("\"body\":\"<L1><PC><FE><MA><WC><FE>Hi <GB1><GA1>\""), std::string::npos)
      << lines[0];
  EXPECT_NE(lines[1].find("\"name\":\"graphic-block\",\"graphic\":\"A\""), std::string::npos)
      << lines[1];
  EXPECT_NE(lines[2].find("\"name\":\"graphic-block\",\"graphic\":\"B\""), std::string::npos)
      << lines[2];
  for (const std::string& line : lines) {
    EXPECT_NE(line.find("\"checksum\":\"ok\""), std::string::npos) << line;
    EXPECT_EQ(line.find("junk_before"), std::string::npos) << line;  // nothing between them
  }
  EXPECT_EQ(PrivateCups::ActiveJobs(), "");
}

TEST_F(PrintQueueTest, QueuesThatCannotTakeTheJobSaySoAndKeepNothing) {
  ASSERT_EQ(s_cups->AddRawQueue("held", m_where), "");
  ProcessResult r = Cli({"--queue", "nosuchqueue", "send", "Hi"});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("Printer not found"), std::string::npos) << r.err;

  ASSERT_EQ(PrivateCups::Run({"/usr/sbin/cupsdisable", "held"}).code, 0);
  r = Cli({"--queue", "held", "send", "Hi"});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("Printer Doc Error\ntavrin-cli: the queue held is stopped"),
            std::string::npos)
      << r.err;

  ASSERT_EQ(PrivateCups::Run({"/usr/sbin/cupsenable", "held"}).code, 0);
  ASSERT_EQ(PrivateCups::Run({"/usr/sbin/cupsreject", "held"}).code, 0);
  r = Cli({"--queue", "held", "send", "Hi"});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("Printer Doc Error\ntavrin-cli: the queue held does not accept jobs"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(PrivateCups::ActiveJobs(), "");
  EXPECT_TRUE(LogLines(Log(), 0).empty());  // no job was made, so nothing can come later

  const ProcessResult list = Cli({"show-queues"});
  EXPECT_EQ(list.code, 0);
  EXPECT_NE(list.out.find("held\tready, rejecting jobs"), std::string::npos) << list.out;
}

TEST_F(PrintQueueTest, ASignThatIsGoneLeavesTheJobWaitingAndTheUserTold) {
  ASSERT_EQ(s_cups->AddRawQueue("gone", m_where), "");
  m_sign.reset();  // nothing listens on the queue's port any more
  const auto start = std::chrono::steady_clock::now();
  const ProcessResult r = Cli({"--queue", "gone", "send", "Hi"});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("The job is still waiting in the print queue gone"), std::string::npos)
      << r.out;
  EXPECT_NE(PrivateCups::ActiveJobs().find("gone-"), std::string::npos);
  PrivateCups::Run({"/usr/bin/cancel", "-a", "gone"});
}

}  // namespace
}  // namespace tavrin
