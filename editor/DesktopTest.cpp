// The main window as desktop users expect it: work is not lost without a question, the caption
// names the file, the keys and menu letters are there, pasted tags keep their colour, the
// page stays white under a dark theme, and a port that does not open says why.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>

#include "editor/Usetcom.h"
#include "editor/message_rtf.h"
#include "functions/sign_plans.h"
#include "tests/support/main_window_qt.h"
#include "tests/support/process.h"
#include "tests/support/recording_notice_qt.h"
#include "tests/support/scratch_folder.h"
#include "ui/command_runner.h"
#include "ui/controls.h"
#include "ui/themed_icon.h"

using namespace tavrin;

namespace {

struct Window {
  Window() : main(home.Path()) {
    form1().SetNotice(&notice);
    form1().show();
    form1().activateWindow();
    if (!QTest::qWaitForWindowActive(&form1())) qWarning("the main window did not become active");
  }
  TForm1& form1() { return main.form1; }
  QTextEdit* Line1() { return form1().findChild<QTextEdit*>("RichEdit1"); }
  QAction* Action(const char* name) { return form1().findChild<QAction*>(name); }
  std::string Saved(const std::filesystem::path& file) {
    Result<std::vector<TextRun>> runs = LoadMessageFile(file, "CP1252");
    std::string text;
    if (runs) {
      for (const TextRun& run : *runs) text += run.text;
    }
    return text;
  }
  // The next question for a file is answered with `file` (cancelled for an empty one).
  void AnswerFileDialog(const std::filesystem::path& file) {
    dialogShown = false;
    form1().SetFileChooser(
        [this, file](TForm1::FileQuestion, const QString& folder, const QString&) {
          dialogShown = true;
          askedIn = folder;
          return FromPath(file);
        });
  }
  bool dialogShown = false;
  QString askedIn;

  testing::ScratchFolder home;
  testing::RecordingNotice notice;
  testing::MainWindow main;
};

const QString kQuestion = "question SaveDiscardCancel: Save changes to a.tvr?";

}  // namespace

class DesktopTest : public QObject {
  Q_OBJECT

 private slots:
  // The caption: "Tavrin" for a new message, then the file's name, "*" while changed.
  void TheCaptionNamesTheFileAndSaysWhenItChanged() {
    Window w;
    QCOMPARE(w.form1().windowTitle(), QString("Tavrin"));
    QTest::keyClicks(w.Line1(), "Hi");
    QCOMPARE(w.form1().windowTitle(), QString("Tavrin"));  // a new message has no name yet
    QVERIFY(w.form1().SaveMessageAs(FromPath(w.home / "a.tvr")));
    QCOMPARE(w.form1().windowTitle(), QString("a.tvr[*] - Tavrin"));
    QVERIFY(!w.form1().isWindowModified());
    QTest::keyClicks(w.Line1(), "!");
    QVERIFY(w.form1().isWindowModified());
    // Save (Ctrl+S) goes to the file without a dialog; Save As asks for a name.
    w.AnswerFileDialog({});
    QTest::keySequence(w.Line1(), QKeySequence::Save);
    QTest::qWait(20);
    QVERIFY(!w.dialogShown);
    QCOMPARE(w.Saved(w.home / "a.tvr"), std::string("Hi!"));
    QVERIFY(!w.form1().isWindowModified());
    w.AnswerFileDialog(w.home / "b.tvr");
    w.Action("SaveAs1")->trigger();
    QVERIFY(w.dialogShown);
    QCOMPARE(w.form1().windowTitle(), QString("b.tvr[*] - Tavrin"));
    QCOMPARE(w.Saved(w.home / "b.tvr"), std::string("Hi!"));
    // The dialogs start in the folder of the last message file, in later runs too.
    QCOMPARE(QString::fromStdString(w.form1().AppSettings().FileFolder()), FromPath(w.home.Path()));
    QCOMPARE(w.askedIn, FromPath(w.home.Path()));
  }

