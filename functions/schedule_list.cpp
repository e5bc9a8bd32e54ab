#include "functions/schedule_list.h"

#include <algorithm>

#include "common/ascii.h"
#include "functions/time_fields.h"

namespace tavrin {

bool ScheduleDateInRange(std::string_view date) {
  return FieldPair(date, 0) <= "12" && FieldPair(date, 3) <= "31";
}

bool NormalizePageLetters(std::string& pages) {
  for (char& c : pages) {
    c = AsciiUpper(c);
    if (!IsAsciiUpper(c)) return false;
  }
  return true;
}

Status ScheduleList::Add(ScheduleEntry entry) {
  if (m_entries.size() >= kMaxEntries) return Error{" Max only items 5 "};
  NormalizePageLetters(entry.pages);
  m_entries.push_back(std::move(entry));
  return {};
}

void ScheduleList::Modify(std::size_t row, ScheduleEntry entry) {
  if (row >= m_entries.size()) return;
  NormalizePageLetters(entry.pages);
  m_entries[row] = std::move(entry);
}

void ScheduleList::Remove(std::size_t row) {
  if (row < m_entries.size()) m_entries.erase(m_entries.begin() + static_cast<long>(row));
}

std::string JoinScheduleStamp(std::string_view date, std::string_view time) {
  return std::string(date) + " " + std::string(time);
}

ScheduleStampParts SplitScheduleStamp(std::string_view stamp) {
  ScheduleStampParts parts;
  parts.date = std::string(stamp.substr(0, std::min<std::size_t>(8, stamp.size())));
  if (stamp.size() > 9) parts.time = std::string(stamp.substr(9, 5));
  return parts;
}

bool IsWellFormedScheduleStamp(std::string_view s) {
  if (s.size() != 14 || s[2] != '/' || s[5] != '/' || s[8] != ' ' || s[11] != ':') return false;
  for (const std::size_t p : {0, 1, 3, 4, 6, 7, 9, 10, 12, 13}) {
    if (s[p] < '0' || s[p] > '9') return false;
  }
  const std::string time(s.substr(9));
  return CorrectTimeField(time) == time;
}

Result<ScheduleEntry> MakeScheduleEntry(std::string_view startDate, std::string_view startTime,
                                        std::string_view endDate, std::string_view endTime,
                                        std::string_view pages) {
  if (!ScheduleDateInRange(startDate) || !ScheduleDateInRange(endDate)) {
    return Error{"Date is out of Range"};
  }
  ScheduleEntry entry{JoinScheduleStamp(startDate, startTime), JoinScheduleStamp(endDate, endTime),
                      std::string(pages)};
  NormalizePageLetters(entry.pages);
  return entry;
}

Result<ScheduleEntry> MakeScheduleEntry(std::string_view start, std::string_view end,
                                        std::string_view pages) {
  const ScheduleStampParts s = SplitScheduleStamp(start);
  const ScheduleStampParts e = SplitScheduleStamp(end);
  return MakeScheduleEntry(s.date, s.time, e.date, e.time, pages);
}

}  // namespace tavrin
