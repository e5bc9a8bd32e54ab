#include "fonts/font_transfer.h"

#include "common/ascii.h"
#include "common/bytes.h"
#include "signlink/sign_frame.h"

namespace tavrin {

namespace {

constexpr const char* kFontTransferError = "   Transfer Font Error   ";

}  // namespace

int RecordCode(const UserFontRecord& r) {
  const int high = HexDigitValue(static_cast<char>(r.bytes[1]));
  const int low = HexDigitValue(static_cast<char>(r.bytes[2]));
  // "0x" and a lone digit reads as that digit; nothing that reads gives 0x40.
  if (high < 0) return 0x40;
  if (low < 0) return high;
  return high * 16 + low;
}

bool Transferable(const UserFontRecord& r) {
  if (r.AllZero() || r.bytes[0] != 'U' || !SizeOfLetter(r.SizeLetter())) return false;
  if (HexDigitValue(static_cast<char>(r.bytes[1])) < 0 ||
      HexDigitValue(static_cast<char>(r.bytes[2])) < 0) {
    return false;
  }
  const int code = RecordCode(r);
  return code >= kFirstUserCode && code <= kLastUserCode;
}

std::string UserCharacterBody(const UserFontRecord& r) {
  std::string body = "<F";
  body += r.SizeLetter();
  body += HexByte(static_cast<std::uint8_t>(RecordCode(r) - 0x40));
  body += '>';
  body.append(reinterpret_cast<const char*>(r.bytes.data()) + 4, 8);
  return body;
}

FontTransferPlan PlanFontTransfer(std::uint8_t signId, const FontList& list) {
  FontTransferPlan t;
  const NoticeText transferError = NoticeText::ErrorBox(kFontTransferError);
  const PlanStep begin{.frame = SignFrame(signId, "<BE>"),
                       .reply = IgnoredUnless00(signId),
                       .waitAfterMs = kWaitAfterFontBeginMs,
                       .failure = transferError};
  const PlanStep end{.frame = SignFrame(signId, "<BF>"),
                     .reply = IgnoredUnless00(signId),
                     .waitBeforeMs = kWaitBeforeFontEndMs,
                     .failure = transferError};
  t.plan.steps.push_back(begin);
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
  plan.steps.push_back({.frame = SignFrame(signId, "<DU>"),
                        .reply = JudgedUnless00(signId),
                        .failure = NoticeText::Failure("   Send Message Error   ")});
  plan.EndFor(signId, "  Recall Default Font OK  ", "  Recall Default Font Over  ");
  plan.summary = "Recall Default Font on " + SignName(signId);
  return plan;
}

}  // namespace tavrin
