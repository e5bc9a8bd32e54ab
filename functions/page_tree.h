#pragma once

#include <array>
#include <utility>
#include <vector>

namespace tavrin {

// The page tree of the deletion dialog: 26 pages "Page A" to "Page Z", each with "Line 1" and
// "Line 2", with check marks kept so that a checked line always has a checked page, and a
// page is unchecked only with both its lines.
class PageTree {
 public:
  static constexpr int kPages = 26;

  bool PageChecked(int page) const { return m_page[page]; }
  bool LineChecked(int page, int line) const { return m_line[page][line - 1]; }

  // Toggles a page node (line 0) or a line node (1 or 2) as a click on its check box does.
  void Toggle(int page, int line);

  // The lines to delete, in order: for each checked page A to Z, line 1 then line 2 where
  // checked.
  std::vector<std::pair<char, int>> LinesToDelete() const;

 private:
  std::array<bool, kPages> m_page{};
  std::array<std::array<bool, 2>, kPages> m_line{};
};

}  // namespace tavrin
