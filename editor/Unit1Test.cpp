#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "editor/Uabout.h"
#include "editor/Ucolorsign.h"
#include "editor/Umovespeed.h"
#include "editor/Unit1.h"
#include "editor/Usetcom.h"
#include "tests/support/main_window_qt.h"
#include "tests/support/recording_notice_qt.h"
#include "tests/support/scratch_folder.h"
#include "ui/controls.h"

using namespace tavrin;

using testing::RecordingNotice;

class TForm1Test : public QObject {
  Q_OBJECT

  // The windows of a run, on a scratch program folder.
  struct Run {
    explicit Run(const std::string& settings = "") {
      if (!settings.empty()) home.Put("Tavrin.INI", settings);
      workspace = std::make_unique<Workspace>(home.Path());
      form1 = std::make_unique<TForm1>(home.Path(), testing::ViewOf(*workspace));
      setCom = std::make_unique<TSetCom>(*form1);
      moveSpeed = std::make_unique<TMoveSpeedfrm>(*form1);
      signColor = std::make_unique<TsignColorfrm>(*form1);
      about = std::make_unique<TAboutBox>(form1.get());
      // The commands of the editor's own dialogs, as the program binds them.
      form1->Bind(MainCommand::SetCom, [this] { setCom->ShowComPanel(); });
      form1->Bind(MainCommand::DisplayTime, [this] { setCom->ShowDisplayPanel(); });
      form1->Bind(MainCommand::MoveSpeed, [this] { moveSpeed->ShowSpeedPanel(); });
      form1->Bind(MainCommand::Column, [this] { moveSpeed->ShowColumnPanel(); });
      form1->OnFirstShown([this] { signColor->StartUp(); });
      form1->SetNotice(&notice);
    }
    QTextEdit* Line1() { return form1->findChild<QTextEdit*>("RichEdit1"); }
    QAction* Action(const char* name) { return form1->findChild<QAction*>(name); }
    QString Status() { return form1->findChild<QLabel*>("StatusPanel1")->text(); }
    std::vector<TextRun> Runs() { return form1->Runs(Line1()); }

    testing::ScratchFolder home;
    RecordingNotice notice;
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TSetCom> setCom;
    std::unique_ptr<TMoveSpeedfrm> moveSpeed;
    std::unique_ptr<TsignColorfrm> signColor;
    std::unique_ptr<TAboutBox> about;
  };

 private slots:
  void WindowAndMenusAreThere() {
    Run run;
    QCOMPARE(run.form1->windowTitle(), QString("Tavrin"));
    QCOMPARE(run.form1->size(), QSize(614, 447));
    for (const char* name : {"New1",
                             "Open1",
                             "Save1",
                             "SetCOM1",
                             "Exit1",
                             "Cut1",
                             "Copy1",
                             "Delete1",
                             "Paste1",
                             "Immediate1",
                             "Random1",
                             "HelloWorld1",
                             "Welcome3",
                             "Immediate2",
                             "Hold2",
                             "Normal2",
                             "Song32",
                             "MoveSpeed1",
                             "DisplayTime1",
                             "N05Sec2",
                             "N13Sec2",
                             "Date1",
                             "Time1",
                             "Column1",
                             "Font4x71",
                             "Font5x71",
                             "Font6x71",
                             "Red1",
                             "Rainbow1",
                             "SendMessage1",
                             "ShowColorSetting1",
                             "ReadMe1",
                             "About1",
                             "ToolButton1",
                             "ToolButton9",
                             "ToolButton12"}) {
      QVERIFY2(run.Action(name) != nullptr, name);
    }
    QVERIFY(!run.Action("Font5x81")->isVisible());
    QVERIFY(!run.Action("CapitalControlByLine1")->isVisible());
    QVERIFY(run.Action("CapitalControlByLine1")->isChecked());
    // The button without an action is not shown.
    QVERIFY(!run.Action("ToolButton10")->isEnabled());
    QVERIFY(!run.Action("ToolButton10")->isVisible());
    // Commands of other windows stay disabled until they are bound to them.
    QVERIFY(!run.Action("SendMessage1")->isEnabled());
    QVERIFY(!run.Action("EditGraphic1")->isEnabled());
    QVERIFY(run.Action("DisplayTime1")->isEnabled());
    auto* tabs = run.form1->findChild<QTabWidget*>("PageControl1");
    QCOMPARE(tabs->tabText(0), QString("Line 1"));
    QVERIFY(!tabs->isTabVisible(1));
  }

