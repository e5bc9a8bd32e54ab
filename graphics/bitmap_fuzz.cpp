// libFuzzer target: any bytes as a bitmap file, imported into the graphic editor as the
// "Import" button does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "graphics/bitmap_qt.h"
#include "graphics/graphic_editor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const auto picture = tavrin::DecodeBitmap(bytes, "fuzz.bmp");
  if (!picture) return 0;
  tavrin::GraphicEditor editor;
  tavrin::ImportPicture(editor, *picture);
  return 0;
}
