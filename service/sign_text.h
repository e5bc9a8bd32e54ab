#pragma once

#include <string>
#include <string_view>

#include "common/result.h"

namespace tavrin {

// A message line from outside (MQTT, HTTP), its fields drawn, as the bytes the sign gets: what
// the message editor would let a user type and send, and nothing the sign would misread. Every
// "<" begins a display tag of the vocabulary, whole ("<Red>", "<Pic:G01>"); there is no other
// "<"; no control character; every character is in the code page; at most 210 characters.
// Anything else says what is wrong.
Result<std::string> SignTextOf(std::string_view utf8, const std::string& codePage);

}  // namespace tavrin
