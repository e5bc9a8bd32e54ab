// libFuzzer target: any bytes as a message file. What is read must write and read back the
// same (a saved message opens as it was).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "editor/message_rtf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto runs = tavrin::ReadMessageFile(bytes, "CP1252");
  if (!runs) return 0;
  const std::string written = tavrin::WriteMessageRtf(*runs, "CP1252");
  const auto again = tavrin::ReadMessageFile(written, "CP1252");
  if (!again || tavrin::MergeRuns(*again) != tavrin::MergeRuns(*runs)) std::abort();
  return 0;
}
