#include "graphics/graphic_editor.h"

#include <algorithm>
#include <utility>

#include "graphics/tools/graphic_tool.h"

namespace tavrin {

namespace {

bool IsColourLetter(char c) {
  return c == kCellOff || c == kCellRed || c == kCellGreen || c == kCellOrange;
}

int ListIndex(const auto& list, int value) {
  const auto it = std::find(list.begin(), list.end(), value);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

}  // namespace

GraphicEditor::GraphicEditor() : m_tools(MakeGraphicTools()), m_tool(m_tools.front().get()) {}

GraphicEditor::~GraphicEditor() = default;

void GraphicEditor::SetWidth(int width) {
  if (ListIndex(kGraphicWidths, width) >= 0) m_width = width;
}

void GraphicEditor::SetHeight(int height) {
  if (ListIndex(kGraphicHeights, height) >= 0) m_height = height;
}

void GraphicEditor::SetCellSize(int pixels) {
  const int size = std::clamp(pixels, kMinCellSize, kMaxCellSize);
  // A floating block keeps its cells and its place in cells.
  if (m_block) {
    m_block->position.x = m_block->position.x * size / m_cellSize;
    m_block->position.y = m_block->position.y * size / m_cellSize;
  }
  m_cellSize = size;
}

void GraphicEditor::SetColour(char letter) {
  if (IsColourLetter(letter)) m_colour = letter;
}

bool GraphicEditor::SetTool(std::string_view key) {
  for (const std::unique_ptr<GraphicTool>& tool : m_tools) {
    if (tool->Description().key == key) {
      m_tool = tool.get();
      return true;
    }
  }
  return false;
}

Cell GraphicEditor::CellAt(Pixel p) const {
  // Division toward zero, as the editor has always worked it out: up to a cell's width left
  // of or above the grid still addresses column or row 0.
  return {p.x / m_cellSize, p.y / m_cellSize};
}

ScreenWork GraphicEditor::Press(Pixel p, MouseButton button) {
  ScreenWork work;
  if (button != MouseButton::Left) return work;
  m_stroke = m_tool;
  BeginStep();
  ToolCanvas canvas(*this, work);
  m_stroke->Press(canvas, p);
  return work;
}

ScreenWork GraphicEditor::Move(Pixel p, bool leftHeld) {
  ScreenWork work;
  if (!leftHeld || m_stroke == nullptr) return work;
  ToolCanvas canvas(*this, work);
  m_stroke->Move(canvas, p);
  return work;
}

ScreenWork GraphicEditor::Release(Pixel p, MouseButton button) {
  ScreenWork work;
  if (button == MouseButton::Right) {
    if (DropBlock()) {
      work.redraw = true;
      work.blockChanged = true;
    }
    return work;
  }
  if (button != MouseButton::Left || m_stroke == nullptr) return work;
  ToolCanvas canvas(*this, work);
  std::exchange(m_stroke, nullptr)->Release(canvas, p);
  EndStep();
  return work;
}

void GraphicEditor::Cut(Pixel a, Pixel b) {
  const int s = m_cellSize, edge = kStoreCells * s;
  const int x0 = std::clamp(std::min(a.x, b.x), 0, edge),
            x1 = std::clamp(std::max(a.x, b.x), 0, edge);
  const int y0 = std::clamp(std::min(a.y, b.y), 0, edge),
            y1 = std::clamp(std::max(a.y, b.y), 0, edge);
  FloatingBlock block;
  // The size comes from the pixel distance, not from the cells touched.
  block.columns = (x1 - x0) / s;
  block.rows = (y1 - y0) / s;
  const int c0 = x0 / s, r0 = y0 / s;
  for (int k = 0; k < block.columns; ++k) {
    for (int l = 0; l < block.rows; ++l) {
      block.cells.Set(k, l, m_cells.At(c0 + k, r0 + l));
      m_cells.Set(c0 + k, r0 + l, kCellOff);
    }
  }
  block.position = {x0 / s * s, y0 / s * s};
  m_block = block;
}

void GraphicEditor::GrabBlock(Pixel inBlock) { m_dragOrigin = inBlock; }

bool GraphicEditor::DragBlock(Pixel inBlock) {
  if (!m_block || inBlock == m_dragOrigin) return false;
  m_block->position.x += inBlock.x - m_dragOrigin.x;
  m_block->position.y += inBlock.y - m_dragOrigin.y;
  return true;
}

bool GraphicEditor::DropBlock() {
  if (!m_block) return false;
  BeginStep();
  const FloatingBlock& b = *m_block;
  const int s = m_cellSize;
  const int px = b.position.x, py = b.position.y;
  const int skipColumns = px < 0 ? -px / s : 0, skipRows = py < 0 ? -py / s : 0;
  const int firstColumn = px > 0 ? px / s : 0, firstRow = py > 0 ? py / s : 0;
  for (int i = 0; i < b.columns - skipColumns; ++i) {
    for (int j = 0; j < b.rows - skipRows; ++j) {
      m_cells.Set(firstColumn + i, firstRow + j, b.cells.At(skipColumns + i, skipRows + j));
    }
  }
  m_block.reset();
  EndStep();
  return true;
}

void GraphicEditor::PlaceBlock(const CellGrid& cells, int columns, int rows, Pixel at) {
  FloatingBlock block;
  block.columns = std::clamp(columns, 0, kStoreCells);
  block.rows = std::clamp(rows, 0, kStoreCells);
  block.position = at;
  block.cells = cells;
  m_block = block;
}

void GraphicEditor::FillAll() {
  for (int c = 0; c < m_width; ++c) {
    for (int r = 0; r < m_height; ++r) m_cells.Set(c, r, m_colour);
  }
}

void GraphicEditor::Clear() {
  BeginStep();
  m_cells.Clear();
  EndStep();
}

void GraphicEditor::ClearAfterDelete() {
  BeginStep();
  for (int c = 0; c < 128; ++c) {
    for (int r = 0; r < 16; ++r) m_cells.Set(c, r, kCellOff);
  }
  EndStep();
}

Result<SizeEntries> GraphicEditor::Load(const GraphicRows& rows) {
  if (rows.empty()) return Error{"the graphic file is empty"};
  const std::size_t width = rows.front().size();
  for (std::size_t r = 1; r < rows.size(); ++r) {
    if (rows[r].size() < width) {
      return Error{"line " + std::to_string(r + 1) + " of the graphic file has " +
                   std::to_string(rows[r].size()) + " cells, fewer than the " +
                   std::to_string(width) + " of its first line"};
    }
  }
  BeginStep();
  const int storedRows = static_cast<int>(std::min<std::size_t>(rows.size(), kStoreCells));
  const int storedColumns = static_cast<int>(std::min<std::size_t>(width, kStoreCells));
  for (int r = 0; r < storedRows; ++r) {
    for (int c = 0; c < storedColumns; ++c) m_cells.Set(c, r, rows[r][c]);
  }
  SizeEntries entries;
  const int count = static_cast<int>(std::min<std::size_t>(rows.size(), 1 << 20));
  if (const int h = ListIndex(kGraphicHeights, count); h >= 0) {
    entries.height = h;
    m_height = count;
  } else if (count == 16 || count == 24 || count == 32 || count == 40 || count == 48) {
    // The list finds no such entry and shows none; the height stays.
    entries.height = SizeEntries::kNoEntry;
  }
  if (const int w =
          ListIndex(kGraphicWidths, static_cast<int>(std::min<std::size_t>(width, 1 << 20)));
      w >= 0) {
    entries.width = w;
    m_width = kGraphicWidths[static_cast<std::size_t>(w)];
  }
  EndStep();
  return entries;
}

GraphicRows GraphicEditor::Rows() const {
  GraphicRows rows(static_cast<std::size_t>(m_height),
                   std::string(static_cast<std::size_t>(m_width), kCellOff));
  for (int r = 0; r < m_height; ++r) {
    for (int c = 0; c < m_width; ++c) rows[r][c] = m_cells.At(c, r);
  }
  return rows;
}

GraphicEditor::Snapshot GraphicEditor::Take() const {
  Snapshot s;
  s.cells = m_cells;
  s.width = m_width;
  s.height = m_height;
  if (m_block) s.block = std::make_shared<const FloatingBlock>(*m_block);
  return s;
}

void GraphicEditor::Restore(const Snapshot& s) {
  m_cells = s.cells;
  m_width = s.width;
  m_height = s.height;
  m_block.reset();
  if (s.block) m_block = *s.block;
}

void GraphicEditor::BeginStep() {
  if (!m_pending) m_pending = Take();
}

void GraphicEditor::EndStep() {
  if (!m_pending) return;
  Snapshot before = std::move(*m_pending);
  m_pending.reset();
  // Only a change of cells is a step; a block that merely appears or moves is not.
  if (before.cells == m_cells && before.width == m_width && before.height == m_height) return;
  m_undo.push_back(std::move(before));
  if (m_undo.size() > kUndoSteps) m_undo.pop_front();
  m_redo.clear();
}

bool GraphicEditor::Undo() {
  if (m_undo.empty()) return false;
  m_redo.push_back(Take());
  Restore(m_undo.back());
  m_undo.pop_back();
  return true;
}

bool GraphicEditor::Redo() {
  if (m_redo.empty()) return false;
  m_undo.push_back(Take());
  Restore(m_redo.back());
  m_redo.pop_back();
  return true;
}

}  // namespace tavrin
