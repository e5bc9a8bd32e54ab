#pragma once

#include <vector>

namespace tavrin {

// A cell position: column and row, counted from 0.
struct Cell {
  int column = 0;
  int row = 0;
  bool operator==(const Cell&) const = default;
};

// The scratch raster of the line and shape tools: one pixel per cell of the W x H graphic,
// black (false) or white (true). Pixels outside it are never set: a shape that reaches beyond
// the graphic is clipped there.
class ShapeMask {
 public:
  ShapeMask(int width = 0, int height = 0) { Reset(width, height); }

  // Sizes the mask and makes every pixel black.
  void Reset(int width, int height);
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  bool White(int x, int y) const;
  void SetWhite(int x, int y);

 private:
  int m_width = 0;
  int m_height = 0;
  std::vector<bool> m_white;
};

// The rules of the line and shape tools (one-pixel white pen; a white brush for filled shapes):
// - A line covers the cells a Bresenham line from the start cell to the end cell passes,
//   without the end cell; when start and end coincide it covers nothing.
// - A rectangle or an ellipse has the box from the smaller to the larger of the two corner
//   cells in each axis, the larger column and row excluded; a box of zero width or height
//   covers nothing. The outline is one pixel wide inside the box; the ellipse is inscribed in
//   the box. Filled shapes cover their interior too.
// - An ellipse runs through the centres of its box's outermost cells: it touches all four
//   sides, its outline is connected (across corners too) and mirror-symmetric, and in a box of
//   three or more cells each way it never lights a corner cell. A filled ellipse is each row's
//   run from the outline's first cell to its last.
void RasterLine(ShapeMask& mask, Cell from, Cell to);
void RasterRectangle(ShapeMask& mask, Cell corner1, Cell corner2, bool filled);
void RasterEllipse(ShapeMask& mask, Cell corner1, Cell corner2, bool filled);

}  // namespace tavrin
