#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "graphics/graphic_editor.h"
#include "graphics/raster.h"

namespace tavrin {

// The pointer the grid shows while a tool is chosen.
enum class GridCursor { Cross, IBeam };

// What the window shows of a tool.
struct ToolDescription {
  // Names the tool in code (GraphicEditor::SetTool) and its picture: icons/KEY.svg in the
  // graphic editor's resources.
  std::string_view key = {};
  std::string_view name = {};  // "Pen": the button's tip
  std::string_view hint = {};  // how it is used, in one sentence
  // The desktop icon theme's name for the same picture, or empty where themes have none.
  std::string_view themeIcon = {};
  GridCursor cursor = GridCursor::Cross;
};

// What a tool may do during one mouse event: read the graphic's size, the zoom and the colour,
// change cells, and say what the screen must show. The editor makes one for each event; every
// change of cells it makes belongs to the undo step of the stroke.
class ToolCanvas {
 public:
  ToolCanvas(GraphicEditor& editor, ScreenWork& work) : m_editor(editor), m_work(work) {}

  int Width() const { return m_editor.Width(); }
  int Height() const { return m_editor.Height(); }
  char Colour() const { return m_editor.Colour(); }
  Cell CellAt(Pixel p) const { return m_editor.CellAt(p); }

  // One cell takes a letter and is redrawn; a cell outside the store is ignored.
  void Paint(Cell cell, char letter);
  // Every cell of the W x H graphic whose mask pixel is white takes the current colour; cells
  // under black pixels keep their letters. The grid is redrawn.
  void PaintMask(const ShapeMask& mask);
  // Every cell of the W x H graphic takes the current colour. The grid is redrawn.
  void FillAll();
  // Cuts the rectangle between two grid pixels into a new floating block (replacing any);
  // corners beyond the store are clamped to its edge. The grid is redrawn.
  void Cut(Pixel a, Pixel b);
  // Moves the rubber band: `erase` is drawn once more (XOR removes it), then `draw`.
  void MoveBand(const RubberBand& erase, const RubberBand& draw);
  // A circle in the current colour on the screen only; the next redraw removes it.
  void ShowLassoDot(Cell cell);
  // Asks the window for text, to be placed as a floating block at the anchor.
  void AskForText(Pixel anchor);

 private:
  GraphicEditor& m_editor;
  ScreenWork& m_work;
};

// A drawing tool of the graphic editor. The editor sends it the strokes of the left button:
// one Press, the moves while the button is held, one Release. A stroke stays with the tool
// that took its press, even if another is chosen before the release, and all the changes of
// cells it makes are one undo step.
class GraphicTool {
 public:
  explicit GraphicTool(ToolDescription description) : m_description(description) {}
  virtual ~GraphicTool() = default;

  const ToolDescription& Description() const { return m_description; }

  // Each does nothing unless the tool says otherwise.
  virtual void Press(ToolCanvas& /*canvas*/, Pixel /*p*/) {}
  virtual void Move(ToolCanvas& /*canvas*/, Pixel /*p*/) {}
  virtual void Release(ToolCanvas& /*canvas*/, Pixel /*p*/) {}

 private:
  ToolDescription m_description;
};

// A tool that stretches a rubber band from an anchor and acts on the release. The band starts
// where the first move is reported, not where the button went down; it exists only on the
// screen.
class BandTool : public GraphicTool {
 public:
  BandTool(ToolDescription description, RubberBand::Shape shape, bool filled, bool dashDot);

  void Press(ToolCanvas& canvas, Pixel p) override;
  void Move(ToolCanvas& canvas, Pixel p) override;
  void Release(ToolCanvas& canvas, Pixel p) override;

 protected:
  bool Filled() const { return m_filled; }
  // What the release does, with the anchor and the release point.
  virtual void Finish(ToolCanvas& canvas, Pixel anchor, Pixel release) = 0;

 private:
  RubberBand BandTo(Pixel p) const;

  RubberBand::Shape m_shape;
  bool m_filled;
  bool m_dashDot;
  Pixel m_anchor;
  Pixel m_previous;
  bool m_firstMove = false;
};

// Every tool, new, in the order of the tool buttons (SpeedButton1 first).
std::vector<std::unique_ptr<GraphicTool>> MakeGraphicTools();

}  // namespace tavrin
