#include "preview/animation_png_qt.h"

#include <QBuffer>
#include <QImage>
#include <cstdio>
#include <system_error>

#include "common/file_io.h"

namespace tavrin::preview {

namespace {

QImage FrameImage(const LedFrame& f, bool tripleColor, int pitch) {
  QImage image(f.width * pitch, f.height * pitch, QImage::Format_RGB32);
  image.fill(QColor(0, 0, 0));
  for (int y = 0; y < f.height; ++y) {
    for (int x = 0; x < f.width; ++x) {
      const auto* rgb = DotColours::kRgb[DotColours::Index(f.At(x, y), tripleColor)];
      const QColor colour(rgb[0], rgb[1], rgb[2]);
      for (int dy = 0; dy < pitch - 1; ++dy) {
        for (int dx = 0; dx < pitch - 1; ++dx)
          image.setPixelColor(x * pitch + dx, y * pitch + dy, colour);
      }
    }
  }
  return image;
}

}  // namespace

Status WritePngFrames(const std::filesystem::path& folder, const std::vector<Shown>& frames,
                      bool tripleColor, int dotPitch) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04zu.png", i + 1);
    const std::filesystem::path file = folder / name;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!FrameImage(frames[i].Frame(), tripleColor, dotPitch).save(&buffer, "PNG")) {
      return Error{Utf8FromPath(file) + " cannot be written"};
    }
    if (Status s = WriteFileAtomically(
            file, std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
        !s) {
      return s;
    }
  }
  return {};
}

}  // namespace tavrin::preview
