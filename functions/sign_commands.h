#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace tavrin {

// ---- Bodies of the sign's one-frame commands --------------------------------------------

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
// "<DT" + "A" to "E" + ">" for schedule item 1 to 5.
std::string DeleteScheduleBody(int item);
// "<DL" line "P" page ">".
std::string DeleteLineBody(int line, char page);
inline constexpr std::string_view kDeleteAllBody = "<D*>";

// ---- Time fields ------------------------------------------------------------------------

// The corrections applied after every key in a time field ("hh:nn:ss", or "hh:nn" without
// seconds): a first digit above "2" becomes "2", a minute's or second's first digit above
// "5" becomes "5", and an hour of "2" with a second digit above "3" becomes "23". Blanks are
// below digits and stay.
std::string CorrectTimeField(std::string field);

// The clock panel's tick: the time text one second later ("23:59:59" -> "00:00:00"), or
// nothing when the text does not read as a time, so that ticking waits until it does.
std::optional<std::string> TickTimeField(std::string_view field);

// ---- Schedules --------------------------------------------------------------------------

// One entry of the schedule list: "MM/DD/YY hh:nn" start and end, and page letters.
struct ScheduleEntry {
  std::string start;
  std::string end;
  std::string pages;
  bool operator==(const ScheduleEntry&) const = default;
};

// The only check made on a date "MM/DD/YY": its month text is not above "12" and its day
// text not above "31" (text comparison: "00/00/08" passes).
bool ScheduleDateInRange(std::string_view date);

// The stamp of a schedule entry: "MM/DD/YY hh:nn", a date field, a blank and a time field.
std::string JoinScheduleStamp(std::string_view date, std::string_view time);
// The date ("MM/DD/YY", characters 1 to 8) and time ("hh:nn", 10 to 14) of a stamp; a short
// stamp gives what it has.
struct ScheduleStampParts {
  std::string date;
  std::string time;
};
ScheduleStampParts SplitScheduleStamp(std::string_view stamp);
// A stamp typed as text (the command line) that the editor's fields could have made: digits in
// "MM/DD/YY hh:nn", and a time that the time field would not have to correct.
bool IsWellFormedScheduleStamp(std::string_view stamp);

// The entry the editor's OK stores: both dates in range (or "Date is out of Range"), the
// stamps joined, the pages in upper case. Nothing else is checked.
Result<ScheduleEntry> MakeScheduleEntry(std::string_view startDate, std::string_view startTime,
                                        std::string_view endDate, std::string_view endTime,
                                        std::string_view pages);
// The same from two whole stamps.
Result<ScheduleEntry> MakeScheduleEntry(std::string_view start, std::string_view end,
                                        std::string_view pages);

// "<T" + entry letter + ">" + start yy MM DD hh nn + end yy MM DD hh nn + pages.
std::string ScheduleBody(int index, const ScheduleEntry& entry);

// The most page letters an entry holds.
inline constexpr std::size_t kMaxSchedulePages = 26;

// Page letters as the sign takes them: upper case; false when anything but a letter is there.
bool NormalizePageLetters(std::string& pages);

// The link of pages: schedule entry "A" from "01/01/00 00:00" to "12/30/99 23:59".
std::string LinkBody(std::string pages);

// The list of up to five entries of the schedule window. Its position gives each entry its
// letter on the sign; it lives only in memory.
class ScheduleList {
 public:
  static constexpr std::size_t kMaxEntries = 5;

  const std::vector<ScheduleEntry>& Entries() const { return m_entries; }
  // The "NO." column of row i: always i + 1.
  static std::string Number(std::size_t row) { return std::to_string(row + 1); }

  // Adds an entry, its pages made upper case. A sixth is refused with " Max only items 5 ".
  Status Add(ScheduleEntry entry);
  // Overwrites row i (pages made upper case); out of range does nothing.
  void Modify(std::size_t row, ScheduleEntry entry);
  // Removes row i; the rows after it move up a number and a letter.
  void Remove(std::size_t row);

 private:
  std::vector<ScheduleEntry> m_entries;
};

// ---- The page tree of the deletion dialog ------------------------------------------------

// 26 pages "Page A" to "Page Z", each with "Line 1" and "Line 2", with check marks kept so
// that a checked line always has a checked page, and a page is unchecked only with both its
// lines.
class PageTree {
 public:
  static constexpr int kPages = 26;

  bool PageChecked(int page) const { return m_page[page]; }
  bool LineChecked(int page, int line) const { return m_line[page][line - 1]; }

  // Toggles a page node (line 0) or a line node (1 or 2) as a click on its check box does.
  void Toggle(int page, int line);

  // The lines to delete, in order: for each checked page A to Z, line 1 then line 2 where
  // checked.
  std::vector<std::pair<char, int>> LinesToDelete() const;

 private:
  std::array<bool, kPages> m_page{};
  std::array<std::array<bool, 2>, kPages> m_line{};
};

}  // namespace tavrin
