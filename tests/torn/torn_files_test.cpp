// Files are never half-written: a process saving one kind of file over and over is killed
// with SIGKILL at random moments, and each time the file on disk is the whole old version or
// the whole new one, and no other file is left where the program reads.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "tests/support/process.h"
#include "tests/support/scratch_folder.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using testing::BackgroundProcess;
using testing::ScratchFolder;

// Kills in all: 1000, shared among the kinds.
constexpr int kKinds = 7;
constexpr int kKillsPerKind = 1000 / kKinds + 1;

struct Kind {
  const char* name;
  const char* file;  // the file the program reads
};

class TornFilesTest : public ::testing::TestWithParam<Kind> {};

// The bytes of version A or B, written by the writer itself.
std::string Version(const Kind& kind, const char* which) {
  ScratchFolder dir;
  const testing::ProcessResult r =
      testing::RunProcess({TAVRIN_TORN_WRITER, kind.name, dir.Path().string(), "--once", which});
  EXPECT_EQ(r.code, 0) << r.err;
  return ScratchFolder::Slurp(dir / kind.file);
}

// What a log generation that was finished ends with.
bool WholeLog(const std::string& text) {
  return text.rfind("Version: ", 0) == 0 &&
         text.find(">>SYSTEM TERMINATED NORMALLY<<") != std::string::npos && text.ends_with("\r\n");
}

TEST_P(TornFilesTest, AKilledSaveLeavesTheOldFileOrTheNewOne) {
  const Kind kind = GetParam();
  const bool log = std::string(kind.name) == "log";
  const std::string a = log ? std::string() : Version(kind, "A");
  const std::string b = log ? std::string() : Version(kind, "B");
  if (!log) {
    ASSERT_NE(a, b);
  }
  std::mt19937 random(20261207);
  int torn = 0, sawA = 0, sawB = 0;
  for (int trial = 0; trial < kKillsPerKind; ++trial) {
    ScratchFolder dir;
    {
      BackgroundProcess writer({TAVRIN_TORN_WRITER, kind.name, dir.Path().string()});
      // "ready N": the old version is on disk, and a round of saving the new one and the old
      // one again took N microseconds. The kill falls within the next two rounds, wherever in
      // a save that is, however slow this build is.
      const std::string ready = writer.FirstLine();
      ASSERT_EQ(ready.rfind("ready ", 0), 0u) << ready;
      const int roundUs = std::max(200, std::stoi(ready.substr(6)));
      std::uniform_int_distribution<int> delayUs(0, 2 * roundUs);
      std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
      writer.Kill();
    }
    if (log) {
      // Rotation renames whole files: every older generation is a finished log.
      for (const char* older : {"~launchet.lg1", "~launchet.lg2", "~launchet.lg3"}) {
        if (fs::exists(dir / older)) torn += WholeLog(ScratchFolder::Slurp(dir / older)) ? 0 : 1;
      }
    } else {
      const std::string now = ScratchFolder::Slurp(dir / kind.file);
      if (now == a) {
        ++sawA;
      } else if (now == b) {
        ++sawB;
      } else {
        ++torn;
      }
    }
    // Nothing else where the program reads: a temporary file is hidden and named otherwise.
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
      const std::string name = entry.path().filename().string();
      if (entry.is_directory() || fs::relative(entry.path(), dir.Path()) == kind.file ||
          name.starts_with(".") || name.starts_with("~launchet.lg")) {
        continue;
      }
      ADD_FAILURE() << kind.name << ": a stray file " << name;
    }
  }
  EXPECT_EQ(torn, 0) << kind.name << ": torn files after " << kKillsPerKind << " kills";
  if (!log) {
    // The kills fell on both versions: the test did catch saves in progress.
    EXPECT_GT(sawA, 0) << kind.name;
    EXPECT_GT(sawB, 0) << kind.name;
  }
  std::printf("%s: %d kills, old version %d times, new %d, torn %d\n", kind.name, kKillsPerKind,
              sawA, sawB, torn);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, TornFilesTest,
    ::testing::Values(Kind{"message", "message.tvr"}, Kind{"settings", "Tavrin.INI"},
                      Kind{"graphic", "Graphdata/G01.txt"}, Kind{"font", "font.fon"},
                      Kind{"bitmap", "picture.bmp"}, Kind{"european", "EuroCharForm58204.bmp"},
                      Kind{"log", "~launchet.lg0"}),
    [](const ::testing::TestParamInfo<Kind>& info) { return std::string(info.param.name); });

static_assert(kKinds == 7);

}  // namespace
}  // namespace tavrin
