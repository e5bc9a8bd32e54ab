#pragma once

#include <string>

namespace tavrin::preview {

// The cells of a sign or of a picture for it, row by row: '.' off, 'R' red, 'G' green, 'Y'
// orange (red and green together).
struct LedFrame {
  int width = 0;
  int height = 0;
  std::string cells;

  LedFrame() = default;
  LedFrame(int w, int h)
      : width(w),
        height(h),
        cells(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), '.') {}

  // Outside the frame every cell is off.
  char At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return '.';
    return cells[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                 static_cast<std::size_t>(x)];
  }
  // Cells outside the frame are not set.
  void Set(int x, int y, char cell) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    cells[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
          static_cast<std::size_t>(x)] = cell;
  }
  bool Blank() const { return cells.find_first_not_of('.') == std::string::npos; }
  // One line of text a row, for tests and golden files.
  std::string Text() const;

  bool operator==(const LedFrame&) const = default;
};

// The colours a picture of the sign is drawn in, on screen and in files: an unlit dot, red,
// green, orange. A single-colour sign lights every dot red.
struct DotColours {
  static constexpr unsigned char kRgb[4][3] = {
      {55, 25, 25}, {255, 40, 30}, {60, 230, 60}, {255, 190, 20}};
  // 0 off, 1 red, 2 green, 3 orange.
  static int Index(char cell, bool tripleColor) {
    if (cell == '.') return 0;
    if (!tripleColor) return 1;
    return cell == 'G' ? 2 : (cell == 'Y' ? 3 : 1);
  }
};

}  // namespace tavrin::preview
