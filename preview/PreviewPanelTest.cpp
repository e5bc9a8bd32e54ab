#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "editor/Unit1.h"
#include "preview/preview_panel.h"
#include "tests/support/main_window_qt.h"
#include "tests/support/recording_notice_qt.h"
#include "tests/support/scratch_folder.h"

using namespace tavrin;

namespace {

// A key that takes this long is felt (a frame of the screen is 16 ms): an order of magnitude,
// so that a busy machine does not fail the test.
constexpr qint64 kSlowKeyMs = 160;

// The pixel at the middle of a dot.
QPoint Middle(const QRectF& dot) {
  return {static_cast<int>(std::floor(dot.center().x())),
          static_cast<int>(std::floor(dot.center().y()))};
}

struct Window {
  explicit Window(testing::ScratchFolder& home)
      : workspace(home.Path()), form1(home.Path(), testing::ViewOf(workspace)) {
    form1.SetNotice(&notice);
    panel = new PreviewPanel(form1, [this] { return &font; });
    form1.SetPreviewPanel(panel);
  }
  template <class T>
  T* In(const char* name) {
    T* child = form1.findChild<T*>(name);
    if (child == nullptr) qFatal("no %s", name);
    return child;
  }
  // The picture the panel shows now.
  preview::LedFrame Shown() { return In<LedView>("LedView")->Frame(); }

  testing::RecordingNotice notice;
  FontList font;
  Workspace workspace;
  TForm1 form1;
  PreviewPanel* panel = nullptr;
};

}  // namespace

class PreviewPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void FollowsTypingAtOnceAndWarns() {
    testing::ScratchFolder home;
    Window w(home);
    w.form1.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form1));
    w.form1.Line1Editor()->setFocus();
    // Every key shows its character at once: the panel shows the line as held.
    qint64 slowest = 0;
    QElapsedTimer clock;
    for (const char c : std::string("Hello, sign")) {
      clock.restart();
      QTest::keyClick(w.form1.Line1Editor(), c);
      slowest = std::max(slowest, clock.elapsed());
    }
    const preview::LedFrame hello = w.Shown();
    const GraphicFolder graphics(home.Path());
    const preview::Preview expected =
        preview::MakePreview("Hello, sign", graphics, nullptr, 128, 0);
    QCOMPARE(hello, expected.animation.hold.front().Frame());
    // Loosely: bench/preview_panel_bench measures the key itself.
    qInfo("slowest key with the preview: %lld ms", static_cast<long long>(slowest));
    QVERIFY2(slowest < kSlowKeyMs, qPrintable(QString::number(slowest)));

    // A whole line of 210 characters with two graphics still types at 20 keys a second.
    std::string g01;
    for (int r = 0; r < 8; ++r) g01 += std::string(64, 'E') + "\r\n";
    home.Put("Graphdata/G01.txt", g01);
    home.Put("Graphdata/G02.txt", g01);
    w.form1.InsertAtCaret("<Pic:G01><Pic:G02>");
    w.form1.Line1Editor()->insertPlainText(QString(170, 'x'));
    slowest = 0;
    for (int i = 0; i < 20; ++i) {
      clock.restart();
      QTest::keyClick(w.form1.Line1Editor(), Qt::Key_Backspace);
      slowest = std::max(slowest, clock.elapsed());
    }
    qInfo("slowest key on a full line with two graphics: %lld ms", static_cast<long long>(slowest));
    QVERIFY2(slowest < kSlowKeyMs, qPrintable(QString::number(slowest)));

    // What will not show as typed is said under the sign.
    QTest::keyClicks(w.form1.Line1Editor(), "<Purple>");
    QVERIFY(w.In<QLabel>("PreviewWarnings")->text().contains("<Purple> is no display tag"));
    w.notice.saveAnswers = {NoticeAnswer::Discard};
    w.form1.NewClick();
    QVERIFY(w.In<QLabel>("PreviewWarnings")->text().isEmpty());
    QVERIFY(w.Shown().Blank());
  }

  void PlaysPausesAndKeepsItsChoices() {
    testing::ScratchFolder home;
    {
      Window w(home);
      w.form1.show();
      w.form1.InsertAtCaret("<Curtain Down>");
      w.form1.Line1Editor()->insertPlainText("Hi");
      QVERIFY(w.panel->Playing());
      // Playing, the curtain comes down again after the hold and the exit.
      QTRY_VERIFY_WITH_TIMEOUT(w.Shown().Blank(), 5000);
      w.In<QPushButton>("PlayButton")->click();
      QVERIFY(!w.panel->Playing());
      QCOMPARE(w.In<QPushButton>("PlayButton")->text(), QString("Play"));
      QCOMPARE(w.Shown(), w.panel->Current().animation.hold.front().Frame());

      // The sign's width and whether the panel shows are kept in the settings file.
      w.In<QComboBox>("SignWidth")->setCurrentIndex(1);
      QCOMPARE(w.Shown().width, 96);
      QVERIFY(w.In<QDockWidget>("PreviewDock")->isVisible());
      w.In<QPushButton>("PlayButton")->click();
      QVERIFY(w.panel->Playing());
      QVERIFY(w.panel->findChild<QTimer*>("PlayTimer")->isActive());
      w.In<QAction>("Preview1")->trigger();
      QVERIFY(!w.In<QDockWidget>("PreviewDock")->isVisible());
      // Hidden, it does not play on: nothing wakes the program for a picture nobody sees.
      QVERIFY(!w.panel->findChild<QTimer*>("PlayTimer")->isActive());
      w.In<QAction>("Preview1")->trigger();
      QVERIFY(w.panel->findChild<QTimer*>("PlayTimer")->isActive());
      w.In<QAction>("Preview1")->trigger();
      // Paused last, it starts paused.
      w.In<QPushButton>("PlayButton")->click();
      QVERIFY(!w.panel->Playing());
    }
    {
      Window again(home);
      again.form1.show();
      QVERIFY(!again.In<QAction>("Preview1")->isChecked());
      QVERIFY(!again.In<QDockWidget>("PreviewDock")->isVisible());
      QCOMPARE(again.In<QComboBox>("SignWidth")->currentText(), QString("96 x 16"));
      QVERIFY(!again.panel->Playing());
      QCOMPARE(again.In<QPushButton>("PlayButton")->text(), QString("Play"));
      again.In<QAction>("Preview1")->trigger();
      QVERIFY(!again.panel->findChild<QTimer*>("PlayTimer")->isActive());
      again.In<QPushButton>("PlayButton")->click();
    }
    Window playing(home);
    QVERIFY(playing.panel->Playing());
    QCOMPARE(playing.In<QPushButton>("PlayButton")->text(), QString("Pause"));
  }

  // The dots shrink with the window, so that every column of the sign shows, down to the
  // window's narrowest; the view is never wider than the window.
  void TheWholeSignShowsAtAnyWindowWidth() {
    testing::ScratchFolder home;
    Window w(home);
    w.form1.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form1));
    // Inversed red lights every dot of a blank: 27 blanks are 162 columns, all red, wider than
    // any sign, so that a warning shares the panel too.
    w.form1.InsertAtCaret("<Hold><Inversed Red>");
    w.form1.Line1Editor()->insertPlainText(QString(27, ' '));
    w.In<QPushButton>("PlayButton")->click();
    auto* view = w.In<LedView>("LedView");
    for (const int signWidth : preview::kSignWidths) {
      w.In<QComboBox>("SignWidth")
          ->setCurrentIndex(w.In<QComboBox>("SignWidth")->findData(signWidth));
      // The default size, then as narrow as the window goes.
      for (const int asked : {614, 1}) {
        w.form1.resize(asked, 447);
        QCoreApplication::processEvents();
        const int windowWidth = w.form1.width();
        QVERIFY(asked == 1 ? windowWidth < 614 : windowWidth == 614);
        const QString where = QString("sign %1, window %2, view %3")
                                  .arg(signWidth)
                                  .arg(windowWidth)
                                  .arg(view->width());
        QVERIFY2(view->width() <= windowWidth, qPrintable(where));
        QVERIFY(!w.In<QLabel>("PreviewWarnings")->text().isEmpty());
        const QImage image = view->grab().toImage();
        for (const int column : {0, signWidth / 2, signWidth - 1}) {
          const QRectF dot = view->DotRect(column, 0);
          QVERIFY2(view->rect().contains(dot.toAlignedRect()),
                   qPrintable(where + QString(", column %1").arg(column)));
          const QColor lit = image.pixelColor(Middle(dot));
          QVERIFY2(lit.red() > 150 && lit.green() < 100,
                   qPrintable(where + QString(", column %1: %2").arg(column).arg(lit.name())));
        }
        // Dots keep their order: the last column is right of the one before it.
        QVERIFY(view->DotRect(signWidth - 1, 0).left() > view->DotRect(signWidth - 2, 0).left());
      }
    }
  }

  // A plain text file of two lines: the sign runs them together, and so does the preview.
  void ShowsTheLinesOfAFileRunTogether() {
    testing::ScratchFolder home;
    Window w(home);
    home.Put("two.txt", "abc\r\nline2\r\n");
    QVERIFY(testing::OpenAndWait(w.form1, home / "two.txt"));
    w.In<QPushButton>("PlayButton")->click();
    const GraphicFolder graphics(home.Path());
    QCOMPARE(
        w.Shown(),
        preview::MakePreview("abcline2", graphics, nullptr, 128, 0).animation.hold.front().Frame());
    QVERIFY(w.In<QLabel>("PreviewWarnings")->text().isEmpty());
  }

  // Each colour's dot is drawn once and stamped: the view is, pixel for pixel, every circle
  // drawn by itself, in both colour modes, at the full pitch and at a narrower one.
  void StampedDotsAreTheCirclesTheyStandFor() {
    preview::LedFrame frame(12, 7);
    const std::string cells = ".RGY";
    for (std::size_t i = 0; i < frame.cells.size(); ++i) frame.cells[i] = cells[(i * 7) % 4];
    LedView view(nullptr);
    view.Show(frame, true);
    for (const QSize size : {view.sizeHint(), QSize(12 * 3 + 8, 7 * 3 + 8)}) {
      for (const bool triple : {true, false}) {
        view.resize(size);
        view.Show(frame, triple);
        QImage drawn(view.size(), QImage::Format_RGB32);
        drawn.fill(QColor(20, 20, 20));
        QPainter painter(&drawn);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        for (int y = 0; y < frame.height; ++y) {
          for (int x = 0; x < frame.width; ++x) {
            const auto* rgb =
                preview::DotColours::kRgb[preview::DotColours::Index(frame.At(x, y), triple)];
            painter.setBrush(QColor(rgb[0], rgb[1], rgb[2]));
            painter.drawEllipse(view.DotRect(x, y));
          }
        }
        painter.end();
        QCOMPARE(view.grab().toImage().convertToFormat(QImage::Format_RGB32), drawn);
      }
    }
  }

  void ASingleColourSignLightsEveryDotRed() {
    testing::ScratchFolder home;
    Window w(home);
    w.form1.InsertAtCaret("<Green>");
    w.form1.Line1Editor()->insertPlainText("I");
    w.In<QPushButton>("PlayButton")->click();  // paused: the line stands
    auto* view = w.In<LedView>("LedView");
    view->resize(view->sizeHint());
    // The top of the "I" is a green dot at column 1.
    QCOMPARE(w.Shown().At(1, 0), 'G');
    const auto colourOfDot = [&] {
      return view->grab().toImage().pixelColor(Middle(view->DotRect(1, 0)));
    };
    QVERIFY(colourOfDot().green() > 200 && colourOfDot().red() < 100);
    w.form1.ApplySignColorMode(false);
    QVERIFY(colourOfDot().red() > 200 && colourOfDot().green() < 100);
  }
};

QTEST_MAIN(PreviewPanelTest)
#include "PreviewPanelTest.moc"