  void TagsGoInRedAtTheCaretAndReplaceTheSelection() {
    Run run;
    QTest::keyClicks(run.Line1(), "Hello");
    run.Action("CurtainUp1")->trigger();
    QTest::keyClicks(run.Line1(), "x");
    QTextCursor c = run.Line1()->textCursor();
    c.setPosition(0);
    c.setPosition(5, QTextCursor::KeepAnchor);  // "Hello" selected
    run.Line1()->setTextCursor(c);
    run.Action("Red1")->trigger();
    QCOMPARE(run.Runs(), (std::vector<TextRun>{{"<Red><Curtain Up>", true}, {"x", false}}));
    // With "Effect Control By Line 1" unchecked, Line 1 takes the lower-case effects.
    run.Action("CapitalControlByLine1")->setChecked(false);
    run.Line1()->moveCursor(QTextCursor::End);
    run.Action("Hold2")->trigger();
    run.Action("HelloWorld1")->trigger();
    QVERIFY(run.Line1()->toPlainText().endsWith("x<hold><Hello World>"));
    QCOMPARE(run.Status(), QString::number(run.Line1()->toPlainText().size()));
  }

  void TheLengthLimit() {
    Run run;
    run.Line1()->setPlainText(QString(209, 'a'));
    run.Line1()->moveCursor(QTextCursor::End);
    QTest::keyClick(run.Line1(), 'b');
    QCOMPARE(run.Line1()->toPlainText().size(), 210);
    QVERIFY(run.notice.shown.isEmpty());
    QTest::keyClick(run.Line1(), 'c');
    QCOMPARE(run.Line1()->toPlainText().size(), 210);
    QCOMPARE(run.notice.shown, QStringList{"Max length is 210 chars"});
    // Backspace still shortens a full line; Enter never makes a line break.
    QTest::keyClick(run.Line1(), Qt::Key_Backspace);
    QCOMPARE(run.Line1()->toPlainText().size(), 209);
    QTest::keyClick(run.Line1(), Qt::Key_Return);
    QCOMPARE(run.Line1()->toPlainText().size(), 209);
    // A tag goes in at 210 all the same; the change then tells.
    QTest::keyClick(run.Line1(), 'd');
    run.notice.shown.clear();
    run.Action("Red1")->trigger();
    QCOMPARE(run.Line1()->toPlainText().size(), 215);
    QCOMPARE(run.notice.shown, QStringList{"Max length is 210 chars"});
    QCOMPARE(run.Status(), QString("215"));
  }

