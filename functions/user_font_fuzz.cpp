// libFuzzer target: any bytes as a .fon file. A list that was read writes and reads back the
// same, and every character can be drawn and transferred.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fonts/user_font.h"
#include "functions/font_plans.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto list = tavrin::ParseFontFile(bytes);
  if (!list) return 0;
  const std::string written = tavrin::FontFileBytes(*list);
  const auto again = tavrin::ParseFontFile(written);
  if (!again || again->Size() != list->Size()) std::abort();
  for (std::size_t i = 0; i < list->Size(); ++i) {
    if (again->At(i).record.bytes != list->At(i).record.bytes) std::abort();
  }
  (void)tavrin::PlanFontTransfer(1, *list);
  return 0;
}
