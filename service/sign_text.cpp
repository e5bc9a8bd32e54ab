#include "service/sign_text.h"

#include "common/codepage.h"
#include "editor/message_rtf.h"
#include "editor/vocabulary.h"

namespace tavrin {

Result<std::string> SignTextOf(std::string_view utf8, const std::string& codePage) {
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x20 || c == 0x7F) return Error{"the text holds a control character"};
    if (c == '>') return Error{"a \">\" that ends no display tag"};
    if (c != '<') continue;
    const std::size_t close = utf8.find('>', i);
    const std::size_t nextOpen = utf8.find('<', i + 1);
    if (close == std::string_view::npos ||
        (nextOpen != std::string_view::npos && nextOpen < close)) {
      return Error{"a \"<\" that begins no display tag (the sign would read a tag there)"};
    }
    const std::string_view tag = utf8.substr(i, close - i + 1);
    if (!IsDisplayTag(tag)) {
      return Error{"the tag " + std::string(tag) + " is not one the sign knows"};
    }
    i = close;
  }
  Result<std::string> bytes = Utf8ToCodePage(utf8, codePage);
  if (!bytes) return bytes.TakeError();
  if (bytes->size() > static_cast<std::size_t>(kMaxMessageLength)) {
    return Error{"the message has " + std::to_string(bytes->size()) + " characters; a line holds " +
                 std::to_string(kMaxMessageLength)};
  }
  return bytes;
}

}  // namespace tavrin
