#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavrin::vsign {

// One field of a decoded command, for the log.
struct Field {
  std::string key;
  std::string value;
  bool number = false;  // written without quotes
};

// One line of a page as the sign keeps it.
struct PageLine {
  std::string entryEffect;  // "<FC>"
  std::string modeCode;     // "<MA>" to "<ME>"
  char speedDigit = '3';    // '0' to '3'
  std::string waitCode;     // "<WC>"
  std::string exitEffect;   // "<FE>"
  std::string text;         // sign text, codes included
};

// A command body understood.
struct Command {
  enum class Kind {
    Message,
    GraphicBlock,
    OpenTransfer,
    CloseTransfer,
    Clock,
    Brightness,
    RunPage,
    Schedule,
    DeleteSchedule,
    DeleteLine,
    DeleteAll,
    UserCharacter,
    RecallDefaultFont,
    Unknown,
  };
  Kind kind = Kind::Unknown;
  char page = 0;    // message, run page, delete line
  int line = 0;     // message, delete line
  char letter = 0;  // graphic letter, schedule entry letter, user character size letter
  int number = 0;   // graphic block, user character index, brightness percent
  PageLine message;
  std::string data;   // 64 graphic bytes, 8 dot rows, 14 clock digits or 20 schedule digits
  std::string pages;  // schedule pages
};

// The name of a command in the log ("message", "graphic-block", ...).
std::string_view CommandName(Command::Kind kind);

// Reads a body; anything the sign does not know is Kind::Unknown.
Command DecodeCommand(std::string_view body);

// The fields of a decoded command, in the order the log writes them.
std::vector<Field> CommandFields(const Command& command);

// What a sign holds.
struct SignState {
  std::uint8_t id = 1;
  std::map<char, std::array<std::optional<PageLine>, 2>> pages;  // 'A'..'Z', lines 1 and 2
  std::map<char, std::map<int, std::string>> graphics;           // 'A'..'P', blocks 1..8
  std::array<std::optional<std::pair<std::string, std::string>>, 5> schedules;  // digits, pages
  std::string clock;     // the 14 digits last set
  int brightness = 100;  // percent
  std::optional<char> runningPage;
  std::map<std::pair<char, int>, std::string> userCharacters;  // (size letter, index) -> rows
  bool transferOpen = false;
};

// Changes the state as a sign obeying the command would.
void ApplyCommand(SignState& state, const Command& command);

}  // namespace tavrin::vsign
