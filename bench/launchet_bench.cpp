// launchet's speed: from its start to its first step's process running, as whole programs;
// and what one LogMessage with its trace record costs.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "launcher/utility/btrace.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

fs::path Scratch() {
  std::string tmpl = (fs::temp_directory_path() / "tavrin-bench-XXXXXX").string();
  if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
  return tmpl;
}

void BM_LaunchetToItsFirstStep(benchmark::State& state) {
  const fs::path dir = Scratch();
  fs::copy_file(TAVRIN_LAUNCHET, dir / "launchet");
  const fs::path stamp = dir / "stamp";
  std::ofstream(dir / "launchet.inf")
      << "[ScrivDriver]\r\nExecCount=1\r\nExecCmd0=First,," << TAVRIN_TEST_CHILD << " 0 0 "
      << stamp.string() << " stamp,,\r\n";
  const std::string program = (dir / "launchet").string();
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  for (auto _ : state) {
    fs::remove(stamp);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) std::abort();
    int status = 0;
    ::waitpid(pid, &status, 0);
    long long started = 0;
    std::ifstream(stamp) >> started;
    const auto ms = std::chrono::duration<double, std::milli>(std::chrono::nanoseconds(started) -
                                                              start.time_since_epoch())
                        .count();
    state.SetIterationTime(ms / 1000);
    state.counters["ms_to_first_step"] = ms;
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_LaunchetToItsFirstStep)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

void BM_LogMessageWithOneTrace(benchmark::State& state) {
  const fs::path dir = Scratch();
  auto* log = tavrin::launcher::TraceLog::Create();
  log->Open((dir / "~launchet.lg0").string().c_str());
  for (auto _ : state)
    log->LogMessage(__FILE__, __LINE__, "Exec: %s:%s: installed finish, return: %d", "Driver",
                    "setup", 0);
  log->Release();
  fs::remove_all(dir);
}
BENCHMARK(BM_LogMessageWithOneTrace)->Iterations(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
