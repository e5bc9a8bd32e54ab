#include "common/bytes.h"

#include "common/ascii.h"

namespace tavrin {

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";
}  // namespace

std::string HexByte(std::uint8_t value) {
  return {kHexDigits[value >> 4], kHexDigits[value & 0x0F]};
}

bool ParseHexByte(std::string_view text, std::uint8_t& value) {
  if (text.size() != 2) return false;
  const int high = HexDigitValue(text[0]);
  const int low = HexDigitValue(text[1]);
  if (high < 0 || low < 0) return false;
  value = static_cast<std::uint8_t>(high * 16 + low);
  return true;
}

std::string EscapeBytes(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<std::uint8_t>(c);
    if (b >= 0x20 && b <= 0x7E && c != '\\') {
      out += c;
    } else {
      out += "\\x";
      out += HexByte(b);
    }
  }
  return out;
}

}  // namespace tavrin
