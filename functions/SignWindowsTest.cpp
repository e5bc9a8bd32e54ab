#include <pty.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <fstream>
#include <thread>

#include "editor/Unit1.h"
#include "functions/Udelete.h"
#include "functions/Ulinkpage.h"
#include "functions/Uschedule.h"
#include "functions/Usetid.h"
#include "signlink/sign_frame.h"
#include "tests/support/main_window_qt.h"
#include "tests/support/process.h"
#include "tests/support/recording_notice_qt.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_link.h"
#include "tests/support/scripted_spooler.h"
#include "ui/controls.h"

using namespace tavrin;

namespace {

using testing::RecordingNotice;
using testing::ScriptedLink;

class NoWaiter : public Waiter {
 public:
  std::vector<int> waits;
  void WaitMs(int ms) override { waits.push_back(ms); }
};

// The windows of the sign functions over a scripted sign, on a scratch program folder.
struct Windows {
  explicit Windows(const std::string& settings = "", bool scripted = true) {
    if (!settings.empty()) home.Put("Tavrin.INI", settings);
    workspace = std::make_unique<Workspace>(home.Path());
    form1 = std::make_unique<TForm1>(home.Path(), testing::ViewOf(*workspace));
    form1->SetNotice(&notice);
    if (scripted) {
      form1->SetLink(&link);
      form1->SetWaiter(&waiter);
    }
    setId = std::make_unique<TSetID>(*form1);
    schedule = std::make_unique<TSchedule>(*form1);
    scheduleAdd = std::make_unique<TScheduleAdd>(*form1, schedule.get());
    schedule->SetEditor(scheduleAdd.get());
    deletefrm = std::make_unique<TDeletefrm>(*form1);
    linkpage = std::make_unique<TLinkpagefrm>(*form1);
  }
  // A click on a button that may start a command, and the command's whole run.
  void Press(QPushButton* button) {
    button->click();
    QVERIFY(testing::Settle(form1->Road()));
  }
  template <class T>
  T* In(QWidget* window, const char* name) {
    T* child = window->findChild<T*>(name);
    if (child == nullptr) qFatal("no %s", name);
    return child;
  }
  // The bodies written, in order.
  QStringList Bodies() const {
    QStringList bodies;
    for (const std::string& w : link.Writes()) {
      bodies << QString::fromLatin1(w.starts_with("<ID>") ? w : w.substr(6, w.size() - 11));
    }
    return bodies;
  }

  testing::ScratchFolder home;
  RecordingNotice notice;
  ScriptedLink link;
  NoWaiter waiter;
  std::unique_ptr<Workspace> workspace;
  std::unique_ptr<TForm1> form1;
  std::unique_ptr<TSetID> setId;
  std::unique_ptr<TSchedule> schedule;
  std::unique_ptr<TScheduleAdd> scheduleAdd;
  std::unique_ptr<TDeletefrm> deletefrm;
  std::unique_ptr<TLinkpagefrm> linkpage;
};

}  // namespace

class SignWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void PanelsCaptionsAndLists() {
    Windows w;
    using P = TSetID::Panel;
    const std::pair<P, const char*> panels[] = {
        {P::Id, "Set SignID"},         {P::Clock, "Set Clock"},
        {P::RunPage, "Run Page"},      {P::SendMessage, "Send Message"},
        {P::Bright, "Set Brightness"}, {P::SendViaNet, "Set ID&Page to Sent Via Network"}};
    for (const auto& [panel, caption] : panels) {
      w.setId->PreparePanel(panel);
      QCOMPARE(w.setId->windowTitle(), QString(caption));
    }
    QVERIFY(w.In<QWidget>(w.setId.get(), "SendViaNetPanel")->isVisibleTo(w.setId.get()));
    QVERIFY(!w.In<QWidget>(w.setId.get(), "SetBrightPanel")->isVisibleTo(w.setId.get()));
    auto* newIds = w.In<QComboBox>(w.setId.get(), "ComboBox1");
    QCOMPARE(newIds->count(), 255);
    QCOMPARE(newIds->itemText(0), QString("01"));
    auto* ids = w.In<QComboBox>(w.setId.get(), "ComboBox5");
    QCOMPARE(ids->count(), 256);
    QCOMPARE(ids->itemText(10), QString("0A"));
    QCOMPARE(ids->itemText(255), QString("FF"));
    QCOMPARE(w.In<QComboBox>(w.setId.get(), "ComboBox8")->itemText(3), QString("25%"));
    // Pick-only: typed keys change nothing.
    ids->setCurrentIndex(0);
    QTest::keyClicks(ids, "F");
    QCOMPARE(ids->currentIndex(), 0);
    // With the list dropped down too: typing "1F" and Return choose nothing new.
    w.setId->PreparePanel(P::SendMessage);
    w.setId->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.setId.get()));
    ids->showPopup();
    QTRY_VERIFY(ids->view()->isVisible());
    QWidget* typedInto = QApplication::focusWidget() ? QApplication::focusWidget() : ids->view();
    QTest::keyClicks(typedInto, "1F");
    QTest::keyClick(typedInto, Qt::Key_Return);
    QCOMPARE(ids->currentIndex(), 0);
    // The arrow keys of the list still choose.
    ids->showPopup();
    QTRY_VERIFY(ids->view()->isVisible());
    QTest::keyClick(ids->view(), Qt::Key_Down);
    QTest::keyClick(ids->view(), Qt::Key_Return);
    QCOMPARE(ids->currentIndex(), 1);
    w.setId->hide();
  }

  void OneFrameCommandsOfTheSetIdDialog() {
    Windows w;
    w.In<QComboBox>(w.setId.get(), "ComboBox7")->setCurrentIndex(10);
    w.In<QComboBox>(w.setId.get(), "ComboBox8")->setCurrentIndex(3);
    w.Press(w.In<QPushButton>(w.setId.get(), "BrightOk"));
    w.In<QComboBox>(w.setId.get(), "ComboBox3")->setCurrentIndex(1);
    w.In<QComboBox>(w.setId.get(), "ComboBox4")->setCurrentIndex(2);
    w.Press(w.In<QPushButton>(w.setId.get(), "RunPageButton"));
    w.In<QComboBox>(w.setId.get(), "ComboBox1")->setCurrentIndex(0x2A - 1);
    w.Press(w.In<QPushButton>(w.setId.get(), "OK"));  // the echo "2A" does not come: "ACK"
    QCOMPARE(w.Bodies(), (QStringList{"<BD>", "<RPC>", "<ID><2A><E>"}));
    QCOMPARE(w.link.Writes()[0], std::string("<ID0A><BD>04<E>"));
    QCOMPARE(w.notice.shown,
             (QStringList{"  Set Brightness OK  ", "   Run page Error OK   ",
                          "         Confirm to reset the ID ?         ", "    Set ID Error    "}));
    for (const char* button : {"BrightOk", "RunPageButton", "OK"}) {
      QVERIFY(w.In<QPushButton>(w.setId.get(), button)->isEnabled());
    }
    // A refusal, and ID 00.
    w.link.FailOpen(true);
    w.notice.shown.clear();
    w.Press(w.In<QPushButton>(w.setId.get(), "DateTimeOK"));
    QCOMPARE(w.notice.shown, QStringList{" Open Com Error "});
    QVERIFY(w.In<QPushButton>(w.setId.get(), "DateTimeOK")->isEnabled());
  }

  void TheClockPanel() {
    Windows w;
    w.setId->PreparePanel(TSetID::Panel::Clock);
    auto* time = w.In<QLineEdit>(w.setId.get(), "MaskEdit1");
    w.setId->FormActivate();
    QCOMPARE(time->displayText().size(), 8);
    QVERIFY(w.In<QTimer>(w.setId.get(), "Timer1")->isActive());

    // Typed key by key: "29:75:61" ends as "23:55:51".
    time->setText("");
    time->setCursorPosition(0);
    time->setFocus();
    QTest::keyClicks(time, "297561");
    QCOMPARE(time->displayText(), QString("23:55:51"));

    time->setText("23:59:59");
    w.setId->Timer1Timer();
    QCOMPARE(time->displayText(), QString("00:00:00"));
    time->setText("12:59:59");
    w.setId->Timer1Timer();
    QCOMPARE(time->displayText(), QString("13:00:00"));
    time->setText("12:3");
    const QString stuck = time->displayText();
    w.setId->Timer1Timer();
    QCOMPARE(time->displayText(), stuck);

    time->setText("14:30:00");
    w.In<QDateEdit>(w.setId.get(), "DateTimePicker1")->setDate(QDate(2008, 5, 12));
    w.Press(w.In<QPushButton>(w.setId.get(), "DateTimeOK"));
    QCOMPARE(w.link.Writes(), std::vector<std::string>{"<ID00><SC>0802051214300018<E>"});
    QCOMPARE(w.notice.shown, QStringList{" Setting Date&Time is Over"});
  }

  void SendMessageFromTheMainWindow() {
    Windows w;
    std::string rows;
    for (int r = 0; r < 7; ++r) rows += std::string(32, 'A') + "\r\n";
    w.home.Put("Graphdata/G02.txt", rows);
    w.setId->PreparePanel(TSetID::Panel::SendMessage);
    w.Press(w.In<QPushButton>(w.setId.get(), "SendMessButton"));
    QCOMPARE(w.notice.shown, QStringList{" No Message To Send "});
    QVERIFY(w.link.Writes().empty());

    w.form1->Line1Editor()->setFocus();
    QTest::keyClicks(w.form1->Line1Editor(), "Hi");
    w.form1->findChild<QAction*>("CurtainUp1")->trigger();
    w.form1->InsertAtCaret("<Pic:G02>");
    auto* bar = w.In<QProgressBar>(w.setId.get(), "ProgressBar1");
    QList<int> values;
    connect(bar, &QProgressBar::valueChanged, [&](int v) { values << v; });
    w.In<QComboBox>(w.setId.get(), "ComboBox6")->setCurrentIndex(2);
    w.link.SetProgressChunk(8);
    w.notice.shown.clear();
    w.setId->show();
    w.Press(w.In<QPushButton>(w.setId.get(), "SendMessButton"));
    QCOMPARE(w.Bodies().size(), 4);
    QCOMPARE(w.Bodies()[1], QString("<L1><PC><FC><MA><WC><FE>Hi<GB1>"));
    QCOMPARE(w.Bodies()[2].left(5), QString("<GB1>"));
    QVERIFY(w.notice.shown.isEmpty());
    QVERIFY(values.size() > 3);
    QCOMPARE(values.last(), 0);
    QCOMPARE(bar->maximum(), static_cast<int>(w.link.Writes()[1].size() / 2));
    QVERIFY(values.contains(bar->maximum()));
    QVERIFY(!w.setId->isVisible());  // the dialog closes after a send
    QVERIFY(w.In<QPushButton>(w.setId.get(), "SendMessButton")->isEnabled());
    QCOMPARE(w.waiter.waits, (std::vector<int>{200, 100, 250, 200}));
    // The status bar tells what was sent.
    QVERIFY2(w.In<QLabel>(w.form1.get(), "StatusMessage")
                 ->text()
                 .startsWith("Send Message to sign 00, page C, 1 graphic: sent in "),
             qPrintable(w.In<QLabel>(w.form1.get(), "StatusMessage")->text()));
    QVERIFY(!w.In<QProgressBar>(w.form1.get(), "StatusProgress")->isVisible());
  }

  // Send via Network: the panel, then the print dialog, then one job on the chosen queue;
  // closing either one writes nothing.
  void SendViaNetwork() {
    Windows w;
    testing::ScriptedSpooler spooler;
    int dialogs = 0;
    bool choose = true;
    w.setId->SetPrinting(&spooler, [&](Spooler& s) {
      ++dialogs;
      s.SelectPrinter("signq");
      return choose;
    });
    // Ends the panel the way given once it is up.
    const auto answerPanel = [&](bool ok) {
      QTimer::singleShot(0, [&w, ok] {
        QVERIFY(w.In<QWidget>(w.setId.get(), "SendViaNetPanel")->isVisible());
        QCOMPARE(w.setId->windowTitle(), QString("Set ID&Page to Sent Via Network"));
        // No button has the focus: Enter does not send before the user chose.
        QVERIFY(!qobject_cast<QPushButton*>(w.setId->focusWidget()));
        if (ok) {
          w.In<QPushButton>(w.setId.get(), "SendViaNetOK")->click();
        } else {
          w.setId->close();
        }
      });
    };
    answerPanel(false);
    w.setId->ToolButton12Click();
    QVERIFY(testing::Settle(w.form1->Road()));
    QCOMPARE(dialogs, 0);
    choose = false;
    answerPanel(true);
    w.setId->ToolButton12Click();
    QVERIFY(testing::Settle(w.form1->Road()));
    QCOMPARE(dialogs, 1);
    QVERIFY(spooler.calls.empty());
    QVERIFY(!w.In<QWidget>(w.setId.get(), "SendViaNetPanel")->isVisibleTo(w.setId.get()));

    // An empty editor goes as a single blank, to the ID and page of the panel.
    choose = true;
    w.In<QComboBox>(w.setId.get(), "ComboBox9")->setCurrentIndex(0x12);
    w.In<QComboBox>(w.setId.get(), "ComboBox10")->setCurrentIndex(3);
    answerPanel(true);
    w.setId->ToolButton12Click();
    QVERIFY(testing::Settle(w.form1->Road()));
    QCOMPARE(spooler.calls,
             (std::vector<std::string>{"open signq", "doc Tavrintxt", "page",
                                       "write " + SignFrame(0x12, "<L1><PD><FE><MA><WC><FE> "),
                                       "endpage", "enddoc", "close"}));
    QCOMPARE(w.waiter.waits, std::vector<int>{260});
    QVERIFY(w.notice.boxes.isEmpty());
    QVERIFY(w.link.Writes().empty());  // nothing on the serial port
    QCOMPARE(w.In<QLabel>(w.form1.get(), "StatusMessage")->text(),
             QString("Sent to the print queue signq"));

    // A print service slow to take the bytes: the windows go on meanwhile.
    spooler.writeDelayMs = 400;
    int ticks = 0;
    QTimer clock;
    connect(&clock, &QTimer::timeout, [&] { ++ticks; });
    clock.start(20);
    answerPanel(true);
    w.setId->ToolButton12Click();
    QVERIFY(testing::Settle(w.form1->Road()));
    clock.stop();
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));

    // A queue that is gone.
    spooler.queues.clear();
    answerPanel(true);
    w.setId->ToolButton12Click();
    QVERIFY(testing::Settle(w.form1->Road()));
    QCOMPARE(w.notice.Described(), QStringList{"error OK: Printer not found"});
  }

  // The system print dialog comes from a module loaded when first wanted: found, it shows the
  // dialog (cancelled here: nothing is chosen) and stays for the next one; missing, Send via
  // Network says where it was looked for and writes nothing.
  void ThePrintDialogIsAModuleLoadedWhenFirstWanted() {
    Result<std::unique_ptr<PrinterChooser>> chooser =
        LoadPrinterChooser({std::filesystem::path(TAVRIN_PRINT_DIALOG_DIR)});
    QVERIFY2(chooser, chooser.ErrorText().c_str());
    for (int time = 0; time < 2; ++time) {
      QString shown;
      QTimer::singleShot(0, [&shown] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
          shown = dialog->metaObject()->className();
          dialog->reject();
        }
      });
      std::string printer = "as it was";
      QVERIFY(!(*chooser)->Choose(nullptr, printer));
      QCOMPARE(shown, QString("QPrintDialog"));
      QCOMPARE(printer, std::string("as it was"));
    }

    testing::ScratchFolder empty;
    const Result<std::unique_ptr<PrinterChooser>> missing = LoadPrinterChooser({empty.Path()});
    QCOMPARE(QString::fromStdString(missing.ErrorText()),
             "Cannot open the print dialog: tavrin-print-dialog.so is in none of " +
                 FromPath(empty.Path()));

    // This test program has no module beside it.
    Windows w;
    testing::ScriptedSpooler spooler;
    w.setId->SetPrinting(&spooler);
    QTimer::singleShot(0, [&w] { w.In<QPushButton>(w.setId.get(), "SendViaNetOK")->click(); });
    w.setId->ToolButton12Click();
    QVERIFY(testing::Settle(w.form1->Road()));
    QVERIFY(spooler.calls.empty());
    QCOMPARE(w.notice.shown.size(), 1);
    QVERIFY2(w.notice.shown[0].startsWith("Cannot open the print dialog: "
                                          "tavrin-print-dialog.so is in none of "),
             qPrintable(w.notice.shown[0]));
  }

  // A notice before the port is open, or for a port that does not open, leaves the
  // confirming button as it was: enabled while the box is up.
  void ButtonsStayEnabledBehindNotices() {
    Windows w;
    QStringList disabledBehind;
    QPushButton* current = nullptr;
    w.notice.whileShown = [&] {
      if (!current->isEnabled()) disabledBehind << current->objectName();
    };
    w.setId->show();
    current = w.In<QPushButton>(w.setId.get(), "SendMessButton");
    w.Press(current);  // " No Message To Send "
    w.link.FailOpen(true);
    w.form1->InsertAtCaret("Hi");
    w.setId->show();
    w.Press(current);  // " Open Com Error "
    for (const char* name : {"OK", "DateTimeOK", "BrightOk", "RunPageButton"}) {
      current = w.In<QPushButton>(w.setId.get(), name);
      w.Press(current);
    }
    QCOMPARE(w.notice.shown.count(" Open Com Error "), 5);
    // Below the box, the status bar says why the port did not open.
    QCOMPARE(w.In<QLabel>(w.form1.get(), "StatusMessage")->text(),
             QString::fromStdString("Run Page A on sign 00: the port did not open: " +
                                    w.link.LastError()));
    QCOMPARE(w.notice.shown.first(), QString(" No Message To Send "));
    QVERIFY2(disabledBehind.isEmpty(), qPrintable(disabledBehind.join(",")));
  }

  // What goes wrong around Send Message: a line the code page cannot hold, a refusing sign,
  // a "<BF>" that cannot be written; and Set ID without a port or with a failed write.
  void SendAndSetIdFailures() {
    Windows w;
    auto* send = w.In<QPushButton>(w.setId.get(), "SendMessButton");
    w.form1->InsertAtCaret(QString::fromUtf8("\xE4\xB8\xAD"));  // no such character in CP1252
    w.setId->show();
    w.Press(send);
    QCOMPARE(w.notice.boxes.size(), 1);
    QVERIFY(w.notice.shown[0].contains(QString::fromUtf8("\xE4\xB8\xAD")));
    QCOMPARE(w.notice.Described()[0].left(9), QString("error OK:"));
    QVERIFY(w.link.Writes().empty());
    QVERIFY(w.setId->isVisible());  // the dialog stays for another try

    w.notice.saveAnswers = {NoticeAnswer::Discard};
    w.form1->NewClick();
    w.form1->InsertAtCaret("Hi");
    w.In<QComboBox>(w.setId.get(), "ComboBox5")->setCurrentIndex(1);
    w.link = ScriptedLink(ScriptedLink::AckExcept({1}, "NACK"));
    w.notice.Clear();
    w.Press(send);
    QCOMPARE(w.notice.Described(), QStringList{"plain OK:    Send Message Error   "});
    QCOMPARE(w.Bodies().size(), 2);  // "<BE>" and the message; no "<BF>"
    QVERIFY(!w.setId->isVisible());
    QCOMPARE(w.In<QProgressBar>(w.setId.get(), "ProgressBar1")->value(), 0);
    QVERIFY(send->isEnabled());

    // The cable goes before "<BF>": the send has failed, and says so.
    w.link = ScriptedLink();
    w.link.BreakAfterWrites(2);
    w.notice.Clear();
    w.setId->show();
    w.Press(send);
    QCOMPARE(w.notice.Described(), QStringList{"plain OK:    Send Message Error   "});
    QVERIFY(send->isEnabled());

    // Set ID: the question, then the port that does not open; then a write that fails.
    w.link = ScriptedLink();
    w.link.FailOpen(true);
    w.notice.Clear();
    auto* ok = w.In<QPushButton>(w.setId.get(), "OK");
    w.Press(ok);
    QCOMPARE(w.notice.Described(),
             (QStringList{"question YesNo:          Confirm to reset the ID ?         ",
                          "error Yes:  Open Com Error "}));
    w.link = ScriptedLink();
    w.link.BreakAfterWrites(0);
    w.notice.Clear();
    w.Press(ok);
    QCOMPARE(w.notice.Described().last(), QString("plain OK:     Set ID Error    "));
    QVERIFY(ok->isEnabled());
  }

  void Schedules() {
    Windows w;
    auto* start = w.In<QLineEdit>(w.scheduleAdd.get(), "MaskEdit1");
    auto* startTime = w.In<QLineEdit>(w.scheduleAdd.get(), "StartMaskEdit");
    auto* end = w.In<QLineEdit>(w.scheduleAdd.get(), "MaskEdit2");
    auto* endTime = w.In<QLineEdit>(w.scheduleAdd.get(), "EndMaskEdit");
    auto* pages = w.In<QLineEdit>(w.scheduleAdd.get(), "PageEdit");
    // Pages take letters only; a time typed "35:99" ends as "23:59".
    pages->setFocus();
    QTest::keyClicks(pages, "ab 1cDE");
    QCOMPARE(pages->text(), QString("abcDE"));
    startTime->setText("");
    startTime->setCursorPosition(0);
    QTest::keyClicks(startTime, "3599");
    QCOMPARE(startTime->displayText(), QString("23:59"));

    w.scheduleAdd->PrepareAdd();
    QCOMPARE(w.scheduleAdd->windowTitle(), QString("Schedule-Add"));
    start->setText("13/01/08");
    w.scheduleAdd->OKClick();
    QCOMPARE(w.notice.shown, QStringList{"Date is out of Range"});
    for (int i = 1; i <= 5; ++i) {
      start->setText(QString("05/1%1/08").arg(i));
      startTime->setText("08:00");
      end->setText("05/31/08");
      endTime->setText("18:30");
      w.scheduleAdd->OKClick();
    }
    w.scheduleAdd->OKClick();
    QCOMPARE(w.notice.shown.last(), QString(" Max only items 5 "));
    auto* list = w.In<QTreeWidget>(w.schedule.get(), "ListView1");
    QCOMPARE(list->topLevelItemCount(), 5);
    QCOMPARE(list->topLevelItem(0)->text(3), QString("ABCDE"));

    w.notice.shown.clear();
    w.schedule->ModifyClick();
    QCOMPARE(w.notice.shown, QStringList{"First, Select one item"});
    list->setCurrentItem(list->topLevelItem(1));
    w.Press(w.In<QPushButton>(w.schedule.get(), "Delete"));
    QCOMPARE(list->topLevelItemCount(), 4);
    QCOMPARE(list->topLevelItem(1)->text(0), QString("2"));
    QCOMPARE(list->topLevelItem(1)->text(1), QString("05/13/08 08:00"));

    w.notice.shown.clear();
    w.In<QComboBox>(w.schedule.get(), "ComboBox1")->setCurrentIndex(1);
    w.Press(w.In<QPushButton>(w.schedule.get(), "Send"));
    QCOMPARE(w.Bodies(),
             (QStringList{"<TA>08051108000805311830ABCDE", "<TB>08051308000805311830ABCDE",
                          "<TC>08051408000805311830ABCDE", "<TD>08051508000805311830ABCDE"}));
    QCOMPARE(w.notice.shown, QStringList{"   Send Schedule OK   "});
    QCOMPARE(w.waiter.waits, std::vector<int>(4, 70));
  }

  void Deletions() {
    Windows w;
    auto* tree = w.In<QTreeWidget>(w.deletefrm.get(), "TreeView1");
    w.deletefrm->PreparePanel(TDeletefrm::Panel::DelPage);
    QCOMPARE(w.deletefrm->windowTitle(), QString("Delete page"));
    w.deletefrm->show();
    // A click on the check image of "Line 2" of "Page C" checks it and its page; a click on
    // the text only selects.
    QTreeWidgetItem* pageC = tree->topLevelItem(2);
    // The expand arrow expands and collapses, and checks nothing.
    const QRect pageRect = tree->visualItemRect(pageC);
    const QPoint arrow(pageRect.left() - tree->indentation() / 2, pageRect.center().y());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, arrow);
    QVERIFY(pageC->isExpanded());
    QVERIFY(!w.deletefrm->Tree().PageChecked(2));
    QVERIFY(!w.deletefrm->Tree().LineChecked(2, 1));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, arrow);
    QVERIFY(!pageC->isExpanded());
    QVERIFY(!w.deletefrm->Tree().PageChecked(2));
    tree->expandItem(pageC);
    const QRect line2 = tree->visualItemRect(pageC->child(1));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      QPoint(line2.left() + 8, line2.center().y()));
    QVERIFY(w.deletefrm->Tree().LineChecked(2, 2));
    QVERIFY(w.deletefrm->Tree().PageChecked(2));
    const QRect pageB = tree->visualItemRect(tree->topLevelItem(1));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      QPoint(pageB.left() + 60, pageB.center().y()));
    QVERIFY(!w.deletefrm->Tree().PageChecked(1));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      QPoint(pageB.left() + 8, pageB.center().y()));
    QVERIFY(w.deletefrm->Tree().LineChecked(1, 1));
    w.Press(w.In<QPushButton>(w.deletefrm.get(), "DelPageOK"));
    QCOMPARE(w.Bodies(), (QStringList{"<DL1PB>", "<DL2PB>", "<DL2PC>"}));
    QCOMPARE(w.notice.shown, QStringList{"   Deleting page is over   "});  // ID 00
    QVERIFY(w.waiter.waits.empty());

    auto* items = w.In<QListWidget>(w.deletefrm.get(), "CheckListBox1");
    items->item(1)->setCheckState(Qt::Checked);
    items->item(4)->setCheckState(Qt::Checked);
    w.link = ScriptedLink(ScriptedLink::AckExcept({1}, "NACK"));
    w.notice.shown.clear();
    w.In<QComboBox>(w.deletefrm.get(), "ComboBox1")->setCurrentIndex(1);
    w.Press(w.In<QPushButton>(w.deletefrm.get(), "ScheduleOk"));
    QCOMPARE(w.Bodies(), (QStringList{"<DTB>", "<DTE>"}));
    QCOMPARE(w.notice.shown, QStringList{"  Send Message Error  "});
    QVERIFY(w.In<QPushButton>(w.deletefrm.get(), "ScheduleOk")->isEnabled());

    w.deletefrm->PreparePanel(TDeletefrm::Panel::DeleteAll);
    QCOMPARE(w.deletefrm->windowTitle(), QString("Delete All"));
    w.notice.shown.clear();
    w.In<QComboBox>(w.deletefrm.get(), "ComboBox3")->setCurrentIndex(1);
    w.Press(w.In<QPushButton>(w.deletefrm.get(), "DeleteOk"));
    QCOMPARE(w.notice.shown, QStringList{"   Delete All OK   "});
  }

  void LinkPages() {
    Windows w;
    auto* pages = w.In<QLineEdit>(w.linkpage.get(), "Edit1");
    w.linkpage->Open();
    w.In<QComboBox>(w.linkpage.get(), "ComboBox1")->setCurrentIndex(1);
    QTest::keyClicks(pages, "c1A b");
    QCOMPARE(pages->text(), QString("cAb"));
    w.Press(w.In<QPushButton>(w.linkpage.get(), "OK"));
    QCOMPARE(w.Bodies(), QStringList{"<TA>00010100009912302359CAB"});
    QCOMPARE(w.notice.shown, QStringList{"   Link page OK   "});
  }

  // Every window once against the virtual sign on a pseudo-terminal, through the serial port
  // that the settings name.
  void AgainstTheVirtualSign() {
    testing::ScratchFolder logs;
    const std::string log = (logs / "sign.log").string();
    testing::BackgroundProcess sign({TAVRIN_VSIGN_PATH, "--pty", "--log", log});
    const std::string pty = sign.FirstLine();
    QVERIFY(!pty.empty());
    Windows w("[Sign]\r\ncomport=1\r\n[Ports]\r\nCOM1=" + pty + "\r\n", false);

    QTest::keyClicks(w.form1->Line1Editor(), "Hello");
    w.form1->findChild<QAction*>("Red1")->trigger();
    w.In<QComboBox>(w.setId.get(), "ComboBox5")->setCurrentIndex(1);
    w.In<QComboBox>(w.setId.get(), "ComboBox6")->setCurrentIndex(2);
    w.Press(w.In<QPushButton>(w.setId.get(), "SendMessButton"));
    w.In<QComboBox>(w.schedule.get(), "ComboBox1")->setCurrentIndex(1);
    w.schedule->List().Add({"05/12/08 08:00", "05/31/08 18:30", "C"}).Ok();
    w.Press(w.In<QPushButton>(w.schedule.get(), "Send"));
    w.In<QComboBox>(w.deletefrm.get(), "ComboBox3")->setCurrentIndex(1);
    w.Press(w.In<QPushButton>(w.deletefrm.get(), "DeleteOk"));
    w.In<QComboBox>(w.linkpage.get(), "ComboBox1")->setCurrentIndex(1);
    w.In<QLineEdit>(w.linkpage.get(), "Edit1")->setText("CA");
    w.Press(w.In<QPushButton>(w.linkpage.get(), "OK"));
    QCOMPARE(w.notice.shown,
             (QStringList{"   Send Schedule OK   ", "   Delete All OK   ", "   Link page OK   "}));

    std::ifstream in(log);
    QStringList bodies;
    for (std::string line; std::getline(in, line);) {
      const auto at = line.find("\"body\":\"") + 8;
      bodies << QString::fromStdString(line.substr(at, line.find('"', at) - at));
    }
    QCOMPARE(bodies,
             (QStringList{"<BE>", "<L1><PC><FE><MA><WC><FE>Hello<CA>", "<BF>",
                          "<TA>08051208000805311830C", "<D*>", "<TA>00010100009912302359CA"}));
  }
};

QTEST_MAIN(SignWindowsTest)
#include "SignWindowsTest.moc"
