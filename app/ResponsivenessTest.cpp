// Bad input to the windows: each is handled while the windows keep responding, measured as the
// longest gap between two ticks of a fast timer while it is handled.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/Tavrin.h"
#include "fonts/user_font.h"
#include "tests/support/recording_notice_qt.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_link.h"

using namespace tavrin;
using tavrin::testing::ScriptedLink;

namespace {

// The longest time, in ms, that the event loop did not turn while work ran in it, until
// `finished` says the work that went on beside the windows is done too.
qint64 WorstStall(
    const std::function<void()>& work,
    const std::function<bool()>& finished = [] { return true; }) {
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0, worst = 0;
  QTimer tick;
  tick.setInterval(2);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    worst = std::max(worst, now - last);
    last = now;
  });
  tick.start();
  bool done = false;
  QTimer::singleShot(20, [&] {
    work();
    done = true;
  });
  // Work that has not finished within a minute counts as a stall of that minute.
  if (!QTest::qWaitFor([&] { return done && finished(); }, 60000)) return 60000;
  QTest::qWait(20);
  return worst;
}

constexpr qint64 kLongestStallMs = 50;

}  // namespace

class ResponsivenessTest : public QObject {
  Q_OBJECT

 private slots:
  void BadInputKeepsTheWindowsResponding() {
    testing::ScratchFolder home;
    home.Put("Tavrin.INI", "[Sign]\r\nshowform=0\r\n");
    // A message file of 4 MiB of "<".
    home.Put("huge.tvr", std::string(4 * 1024 * 1024, '<'));
    // A graphic of 160 columns.
    std::string wide;
    for (int r = 0; r < 8; ++r) wide += std::string(160, r % 2 ? 'A' : 'E') + "\r\n";
    home.Put("Graphdata/G01.txt", wide);
    // A font file of 192 characters with every dot lit.
    FontList font;
    for (int code = kFirstUserCode; code <= kLastUserCode; ++code) {
      for (const FontSize& size : kFontSizes) {
        const std::size_t at = *font.Add(code, size.text);
        for (std::size_t b = 4; b < kUserFontRecordBytes; ++b) font.At(at).record.bytes[b] = 0xFF;
      }
    }
    QCOMPARE(font.Size(), std::size_t{192});
    QVERIFY(WriteFontFile(home / "full.fon", font));

    TavrinApp app(home.Path());
    testing::RecordingNotice notice;
    ScriptedLink link;
    app.Form1().SetNotice(&notice);
    app.Form1().SetLink(&link);
    app.Form1().show();
    QVERIFY(QTest::qWaitForWindowExposed(&app.Form1()));

    // The message file is refused, and the editor keeps what it had.
    app.Form1().InsertAtCaret("<Red>");
    Status opened;
    bool read = false;
    qint64 stall = WorstStall(
        [&] {
          app.Form1().OpenMessageFile(home / "huge.tvr", [&](Status s) {
            opened = std::move(s);
            read = true;
          });
        },
        [&] { return read; });
    QVERIFY(!opened);
    QVERIFY2(opened.ErrorText().find("4194304 characters") != std::string::npos,
             opened.ErrorText().c_str());
    QCOMPARE(app.Form1().LineText(1), std::string("<Red>"));
    qInfo("longest stall, message file of 4 MiB: %lld ms", static_cast<long long>(stall));
    QVERIFY2(stall <= kLongestStallMs, qPrintable(QString("message file: %1 ms").arg(stall)));

    // The wide graphic opens in the graphic editor.
    app.GraphicForm().Open();
    auto* graphics = app.GraphicForm().findChild<QListWidget*>("ListBox1");
    QVERIFY(graphics->count() >= 1);
    stall = WorstStall([&] { app.GraphicForm().ListBox1MouseUp(graphics->item(0)); });
    qInfo("longest stall, graphic of 160 columns: %lld ms", static_cast<long long>(stall));
    QVERIFY2(stall <= kLongestStallMs, qPrintable(QString("graphic: %1 ms").arg(stall)));

    // The full font file opens in the font maker.
    app.FontMakefrm().Open();
    stall = WorstStall([&] { opened = app.FontMakefrm().OpenFontFile(home / "full.fon"); });
    QVERIFY(opened);
    qInfo("longest stall, 192 full characters: %lld ms", static_cast<long long>(stall));
    QVERIFY2(stall <= kLongestStallMs, qPrintable(QString("font file: %1 ms").arg(stall)));

    // Five schedule entries in 2099, added and sent.
    app.Schedule().Open();
    TScheduleAdd& add = app.ScheduleAdd();
    stall = WorstStall([&] {
      for (int day = 1; day <= 5; ++day) {
        add.PrepareAdd();
        add.findChild<QLineEdit*>("MaskEdit1")->setText(QString("12/0%1/99").arg(day));
        add.findChild<QLineEdit*>("StartMaskEdit")->setText("08:00");
        add.findChild<QLineEdit*>("MaskEdit2")->setText("12/31/99");
        add.findChild<QLineEdit*>("EndMaskEdit")->setText("23:59");
        add.findChild<QLineEdit*>("PageEdit")->setText("ABC");
        add.OKClick();
      }
    });
    QVERIFY2(stall <= kLongestStallMs, qPrintable(QString("schedule entries: %1 ms").arg(stall)));
    stall = WorstStall([&] { app.Schedule().findChild<QPushButton*>("Send")->click(); },
                       [&] { return app.Form1().Road().Idle(); });
    QCOMPARE(link.Writes().size(), std::size_t{5});
    qInfo("longest stall, five schedules of 2099 sent: %lld ms", static_cast<long long>(stall));
    QVERIFY2(stall <= kLongestStallMs, qPrintable(QString("schedule send: %1 ms").arg(stall)));
  }
};

QTEST_MAIN(ResponsivenessTest)
#include "ResponsivenessTest.moc"
