#pragma once

#include <filesystem>
#include <vector>

#include "common/result.h"
#include "preview/animation.h"

namespace tavrin::preview {

// Writes each picture of the showing as a PNG file "frame-0001.png", "frame-0002.png", ... in
// folder (made when missing), each dot a square of dotPitch - 1 pixels with a black gap. Stops
// at the first file that cannot be written and names it.
Status WritePngFrames(const std::filesystem::path& folder, const std::vector<Shown>& frames,
                      bool tripleColor, int dotPitch = 4);

}  // namespace tavrin::preview
