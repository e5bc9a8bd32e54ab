// Every sign command against the virtual sign with every fault at every frame of its series:
// a refusal, silence, half an answer, garbage, an answer after the time-out, a hang-up. The
// cases come from the plans themselves; for each the link ends closed, the confirming button
// enabled, the notice is the one the plan names for that place, and the sign gets no frame
// after the one that ended the series (but the clean-up a plan asks for).
#include <QPushButton>
#include <QTest>

#include "functions/font_plans.h"
#include "functions/sign_plans.h"
#include "signlink/sign_frame.h"
#include "tests/support/in_process_sign.h"
#include "tests/support/recording_notice_qt.h"
#include "tests/support/road_qt.h"
#include "tests/support/scratch_folder.h"
#include "ui/command_runner.h"

using namespace tavrin;

namespace {

enum class Fault { Refuse, Silence, Partial, Garbage, Late, HangUp };
constexpr Fault kFaults[] = {Fault::Refuse,  Fault::Silence, Fault::Partial,
                             Fault::Garbage, Fault::Late,    Fault::HangUp};
const char* Name(Fault f) {
  static const char* names[] = {"refusal", "silence", "partial", "garbage", "late", "hang-up"};
  return names[static_cast<int>(f)];
}

struct Command {
  const char* name;
  SignPlan plan;
};

std::vector<Command> Commands(const GraphicFolder& graphics) {
  constexpr std::uint8_t id = 1;
  ScheduleList schedules;
  for (const char* day : {"05/12/08", "05/13/08", "05/14/08"}) {
    if (!schedules.Add(*MakeScheduleEntry(std::string(day) + " 08:00", "05/31/08 18:30", "AB")))
      qFatal("a schedule entry of the matrix was refused");
  }
  PageTree pages;
  pages.Toggle(0, 0);
  pages.Toggle(2, 2);
  FontList font;
  for (const int code : {0x41, 0x42, 0x43}) {
    const std::size_t at = *font.Add(code, "5x7");
    font.At(at).record.SetDot(1, 1, 5, true);
  }
  return {
      {"send message", PlanSendMessage(graphics, "Hi<Pic:G01><Pic:G02>", 'B', id)},
      {"set id", PlanSetSignId(0x2A)},
      {"clock",
       PlanSetClock(id, std::chrono::year_month_day{std::chrono::year{2026} / 12 / 7}, "10:20:30")},
      {"brightness", PlanSetBrightness(id, 1)},
      {"run page", PlanRunPage(id, 'C')},
      {"schedules", PlanSendSchedules(id, schedules)},
      {"delete schedules", PlanDeleteSchedules(id, {true, false, true, false, false})},
      {"delete pages", PlanDeletePages(id, pages)},
      {"delete all", PlanDeleteAll(id)},
      {"link", PlanLinkPages(id, "ABC")},
      {"font transfer", PlanFontTransfer(id, font).plan},
      {"recall font", PlanRecallDefaultFont(id)},
  };
}

bool Judged(const PlanStep& step) {
  return step.reply == ReplyPolicy::Judge || step.reply == ReplyPolicy::SetIdEcho;
}

// What a fault at frame n (from 1) must lead to: how many frames the sign gets, and the text
// of the last notice.
struct Expected {
  int frames;
  std::string notice;
};

Expected Expect(const SignPlan& plan, Fault fault, int n) {
  const auto stopAt = [&](std::size_t k, bool received) {
    const PlanStep& step = plan.steps[k];
    int frames = static_cast<int>(k) + (received ? 1 : 0);
    // Clean-up frames go out, unless the sign has hung up.
    if (step.cleanupOnFailure && fault != Fault::HangUp) {
      frames += static_cast<int>(plan.cleanup.size());
    }
    return Expected{frames, step.failure.text};
  };
  Expected completed{static_cast<int>(plan.steps.size()),
                     plan.done ? plan.done->text : std::string()};
  const std::size_t k = static_cast<std::size_t>(n - 1);
  if (fault == Fault::HangUp) {
    // The sign answers frame n, then the next frame cannot be written.
    return k + 1 < plan.steps.size() ? stopAt(k + 1, false) : completed;
  }
  if (Judged(plan.steps[k])) return stopAt(k, true);
  if (fault == Fault::Late) {
    // A late answer to a frame whose answer is only read leaves its last byte for the next
    // judged frame, which then reads no "ACK".
    for (std::size_t j = k + 1; j < plan.steps.size(); ++j) {
      if (Judged(plan.steps[j])) return stopAt(j, true);
    }
  }
  return completed;
}

}  // namespace

class FaultMatrixTest : public QObject {
  Q_OBJECT

 private slots:
  void EveryFaultAtEveryFrameOfEveryCommand() {
    testing::ScratchFolder home;
    GraphicFolder graphics(home.Path());
    QVERIFY(graphics.Write("G01", GraphicRows(8, std::string(64, 'A'))));  // two blocks
    QVERIFY(graphics.Write("G02", GraphicRows(7, std::string(32, 'D'))));
    QPushButton button("OK");
    int cases = 0;
    for (const Command& command : Commands(graphics)) {
      const SignPlan& plan = command.plan;
      QVERIFY2(!plan.refusal, command.name);
      const int frames = static_cast<int>(plan.steps.size());
      for (const Fault fault : kFaults) {
        for (int n = 1; n <= frames; ++n) {
          vsign::FaultPlan faults;
          std::set<int> late;
          switch (fault) {
            case Fault::Refuse:
              faults.refuse = {n};
              break;
            case Fault::Silence:
              faults.silent = {n};
              break;
            case Fault::Partial:
              faults.partial = {n};
              break;
            case Fault::Garbage:
              faults.garbage = {n};
              break;
            case Fault::Late:
              late = {n};
              break;
            case Fault::HangUp:
              faults.dropAfter = n;
              break;
          }
          testing::InProcessSignLink link(1, faults, late, kReadTimeoutMs + 400);
          testing::RecordingNotice notice;
          SignRoad road(link, &link);
          StartCommand(road, notice, plan, {&button, &button, {}, {}, {}, {}});
          QVERIFY(testing::Settle(road));

          const QString where = QString("%1, %2 at frame %3 of %4")
                                    .arg(command.name)
                                    .arg(Name(fault))
                                    .arg(n)
                                    .arg(frames);
          const Expected expected = Expect(plan, fault, n);
          QVERIFY2(!link.IsOpen(), qPrintable(where + ": the link is still open"));
          QVERIFY2(button.isEnabled(), qPrintable(where + ": the button stays disabled"));
          // A send that went through says nothing; everything else ends with its notice.
          const QString said = notice.shown.isEmpty() ? QString() : notice.shown.last();
          QVERIFY2(said == QString::fromStdString(expected.notice),
                   qPrintable(where + ": said \"" + said + "\", not \"" +
                              QString::fromStdString(expected.notice) + "\""));
          QVERIFY2(link.FramesReceived() == expected.frames,
                   qPrintable(where + QString(": the sign got %1 frames, not %2")
                                          .arg(link.FramesReceived())
                                          .arg(expected.frames)));
          ++cases;
        }
      }
    }
    qInfo("%d fault cases", cases);
    QVERIFY(cases >= 100);
  }
};

QTEST_MAIN(FaultMatrixTest)
#include "FaultMatrixTest.moc"
