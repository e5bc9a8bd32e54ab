#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string_view>

#include "functions/page_tree.h"
#include "functions/schedule_list.h"
#include "graphics/graphic_file.h"
#include "signlink/sign_plan.h"

namespace tavrin {

// Every sign function as a plan: its frames, replies, waits and texts, ready for an executor
// (RunPlan over a link, the frames printed for a dry run, a raw print job). Nothing here opens
// a port. The plans of user characters are in font_plans.h.

// The frames that open and close a transfer (a message with its graphics, or user
// characters): "<BE>" with its wait after it, "<BF>" with its wait before it, each reply read
// and its verdict ignored (not read for ID 00). `failure` is told when the frame cannot be
// written.
PlanStep OpenTransferStep(std::uint8_t signId, NoticeText failure);
PlanStep CloseTransferStep(std::uint8_t signId, NoticeText failure);

// Sends Line 1 (in the sign's code page) to a page of a sign: "<BE>" (reply read, verdict
// ignored), the message (with progress), the blocks of every graphic it shows, "<BF>"; no
// notice when it all went through. An empty line is refused with " No Message To Send "; a
// graphic that cannot be read or sent is refused, naming it, before the port opens.
SignPlan PlanSendMessage(const GraphicFolder& graphics, std::string_view line1, char page,
                         std::uint8_t signId);

// "Send Message" for a sign behind a print queue: the message frame of Line 1, then the blocks
// of every graphic it shows, in the order of a serial send, each followed by 260 ms. No
// "<BE>"/"<BF>" and nothing read; a refused write says "Printe File Error". An empty line goes
// as a single blank. A graphic that is missing or cannot be sent refuses the plan with its
// message, before any job is opened.
SignPlan PlanSendViaNetwork(const GraphicFolder& graphics, std::string_view line1, char page,
                            std::uint8_t signId);

// Gives the sign a new ID (01 to FF) after asking; the sign echoes the two digits.
SignPlan PlanSetSignId(std::uint8_t newId);

// Sets the sign's clock from a date and a time text "hh:nn:ss".
SignPlan PlanSetClock(std::uint8_t signId, std::chrono::year_month_day date,
                      std::string_view timeField);

SignPlan PlanSetBrightness(std::uint8_t signId, int levelIndex);

SignPlan PlanRunPage(std::uint8_t signId, char page);

// Every entry of the list as entries "A" onwards, 70 ms apart.
SignPlan PlanSendSchedules(std::uint8_t signId, const ScheduleList& list);

// The checked schedule items (1 to 5 at [0] to [4]), back to back.
SignPlan PlanDeleteSchedules(std::uint8_t signId, const std::array<bool, 5>& checked);

// The lines checked in the page tree, 50 ms apart (no wait for ID 00).
SignPlan PlanDeletePages(std::uint8_t signId, const PageTree& tree);

// Deletes everything on the sign; there is no question first.
SignPlan PlanDeleteAll(std::uint8_t signId);

SignPlan PlanLinkPages(std::uint8_t signId, std::string_view pages);

}  // namespace tavrin
