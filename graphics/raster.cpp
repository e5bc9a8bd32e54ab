#include "graphics/raster.h"

#include <algorithm>
#include <cstdlib>

namespace tavrin {

void ShapeMask::Reset(int width, int height) {
  m_width = std::max(0, width);
  m_height = std::max(0, height);
  m_white.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), false);
}

bool ShapeMask::White(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return false;
  return m_white[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                 static_cast<std::size_t>(x)];
}

void ShapeMask::SetWhite(int x, int y) {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
  m_white[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
          static_cast<std::size_t>(x)] = true;
}

void RasterLine(ShapeMask& mask, Cell from, Cell to) {
  int x = from.column, y = from.row;
  const int dx = std::abs(to.column - x), dy = -std::abs(to.row - y);
  const int sx = x < to.column ? 1 : -1, sy = y < to.row ? 1 : -1;
  int error = dx + dy;
  while (x != to.column || y != to.row) {
    mask.SetWhite(x, y);
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += sx;
    }
    if (twice <= dx) {
      error += dx;
      y += sy;
    }
  }
}

namespace {

// The box of two corner cells, the larger column and row excluded.
struct Box {
  int left, top, right, bottom;  // right and bottom excluded
  bool Empty() const { return right <= left || bottom <= top; }
};

Box BoxOf(Cell a, Cell b) {
  return {std::min(a.column, b.column), std::min(a.row, b.row), std::max(a.column, b.column),
          std::max(a.row, b.row)};
}

}  // namespace

void RasterRectangle(ShapeMask& mask, Cell corner1, Cell corner2, bool filled) {
  const Box box = BoxOf(corner1, corner2);
  if (box.Empty()) return;
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      const bool edge = x == box.left || x == box.right - 1 || y == box.top || y == box.bottom - 1;
      if (filled || edge) mask.SetWhite(x, y);
    }
  }
}

void RasterEllipse(ShapeMask& mask, Cell corner1, Cell corner2, bool filled) {
  const Box box = BoxOf(corner1, corner2);
  if (box.Empty()) return;
  // The ellipse inscribed in the box; a pixel belongs to it when the point of the pixel
  // nearest the centre lies inside, so that the ellipse reaches all four sides of its box.
  const double a = (box.right - box.left) / 2.0, b = (box.bottom - box.top) / 2.0;
  const double cx = box.left + a, cy = box.top + b;
  auto nearest = [](int from, double centre) {
    return std::clamp(centre, static_cast<double>(from), static_cast<double>(from + 1));
  };
  auto inside = [&](int x, int y) {
    if (x < box.left || x >= box.right || y < box.top || y >= box.bottom) return false;
    const double u = (nearest(x, cx) - cx) / a, v = (nearest(y, cy) - cy) / b;
    return u * u + v * v < 1.0;
  };
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      if (!inside(x, y)) continue;
      // The outline: the inside pixels with a side on the outside, one pixel wide.
      const bool edge =
          !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
      if (filled || edge) mask.SetWhite(x, y);
    }
  }
}

}  // namespace tavrin
