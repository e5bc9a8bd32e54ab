#include "common/codepage.h"

#include <cerrno>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace tavrin {

namespace {

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

#ifndef _WIN32
// The UTF-8 sequence that starts at offset, for naming a refused character.
std::string Utf8CharAt(std::string_view text, std::size_t offset) {
  std::size_t end = offset + 1;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  return std::string(text.substr(offset, end - offset));
}

Result<std::string> Convert(std::string_view in, const std::string& from, const std::string& to,
                            bool inputIsUtf8) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  // NOLINTNEXTLINE(performance-no-int-to-ptr): (iconv_t)-1 is how iconv_open fails
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    return Error{"The code page \"" + (inputIsUtf8 ? to : from) + "\" is not known"};
  }
  std::string out;
  std::vector<char> buffer(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  while (srcLeft > 0) {
    char* dst = buffer.data();
    std::size_t dstLeft = buffer.size();
    const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer.data(), buffer.size() - dstLeft);
    if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
      const int err = errno;
      const std::size_t offset = in.size() - srcLeft;
      iconv_close(cd);
      if (inputIsUtf8 && err == EILSEQ) {
        return Error{"The character \"" + Utf8CharAt(in, offset) +
                     "\" cannot be shown on the sign: the code page " + to +
                     " has no such character"};
      }
      return Error{"The text is not valid " + from + " (at byte " + std::to_string(offset + 1) +
                   ")"};
    }
  }
  iconv_close(cd);
  return out;
}
#endif

}  // namespace

Result<std::string> Utf8ToCodePage(std::string_view utf8, const std::string& codePage) {
  if (IsAscii(utf8)) return std::string(utf8);
#ifdef _WIN32
  (void)codePage;
  const int wideLen = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                          static_cast<int>(utf8.size()), nullptr, 0);
  if (wideLen <= 0) return Error{"The text is not valid UTF-8"};
  std::wstring wide(static_cast<std::size_t>(wideLen), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), wideLen);
  BOOL lossy = FALSE;
  const int len = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLen, nullptr,
                                      0, nullptr, &lossy);
  std::string out(static_cast<std::size_t>(len), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLen, out.data(), len, nullptr,
                      &lossy);
  if (lossy) return Error{"The text holds a character that the sign's code page cannot show"};
  return out;
#else
  return Convert(utf8, "UTF-8", codePage, true);
#endif
}

Result<std::string> CodePageToUtf8(std::string_view bytes, const std::string& codePage) {
  if (IsAscii(bytes)) return std::string(bytes);
#ifdef _WIN32
  (void)codePage;
  const int wideLen =
      MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wideLen), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                      wideLen);
  const int len =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLen, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(len), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLen, out.data(), len, nullptr, nullptr);
  return out;
#else
  return Convert(bytes, codePage, "UTF-8", false);
#endif
}

}  // namespace tavrin
