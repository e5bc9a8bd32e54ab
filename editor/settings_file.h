#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/result.h"

namespace tavrin {

// Sections and keys of Tavrin's settings file.
inline constexpr std::string_view kSignSection = "Sign";
inline constexpr std::string_view kComPortKey = "comport";    // serial port number, default 1
inline constexpr std::string_view kColorKey = "color";        // 2 three-colour, else one colour
inline constexpr std::string_view kShowFormKey = "showform";  // 1 shows the colour dialog
inline constexpr std::string_view kCodePageKey = "codepage";  // the sign's code page (POSIX)
// Section "Ports", keys "COM1" ... "COM255": the device that a port number opens on POSIX.
inline constexpr std::string_view kPortsSection = "Ports";

inline constexpr std::string_view kSettingsFileName = "Tavrin.INI";
inline constexpr std::size_t kMaxSettingsFileBytes = 1024 * 1024;

// The settings file of a program folder.
std::filesystem::path SettingsPath(const std::filesystem::path& programFolder);

// The value of a key in INI text, as the Windows profile functions find it: section and key
// names compared without regard to case and to surrounding blanks, the first matching section
// and key win, the value trimmed of blanks and of one pair of enclosing quotes. Lines starting
// with ";" are comments.
std::optional<std::string> ProfileLookup(std::string_view text, std::string_view section,
                                         std::string_view key);

// An integer value read as GetPrivateProfileInt reads it: an empty or missing value gives the
// default; otherwise leading blanks, an optional sign and the decimal digits that follow
// (none gives 0), the rest ignored.
int ProfileInt(const std::optional<std::string>& value, int defaultValue);

// The text with the key set to the value: the key's line replaced in place, or a new line
// at the end of its section, or a new section at the end of the text. Every other byte of
// the text stays as it was; new lines use the text's own line ends (CR LF for a new file).
std::string ProfileUpdate(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view value);

// The settings file, opened for each read or write and closed right after. A missing or
// unreadable file reads as empty, so every key gives its default.
class SettingsFile {
 public:
  explicit SettingsFile(std::filesystem::path path) : m_path(std::move(path)) {}

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

// The port number of the settings ("comport", default 1; below 1 reads as 1).
int ConfiguredPortNumber(const SettingsFile& settings);
// The device configured for a port under "Ports", or empty.
std::string ConfiguredPortDevice(const SettingsFile& settings, int portNumber);
// The sign's code page ("codepage", default CP1252).
std::string ConfiguredCodePage(const SettingsFile& settings);

}  // namespace tavrin
