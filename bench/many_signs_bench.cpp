// One message with 16 graphics of 4 blocks each, to one sign, to ten signs on ten links, and
// to ten signs on one bus, each sign answering at once over a pseudo-terminal. Signs on
// different links work at the same time: ten take about as long as one. Signs on one bus take
// turns: ten take ten times as long.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "common/settings.h"
#include "editor/vocabulary.h"
#include "functions/sign_plans.h"
#include "signlink/sign_jobs.h"
#include "signlink/sign_roads.h"
#include "tests/support/pty_peer.h"

namespace {

namespace fs = std::filesystem;

struct Scratch {
  Scratch() {
    std::string tmpl = (fs::temp_directory_path() / "tavrin-bench-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
    path = tmpl;
  }
  ~Scratch() { fs::remove_all(path); }
  fs::path path;
};

// The time of one message to a sign alone, measured once and kept for the ratios.
double g_oneSignMs = 0;

// Sends the message to `signs` signs spread over `links` pseudo-terminals (IDs 01, 02, ...
// on each) and returns the time until the last has answered.
double SendToSigns(int signs, int links) {
  Scratch folder;
  const tavrin::GraphicFolder graphics{folder.path};
  std::string line;
  for (int n = 1; n <= 16; ++n) {
    if (!graphics.Write(tavrin::GraphicName(n), tavrin::GraphicRows(8, std::string(128, 'E')))) {
      std::abort();
    }
    line += tavrin::GraphicTag(tavrin::GraphicName(n));
  }
  std::vector<std::unique_ptr<tavrin::testing::PtyPeer>> peers;
  peers.reserve(static_cast<std::size_t>(links));
  for (int i = 0; i < links; ++i) {
    peers.push_back(std::make_unique<tavrin::testing::PtyPeer>(tavrin::testing::PtyPeer::Ack));
  }
  const tavrin::Settings settings(tavrin::SettingsPath(folder.path));
  tavrin::SignRoads roads(settings);
  std::vector<tavrin::SignJob> jobs;
  jobs.reserve(static_cast<std::size_t>(signs));
  for (int i = 0; i < signs; ++i) {
    const auto id = static_cast<std::uint8_t>(i / links + 1);
    jobs.push_back({"sign " + std::to_string(i),
                    {tavrin::SignAddress::Kind::Device, 1,
                     peers[static_cast<std::size_t>(i % links)]->Device()},
                    tavrin::PlanSendMessage(graphics, line, 'A', id),
                    {}});
  }
  const auto start = std::chrono::steady_clock::now();
  const std::vector<tavrin::SignJobResult> results = tavrin::RunJobs(roads, std::move(jobs));
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (tavrin::WorstOutcome(results) != tavrin::SignOutcome::Accepted) return -1;
  return ms;
}

void Report(benchmark::State& state, int signs, int links) {
  for (auto _ : state) {
    const double ms = SendToSigns(signs, links);
    if (ms < 0) {
      state.SkipWithError("a sign did not take the message");
      return;
    }
    if (signs == 1) g_oneSignMs = ms;
    state.counters["ms"] = ms;
    if (g_oneSignMs > 0) state.counters["ratio_to_one_sign"] = ms / g_oneSignMs;
  }
}

void BM_OneSign(benchmark::State& state) { Report(state, 1, 1); }
void BM_TenSignsOnTenLinks(benchmark::State& state) { Report(state, 10, 10); }
void BM_TenSignsOnOneBus(benchmark::State& state) { Report(state, 10, 1); }

BENCHMARK(BM_OneSign)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TenSignsOnTenLinks)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TenSignsOnOneBus)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
