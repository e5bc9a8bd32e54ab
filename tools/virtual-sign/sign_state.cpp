#include "tools/virtual-sign/sign_state.h"

#include "common/bytes.h"

namespace tavrin::vsign {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }

bool AllDigits(std::string_view s) {
  for (const char c : s) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// "<" x y ">" with a first letter given.
bool IsCode(std::string_view s, char first) {
  return s.size() == 4 && s[0] == '<' && s[1] == first && s[3] == '>';
}

// Mode and speed from the letter of "<M" letter ">".
bool DecodeModeSpeed(char letter, std::string& modeCode, char& speed) {
  static constexpr std::string_view kRows[] = {"qrstu", "abcde", "QRSTU", "ABCDE"};
  for (int s = 0; s < 4; ++s) {
    const std::size_t m = kRows[s].find(letter);
    if (m != std::string_view::npos) {
      modeCode = std::string("<M") + static_cast<char>('A' + m) + ">";
      speed = static_cast<char>('0' + s);
      return true;
    }
  }
  return false;
}

Command Message(std::string_view b) {
  Command c;
  if (b.size() < 24 || b[0] != '<' || b[1] != 'L' || (b[2] != '1' && b[2] != '2') || b[3] != '>' ||
      b[4] != '<' || b[5] != 'P' || !IsUpper(b[6]) || b[7] != '>' || !IsCode(b.substr(8, 4), 'F') ||
      !IsCode(b.substr(12, 4), 'M') || !IsCode(b.substr(16, 4), 'W') ||
      !IsCode(b.substr(20, 4), 'F')) {
    return c;
  }
  if (!DecodeModeSpeed(b[14], c.message.modeCode, c.message.speedDigit)) return c;
  c.kind = Command::Kind::Message;
  c.line = b[2] - '0';
  c.page = b[6];
  c.message.entryEffect = b.substr(8, 4);
  c.message.waitCode = b.substr(16, 4);
  c.message.exitEffect = b.substr(20, 4);
  c.message.text = b.substr(24);
  return c;
}

}  // namespace

std::string_view CommandName(Command::Kind kind) {
  switch (kind) {
    case Command::Kind::Message:
      return "message";
    case Command::Kind::GraphicBlock:
      return "graphic-block";
    case Command::Kind::OpenTransfer:
      return "open-transfer";
    case Command::Kind::CloseTransfer:
      return "close-transfer";
    case Command::Kind::Clock:
      return "clock";
    case Command::Kind::Brightness:
      return "brightness";
    case Command::Kind::RunPage:
      return "run-page";
    case Command::Kind::Schedule:
      return "schedule";
    case Command::Kind::DeleteSchedule:
      return "delete-schedule";
    case Command::Kind::DeleteLine:
      return "delete-line";
    case Command::Kind::DeleteAll:
      return "delete-all";
    case Command::Kind::UserCharacter:
      return "user-character";
    case Command::Kind::RecallDefaultFont:
      return "recall-default-font";
    case Command::Kind::Unknown:
      break;
  }
  return "unknown";
}

Command DecodeCommand(std::string_view b) {
  using Kind = Command::Kind;
  Command c;
  if (b.starts_with("<L")) return Message(b);
  if (b == "<BE>")
    c.kind = Kind::OpenTransfer;
  else if (b == "<BF>")
    c.kind = Kind::CloseTransfer;
  else if (b == "<D*>")
    c.kind = Kind::DeleteAll;
  else if (b == "<DU>")
    c.kind = Kind::RecallDefaultFont;
  else if (b.size() == 69 && b.starts_with("<G") && b[2] >= 'A' && b[2] <= 'P' && b[3] >= '1' &&
           b[3] <= '8' && b[4] == '>') {
    c.kind = Kind::GraphicBlock;
    c.letter = b[2];
    c.number = b[3] - '0';
    c.data = b.substr(5);
  } else if (b.size() == 14 && b.starts_with("<F") && (b[2] == 'A' || b[2] == 'B' || b[2] == 'C') &&
             b[5] == '>') {
    std::uint8_t index = 0;
    if (ParseHexByte(b.substr(3, 2), index) && index < 0x40) {
      c.kind = Kind::UserCharacter;
      c.letter = b[2];
      c.number = index;
      c.data = b.substr(6);
    }
  } else if (b.size() == 18 && b.starts_with("<SC>") && AllDigits(b.substr(4))) {
    c.kind = Kind::Clock;
    c.data = b.substr(4);
  } else if (IsCode(b, 'B') && b[2] >= 'A' && b[2] <= 'D') {
    static constexpr int kPercent[] = {100, 75, 50, 25};
    c.kind = Kind::Brightness;
    c.number = kPercent[b[2] - 'A'];
  } else if (b.size() == 5 && b.starts_with("<RP") && IsUpper(b[3]) && b[4] == '>') {
    c.kind = Kind::RunPage;
    c.page = b[3];
  } else if (b.size() >= 24 && b.size() <= 50 && b.starts_with("<T") && b[2] >= 'A' &&
             b[2] <= 'E' && b[3] == '>' && AllDigits(b.substr(4, 20))) {
    c.kind = Kind::Schedule;
    c.letter = b[2];
    c.data = b.substr(4, 20);
    c.pages = b.substr(24);
  } else if (b.size() == 5 && b.starts_with("<DT") && b[3] >= 'A' && b[3] <= 'E' && b[4] == '>') {
    c.kind = Kind::DeleteSchedule;
    c.letter = b[3];
  } else if (b.size() == 7 && b.starts_with("<DL") && (b[3] == '1' || b[3] == '2') && b[4] == 'P' &&
             IsUpper(b[5]) && b[6] == '>') {
    c.kind = Kind::DeleteLine;
    c.line = b[3] - '0';
    c.page = b[5];
  }
  return c;
}

