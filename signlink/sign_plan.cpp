#include "signlink/sign_plan.h"

#include "common/bytes.h"

namespace tavrin {

SignPlan SignPlan::Refuse(NoticeText notice, SignOutcome outcome) {
  SignPlan plan;
  plan.refusal = std::move(notice);
  plan.refusalOutcome = outcome;
  return plan;
}

std::string SignName(std::uint8_t signId) { return "sign " + HexByte(signId); }

std::vector<std::string> SignPlan::Frames() const {
  std::vector<std::string> frames;
  frames.reserve(steps.size());
  for (const PlanStep& step : steps) frames.push_back(step.frame);
  return frames;
}

}  // namespace tavrin
