// The preview follows every keystroke: a whole line of 210 characters with two graphics must
// compile, draw and give its first picture well inside a frame of the screen.
#include <benchmark/benchmark.h>

#include "preview/preview.h"
#include "tests/support/scratch_folder.h"

namespace {

using namespace tavrin;

void BM_PreviewOfAFullLine(benchmark::State& state) {
  testing::ScratchFolder home;
  std::string g;
  for (int r = 0; r < 8; ++r) g += std::string(64, 'E') + "\r\n";
  home.Put("Graphdata/G01.txt", g);
  home.Put("Graphdata/G02.txt", g);
  const std::string line = "<Curtain Up><Rainbow><Pic:G01>" + std::string(180, 'W') + "<Pic:G02>";
  const GraphicFolder graphics(home.Path());
  for (auto _ : state) {
    const preview::Preview p = preview::MakePreview(line, graphics, nullptr, 128, 0);
    benchmark::DoNotOptimize(p.animation.hold.front().Frame());
  }
}
BENCHMARK(BM_PreviewOfAFullLine)->Unit(benchmark::kMicrosecond);

void BM_DrawOneLine(benchmark::State& state) {
  struct NoContent : preview::SignContent {
    std::string block = std::string(64, '\x55');
    const std::string* GraphicBlock(char, int) const override { return &block; }
    std::optional<preview::UserGlyph> UserCharacter(int) const override { return std::nullopt; }
    std::string ClockText(bool) const override { return "12:00"; }
  } content;
  const std::string text = "<CS><GA1><GA2>" + std::string(200, 'W') + "<GB1><GB2>";
  for (auto _ : state) benchmark::DoNotOptimize(preview::RenderSignText(text, content));
}
BENCHMARK(BM_DrawOneLine)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
