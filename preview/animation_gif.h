#pragma once

#include <filesystem>
#include <vector>

#include "common/result.h"
#include "preview/animation.h"

namespace tavrin::preview {

// The colours a picture of the sign is drawn in: dark, red, green, orange; a single-colour
// sign lights every dot red.
struct DotColours {
  static constexpr unsigned char kRgb[4][3] = {
      {40, 18, 18}, {255, 40, 30}, {60, 230, 60}, {255, 190, 20}};
  // 0 off, 1 red, 2 green, 3 orange.
  static int Index(char cell, bool tripleColor);
};

// Writes the showing as an animated GIF that loops, each dot a square of dotPitch - 1 pixels
// with a dark gap, each picture for its time (in the hundredths a GIF counts). Written
// atomically: a failure leaves an old file whole and says why.
Status WriteAnimatedGif(const std::filesystem::path& path, const std::vector<Shown>& frames,
                        bool tripleColor, int dotPitch = 4);

}  // namespace tavrin::preview
