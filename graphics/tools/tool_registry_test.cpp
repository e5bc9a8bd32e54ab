#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "graphics/graphic_editor.h"
#include "graphics/tools/graphic_tool.h"

namespace tavrin {
namespace {

TEST(ToolRegistryTest, TwelveToolsInTheOrderOfTheirButtons) {
  GraphicEditor e;
  std::vector<std::string> names;
  std::set<std::string_view> keys;
  for (const std::unique_ptr<GraphicTool>& tool : e.Tools()) {
    const ToolDescription& d = tool->Description();
    SCOPED_TRACE(std::string(d.name));
    names.emplace_back(d.name);
    EXPECT_FALSE(d.hint.empty());
    // The key names the icon file too: a plain file name, and no two alike.
    EXPECT_FALSE(d.key.empty());
    EXPECT_EQ(d.key.find_first_not_of("abcdefghijklmnopqrstuvwxyz-"), std::string_view::npos);
    EXPECT_TRUE(keys.insert(d.key).second);
    // The I-beam over the grid for Text, the cross for every other tool.
    EXPECT_EQ(d.cursor, d.name == "Text" ? GridCursor::IBeam : GridCursor::Cross);
    ASSERT_TRUE(e.SetTool(d.key));
    EXPECT_EQ(&e.CurrentTool(), tool.get());
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"Pen", "Brush", "Line", "Rectangle", "Filled rectangle",
                                      "Ellipse", "Filled ellipse", "Box select", "Lasso select",
                                      "Eraser", "Text", "Fill all"}));
  // A key no tool has changes nothing.
  EXPECT_FALSE(e.SetTool("bucket"));
  EXPECT_EQ(e.CurrentTool().Description().name, "Fill all");
  // Each editor starts with the Pen and has tools of its own.
  GraphicEditor other;
  EXPECT_EQ(other.CurrentTool().Description().name, "Pen");
  EXPECT_NE(&other.CurrentTool(), e.Tools().front().get());
}

}  // namespace
}  // namespace tavrin
