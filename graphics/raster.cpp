#include "graphics/raster.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

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

namespace {

// Calls plot(x, y) for the cells of the ellipse outline inscribed in the cells left..right and
// top..bottom (all included). The curve runs through the centres of the outermost cells, so it
// reaches all four sides of the box and passes inside its corners. The cells are chosen by
// Zingl's Bresenham ellipse for a bounding rectangle: from the middle rows out to the top and
// bottom, each step goes across, down or both by an integer error term, which gives the
// one-cell-wide, connected, symmetric outlines that pixel editors draw.
template <class Plot>
void EllipseOutline(int left, int top, int right, int bottom, Plot plot) {
  // The curve's width and height, from centre to centre of the outermost cells. The terms
  // grow with the cube of the box: 64 bits.
  const long long a = right - left, b = bottom - top;
  const long long oddB = b & 1;
  long long acrossError = 4 * (1 - a) * b * b;   // what a step across adds to the error
  long long downError = 4 * (oddB + 1) * a * a;  // what a step down (and up) adds
  long long error = acrossError + downError + oddB * a * a;
  const long long acrossGrowth = 8 * b * b, downGrowth = 8 * a * a;
  // The walk starts on the middle row (both middle rows for an even height) at the sides and
  // moves the four mirror images of one quadrant together.
  int lower = top + static_cast<int>((b + 1) / 2), upper = lower - static_cast<int>(oddB);
  int x0 = left, x1 = right;
  do {
    plot(x0, lower);
    plot(x1, lower);
    plot(x0, upper);
    plot(x1, upper);
    const long long twice = 2 * error;
    if (twice <= downError) {
      ++lower;
      --upper;
      downError += downGrowth;
      error += downError;
    }
    if (twice >= acrossError || 2 * error > downError) {
      ++x0;
      --x1;
      acrossError += acrossGrowth;
      error += acrossError;
    }
  } while (x0 <= x1);
  // A box one or two cells wide runs out of columns before the rows reach the top and bottom:
  // its remaining rows are the tips.
  while (lower - upper <= b) {
    plot(x0 - 1, lower);
    plot(x1 + 1, lower);
    plot(x0 - 1, upper);
    plot(x1 + 1, upper);
    ++lower;
    --upper;
  }
}

}  // namespace

void RasterEllipse(ShapeMask& mask, Cell corner1, Cell corner2, bool filled) {
  // A captured mouse can report corners far beyond any screen; pulled in to this distance the
  // error terms (about 12 times the cube of the box) stay well inside 64 bits.
  static constexpr int kFar = 1 << 14;
  auto pulledIn = [](Cell c) {
    return Cell{std::clamp(c.column, -kFar, kFar), std::clamp(c.row, -kFar, kFar)};
  };
  const Box box = BoxOf(pulledIn(corner1), pulledIn(corner2));
  if (box.Empty()) return;
  if (!filled) {
    EllipseOutline(box.left, box.top, box.right - 1, box.bottom - 1,
                   [&](int x, int y) { mask.SetWhite(x, y); });
    return;
  }
  // Filled: every row of the box from the outline's first cell to its last.
  const int rows = box.bottom - box.top;
  std::vector<int> first(static_cast<std::size_t>(rows), box.right);
  std::vector<int> last(static_cast<std::size_t>(rows), box.left - 1);
  EllipseOutline(box.left, box.top, box.right - 1, box.bottom - 1, [&](int x, int y) {
    if (y < box.top || y >= box.bottom) return;
    const auto row = static_cast<std::size_t>(y - box.top);
    first[row] = std::min(first[row], x);
    last[row] = std::max(last[row], x);
  });
  // Only the part of each run that lies on the mask is visited.
  for (int y = std::max(box.top, 0); y < std::min(box.bottom, mask.Height()); ++y) {
    const auto row = static_cast<std::size_t>(y - box.top);
    const int end = std::min(last[row], mask.Width() - 1);
    for (int x = std::max(first[row], 0); x <= end; ++x) mask.SetWhite(x, y);
  }
}

}  // namespace tavrin
