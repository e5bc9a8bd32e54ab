#pragma once

#include <filesystem>
#include <string>

#include "common/result.h"
#include "graphics/picture.h"

namespace tavrin {

// Bitmaps larger than this many pixels are refused before they are decoded: the editor uses
// at most 128 x 8 of a picture, and a declared 30000 x 30000 must not be allocated.
inline constexpr long long kMaxBitmapPixels = 16LL * 1024 * 1024;

// Reads a bitmap file (every kind of Windows bitmap Qt reads: 1, 4, 8, 16, 24 and 32 bits,
// RLE, top-down) as colours. A file that is missing, not a bitmap, truncated, of no size or
// too large is an error naming the file; nothing is allocated beyond the limit.
Result<RgbPicture> ReadBitmap(const std::filesystem::path& path);

// The same for the bytes of a bitmap file; name is what the errors call it.
Result<RgbPicture> DecodeBitmap(const std::string& bytes, const std::string& name);

// Writes the picture as an uncompressed 24-bit Windows bitmap, replacing the file atomically:
// a failure leaves the old file whole and says why.
Status WriteBitmap(const std::filesystem::path& path, const RgbPicture& picture);

}  // namespace tavrin
