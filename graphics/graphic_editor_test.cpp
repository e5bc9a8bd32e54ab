#include "graphics/graphic_editor.h"

#include <gtest/gtest.h>

#include "graphics/graphic_placement.h"

namespace tavrin {
namespace {

// The cells of rows 0 .. rows-1 and columns 0 .. columns-1, a string a row.
std::vector<std::string> Picture(const GraphicEditor& e, int columns, int rows) {
  std::vector<std::string> picture;
  for (int r = 0; r < rows; ++r) {
    std::string row;
    for (int c = 0; c < columns; ++c) row += e.Cells().At(c, r);
    picture.push_back(row);
  }
  return picture;
}

// At cell size 10, the centre of a cell in grid pixels.
Pixel At(int column, int row) { return {column * 10 + 5, row * 10 + 5}; }

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override { e.SetCellSize(10); }

  // A drag with the left button: pressed at the first point, moved through the others,
  // released at the last.
  void Drag(std::string_view tool, std::vector<Pixel> points) {
    ASSERT_TRUE(e.SetTool(tool)) << tool;
    e.Press(points.front(), MouseButton::Left);
    for (std::size_t i = 1; i < points.size(); ++i) e.Move(points[i], true);
    e.Release(points.back(), MouseButton::Left);
  }

  GraphicEditor e;
};

// The white pixels of a mask, a string a row.
std::vector<std::string> Pixels(const ShapeMask& mask) {
  std::vector<std::string> rows;
  for (int y = 0; y < mask.Height(); ++y) {
    std::string row;
    for (int x = 0; x < mask.Width(); ++x) row += mask.White(x, y) ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

TEST(RasterTest, LinesStopBeforeTheirEndCell) {
  ShapeMask mask(10, 10);
  RasterLine(mask, {2, 3}, {6, 3});
  for (int x = 0; x < 10; ++x) EXPECT_EQ(mask.White(x, 3), x >= 2 && x <= 5) << x;
  ShapeMask none(10, 10);
  RasterLine(none, {4, 4}, {4, 4});
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) EXPECT_FALSE(none.White(x, y));
  }
  ShapeMask diagonal(10, 10);
  RasterLine(diagonal, {7, 7}, {1, 1});
  EXPECT_TRUE(diagonal.White(7, 7));
  EXPECT_TRUE(diagonal.White(2, 2));
  EXPECT_FALSE(diagonal.White(1, 1));
}

TEST(RasterTest, ShapesKeepInsideTheirBox) {
  ShapeMask rect(10, 10);
  RasterRectangle(rect, {4, 3}, {1, 1}, false);  // corners in either order
  const char* expected[] = {"..........", ".###......", ".###......", ".........."};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 10; ++x) EXPECT_EQ(rect.White(x, y), expected[y][x] == '#') << x << y;
  }
  // A box of no width or height covers nothing.
  ShapeMask flat(10, 10);
  for (const bool filled : {false, true}) {
    RasterRectangle(flat, {2, 2}, {2, 8}, filled);
    RasterRectangle(flat, {1, 5}, {9, 5}, filled);
    RasterEllipse(flat, {2, 2}, {2, 8}, filled);
    RasterEllipse(flat, {1, 5}, {9, 5}, filled);
  }
  EXPECT_EQ(Pixels(flat), std::vector<std::string>(10, ".........."));
}

// Whether the white pixels form one piece, neighbours along a side or a corner.
bool Connected(const ShapeMask& mask) {
  std::vector<Cell> todo;
  std::vector<bool> seen(static_cast<std::size_t>(mask.Width() * mask.Height()));
  auto visit = [&](int x, int y) {
    const std::size_t at = static_cast<std::size_t>(y * mask.Width() + x);
    if (!mask.White(x, y) || seen[at]) return;
    seen[at] = true;
    todo.push_back({x, y});
  };
  int white = 0, reached = 0;
  for (int y = 0; y < mask.Height(); ++y) {
    for (int x = 0; x < mask.Width(); ++x) {
      if (!mask.White(x, y)) continue;
      if (white++ == 0) visit(x, y);
    }
  }
  while (!todo.empty()) {
    const Cell c = todo.back();
    todo.pop_back();
    ++reached;
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) visit(c.column + dx, c.row + dy);
    }
  }
  return reached == white;
}

