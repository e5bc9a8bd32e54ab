// Whole commands to a sign that answers at once, over a pseudo-terminal, on a road's worker as
// the windows run them: a message with 16 graphics of 4 blocks each, and a transfer of 192
// user characters. The time is compared with the waits each must make. What a frame adds to its
// waits is mostly the reply's round trip between two threads; run it pinned to one processor
// (taskset -c 0), as the start-up is measured, to keep wake-ups across processors out of it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "editor/vocabulary.h"
#include "functions/font_plans.h"
#include "functions/sign_plans.h"
#include "signlink/serial_link.h"
#include "signlink/sign_road.h"
#include "tests/support/pty_peer.h"

namespace {

namespace fs = std::filesystem;

// Runs the plan on a road of its own, waiting in real time, and reports its time against the
// waits it must make.
void RunOnTheRoad(benchmark::State& state, const tavrin::SignPlan& plan, double waitsMs,
                  const std::string& device) {
  tavrin::SerialLink link([&](int) { return device; });
  tavrin::SignRoad road(link);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const tavrin::SignOutcome outcome = road.RunAndWait(plan).outcome;
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (outcome != tavrin::SignOutcome::Accepted) state.SkipWithError("the command failed");
    state.counters["ms"] = ms;
    state.counters["ratio_to_waits"] = ms / waitsMs;
  }
}

void BM_SendSixteenGraphicsOverPty(benchmark::State& state) {
  std::string tmpl = (fs::temp_directory_path() / "tavrin-bench-XXXXXX").string();
  if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
  const tavrin::GraphicFolder graphics{fs::path(tmpl)};
  std::string line;
  for (int n = 1; n <= 16; ++n) {
    if (!graphics.Write(tavrin::GraphicName(n), tavrin::GraphicRows(8, std::string(128, 'E')))) {
      std::abort();
    }
    line += tavrin::GraphicTag(tavrin::GraphicName(n));
  }
  tavrin::testing::PtyPeer sign(tavrin::testing::PtyPeer::Ack);
  constexpr double kWaitsMs = 200 + 100 + 64 * 250 + 200;
  RunOnTheRoad(state, tavrin::PlanSendMessage(graphics, line, 'A', 1), kWaitsMs, sign.Device());
  fs::remove_all(tmpl);
}
BENCHMARK(BM_SendSixteenGraphicsOverPty)->Iterations(1)->Unit(benchmark::kMillisecond);

// A font transfer of 192 characters (64 codes in three sizes) to a sign that answers at once.
void BM_TransferAllUserCharactersOverPty(benchmark::State& state) {
  std::vector<tavrin::FontEntry> entries;
  for (int code = 0x40; code <= 0x7F; ++code) {
    for (const tavrin::FontSize& size : tavrin::kFontSizes) {
      tavrin::FontEntry e;
      const std::string text = tavrin::UserCodeText(code);
      for (int i = 0; i < 3; ++i)
        e.record.bytes[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(text[static_cast<std::size_t>(i)]);
      e.record.bytes[3] = static_cast<std::uint8_t>(size.letter);
      e.record.bytes[4] = 0xF8;
      e.text = tavrin::EntryTextOf(e.record);
      entries.push_back(e);
    }
  }
  const tavrin::FontList list = tavrin::FontList::Of(entries);
  tavrin::testing::PtyPeer sign(tavrin::testing::PtyPeer::Ack);
  constexpr double kWaitsMs = 200 + 192 * 60 + 200;
  RunOnTheRoad(state, tavrin::PlanFontTransfer(1, list).plan, kWaitsMs, sign.Device());
}
BENCHMARK(BM_TransferAllUserCharactersOverPty)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
