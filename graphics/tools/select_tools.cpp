// The tools that lift cells out of the grid into the floating block: Box select and Lasso
// select. The block is dragged with the left button and dropped with the right (the editor's
// DropBlock); a new cut replaces a block that still floats, and its cells are lost.
#include <algorithm>
#include <memory>

#include "graphics/tools/graphic_tool.h"

namespace tavrin {

namespace {

// The band from corner to corner, dash-dot; the rectangle between them is cut.
class BoxSelectTool final : public BandTool {
 public:
  BoxSelectTool()
      : BandTool({.key = "box-select",
                  .name = "Box select",
                  .hint = "Drag around cells to lift them out; drag the block, then drop it "
                          "with the right button."},
                 RubberBand::Shape::Rectangle, false, true) {}

 protected:
  void Finish(ToolCanvas& canvas, Pixel anchor, Pixel release) override {
    canvas.Cut(anchor, release);
  }
};

// A trail of dots on the screen; the box around the trail is cut.
class LassoSelectTool final : public GraphicTool {
 public:
  LassoSelectTool()
      : GraphicTool({.key = "lasso-select",
                     .name = "Lasso select",
                     .hint = "Trace around cells to lift out the box around the trail; drag the "
                             "block, then drop it with the right button."}) {}

  void Press(ToolCanvas&, Pixel p) override { m_min = m_max = p; }
  void Move(ToolCanvas& canvas, Pixel p) override {
    m_min = {std::min(m_min.x, p.x), std::min(m_min.y, p.y)};
    m_max = {std::max(m_max.x, p.x), std::max(m_max.y, p.y)};
    canvas.ShowLassoDot(canvas.CellAt(p));
  }
  void Release(ToolCanvas& canvas, Pixel) override { canvas.Cut(m_min, m_max); }

 private:
  Pixel m_min;
  Pixel m_max;
};

}  // namespace

std::unique_ptr<GraphicTool> MakeBoxSelectTool() { return std::make_unique<BoxSelectTool>(); }
std::unique_ptr<GraphicTool> MakeLassoSelectTool() { return std::make_unique<LassoSelectTool>(); }

}  // namespace tavrin
