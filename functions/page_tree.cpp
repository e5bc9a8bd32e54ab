#include "functions/page_tree.h"

namespace tavrin {

void PageTree::Toggle(int page, int line) {
  if (page < 0 || page >= kPages || line < 0 || line > 2) return;
  auto& lines = m_line[page];
  if (line == 0) {
    const bool checked = !m_page[page];
    m_page[page] = checked;
    lines = {checked, checked};
    return;
  }
  bool& node = lines[line - 1];
  node = !node;
  if (node) {
    m_page[page] = true;
  } else if (!lines[0] && !lines[1]) {
    m_page[page] = false;
  }
}

std::vector<std::pair<char, int>> PageTree::LinesToDelete() const {
  std::vector<std::pair<char, int>> lines;
  for (int page = 0; page < kPages; ++page) {
    if (!m_page[page]) continue;
    for (int line = 1; line <= 2; ++line) {
      if (m_line[page][line - 1]) lines.emplace_back(static_cast<char>('A' + page), line);
    }
  }
  return lines;
}

}  // namespace tavrin
