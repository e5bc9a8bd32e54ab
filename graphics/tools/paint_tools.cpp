// The tools that paint cells as the mouse goes: Pen, Brush, Eraser.
#include <memory>

#include "graphics/tools/graphic_tool.h"

namespace tavrin {

namespace {

class PenTool final : public GraphicTool {
 public:
  PenTool()
      : GraphicTool({.key = "pen",
                     .name = "Pen",
                     .hint = "Click or drag to paint cells in the chosen colour.",
                     .themeIcon = "draw-freehand"}) {}

  void Press(ToolCanvas& canvas, Pixel p) override {
    canvas.Paint(canvas.CellAt(p), canvas.Colour());
  }
  void Move(ToolCanvas& canvas, Pixel p) override {
    canvas.Paint(canvas.CellAt(p), canvas.Colour());
  }
};

// Two by two cells on every move; a click paints nothing.
class BrushTool final : public GraphicTool {
 public:
  BrushTool()
      : GraphicTool({.key = "brush",
                     .name = "Brush",
                     .hint = "Drag to paint two by two cells in the chosen colour.",
                     .themeIcon = "draw-brush"}) {}

  void Move(ToolCanvas& canvas, Pixel p) override {
    // Pulled back at the right and bottom edges, so that its second column or row lies in the
    // hidden part of the store there.
    Cell c = canvas.CellAt(p);
    if (c.column + 1 > canvas.Width()) c.column = canvas.Width() - 1;
    if (c.row + 1 > canvas.Height()) c.row = canvas.Height() - 1;
    for (const Cell cell :
         {c, Cell{c.column + 1, c.row}, Cell{c.column, c.row + 1}, Cell{c.column + 1, c.row + 1}}) {
      canvas.Paint(cell, canvas.Colour());
    }
  }
};

// Turns cells off on every move; a click erases nothing.
class EraserTool final : public GraphicTool {
 public:
  EraserTool()
      : GraphicTool({.key = "eraser",
                     .name = "Eraser",
                     .hint = "Drag to turn cells off.",
                     .themeIcon = "draw-eraser"}) {}

  void Move(ToolCanvas& canvas, Pixel p) override { canvas.Paint(canvas.CellAt(p), kCellOff); }
};

}  // namespace

std::unique_ptr<GraphicTool> MakePenTool() { return std::make_unique<PenTool>(); }
std::unique_ptr<GraphicTool> MakeBrushTool() { return std::make_unique<BrushTool>(); }
std::unique_ptr<GraphicTool> MakeEraserTool() { return std::make_unique<EraserTool>(); }

}  // namespace tavrin
