#include "editor/message_compiler.h"

#include <optional>
#include <utility>

#include "editor/vocabulary.h"

namespace tavrin {

namespace {

// What became of a closed tag; the column count of Line 1 depends on it.
enum class TagOutcome { Removed, Replaced, Graphic, Unchanged };

// One compile of one line, a byte at a time: the output so far, the tag being read, the
// fields the first tags of their kinds have taken, and the sign columns counted.
class LineCompilation {
 public:
  LineCompilation(GraphicSource& graphics, TallGraphicRecord& tall, int lineNumber,
                  std::size_t sourceSize)
      : m_graphics(graphics),
        m_tall(tall),
        m_lineNumber(lineNumber),
        m_line1(lineNumber == 1),
        m_columns(m_line1 ? tall.line1Columns : m_localColumns) {
    m_result.text.reserve(sourceSize + 16);
  }

  // Takes the next byte of the line. Fails only when a graphic's file cannot be read.
  Status Take(char c) {
    if (c == '<') {
      OpenTag();
      return {};
    }
    if (m_inTag && c == '>') return CloseTag();
    if (m_inTag) {
      m_tag += c;
      m_result.text += c;
      return {};
    }
    return TakeText(c);
  }

  CompileResult Finish() { return std::move(m_result); }

 private:
  // A "<" inside a tag abandons the fragment before it as ordinary text. Every second such
  // "<" since the last closed tag adds the abandoned fragment to the columns.
  void OpenTag() {
    ++m_openersSinceClose;
    if (m_openersSinceClose % 2 == 0) {
      m_columns += static_cast<int>(m_result.text.size() - m_tagStart);
    }
    m_tag = "<";
    m_tagStart = m_result.text.size();
    m_inTag = true;
    m_result.text += '<';
  }

  Status CloseTag() {
    m_tag += '>';
    m_result.text += '>';
    m_inTag = false;
    m_openersSinceClose = 0;
    Result<TagOutcome> outcome = Apply(m_tag);
    if (!outcome) return outcome.TakeError();
    // After a removed tag, Line 1 does not count the next byte of text.
    m_skipMark = *outcome == TagOutcome::Removed;
    return {};
  }

  // A byte of text: counted as a sign column (in Line 1 not the first after a removed tag);
  // in Line 2, the lower half of a tall graphic of Line 1 goes before the byte at its column.
  Status TakeText(char c) {
    if (m_line1) {
      if (m_skipMark) {
        m_skipMark = false;
      } else {
        ++m_columns;
      }
    } else {
      ++m_columns;
      if (Status s = PutLowerHalf(); !s) return s;
    }
    m_result.text += c;
    return {};
  }

  Status PutLowerHalf() {
    for (const TallGraphicEntry& entry : m_tall.entries) {
      if (entry.column != m_columns) continue;
      Result<GraphicDims> dims = m_graphics.Dims(entry.name);
      if (!dims) return dims.TakeError();
      m_result.text += BlockTagSequence(GraphicNumberFromName(entry.name), *dims, 2);
      break;
    }
    return {};
  }

  // Looks a complete tag up and removes or replaces it in the output.
  Result<TagOutcome> Apply(std::string_view tag) {
    if (TakeField(tag)) {
      m_result.text.erase(m_tagStart);
      return TagOutcome::Removed;
    }
    if (std::optional<std::string> code = DisplayCode(tag)) {
      m_result.text.replace(m_tagStart, std::string::npos, *code);
      return TagOutcome::Replaced;
    }
    if (IsGraphicTag(tag)) return PlaceGraphic(tag);
    return TagOutcome::Unchanged;
  }

  // An effect, mode, speed or wait tag fills its field of the frame: the first effect tag
  // the entry effect, the second the exit effect; the first mode and wait tags, and the last
  // speed tag.
  bool TakeField(std::string_view tag) {
    auto effect = SignCodeOf(TagTable::UpperEffect, tag);
    if (!effect) effect = SignCodeOf(TagTable::LowerEffect, tag);
    if (effect) {
      if (!m_entryTaken) {
        TakeFirst(m_result.entryEffect, m_entryTaken, *effect);
      } else {
        TakeFirst(m_result.exitEffect, m_exitTaken, *effect);
      }
      return true;
    }
    if (auto mode = SignCodeOf(TagTable::Mode, tag)) {
      TakeFirst(m_result.modeCode, m_modeTaken, *mode);
      return true;
    }
    if (auto speed = SignCodeOf(TagTable::Speed, tag)) {
      m_result.speedDigit = *speed;
      return true;
    }
    if (auto wait = SignCodeOf(TagTable::Wait, tag)) {
      TakeFirst(m_result.waitCode, m_waitTaken, *wait);
      return true;
    }
    return false;
  }

  // The sign code of a format or column tag, which stands in the text where the tag was.
  static std::optional<std::string> DisplayCode(std::string_view tag) {
    if (auto format = SignCodeOf(TagTable::Format, tag)) return std::string(*format);
    if (auto column = ColumnTagValue(tag)) return ColumnSignCode(*column);
    return std::nullopt;
  }

  // "<Pic:Gnn>": the graphic's block tags; a tall graphic of Line 1 is recorded for Line 2.
  Result<TagOutcome> PlaceGraphic(std::string_view tag) {
    const std::string name = GraphicTagName(tag);
    if (IsGraphicName(name)) m_result.graphicsShown[GraphicNumberFromName(name) - 1] = true;
    Result<GraphicDims> dims = m_graphics.Dims(name);
    if (!dims) return dims.TakeError();
    if (m_line1 && dims->rows >= 9 && m_tall.entries.size() < TallGraphicRecord::kCapacity) {
      m_tall.entries.push_back({m_columns + 1, name});
    }
    m_result.text.replace(m_tagStart, std::string::npos,
                          BlockTagSequence(GraphicNumberFromName(name), *dims, m_lineNumber));
    return TagOutcome::Graphic;
  }

  // One code of the five fixed fields: the first tag of its kind wins.
  static void TakeFirst(std::string& field, bool& taken, std::string_view code) {
    if (taken) return;
    field = code;
    taken = true;
  }

  GraphicSource& m_graphics;
  TallGraphicRecord& m_tall;
  const int m_lineNumber;
  const bool m_line1;
  int m_localColumns = 0;
  int& m_columns;  // Line 1 counts on in the record, for the Line 2 compile that follows
  CompileResult m_result;
  std::string m_tag;
  std::size_t m_tagStart = 0;  // position of the current tag's "<" in the output
  bool m_inTag = false;
  int m_openersSinceClose = 0;
  bool m_skipMark = false;
  bool m_entryTaken = false;
  bool m_exitTaken = false;
  bool m_modeTaken = false;
  bool m_waitTaken = false;
};

}  // namespace

Result<CompileResult> MessageCompiler::Compile(std::string_view source, int lineNumber) {
  LineCompilation line(m_graphics, m_tall, lineNumber, source.size());
  for (const char c : source) {
    if (Status s = line.Take(c); !s) return s.TakeError();
  }
  return line.Finish();
}

}  // namespace tavrin
