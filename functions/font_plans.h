#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fonts/user_font.h"
#include "signlink/sign_plan.h"

namespace tavrin {

// The sign functions of user characters as plans, beside those of sign_plans.h.

// A font transfer as a plan: "<BE>" (reply read, verdict ignored), one command for each
// character of the list in list order, 60 ms apart, "<BF>". A refused character sends "<BF>"
// and shows "   Transfer " + its code + " Font Error   "; nothing after it goes. All-zero
// records are skipped silently; records that cannot be a user character (a code outside U40
// to U7F or an unknown size letter, possible only through a file) are skipped and named in
// the final notice. The progress bar runs over the list's entries.
struct FontTransferPlan {
  SignPlan plan;
  // For each step, a copy of the character it sends (nothing for "<BE>", "<BF>"): what the
  // transfer tells about comes from the plan, never from the list, which the user may change
  // while it runs.
  std::vector<std::optional<UserFontRecord>> recordOfStep;
  std::vector<std::string> skipped;  // entry texts
};
FontTransferPlan PlanFontTransfer(std::uint8_t signId, const FontList& list);

// "<DU>": the sign goes back to its default font. "  Recall Default Font OK  " ("Over" for ID
// 00), or "   Send Message Error   " when refused.
SignPlan PlanRecallDefaultFont(std::uint8_t signId);

}  // namespace tavrin
