#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "signlink/sign_link.h"

namespace tavrin::testing {

// A link for tests: records every write and plays the sign's replies from a script, with
// silences and faults, without waiting in real time.
class ScriptedLink : public SignLink {
 public:
  // The bytes the sign sends back after the given write (0-based over all writes of the run).
  using Responder = std::function<std::string(std::size_t writeIndex, std::string_view bytes)>;

  // Answers "ACK" to every write.
  static Responder AlwaysAck() {
    return [](std::size_t, std::string_view) { return std::string("ACK"); };
  }
  // Answers "ACK" to every write but those listed, which get the given reply ("" is silence).
  static Responder AckExcept(std::vector<std::size_t> writes, std::string reply) {
    return [writes = std::move(writes), reply = std::move(reply)](std::size_t index,
                                                                  std::string_view) {
      return std::find(writes.begin(), writes.end(), index) != writes.end() ? reply
                                                                            : std::string("ACK");
    };
  }

  explicit ScriptedLink(Responder responder = AlwaysAck()) : m_responder(std::move(responder)) {}

  bool OpenLink(int portNumber, int) override {
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

  int ReadByte(std::uint8_t& byte) override {
    ++m_reads;
    if (m_open && !m_pending.empty()) {
      byte = m_pending.front();
      m_pending.pop_front();
      return 1;
    }
    if (m_open && m_writes.size() <= m_breakAfter && m_onTimeout) m_onTimeout();
    return 0;
  }

  bool Write(std::string_view bytes, const WriteProgress& progress = {}) override {
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

  void CloseLink() override {
    ++m_closes;
    m_open = false;
    m_pending.clear();
  }

  bool IsOpen() const override { return m_open; }

  // Faults: the open fails; the link breaks (writes fail, reads return at once) after n writes.
  void FailOpen(bool fail) { m_failOpen = fail; }
  void BreakAfterWrites(std::size_t n) { m_breakAfter = n; }
  // Called for every read that times out, so that a virtual clock can count the silence.
  void OnReadTimeout(std::function<void()> hook) { m_onTimeout = std::move(hook); }
  // Writes reported to the progress callback in pieces of this many bytes.
  void SetProgressChunk(std::size_t bytes) { m_chunk = bytes; }

  const std::vector<std::string>& Writes() const { return m_writes; }
  std::string AllWritten() const {
    std::string all;
    for (const std::string& w : m_writes) all += w;
    return all;
  }
  int Opens() const { return m_opens; }
  int Closes() const { return m_closes; }
  int Reads() const { return m_reads; }
  int LastPort() const { return m_lastPort; }
  // Reply bytes the program left unread.
  std::size_t Unread() const { return m_pending.size(); }

 private:
  Responder m_responder;
  std::deque<std::uint8_t> m_pending;
  std::vector<std::string> m_writes;
  std::function<void()> m_onTimeout;
  bool m_open = false;
  bool m_failOpen = false;
  std::size_t m_breakAfter = static_cast<std::size_t>(-1);
  std::size_t m_chunk = 16;
  int m_opens = 0;
  int m_closes = 0;
  int m_reads = 0;
  int m_lastPort = 0;
};

}  // namespace tavrin::testing
