#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace tavrin {

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

// The most page letters an entry holds.
inline constexpr std::size_t kMaxSchedulePages = 26;

// Page letters as the sign takes them: upper case; false when anything but a letter is there.
bool NormalizePageLetters(std::string& pages);

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

}  // namespace tavrin