std::vector<Field> CommandFields(const Command& c) {
  using Kind = Command::Kind;
  auto text = [](std::string key, std::string value) {
    return Field{std::move(key), std::move(value)};
  };
  auto number = [](std::string key, int value) {
    return Field{std::move(key), std::to_string(value), true};
  };
  auto letter = [&](std::string key, char value) {
    return text(std::move(key), std::string(1, value));
  };
  switch (c.kind) {
    case Kind::Message:
      return {letter("page", c.page),
              number("line", c.line),
              text("entry", c.message.entryEffect),
              text("mode", c.message.modeCode),
              letter("speed", c.message.speedDigit),
              text("wait", c.message.waitCode),
              text("exit", c.message.exitEffect),
              text("text", EscapeBytes(c.message.text))};
    case Kind::GraphicBlock:
      return {letter("graphic", c.letter), number("block", c.number),
              text("data", EscapeBytes(c.data))};
    case Kind::Clock: {
      const std::string& d = c.data;
      return {text("year", d.substr(0, 2)), text("weekday", d.substr(2, 2)),
              text("month", d.substr(4, 2)), text("day", d.substr(6, 2)),
              text("time", d.substr(8, 2) + ":" + d.substr(10, 2) + ":" + d.substr(12, 2))};
    }
    case Kind::Brightness:
      return {number("percent", c.number)};
    case Kind::RunPage:
      return {letter("page", c.page)};
    case Kind::Schedule: {
      const std::string& d = c.data;
      auto stamp = [](std::string_view s) {
        return std::string(s.substr(2, 2)) + "/" + std::string(s.substr(4, 2)) + "/" +
               std::string(s.substr(0, 2)) + " " + std::string(s.substr(6, 2)) + ":" +
               std::string(s.substr(8, 2));
      };
      return {letter("entry", c.letter), text("start", stamp(d.substr(0, 10))),
              text("end", stamp(d.substr(10, 10))), text("pages", EscapeBytes(c.pages))};
    }
    case Kind::DeleteSchedule:
      return {letter("entry", c.letter)};
    case Kind::DeleteLine:
      return {letter("page", c.page), number("line", c.line)};
    case Kind::UserCharacter:
      return {letter("size", c.letter), number("index", c.number),
              text("rows", EscapeBytes(c.data))};
    default:
      return {};
  }
}

void ApplyCommand(SignState& s, const Command& c) {
  using Kind = Command::Kind;
  switch (c.kind) {
    case Kind::Message:
      s.pages[c.page][static_cast<std::size_t>(c.line - 1)] = c.message;
      break;
    case Kind::GraphicBlock:
      s.graphics[c.letter][c.number] = c.data;
      break;
    case Kind::OpenTransfer:
      s.transferOpen = true;
      break;
    case Kind::CloseTransfer:
      s.transferOpen = false;
      break;
    case Kind::Clock:
      s.clock = c.data;
      break;
    case Kind::Brightness:
      s.brightness = c.number;
      break;
    case Kind::RunPage:
      s.runningPage = c.page;
      break;
    case Kind::Schedule:
      s.schedules[static_cast<std::size_t>(c.letter - 'A')] = std::make_pair(c.data, c.pages);
      break;
    case Kind::DeleteSchedule:
      s.schedules[static_cast<std::size_t>(c.letter - 'A')].reset();
      break;
    case Kind::DeleteLine: {
      auto it = s.pages.find(c.page);
      if (it != s.pages.end()) {
        it->second[static_cast<std::size_t>(c.line - 1)].reset();
        if (!it->second[0] && !it->second[1]) s.pages.erase(it);
      }
      break;
    }
    case Kind::DeleteAll:
      s.pages.clear();
      s.graphics.clear();
      s.schedules = {};
      s.runningPage.reset();
      s.userCharacters.clear();
      break;
    case Kind::UserCharacter:
      s.userCharacters[{c.letter, c.number}] = c.data;
      break;
    case Kind::RecallDefaultFont:
      s.userCharacters.clear();
      break;
    case Kind::Unknown:
      break;
  }
}

}  // namespace tavrin::vsign
