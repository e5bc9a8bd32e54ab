#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "common/result.h"
#include "fonts/user_font.h"

namespace tavrin {

// The drawing image of the font maker and its cells.
inline constexpr int kFontImageWidth = 257;
inline constexpr int kFontImageHeight = 201;
inline constexpr int kFontCellPixels = 15;

// The grid of the chosen character: w x h cells of c pixels, centred in the image. All 0
// before a character is chosen, which puts every press outside the grid.
struct FontGridGeometry {
  int width = 0;
  int height = 0;
  int cell = 0;
  int X0() const { return (kFontImageWidth - cell * width) / 2; }
  int Y0() const { return (kFontImageHeight - cell * height) / 2; }
};

struct DotCell {
  int column = 0;
  int row = 0;
  bool operator==(const DotCell&) const = default;
};

// The font maker without its window: the list, the chosen character, its grid of dots as the
// screen shows it, and the rules of pressing and dragging on it. On a release the chosen
// character's record is rebuilt from the grid, so the record always holds what the grid shows.
class FontMaker {
 public:
  // A maker of a list of its own, or of one kept elsewhere (the application's workspace),
  // which must outlive it.
  FontMaker() : m_list(&m_ownList) {}
  explicit FontMaker(FontList& list) : m_list(&list) {}
  FontMaker(const FontMaker&) = delete;
  FontMaker& operator=(const FontMaker&) = delete;

  FontList& List() { return *m_list; }
  const FontList& List() const { return *m_list; }
  std::optional<std::size_t> Chosen() const { return m_chosen; }
  const FontGridGeometry& Geometry() const { return m_geometry; }
  // Whether the grid lines show (Delete clears the picture, the geometry stays).
  bool GridShown() const { return m_gridShown; }
  // A dot as the grid shows it.
  bool Lit(int column, int row) const;

  // Add: a zero-filled character, not chosen; the grid does not change.
  Result<std::size_t> Add(int code, std::string_view sizeText);
  // Delete: the chosen character (if any) leaves the list; the picture is cleared either way,
  // the geometry of the last chosen character stays.
  void DeleteChosen();
  // Choosing a character shows its grid and its dots. A character whose text names no size
  // (the "-" of an all-zero record from a file) shows no grid and cannot be drawn.
  void Choose(std::size_t index);
  // A press (any button) at image pixel (x, y): inside x0 <= x < x0 + c w - 2 and likewise for
  // y, the cell's dot changes. The changed cell, or nothing.
  std::optional<DotCell> Press(int x, int y);
  // A move with the left button held: the same within x0 <= x <= x0 + c w - 2 (the edge
  // included), and only for a cell other than the last one changed: a cell is changed once
  // however long the mouse stays in it.
  std::optional<DotCell> Drag(int x, int y);
  // A release anywhere on the image: the chosen character's record is rebuilt from the grid
  // (code text and letter from its list text, the dots from the grid).
  void Release();
  // "NO": the chosen character's record is all zero again and its grid empty.
  void ClearChosen();
  // Open: the list is replaced; nothing is chosen, the picture stays as it was.
  void ReplaceList(FontList list);

 private:
  std::optional<DotCell> CellAt(int x, int y, bool edgeIncluded) const;
  void Toggle(DotCell cell);

  FontList m_ownList;
  FontList* m_list;
  std::optional<std::size_t> m_chosen;
  FontGridGeometry m_geometry;
  bool m_gridShown = false;
  std::array<std::array<bool, 16>, 48> m_dots{};
  std::optional<DotCell> m_lastToggled;
};

}  // namespace tavrin
