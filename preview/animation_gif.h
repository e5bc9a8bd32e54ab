#pragma once

#include <filesystem>
#include <vector>

#include "common/result.h"
#include "preview/animation.h"

namespace tavrin::preview {

// Writes the showing as an animated GIF that loops, each dot a square of dotPitch - 1 pixels
// with a dark gap, each picture for its time in the hundredths a GIF counts, rounded, and at
// least 2 (viewers stretch a shorter delay to a tenth), so that fast steps last longer than
// they do on the sign. Returns how long the file's pictures last together, in ms: the sum of
// the delays it holds. Written atomically: a failure leaves an old file whole and says why.
Result<int> WriteAnimatedGif(const std::filesystem::path& path, const std::vector<Shown>& frames,
                             bool tripleColor, int dotPitch = 4);

}  // namespace tavrin::preview
