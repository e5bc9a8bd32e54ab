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

}  // namespace tavrin::preview
