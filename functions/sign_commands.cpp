#include "functions/sign_commands.h"

#include <algorithm>
#include <cstdio>

#include "common/ascii.h"

namespace tavrin {

namespace {

std::string TwoDigits(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02u", value % 100);
  return text;
}

// Characters [from, from + 2) of a field, blanks where the field is shorter.
std::string Pair(std::string_view field, std::size_t from) {
  std::string pair = "  ";
  for (std::size_t i = 0; i < 2; ++i) {
    if (from + i < field.size()) pair[i] = field[from + i];
  }
  return pair;
}

// A two-character number with blanks allowed before its digits (" 7"); nothing otherwise.
std::optional<int> FieldNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::string ClockBody(std::chrono::year_month_day date, std::string_view timeField) {
  const std::chrono::weekday weekday{std::chrono::sys_days{date}};
  return "<SC>" + TwoDigits(static_cast<unsigned>(static_cast<int>(date.year()) % 100)) +
         TwoDigits(weekday.c_encoding() + 1) + TwoDigits(static_cast<unsigned>(date.month())) +
         TwoDigits(static_cast<unsigned>(date.day())) + Pair(timeField, 0) + Pair(timeField, 3) +
         Pair(timeField, 6);
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

std::string DeleteScheduleBody(int item) {
  return "<DT" + std::string(1, static_cast<char>('A' + item - 1)) + ">";
}

std::string DeleteLineBody(int line, char page) {
  return "<DL" + std::to_string(line) + "P" + std::string(1, page) + ">";
}

std::string CorrectTimeField(std::string field) {
  auto at = [&field](std::size_t i) -> char { return i < field.size() ? field[i] : '\0'; };
  if (at(0) > '2') field[0] = '2';
  if (at(3) > '5') field[3] = '5';
  if (at(6) > '5') field[6] = '5';
  if (at(0) == '2' && at(1) > '3') field[1] = '3';
  return field;
}

std::optional<std::string> TickTimeField(std::string_view field) {
  if (field.size() != 8 || field[2] != ':' || field[5] != ':') return std::nullopt;
  const auto h = FieldNumber(field.substr(0, 2));
  const auto n = FieldNumber(field.substr(3, 2));
  const auto s = FieldNumber(field.substr(6, 2));
  if (!h || !n || !s || *h > 23 || *n > 59 || *s > 59) return std::nullopt;
  int hh = *h, nn = *n, ss = *s + 1;
  if (ss >= 60) {
    ss = 0;
    if (++nn >= 60) {
      nn = 0;
      if (++hh > 23) hh = 0;
    }
  }
  return TwoDigits(static_cast<unsigned>(hh)) + ":" + TwoDigits(static_cast<unsigned>(nn)) + ":" +
         TwoDigits(static_cast<unsigned>(ss));
}

bool ScheduleDateInRange(std::string_view date) {
  return Pair(date, 0) <= "12" && Pair(date, 3) <= "31";
}

std::string ScheduleBody(int index, const ScheduleEntry& entry) {
  auto stamp = [](std::string_view when) {
    return Pair(when, 6) + Pair(when, 0) + Pair(when, 3) + Pair(when, 9) + Pair(when, 12);
  };
  return "<T" + std::string(1, static_cast<char>('A' + index)) + ">" + stamp(entry.start) +
         stamp(entry.end) + entry.pages;
}

bool NormalizePageLetters(std::string& pages) {
  for (char& c : pages) {
    c = AsciiUpper(c);
    if (!IsAsciiUpper(c)) return false;
  }
  return true;
}

std::string LinkBody(std::string pages) {
  for (char& c : pages) c = AsciiUpper(c);
  return ScheduleBody(0, {"01/01/00 00:00", "12/30/99 23:59", pages});
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

void PageTree::Toggle(int page, int line) {
  if (page < 0 || page >= kPages || line < 0 || line > 2) return;
  auto& lines = m_line[page];
  if (line == 0) {
    const bool checked = !m_page[page];
    m_page[page] = checked;
    lines = {checked, checked};
    return;
  }
  bool& node = lines[line - 1];
  node = !node;
  if (node) {
    m_page[page] = true;
  } else if (!lines[0] && !lines[1]) {
    m_page[page] = false;
  }
}

std::vector<std::pair<char, int>> PageTree::LinesToDelete() const {
  std::vector<std::pair<char, int>> lines;
  for (int page = 0; page < kPages; ++page) {
    if (!m_page[page]) continue;
    for (int line = 1; line <= 2; ++line) {
      if (m_line[page][line - 1]) lines.emplace_back(static_cast<char>('A' + page), line);
    }
  }
  return lines;
}

}  // namespace tavrin
