#pragma once

#include <string>
#include <string_view>

#include "common/result.h"

namespace tavrin {

// The code page sign text is kept in when none is configured.
inline constexpr const char* kDefaultCodePage = "CP1252";

// Converts text typed by the user (UTF-8) into the sign's 8-bit code page. A character the
// code page cannot hold, or input that is not UTF-8, is refused with a message naming it.
Result<std::string> Utf8ToCodePage(std::string_view utf8, const std::string& codePage);

// Converts sign bytes in the given code page back to UTF-8 for display.
Result<std::string> CodePageToUtf8(std::string_view bytes, const std::string& codePage);

}  // namespace tavrin
