#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fonts/user_font.h"

namespace tavrin::testing {

// A user character as a .fon file holds it: its three-letter code ("U41"), the letter of its
// size and its dot rows.
inline UserFontRecord Character(const char* code, char letter, std::vector<std::uint8_t> rows) {
  UserFontRecord r;
  for (int i = 0; i < 3; ++i)
    r.bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(code[i]);
  r.bytes[3] = static_cast<std::uint8_t>(letter);
  for (std::size_t i = 0; i < rows.size(); ++i) r.bytes[4 + i] = rows[i];
  return r;
}

}  // namespace tavrin::testing
