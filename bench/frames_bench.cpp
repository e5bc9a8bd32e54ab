// Compiling a full-length line with sixteen graphics and building every frame of its send.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "editor/vocabulary.h"
#include "functions/message_frames.h"

namespace {

namespace fs = std::filesystem;

// The sixteen graphics of the benchmark line, 8 rows of 128 columns each, in a scratch folder.
fs::path MakeGraphics() {
  std::string tmpl = (fs::temp_directory_path() / "tavrin-bench-XXXXXX").string();
  if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
  tavrin::GraphicFolder folder{fs::path(tmpl)};
  const tavrin::GraphicRows rows(8, std::string(64, 'A') + std::string(64, 'E'));
  for (int n = 1; n <= 16; ++n) {
    if (!folder.Write(tavrin::GraphicName(n), rows)) std::abort();
  }
  return tmpl;
}

// 210 characters: 16 graphic tags of 9 characters and 66 of text and tags.
std::string BenchLine() {
  std::string line = "<Curtain Up><Red>";
  for (int n = 1; n <= 16; ++n) line += tavrin::GraphicTag(tavrin::GraphicName(n));
  while (line.size() < 210) line += 'x';
  return line;
}

void BM_CompileAndBuildAllFrames(benchmark::State& state) {
  const fs::path home = MakeGraphics();
  const std::string line = BenchLine();
  const tavrin::GraphicFolder graphics(home);
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto plan = tavrin::PlanSend(graphics, line, 'A', 1);
    if (!plan) state.SkipWithError(plan.ErrorText().c_str());
    for (const auto& frame : plan->AllFrames()) bytes += frame.size();
    benchmark::DoNotOptimize(plan);
  }
  state.counters["frame_bytes"] =
      static_cast<double>(bytes) / static_cast<double>(state.iterations());
  fs::remove_all(home);
}
BENCHMARK(BM_CompileAndBuildAllFrames)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
