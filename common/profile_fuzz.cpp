// libFuzzer target: any bytes as an INI file. The index answers as the reader does, a key
// written with ProfileUpdate reads back as written, and the text of a UTF-16 file written back
// in its encoding reads again as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The first byte splits a section and key name off the end of the input.
  const std::size_t wanted = 1 + static_cast<std::size_t>(data[0] % 16);
  const std::size_t nameLength = wanted < size - 1 ? wanted : size - 1;
  const std::string_view all(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string_view text = all.substr(0, all.size() - nameLength);
  const std::string_view name = all.substr(all.size() - nameLength);
  const std::string_view section = name.substr(0, name.size() / 2);
  const std::string_view key = name.substr(name.size() / 2);

  const tavrin::ProfileText decoded = tavrin::DecodeProfileBytes(all);
  const std::string encoded = tavrin::EncodeProfileText(decoded.text, decoded.encoding);
  if (tavrin::DecodeProfileBytes(encoded).text != decoded.text) std::abort();

  const tavrin::ProfileIndex index(text);
  if (index.Lookup(section, key) != tavrin::ProfileLookup(text, section, key)) std::abort();
  (void)tavrin::ProfileInt(tavrin::ProfileLookup(text, section, key), 7);
  (void)index.Keys(section);

  // A plain name and value go in and come back.
  const auto plain = [](std::string_view s) {
    for (const char c : s) {
      if (c == '\r' || c == '\n' || c == '[' || c == ']' || c == '=' || c == ';' || c == '\0' ||
          c == ' ' || c == '\t')
        return false;
    }
    return !s.empty();
  };
  if (plain(section) && plain(key)) {
    const std::string updated = tavrin::ProfileUpdate(text, section, key, "v42");
    const auto back = tavrin::ProfileLookup(updated, section, key);
    if (!back || *back != "v42") std::abort();
  }
  return 0;
}
