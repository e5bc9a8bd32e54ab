#include "common/settings.h"

#include "common/codepage.h"

namespace tavrin {

std::filesystem::path SettingsPath(const std::filesystem::path& programFolder) {
  return programFolder / kSettingsFileName;
}

int Settings::PortNumber() const {
  const int port = m_file.ReadInt(kSignSection, kComPortKey, 1);
  return port < 1 ? 1 : port;
}

Status Settings::SetPortNumber(int port) {
  return m_file.WriteInt(kSignSection, kComPortKey, port);
}

int Settings::Color() const { return m_file.ReadInt(kSignSection, kColorKey, 2); }

int Settings::ShowForm() const { return m_file.ReadInt(kSignSection, kShowFormKey, 1); }

bool Settings::PreviewShown() const { return m_file.ReadInt("View", "preview", 1) != 0; }

Status Settings::SetPreviewShown(bool shown) {
  return m_file.WriteInt("View", "preview", shown ? 1 : 0);
}

int Settings::PreviewSignWidth() const { return m_file.ReadInt("View", "signwidth", 128); }

Status Settings::SetPreviewSignWidth(int width) {
  return m_file.WriteInt("View", "signwidth", width);
}

bool Settings::PreviewPlaying() const { return m_file.ReadInt("View", "play", 1) != 0; }

Status Settings::SetPreviewPlaying(bool playing) {
  return m_file.WriteInt("View", "play", playing ? 1 : 0);
}

Status Settings::SetSignColor(bool tripleColor, bool showAtStart) {
  if (Status s = m_file.WriteInt(kSignSection, kColorKey, tripleColor ? 2 : 1); !s) return s;
  return m_file.WriteInt(kSignSection, kShowFormKey, showAtStart ? 1 : 0);
}

std::string Settings::CodePage() const {
  const std::optional<std::string> codePage = m_file.ReadString(kSignSection, kCodePageKey);
  return codePage && !codePage->empty() ? *codePage : std::string(kDefaultCodePage);
}

std::string Settings::FileFolder() const {
  return m_file.ReadString("Files", "folder").value_or("");
}

Status Settings::SetFileFolder(std::string_view folder) {
  return m_file.WriteString("Files", "folder", folder);
}

std::string Settings::PortDevice(int port) const {
  return m_file.ReadString(kPortsSection, "COM" + std::to_string(port)).value_or("");
}

Status Settings::SetPortDevice(int port, std::string_view device) {
  return m_file.WriteString(kPortsSection, "COM" + std::to_string(port), device);
}

}  // namespace tavrin
