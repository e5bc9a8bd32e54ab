#include "graphics/picture.h"

#include <algorithm>

namespace tavrin {

char CellForColour(const DisplayRgb& c) {
  const int r = c.red, g = c.green, b = c.blue;
  if ((r == 255 && g == b && g <= 224) || (r >= 240 && g <= 176) ||
      (r >= 192 && g <= 160 && b <= 160) || (r >= 80 && g <= 48 && b <= 48)) {
    return kCellRed;
  }
  if ((g == 255 && r == b && r <= 224) || (g >= 240 && r <= 176) ||
      (g >= 176 && r <= 160 && b <= 160) || (g >= 80 && r <= 64 && b <= 64)) {
    return kCellGreen;
  }
  if (r == 255 && g == 255 && b <= 128) return kCellOrange;
  return kCellOff;
}

RgbPicture PictureOfRows(const GraphicRows& rows) {
  RgbPicture picture;
  picture.height = static_cast<int>(rows.size());
  picture.width = rows.empty() ? 0 : static_cast<int>(rows.front().size());
  picture.pixels.reserve(static_cast<std::size_t>(picture.width) * rows.size());
  for (const std::string& row : rows) {
    for (std::size_t c = 0; c < static_cast<std::size_t>(picture.width); ++c) {
      picture.pixels.push_back(DisplayColour(c < row.size() ? row[c] : kCellOff));
    }
  }
  return picture;
}

RgbPicture ExportPicture(const GraphicEditor& editor) { return PictureOfRows(editor.Rows()); }

void ImportPicture(GraphicEditor& editor, const RgbPicture& picture) {
  const int w = std::min(picture.width, editor.Width());
  const int h = std::min(picture.height, editor.Height());
  editor.Change([&](CellGrid& cells) {
    for (int c = 0; c < 128; ++c) {
      for (int r = 0; r < 16; ++r) cells.Set(c, r, kCellOff);
    }
    for (int r = 0; r < h; ++r) {
      for (int c = 0; c < w; ++c) cells.Set(c, r, CellForColour(picture.At(c, r)));
    }
  });
}

TextBlock CropRenderedText(const ShapeMask& lit, int textWidth, int textHeight, char colour) {
  TextBlock block;
  // Columns 0 to textWidth and rows 0 to textHeight, both included, within the mask.
  const int lastX = std::min(textWidth, lit.Width() - 1);
  const int lastY = std::min(textHeight, lit.Height() - 1);
  int top = -1, bottom = 0, left = -1, right = 0;
  for (int y = 0; y <= lastY; ++y) {
    for (int x = 0; x <= lastX; ++x) {
      if (!lit.White(x, y)) continue;
      if (top < 0) top = y;
      bottom = y;
      if (left < 0 || x < left) left = x;
      right = std::max(right, x);
    }
  }
  top = std::max(top, 0);
  left = std::max(left, 0);
  if ((left != 0 || right != 0) && (top != 0 || bottom != 0)) {
    block.columns = std::min(right - left + 1, kStoreCells);
    block.rows = std::min(bottom - top + 1, kStoreCells);
    for (int y = top; y <= bottom; ++y) {
      for (int x = left; x <= right; ++x) {
        if (lit.White(x, y)) block.cells.Set(x - left, y - top, colour);
      }
    }
  } else {
    // No lit pixel, or all of them in the first row or the first column: nothing is cropped.
    block.columns = std::clamp(textWidth, 0, kStoreCells);
    block.rows = std::clamp(textHeight, 0, kStoreCells);
    for (int y = 0; y < textHeight && y < lit.Height(); ++y) {
      for (int x = 0; x < textWidth && x < lit.Width(); ++x) {
        if (lit.White(x, y)) block.cells.Set(x, y, colour);
      }
    }
  }
  return block;
}

int TextPitch(std::string_view field) {
  if (field.empty() || field.size() > 9) return 16;
  std::size_t i = field[0] == '-' || field[0] == '+' ? 1 : 0;
  if (i == field.size()) return 16;
  int value = 0;
  for (; i < field.size(); ++i) {
    if (field[i] < '0' || field[i] > '9') return 16;
    value = value * 10 + (field[i] - '0');
  }
  return field[0] == '-' ? -value : value;
}

}  // namespace tavrin
