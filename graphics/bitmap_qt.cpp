#include "graphics/bitmap_qt.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <cstdlib>

#include "common/file_io.h"

namespace tavrin {

namespace {

// A bitmap file is a few kilobytes here; one of more than this is not read at all.
constexpr std::size_t kMaxBitmapFileBytes = 64 * 1024 * 1024;

std::uint32_t Le(const std::string& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i)
    v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
  return v;
}

// Whether the pixels of an uncompressed bitmap are all in the file. The reader fills missing
// rows with black, and a cut-off file would come in as a picture it never was.
bool PixelsPresent(const std::string& b) {
  if (b.size() < 54 || b.compare(0, 2, "BM") != 0 || Le(b, 14, 4) < 40) return true;
  const std::uint32_t compression = Le(b, 30, 4);
  if (compression != 0 && compression != 3) return true;  // RLE: the reader checks its runs
  const long long width = static_cast<std::int32_t>(Le(b, 18, 4));
  const long long height = static_cast<std::int32_t>(Le(b, 22, 4));
  // A size this large is refused by the pixel limit; multiplied out it would overflow.
  if (width > (1 << 24) || width < -(1 << 24) || height > (1 << 24) || height < -(1 << 24)) {
    return true;
  }
  const long long bits = Le(b, 28, 2);
  const long long stride = (width * bits + 31) / 32 * 4;
  const long long need =
      static_cast<long long>(Le(b, 10, 4)) + stride * (height < 0 ? -height : height);
  return static_cast<long long>(b.size()) >= need;
}

}  // namespace

Result<RgbPicture> ReadBitmap(const std::filesystem::path& path) {
  Result<std::string> bytes = ReadFileLimited(path, kMaxBitmapFileBytes);
  if (!bytes) return bytes.TakeError();
  return DecodeBitmap(*bytes, Utf8FromPath(path));
}

Result<RgbPicture> DecodeBitmap(const std::string& fileBytes, const std::string& name) {
  const std::string* bytes = &fileBytes;
  QByteArray data(bytes->data(), static_cast<qsizetype>(bytes->size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "bmp");
  QImageReader::setAllocationLimit(256);  // megabytes, whatever the header declares
  // The reader gives the header's height as it stands: negative for a top-down bitmap, whose
  // rows are stored from the top. A header it cannot read gives no size at all (-1 x -1).
  const QSize declared = reader.size();
  const long long width = declared.width();
  const long long height = std::llabs(static_cast<long long>(declared.height()));
  if (!reader.canRead() || width < 0) return Error{name + " is not a Windows bitmap file"};
  if (width == 0 || height == 0) return Error{name + " holds a picture of no size"};
  if (!PixelsPresent(*bytes)) return Error{name + " is cut off: its pixels are not all there"};
  if (width * height > kMaxBitmapPixels) {
    return Error{name + " declares a picture of " + std::to_string(width) + " x " +
                 std::to_string(height) + " pixels, too large to read"};
  }
  QImage image = reader.read();
  if (image.isNull()) {
    return Error{name + " cannot be read as a bitmap: " + reader.errorString().toStdString()};
  }
  image = image.convertToFormat(QImage::Format_RGB32);
  RgbPicture picture;
  picture.width = image.width();
  picture.height = image.height();
  picture.pixels.reserve(static_cast<std::size_t>(picture.width) *
                         static_cast<std::size_t>(picture.height));
  for (int y = 0; y < picture.height; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < picture.width; ++x) {
      picture.pixels.push_back({qRed(line[x]), qGreen(line[x]), qBlue(line[x])});
    }
  }
  return picture;
}

Status WriteBitmap(const std::filesystem::path& path, const RgbPicture& picture) {
  QImage image(picture.width, picture.height, QImage::Format_RGB888);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const DisplayRgb& c = picture.At(x, y);
      image.setPixel(x, y, qRgb(c.red, c.green, c.blue));
    }
  }
  // Qt writes a picture without an alpha channel as an uncompressed 24-bit bitmap.
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "BMP"))
    return Error{"Cannot write " + Utf8FromPath(path) + ": no bitmap was made"};
  return WriteFileAtomically(
      path, std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
}

}  // namespace tavrin
