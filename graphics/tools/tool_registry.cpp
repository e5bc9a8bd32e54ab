// The one list of the graphic editor's tools. A new tool is a file of its own that defines its
// maker, and two lines here: the maker's declaration and its place in the list.
#include <memory>
#include <vector>

#include "graphics/tools/graphic_tool.h"

namespace tavrin {

std::unique_ptr<GraphicTool> MakePenTool();
std::unique_ptr<GraphicTool> MakeBrushTool();
std::unique_ptr<GraphicTool> MakeLineTool();
std::unique_ptr<GraphicTool> MakeRectangleTool();
std::unique_ptr<GraphicTool> MakeFilledRectangleTool();
std::unique_ptr<GraphicTool> MakeEllipseTool();
std::unique_ptr<GraphicTool> MakeFilledEllipseTool();
std::unique_ptr<GraphicTool> MakeBoxSelectTool();
std::unique_ptr<GraphicTool> MakeLassoSelectTool();
std::unique_ptr<GraphicTool> MakeEraserTool();
std::unique_ptr<GraphicTool> MakeTextTool();
std::unique_ptr<GraphicTool> MakeFillAllTool();

namespace {

// The order of the tool buttons, SpeedButton1 first; they stand in rows of three.
constexpr std::unique_ptr<GraphicTool> (*kToolMakers[])() = {
    MakePenTool,
    MakeBrushTool,
    MakeLineTool,
    MakeRectangleTool,
    MakeFilledRectangleTool,
    MakeEllipseTool,
    MakeFilledEllipseTool,
    MakeBoxSelectTool,
    MakeLassoSelectTool,
    MakeEraserTool,
    MakeTextTool,
    MakeFillAllTool,
};

}  // namespace

std::vector<std::unique_ptr<GraphicTool>> MakeGraphicTools() {
  std::vector<std::unique_ptr<GraphicTool>> tools;
  for (const auto make : kToolMakers) tools.push_back(make());
  return tools;
}

}  // namespace tavrin
