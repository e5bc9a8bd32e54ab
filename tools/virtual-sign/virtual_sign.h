#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tools/virtual-sign/frame_reader.h"
#include "tools/virtual-sign/sign_state.h"

namespace tavrin::vsign {

// Faults to play, by the number (from 1) of the frame among those the sign acts on: frames to
// its own ID, to ID 00, and Set ID frames.
struct FaultPlan {
  std::set<int> refuse;          // answer "NACK"
  std::set<int> silent;          // answer nothing
  std::set<int> partial;         // answer "AC"
  std::set<int> garbage;         // answer bytes that mean nothing
  int delayMs = 0;               // wait before every answer
  std::optional<int> dropAfter;  // hang up after this many frames
};

// What became of one frame.
struct FrameEvent {
  int seq = 0;  // every frame seen, from 1
  ReceivedFrame frame;
  bool forUs = false;    // addressed to this sign, to ID 00, or Set ID
  std::string reply;     // the bytes answered (empty: none)
  bool applied = false;  // the state changed as the command says
  bool hangUp = false;   // the sign hangs up after answering
  Command command;
};

// A sign in software: frames in, answers out, state kept.
class VirtualSign {
 public:
  VirtualSign(std::uint8_t id, FaultPlan faults);

  std::vector<FrameEvent> Feed(std::string_view bytes);
  // The line is quiet: settle a frame that waits for its end.
  std::vector<FrameEvent> Idle();

  const SignState& State() const { return m_state; }
  std::size_t JunkBytes() const { return m_reader.JunkBytes(); }
  int FramesActedOn() const { return m_actedOn; }

 private:
  std::vector<FrameEvent> Drain();
  FrameEvent Handle(ReceivedFrame frame);

  FrameReader m_reader;
  SignState m_state;
  FaultPlan m_faults;
  int m_seq = 0;
  int m_actedOn = 0;
};

// Several signs on one line (an RS-485 bus), each with its own ID, state and faults: every
// frame reaches them all; each takes what is addressed to it (or to 00), and the line carries
// the answers of all that answer, one after another (two signs answering at once garble the
// line, as they would on a bus).
class SignBus {
 public:
  SignBus(const std::vector<std::uint8_t>& ids, const FaultPlan& faults);

  // What became of one frame on the line.
  struct Event {
    FrameEvent event;      // as the sign it was for saw it (the first sign, for none)
    std::size_t sign = 0;  // which sign that was
    std::string reply;     // all that the signs answered
  };
  std::vector<Event> Feed(std::string_view bytes);
  std::vector<Event> Idle();

  const VirtualSign& Sign(std::size_t i) const { return m_signs[i]; }
  std::size_t Size() const { return m_signs.size(); }

 private:
  std::vector<Event> Merge(std::vector<std::vector<FrameEvent>> perSign);
  std::vector<VirtualSign> m_signs;
};

// One JSON object on one line for the log.
std::string LogLine(const FrameEvent& event);

// The bytes a garbled answer consists of.
inline constexpr std::string_view kGarbageReply = "\x15?#";

}  // namespace tavrin::vsign
