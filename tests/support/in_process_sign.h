#pragma once

#include <deque>
#include <set>
#include <string>

#include "signlink/sign_link.h"
#include "tools/virtual-sign/virtual_sign.h"

namespace tavrin::testing {

// The virtual sign behind a link in the same process, on a clock of the test's own: a read
// that times out costs kReadTimeoutMs of that clock and no real time. Besides the sign's own
// faults, the answers to the frames numbered in `late` come lateMs after their frame.
class InProcessSignLink : public SignLink, public Waiter {
 public:
  InProcessSignLink(std::uint8_t id, vsign::FaultPlan faults, std::set<int> late = {},
                    int lateMs = 0)
      : m_sign(id, std::move(faults)), m_late(std::move(late)), m_lateMs(lateMs) {}

  bool OpenLink(int, int) override {
    m_open = true;
    m_lastError.clear();
    return true;
  }

  bool Write(std::string_view bytes, const WriteProgress& progress = {}) override {
    if (!m_open || m_hungUp) {
      m_lastError = m_hungUp ? "the sign hung up" : "the link is not open";
      return false;
    }
    if (progress) progress(bytes.size());
    for (const vsign::FrameEvent& e : m_sign.Feed(bytes)) Answer(e);
    for (const vsign::FrameEvent& e : m_sign.Idle()) Answer(e);
    return true;
  }

  int ReadByte(std::uint8_t& byte) override {
    if (!m_pending.empty() && m_pending.front().at <= clockMs + kReadTimeoutMs) {
      clockMs = std::max(clockMs, m_pending.front().at);
      byte = static_cast<std::uint8_t>(m_pending.front().byte);
      m_pending.pop_front();
      return 1;
    }
    if (m_hungUp) {
      m_lastError = "the sign hung up";
      return 0;
    }
    clockMs += kReadTimeoutMs;
    return 0;
  }

  void CloseLink() override { m_open = false; }
  bool IsOpen() const override { return m_open; }
  void WaitMs(int ms) override { clockMs += ms; }

  // Frames the sign took as its own, in order.
  int FramesReceived() const { return m_received; }
  const vsign::SignState& State() const { return m_sign.State(); }

  long long clockMs = 0;

 private:
  struct Pending {
    char byte;
    long long at;
  };

  void Answer(const vsign::FrameEvent& e) {
    if (!e.forUs) return;
    ++m_received;
    const long long at = clockMs + (m_late.contains(m_received) ? m_lateMs : 0);
    for (const char c : e.reply) m_pending.push_back({c, at});
    if (e.hangUp) m_hungUp = true;
  }

  vsign::VirtualSign m_sign;
  std::set<int> m_late;
  int m_lateMs;
  std::deque<Pending> m_pending;
  bool m_open = false;
  bool m_hungUp = false;
  int m_received = 0;
};

}  // namespace tavrin::testing
