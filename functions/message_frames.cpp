#include "functions/message_frames.h"

#include <algorithm>
#include <map>

#include "common/ascii.h"
#include "functions/command_bodies.h"
#include "signlink/sign_frame.h"

namespace tavrin {

namespace {

constexpr int kMaxGraphicColumns = 128;
constexpr int kBandRows = 8;

std::uint8_t PixelBits(char pixel) {
  switch (pixel) {
    case kCellRed:
      return 0b10;
    case kCellGreen:
      return 0b01;
    case kCellOrange:
      return 0b11;
    default:
      return 0b00;
  }
}

// Reads each graphic once for a whole send, so that the block tags of the message and the
// blocks sent after it come from the same file contents.
class GraphicsReadOnce : public GraphicSource {
 public:
  explicit GraphicsReadOnce(const GraphicFolder& folder) : m_folder(folder) {}

  const Result<GraphicRows>& Rows(const std::string& name) {
    auto it = m_rows.find(name);
    if (it == m_rows.end()) it = m_rows.emplace(name, m_folder.Read(name)).first;
    return it->second;
  }

  Result<GraphicDims> Dims(const std::string& name) override {
    const Result<GraphicRows>& rows = Rows(name);
    if (!rows) return rows.TakeError();
    return DimsOf(*rows);
  }

