#include "launcher/utility/btrace.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <regex>

#include "tests/support/scratch_folder.h"

namespace tavrin::launcher {
namespace {

using testing::ScratchFolder;

// A log open in a scratch folder, and what it wrote once closed.
struct Log {
  Log() : log(TraceLog::Create()) { EXPECT_EQ(log->Open(Name().c_str()), kTraceOk); }
  ~Log() {
    if (log != nullptr) log->Release();
  }
  std::string Name() const { return (dir / "~launchet.lg0").string(); }
  std::string Closed() {
    log->Close();
    return ScratchFolder::Slurp(dir / "~launchet.lg0");
  }
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
      ++n;
    return n;
  }

  ScratchFolder dir;
  TraceLog* log;
};

TEST(TraceLogTest, ThreeMessagesEachFollowOneTraceLine) {
  Log l;
  l.log->LogMessage(__FILE__, 10, "first %d", 1);
  l.log->LogMessage(__FILE__, 20, "second");
  l.log->LogMessage(__FILE__, 30, "third");
  const std::string text = l.Closed();
  EXPECT_TRUE(
      std::regex_search(text, std::regex("^Version: [A-Z][a-z]{2} [ 0-9]\\d \\d{4} "
                                         "\\d\\d:\\d\\d:\\d\\d\\r\\nLogFile: .*~launchet.lg0 "
                                         "start at: [A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d "
                                         "\\d\\d:\\d\\d:\\d\\d \\d{4}\\r\\n")))
      << text;
  const std::string block = "\r\n>>LOG MESSAGE<<   first 1\r\n\r\n";
  EXPECT_NE(text.find(block), std::string::npos);
  EXPECT_EQ(Log::Count(text, ">>LOG MESSAGE<<"), 3);
  EXPECT_EQ(Log::Count(text, "> "), 3);  // one trace line a message
  // The source name without the root of the source tree: its module folder on.
  EXPECT_TRUE(
      std::regex_search(text, std::regex("\\r\\n<[0-9A-F]{8}> btrace_test.cpp \\(20\\)\\r\\n")));
  EXPECT_TRUE(text.ends_with(
      "\r\n>>SYSTEM TERMINATED NORMALLY<<  Total Trace : 3   Total Logged : 3\r\n\r\n"));
  EXPECT_EQ(Log::Count(text, "\n") - Log::Count(text, "\r\n"), 0);  // every line end is CR LF
}

TEST(TraceLogTest, FiveRunsLeaveFourGenerations) {
  ScratchFolder dir;
  const std::string name = (dir / "~launchet.lg0").string();
  for (int run = 1; run <= 5; ++run) {
    TraceLog* log = TraceLog::Create();
    ASSERT_EQ(log->Open(name.c_str()), kTraceOk);
    log->LogText("run %d", run);
    log->Release();  // closes the log
  }
  for (int g = 0; g < 4; ++g) {
    const std::string text = ScratchFolder::Slurp(dir / ("~launchet.lg" + std::to_string(g)));
    EXPECT_NE(text.find("run " + std::to_string(5 - g)), std::string::npos) << g;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "~launchet.lg4"));
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
  EXPECT_EQ(files, 4);
}

TEST(TraceLogTest, HowManyTraceLinesAMessageTakes) {
  Log l;
  for (int i = 0; i < 40; ++i) l.log->Trace("a.cpp", i);
  l.log->LogText("text");
  for (int i = 0; i < 40; ++i) l.log->Trace("b.cpp", i);
  l.log->Dump("error", 2);
  for (int i = 0; i < 200; ++i) l.log->Trace("c.cpp", i);  // the ring holds 128
  l.log->Dump("all", 2);
  const std::string text = l.Closed();
  EXPECT_EQ(Log::Count(text, "a.cpp"), 32);
  EXPECT_EQ(Log::Count(text, "a.cpp (7)"), 0);  // the oldest went
  EXPECT_EQ(Log::Count(text, "a.cpp (39)"), 1);
  EXPECT_EQ(Log::Count(text, "b.cpp"), 40);
  EXPECT_EQ(Log::Count(text, "c.cpp"), 127);
  EXPECT_NE(text.find("Total Trace : 280   Total Logged : 199"), std::string::npos);
}

