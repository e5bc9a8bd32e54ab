#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "fonts/user_font.h"
#include "functions/schedule_list.h"

namespace tavrin {

// The bodies of the sign's commands, each the part of a frame between the address and the
// checksum (SignFrame wraps them). The message line and the graphic blocks, which are built
// from a compiled line and a graphic file, are in message_frames.h.

// A transfer (a message with its graphics, or user characters) opens and closes with these.
inline constexpr std::string_view kOpenTransferBody = "<BE>";
inline constexpr std::string_view kCloseTransferBody = "<BF>";

// "<SC>" yy w MM DD hh nn ss: the year's last two digits, the weekday "01" (Sunday) to "07"
// (Saturday), month and day, then the three fields of the time text "hh:nn:ss" as they stand.
std::string ClockBody(std::chrono::year_month_day date, std::string_view timeField);

// Brightness levels in list order: "100%", "75%", "50%", "25%".
inline constexpr std::array<std::string_view, 4> kBrightnessLevels = {"100%", "75%", "50%", "25%"};
// "<B" + "A" to "D" + ">" for the level's index.
std::string BrightnessBody(int levelIndex);
// The index of a level text ("25%" or "25"), if it is one of the four.
std::optional<int> BrightnessLevelIndex(std::string_view text);

std::string RunPageBody(char page);

// "<T" + entry letter + ">" + start yy MM DD hh nn + end yy MM DD hh nn + pages.
std::string ScheduleBody(int index, const ScheduleEntry& entry);
// The link of pages: schedule entry "A" from "01/01/00 00:00" to "12/30/99 23:59".
std::string LinkBody(std::string pages);

// "<DT" + "A" to "E" + ">" for schedule item 1 to 5.
std::string DeleteScheduleBody(int item);
// "<DL" line "P" page ">".
std::string DeleteLineBody(int line, char page);
inline constexpr std::string_view kDeleteAllBody = "<D*>";

// The user character command: "<F", the size letter, the code less 0x40 as two upper-case
// hexadecimal digits, ">", then record bytes 4 to 11 as they are (raw, "<" and ">" included).
// Only a Transferable record makes a command the sign knows.
std::string UserCharacterBody(const UserFontRecord& record);
// The sign goes back to its default font.
inline constexpr std::string_view kRecallDefaultFontBody = "<DU>";

}  // namespace tavrin