TEST(RasterTest, EllipsesAreRoundInEveryBox) {
  // Every box from 1 x 1 to 12 x 12 cells, corners given in either order, at (2, 3) in a larger
  // mask, so that a pixel outside the box would show.
  for (int w = 1; w <= 12; ++w) {
    for (int h = 1; h <= 12; ++h) {
      SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
      ShapeMask outline(16, 18), filled(16, 18);
      RasterEllipse(outline, {2, 3}, {2 + w, 3 + h}, false);
      RasterEllipse(filled, {2 + w, 3 + h}, {2, 3}, true);
      const int right = 1 + w, bottom = 2 + h;  // the last column and row of the box
      bool top = false, low = false, left = false, rightSide = false;
      for (int y = 0; y < 18; ++y) {
        int first = -1, last = -1, lit = 0;
        for (int x = 0; x < 16; ++x) {
          if (filled.White(x, y)) {
            first = first < 0 ? x : first;
            last = x;
            ++lit;
          }
          if (!outline.White(x, y)) continue;
          ASSERT_TRUE(x >= 2 && x <= right && y >= 3 && y <= bottom) << x << "," << y;
          ASSERT_TRUE(filled.White(x, y)) << x << "," << y;
          top |= y == 3;
          low |= y == bottom;
          left |= x == 2;
          rightSide |= x == right;
          // Round on both axes: the mirror images of a pixel are lit too.
          EXPECT_TRUE(outline.White(2 + right - x, y) && outline.White(x, 3 + bottom - y))
              << x << "," << y;
        }
        // The filled one is solid: one run on each row of the box, none outside.
        EXPECT_EQ(lit, first < 0 ? 0 : last - first + 1) << "row " << y;
        EXPECT_EQ(lit > 0, y >= 3 && y <= bottom) << "row " << y;
      }
      EXPECT_TRUE(top && low && left && rightSide);
      EXPECT_TRUE(Connected(outline));
      if (w >= 3 && h >= 3) {
        for (const Cell corner :
             {Cell{2, 3}, Cell{right, 3}, Cell{2, bottom}, Cell{right, bottom}}) {
          EXPECT_FALSE(filled.White(corner.column, corner.row))
              << "corner " << corner.column << "," << corner.row;
        }
        // An outline is hollow.
        EXPECT_FALSE(outline.White(2 + w / 2, 3 + h / 2));
      }
    }
  }

  // Small ones as a pixel editor draws them: round, one cell wide, no corner.
  struct Row {
    int w, h;
    std::vector<std::string> outline;
  } rows[] = {
      {3, 3, {".#.", "#.#", ".#."}},
      {4, 4, {".##.", "#..#", "#..#", ".##."}},
      {5, 5, {".###.", "#...#", "#...#", "#...#", ".###."}},
      {6, 6, {"..##..", ".#..#.", "#....#", "#....#", ".#..#.", "..##.."}},
      {7, 6, {"..###..", ".#...#.", "#.....#", "#.....#", ".#...#.", "..###.."}},
      {8, 7, {"..####..", ".#....#.", "#......#", "#......#", "#......#", ".#....#.", "..####.."}},
  };
  for (const Row& row : rows) {
    ShapeMask outline(row.w, row.h), filled(row.w, row.h);
    RasterEllipse(outline, {0, 0}, {row.w, row.h}, false);
    RasterEllipse(filled, {0, 0}, {row.w, row.h}, true);
    EXPECT_EQ(Pixels(outline), row.outline) << row.w << " x " << row.h;
    std::vector<std::string> solid = row.outline;
    for (std::string& line : solid) {
      const auto first = line.find('#'), last = line.rfind('#');
      for (auto x = first; x <= last; ++x) line[x] = '#';
    }
    EXPECT_EQ(Pixels(filled), solid) << row.w << " x " << row.h;
  }
}

