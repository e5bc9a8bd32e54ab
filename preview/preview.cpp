#include "preview/preview.h"

#include <map>

#include "editor/message_compiler.h"
#include "functions/message_frames.h"

namespace tavrin::preview {

namespace {

// The graphics and user characters as a send would bring them to the sign.
class SentContent : public SignContent, public GraphicSource {
 public:
  SentContent(const GraphicFolder& folder, const FontList* font, std::time_t now)
      : m_folder(folder), m_font(font), m_now(now) {}

  Result<GraphicDims> Dims(const std::string& name) override {
    const Result<GraphicRows>& rows = Rows(name);
    if (!rows) return rows.TakeError();
    return DimsOf(*rows);
  }

  const std::string* GraphicBlock(char letter, int block) const override {
    const std::string name = GraphicName(letter - 'A' + 1);
    auto& blocks = m_blocks[name];
    if (blocks.empty()) {
      blocks.resize(9);
      const auto found = m_rows.find(name);
      if (found == m_rows.end() || !found->second) return nullptr;
      const Result<GraphicTransfer> transfer = PlanGraphicTransfer(name, *found->second);
      if (!transfer) return nullptr;
      const int rowCount = static_cast<int>(found->second->size());
      for (const int b : transfer->blocks) {
        blocks[static_cast<std::size_t>(b)] =
            GraphicBlockBody(letter, b, transfer->rows, rowCount).substr(5);
      }
    }
    const std::string& data = blocks[static_cast<std::size_t>(block)];
    return data.empty() ? nullptr : &data;
  }

  std::optional<UserGlyph> UserCharacter(int code) const override {
    if (m_font == nullptr) return std::nullopt;
    // As the sign looks them up: the 5x7 one first, then 6x7, then 4x7.
    for (const char letter : {'A', 'B', 'C'}) {
      for (const FontEntry& entry : m_font->Entries()) {
        const UserFontRecord& r = entry.record;
        if (r.CodeText() != UserCodeText(code) || r.SizeLetter() != letter || r.AllZero()) continue;
        const std::optional<FontSize> size = SizeOfLetter(letter);
        UserGlyph glyph;
        glyph.width = size->width;
        for (int y = 0; y < 7; ++y) {
          std::uint8_t row = 0;
          for (int x = 0; x < size->width; ++x) {
            if (r.Dot(x, y, size->width)) row |= static_cast<std::uint8_t>(0x80 >> x);
          }
          glyph.rows[static_cast<std::size_t>(y)] = row;
        }
        return glyph;
      }
    }
    return std::nullopt;
  }

  std::string ClockText(bool date) const override {
    std::tm t{};
#ifdef _WIN32
    localtime_s(&t, &m_now);
#else
    localtime_r(&m_now, &t);
#endif
    char text[16];
    std::strftime(text, sizeof text, date ? "%m/%d/%y" : "%H:%M", &t);
    return text;
  }

  const Result<GraphicRows>& Rows(const std::string& name) {
    auto it = m_rows.find(name);
    if (it == m_rows.end()) it = m_rows.emplace(name, m_folder.Read(name)).first;
    return it->second;
  }

 private:
  const GraphicFolder& m_folder;
  const FontList* m_font;
  std::time_t m_now;
  std::map<std::string, Result<GraphicRows>> m_rows;
  mutable std::map<std::string, std::vector<std::string>> m_blocks;
};

}  // namespace

Preview MakePreview(std::string_view line1, const GraphicFolder& graphics, const FontList* userFont,
                    int signWidth, std::time_t now) {
  Preview p;
  SentContent content(graphics, userFont, now);
  MessageCompiler compiler(content);
  Result<CompileResult> compiled = compiler.Compile(line1, 1);
  if (!compiled) {
    p.warnings.push_back(compiled.ErrorText());
    p.animation = Animate(LedFrame(0, kSignRows), signWidth, p.effects);
    return p;
  }
  if (!compiled->entryEffect.empty()) p.effects.entry = compiled->entryEffect;
  if (!compiled->exitEffect.empty()) p.effects.exit = compiled->exitEffect;
  if (!compiled->modeCode.empty()) p.effects.mode = compiled->modeCode;
  if (!compiled->waitCode.empty()) p.effects.wait = compiled->waitCode;
  if (!compiled->speedDigit.empty()) p.effects.speed = compiled->speedDigit[0];

  // The graphics the line shows that will not show as drawn.
  for (int n = 1; n <= kGraphicCount; ++n) {
    if (!compiled->graphicsShown[static_cast<std::size_t>(n - 1)]) continue;
    const std::string name = GraphicName(n);
    const Result<GraphicRows>& rows = content.Rows(name);
    if (!rows) continue;
    const Result<GraphicTransfer> transfer = PlanGraphicTransfer(name, *rows);
    if (!transfer) {
      p.warnings.push_back(transfer.ErrorText());
    } else if (rows->size() > static_cast<std::size_t>(kLineRows)) {
      p.warnings.push_back(name + " is " + std::to_string(rows->size()) +
                           " dots high, more than a line of 8: its lower half shows on the "
                           "second line");
    }
  }

  p.line = RenderSignText(WithoutLineBreaks(compiled->text), content);
  for (const std::string& code : p.line.unknownCodes) {
    p.warnings.push_back(code + " is no display tag: the sign shows it as text");
  }
  const int wide = p.line.picture.width;
  if (wide > signWidth && !IsScrollingEffect(p.effects.entry)) {
    p.warnings.push_back("The line is " + std::to_string(wide) + " dots wide and the sign " +
                         std::to_string(signWidth) +
                         ": without a scrolling entry the sign "
                         "cuts it after column " +
                         std::to_string(signWidth));
  }
  p.animation = Animate(p.line.picture, signWidth, p.effects);
  return p;
}

}  // namespace tavrin::preview
