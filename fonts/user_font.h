#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace tavrin {

// One user character: exactly 52 bytes, as the font file and the sign transfer carry it.
//   0..2  the code text "U40" to "U7F"
//   3     the size class letter: "A" 5x7, "B" 6x7, "C" 4x7
//   4..51 the dot rows, top row first: one byte a row for widths up to 8 (bit 7 the leftmost
//         column), two bytes a row for widths 9 to 16 (the second byte from column 8 on).
// A record of all zero bytes is a character added but never drawn, or cleared.
inline constexpr std::size_t kUserFontRecordBytes = 52;
inline constexpr std::size_t kDotBytes = 48;

struct UserFontRecord {
  std::array<std::uint8_t, kUserFontRecordBytes> bytes{};

  // The first three bytes as text, ending early at a zero byte.
  std::string CodeText() const;
  char SizeLetter() const { return static_cast<char>(bytes[3]); }
  bool AllZero() const;
  // A dot of a character of the given width; false outside the 48 dot bytes.
  bool Dot(int column, int row, int width) const;
  // Sets or clears a dot; nothing happens outside the 48 dot bytes.
  void SetDot(int column, int row, int width, bool lit);
  bool operator==(const UserFontRecord&) const = default;
};

// The three sizes, their letters and their dots.
struct FontSize {
  char letter;
  std::string_view text;
  int width;
  int height;
};
inline constexpr std::array<FontSize, 3> kFontSizes = {{
    {'C', "4x7", 4, 7},
    {'A', "5x7", 5, 7},
    {'B', "6x7", 6, 7},
}};
std::optional<FontSize> SizeOfLetter(char letter);
std::optional<FontSize> SizeOfText(std::string_view text);

// The codes of user characters: "U40" to "U7F".
inline constexpr int kFirstUserCode = 0x40;
inline constexpr int kLastUserCode = 0x7F;
std::string UserCodeText(int code);

// The code a record names: "0x" and its bytes 1 and 2 read as a hexadecimal number, 0x40 when
// they do not read as one ("U41" gives 0x41).
int RecordCode(const UserFontRecord& record);

// Whether a record can go to the sign as a user character: not all zero, its code text "U40"
// to "U7F" and its size letter "A", "B" or "C".
bool Transferable(const UserFontRecord& record);

// The list text of a record read from a file: its code text, "-", the size text of its letter
// (empty for an unknown letter). An all-zero record gives "-".
std::string EntryTextOf(const UserFontRecord& record);

// A character of the font list: its text ("U41-5x7") and its record.
struct FontEntry {
  std::string text;
  UserFontRecord record;

  // The size its text names after the "-", if it names one of the three.
  std::optional<FontSize> Size() const;
};

// The font maker's list, kept sorted by entry text (letter case aside, as the list box sorts).
class FontList {
 public:
  const std::vector<FontEntry>& Entries() const { return m_entries; }
  std::size_t Size() const { return m_entries.size(); }
  FontEntry& At(std::size_t i) { return m_entries.at(i); }
  const FontEntry& At(std::size_t i) const { return m_entries.at(i); }

  // Add: a new zero-filled character for a code and a size text, unless the list has that
  // text already ("    This Char and the same Font Size Exists    "). Returns its position.
  Result<std::size_t> Add(int code, std::string_view sizeText);
  // Puts an entry in its sorted place, as it is; returns the position.
  std::size_t Insert(FontEntry entry);
  void Remove(std::size_t i);
  // The position of the entry with exactly this text.
  std::optional<std::size_t> Find(std::string_view text) const;

  // A list of the given entries, sorted as Insert would place them one by one.
  static FontList Of(std::vector<FontEntry> entries);

 private:
  std::vector<FontEntry> m_entries;
};

// ---- The font file -------------------------------------------------------------------------

inline constexpr std::string_view kFontMagic = "LEDFONTModal58204";
inline constexpr const char* kNotAFontFileText =
    " This font file is not for LED Display Modal58204";
// Font files larger than this are refused: the editor's list is at most 192 characters
// (10005 bytes), and a file that claims millions is not read.
inline constexpr std::size_t kMaxFontFileBytes = 1024 * 1024;

// The file of a list: the magic, the count (32-bit signed little-endian) and the records in
// list order, all-zero records included.
std::string FontFileBytes(const FontList& list);

// Reads a font file's bytes into a new list: the magic must be there (case-sensitive), or
// kNotAFontFileText. A count of zero or less gives an empty list; a count beyond the records
// present stops at the end of the bytes, keeping the whole records. Records are taken as they
// are: unknown codes and letters, all-zero records (entry "-"), repeats.
Result<FontList> ParseFontFile(std::string_view bytes);

// Reads a font file from disk; a file that cannot be read is not a font file either, and a
// file beyond kMaxFontFileBytes is refused with its size.
Result<FontList> ReadFontFile(const std::filesystem::path& path);
// Writes atomically: a failure leaves the old file whole and says why.
Status WriteFontFile(const std::filesystem::path& path, const FontList& list);

}  // namespace tavrin
