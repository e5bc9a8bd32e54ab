#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace tavrin {

// Profile files larger than this are not read: settings and scripts are a few lines.
inline constexpr std::size_t kMaxProfileFileBytes = 1024 * 1024;

// How the bytes of an INI file hold its text: as they are (the system code page or UTF-8), or
// as UTF-16 behind its byte-order mark, which the Windows profile functions read and write as
// Unicode ("FF FE" little-endian, "FE FF" big-endian).
enum class ProfileEncoding { Bytes, Utf16LittleEndian, Utf16BigEndian };

struct ProfileText {
  std::string text;
  ProfileEncoding encoding = ProfileEncoding::Bytes;
};

// The text of an INI file's bytes: UTF-16 behind its mark becomes UTF-8 without the mark (an
// unpaired surrogate, and an odd last byte, as U+FFFD); any other bytes are the text as they
// are (a UTF-8 mark included: the functions below read past it).
ProfileText DecodeProfileBytes(std::string_view bytes);

// The bytes that hold the text in the encoding: for UTF-16, its mark and the UTF-8 text's
// characters (a byte that begins no UTF-8 character as U+FFFD); otherwise the text itself.
std::string EncodeProfileText(std::string_view text, ProfileEncoding encoding);

// The value of a key in INI text, as the Windows profile functions find it: section and key
// names compared without regard to case and to surrounding blanks, the first matching section
// and key win, the value trimmed of blanks and of one pair of enclosing quotes. Lines starting
// with ";" are comments. A UTF-8 byte-order mark at the start of the text is read past, as
// here by every function that takes INI text.
std::optional<std::string> ProfileLookup(std::string_view text, std::string_view section,
                                         std::string_view key);

// An integer value read as GetPrivateProfileInt reads it: an empty or missing value gives the
// default; otherwise leading blanks, an optional sign and the decimal digits that follow
// (none gives 0), the rest ignored.
int ProfileInt(const std::optional<std::string>& value, int defaultValue);

// The text with the key set to the value: the key's line replaced in place, or a new line
// at the end of its section, or a new section at the end of the text. Every other byte of
// the text stays as it was (a UTF-8 mark at its start too); new lines use the text's own line
// ends (CR LF for a new file).
std::string ProfileUpdate(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view value);

// INI text read once, for a reader that asks many keys of one file (launchet's script): the
// same answers as ProfileLookup, each found without going through the text again.
class ProfileIndex {
 public:
  explicit ProfileIndex(std::string_view text);
  std::optional<std::string> Lookup(std::string_view section, std::string_view key) const;
  // The keys of a section (the first section of that name), lower-cased.
  std::vector<std::string> Keys(std::string_view section) const;

 private:
  // Lower-cased, trimmed section name -> its keys, lower-cased and trimmed -> the value.
  std::map<std::string, std::map<std::string, std::string>> m_sections;
};

// An INI file, opened for each read or write and closed right after, as the private-profile
// functions do. A missing or unreadable file reads as empty, so every key gives its default.
// A file saved as UTF-16 with its mark is read as Unicode (values in UTF-8) and written back
// as UTF-16 of the same byte order.
class ProfileFile {
 public:
  explicit ProfileFile(std::filesystem::path path) : m_path(std::move(path)) {}

  const std::filesystem::path& Path() const { return m_path; }

  std::optional<std::string> ReadString(std::string_view section, std::string_view key) const;
  int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;

  // Writes one key, keeping the rest of the file, and replaces the file atomically. A file
  // that exists but cannot be read is not overwritten.
  Status WriteString(std::string_view section, std::string_view key, std::string_view value);
  Status WriteInt(std::string_view section, std::string_view key, int value);

 private:
  std::filesystem::path m_path;
};

}  // namespace tavrin
