#include "signlink/scripted_link.h"

#include <algorithm>

namespace tavrin {

ScriptedLink::Responder ScriptedLink::AlwaysAck() {
  return [](std::size_t, std::string_view) { return std::string("ACK"); };
}

ScriptedLink::Responder ScriptedLink::AckExcept(std::vector<std::size_t> writes,
                                                std::string reply) {
  return
      [writes = std::move(writes), reply = std::move(reply)](std::size_t index, std::string_view) {
        return std::find(writes.begin(), writes.end(), index) != writes.end() ? reply
                                                                              : std::string("ACK");
      };
}

ScriptedLink::ScriptedLink(Responder responder) : m_responder(std::move(responder)) {}

bool ScriptedLink::OpenLink(int portNumber, int) {
  ++m_opens;
  m_lastPort = portNumber;
  if (m_failOpen) {
    m_lastError = "the scripted port does not open";
    return false;
  }
  m_open = true;
  m_pending.clear();
  return true;
}

int ScriptedLink::ReadByte(std::uint8_t& byte) {
  ++m_reads;
  if (m_open && !m_pending.empty()) {
    byte = m_pending.front();
    m_pending.pop_front();
    return 1;
  }
  if (m_open && m_writes.size() <= m_breakAfter && m_onTimeout) m_onTimeout();
  return 0;
}

bool ScriptedLink::Write(std::string_view bytes, const WriteProgress& progress) {
  if (!m_open || m_writes.size() >= m_breakAfter) {
    m_lastError = "the scripted device is gone";
    return false;
  }
  m_writes.emplace_back(bytes);
  if (progress) {
    for (std::size_t done = 0; done < bytes.size();) {
      done = std::min(bytes.size(), done + m_chunk);
      progress(done);
    }
  }
  const std::string reply = m_responder(m_writes.size() - 1, bytes);
  m_pending.insert(m_pending.end(), reply.begin(), reply.end());
  return true;
}

void ScriptedLink::CloseLink() {
  ++m_closes;
  m_open = false;
  m_pending.clear();
}

std::string ScriptedLink::AllWritten() const {
  std::string all;
  for (const std::string& w : m_writes) all += w;
  return all;
}

}  // namespace tavrin
