#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "functions/notice.h"
#include "functions/sign_commands.h"
#include "graphics/graphic_file.h"
#include "signlink/sign_link.h"

namespace tavrin {

// What a sign function is handed: the link to open, where to tell the user, how to wait,
// the port number of the settings, and where the send shows its progress (may be null).
struct SignSession {
  SignLink& link;
  Notice& notice;
  Waiter& waiter;
  int portNumber = 1;
  ProgressSink* progress = nullptr;
};

// How a sign function ended.
enum class SignOutcome {
  Accepted,   // the sign answered "ACK" to everything
  Over,       // ID 00: everything was written, nothing read
  Refused,    // a frame got no "ACK" (refusal, silence, a partial reply, a broken line)
  PortError,  // the port did not open: " Open Com Error "
  Cancelled,  // the user answered No
  Invalid,    // nothing to send
  FileError,  // a graphic the message shows cannot be read or sent
};

// Waits between frames, in milliseconds.
inline constexpr int kWaitAfterOpenTransferMs = 200;
inline constexpr int kWaitAfterMessageMs = 100;
inline constexpr int kWaitAfterGraphicBlockMs = 250;
inline constexpr int kWaitBeforeCloseTransferMs = 200;
inline constexpr int kWaitBetweenSchedulesMs = 70;
inline constexpr int kWaitAfterPageDeletionMs = 50;

// Sends Line 1 to a page of a sign: "<BE>", the message (with progress), the blocks of every
// graphic it shows, "<BF>". An empty line shows " No Message To Send " and opens nothing; a
// graphic that cannot be read or sent is reported before the port opens.
SignOutcome SendMessage(SignSession& session, std::string_view line1, const GraphicFolder& graphics,
                        char page, std::uint8_t signId);

// Gives the sign a new ID (01 to FF) after asking; the sign echoes the two digits.
SignOutcome SetSignId(SignSession& session, std::uint8_t newId);

// Sets the sign's clock from a date and a time text "hh:nn:ss".
SignOutcome SetClock(SignSession& session, std::uint8_t signId, std::chrono::year_month_day date,
                     std::string_view timeField);

SignOutcome SetBrightness(SignSession& session, std::uint8_t signId, int levelIndex);

SignOutcome RunPage(SignSession& session, std::uint8_t signId, char page);

// Sends every entry of the list as entries "A" onwards, 70 ms apart.
SignOutcome SendSchedules(SignSession& session, std::uint8_t signId, const ScheduleList& list);

// Deletes the checked schedule items (1 to 5 at [0] to [4]) back to back.
SignOutcome DeleteSchedules(SignSession& session, std::uint8_t signId,
                            const std::array<bool, 5>& checked);

// Deletes the lines checked in the page tree, 50 ms apart.
SignOutcome DeletePages(SignSession& session, std::uint8_t signId, const PageTree& tree);

// Deletes everything on the sign; there is no question first.
SignOutcome DeleteAll(SignSession& session, std::uint8_t signId);

SignOutcome LinkPages(SignSession& session, std::uint8_t signId, std::string_view pages);

}  // namespace tavrin
