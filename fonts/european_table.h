#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fonts/user_font.h"

namespace tavrin {

// The European character table: 128 cells of 57 x 23 pixels, 10 a row, 13 rows, in a picture
// of 572 x 301 pixels. Cell k lies in column k mod 10 and row k div 10; cells 128 and 129 (the
// last two of row 12) are empty.
inline constexpr int kEuroCellWidth = 57;
inline constexpr int kEuroCellHeight = 23;
inline constexpr int kEuroColumns = 10;
inline constexpr int kEuroCharacters = 128;
inline constexpr int kEuroPictureWidth = 572;
inline constexpr int kEuroPictureHeight = 301;

// The working picture and the default one, in the program folder.
inline constexpr std::string_view kEuroPictureFile = "EuroCharForm58204.bmp";
inline constexpr std::string_view kEuroDefaultPictureFile = "EuroCharFormDefault.bmp";

struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom included
  bool Empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  bool operator==(const PixelRect&) const = default;
};

// The cell a click at picture pixel (x, y) chooses: nothing for the empty cells 128 and 129,
// and nothing in the strips right of the table (x from 570) and below it (y from 299), which
// name no cell.
std::optional<int> EuroCellAt(int x, int y);
// The focus rectangle of a chosen cell: (57c + 1, 23r + 1) to (57c + 56, 23r + 22).
PixelRect EuroFocusRect(int cell);
// "U41" for cell 65; the tag "<U41>".
std::string EuroLabel(int cell);
std::string EuroTag(int cell);

// Where a transferred character goes in the table: the rectangle its old glyph is erased from
// (white) and the dots set in black, one pixel a dot.
struct EuroGlyph {
  PixelRect erase;  // from (gx, gy) to (gx + 14, gy + 21)
  std::vector<std::pair<int, int>> dots;
};
// Nothing for a record that names no size or no cell of the table.
std::optional<EuroGlyph> PlaceTransferredCharacter(const UserFontRecord& record);

// The 128 characters of the table in its default font, as the text the built-in picture
// draws: symbols for 0x00 to 0x3F, accented Latin letters for 0x40 to 0x7F (UTF-8).
std::string_view DefaultEuroCharacter(int cell);

}  // namespace tavrin
