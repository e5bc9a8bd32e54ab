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

// Draws a page line as a sign of signWidth columns shows it while the line is held, with the
// preview's renderer: graphic blocks from those the sign holds, date and time from its clock,
// user characters from those loaded. A line wider than the sign is cut at its right edge,
// unless it scrolls in from the right, when it stands with its end there. The rows are as wide
// as the sign.
LedPicture RenderLine(const SignState& state, const PageLine& line, int signWidth);

// The picture as text, one line a row; with ansi, lit cells are drawn in terminal colours.
std::string PictureText(const LedPicture& picture, bool ansi);

// "page B line 1: enters Curtain Up, leaves Scoll Left, Normal at speed 3, waits 2Sec".
std::string DescribeLine(char page, int line, const PageLine& pageLine);

}  // namespace tavrin::vsign
