#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "graphics/graphic_file.h"

namespace tavrin {

// What one compile of a message line yields. Every text is empty when the line has none.
struct CompileResult {
  std::string text;                      // the line with recognised tags replaced or removed
  std::string entryEffect;               // code of the first effect tag ("<FC>", "<Fj>", ...)
  std::string exitEffect;                // code of the second effect tag
  std::string modeCode;                  // code of the first mode tag ("<MA>" to "<ME>")
  std::string waitCode;                  // code of the first wait tag ("<WA>" to "<WZ>")
  std::string speedDigit;                // "0" to "3", from the last speed tag
  std::array<bool, 16> graphicsShown{};  // [n - 1] set when the line shows "G" n
};

// Tall graphics placed in Line 1 and the sign column each starts at, so that a Line 2 compile
// can put the lower halves under them. It outlives a compile; a send clears it first.
struct TallGraphicEntry {
  int column = 0;  // 1-based
  std::string name;
};

struct TallGraphicRecord {
  static constexpr std::size_t kCapacity = 20;
  std::vector<TallGraphicEntry> entries;  // never more than kCapacity
  int line1Columns = 0;                   // sign columns of Line 1 text counted so far

  void Clear() {
    entries.clear();
    line1Columns = 0;
  }
};

// Turns the text of a message line into sign text and the codes that the message frame
// carries in fixed places. Display tags become sign codes, effect, mode, wait and speed
// tags leave the text and fill their fields, "<Pic:Gnn>" becomes the graphic's block tags,
// and anything else, unknown tags included, stays as text for the sign.
class MessageCompiler {
 public:
  explicit MessageCompiler(GraphicSource& graphics) : m_graphics(graphics) {}

  // Compiles one line; lineNumber is 1 for Line 1 and 2 for any other editor. Line 1 adds
  // its tall graphics to the record (the 21st and later are not recorded); Line 2 puts the
  // lower half of each recorded graphic before the byte at its column. A graphic tag whose
  // file cannot be read ends the compile with that error.
  Result<CompileResult> Compile(std::string_view source, int lineNumber);

  TallGraphicRecord& Tall() { return m_tall; }
  const TallGraphicRecord& Tall() const { return m_tall; }

 private:
  GraphicSource& m_graphics;
  TallGraphicRecord m_tall;
};

}  // namespace tavrin
