#include "functions/sign_plans.h"

#include <string>
#include <vector>

#include "common/bytes.h"
#include "functions/command_bodies.h"
#include "functions/frame_waits.h"
#include "functions/message_frames.h"
#include "print/raw_print.h"
#include "signlink/sign_frame.h"

namespace tavrin {

namespace {

// The three texts of a command: accepted, refused, and run to its end on ID 00.
struct Texts {
  const char* ok;
  const char* fail;
  const char* over;
};

constexpr Texts kClockTexts{" Set Date&Time OK ", "   Set Date&Time Error   ",
                            " Setting Date&Time is Over"};
constexpr Texts kBrightnessTexts{"  Set Brightness OK  ", "  Set Brightness Error  ",
                                 "  Setting Brightness is Over  "};
constexpr Texts kRunPageTexts{"   Run page Error OK   ", "  Run page Error  ",
                              "   Running page is Over   "};
constexpr Texts kScheduleTexts{"   Send Schedule OK   ", "  Send Schedule Error  ",
                               "   Sending Schedule is Over   "};
constexpr Texts kDeleteScheduleTexts{"   Delete Schedule OK   ", "  Send Message Error  ",
                                     "   Deleting Schedule is Over   "};
constexpr Texts kDeletePageTexts{"   Delete page OK   ", "  Delete Page Error  ",
                                 "   Deleting page is over   "};
constexpr Texts kDeleteAllTexts{"   Delete All OK   ", "    Delete All Error    ",
                                "   Deleting All is Over   "};
constexpr Texts kLinkTexts{"   Link page OK   ", "  Link page Error  ",
                           "   Linking page is over   "};

constexpr const char* kSendMessageError = "   Send Message Error   ";
constexpr const char* kSendGraphicError = "   Send Graphic Error   ";

// When to wait after an accepted frame of a series.
enum class SeriesWait { Always, NotForId00 };

// Frames written one after the other, each judged (not read for ID 00), stopping at the
// first that is not accepted; the end says OK, or "is Over" for ID 00.
SignPlan Series(std::uint8_t signId, const std::vector<std::string>& bodies, int waitMs,
                SeriesWait when, const Texts& texts) {
  SignPlan plan;
  const int wait = (when == SeriesWait::Always || !NeverAnswers(signId)) ? waitMs : 0;
  for (const std::string& body : bodies) {
    plan.steps.push_back({.frame = SignFrame(signId, body),
                          .reply = JudgedUnless00(signId),
                          .waitAfterMs = wait,
                          .failure = NoticeText::Failure(texts.fail)});
  }
  plan.EndFor(signId, texts.ok, texts.over);
  return plan;
}

SignPlan SingleFrame(std::uint8_t signId, const std::string& body, const Texts& texts) {
  return Series(signId, {body}, 0, SeriesWait::Always, texts);
}

SignPlan Summarised(SignPlan plan, std::string summary) {
  plan.summary = std::move(summary);
  return plan;
}

std::string Counted(std::size_t n, const std::string& thing) {
  return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

std::string GraphicCount(std::size_t n) { return n == 0 ? "" : ", " + Counted(n, "graphic"); }

}  // namespace

PlanStep OpenTransferStep(std::uint8_t signId, NoticeText failure) {
  return {.frame = SignFrame(signId, kOpenTransferBody),
          .reply = IgnoredUnless00(signId),
          .waitAfterMs = kWaitAfterOpenTransferMs,
          .failure = std::move(failure)};
}

PlanStep CloseTransferStep(std::uint8_t signId, NoticeText failure) {
  return {.frame = SignFrame(signId, kCloseTransferBody),
          .reply = IgnoredUnless00(signId),
          .waitBeforeMs = kWaitBeforeCloseTransferMs,
          .failure = std::move(failure)};
}

SignPlan PlanSendMessage(const GraphicFolder& graphics, std::string_view line1, char page,
                         std::uint8_t signId) {
  const std::string what = "Send Message to " + SignName(signId) + ", page " + std::string(1, page);
  if (line1.empty()) {
    return Summarised(
        SignPlan::Refuse(NoticeText::Inform(" No Message To Send "), SignOutcome::Invalid), what);
  }
  // Everything is built before the port opens: a graphic that cannot be sent stops the send
  // before the sign has been told that a transfer begins.
  const Result<SendPlan> frames = PlanSend(graphics, line1, page, signId);
  if (!frames) {
    return Summarised(
        SignPlan::Refuse(NoticeText::FileError(frames.ErrorText()), SignOutcome::FileError), what);
  }
  const NoticeText messageError = NoticeText::Failure(kSendMessageError);

  SignPlan plan;
  plan.steps.push_back(OpenTransferStep(signId, messageError));
  plan.steps.push_back({.frame = frames->messageFrame,
                        .reply = JudgedUnless00(signId),
                        .waitAfterMs = kWaitAfterMessageMs,
                        .showsProgress = true,
                        .failure = messageError});
  for (const SendPlan::Graphic& graphic : frames->graphics) {
    for (const std::string& block : graphic.blockFrames) {
      plan.steps.push_back({.frame = block,
                            .reply = JudgedUnless00(signId),
                            .waitAfterMs = kWaitAfterGraphicBlockMs,
                            .failure = NoticeText::Failure(kSendGraphicError)});
    }
  }
  plan.steps.push_back(CloseTransferStep(signId, messageError));
  plan.EndQuietlyFor(signId);
  plan.summary = what + GraphicCount(frames->graphics.size());
  return plan;
}

SignPlan PlanSendViaNetwork(const GraphicFolder& graphics, std::string_view line1, char page,
                            std::uint8_t signId) {
  const Result<SendPlan> frames = PlanSend(graphics, line1, page, signId);
  if (!frames) {
    return SignPlan::Refuse(NoticeText::FileError(frames.ErrorText()), SignOutcome::FileError);
  }
  const auto step = [](const std::string& frame) {
    return PlanStep{.frame = frame,
                    .reply = ReplyPolicy::None,
                    .waitAfterMs = kWaitAfterNetworkFrameMs,
                    .failure = NoticeText::FileError(kPrinterFileErrorText)};
  };
  SignPlan plan;
  plan.summary = "Send via Network to " + SignName(signId) + ", page " + std::string(1, page);
  plan.steps.push_back(step(frames->messageFrame));
  for (const SendPlan::Graphic& graphic : frames->graphics) {
    for (const std::string& block : graphic.blockFrames) plan.steps.push_back(step(block));
  }
  return plan;
}

SignPlan PlanSetSignId(std::uint8_t newId) {
  SignPlan plan;
  plan.question = "         Confirm to reset the ID ?         ";
  plan.steps.push_back({.frame = SetIdFrame(newId),
                        .reply = ReplyPolicy::SetIdEcho,
                        .echoId = newId,
                        .failure = NoticeText::Failure("    Set ID Error    ")});
  plan.done = NoticeText{NoticeKind::Confirmation, NoticeButtons::Yes, "    Set ID OK    ", {}};
  plan.summary = "Set ID " + HexByte(newId);
  return plan;
}

SignPlan PlanSetClock(std::uint8_t signId, std::chrono::year_month_day date,
                      std::string_view timeField) {
  return Summarised(SingleFrame(signId, ClockBody(date, timeField), kClockTexts),
                    "Set Clock of " + SignName(signId));
}

SignPlan PlanSetBrightness(std::uint8_t signId, int levelIndex) {
  const std::string level =
      levelIndex >= 0 && levelIndex < static_cast<int>(kBrightnessLevels.size())
          ? " to " + std::string(kBrightnessLevels[static_cast<std::size_t>(levelIndex)])
          : std::string();
  return Summarised(SingleFrame(signId, BrightnessBody(levelIndex), kBrightnessTexts),
                    "Set Brightness of " + SignName(signId) + level);
}

SignPlan PlanRunPage(std::uint8_t signId, char page) {
  return Summarised(SingleFrame(signId, RunPageBody(page), kRunPageTexts),
                    "Run Page " + std::string(1, page) + " on " + SignName(signId));
}

SignPlan PlanSendSchedules(std::uint8_t signId, const ScheduleList& list) {
  std::vector<std::string> bodies;
  for (std::size_t i = 0; i < list.Entries().size(); ++i) {
    bodies.push_back(ScheduleBody(static_cast<int>(i), list.Entries()[i]));
  }
  return Summarised(
      Series(signId, bodies, kWaitBetweenSchedulesMs, SeriesWait::Always, kScheduleTexts),
      "Send " + Counted(bodies.size(), "schedule") + " to " + SignName(signId));
}

SignPlan PlanDeleteSchedules(std::uint8_t signId, const std::array<bool, 5>& checked) {
  std::vector<std::string> bodies;
  for (int item = 1; item <= 5; ++item) {
    if (checked[item - 1]) bodies.push_back(DeleteScheduleBody(item));
  }
  return Summarised(Series(signId, bodies, 0, SeriesWait::Always, kDeleteScheduleTexts),
                    "Delete " + Counted(bodies.size(), "schedule") + " on " + SignName(signId));
}

SignPlan PlanDeletePages(std::uint8_t signId, const PageTree& tree) {
  std::vector<std::string> bodies;
  for (const auto& [page, line] : tree.LinesToDelete())
    bodies.push_back(DeleteLineBody(line, page));
  return Summarised(
      Series(signId, bodies, kWaitAfterPageDeletionMs, SeriesWait::NotForId00, kDeletePageTexts),
      "Delete " + Counted(bodies.size(), "page line") + " on " + SignName(signId));
}

SignPlan PlanDeleteAll(std::uint8_t signId) {
  return Summarised(SingleFrame(signId, std::string(kDeleteAllBody), kDeleteAllTexts),
                    "Delete All on " + SignName(signId));
}

SignPlan PlanLinkPages(std::uint8_t signId, std::string_view pages) {
  return Summarised(SingleFrame(signId, LinkBody(std::string(pages)), kLinkTexts),
                    "Link pages " + std::string(pages) + " on " + SignName(signId));
}

}  // namespace tavrin
