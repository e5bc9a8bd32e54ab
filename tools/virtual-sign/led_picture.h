#pragma once

#include <string>
#include <vector>

#include "tools/virtual-sign/sign_state.h"

namespace tavrin::vsign {

// The LEDs of one line of a page: 8 rows of cells, each '.' off, 'R' red, 'G' green or
// 'Y' orange (red and green together).
struct LedPicture {
  std::vector<std::string> rows = std::vector<std::string>(8);
};

// Draws a page line as the sign would show it standing still: text in a 5x7 font with one
// column between characters, colour codes changing the colour that follows, column codes
// moving on, graphic block tags drawn from the blocks the sign holds, date and time from its
// clock, and user characters from those loaded. Codes it does not draw (fonts, bells) take no
// room; anything else that looks like a code is drawn as text.
LedPicture RenderLine(const SignState& state, const PageLine& line);

// The picture as text, one line a row; with ansi, lit cells are drawn in terminal colours.
std::string PictureText(const LedPicture& picture, bool ansi);

// "page B line 1: enters Curtain Up, leaves Scoll Left, Normal at speed 3, waits 2Sec".
std::string DescribeLine(char page, int line, const PageLine& pageLine);

}  // namespace tavrin::vsign
