// libFuzzer target: any text through the message compiler, as Line 1 and as Line 2, with
// graphics of every size (and some missing) behind the "<Pic:" tags.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "editor/message_compiler.h"

namespace {

class Graphics : public tavrin::GraphicSource {
 public:
  explicit Graphics(std::uint8_t seed) : m_seed(seed) {}
  tavrin::Result<tavrin::GraphicDims> Dims(const std::string& name) override {
    const int n = (name.size() == 3 ? name[1] * 10 + name[2] : 0) + m_seed;
    if (n % 5 == 0) return tavrin::Error{"no such graphic " + name};
    return tavrin::GraphicDims{1 + n % 17, 1 + (n * 7) % 160};
  }

 private:
  std::uint8_t m_seed;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  Graphics graphics(data[0]);
  tavrin::MessageCompiler compiler(graphics);
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  for (int line = 1; line <= 2; ++line) {
    auto result = compiler.Compile(text, line);
    (void)result;
  }
  return 0;
}
