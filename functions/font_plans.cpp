#include "functions/font_plans.h"

#include "functions/command_bodies.h"
#include "functions/frame_waits.h"
#include "functions/sign_plans.h"
#include "signlink/sign_frame.h"

namespace tavrin {

namespace {

constexpr const char* kFontTransferError = "   Transfer Font Error   ";

}  // namespace

FontTransferPlan PlanFontTransfer(std::uint8_t signId, const FontList& list) {
  FontTransferPlan t;
  const NoticeText transferError = NoticeText::ErrorBox(kFontTransferError);
  const PlanStep end = CloseTransferStep(signId, transferError);
  t.plan.steps.push_back(OpenTransferStep(signId, transferError));
  t.recordOfStep.push_back(std::nullopt);
  for (std::size_t i = 0; i < list.Size(); ++i) {
    const FontEntry& entry = list.At(i);
    if (entry.record.AllZero()) continue;
    if (!Transferable(entry.record)) {
      t.skipped.push_back(entry.text);
      continue;
    }
    t.plan.steps.push_back({.frame = SignFrame(signId, UserCharacterBody(entry.record)),
                            .reply = JudgedUnless00(signId),
                            .waitAfterMs = kWaitAfterCharacterMs,
                            .failure = NoticeText::ErrorBox(
                                "   Transfer " + entry.record.CodeText() + " Font Error   "),
                            .advancesProgress = true,
                            .cleanupOnFailure = true});
    t.recordOfStep.push_back(entry.record);
  }
  t.plan.steps.push_back(end);
  t.recordOfStep.push_back(std::nullopt);
  t.plan.cleanup.push_back(end);
  t.plan.progressMaximum = static_cast<int>(list.Size());
  std::string skipped;
  if (!t.skipped.empty()) {
    skipped = "\nNot sent (no such code or size):";
    for (const std::string& text : t.skipped) skipped += " " + text;
  }
  t.plan.EndFor(signId, "      Transfer Font OK      " + skipped,
                "      Transfer Font Over      " + skipped);
  const std::size_t characters = t.plan.steps.size() - 2;
  t.plan.summary = "Transfer " + std::to_string(characters) +
                   (characters == 1 ? " character" : " characters") + " to " + SignName(signId);
  return t;
}

SignPlan PlanRecallDefaultFont(std::uint8_t signId) {
  SignPlan plan;
  plan.steps.push_back({.frame = SignFrame(signId, kRecallDefaultFontBody),
                        .reply = JudgedUnless00(signId),
                        .failure = NoticeText::Failure("   Send Message Error   ")});
  plan.EndFor(signId, "  Recall Default Font OK  ", "  Recall Default Font Over  ");
  plan.summary = "Recall Default Font on " + SignName(signId);
  return plan;
}

}  // namespace tavrin
