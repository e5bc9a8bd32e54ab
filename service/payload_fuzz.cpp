// libFuzzer target: any bytes as an MQTT payload or an HTTP body, through what the service does
// with it: read as a message or a command, its fields drawn, judged as the sign would read it.
// Nothing may crash; a text that passes is one the sign reads as the editor would send it, and a
// field's value brings no tag and no control character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "service/fields.h"
#include "service/payload.h"
#include "service/sign_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  (void)tavrin::ParseCommandPayload(bytes);
  const std::string value = tavrin::FieldValue(bytes);
  for (const char c : value) {
    if (c == '<' || c == '>' || (static_cast<unsigned char>(c) < 0x20)) std::abort();
  }
  const auto message = tavrin::ParseMessagePayload(bytes);
  if (!message) return 0;
  std::tm now{};
  now.tm_year = 126;
  now.tm_mday = 1;
  const std::string drawn =
      tavrin::RenderFields(message->text, now, {{"a", value}, {"b", std::string(300, 'x')}});
  const auto text = tavrin::SignTextOf(drawn, "CP1252");
  if (!text) return 0;
  if (text->size() > 210) std::abort();
  for (const char c : *text) {
    if (static_cast<unsigned char>(c) < 0x20) std::abort();
  }
  return 0;
}
