#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tavrin {

// File names between the model's text (UTF-8 bytes) and std::filesystem::path. A path made
// from narrow text takes it in the ANSI code page on Windows, and path.string() gives it back
// that way, which cannot hold most names outside ASCII; these go through char8_t (and UTF-16
// on Windows), so a name reaches the system whole on Windows as on POSIX. A file name that
// comes in as text (an argument, a settings value, an environment variable) becomes a path
// here, and a path that goes out as text (a message, a settings value) becomes text here.

// The path a UTF-8 name stands for. On POSIX the bytes are the name as they are, UTF-8 or
// not. On Windows, bytes that are not UTF-8 are taken in the ANSI code page, as the narrow
// system calls take them; nothing throws.
std::filesystem::path PathFromUtf8(std::string_view utf8);

// The path as UTF-8 text. On POSIX, the name's bytes as they are; on Windows, a lone
// surrogate of a UTF-16 name becomes U+FFFD; nothing throws.
std::string Utf8FromPath(const std::filesystem::path& path);

#ifdef _WIN32
// UTF-16 text of the system (the wide command line, a wide environment variable) as UTF-8;
// a lone surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view wide);
#endif

}  // namespace tavrin
