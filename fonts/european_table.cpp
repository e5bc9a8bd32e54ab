#include "fonts/european_table.h"

#include <array>

#include "common/bytes.h"
#include "fonts/user_font.h"

namespace tavrin {

namespace {

// The sign's default characters as pictured: symbols first, then the accented letters.
constexpr std::array<std::string_view, kEuroCharacters> kDefaultCharacters = {
    // 0x00 to 0x3F: symbols
    "€",
    "←",
    "↑",
    "→",
    "↓",
    "↔",
    "↕",
    "■",
    "□",
    "●",
    "○",
    "◆",
    "◇",
    "▲",
    "▼",
    "★",
    "☆",
    "♠",
    "♣",
    "♥",
    "♦",
    "♪",
    "♫",
    "☺",
    "°",
    "±",
    "²",
    "³",
    "µ",
    "¶",
    "§",
    "©",
    "®",
    "™",
    "¼",
    "½",
    "¾",
    "£",
    "¥",
    "¢",
    "¤",
    "ƒ",
    "‰",
    "α",
    "β",
    "γ",
    "δ",
    "ε",
    "θ",
    "λ",
    "π",
    "σ",
    "φ",
    "ω",
    "Ω",
    "Σ",
    "Δ",
    "∞",
    "√",
    "≈",
    "≠",
    "≤",
    "≥",
    "¿",
    // 0x40 to 0x7F: accented Latin letters
    "À",
    "Á",
    "Â",
    "Ã",
    "Ä",
    "Å",
    "Æ",
    "Ç",
    "È",
    "É",
    "Ê",
    "Ë",
    "Ì",
    "Í",
    "Î",
    "Ï",
    "Ð",
    "Ñ",
    "Ò",
    "Ó",
    "Ô",
    "Õ",
    "Ö",
    "Ø",
    "Ù",
    "Ú",
    "Û",
    "Ü",
    "Ý",
    "Þ",
    "ß",
    "Œ",
    "à",
    "á",
    "â",
    "ã",
    "ä",
    "å",
    "æ",
    "ç",
    "è",
    "é",
    "ê",
    "ë",
    "ì",
    "í",
    "î",
    "ï",
    "ð",
    "ñ",
    "ò",
    "ó",
    "ô",
    "õ",
    "ö",
    "ø",
    "ù",
    "ú",
    "û",
    "ü",
    "ý",
    "þ",
    "ÿ",
    "œ",
};

}  // namespace

std::optional<int> EuroCellAt(int x, int y) {
  if (x < 0 || y < 0 || x >= kEuroColumns * kEuroCellWidth || y >= 13 * kEuroCellHeight) {
    return std::nullopt;
  }
  const int cell = x / kEuroCellWidth + kEuroColumns * (y / kEuroCellHeight);
  if (cell >= kEuroCharacters) return std::nullopt;
  return cell;
}

PixelRect EuroFocusRect(int cell) {
  const int column = cell % kEuroColumns, row = cell / kEuroColumns;
  return {kEuroCellWidth * column + 1, kEuroCellHeight * row + 1, kEuroCellWidth * column + 56,
          kEuroCellHeight * row + 22};
}

std::string EuroLabel(int cell) { return "U" + HexByte(static_cast<std::uint8_t>(cell)); }

std::string EuroTag(int cell) { return "<" + EuroLabel(cell) + ">"; }

std::optional<EuroGlyph> PlaceTransferredCharacter(const UserFontRecord& record) {
  const std::optional<FontSize> size = SizeOfLetter(record.SizeLetter());
  const int k = RecordCode(record);
  if (!size || k < 0 || k >= kEuroCharacters) return std::nullopt;
  const int gx = kEuroCellWidth * (k % kEuroColumns) + 6;
  const int gy = kEuroCellHeight * (k / kEuroColumns) + 1;
  EuroGlyph glyph;
  glyph.erase = {gx, gy, gx + 14, gy + 21};
  for (int r = 0; r < size->height; ++r) {
    for (int i = 0; i < size->width; ++i) {
      if (record.Dot(i, r, size->width)) glyph.dots.emplace_back(gx + i, gy + r);
    }
  }
  return glyph;
}

std::string_view DefaultEuroCharacter(int cell) {
  return cell >= 0 && cell < kEuroCharacters ? kDefaultCharacters[static_cast<std::size_t>(cell)]
                                             : std::string_view();
}

}  // namespace tavrin
