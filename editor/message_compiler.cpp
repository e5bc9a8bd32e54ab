#include "editor/message_compiler.h"

#include <optional>

#include "editor/vocabulary.h"

namespace tavrin {

namespace {

// What became of a closed tag; the column count of Line 1 depends on it.
enum class TagOutcome { Removed, Replaced, Graphic, Unchanged };

// One code of the five fixed fields: the first tag of its kind wins.
void TakeFirst(std::string& field, bool& taken, std::string_view code) {
  if (taken) return;
  field = code;
  taken = true;
}

}  // namespace

Result<CompileResult> MessageCompiler::Compile(std::string_view source, int lineNumber) {
  CompileResult result;
  const bool line1 = lineNumber == 1;
  int localColumns = 0;
  int& columns = line1 ? m_tall.line1Columns : localColumns;

  std::string& out = result.text;
  out.reserve(source.size() + 16);
  std::string tag;
  std::size_t tagStart = 0;  // position of the current tag's "<" in the output
  bool inTag = false;
  int openersSinceClose = 0;
  bool skipMark = false;
  bool entryTaken = false, exitTaken = false, modeTaken = false, waitTaken = false;

  // Looks a complete tag up and removes or replaces it in the output. Only a graphic whose
  // file cannot be read makes it fail.
  auto apply = [&](std::string_view t) -> Result<TagOutcome> {
    auto effect = SignCodeOf(TagTable::UpperEffect, t);
    if (!effect) effect = SignCodeOf(TagTable::LowerEffect, t);
    if (effect) {
      if (!entryTaken) {
        TakeFirst(result.entryEffect, entryTaken, *effect);
      } else {
        TakeFirst(result.exitEffect, exitTaken, *effect);
      }
      out.erase(tagStart);
      return TagOutcome::Removed;
    }
    if (auto mode = SignCodeOf(TagTable::Mode, t)) {
      TakeFirst(result.modeCode, modeTaken, *mode);
      out.erase(tagStart);
      return TagOutcome::Removed;
    }
    if (auto speed = SignCodeOf(TagTable::Speed, t)) {
      result.speedDigit = *speed;
      out.erase(tagStart);
      return TagOutcome::Removed;
    }
    if (auto wait = SignCodeOf(TagTable::Wait, t)) {
      TakeFirst(result.waitCode, waitTaken, *wait);
      out.erase(tagStart);
      return TagOutcome::Removed;
    }
    if (auto format = SignCodeOf(TagTable::Format, t)) {
      out.replace(tagStart, std::string::npos, *format);
      return TagOutcome::Replaced;
    }
    if (auto column = ColumnTagValue(t)) {
      out.replace(tagStart, std::string::npos, ColumnSignCode(*column));
      return TagOutcome::Replaced;
    }
    if (IsGraphicTag(t)) {
      const std::string name = GraphicTagName(t);
      if (IsGraphicName(name)) result.graphicsShown[GraphicNumberFromName(name) - 1] = true;
      Result<GraphicDims> dims = m_graphics.Dims(name);
      if (!dims) return dims.TakeError();
      if (line1 && dims->rows >= 9 && m_tall.entries.size() < TallGraphicRecord::kCapacity) {
        m_tall.entries.push_back({columns + 1, name});
      }
      out.replace(tagStart, std::string::npos,
                  BlockTagSequence(GraphicNumberFromName(name), *dims, lineNumber));
      return TagOutcome::Graphic;
    }
    return TagOutcome::Unchanged;
  };

  for (const char c : source) {
    if (c == '<') {
      // A "<" inside a tag abandons the fragment before it as ordinary text. Every second
      // such "<" since the last closed tag adds the abandoned fragment to the columns.
      ++openersSinceClose;
      if (openersSinceClose % 2 == 0) columns += static_cast<int>(out.size() - tagStart);
      tag = "<";
      tagStart = out.size();
      inTag = true;
      out += c;
      continue;
    }
    if (inTag && c == '>') {
      tag += c;
      out += c;
      inTag = false;
      openersSinceClose = 0;
      Result<TagOutcome> outcome = apply(tag);
      if (!outcome) return outcome.TakeError();
      // After a removed tag, Line 1 does not count the next byte of text.
      skipMark = *outcome == TagOutcome::Removed;
      continue;
    }
    if (inTag) {
      tag += c;
      out += c;
      continue;
    }
    if (line1) {
      if (skipMark) {
        skipMark = false;
      } else {
        ++columns;
      }
    } else {
      ++columns;
      for (const TallGraphicEntry& entry : m_tall.entries) {
        if (entry.column != columns) continue;
        Result<GraphicDims> dims = m_graphics.Dims(entry.name);
        if (!dims) return dims.TakeError();
        out += BlockTagSequence(GraphicNumberFromName(entry.name), *dims, 2);
        break;
      }
    }
    out += c;
  }
  return result;
}

}  // namespace tavrin
