#include "functions/sign_functions.h"

#include <vector>

#include "functions/message_frames.h"
#include "signlink/sign_frame.h"

namespace tavrin {

namespace {

constexpr const char* kOpenComError = " Open Com Error ";

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

bool OpenPort(SignSession& s) {
  if (s.link.OpenLink(s.portNumber, kSignBaud)) return true;
  s.notice.Err(kOpenComError);
  return false;
}

// Closes the port, then tells the user how the command ended. The port is closed first so
// that it is not held while a message box waits for the user.
SignOutcome Finish(SignSession& s, std::uint8_t signId, bool accepted, const Texts& texts) {
  s.link.CloseLink();
  if (!accepted) {
    s.notice.Fail(texts.fail);
    return SignOutcome::Refused;
  }
  if (signId == 0) {
    s.notice.Inform(texts.over);
    return SignOutcome::Over;
  }
  s.notice.Inform(texts.ok);
  return SignOutcome::Accepted;
}

// When to wait after an accepted frame of a series.
enum class SeriesWait { Always, NotForId00 };

// Writes the bodies one after the other, stopping at the first that is not accepted, with
// the given wait after each accepted one.
SignOutcome Series(SignSession& s, std::uint8_t signId, const std::vector<std::string>& bodies,
                   int waitMs, SeriesWait when, const Texts& texts) {
  if (!OpenPort(s)) return SignOutcome::PortError;
  for (const std::string& body : bodies) {
    if (!WriteFrameAndJudge(s.link, signId, SignFrame(signId, body))) {
      return Finish(s, signId, false, texts);
    }
    if (waitMs > 0 && (when == SeriesWait::Always || signId != 0)) s.waiter.WaitMs(waitMs);
  }
  return Finish(s, signId, true, texts);
}

SignOutcome SingleFrame(SignSession& s, std::uint8_t signId, const std::string& body,
                        const Texts& texts) {
  return Series(s, signId, {body}, 0, SeriesWait::Always, texts);
}

// Writes a frame whose reply, if any, is read and then ignored.
void WriteIgnoringReply(SignLink& link, std::uint8_t signId, const std::string& frame) {
  link.Write(frame);
  if (signId != 0) ReadAck(link);
}

}  // namespace

SignOutcome SendMessage(SignSession& s, std::string_view line1, const GraphicFolder& graphics,
                        char page, std::uint8_t signId) {
  if (line1.empty()) {
    s.notice.Inform(" No Message To Send ");
    return SignOutcome::Invalid;
  }
  // Everything is built before the port opens: a graphic that cannot be sent stops the send
  // before the sign has been told that a transfer begins.
  const Result<SendPlan> plan = PlanSend(graphics, line1, page, signId);
  if (!plan) {
    s.notice.Show(NoticeKind::Error, NoticeButtons::Ok, plan.ErrorText());
    return SignOutcome::FileError;
  }
  if (!OpenPort(s)) return SignOutcome::PortError;

  WriteIgnoringReply(s.link, signId, plan->openFrame);
  s.waiter.WaitMs(kWaitAfterOpenTransferMs);

  // The bar advances once for every even byte about to be written, up to half the frame.
  const std::size_t frameSize = plan->messageFrame.size();
  auto setProgress = [&s](int position) {
    if (s.progress != nullptr) s.progress->SetPosition(position);
  };
  if (s.progress != nullptr) s.progress->SetMaximum(static_cast<int>(frameSize / 2));
  const SignLink::WriteProgress progress = [&](std::size_t written) {
    const std::size_t next = written < frameSize ? written + 1 : frameSize;
    setProgress(static_cast<int>(next / 2));
  };
  if (!WriteFrameAndJudge(s.link, signId, plan->messageFrame, progress)) {
    s.link.CloseLink();
    setProgress(0);
    s.notice.Fail("   Send Message Error   ");
    return SignOutcome::Refused;
  }
  s.waiter.WaitMs(kWaitAfterMessageMs);
  setProgress(0);

  for (const SendPlan::Graphic& graphic : plan->graphics) {
    for (const std::string& frame : graphic.blockFrames) {
      if (!WriteFrameAndJudge(s.link, signId, frame)) {
        s.link.CloseLink();
        s.notice.Fail("   Send Graphic Error   ");
        return SignOutcome::Refused;
      }
      s.waiter.WaitMs(kWaitAfterGraphicBlockMs);
    }
  }

  s.waiter.WaitMs(kWaitBeforeCloseTransferMs);
  WriteIgnoringReply(s.link, signId, plan->closeFrame);
  s.link.CloseLink();
  return signId == 0 ? SignOutcome::Over : SignOutcome::Accepted;
}

SignOutcome SetSignId(SignSession& s, std::uint8_t newId) {
  if (!s.notice.Ask("         Confirm to reset the ID ?         ")) return SignOutcome::Cancelled;
  if (!OpenPort(s)) return SignOutcome::PortError;
  const bool written = s.link.Write(SetIdFrame(newId));
  std::uint8_t first = 0, second = 0;
  if (written) {
    s.link.ReadByte(first);
    s.link.ReadByte(second);
  }
  s.link.CloseLink();
  if (written && SetIdEchoAccepted(newId, first, second)) {
    s.notice.Show(NoticeKind::Confirmation, NoticeButtons::Yes, "    Set ID OK    ");
    return SignOutcome::Accepted;
  }
  s.notice.Fail("    Set ID Error    ");
  return SignOutcome::Refused;
}

SignOutcome SetClock(SignSession& s, std::uint8_t signId, std::chrono::year_month_day date,
                     std::string_view timeField) {
  return SingleFrame(s, signId, ClockBody(date, timeField), kClockTexts);
}

SignOutcome SetBrightness(SignSession& s, std::uint8_t signId, int levelIndex) {
  return SingleFrame(s, signId, BrightnessBody(levelIndex), kBrightnessTexts);
}

SignOutcome RunPage(SignSession& s, std::uint8_t signId, char page) {
  return SingleFrame(s, signId, RunPageBody(page), kRunPageTexts);
}

SignOutcome SendSchedules(SignSession& s, std::uint8_t signId, const ScheduleList& list) {
  std::vector<std::string> bodies;
  for (std::size_t i = 0; i < list.Entries().size(); ++i) {
    bodies.push_back(ScheduleBody(static_cast<int>(i), list.Entries()[i]));
  }
  return Series(s, signId, bodies, kWaitBetweenSchedulesMs, SeriesWait::Always, kScheduleTexts);
}

SignOutcome DeleteSchedules(SignSession& s, std::uint8_t signId,
                            const std::array<bool, 5>& checked) {
  std::vector<std::string> bodies;
  for (int item = 1; item <= 5; ++item) {
    if (checked[item - 1]) bodies.push_back(DeleteScheduleBody(item));
  }
  return Series(s, signId, bodies, 0, SeriesWait::Always, kDeleteScheduleTexts);
}

SignOutcome DeletePages(SignSession& s, std::uint8_t signId, const PageTree& tree) {
  std::vector<std::string> bodies;
  for (const auto& [page, line] : tree.LinesToDelete())
    bodies.push_back(DeleteLineBody(line, page));
  return Series(s, signId, bodies, kWaitAfterPageDeletionMs, SeriesWait::NotForId00,
                kDeletePageTexts);
}

SignOutcome DeleteAll(SignSession& s, std::uint8_t signId) {
  return SingleFrame(s, signId, std::string(kDeleteAllBody), kDeleteAllTexts);
}

SignOutcome LinkPages(SignSession& s, std::uint8_t signId, std::string_view pages) {
  return SingleFrame(s, signId, LinkBody(std::string(pages)), kLinkTexts);
}

}  // namespace tavrin
