#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/notice.h"

namespace tavrin {

// How a sign command ended.
enum class SignOutcome {
  Accepted,   // every frame went out and every judged reply was "ACK"
  Over,       // ID 00: everything was written, nothing read
  Refused,    // a frame got no "ACK" (refusal, silence, a partial reply) or could not be written
  PortError,  // the port did not open: " Open Com Error "
  Cancelled,  // the user answered No
  Invalid,    // nothing to send
  FileError,  // something the command needs (a graphic file) cannot be read or sent
  Busy,       // another command held the link; nothing was done
  Stopped,    // asked to stop (the program quits): it ended at a frame boundary, port closed
};

// What is done with the sign's answer to one frame.
enum class ReplyPolicy {
  None,       // nothing is read: ID 00, which never answers, or a print job
  Ignore,     // the reply is read as ReadAck reads it and its verdict ignored ("<BE>", "<BF>")
  Judge,      // the reply must be "ACK", or the command stops here
  SetIdEcho,  // two bytes that must be the new ID's two digits
};

// One frame of a command and what goes with it. Built with designated initializers that name
// every field they set ({.frame = ..., .waitAfterMs = 200}), never by position: its two waits
// and its three flags have the same types, and only their names tell them apart.
struct PlanStep {
  std::string frame;  // the bytes on the wire, as they go
  ReplyPolicy reply = ReplyPolicy::Judge;
  std::uint8_t echoId = 0;        // SetIdEcho: the ID whose digits must come back
  int waitBeforeMs = 0;           // waited before the frame is written
  int waitAfterMs = 0;            // waited after the frame went through
  bool showsProgress = false;     // the progress bar follows this frame's bytes, then goes to 0
  NoticeText failure;             // shown when the frame is not accepted or cannot be written
  bool advancesProgress = false;  // the plan's progress bar steps on before this frame goes
  bool cleanupOnFailure = false;  // a failure here sends the plan's cleanup frames first
};

// A sign command as data: what it asks first, the frames in order with their replies, waits
// and progress, and what it says at the end. Every sign function is built as a plan, so the
// rules of opening, judging, stopping and closing are written once, in the executors: RunPlan
// over a link (windows, tavrin-cli, tests), the frames printed (--dry-run), and a raw print job
// for a sign behind a network print queue (its plans read no replies). A plan carries its ID 00
// rules in itself (NeverAnswers): for ID 00 the steps read nothing and the end notice is the
// "is Over" text.
struct SignPlan {
  // When set, the command cannot start: this is shown and the port is not opened.
  std::optional<NoticeText> refusal;
  SignOutcome refusalOutcome = SignOutcome::Invalid;
  // When set, asked with Yes and No before the port opens; anything but Yes ends the command.
  std::optional<std::string> question;
  std::vector<PlanStep> steps;
  // Frames sent, best effort, after a step marked cleanupOnFailure has failed and before the
  // port closes (the end of a font transfer).
  std::vector<PlanStep> cleanup;
  // When above 0, the progress bar runs from 0 to this over the steps that advance it, and
  // goes back to 0 at the end, whichever way it ends.
  int progressMaximum = 0;
  // Shown after the port is closed when every step went through; nothing when empty.
  std::optional<NoticeText> done;
  SignOutcome doneOutcome = SignOutcome::Accepted;
  // What the command is, for a status line: "Send Message to sign 01, page A, 2 graphics".
  std::string summary;

  // A command that cannot start, with what it says and how it ends.
  static SignPlan Refuse(NoticeText notice, SignOutcome outcome);

  // How the plan ends when every step went through, by the rule of ID 00: Accepted with the
  // success text, or for ID 00 Over with the "is Over" text, either as information with Yes.
  void EndFor(std::uint8_t signId, std::string okText, std::string overText);
  // The same for a command that says nothing when it went through (a sent message).
  void EndQuietlyFor(std::uint8_t signId);

  // The frames in the order they go out.
  std::vector<std::string> Frames() const;
};

// "sign 01": how a status line names a sign.
std::string SignName(std::uint8_t signId);

// ID 00 is never answered: no reply is read after a frame to it, and a command to it that
// went through says its "is Over" text instead of its success text. Every plan takes the rule
// from here.
inline bool NeverAnswers(std::uint8_t signId) { return signId == 0; }

// The reply policy of a frame to a sign: judged, or not read at all for ID 00.
inline ReplyPolicy JudgedUnless00(std::uint8_t signId) {
  return NeverAnswers(signId) ? ReplyPolicy::None : ReplyPolicy::Judge;
}

// Read with its verdict ignored ("<BE>", "<BF>"), or not read at all for ID 00.
inline ReplyPolicy IgnoredUnless00(std::uint8_t signId) {
  return NeverAnswers(signId) ? ReplyPolicy::None : ReplyPolicy::Ignore;
}

}  // namespace tavrin
