#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "graphics/graphic_editor.h"
#include "graphics/graphic_file.h"
#include "graphics/raster.h"

namespace tavrin {

// A picture as colours, row by row from the top: what a bitmap file holds once it has been
// read, and what an export writes.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<DisplayRgb> pixels;  // width x height, row by row

  const DisplayRgb& At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// The cell letter of a colour (each component 0 to 255), by the groups red, green, orange in
// that order: the first group with a rule that holds decides; anything else is off. The four
// display colours map back to their own letters.
char CellForColour(const DisplayRgb& colour);

// Graphic rows in their display colours: as wide as the first row, as high as the rows (a
// shorter row shows off where it has no cell).
RgbPicture PictureOfRows(const GraphicRows& rows);
// The W x H graphic of the editor in its display colours.
RgbPicture ExportPicture(const GraphicEditor& editor);

// A picture imported into the editor: columns 0 to 127 of rows 0 to 15 become off, then the
// upper-left min(width, W) x min(height, H) pixels are mapped to cells; the size stays. One
// undo step.
void ImportPicture(GraphicEditor& editor, const RgbPicture& picture);

// The floating block of rendered text. lit is the 10W x 10H mask of exactly white pixels,
// textWidth the widest line in pixels and textHeight the lines times the pitch. When the lit
// pixels span more than the first row and the first column, the block is cropped to them;
// otherwise it is textWidth x textHeight with the pixels where they were drawn. Lit pixels take
// the colour; the block never exceeds 160 x 160 cells (it is cropped there).
struct TextBlock {
  CellGrid cells;
  int columns = 0;
  int rows = 0;
};
TextBlock CropRenderedText(const ShapeMask& lit, int textWidth, int textHeight, char colour);

// The line pitch of the text dialog: the field read as a decimal integer, 16 when it is not
// one.
int TextPitch(std::string_view field);

}  // namespace tavrin
