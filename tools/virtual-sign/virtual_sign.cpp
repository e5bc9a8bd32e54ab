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
