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
// (RunPlan over a link, the frames printed for a dry run). Nothing here opens a port.

// Waits between frames, in milliseconds.
inline constexpr int kWaitAfterOpenTransferMs = 200;
inline constexpr int kWaitAfterMessageMs = 100;
inline constexpr int kWaitAfterGraphicBlockMs = 250;
inline constexpr int kWaitBeforeCloseTransferMs = 200;
inline constexpr int kWaitBetweenSchedulesMs = 70;
inline constexpr int kWaitAfterPageDeletionMs = 50;

// Sends Line 1 (in the sign's code page) to a page of a sign: "<BE>" (reply read, verdict
// ignored), the message (with progress), the blocks of every graphic it shows, "<BF>"; no
// notice when it all went through. An empty line is refused with " No Message To Send "; a
// graphic that cannot be read or sent is refused, naming it, before the port opens.
SignPlan PlanSendMessage(const GraphicFolder& graphics, std::string_view line1, char page,
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
