#include "common/utf8_path.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tavrin {

namespace fs = std::filesystem;

fs::path PathFromUtf8(std::string_view utf8) {
  const std::u8string_view text(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size());
#ifdef _WIN32
  try {
    return fs::path(text);
  } catch (const std::system_error&) {
    return fs::path(std::string(utf8));
  }
#else
  return fs::path(text);
#endif
}

std::string Utf8FromPath(const fs::path& path) {
#ifdef _WIN32
  // Not u8string(): it throws on a lone surrogate, which a Windows name may hold.
  return Utf8FromWide(path.native());
#else
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
#endif
}

#ifdef _WIN32
std::string Utf8FromWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  // Without WC_ERR_INVALID_CHARS a lone surrogate becomes U+FFFD instead of failing.
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}
#endif

}  // namespace tavrin