TEST(TraceLogTest, PastAHundredThousandLinesTwoAtMost) {
  Log l;
  for (int d = 0; d < 800; ++d) {
    for (int i = 0; i < 126; ++i) l.log->Trace("x.cpp", i);
    l.log->Dump("bulk", 2);
  }
  ASSERT_GT(l.log->TotalLogged(), 100000u);
  for (int i = 0; i < 10; ++i) l.log->Trace("late.cpp", i);
  l.log->Dump("late", 2);
  EXPECT_EQ(Log::Count(l.Closed(), "late.cpp"), 2);
}

TEST(TraceLogTest, ErrorsCarryTheirCodeAndTheSystemsText) {
  Log l;
  EXPECT_EQ(l.log->SetErrorCode(5), 5u);
  l.log->LogError("/src/launcher/launcher.cpp", 7, 5, "reboot failed");
  l.log->LogMessage("/src/launcher/launcher.cpp", 8, "%s", std::string(5000, 'm').c_str());
  l.log->LogError("/src/launcher/launcher.cpp", 9, 5, "%s", std::string(2000, 'e').c_str());
  l.log->LogErrorCode("/src/launcher/launcher.cpp", 10, 0xE0001234u, "odd");
  const std::string text = l.Closed();
  const std::string system = SystemErrorText(5);
  ASSERT_FALSE(system.empty());
  EXPECT_NE(text.find("\r\n>>ERROR MESSAGE<<   Error(0:0x00000005) : reboot failed -- " + system +
                      "\r\n\r\n"),
            std::string::npos);
  EXPECT_NE(text.find(">>LOG MESSAGE<<   " + std::string(1023, 'm') + "\r\n"), std::string::npos);
  // The system's text fills what is left of the 1024-byte buffer: three characters here.
  EXPECT_NE(text.find(" : " + std::string(1016, 'e') + " -- " + system.substr(0, 3) + "\r\n"),
            std::string::npos);
  EXPECT_EQ(text.find(std::string(1017, 'e')), std::string::npos);
  EXPECT_NE(text.find("odd -- E0001234"), std::string::npos);
}

TEST(TraceLogTest, ReferencesInterfacesAndNames) {
  TraceLog* log = TraceLog::Create();
  void* out = nullptr;
  EXPECT_EQ(log->QueryInterface(kTraceLogInterfaceId, &out), kTraceOk);
  EXPECT_EQ(out, static_cast<ITraceLog*>(log));
  EXPECT_EQ(log->QueryInterface(kBaseInterfaceId, &out), kTraceOk);
  EXPECT_EQ(log->QueryInterface({1, 2, 3, {}}, &out), kTraceNoInterface);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(log->AddRef(), 4u);
  EXPECT_EQ(log->Release(), 3u);
  EXPECT_EQ(log->Release(), 2u);
  EXPECT_EQ(log->Release(), 1u);

  // A log that cannot be created writes nothing, and every call is harmless.
  EXPECT_EQ(log->Open("/no/such/folder/~launchet.lg0"), kTraceFail);
  EXPECT_FALSE(log->Enabled());
  log->LogMessage(__FILE__, __LINE__, "lost");
  log->LogError(__FILE__, __LINE__, 2, "lost");
  char name[8];
  log->GetFileName(name, sizeof name);
  EXPECT_EQ(std::string(name), "/no/suc");
  log->Close();
  EXPECT_EQ(log->Release(), 0u);
}

#ifndef _WIN32
// Calls that each keep a kilobyte until the stack runs out: the limit is never reached.
volatile int g_depthLimit = 1 << 30;
[[gnu::noinline]] int Recurse(int depth) {
  volatile char frame[1024];
  frame[0] = static_cast<char>(depth);
  if (depth >= g_depthLimit) return frame[0];
  return Recurse(depth + 1) + frame[0];
}

