#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "graphics/graphic_file.h"
#include "graphics/raster.h"

namespace tavrin {

// The editor's store of cells: 160 x 160 cell letters, all "@" at first.
inline constexpr int kStoreCells = 160;

// The sizes the editor offers, in list order.
inline constexpr std::array<int, 5> kGraphicWidths = {32, 64, 96, 120, 128};
inline constexpr std::array<int, 2> kGraphicHeights = {7, 8};
// Screen pixels of a cell: zoom entry "1" is 3 pixels, "8" is 10.
inline constexpr int kMinCellSize = 3;
inline constexpr int kMaxCellSize = 10;

// 160 x 160 cells. Positions outside the store are never read or written: reading one gives
// "@" and writing one does nothing.
class CellGrid {
 public:
  CellGrid() { Clear(); }

  static bool Inside(int column, int row) {
    return column >= 0 && row >= 0 && column < kStoreCells && row < kStoreCells;
  }
  char At(int column, int row) const {
    return Inside(column, row) ? m_cells[Index(column, row)] : kCellOff;
  }
  void Set(int column, int row, char letter) {
    if (Inside(column, row)) m_cells[Index(column, row)] = letter;
  }
  void Clear() { m_cells.fill(kCellOff); }
  bool operator==(const CellGrid&) const = default;

 private:
  // Column by column, as the editor keeps them.
  static std::size_t Index(int column, int row) {
    return static_cast<std::size_t>(column) * kStoreCells + static_cast<std::size_t>(row);
  }
  std::array<char, kStoreCells * kStoreCells> m_cells;
};

// A point in grid-image pixels. While a button is held the mouse is captured, so a point may
// lie outside the grid, or be negative.
struct Pixel {
  int x = 0;
  int y = 0;
  bool operator==(const Pixel&) const = default;
};

enum class MouseButton { Left, Right, Other };

// A rubber band on the screen, from the anchor to the mouse. It exists only on the screen and
// is drawn in XOR, so that drawing it again removes it.
struct RubberBand {
  enum class Shape { Line, Rectangle, Ellipse };
  Shape shape = Shape::Line;
  Pixel from;
  Pixel to;
  bool filled = false;   // filled with the display colour of the current colour
  bool dashDot = false;  // Box select; solid otherwise
  bool operator==(const RubberBand&) const = default;
};

// What a mouse event asks of the screen; the window does exactly this and nothing more.
struct ScreenWork {
  std::vector<Cell> cells;          // cells whose letters changed: redraw them
  std::optional<RubberBand> erase;  // the band to draw once more (XOR removes it)
  std::optional<RubberBand> draw;   // the band to draw
  std::optional<Cell> lassoDot;     // a circle in the current colour, on the screen only
  bool redraw = false;              // redraw the whole grid (bands and trails go with it)
  bool blockChanged = false;        // the floating block appeared, went or changed
  bool textInput = false;           // the Text tool asks for text (placed by PlaceBlock)
};

// The floating block: cut cells (or rendered text) that float over the grid until dropped.
struct FloatingBlock {
  int columns = 0;  // bw, at most 160
  int rows = 0;     // bh, at most 160
  Pixel position;   // its upper-left corner in grid-image pixels; may be negative
  CellGrid cells;   // the AssistBlock: cell (0, 0) at the block's upper-left corner
  bool operator==(const FloatingBlock&) const = default;
};

// The list entries that a load selects: an index, kNoEntry (the list shows no entry), or
// kUnchanged (the list keeps its entry).
struct SizeEntries {
  static constexpr int kNoEntry = -1;
  static constexpr int kUnchanged = -2;
  int height = kUnchanged;
  int width = kUnchanged;
};

class GraphicTool;

// The graphic editor without its window: the cells, the size, the zoom, the colour, the tools
// (graphics/tools/), the floating block, and undo. The window turns mouse positions into
// Press/Move/Release calls and draws what they return.
//
// Out of the store: Pen, Brush and Eraser positions outside the 160 x 160 store are ignored;
// the corners of a Box or Lasso select are clamped to the store's edge, so a cut block is never
// larger than 160 x 160; a block dropped partly beyond the store loses the cells beyond.
class GraphicEditor {
 public:
  GraphicEditor();
  ~GraphicEditor();

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  int CellSize() const { return m_cellSize; }
  char Colour() const { return m_colour; }
  // Every tool, in the order of the tool buttons; the Pen, the first, is chosen at the start.
  const std::vector<std::unique_ptr<GraphicTool>>& Tools() const { return m_tools; }
  const GraphicTool& CurrentTool() const { return *m_tool; }
  const CellGrid& Cells() const { return m_cells; }
  const std::optional<FloatingBlock>& Block() const { return m_block; }

