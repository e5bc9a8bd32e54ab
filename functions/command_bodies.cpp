#include "functions/command_bodies.h"

#include "common/ascii.h"
#include "common/bytes.h"
#include "functions/time_fields.h"

namespace tavrin {

std::string ClockBody(std::chrono::year_month_day date, std::string_view timeField) {
  const std::chrono::weekday weekday{std::chrono::sys_days{date}};
  return "<SC>" + TwoDigits(static_cast<unsigned>(static_cast<int>(date.year()) % 100)) +
         TwoDigits(weekday.c_encoding() + 1) + TwoDigits(static_cast<unsigned>(date.month())) +
         TwoDigits(static_cast<unsigned>(date.day())) + FieldPair(timeField, 0) +
         FieldPair(timeField, 3) + FieldPair(timeField, 6);
}

std::string BrightnessBody(int levelIndex) {
  return "<B" + std::string(1, static_cast<char>('A' + levelIndex)) + ">";
}

std::optional<int> BrightnessLevelIndex(std::string_view text) {
  for (std::size_t i = 0; i < kBrightnessLevels.size(); ++i) {
    const std::string_view level = kBrightnessLevels[i];
    if (text == level || text == level.substr(0, level.size() - 1)) return static_cast<int>(i);
  }
  return std::nullopt;
}

std::string RunPageBody(char page) { return "<RP" + std::string(1, page) + ">"; }

std::string ScheduleBody(int index, const ScheduleEntry& entry) {
  auto stamp = [](std::string_view when) {
    return FieldPair(when, 6) + FieldPair(when, 0) + FieldPair(when, 3) + FieldPair(when, 9) +
           FieldPair(when, 12);
  };
  return "<T" + std::string(1, static_cast<char>('A' + index)) + ">" + stamp(entry.start) +
         stamp(entry.end) + entry.pages;
}

std::string LinkBody(std::string pages) {
  for (char& c : pages) c = AsciiUpper(c);
  return ScheduleBody(0, {"01/01/00 00:00", "12/30/99 23:59", pages});
}

std::string DeleteScheduleBody(int item) {
  return "<DT" + std::string(1, static_cast<char>('A' + item - 1)) + ">";
}

std::string DeleteLineBody(int line, char page) {
  return "<DL" + std::to_string(line) + "P" + std::string(1, page) + ">";
}

std::string UserCharacterBody(const UserFontRecord& r) {
  std::string body = "<F";
  body += r.SizeLetter();
  body += HexByte(static_cast<std::uint8_t>(RecordCode(r) - 0x40));
  body += '>';
  body.append(reinterpret_cast<const char*>(r.bytes.data()) + 4, 8);
  return body;
}

}  // namespace tavrin
