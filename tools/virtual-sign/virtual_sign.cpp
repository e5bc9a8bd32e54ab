#include "tools/virtual-sign/virtual_sign.h"

#include "common/bytes.h"

namespace tavrin::vsign {

namespace {

std::string JsonString(std::string_view s) {
  std::string out = "\"";
  for (const char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

VirtualSign::VirtualSign(std::uint8_t id, FaultPlan faults) : m_faults(std::move(faults)) {
  m_state.id = id;
}

std::vector<FrameEvent> VirtualSign::Feed(std::string_view bytes) {
  m_reader.Feed(bytes);
  return Drain();
}

std::vector<FrameEvent> VirtualSign::Idle() {
  m_reader.Idle();
  return Drain();
}

std::vector<FrameEvent> VirtualSign::Drain() {
  std::vector<FrameEvent> events;
  while (auto frame = m_reader.Next()) events.push_back(Handle(std::move(*frame)));
  return events;
}

FrameEvent VirtualSign::Handle(ReceivedFrame frame) {
  FrameEvent e;
  e.seq = ++m_seq;
  const bool setId = frame.kind == ReceivedFrame::Kind::SetId;
  const bool broadcast = !setId && frame.id == 0;
  e.forUs = setId || broadcast || frame.id == m_state.id;
  if (!setId) e.command = DecodeCommand(frame.body);
  e.frame = std::move(frame);
  if (!e.forUs) return e;

  const int n = ++m_actedOn;
  e.hangUp = m_faults.dropAfter && n >= *m_faults.dropAfter;
  std::string good;
  if (setId) {
    good = HexByte(e.frame.id);
  } else if (!e.frame.checksumOk) {
    if (!broadcast) e.reply = "NACK";
    return e;
  } else {
    good = "ACK";
  }
  if (broadcast) {
    e.applied = true;
  } else if (m_faults.refuse.contains(n)) {
    e.reply = "NACK";
  } else if (m_faults.silent.contains(n)) {
    e.reply.clear();
  } else if (m_faults.partial.contains(n)) {
    e.reply = good.substr(0, good.size() - 1);  // "AC", or half an ID echo
  } else if (m_faults.garbage.contains(n)) {
    e.reply = kGarbageReply;
  } else {
    e.reply = good;
    e.applied = true;
  }
  if (e.applied) {
    if (setId) {
      m_state.id = e.frame.id;
    } else {
      ApplyCommand(m_state, e.command);
    }
  }
  return e;
}

SignBus::SignBus(const std::vector<std::uint8_t>& ids, const FaultPlan& faults) {
  for (const std::uint8_t id : ids) m_signs.emplace_back(id, faults);
}

std::vector<SignBus::Event> SignBus::Feed(std::string_view bytes) {
  std::vector<std::vector<FrameEvent>> perSign;
  for (VirtualSign& sign : m_signs) perSign.push_back(sign.Feed(bytes));
  return Merge(std::move(perSign));
}

std::vector<SignBus::Event> SignBus::Idle() {
  std::vector<std::vector<FrameEvent>> perSign;
  for (VirtualSign& sign : m_signs) perSign.push_back(sign.Idle());
  return Merge(std::move(perSign));
}

// Every sign reads the same bytes, so each sees the same frames in the same order.
std::vector<SignBus::Event> SignBus::Merge(std::vector<std::vector<FrameEvent>> perSign) {
  std::vector<Event> events;
  const std::size_t frames = perSign.empty() ? 0 : perSign.front().size();
  for (std::size_t f = 0; f < frames; ++f) {
    Event merged;
    bool found = false;
    for (std::size_t s = 0; s < perSign.size(); ++s) {
      const FrameEvent& e = perSign[s][f];
      if (!e.forUs) continue;
      merged.reply += e.reply;
      if (!found) {
        merged.event = e;
        merged.sign = s;
        found = true;
      }
    }
    if (!found) merged.event = perSign.front()[f];
    merged.event.reply = merged.reply;
    events.push_back(std::move(merged));
  }
  return events;
}

std::string LogLine(const FrameEvent& e) {
  const bool setId = e.frame.kind == ReceivedFrame::Kind::SetId;
  std::string line = "{\"seq\":" + std::to_string(e.seq);
  line += ",\"address\":" + (setId ? std::string("null") : JsonString(HexByte(e.frame.id)));
  line += ",\"body\":" + JsonString(EscapeBytes(setId ? e.frame.raw : e.frame.body));
  line += ",\"checksum\":" + JsonString(setId ? "none" : (e.frame.checksumOk ? "ok" : "bad"));
  line += ",\"for_us\":" + std::string(e.forUs ? "true" : "false");
  line += ",\"reply\":" + JsonString(EscapeBytes(e.reply));
  line += ",\"applied\":" + std::string(e.applied ? "true" : "false");
  if (e.frame.junkBefore > 0) line += ",\"junk_before\":" + std::to_string(e.frame.junkBefore);
  line += ",\"command\":{\"name\":";
  if (setId) {
    line += "\"set-id\",\"id\":" + JsonString(HexByte(e.frame.id));
  } else {
    line += JsonString(CommandName(e.command.kind));
    for (const Field& f : CommandFields(e.command)) {
      line += "," + JsonString(f.key) + ":" + (f.number ? f.value : JsonString(f.value));
    }
  }
  line += "}}";
  return line;
}

}  // namespace tavrin::vsign
