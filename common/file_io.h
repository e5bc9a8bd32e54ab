#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/result.h"
#include "common/utf8_path.h"

namespace tavrin {

// Reads a whole file of at most maxBytes bytes. A missing or unreadable file, or one larger
// than maxBytes, is an error naming the file; a larger file is not read past maxBytes + 1.
Result<std::string> ReadFileLimited(const std::filesystem::path& path, std::size_t maxBytes);

// Replaces the file with the given bytes so that a crash or a full disk leaves either the
// old file or the new one whole: the bytes go to a temporary file in the same folder,
// which is flushed to disk and then renamed over the old one. The folder must exist.
Status WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace tavrin
