#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "common/profile.h"
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

// The settings file of a program folder.
std::filesystem::path SettingsPath(const std::filesystem::path& programFolder);

// Tavrin's settings file with its keys typed and their defaults in one place. Every read
// opens the file afresh, so a change made elsewhere is seen at once; every write keeps the
// rest of the file and replaces it atomically (a failed write says so and changes nothing).
class Settings {
 public:
  explicit Settings(std::filesystem::path path) : m_file(std::move(path)) {}

  const std::filesystem::path& Path() const { return m_file.Path(); }
  ProfileFile& File() { return m_file; }
  const ProfileFile& File() const { return m_file; }

  // "comport": the serial port every sign function opens; missing gives 1 and a value below
  // 1 reads as 1. A value above 255 stays as it is (the link opens port 1 for it).
  int PortNumber() const;
  Status SetPortNumber(int port);

  // "color": 2 is a three-colour sign, any other value a single-colour one (default 2).
  int Color() const;
  bool TripleColor() const { return Color() == 2; }
  // "showform": 1 shows the sign colour dialog at start (default 1).
  int ShowForm() const;
  // What the sign colour dialog's OK writes: "color" 2 or 1, "showform" 1 or 0.
  Status SetSignColor(bool tripleColor, bool showAtStart);

  // "codepage": the code page of sign text (default CP1252).
  std::string CodePage() const;

  // Section "View": "preview" 1 shows the sign preview under the editor (default 1),
  // "signwidth" is the width of the sign it shows (default 128), and "play" 1 plays its
  // showing, 0 leaves it paused (default 1).
  bool PreviewShown() const;
  Status SetPreviewShown(bool shown);
  int PreviewSignWidth() const;
  Status SetPreviewSignWidth(int width);
  bool PreviewPlaying() const;
  Status SetPreviewPlaying(bool playing);

  // Section "Files", "folder": where the open and save dialogs of message files start, the
  // folder of the last message file opened or saved (empty before the first).
  std::string FileFolder() const;
  Status SetFileFolder(std::string_view folder);

  // "Ports" "COMn": the device a port number opens on POSIX, or empty when none is named.
  std::string PortDevice(int port) const;
  Status SetPortDevice(int port, std::string_view device);

 private:
  ProfileFile m_file;
};

}  // namespace tavrin