 private:
  const GraphicFolder& m_folder;
  std::map<std::string, Result<GraphicRows>> m_rows;
};

}  // namespace

char ModeSpeedLetter(std::string_view modeCode, std::string_view speedDigit) {
  static constexpr std::string_view kModes[] = {"<MA>", "<MB>", "<MC>", "<MD>", "<ME>"};
  // Rows by speed digit "0" to "3".
  static constexpr std::string_view kLetters[] = {"qrstu", "abcde", "QRSTU", "ABCDE"};
  int mode = 0;
  for (int i = 0; i < 5; ++i) {
    if (modeCode == kModes[i]) mode = i;
  }
  int speed = 3;
  if (speedDigit.size() == 1 && speedDigit[0] >= '0' && speedDigit[0] <= '3') {
    speed = speedDigit[0] - '0';
  }
  return kLetters[speed][mode];
}

std::string MatchEffectCase(std::string_view entryEffect, std::string exitEffect) {
  if (entryEffect.size() >= 3 && exitEffect.size() >= 3) {
    exitEffect[2] =
        IsAsciiUpper(entryEffect[2]) ? AsciiUpper(exitEffect[2]) : AsciiLower(exitEffect[2]);
  }
  return exitEffect;
}

std::string WithoutLineBreaks(std::string_view bytes) {
  std::string kept(bytes);
  std::erase_if(kept, [](char c) { return c == '\r' || c == '\n'; });
  return kept;
}

std::string MessageBody(const CompileResult* compiled, int lineIndex, char page) {
  std::string entry(kDefaultEffect), exit(kDefaultEffect), mode(kDefaultMode), wait(kDefaultWait),
      speed(kDefaultSpeed), text(" ");
  if (compiled != nullptr) {
    if (!compiled->entryEffect.empty()) {
      entry = compiled->entryEffect;
      exit = MatchEffectCase(
          entry, compiled->exitEffect.empty() ? std::string(kDefaultEffect) : compiled->exitEffect);
    }
    if (!compiled->modeCode.empty()) mode = compiled->modeCode;
    if (!compiled->waitCode.empty()) wait = compiled->waitCode;
    if (!compiled->speedDigit.empty()) speed = compiled->speedDigit;
    text = compiled->text;
  }
  return WithoutLineBreaks("<L" + std::to_string(lineIndex + 1) + "><P" + std::string(1, page) +
                           ">" + entry + "<M" + std::string(1, ModeSpeedLetter(mode, speed)) + ">" +
                           wait + exit + text);
}

Result<MessageFrame> BuildMessageFrame(MessageCompiler& compiler, std::string_view line,
                                       int lineIndex, char page, std::uint8_t signId) {
  MessageFrame result;
  std::string body;
  if (line.empty()) {
    body = MessageBody(nullptr, lineIndex, page);
  } else {
    Result<CompileResult> compiled = compiler.Compile(line, lineIndex + 1);
    if (!compiled) return compiled.TakeError();
    body = MessageBody(&*compiled, lineIndex, page);
    result.graphicsShown = compiled->graphicsShown;
  }
  result.frame = SignFrame(signId, body);
  return result;
}

std::array<std::uint8_t, 2> PackPixels(std::string_view eightPixels) {
  std::array<std::uint8_t, 2> packed{};
  for (std::size_t i = 0; i < 8 && i < eightPixels.size(); ++i) {
    const int shift = 6 - 2 * static_cast<int>(i % 4);
    packed[i / 4] |= static_cast<std::uint8_t>(PixelBits(eightPixels[i]) << shift);
  }
  return packed;
}

Result<GraphicTransfer> PlanGraphicTransfer(const std::string& name, GraphicRows rows) {
  const std::string what = "The graphic " + name;
  if (rows.empty()) return Error{what + " has no rows"};
  const int width = static_cast<int>(rows.front().size());
  if (width == 0) return Error{what + " has no columns"};
  if (width > kMaxGraphicColumns) {
    return Error{what + " is " + std::to_string(width) + " columns wide; a sign takes at most " +
                 std::to_string(kMaxGraphicColumns)};
  }
  const int rowCount = static_cast<int>(rows.size());
  if (rowCount < kBandRows - 1 || (rowCount > kBandRows && rowCount < 2 * kBandRows)) {
    return Error{what + " has " + std::to_string(rowCount) +
                 " rows; a graphic has 7 or 8 rows, or 16 for a tall one"};
  }
  const int blocksPerBand = width / 32 + (width % 32 != 0 ? 1 : 0);
  const std::size_t paddedWidth = static_cast<std::size_t>(blocksPerBand) * 32;
  if (width % 32 != 0) {
    for (std::string& row : rows) {
      if (row.size() < paddedWidth) row.resize(paddedWidth, kCellOff);
    }
  }
  const int usedRows = std::min(rowCount, 2 * kBandRows);
  for (int r = 0; r < usedRows; ++r) {
    if (rows[r].size() < paddedWidth) {
      return Error{what + ": row " + std::to_string(r + 1) + " has " +
                   std::to_string(rows[r].size()) + " cells, fewer than the " +
                   std::to_string(width) + " of the first row"};
    }
  }
  GraphicTransfer transfer;
  transfer.rows = std::move(rows);
  for (int k = 1; k <= blocksPerBand; ++k) transfer.blocks.push_back(k);
  if (rowCount > kBandRows) {
    for (int k = 1; k <= blocksPerBand; ++k) transfer.blocks.push_back(4 + k);
  }
  return transfer;
}

std::string BuildGraphicBlockFrame(char letter, int block, std::uint8_t signId,
                                   const GraphicRows& rows, int rowCount) {
  return SignFrame(signId, GraphicBlockBody(letter, block, rows, rowCount));
}

std::string GraphicBlockBody(char letter, int block, const GraphicRows& rows, int rowCount) {
  std::string body = "<G" + std::string(1, letter) + std::to_string(block) + ">";
  const std::size_t firstRow = block <= 4 ? 0 : kBandRows;
  const std::size_t firstColumn = 32 * static_cast<std::size_t>((block - 1) % 4);
  static const std::string kOffRow(8, kCellOff);
  for (std::size_t group = 0; group < 4; ++group) {
    for (std::size_t r = 0; r < kBandRows; ++r) {
      const bool offRow = r == kBandRows - 1 && rowCount <= kBandRows - 1;
      const std::string_view pixels =
          offRow ? std::string_view(kOffRow)
                 : std::string_view(rows.at(firstRow + r)).substr(firstColumn + 8 * group, 8);
      const auto packed = PackPixels(pixels);
      body += static_cast<char>(packed[0]);
      body += static_cast<char>(packed[1]);
    }
  }
  return body;
}

std::vector<std::string> SendPlan::AllFrames() const {
  std::vector<std::string> frames{openFrame, messageFrame};
  for (const Graphic& graphic : graphics) {
    frames.insert(frames.end(), graphic.blockFrames.begin(), graphic.blockFrames.end());
  }
  frames.push_back(closeFrame);
  return frames;
}

Result<SendPlan> PlanSend(const GraphicFolder& graphics, std::string_view line, char page,
                          std::uint8_t signId) {
  SendPlan plan;
  plan.openFrame = SignFrame(signId, kOpenTransferBody);
  plan.closeFrame = SignFrame(signId, kCloseTransferBody);
  GraphicsReadOnce files(graphics);
  MessageCompiler compiler(files);
  Result<MessageFrame> message = BuildMessageFrame(compiler, line, 0, page, signId);
  if (!message) return message.TakeError();
  plan.messageFrame = std::move(message->frame);
  for (int n = 1; n <= kGraphicCount; ++n) {
    if (!message->graphicsShown[n - 1]) continue;
    const std::string name = GraphicName(n);
    const Result<GraphicRows>& rows = files.Rows(name);
    if (!rows) return rows.TakeError();
    const int rowCount = static_cast<int>(rows->size());
    Result<GraphicTransfer> transfer = PlanGraphicTransfer(name, *rows);
    if (!transfer) return transfer.TakeError();
    SendPlan::Graphic graphic{name, {}};
    const char letter = static_cast<char>('A' + n - 1);
    for (const int block : transfer->blocks) {
      graphic.blockFrames.push_back(
          BuildGraphicBlockFrame(letter, block, signId, transfer->rows, rowCount));
    }
    plan.graphics.push_back(std::move(graphic));
  }
  return plan;
}

}  // namespace tavrin