TEST_F(EditorTest, PenBrushAndEraser) {
  ASSERT_TRUE(e.SetTool("pen"));
  e.Press(At(3, 2), MouseButton::Left);
  e.Release(At(3, 2), MouseButton::Left);
  EXPECT_EQ(Picture(e, 5, 3)[2], "@@@A@");

  // A click with the Brush or the Eraser paints nothing: they act on moves.
  for (const char* tool : {"brush", "eraser"}) {
    ASSERT_TRUE(e.SetTool(tool));
    e.Press(At(3, 2), MouseButton::Left);
    e.Release(At(3, 2), MouseButton::Left);
  }
  EXPECT_EQ(Picture(e, 5, 3)[2], "@@@A@");

  // The brush paints two by two; at the right edge it is pulled back one column and its
  // second column lies in the hidden part of the store.
  e.SetColour(kCellGreen);
  Drag("brush", {At(0, 0), At(0, 0)});
  EXPECT_EQ(Picture(e, 3, 2), (std::vector<std::string>{"DD@", "DD@"}));
  Drag("brush", {At(40, 6), At(40, 6)});
  EXPECT_EQ(e.Cells().At(31, 6), kCellGreen);
  EXPECT_EQ(e.Cells().At(32, 7), kCellGreen);  // beyond the 32 x 7 graphic
  EXPECT_EQ(e.Cells().At(30, 6), kCellOff);

  Drag("eraser", {At(0, 0), At(0, 0), At(1, 1)});
  EXPECT_EQ(Picture(e, 3, 2), (std::vector<std::string>{"@D@", "D@@"}));
}

TEST_F(EditorTest, AStrokeStaysWithTheToolThatBeganIt) {
  // Another tool chosen while the button is held (from the keyboard) takes no part in the
  // stroke: the Pen goes on painting, and the Line draws nothing it never began.
  const CellGrid empty = e.Cells();
  ASSERT_TRUE(e.SetTool("pen"));
  e.Press(At(3, 3), MouseButton::Left);
  ASSERT_TRUE(e.SetTool("line"));
  e.Move(At(4, 3), true);
  e.Release(At(6, 3), MouseButton::Left);
  EXPECT_EQ(Picture(e, 8, 4),
            (std::vector<std::string>{"@@@@@@@@", "@@@@@@@@", "@@@@@@@@", "@@@AA@@@"}));
  // One stroke, one step; the next stroke is the Line's.
  EXPECT_TRUE(e.Undo());
  EXPECT_EQ(e.Cells(), empty);
  Drag("line", {At(0, 1), At(0, 1), At(3, 1)});
  EXPECT_EQ(Picture(e, 4, 2)[1], "AAA@");
}

TEST_F(EditorTest, ShapesPaintOnlyTheirWhitePixels) {
  e.SetColour(kCellRed);
  Drag("line", {At(2, 3), At(2, 3), At(6, 3)});
  EXPECT_EQ(Picture(e, 8, 4)[3], "@@AAAA@@");
  // The band starts where the first move is reported, not where the button went down.
  Drag("line", {At(0, 5), At(2, 5), At(5, 5)});
  EXPECT_EQ(Picture(e, 8, 6)[5], "@@AAA@@@");

  e.SetColour(kCellGreen);
  Drag("filled-rectangle", {At(0, 0), At(0, 0), At(8, 6)});
  e.SetColour(kCellRed);
  Drag("rectangle", {At(1, 1), At(1, 1), At(4, 3)});
  EXPECT_EQ(Picture(e, 6, 4), (std::vector<std::string>{"DDDDDD", "DAAADD", "DAAADD", "DDDDDD"}));
  // A filled rectangle in the off colour turns cells off; a hollow one in red over green leaves
  // the inside green.
  Drag("rectangle", {At(0, 0), At(0, 0), At(5, 5)});
  EXPECT_EQ(Picture(e, 6, 5)[3], "ADDDAD");
  e.SetColour(kCellOff);
  Drag("filled-rectangle", {At(1, 1), At(1, 1), At(3, 3)});
  EXPECT_EQ(Picture(e, 6, 4)[1], "A@@AAD");

  // The band on the screen: erased and drawn again on every later move, dash-dot for Box.
  ASSERT_TRUE(e.SetTool("box-select"));
  e.Press({1, 1}, MouseButton::Left);
  EXPECT_FALSE(e.Move({2, 2}, true).draw);
  const ScreenWork second = e.Move({30, 20}, true);
  ASSERT_TRUE(second.erase && second.draw);
  EXPECT_EQ(second.erase->to, (Pixel{2, 2}));
  EXPECT_EQ(second.draw->from, (Pixel{2, 2}));
  EXPECT_EQ(second.draw->to, (Pixel{30, 20}));
  EXPECT_TRUE(second.draw->dashDot);
  EXPECT_EQ(e.Move({40, 20}, true).erase->to, (Pixel{30, 20}));
  e.Release({40, 20}, MouseButton::Left);
}