  // The file dialogs themselves: their names, the filter of message files, the folder.
  void TheFileDialogs() {
    Window w;
    QVERIFY(w.form1().SaveMessageAs(FromPath(w.home / "a.tvr")));
    for (const char* command : {"Open1", "SaveAs1"}) {
      QString seen;
      QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        seen = dialog->objectName() + " " + dialog->nameFilters().join(";;") + " in " +
               dialog->directory().absolutePath();
        dialog->reject();
      });
      w.Action(command)->trigger();
      const QString name = QString(command) == "Open1" ? "OpenDialog1" : "SaveDialog1";
      QCOMPARE(seen, name + " Message files (*.tvr);;All files (*) in " + FromPath(w.home.Path()));
    }
  }

  // New, Open and Exit ask before a changed message is thrown away, and only then: Save
  // keeps it in its file, Discard lets it go, Cancel leaves everything as it was.
  void NothingChangedIsLostWithoutAQuestion() {
    const NoticeAnswer answers[] = {NoticeAnswer::Save, NoticeAnswer::Discard,
                                    NoticeAnswer::Cancel};
    for (const char* command : {"New1", "Open1", "Exit1"}) {
      for (const bool changed : {false, true}) {
        for (const NoticeAnswer answer : answers) {
          const QString what = QString("%1, %2, answer %3")
                                   .arg(command)
                                   .arg(changed ? "changed" : "unchanged")
                                   .arg(static_cast<int>(answer));
          Window w;
          w.home.Put("other.tvr", "other");
          QVERIFY(w.form1().SaveMessageAs(FromPath(w.home / "a.tvr")));
          if (changed) QTest::keyClicks(w.Line1(), "typed");
          w.notice.Clear();
          w.notice.saveAnswers = {answer};
          w.AnswerFileDialog(w.home / "other.tvr");
          w.Action(command)->trigger();
          const bool goesOn = !changed || answer != NoticeAnswer::Cancel;
          QCOMPARE(w.notice.Described(), changed ? QStringList{kQuestion} : QStringList{});
          QVERIFY2(
              w.Saved(w.home / "a.tvr") == (changed && answer == NoticeAnswer::Save ? "typed" : ""),
              qPrintable(what));
          if (QString(command) == "Open1") {
            QVERIFY2(w.dialogShown == goesOn, qPrintable(what));
            if (goesOn) {
              QTRY_COMPARE(w.Line1()->toPlainText(), QString("other"));
              QCOMPARE(w.form1().windowTitle(), QString("other.tvr[*] - Tavrin"));
            }
          } else if (QString(command) == "New1") {
            QCOMPARE(w.Line1()->toPlainText().isEmpty(), goesOn);
            QCOMPARE(w.form1().windowTitle(), goesOn ? QString("Tavrin") : "a.tvr[*] - Tavrin");
          } else {
            QCOMPARE(w.form1().isVisible(), !goesOn);
          }
          if (!goesOn) {
            QCOMPARE(w.Line1()->toPlainText(), QString("typed"));
            QVERIFY(w.form1().isWindowModified());
          }
        }
      }
    }
  }

  // The file commands have their usual keys, Read Me is F1, the edit keys are shown in the
  // menu, and every menu of the bar has its letter for Alt.
  void KeysAndMenuLetters() {
    Window w;
    const std::pair<const char*, QKeySequence> keys[] = {
        {"New1", QKeySequence::New},       {"Open1", QKeySequence::Open},
        {"Save1", QKeySequence::Save},     {"SaveAs1", QKeySequence("Ctrl+Shift+S")},
        {"Exit1", QKeySequence("Ctrl+Q")}, {"ReadMe1", QKeySequence("F1")}};
    for (const auto& [name, key] : keys) QCOMPARE(w.Action(name)->shortcut(), key);
    QVERIFY(w.Action("Paste1")->text().endsWith(
        "\t" + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText)));
    QVERIFY(w.Action("Delete1")->text().endsWith("\tDel"));
    QSet<QChar> letters;
    for (QAction* menu : w.form1().menuBar()->actions()) {
      const QString title = menu->text();
      const qsizetype amp = title.indexOf('&');
      QVERIFY2(amp >= 0 && amp + 1 < title.size(), qPrintable(title));
      const QChar letter = title[amp + 1].toLower();
      QVERIFY2(!letters.contains(letter), qPrintable(title));
      letters.insert(letter);
    }
    // Typing still goes into the line, Enter still makes no line break.
    QTest::keyClicks(w.Line1(), "ab");
    QTest::keyClick(w.Line1(), Qt::Key_Return);
    QCOMPARE(w.Line1()->toPlainText(), QString("ab"));
  }

  // Every button of the toolbar shows a picture: the theme's, or ours from the resources
  // (SVG, drawn by Qt's SVG icon engine).
  void EveryButtonHasItsPicture() {
    Window w;
    int buttons = 0;
    for (QAction* action : w.form1().findChild<QToolBar*>("ToolBar1")->actions()) {
      if (action->isSeparator() || !action->isVisible()) continue;
      ++buttons;
      const QImage picture = action->icon().pixmap(16, 16).toImage();
      int drawn = 0;
      for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) drawn += qAlpha(picture.pixel(x, y)) > 0;
      }
      QVERIFY2(drawn > 20, qPrintable(action->objectName()));
    }
    QCOMPARE(buttons, 8);
    for (const char* own : {"tavrin", "check-box", "check-box-ticked", "list-add", "list-remove"}) {
      QVERIFY2(!OwnIcon(own).pixmap(16, 16).isNull(), own);
    }
  }

  // Pasted display tags take the tag colour, the rest black, as if inserted; and saved so.
  void PastedTagsKeepTheirColour() {
    Window w;
    QApplication::clipboard()->setText("Hi <Curtain Up><Red>x<Nope><Pic:G01><U41>\tz");
    w.Action("Paste1")->trigger();
    const std::vector<TextRun> expected{{"Hi ", false},
                                        {"<Curtain Up><Red>", true},
                                        {"x<Nope>", false},
                                        {"<Pic:G01><U41>", true},
                                        {" z", false}};
    QCOMPARE(w.form1().Runs(w.Line1()), expected);
    QVERIFY(w.form1().SaveMessageFile(w.home / "pasted.tvr"));
    QCOMPARE(*LoadMessageFile(w.home / "pasted.tvr", "CP1252"), expected);
  }

  // Under a dark palette the lines stay a white page with black text.
  void TheLinesStayAWhitePageInTheDark() {
    const QPalette before = QApplication::palette();
    QPalette dark(QColor(53, 53, 53));
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Window, QColor(53, 53, 53));
    dark.setColor(QPalette::WindowText, Qt::white);
    QApplication::setPalette(dark);
    {
      Window w;
      QVERIFY(QTest::qWaitForWindowExposed(&w.form1()));
      QTest::keyClicks(w.Line1(), "Hello");
      const QImage shot = w.Line1()->viewport()->grab().toImage();
      // The page is white, and the text on it is dark: both are found on the picture.
      int white = 0, dark = 0;
      for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
          const int lightness = shot.pixelColor(x, y).lightness();
          white += lightness > 240 ? 1 : 0;
          dark += lightness < 60 ? 1 : 0;
        }
      }
      QVERIFY2(white > shot.width() * shot.height() / 2, qPrintable(QString::number(white)));
      QVERIFY2(dark > 20, qPrintable(QString::number(dark)));
      // The window around it follows the desktop.
      QCOMPARE(w.form1().palette().color(QPalette::Window), QColor(53, 53, 53));
    }
    QApplication::setPalette(before);
  }

  // A port that does not open: the Part's " Open Com Error " with the reason under it; the
  // status line keeps the whole reason in its tooltip and shows what fits.
  void APortThatDoesNotOpenSaysWhy() {
    Window w;
    TSetCom setCom(w.form1());
    setCom.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(0);
    setCom.findChild<QLineEdit*>("PortDevice")->setText("/nonexistent/ttyUSB7");
    setCom.OKClick();
    QCOMPARE(w.form1().AppSettings().PortDevice(1), std::string("/nonexistent/ttyUSB7"));
    SignPlan plan;
    plan.steps.push_back(PlanStep{});
    plan.steps.back().frame = "x";
    plan.summary = "A command";
    StartCommand(w.form1().Road(), w.form1().Notices(), plan, {});
    QVERIFY(testing::Settle(w.form1().Road()));
    QCOMPARE(w.notice.Described(), QStringList{"error Yes:  Open Com Error "});
    QVERIFY2(w.notice.details.front().contains("/nonexistent/ttyUSB7"),
             qPrintable(w.notice.details.front()));
    auto* status = w.form1().findChild<QLabel*>("StatusMessage");
    QVERIFY(status->text().contains(w.notice.details.front()));
    QCOMPARE(status->toolTip(), status->text());
    w.form1().ShowStatus(QString(500, 'x'));
    QCOMPARE(w.form1().width(), 614);  // a long line does not widen the window
  }

  // Set COM takes what a port opens: a device path or HOST:PORT; anything else is refused
  // and the dialog stays.
  void SetComTakesAPathOrHostPort() {
    Window w;
    TSetCom setCom(w.form1());
    auto* field = setCom.findChild<QLineEdit*>("PortDevice");
    setCom.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(2);
    field->setText("sign.local:4001");
    setCom.OKClick();
    QCOMPARE(w.form1().AppSettings().PortDevice(3), std::string("sign.local:4001"));
    QCOMPARE(w.form1().Road().PortNumber(), 3);
    field->setText("ttyUSB0");
    w.notice.Clear();
    setCom.OKClick();
    QCOMPARE(w.notice.boxes.size(), 1);
    QCOMPARE(w.form1().AppSettings().PortDevice(3), std::string("sign.local:4001"));
    // Choosing another port shows what it opens; an empty field gives the port back its
    // usual device.
    setCom.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(0);
    QVERIFY(field->text().isEmpty());
    setCom.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(2);
    QCOMPARE(field->text(), QString("sign.local:4001"));
    field->clear();
    setCom.OKClick();
    QCOMPARE(w.form1().AppSettings().PortDevice(3), std::string());
  }

  // A port whose "Ports" entry is HOST:PORT reaches a sign on the network: here the virtual
  // sign on a TCP port.
  void APortCanBeASignOnTheNetwork() {
    testing::ScratchFolder logs;
    testing::BackgroundProcess sign(
        {TAVRIN_VSIGN_PATH, "--tcp", "0", "--log", (logs / "sign.log").string()});
    const std::string address = sign.FirstLine();
    QVERIFY(!address.empty());
    Window w;
    TSetCom setCom(w.form1());
    setCom.findChild<QLineEdit*>("PortDevice")->setText(QString::fromStdString(address));
    setCom.OKClick();
    StartCommand(w.form1().Road(), w.form1().Notices(), PlanRunPage(1, 'C'), {});
    QVERIFY(testing::Settle(w.form1().Road()));
    QCOMPARE(w.notice.shown, QStringList{"   Run page Error OK   "});  // the Part's success text
    QTRY_VERIFY(testing::ScratchFolder::Slurp(logs / "sign.log").find("<RPC>") !=
                std::string::npos);
  }
};

QTEST_MAIN(DesktopTest)
#include "DesktopTest.moc"
