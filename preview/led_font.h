#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tavrin::preview {

// The fonts of the sign, chosen by the font codes of a line.
enum class FontKind { Font5x7, Font4x7, Font6x7, Font5x8, Font7x13 };

// The font a code chooses ("<AA>" 5x7, "<AB>" 6x7, "<AC>" 4x7, "<AD>" 7x13, "<AF>" 5x8).
std::optional<FontKind> FontOfCode(std::string_view code);

// One character of a font: its rows, top first, bit (width - 1 - x) for column x.
struct Glyph {
  int width = 5;
  int height = 7;
  std::array<std::uint16_t, 13> rows{};
  bool Lit(int x, int y) const {
    return ((rows[static_cast<std::size_t>(y)] >> (width - 1 - x)) & 1) != 0;
  }
};

// Our own fonts for the printable bytes 0x20 to 0x7E: a drawn 5x7, and 4x7, 6x7, 5x8 and 7x13
// made from it. Any other byte is drawn as "?".
Glyph GlyphOf(FontKind font, unsigned char c);

}  // namespace tavrin::preview