TEST_F(EditorTest, SmallEllipsesAreRound) {
  // A 7 x 6 ellipse and beside it a filled 5 x 5 one in green: round, not boxes.
  e.SetColour(kCellRed);
  Drag("ellipse", {At(0, 0), At(0, 0), At(7, 6)});
  e.SetColour(kCellGreen);
  Drag("filled-ellipse", {At(8, 0), At(8, 0), At(13, 5)});
  const GraphicRows rows = e.Rows();
  const std::vector<std::string> expected = {"@@AAA@@@@DDD@", "@A@@@A@@DDDDD", "A@@@@@A@DDDDD",
                                             "A@@@@@A@DDDDD", "@A@@@A@@@DDD@", "@@AAA@@@@@@@@"};
  for (std::size_t r = 0; r < expected.size(); ++r) EXPECT_EQ(rows[r].substr(0, 13), expected[r]);
}

TEST_F(EditorTest, FillAllAndSizesLeaveTheHiddenCells) {
  e.SetWidth(64);
  e.SetColour(kCellOrange);
  Drag("fill-all", {At(0, 0)});
  e.SetWidth(32);
  e.SetColour(kCellOff);
  Drag("fill-all", {At(0, 0)});
  e.SetWidth(64);
  EXPECT_EQ(Picture(e, 64, 1)[0], std::string(32, '@') + std::string(32, 'E'));
  EXPECT_EQ(e.Cells().At(0, 7), kCellOff);  // Fill all stops at the graphic's height
  e.SetWidth(100);                          // not offered: ignored
  EXPECT_EQ(e.Width(), 64);
  e.SetCellSize(99);
  EXPECT_EQ(e.CellSize(), 10);
  e.SetCellSize(0);
  EXPECT_EQ(e.CellSize(), 3);
}

TEST_F(EditorTest, CutDragAndDrop) {
  e.SetColour(kCellRed);
  Drag("pen", {At(1, 0), At(2, 0), At(1, 1)});
  EXPECT_EQ(Picture(e, 4, 2), (std::vector<std::string>{"@AA@", "@A@@"}));
  // A drag from pixel 15 to 38 cuts 2 columns from column 1: the size comes from the distance.
  Drag("box-select", {{15, 0}, {15, 0}, {38, 20}});
  ASSERT_TRUE(e.Block());
  EXPECT_EQ(e.Block()->columns, 2);
  EXPECT_EQ(e.Block()->rows, 2);
  EXPECT_EQ(e.Block()->position, (Pixel{10, 0}));
  EXPECT_EQ(Picture(e, 4, 2), (std::vector<std::string>{"@@@@", "@@@@"}));

  // Dragged freely, in pixels: its corner 15 pixels left of the grid loses its first column.
  e.GrabBlock({3, 3});
  EXPECT_TRUE(e.DragBlock({3 - 25, 3}));
  EXPECT_EQ(e.Block()->position, (Pixel{-15, 0}));
  e.Release({0, 0}, MouseButton::Right);
  EXPECT_FALSE(e.Block());
  EXPECT_EQ(Picture(e, 4, 2), (std::vector<std::string>{"A@@@", "@@@@"}));

  // 5 pixels left loses nothing and lands at column 0.
  e.Undo();
  ASSERT_TRUE(e.Block());
  e.GrabBlock({0, 0});
  e.DragBlock({10, 0});
  EXPECT_EQ(e.Block()->position, (Pixel{-5, 0}));
  EXPECT_TRUE(e.DropBlock());
  EXPECT_EQ(Picture(e, 4, 2), (std::vector<std::string>{"AA@@", "A@@@"}));

  // A click without a drag floats an empty block; dropping it changes nothing.
  const CellGrid before = e.Cells();
  Drag("box-select", {At(0, 0)});
  ASSERT_TRUE(e.Block());
  EXPECT_EQ(e.Block()->columns, 0);
  EXPECT_TRUE(e.DropBlock());
  EXPECT_EQ(e.Cells(), before);
}

