// The virtual sign reading, checking and decoding a megabyte of frames.
#include <benchmark/benchmark.h>

#include <string>

#include "signlink/sign_frame.h"
#include "tools/virtual-sign/virtual_sign.h"

namespace {

std::string MegabyteOfFrames() {
  const std::string frames =
      tavrin::SignFrame(1, "<BE>") +
      tavrin::SignFrame(
          1, "<L1><PB><FC><MA><WC><FE>Hello<CA>World<GA1><GA2><GA3><GA4>" + std::string(150, 'x')) +
      tavrin::SignFrame(1, "<GA1>" + std::string(32, '<') + std::string(32, 'E')) +
      tavrin::SignFrame(1, "<TA>08051208000805311830ABC") + tavrin::SignFrame(1, "<BF>");
  std::string stream;
  while (stream.size() < 1024 * 1024) stream += frames;
  return stream;
}

void BM_ReadAMegabyteOfFrames(benchmark::State& state) {
  const std::string stream = MegabyteOfFrames();
  std::size_t frames = 0;
  for (auto _ : state) {
    tavrin::vsign::VirtualSign sign(1, {});
    for (std::size_t i = 0; i < stream.size(); i += 4096) {
      frames += sign.Feed(std::string_view(stream).substr(i, 4096)).size();
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
  state.counters["frames"] = static_cast<double>(frames) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ReadAMegabyteOfFrames)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
