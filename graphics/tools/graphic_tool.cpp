#include "graphics/tools/graphic_tool.h"

namespace tavrin {

void ToolCanvas::Paint(Cell cell, char letter) {
  if (!CellGrid::Inside(cell.column, cell.row)) return;
  m_editor.m_cells.Set(cell.column, cell.row, letter);
  m_work.cells.push_back(cell);
}

void ToolCanvas::PaintMask(const ShapeMask& mask) {
  for (int r = 0; r < m_editor.m_height; ++r) {
    for (int c = 0; c < m_editor.m_width; ++c) {
      if (mask.White(c, r)) m_editor.m_cells.Set(c, r, m_editor.m_colour);
    }
  }
  m_work.redraw = true;
}

void ToolCanvas::FillAll() {
  m_editor.FillAll();
  m_work.redraw = true;
}

void ToolCanvas::Cut(Pixel a, Pixel b) {
  m_editor.Cut(a, b);
  m_work.redraw = true;
  m_work.blockChanged = true;
}

void ToolCanvas::MoveBand(const RubberBand& erase, const RubberBand& draw) {
  m_work.erase = erase;
  m_work.draw = draw;
}

void ToolCanvas::ShowLassoDot(Cell cell) { m_work.lassoDot = cell; }

void ToolCanvas::AskForText(Pixel anchor) {
  m_editor.m_textAnchor = anchor;
  m_work.textInput = true;
}

BandTool::BandTool(ToolDescription description, RubberBand::Shape shape, bool filled, bool dashDot)
    : GraphicTool(description), m_shape(shape), m_filled(filled), m_dashDot(dashDot) {}

void BandTool::Press(ToolCanvas&, Pixel p) {
  m_anchor = p;
  m_previous = p;
  m_firstMove = true;
}

void BandTool::Move(ToolCanvas& canvas, Pixel p) {
  if (m_firstMove) {
    m_anchor = p;
    m_firstMove = false;
  } else {
    canvas.MoveBand(BandTo(m_previous), BandTo(p));
  }
  m_previous = p;
}

void BandTool::Release(ToolCanvas& canvas, Pixel p) { Finish(canvas, m_anchor, p); }

RubberBand BandTool::BandTo(Pixel p) const {
  return RubberBand{m_shape, m_anchor, p, m_filled, m_dashDot};
}

}  // namespace tavrin