TEST_F(EditorTest, NothingOutsideTheStoreIsTouched) {
  // Captured moves far outside, negative positions, corners beyond the store, blocks dragged
  // beyond it: no cell outside is read or written and the block stays within 160 x 160.
  for (const char* tool : {"pen", "brush", "eraser"}) {
    Drag(tool, {{-5000, -5000}, {99999, 3}, {-1, 99999}, {1600, 1600}});
  }
  Drag("lasso-select", {{-900, -900}, {50000, 50000}});
  ASSERT_TRUE(e.Block());
  EXPECT_EQ(e.Block()->columns, kStoreCells);
  EXPECT_EQ(e.Block()->rows, kStoreCells);
  e.GrabBlock({0, 0});
  e.DragBlock({1590, 1590});
  EXPECT_TRUE(e.DropBlock());
  e.SetColour(kCellGreen);
  Drag("box-select", {{0, 0}, {0, 0}, {-400, 99999}});
  e.GrabBlock({0, 0});
  e.DragBlock({-3000, -4000});
  EXPECT_TRUE(e.DropBlock());
  CellGrid grid;
  grid.Set(-1, 0, 'A');
  grid.Set(160, 0, 'A');
  EXPECT_EQ(grid.At(-1, 0), kCellOff);
  EXPECT_EQ(grid.At(0, 160), kCellOff);
  EXPECT_EQ(grid, CellGrid());
}

TEST_F(EditorTest, LoadKeepsWhatLiesOutsideTheFile) {
  GraphicRows wide(8, std::string(128, 'D'));
  ASSERT_TRUE(e.Load(wide));
  EXPECT_EQ(e.Width(), 128);
  EXPECT_EQ(e.Height(), 8);
  const Result<SizeEntries> small = e.Load(GraphicRows(7, std::string(32, 'A')));
  ASSERT_TRUE(small);
  EXPECT_EQ(small->height, 0);
  EXPECT_EQ(small->width, 0);
  EXPECT_EQ(e.Width(), 32);
  EXPECT_EQ(e.Cells().At(100, 0), kCellGreen);  // columns 32 to 127 and row 7 stay
  EXPECT_EQ(e.Cells().At(0, 7), kCellGreen);
  e.SetWidth(128);
  EXPECT_EQ(e.Rows()[0], std::string(32, 'A') + std::string(96, 'D'));

  // Heights the list has not: 16 shows no entry, 9 keeps the entry; both keep the height.
  EXPECT_EQ(e.Load(GraphicRows(16, "AB"))->height, SizeEntries::kNoEntry);
  EXPECT_EQ(e.Load(GraphicRows(9, "AB"))->height, SizeEntries::kUnchanged);
  EXPECT_EQ(e.Height(), 7);
  EXPECT_EQ(e.Width(), 128);
  EXPECT_EQ(e.Cells().At(1, 8), 'B');  // any letter is kept as it is

  // Refused before a cell changes: no rows, a row shorter than the first.
  const CellGrid before = e.Cells();
  EXPECT_FALSE(e.Load({}));
  const Result<SizeEntries> ragged = e.Load({"AAAA", "AAAA", "AA"});
  EXPECT_FALSE(ragged);
  EXPECT_NE(ragged.ErrorText().find("line 3"), std::string::npos);
  EXPECT_EQ(e.Cells(), before);
  // Rows longer than the first are read to its length; a file beyond the store is cut there.
  ASSERT_TRUE(e.Load(GraphicRows(300, std::string(400, 'E'))));
  EXPECT_EQ(e.Cells().At(159, 159), kCellOrange);

  e.ClearAfterDelete();
  EXPECT_EQ(e.Cells().At(127, 15), kCellOff);
  EXPECT_EQ(e.Cells().At(128, 15), kCellOrange);
  EXPECT_EQ(e.Cells().At(127, 16), kCellOrange);
}

