#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "fonts/user_font.h"
#include "graphics/graphic_file.h"
#include "preview/animation.h"
#include "preview/line_renderer.h"

namespace tavrin::preview {

// What the sign would show for Line 1 of the editor, and what will not show as typed.
struct Preview {
  RenderedLine line;
  LineEffects effects;
  Animation animation;
  std::vector<std::string> warnings;
};

// Compiles Line 1 (the editor's text in the sign's code page) as a send would, draws the text
// as its message frame carries it (without the editor's line breaks) with the graphics of the
// program folder and the user characters of the font list (nullptr: none), and animates it for
// a sign of signWidth columns. The clock codes show `now`. Warnings: a line wider than the
// sign without a scrolling entry, tags the sign does not know (they go as text), graphics that
// cannot be sent or reach the second line, a graphic that is missing.
Preview MakePreview(std::string_view line1, const GraphicFolder& graphics, const FontList* userFont,
                    int signWidth, std::time_t now);

}  // namespace tavrin::preview
