// Sign commands run beside the windows, in real time, against stand-in signs on
// pseudo-terminals: a modal dialog held open meanwhile slows none of them, what a command
// sends is fixed when it starts, the time it reports leaves out the user's reading of the
// notice, and quitting while one runs stops it between two frames.
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "app/Tavrin.h"
#include "functions/font_plans.h"
#include "functions/sign_plans.h"
#include "tests/support/pty_peer.h"
#include "tests/support/recording_notice_qt.h"
#include "tests/support/road_qt.h"
#include "tests/support/scratch_folder.h"

using namespace tavrin;
using Clock = std::chrono::steady_clock;

namespace {

qint64 MsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

// A sign on a pseudo-terminal that answers as told and notes when each frame arrived.
class TimedSign {
 public:
  using Answer = std::function<std::string(const std::string& frame)>;
  explicit TimedSign(Answer answer)
      : m_answer(std::move(answer)), m_peer([this](const std::string& frame) {
          {
            const std::lock_guard lock(m_mutex);
            m_arrivals.push_back(Clock::now());
          }
          return m_answer(frame);
        }) {}
  const std::string& Device() const { return m_peer.Device(); }
  std::vector<std::string> Frames() { return m_peer.Frames(); }
  std::vector<Clock::time_point> Arrivals() {
    const std::lock_guard lock(m_mutex);
    return m_arrivals;
  }

  // "ACK" after the given delay; silence for frames holding `silentFor`.
  static Answer After(int delayMs, const std::string& silentFor = "\x01") {
    return [=](const std::string& frame) {
      if (frame.find(silentFor) != std::string::npos) return std::string();
      std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
      return std::string("ACK");
    };
  }

 private:
  Answer m_answer;
  std::mutex m_mutex;
  std::vector<Clock::time_point> m_arrivals;
  testing::PtyPeer m_peer;
};

// Notices with the moment each came.
class TimedNotice : public testing::RecordingNotice {
 public:
  std::vector<Clock::time_point> when;
  NoticeAnswer ShowNotice(const NoticeText& notice) override {
    when.push_back(Clock::now());
    return RecordingNotice::ShowNotice(notice);
  }
};

// The program with its COM1 on a sign of the test's.
struct Program {
  // `signs`: the sign list, when the program has one.
  explicit Program(TimedSign& sign, const std::string& signs = {}) {
    home.Put("Tavrin.INI",
             "[Sign]\r\nshowform=0\r\ncomport=1\r\n[Ports]\r\nCOM1=" + sign.Device() + "\r\n");
    if (!signs.empty()) home.Put("Tavrin.signs", signs);
    app = std::make_unique<TavrinApp>(home.Path());
    app->Form1().SetNotice(&notice);
  }
  QString Status() { return app->Form1().findChild<QLabel*>("StatusMessage")->text(); }

  testing::ScratchFolder home;
  TimedNotice notice;
  std::unique_ptr<TavrinApp> app;
};

// Characters A, B, ... in the 5x7 size, each with a dot of its own.
void AddCharacters(FontList& fonts, int count) {
  for (int code = kFirstUserCode + 1; code <= kFirstUserCode + count; ++code) {
    FontEntry& entry = fonts.At(*fonts.Add(code, "5x7"));
    for (std::size_t i = 0; i < 3; ++i) entry.record.bytes[i] = entry.text[i];
    entry.record.bytes[3] = 'A';
    entry.record.bytes[4] = static_cast<std::uint8_t>(code);
  }
}

void AddSchedules(ScheduleList& list, int count) {
  for (int day = 1; day <= count; ++day) {
    QVERIFY(list.Add(
        *MakeScheduleEntry("05/1" + std::to_string(day) + "/08 08:00", "05/31/08 18:30", "AB")));
  }
}

}  // namespace

class CommandsBesideTheWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  // Five commands on five links start together; a modal dialog opens 200 ms later and stays
  // open until every one of them has ended. Each ends when the sign makes it end, in real
  // time: the silent ones after three read time-outs, the answering ones with their waits.
  void AModalDialogStallsNoCommand() {
    TimedSign silentSchedule(TimedSign::After(0, "<T"));
    TimedSign silentMessage(TimedSign::After(0, "<L1>"));
    TimedSign silentLink(TimedSign::After(0, "<T"));
    TimedSign slowSchedule(TimedSign::After(300));
    TimedSign slowTransfer(TimedSign::After(50));
    Program schedule(silentSchedule), message(silentMessage), link(silentLink),
        schedules(slowSchedule), transfer(slowTransfer);

    AddSchedules(schedule.app->AppWorkspace().Schedules(), 1);
    schedule.app->Schedule().findChild<QComboBox*>("ComboBox1")->setCurrentIndex(1);
    message.app->Form1().InsertAtCaret("Hi");
    message.app->SetID().PreparePanel(TSetID::Panel::SendMessage);
    message.app->SetID().findChild<QComboBox*>("ComboBox5")->setCurrentIndex(1);
    link.app->Linkpagefrm().findChild<QComboBox*>("ComboBox1")->setCurrentIndex(1);
    link.app->Linkpagefrm().findChild<QLineEdit*>("Edit1")->setText("AB");
    AddSchedules(schedules.app->AppWorkspace().Schedules(), 5);
    schedules.app->Schedule().findChild<QComboBox*>("ComboBox1")->setCurrentIndex(1);
    AddCharacters(transfer.app->AppWorkspace().Fonts(), 8);
    transfer.app->Deletefrm().ShowTransferPanel();
    transfer.app->Deletefrm().findChild<QComboBox*>("ComboBox4")->setCurrentIndex(1);

    std::vector<Program*> programs{&schedule, &message, &link, &schedules, &transfer};
    const auto allEnded = [&] {
      return std::all_of(programs.begin(), programs.end(),
                         [](Program* p) { return p->app->Form1().Road().Idle(); });
    };
    QDialog blocker(&schedule.app->Form1());
    blocker.setModal(true);
    bool blockerUp = false, endedBehindIt = false;
    QTimer::singleShot(200, [&] {
      QTimer watch;
      QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!allEnded()) return;
        QCoreApplication::sendPostedEvents();
        endedBehindIt = true;
        blocker.accept();
      });
      watch.start(10);
      // Closed in any case after 15 s: the commands would have stalled behind it.
      QTimer::singleShot(15000, &blocker, &QDialog::reject);
      blockerUp = true;
      blocker.exec();
    });

    const Clock::time_point start = Clock::now();
    schedule.app->Schedule().findChild<QPushButton*>("Send")->click();
    message.app->SetID().findChild<QPushButton*>("SendMessButton")->click();
    link.app->Linkpagefrm().findChild<QPushButton*>("OK")->click();
    schedules.app->Schedule().findChild<QPushButton*>("Send")->click();
    transfer.app->Deletefrm().findChild<QPushButton*>("TransFont")->click();
    QTRY_VERIFY_WITH_TIMEOUT(blockerUp && !blocker.isVisible(), 20000);
    QVERIFY2(endedBehindIt, "the commands did not end while the dialog was up");

    // The verdicts of the silent signs: three read time-outs of 1.1 s after the frame.
    const std::pair<Program*, QString> silent[] = {{&schedule, "  Send Schedule Error  "},
                                                   {&message, "   Send Message Error   "},
                                                   {&link, "  Link page Error  "}};
    for (const auto& [program, text] : silent) {
      QCOMPARE(program->notice.shown, QStringList{text});
      const qint64 ms = MsBetween(start, program->notice.when.front());
      qInfo("verdict \"%s\" after %lld ms", qPrintable(text.trimmed()), ms);
      QVERIFY2(ms >= 3200 && ms < 5000, qPrintable(text + QString(": %1 ms").arg(ms)));
    }
    QCOMPARE(schedules.notice.shown, QStringList{"   Send Schedule OK   "});
    QCOMPARE(transfer.notice.shown, QStringList{"      Transfer Font OK      "});
    QCOMPARE(slowTransfer.Frames().size(), 10u);

    // Between two schedule entries: the sign's 300 ms, then the program's 70 ms wait.
    const std::vector<Clock::time_point> arrivals = slowSchedule.Arrivals();
    QCOMPARE(arrivals.size(), 5u);
    for (std::size_t i = 1; i < arrivals.size(); ++i) {
      const qint64 gap = MsBetween(arrivals[i - 1], arrivals[i]);
      qInfo("schedule entry %zu came %lld ms after the one before", i + 1, gap);
      QVERIFY2(gap >= 370 && gap < 1000, qPrintable(QString("gap %1 ms").arg(gap)));
    }
  }

  // What a command sends is fixed when it starts: Line 1, the graphic it shows and the font
  // list changed meanwhile change nothing on the way.
  void ACommandSendsWhatThereWasWhenItStarted() {
    TimedSign sign(TimedSign::After(150));
    Program p(sign);
    std::string red, green;
    for (int r = 0; r < 7; ++r) {
      red += std::string(32, 'A') + "\r\n";
      green += std::string(32, 'D') + "\r\n";
    }
    p.home.Put("Graphdata/G01.txt", red);
    p.app->Form1().InsertAtCaret("Hi<Pic:G01>");
    p.app->SetID().PreparePanel(TSetID::Panel::SendMessage);
    p.app->SetID().findChild<QComboBox*>("ComboBox5")->setCurrentIndex(1);
    const SignPlan expected =
        PlanSendMessage(p.app->AppWorkspace().Graphics(), "Hi<Pic:G01>", 'A', 1);
    p.app->SetID().findChild<QPushButton*>("SendMessButton")->click();
    // While the sign takes its time over "<BE>": another line, another graphic.
    p.notice.saveAnswers = {NoticeAnswer::Discard};
    p.app->Form1().NewClick();
    p.app->Form1().InsertAtCaret("Bye");
    p.home.Put("Graphdata/G01.txt", green);
    QVERIFY(testing::Settle(p.app->Form1().Road()));
    QCOMPARE(sign.Frames(), expected.Frames());
  }

  // The status line's time runs from the start to the port's close: an end notice left up
  // for a while is not in it. Cancel on the dialog of a running command lets it go on, and
  // its notice comes all the same.
  void TheTimeLeavesOutTheNoticeAndCancelLetsTheCommandGoOn() {
    TimedSign sign(TimedSign::After(100));
    Program p(sign);
    AddSchedules(p.app->AppWorkspace().Schedules(), 1);
    TSchedule& window = p.app->Schedule();
    window.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(1);
    p.notice.whileShown = [] { std::this_thread::sleep_for(std::chrono::milliseconds(1500)); };
    window.Open();
    window.findChild<QPushButton*>("Send")->click();
    window.reject();
    QVERIFY(testing::Settle(p.app->Form1().Road()));
    QCOMPARE(p.notice.shown, QStringList{"   Send Schedule OK   "});
    QVERIFY2(p.Status().contains("done in 0."), qPrintable(p.Status()));
  }

  // Quitting while a command runs asks first. No: it goes on to its end. Yes: it stops at the
  // next frame boundary, the transfer it opened is closed, the port too, and the window goes.
  void QuittingWhileACommandRuns() {
    for (const bool quit : {false, true}) {
      TimedSign sign(TimedSign::After(60));
      Program p(sign);
      p.notice.answer = quit ? NoticeAnswer::Yes : NoticeAnswer::No;
      AddCharacters(p.app->AppWorkspace().Fonts(), 12);
      TForm1& main = p.app->Form1();
      main.show();
      QVERIFY(QTest::qWaitForWindowExposed(&main));
      p.app->Deletefrm().ShowTransferPanel();
      p.app->Deletefrm().findChild<QComboBox*>("ComboBox4")->setCurrentIndex(1);
      p.app->Deletefrm().findChild<QPushButton*>("TransFont")->click();
      QTRY_VERIFY(sign.Frames().size() >= 3);
      main.close();
      QVERIFY(testing::Settle(main.Road()));
      QTRY_COMPARE(main.isVisible(), !quit);
      QCOMPARE(p.notice.shown.front(),
               QString("A command is still talking to the sign. Quit anyway?"));
      const std::vector<std::string> frames = sign.Frames();
      QCOMPARE(frames.back(), std::string("<ID01><BF>06<E>"));
      if (quit) {
        QVERIFY2(frames.size() < 14u, qPrintable(QString::number(frames.size())));
        QCOMPARE(p.notice.shown.size(), 1);  // nothing more is said
        QVERIFY2(p.Status().contains("stopped after"), qPrintable(p.Status()));
      } else {
        QCOMPARE(frames.size(), 14u);
        QCOMPARE(p.notice.shown.back(), QString("      Transfer Font OK      "));
      }
    }
  }

  // The same for a command on the road of a sign of the list, not on the settings' port: the
  // question comes, and Yes stops it between two frames before the window goes.
  void QuittingWhileASignOfTheListIsSentTo() {
    for (const bool quit : {false, true}) {
      TimedSign idle(TimedSign::After(0));
      TimedSign sign(TimedSign::After(60));
      Program p(idle, "Counter = " + sign.Device() + ", 01, 3, 128\r\n");
      p.notice.answer = quit ? NoticeAnswer::Yes : NoticeAnswer::No;
      AddCharacters(p.app->AppWorkspace().Fonts(), 12);
      TForm1& main = p.app->Form1();
      main.show();
      QVERIFY(QTest::qWaitForWindowExposed(&main));
      p.app->Deletefrm().ShowTransferPanel();
      auto* target = p.app->Deletefrm()
                         .findChild<QWidget*>("TransferFontPanel")
                         ->findChild<SignTargetChooser*>();
      target->ChooseSign("Counter");
      p.app->Deletefrm().findChild<QPushButton*>("TransFont")->click();
      QTRY_VERIFY(sign.Frames().size() >= 3);
      QVERIFY(main.Road().Idle());
      main.close();
      QTRY_COMPARE(main.isVisible(), !quit);
      QCOMPARE(p.notice.shown.front(),
               QString("A command is still talking to the sign. Quit anyway?"));
      QTRY_COMPARE(sign.Frames().back(), std::string("<ID01><BF>06<E>"));
      QVERIFY(idle.Frames().empty());
      if (quit) {
        QVERIFY2(sign.Frames().size() < 14u, qPrintable(QString::number(sign.Frames().size())));
      } else {
        QTRY_COMPARE(p.notice.shown.back(), QString("      Transfer Font OK      "));
        QCOMPARE(sign.Frames().size(), 14u);
      }
    }
  }
};

QTEST_MAIN(CommandsBesideTheWindowsTest)
#include "CommandsBesideTheWindowsTest.moc"