  // Tab moves the focus out of a line, full or not, as in every other field; a tab pasted in
  // becomes a blank, one character as the sign shows it.
  void TabMovesTheFocusAndPastedTabsAreBlanks() {
    Run run;
    run.form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(run.form1.get()));
    run.Line1()->setPlainText(QString(210, 'a'));
    run.Line1()->setFocus();
    run.notice.shown.clear();
    QTest::keyClick(run.Line1(), Qt::Key_Tab);
    QCOMPARE(run.Line1()->toPlainText(), QString(210, 'a'));
    QVERIFY(!run.Line1()->hasFocus());
    QVERIFY(run.notice.shown.isEmpty());
    run.notice.saveAnswers = {NoticeAnswer::Discard};
    run.form1->NewClick();
    QApplication::clipboard()->setText("ab\tc");
    run.Action("Paste1")->trigger();
    QCOMPARE(run.Line1()->toPlainText(), QString("ab c"));
    QCOMPARE(run.Status(), QString("4"));
  }

  // At the limit the keys that shorten, copy or select still work, and are not refused.
  void KeysThatTypeNothingPassTheLimit() {
    Run run;
    run.Line1()->setPlainText(QString(211, 'a'));
    run.notice.shown.clear();
    run.Line1()->moveCursor(QTextCursor::End);
    run.Line1()->moveCursor(QTextCursor::Left);
    QTest::keyClick(run.Line1(), Qt::Key_Delete);
    QCOMPARE(run.Line1()->toPlainText().size(), 210);
    QTest::keyClick(run.Line1(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(run.Line1()->textCursor().selectedText().size(), 210);
    QApplication::clipboard()->clear();
    QTest::keyClick(run.Line1(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text().size(), 210);
    QTest::keyClick(run.Line1(), Qt::Key_X, Qt::ControlModifier);
    QVERIFY(run.Line1()->toPlainText().isEmpty());
    QVERIFY2(run.notice.shown.isEmpty(), qPrintable(run.notice.shown.join("|")));
  }

  // Copying a part of a red tag leaves it red; a typed character is black.
  void CopyingKeepsTheColours() {
    Run run;
    run.Action("CurtainUp1")->trigger();
    const std::vector<TextRun> before = run.Runs();
    QTextCursor c = run.Line1()->textCursor();
    c.setPosition(2);
    c.setPosition(6, QTextCursor::KeepAnchor);
    run.Line1()->setTextCursor(c);
    QTest::keyClick(run.Line1(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(run.Runs(), before);
    run.Line1()->moveCursor(QTextCursor::End);
    QTest::keyClick(run.Line1(), 'z');
    QCOMPARE(run.Runs().back(), (TextRun{"z", false}));
  }

  // Read Me opens Manual.txt from the program's folder, whatever folder the program was
  // started in.
  void ReadMeOpensTheManualInTheProgramFolder() {
    Run run;
    const auto opener =
        run.home.Put("opener.sh", "#!/bin/sh\npwd > \"$(dirname \"$1\")/opened\"\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    run.form1->SetOpenProgram(FromPath(opener));
    run.Action("ReadMe1")->trigger();
    QTRY_VERIFY(std::filesystem::exists(run.home / "opened"));
    QTRY_COMPARE(
        QString::fromStdString(testing::ScratchFolder::Slurp(run.home / "opened")).trimmed(),
        FromPath(run.home.Path()));
  }

  // A message file that cannot be saved: the standard error box, with OK.
  void ASaveThatFailsShowsTheErrorBox() {
    Run run;
    QTest::keyClicks(run.Line1(), "Hi");
    // A folder in the path that is a file: no message file can be written there.
    run.form1->SaveMessageAs(FromPath((run.home.Put("afile", "") / "cannot-be-here.tvr")));
    QCOMPARE(run.notice.boxes.size(), 1);
    QCOMPARE(run.notice.Described()[0].left(9), QString("error OK:"));
    QVERIFY(run.notice.shown[0].contains("cannot-be-here.tvr"));
  }

  void PasteChecksTheLengthFirst() {
    Run run;
    QApplication::clipboard()->setText(QString(50, 'p'));
    run.Line1()->setPlainText(QString(209, 'a'));
    run.notice.shown.clear();
    run.Action("Paste1")->trigger();
    QCOMPARE(run.Line1()->toPlainText().size(), 259);
    QVERIFY(run.notice.shown.contains("Max length is 210 chars"));
    run.notice.shown.clear();
    QTest::keySequence(run.Line1(), QKeySequence::Paste);
    QCOMPARE(run.Line1()->toPlainText().size(), 259);
    QCOMPARE(run.notice.shown, QStringList{"Max length is 210 chars"});
    // Pasted text is black, whatever it looked like.
    run.notice.saveAnswers = {NoticeAnswer::Discard};
    run.form1->NewClick();
    run.Action("Paste1")->trigger();
    QCOMPARE(run.Runs(), (std::vector<TextRun>{{std::string(50, 'p'), false}}));
  }

  void NewSaveOpenKeepsTheTagsRed() {
    Run run;
    QTest::keyClicks(run.Line1(), "Hi ");
    run.Action("Green1")->trigger();
    run.Line1()->insertPlainText(QString::fromUtf8("caf\xC3\xA9"));
    const auto before = run.Runs();
    run.form1->findChild<QTextEdit*>("RichEdit2")->setPlainText("two");
    const auto file = run.home / "message.tvr";
    QVERIFY(run.form1->SaveMessageAs(FromPath(file)));
    run.Action("New1")->trigger();
    QVERIFY(run.Line1()->toPlainText().isEmpty());
    QVERIFY(run.form1->findChild<QTextEdit*>("RichEdit2")->toPlainText().isEmpty());
    QVERIFY(testing::OpenAndWait(*run.form1, file));
    QCOMPARE(run.Runs(), before);
    // A file that cannot be read leaves the editor as it was.
    run.home.Put("binary.tvr", std::string("\0\1\2\3", 4));
    const Status failed = testing::OpenAndWait(*run.form1, run.home / "binary.tvr");
    QVERIFY(!failed);
    QCOMPARE(run.Runs(), before);
    QVERIFY(!testing::OpenAndWait(*run.form1, run.home / "missing.tvr"));
    // Plain text opens black; typed tags work as typed.
    run.home.Put("plain.txt", "<Red>plain\r\n");
    QVERIFY(testing::OpenAndWait(*run.form1, run.home / "plain.txt"));
    QCOMPARE(run.Runs(), (std::vector<TextRun>{{"<Red>plain", false}}));
    QCOMPARE(*run.form1->Line1SignText(), std::string("<Red>plain"));
    // A long file loads whole, and says once that it is long.
    std::string longText;
    for (int i = 0; i < 30; ++i) longText += "<Red>word ";
    run.home.Put("long.txt", longText);
    run.notice.shown.clear();
    QVERIFY(testing::OpenAndWait(*run.form1, run.home / "long.txt"));
    QCOMPARE(run.Line1()->toPlainText().size(), 300);
    QCOMPARE(run.notice.shown, QStringList{"Max length is 210 chars"});
    QCOMPARE(run.Status(), QString("300"));
  }

  void TagDialogsInsertTheirTags() {
    Run run;
    auto* combo2 = run.setCom->findChild<QComboBox*>("ComboBox2");
    QCOMPARE(combo2->count(), 26);
    QCOMPARE(combo2->currentText(), QString("0.5Sec"));
    QTimer::singleShot(0, run.setCom.get(),
                       [&] { run.setCom->findChild<QPushButton*>("DisplayTimebtn")->click(); });
    run.Action("DisplayTime1")->trigger();
    QCOMPARE(run.setCom->windowTitle(), QString("Display Time"));

    run.Action("Column1")->trigger();
    QCOMPARE(run.moveSpeed->windowTitle(), QString("Set Starting Column"));
    run.moveSpeed->findChild<QComboBox*>("ComboBox1")->setCurrentIndex(7);
    run.moveSpeed->findChild<QPushButton*>("Button1")->click();

    run.Action("MoveSpeed1")->trigger();
    QCOMPARE(run.moveSpeed->windowTitle(), QString("Move Speed"));
    auto* bar = run.moveSpeed->findChild<QSlider*>("TrackBar1");
    bar->setValue(0);
    run.moveSpeed->findChild<QPushButton*>("OK")->click();
    run.Action("MoveSpeed1")->trigger();
    bar->setValue(3);
    run.moveSpeed->findChild<QPushButton*>("OK")->click();
    QCOMPARE(run.Line1()->toPlainText(), QString("<0.5Sec><COL 007><Speed 3><Speed 0>"));

    // Pick-only lists take no typed keys.
    combo2->setCurrentIndex(0);
    QTest::keyClicks(combo2, "2");
    QCOMPARE(combo2->currentIndex(), 0);
  }

  void ThePortSetting() {
    {
      Run run("[Sign]\r\ncomport=0\r\n");
      QCOMPARE(run.setCom->PortNumber(), 1);
      QCOMPARE(run.setCom->findChild<QComboBox*>("ComboBox1")->currentText(), QString("COM1"));
    }
    Run run("[Sign]\r\ncomport=300\r\n");
    auto* list = run.setCom->findChild<QComboBox*>("ComboBox1");
    QCOMPARE(list->currentIndex(), -1);
    run.setCom->OKClick();  // no new choice: 0 is stored, and the link makes it port 1
    QCOMPARE(run.form1->AppSettings().File().ReadInt(kSignSection, kComPortKey, 1), 0);
    list->setCurrentIndex(11);
    run.setCom->OKClick();
    QCOMPARE(run.setCom->PortNumber(), 12);
    QCOMPARE(run.form1->Road().PortNumber(), 12);
    QCOMPARE(run.form1->AppSettings().PortNumber(), 12);

    // Settings that cannot be written: the user is told, and the port is used all the same.
    std::filesystem::remove(run.home / "Tavrin.INI");
    std::filesystem::create_directory(run.home / "Tavrin.INI");
    run.notice.Clear();
    list->setCurrentIndex(2);
    run.setCom->OKClick();
    QCOMPARE(run.notice.boxes.size(), 1);
    QCOMPARE(RecordingNotice::Describe(run.notice.boxes[0].kind, run.notice.boxes[0].buttons),
             QString("error OK"));
    QVERIFY(run.notice.shown[0].contains("not saved"));
    QCOMPARE(run.form1->Road().PortNumber(), 3);
  }

  // The devices present are listed with the numbers that open them; choosing one chooses its
  // number, and OK makes the port open it by its stable name from then on.
  void TheDevicesPresentInSetCom() {
    Run run;
    SerialPortInfo usb;
    usb.device = "/dev/ttyUSB0";
    usb.stableName = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    usb.description = "FTDI FT232R USB UART";
    usb.comNumber = 33;
    SerialPortInfo gone;
    gone.device = "/dev/ttyUSB9";
    gone.comNumber = 7;
    gone.configured = true;
    gone.present = false;
    run.setCom->SetPortSource([&] { return std::vector<SerialPortInfo>{usb, gone}; });
    auto* devices = run.setCom->findChild<QListWidget*>("PortList");
    QTimer::singleShot(0, [&] {
      QCOMPARE(devices->count(), 2);
      QCOMPARE(devices->item(0)->text(), QString("COM33   /dev/ttyUSB0   FTDI FT232R USB UART"));
      QCOMPARE(devices->item(1)->text(), QString("COM7   /dev/ttyUSB9   (not present)"));
      QTest::mouseClick(devices->viewport(), Qt::LeftButton, {},
                        devices->visualItemRect(devices->item(0)).center());
      QCOMPARE(run.setCom->findChild<QComboBox*>("ComboBox1")->currentText(), QString("COM33"));
      run.setCom->findChild<QPushButton*>("OK")->click();
    });
    run.Action("SetCOM1")->trigger();
    QCOMPARE(run.form1->AppSettings().PortNumber(), 33);
    QCOMPARE(run.form1->AppSettings().PortDevice(33), usb.stableName);
    QCOMPARE(run.form1->Road().PortNumber(), 33);
  }

  void SignColourAtStartUp() {
    {
      // No settings file: three colours, and the dialog over a disabled main window.
      Run run;
      run.form1->show();
      QVERIFY(run.signColor->isVisible());
      QVERIFY(!run.form1->isEnabled());
      QVERIFY(run.Action("Green1")->isVisible());
      QVERIFY(run.signColor->findChild<QRadioButton*>("rb02")->isChecked());
      run.signColor->findChild<QPushButton*>("Button2")->click();
      QVERIFY(run.form1->isEnabled());
      QVERIFY(!run.home.Path().empty() && !std::filesystem::exists(run.home / "Tavrin.INI"));
    }
    {
      Run run("[Sign]\r\ncolor=5\r\nshowform=0\r\n");
      run.form1->show();
      QVERIFY(!run.signColor->isVisible());
      QVERIFY(run.form1->isEnabled());
      QVERIFY(!run.Action("Green1")->isVisible());
      QVERIFY(run.Action("Red1")->isVisible());
      QVERIFY(run.Action("InversedRed1")->isVisible());
      QVERIFY(!run.Action("Rainbow1")->isVisible());
      run.signColor->Preset(5, 0);
      QVERIFY(run.signColor->findChild<QRadioButton*>("rb01")->isChecked());
      QVERIFY(!run.signColor->findChild<QCheckBox*>("CheckBox1")->isChecked());
      run.signColor->findChild<QPushButton*>("Button1")->click();
      QCOMPARE(run.form1->AppSettings().Color(), 1);
      QCOMPARE(run.form1->AppSettings().ShowForm(), 0);
    }
    Run run("[Sign]\r\ncolor=1\r\nshowform=0\r\n");
    run.form1->show();
    run.signColor->Preset(1, 0);
    run.signColor->findChild<QRadioButton*>("rb02")->setChecked(true);
    run.signColor->findChild<QPushButton*>("Button1")->click();
    QVERIFY(run.Action("Rainbow1")->isVisible());
    QCOMPARE(run.form1->AppSettings().Color(), 2);
  }
};

QTEST_MAIN(TForm1Test)
#include "Unit1Test.moc"
