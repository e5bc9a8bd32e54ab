#include "preview/animation_gif.h"

#include <gif_lib.h>

#include <string>

#include "common/file_io.h"

namespace tavrin::preview {

namespace {

int Collect(GifFileType* gif, const GifByteType* bytes, int length) {
  static_cast<std::string*>(gif->UserData)
      ->append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
  return length;
}

}  // namespace

Result<int> WriteAnimatedGif(const std::filesystem::path& path, const std::vector<Shown>& frames,
                             bool tripleColor, int dotPitch) {
  if (frames.empty()) return Error{"there is nothing to show"};
  const LedFrame first = frames.front().Frame();
  const int width = first.width * dotPitch;
  const int height = first.height * dotPitch;
  std::string bytes;
  int error = 0;
  GifFileType* gif = EGifOpen(&bytes, Collect, &error);
  if (gif == nullptr) return Error{Utf8FromPath(path) + ": " + GifErrorString(error)};
  const auto fail = [&](const char* what) -> Result<int> {
    const std::string reason = GifErrorString(gif->Error) ? GifErrorString(gif->Error) : what;
    EGifCloseFile(gif, &error);
    return Error{Utf8FromPath(path) + " cannot be written: " + reason};
  };
  GifColorType colours[4];
  for (int i = 0; i < 4; ++i) {
    colours[i] = {DotColours::kRgb[i][0], DotColours::kRgb[i][1], DotColours::kRgb[i][2]};
  }
  ColorMapObject* map = GifMakeMapObject(4, colours);
  EGifSetGifVersion(gif, true);
  if (EGifPutScreenDesc(gif, width, height, 2, 0, map) == GIF_ERROR) {
    GifFreeMapObject(map);
    return fail("the picture size");
  }
  GifFreeMapObject(map);
  // Loop for ever.
  const GifByteType netscape[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
  const GifByteType loop[] = {1, 0, 0};
  if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
      EGifPutExtensionBlock(gif, sizeof netscape, netscape) == GIF_ERROR ||
      EGifPutExtensionBlock(gif, sizeof loop, loop) == GIF_ERROR ||
      EGifPutExtensionTrailer(gif) == GIF_ERROR) {
    return fail("the loop");
  }
  std::vector<GifPixelType> line(static_cast<std::size_t>(width));
  int hundredths = 0;
  for (const Shown& shown : frames) {
    const LedFrame f = shown.Frame();
    GraphicsControlBlock control{};
    control.DelayTime = std::max(2, (shown.ms + 5) / 10);
    hundredths += control.DelayTime;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_ERROR ||
        EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_ERROR) {
      return fail("a picture");
    }
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const bool gap = x % dotPitch == dotPitch - 1 || y % dotPitch == dotPitch - 1;
        line[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(
            gap ? 0 : DotColours::Index(f.At(x / dotPitch, y / dotPitch), tripleColor));
      }
      if (EGifPutLine(gif, line.data(), width) == GIF_ERROR) return fail("a row");
    }
  }
  if (EGifCloseFile(gif, &error) == GIF_ERROR) {
    return Error{Utf8FromPath(path) + " cannot be written: " + GifErrorString(error)};
  }
  if (Status s = WriteFileAtomically(path, bytes); !s) return s.TakeError();
  return hundredths * 10;
}

}  // namespace tavrin::preview
