#pragma once

#include <filesystem>
#include <vector>

#include "common/result.h"
#include "preview/animation.h"

namespace tavrin::preview {

// Writes the showing as an animated GIF that loops, each dot a square of dotPitch - 1 pixels
// with a dark gap, each picture for its time (in the hundredths a GIF counts). Written
// atomically: a failure leaves an old file whole and says why.
Status WriteAnimatedGif(const std::filesystem::path& path, const std::vector<Shown>& frames,
                        bool tripleColor, int dotPitch = 4);

}  // namespace tavrin::preview