// What the log of a child process says after the fault it runs into.
std::string LogOfAFault(void (*fault)()) {
  ScratchFolder dir;
  const std::string name = (dir / "~launchet.lg0").string();
  const pid_t child = ::fork();
  if (child == 0) {
    // A stack of a few MiB, whatever the shell allows, so that running out of it is quick.
    rlimit stack{};
    ::getrlimit(RLIMIT_STACK, &stack);
    if (stack.rlim_cur == RLIM_INFINITY || stack.rlim_cur > 8u << 20) {
      stack.rlim_cur = 8u << 20;
      ::setrlimit(RLIMIT_STACK, &stack);
    }
    TraceLog* log = TraceLog::Create();
    log->Open(name.c_str());
    ReportFaultsTo(log);
    fault();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV) << status;
  return ScratchFolder::Slurp(dir / "~launchet.lg0");
}

TEST(TraceLogTest, AStackOverflowIsNamedSoAndOtherFaultsAreNot) {
  const std::string overflow = LogOfAFault([] { Recurse(0); });
  EXPECT_NE(
      overflow.find(">>ERROR EXCEPTION<<   Exception(6:0xC00000FD) : EXCEPTION_STACK_OVERFLOW"),
      std::string::npos)
      << overflow;
  EXPECT_NE(overflow.find(">>TRACE SYSTEM ERROR<<"), std::string::npos);

  // A wild pointer far from the stack stays an access violation, and so does a SIGSEGV sent
  // by someone rather than caused by a fault.
  const std::string wild = LogOfAFault([] {
    volatile std::uintptr_t address = 16;
    *reinterpret_cast<volatile int*>(address) = 1;  // NOLINT(performance-no-int-to-ptr): on purpose
  });
  EXPECT_NE(wild.find(") : Access Violation: IP: 0x"), std::string::npos) << wild;
  EXPECT_NE(wild.find(" Write Address: 0x00000010"), std::string::npos) << wild;
  const std::string sent = LogOfAFault([] { ::raise(SIGSEGV); });
  EXPECT_NE(sent.find("Exception(6:0xC0000005) : Access Violation"), std::string::npos) << sent;
}
#endif

TEST(TraceLogTest, ExceptionTextsAndFaults) {
  EXPECT_EQ(CSE_Exception(CSE_Exception::kAccessViolation, 0x401000, true, 0x10).Text(),
            "Access Violation: IP: 0x00401000 Write Address: 0x00000010");
  EXPECT_EQ(CSE_Exception(CSE_Exception::kAccessViolation, 0x401000, false, 0).Text(),
            "Access Violation: IP: 0x00401000 Read Address: 0x00000000");
  EXPECT_EQ(CSE_Exception(CSE_Exception::kIntDivideByZero).Text(), "INT_DIVIDE_BY_ZERO");
  EXPECT_EQ(CSE_Exception(CSE_Exception::kStackOverflow).Text(), "EXCEPTION_STACK_OVERFLOW");
  EXPECT_EQ(CSE_Exception(0x12345678).Text(), "Unknown SE_exception: 12345678");

#ifdef _WIN32
  GTEST_SKIP() << "a fault of a child process is tested on POSIX; Windows reports through the "
                  "vectored handler, built here";
#else
  // A real fault in a child process: reported in the log before the process ends.
  ScratchFolder dir;
  const std::string name = (dir / "~launchet.lg0").string();
  const pid_t child = ::fork();
  if (child == 0) {
    TraceLog* log = TraceLog::Create();
    log->Open(name.c_str());
    ReportFaultsTo(log);
    log->LogMessage(__FILE__, __LINE__, "before");
    ::raise(SIGFPE);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status));
  const std::string text = ScratchFolder::Slurp(dir / "~launchet.lg0");
  EXPECT_NE(text.find(">>ERROR EXCEPTION<<   Exception(6:0xC000008E) : FLT_DIVIDE_BY_ZERO"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(">>TRACE SYSTEM ERROR<<"), std::string::npos);
#endif
}

}  // namespace
}  // namespace tavrin::launcher
