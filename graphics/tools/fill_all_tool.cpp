// Fill all: a click fills the W x H graphic with the current colour; the hidden cells stay.
#include <memory>

#include "graphics/tools/graphic_tool.h"

namespace tavrin {

namespace {

class FillAllTool final : public GraphicTool {
 public:
  FillAllTool()
      : GraphicTool({.key = "fill-all",
                     .name = "Fill all",
                     .hint = "Click the grid to fill the whole graphic with the chosen colour."}) {}

  void Release(ToolCanvas& canvas, Pixel) override { canvas.FillAll(); }
};

}  // namespace

std::unique_ptr<GraphicTool> MakeFillAllTool() { return std::make_unique<FillAllTool>(); }

}  // namespace tavrin