TEST_F(EditorTest, UndoAndRedoOneStepAtATime) {
  const CellGrid empty = e.Cells();
  e.SetColour(kCellRed);
  Drag("pen", {At(0, 0), At(1, 0), At(2, 0), At(3, 0)});  // one stroke, one step
  const CellGrid stroke = e.Cells();
  Drag("fill-all", {At(0, 0)});
  const CellGrid filled = e.Cells();
  Drag("box-select", {At(0, 0), At(0, 0), At(3, 3)});
  ASSERT_TRUE(e.Block());
  e.DropBlock();
  e.Clear();
  ASSERT_TRUE(e.Load(GraphicRows(8, std::string(64, 'D'))));
  Drag("text", {At(0, 0)});                 // no change of cells: no step
  Drag("brush", {At(90, 90), At(90, 90)});  // in the hidden part, but a change: a step
  e.Undo();
  e.Undo();
  EXPECT_EQ(e.Width(), 32);  // the load is undone with its size
  e.Undo();                  // Clear
  e.Undo();                  // the drop: the block floats again
  EXPECT_TRUE(e.Block());
  e.Undo();  // the cut: no block
  EXPECT_FALSE(e.Block());
  EXPECT_EQ(e.Cells(), filled);
  e.Undo();
  EXPECT_EQ(e.Cells(), stroke);
  e.Undo();
  EXPECT_EQ(e.Cells(), empty);
  EXPECT_FALSE(e.Undo());
  EXPECT_TRUE(e.Redo());
  EXPECT_EQ(e.Cells(), stroke);
  EXPECT_TRUE(e.Redo());
  EXPECT_EQ(e.Cells(), filled);
  // A new change forgets what could be redone.
  e.SetColour(kCellGreen);
  Drag("pen", {At(5, 5)});
  EXPECT_FALSE(e.CanRedo());

  for (std::size_t i = 0; i < GraphicEditor::kUndoSteps + 20; ++i) {
    e.SetColour(i % 2 ? kCellRed : kCellGreen);
    Drag("fill-all", {At(0, 0)});
  }
  std::size_t steps = 0;
  while (e.Undo()) ++steps;
  EXPECT_EQ(steps, GraphicEditor::kUndoSteps);
}

TEST(PlacementTest, CountsNamesAndHeights) {
  std::string sixteen;
  for (int n = 1; n <= 16; ++n)
    sixteen += "<Pic:G" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ">";
  EXPECT_EQ(CheckPlacement("G05", 7, sixteen, "", false), PlacementVerdict::Insert);
  EXPECT_EQ(CheckPlacement("G17", 7, sixteen, "", false), PlacementVerdict::TooMany);
  // Names are compared exactly; Line 2 counts too, its last tag included.
  EXPECT_EQ(CheckPlacement("g01", 7, sixteen, "", false), PlacementVerdict::TooMany);
  EXPECT_EQ(CheckPlacement("X", 7, sixteen, "x<Pic:X>", false), PlacementVerdict::Insert);
  // A "<Pic:" without ">" is no name.
  EXPECT_EQ(CheckPlacement("G17", 7, sixteen.substr(0, sixteen.size() - 1), "", false),
            PlacementVerdict::Insert);
  // Thousands of hand-typed names are judged without a list that grows with them.
  std::string many;
  for (int n = 0; n < 5000; ++n) many += "<Pic:" + std::to_string(n) + ">";
  EXPECT_EQ(CheckPlacement("G01", 7, many, "", false), PlacementVerdict::TooMany);
  EXPECT_EQ(CheckPlacement("4999", 7, many, "", false), PlacementVerdict::Insert);

  EXPECT_EQ(CheckPlacement("G01", 9, "", "", true), PlacementVerdict::TooTallForLine2);
  EXPECT_EQ(CheckPlacement("G01", 8, "", "", true), PlacementVerdict::Insert);
  EXPECT_EQ(CheckPlacement("G01", 16, "", "", false), PlacementVerdict::Insert);
  EXPECT_EQ(CheckPlacement("", 7, "", "", false), PlacementVerdict::NoSelection);
  EXPECT_EQ(PlacementMessage(PlacementVerdict::TooMany), "Graphic Number greater than 16");
  EXPECT_EQ(PlacementTag("G05"), "<Pic:G05>");
}

}  // namespace
}  // namespace tavrin
