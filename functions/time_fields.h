#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrin {

// The time and date fields the user types ("hh:nn:ss", "hh:nn", "MM/DD/YY"), as the sign
// functions read them: two characters at a time, blanks and all.

// A number as two digits with a leading zero ("07"); above 99, its last two digits.
std::string TwoDigits(unsigned value);

// Characters [from, from + 2) of a field, blanks where the field is shorter.
std::string FieldPair(std::string_view field, std::size_t from);

// The corrections applied after every key in a time field ("hh:nn:ss", or "hh:nn" without
// seconds): a first digit above "2" becomes "2", a minute's or second's first digit above
// "5" becomes "5", and an hour of "2" with a second digit above "3" becomes "23". Blanks are
// below digits and stay.
std::string CorrectTimeField(std::string field);

// The clock panel's tick: the time text one second later ("23:59:59" -> "00:00:00"), or
// nothing when the text does not read as a time, so that ticking waits until it does.
std::optional<std::string> TickTimeField(std::string_view field);

}  // namespace tavrin
