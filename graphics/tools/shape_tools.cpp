// The tools that draw a shape between two corners: Line, Rectangle, Filled rectangle, Ellipse,
// Filled ellipse. The band shows the shape while the mouse moves; the release rasterises it in
// cells and paints its white pixels only, so a shape never writes "@" but in the off colour.
#include <memory>

#include "graphics/tools/graphic_tool.h"

namespace tavrin {

namespace {

using Raster = void (*)(ShapeMask& mask, Cell from, Cell to, bool filled);

class ShapeTool final : public BandTool {
 public:
  ShapeTool(ToolDescription description, RubberBand::Shape shape, bool filled, Raster raster)
      : BandTool(description, shape, filled, false), m_raster(raster) {}

 protected:
  void Finish(ToolCanvas& canvas, Pixel anchor, Pixel release) override {
    ShapeMask mask(canvas.Width(), canvas.Height());
    m_raster(mask, canvas.CellAt(anchor), canvas.CellAt(release), Filled());
    canvas.PaintMask(mask);
  }

 private:
  Raster m_raster;
};

// A line has no inside to fill.
void RasterLineShape(ShapeMask& mask, Cell from, Cell to, bool) { RasterLine(mask, from, to); }

}  // namespace

std::unique_ptr<GraphicTool> MakeLineTool() {
  return std::make_unique<ShapeTool>(
      ToolDescription{.key = "line",
                      .name = "Line",
                      .hint = "Drag from one end to the other to draw a line.",
                      .themeIcon = "draw-line"},
      RubberBand::Shape::Line, false, RasterLineShape);
}

std::unique_ptr<GraphicTool> MakeRectangleTool() {
  return std::make_unique<ShapeTool>(
      ToolDescription{.key = "rectangle",
                      .name = "Rectangle",
                      .hint = "Drag from corner to corner to draw the outline of a rectangle.",
                      .themeIcon = "draw-rectangle"},
      RubberBand::Shape::Rectangle, false, RasterRectangle);
}

std::unique_ptr<GraphicTool> MakeFilledRectangleTool() {
  return std::make_unique<ShapeTool>(
      ToolDescription{.key = "filled-rectangle",
                      .name = "Filled rectangle",
                      .hint = "Drag from corner to corner to fill a rectangle."},
      RubberBand::Shape::Rectangle, true, RasterRectangle);
}

std::unique_ptr<GraphicTool> MakeEllipseTool() {
  return std::make_unique<ShapeTool>(
      ToolDescription{.key = "ellipse",
                      .name = "Ellipse",
                      .hint = "Drag across its box to draw the outline of an ellipse.",
                      .themeIcon = "draw-ellipse"},
      RubberBand::Shape::Ellipse, false, RasterEllipse);
}

std::unique_ptr<GraphicTool> MakeFilledEllipseTool() {
  return std::make_unique<ShapeTool>(
      ToolDescription{.key = "filled-ellipse",
                      .name = "Filled ellipse",
                      .hint = "Drag across its box to fill an ellipse."},
      RubberBand::Shape::Ellipse, true, RasterEllipse);
}

}  // namespace tavrin
