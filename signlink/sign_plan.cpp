#include "signlink/sign_plan.h"

#include "common/bytes.h"

namespace tavrin {

SignPlan SignPlan::Refuse(NoticeText notice, SignOutcome outcome) {
  SignPlan plan;
  plan.refusal = std::move(notice);
  plan.refusalOutcome = outcome;
  return plan;
}

void SignPlan::EndFor(std::uint8_t signId, std::string okText, std::string overText) {
  done = NoticeText::Inform(NeverAnswers(signId) ? std::move(overText) : std::move(okText));
  EndQuietlyFor(signId);
}

void SignPlan::EndQuietlyFor(std::uint8_t signId) {
  doneOutcome = NeverAnswers(signId) ? SignOutcome::Over : SignOutcome::Accepted;
}

std::string SignName(std::uint8_t signId) { return "sign " + HexByte(signId); }

std::vector<std::string> SignPlan::Frames() const {
  std::vector<std::string> frames;
  frames.reserve(steps.size());
  for (const PlanStep& step : steps) frames.push_back(step.frame);
  return frames;
}

}  // namespace tavrin
