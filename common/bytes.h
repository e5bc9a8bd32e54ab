#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrin {

// Two upper-case hexadecimal digits with a leading zero: 10 -> "0A", 255 -> "FF".
std::string HexByte(std::uint8_t value);

// Reads exactly two hexadecimal digits (either case); nothing for anything else.
bool ParseHexByte(std::string_view text, std::uint8_t& value);

// Printable form of a byte string for logs and terminals: bytes 0x20 to 0x7E stand as
// they are, except the backslash; every other byte, and the backslash, as \xHH.
std::string EscapeBytes(std::string_view bytes);

}  // namespace tavrin
