#include "fonts/user_font.h"

#include <algorithm>
#include <cstdio>

#include "common/ascii.h"
#include "common/file_io.h"

namespace tavrin {

namespace {

bool SortsBefore(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return AsciiLower(x) < AsciiLower(y); });
}

// Where a dot's bit lies: the byte offset within the record and the bit's mask.
bool DotPlace(int column, int row, int width, std::size_t& offset, std::uint8_t& mask) {
  if (column < 0 || row < 0 || width < 1 || width > 16 || column >= width) return false;
  const int perRow = width <= 8 ? 1 : 2;
  const int index = row * perRow + column / 8;
  if (index >= static_cast<int>(kDotBytes)) return false;
  offset = 4 + static_cast<std::size_t>(index);
  mask = static_cast<std::uint8_t>(0x80 >> (column % 8));
  return true;
}

}  // namespace

std::string UserFontRecord::CodeText() const {
  std::string code;
  for (std::size_t i = 0; i < 3 && bytes[i] != 0; ++i) code += static_cast<char>(bytes[i]);
  return code;
}

bool UserFontRecord::AllZero() const {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

bool UserFontRecord::Dot(int column, int row, int width) const {
  std::size_t offset = 0;
  std::uint8_t mask = 0;
  return DotPlace(column, row, width, offset, mask) && (bytes[offset] & mask) != 0;
}

void UserFontRecord::SetDot(int column, int row, int width, bool lit) {
  std::size_t offset = 0;
  std::uint8_t mask = 0;
  if (!DotPlace(column, row, width, offset, mask)) return;
  bytes[offset] = static_cast<std::uint8_t>(lit ? bytes[offset] | mask : bytes[offset] & ~mask);
}

std::optional<FontSize> SizeOfLetter(char letter) {
  for (const FontSize& s : kFontSizes) {
    if (s.letter == letter) return s;
  }
  return std::nullopt;
}

std::optional<FontSize> SizeOfText(std::string_view text) {
  for (const FontSize& s : kFontSizes) {
    if (s.text == text) return s;
  }
  return std::nullopt;
}

std::string UserCodeText(int code) {
  char text[8];
  std::snprintf(text, sizeof text, "U%02X", static_cast<unsigned>(code) & 0xFFu);
  return text;
}

int RecordCode(const UserFontRecord& r) {
  const int high = HexDigitValue(static_cast<char>(r.bytes[1]));
  const int low = HexDigitValue(static_cast<char>(r.bytes[2]));
  // "0x" and a lone digit reads as that digit; nothing that reads gives 0x40.
  if (high < 0) return 0x40;
  if (low < 0) return high;
  return high * 16 + low;
}

bool Transferable(const UserFontRecord& r) {
  if (r.AllZero() || r.bytes[0] != 'U' || !SizeOfLetter(r.SizeLetter())) return false;
  if (HexDigitValue(static_cast<char>(r.bytes[1])) < 0 ||
      HexDigitValue(static_cast<char>(r.bytes[2])) < 0) {
    return false;
  }
  const int code = RecordCode(r);
  return code >= kFirstUserCode && code <= kLastUserCode;
}

std::string EntryTextOf(const UserFontRecord& record) {
  const std::optional<FontSize> size = SizeOfLetter(record.SizeLetter());
  return record.CodeText() + "-" + (size ? std::string(size->text) : std::string());
}

std::optional<FontSize> FontEntry::Size() const {
  const std::size_t dash = text.find('-');
  if (dash == std::string::npos) return std::nullopt;
  return SizeOfText(std::string_view(text).substr(dash + 1));
}

Result<std::size_t> FontList::Add(int code, std::string_view sizeText) {
  FontEntry entry{UserCodeText(code) + "-" + std::string(sizeText), {}};
  if (Find(entry.text)) return Error{"    This Char and the same Font Size Exists    "};
  return Insert(std::move(entry));
}

std::size_t FontList::Insert(FontEntry entry) {
  // After every entry that does not sort after it: the list stays sorted, repeats in order.
  const auto at = std::upper_bound(
      m_entries.begin(), m_entries.end(), entry.text,
      [](const std::string& text, const FontEntry& e) { return SortsBefore(text, e.text); });
  const auto inserted = m_entries.insert(at, std::move(entry));
  return static_cast<std::size_t>(inserted - m_entries.begin());
}

void FontList::Remove(std::size_t i) {
  if (i < m_entries.size()) m_entries.erase(m_entries.begin() + static_cast<long>(i));
}

std::optional<std::size_t> FontList::Find(std::string_view text) const {
  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    if (m_entries[i].text == text) return i;
  }
  return std::nullopt;
}

FontList FontList::Of(std::vector<FontEntry> entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const FontEntry& a, const FontEntry& b) {
    return SortsBefore(a.text, b.text);
  });
  FontList list;
  list.m_entries = std::move(entries);
  return list;
}

std::string FontFileBytes(const FontList& list) {
  std::string bytes(kFontMagic);
  const auto count = static_cast<std::uint32_t>(list.Size());
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((count >> (8 * i)) & 0xFF);
  for (const FontEntry& e : list.Entries()) {
    bytes.append(reinterpret_cast<const char*>(e.record.bytes.data()), kUserFontRecordBytes);
  }
  return bytes;
}

Result<FontList> ParseFontFile(std::string_view bytes) {
  if (bytes.size() < kFontMagic.size() || bytes.substr(0, kFontMagic.size()) != kFontMagic) {
    return Error{kNotAFontFileText};
  }
  std::int32_t count = 0;
  if (bytes.size() >= kFontMagic.size() + 4) {
    std::uint32_t raw = 0;
    for (int i = 3; i >= 0; --i) {
      raw = (raw << 8) |
            static_cast<std::uint8_t>(bytes[kFontMagic.size() + static_cast<std::size_t>(i)]);
    }
    count = static_cast<std::int32_t>(raw);
  }
  std::string_view records = bytes.size() > 21 ? bytes.substr(21) : std::string_view();
  // Never more than the whole records that are there.
  const std::size_t present = records.size() / kUserFontRecordBytes;
  const std::size_t wanted =
      count > 0 ? std::min<std::size_t>(static_cast<std::size_t>(count), present) : 0;
  std::vector<FontEntry> entries;
  entries.reserve(wanted);
  for (std::size_t i = 0; i < wanted; ++i) {
    FontEntry entry;
    std::copy_n(records.data() + i * kUserFontRecordBytes, kUserFontRecordBytes,
                reinterpret_cast<char*>(entry.record.bytes.data()));
    entry.text = EntryTextOf(entry.record);
    entries.push_back(std::move(entry));
  }
  return FontList::Of(std::move(entries));
}

Result<FontList> ReadFontFile(const std::filesystem::path& path) {
  Result<std::string> bytes = ReadFileLimited(path, kMaxFontFileBytes);
  if (!bytes) {
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) > kMaxFontFileBytes && !ec) {
      return Error{Utf8FromPath(path) + " is too large to be a font file (a font file of 192 " +
                   "characters is 10005 bytes)"};
    }
    return Error{kNotAFontFileText};
  }
  return ParseFontFile(*bytes);
}

Status WriteFontFile(const std::filesystem::path& path, const FontList& list) {
  return WriteFileAtomically(path, FontFileBytes(list));
}

}  // namespace tavrin
