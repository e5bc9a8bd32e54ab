// libFuzzer target: any bytes, in any chunks, through the virtual sign's reader, decoder,
// state, log and picture.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "preview/line_renderer.h"
#include "tools/virtual-sign/led_picture.h"
#include "tools/virtual-sign/virtual_sign.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavrin::vsign;
  if (size == 0) return 0;
  FaultPlan faults;
  faults.refuse = {3};
  faults.partial = {5};
  VirtualSign sign(1, faults);
  // The first byte chooses the chunk size, so that frames are cut at every place.
  const std::size_t chunk = 1 + data[0] % 64;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::size_t logged = 0;
  auto consume = [&](const std::vector<FrameEvent>& events) {
    for (const FrameEvent& e : events) {
      logged += LogLine(e).size();
      if (e.applied && e.command.kind == Command::Kind::Message) {
        logged +=
            PictureText(
                RenderLine(sign.State(), e.command.message, tavrin::preview::kSignWidths[0]), false)
                .size();
      }
    }
  };
  for (std::size_t i = 0; i < bytes.size(); i += chunk) {
    consume(sign.Feed(bytes.substr(i, chunk)));
    if (data[0] & 0x80) consume(sign.Idle());
  }
  consume(sign.Idle());
  return logged > 0 ? 0 : 0;
}
