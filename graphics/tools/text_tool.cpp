// Text: the press sets the anchor and the release asks the window for text, which is rendered
// into the floating block with its upper-left corner at the anchor (GraphicEditor::PlaceBlock).
#include <memory>

#include "graphics/tools/graphic_tool.h"

namespace tavrin {

namespace {

class TextTool final : public GraphicTool {
 public:
  TextTool()
      : GraphicTool({.key = "text",
                     .name = "Text",
                     .hint = "Click where the text goes and type it; drag the block, then drop "
                             "it with the right button.",
                     .themeIcon = "draw-text",
                     .cursor = GridCursor::IBeam}) {}

  void Press(ToolCanvas&, Pixel p) override { m_anchor = p; }
  void Release(ToolCanvas& canvas, Pixel) override { canvas.AskForText(m_anchor); }

 private:
  Pixel m_anchor;
};

}  // namespace

std::unique_ptr<GraphicTool> MakeTextTool() { return std::make_unique<TextTool>(); }

}  // namespace tavrin
