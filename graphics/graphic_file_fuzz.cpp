// libFuzzer target: any bytes as a graphic data file, then its picture and its block tags.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "graphics/graphic_file.h"
#include "graphics/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto rows = tavrin::ParseGraphicText(bytes);
  if (!rows) return 0;
  const tavrin::GraphicDims dims = tavrin::DimsOf(*rows);
  for (int line = 1; line <= 2; ++line) (void)tavrin::BlockTagSequence(1 + size % 16, dims, line);
  (void)tavrin::PictureOfRows(*rows);
  return 0;
}