  // A width or height outside the lists is ignored. No cell changes: cells outside the
  // graphic keep their letters and show again when it grows.
  void SetWidth(int width);
  void SetHeight(int height);
  // Clamped to 3 to 10. A floating block keeps its size and place in cells.
  void SetCellSize(int pixels);
  // "@", "A", "D" or "E"; anything else is ignored.
  void SetColour(char letter);
  // Chooses the tool of that key (ToolDescription::key); false, and no change, when there is
  // none.
  bool SetTool(std::string_view key);

  // The cell a grid pixel addresses (x div s, y div s).
  Cell CellAt(Pixel p) const;

  // The mouse on the grid. A left press starts a stroke of the current tool; the moves with
  // the left button held and the left release go to that tool, and the stroke's changes of
  // cells are one undo step. A right release drops the floating block.
  ScreenWork Press(Pixel p, MouseButton button);
  ScreenWork Move(Pixel p, bool leftHeld);
  ScreenWork Release(Pixel p, MouseButton button);

  // The mouse on the floating block, in the block's own pixels: a press with any button grabs
  // it; moving with the left button held shifts it by the displacement from the grab point, in
  // whole pixels (true when it moved).
  void GrabBlock(Pixel inBlock);
  bool DragBlock(Pixel inBlock);
  // The right button released while the block floats: the block is copied, opaque, onto the
  // grid where it lies (columns and rows left of or above the grid are skipped) and hidden.
  // False when no block floats.
  bool DropBlock();

  // Where the Text tool asked for text to be placed.
  Pixel TextAnchor() const { return m_textAnchor; }
  // Makes cells the floating block (replacing any), columns x rows at most 160 x 160.
  void PlaceBlock(const CellGrid& cells, int columns, int rows, Pixel at);

  // Every cell of the W x H graphic takes the current colour.
  void FillAll();
  // All 160 x 160 cells become "@".
  void Clear();
  // What a deleted graphic leaves: columns 0 to 127 of rows 0 to 15 become "@".
  void ClearAfterDelete();

  // Reads a graphic file's rows into the cells: cell (c, r) takes character c of row r for
  // every row and every column below the first row's length; cells outside stay. The size
  // follows the file where the lists have its height and width. A file whose rows are shorter
  // than its first, or that has no rows, is refused before any cell changes.
  Result<SizeEntries> Load(const GraphicRows& rows);
  // The W x H graphic as file rows.
  GraphicRows Rows() const;

  // A change of the cells made by a caller (an import), kept as one undo step.
  template <class F>
  void Change(F&& change) {
    BeginStep();
    change(m_cells);
    EndStep();
  }

  // Undo and redo of every change of cells: a stroke, a shape, a cut, a drop, Fill all, Clear,
  // a load, a delete. The most recent kUndoSteps steps are kept.
  static constexpr std::size_t kUndoSteps = 100;
  bool CanUndo() const { return !m_undo.empty(); }
  bool CanRedo() const { return !m_redo.empty(); }
  bool Undo();
  bool Redo();

 private:
  // The state one step restores; a block is kept only when one floats.
  struct Snapshot {
    CellGrid cells;
    int width = 32;
    int height = 7;
    std::shared_ptr<const FloatingBlock> block;
  };
  Snapshot Take() const;
  void Restore(const Snapshot& s);
  // The state before a change: kept as an undo step when the change did change something.
  void BeginStep();
  void EndStep();

  // The tools change cells through it.
  friend class ToolCanvas;
  // Cuts the rectangle between two grid pixels into a new floating block.
  void Cut(Pixel a, Pixel b);

  CellGrid m_cells;
  int m_width = 32;
  int m_height = 7;
  int m_cellSize = kMinCellSize;
  char m_colour = kCellRed;
  std::vector<std::unique_ptr<GraphicTool>> m_tools;
  GraphicTool* m_tool = nullptr;
  // The tool whose stroke the left button is making, from the press to the release.
  GraphicTool* m_stroke = nullptr;
  std::optional<FloatingBlock> m_block;

  Pixel m_textAnchor;
  Pixel m_dragOrigin;

  std::optional<Snapshot> m_pending;
  std::deque<Snapshot> m_undo;
  std::deque<Snapshot> m_redo;
};

}  // namespace tavrin
