#include "fonts/font_maker.h"

namespace tavrin {

bool FontMaker::Lit(int column, int row) const {
  if (column < 0 || row < 0 || column >= 16 || row >= 48) return false;
  return m_dots[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

Result<std::size_t> FontMaker::Add(int code, std::string_view sizeText) {
  Result<std::size_t> added = m_list->Add(code, sizeText);
  // The chosen character stays chosen where the insertion moved it.
  if (added && m_chosen && *added <= *m_chosen) ++*m_chosen;
  return added;
}

void FontMaker::DeleteChosen() {
  if (m_chosen) m_list->Remove(*m_chosen);
  m_chosen.reset();
  m_gridShown = false;
  m_dots = {};
  m_lastToggled.reset();
}

void FontMaker::Choose(std::size_t index) {
  if (index >= m_list->Size()) return;
  m_chosen = index;
  m_dots = {};
  m_lastToggled.reset();
  const FontEntry& entry = m_list->At(index);
  const std::optional<FontSize> size = entry.Size();
  if (!size) {
    m_geometry = {};
    m_gridShown = false;
    return;
  }
  m_geometry = {size->width, size->height, kFontCellPixels};
  m_gridShown = true;
  for (int row = 0; row < size->height; ++row) {
    for (int column = 0; column < size->width; ++column) {
      m_dots[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] =
          entry.record.Dot(column, row, size->width);
    }
  }
}

std::optional<DotCell> FontMaker::CellAt(int x, int y, bool edgeIncluded) const {
  const FontGridGeometry& g = m_geometry;
  const int x0 = g.X0(), y0 = g.Y0();
  const int xEnd = x0 + g.cell * g.width - 2, yEnd = y0 + g.cell * g.height - 2;
  const bool inside = edgeIncluded ? (x >= x0 && x <= xEnd && y >= y0 && y <= yEnd)
                                   : (x >= x0 && x < xEnd && y >= y0 && y < yEnd);
  if (!inside || g.cell <= 0) return std::nullopt;
  return DotCell{(x - x0) / g.cell, (y - y0) / g.cell};
}

void FontMaker::Toggle(DotCell cell) {
  if (cell.column < 0 || cell.row < 0 || cell.column >= 16 || cell.row >= 48) return;
  bool& dot = m_dots[static_cast<std::size_t>(cell.row)][static_cast<std::size_t>(cell.column)];
  dot = !dot;
  m_lastToggled = cell;
}

std::optional<DotCell> FontMaker::Press(int x, int y) {
  const std::optional<DotCell> cell = CellAt(x, y, false);
  if (cell) Toggle(*cell);
  return cell;
}

std::optional<DotCell> FontMaker::Drag(int x, int y) {
  const std::optional<DotCell> cell = CellAt(x, y, true);
  if (!cell || cell == m_lastToggled) return std::nullopt;
  Toggle(*cell);
  return cell;
}

void FontMaker::Release() {
  if (!m_chosen) return;
  FontEntry& entry = m_list->At(*m_chosen);
  const std::optional<FontSize> size = entry.Size();
  // A character of no known size has no grid: its record is left as it is.
  if (!size) return;
  UserFontRecord record;
  for (std::size_t i = 0; i < 3 && i < entry.text.size(); ++i) {
    record.bytes[i] = static_cast<std::uint8_t>(entry.text[i]);
  }
  record.bytes[3] = static_cast<std::uint8_t>(size->letter);
  for (int row = 0; row < size->height; ++row) {
    for (int column = 0; column < size->width; ++column) {
      record.SetDot(column, row, size->width, Lit(column, row));
    }
  }
  entry.record = record;
}

void FontMaker::ClearChosen() {
  if (!m_chosen) return;
  m_list->At(*m_chosen).record = UserFontRecord{};
  m_dots = {};
  m_lastToggled.reset();
}

void FontMaker::ReplaceList(FontList list) {
  *m_list = std::move(list);
  m_chosen.reset();
}

}  // namespace tavrin
