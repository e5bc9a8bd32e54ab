// The sign functions' windows with a sign list: a target chooser in every panel, commands for
// several signs at once with one summary, and the Signs dialog that keeps the list.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>

#include "functions/Udelete.h"
#include "functions/Ulinkpage.h"
#include "functions/Uschedule.h"
#include "functions/Usetid.h"
#include "functions/command_bodies.h"
#include "functions/sign_plans.h"
#include "functions/signs_dialog.h"
#include "signlink/sign_frame.h"
#include "tests/support/fake_window_context_qt.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_spooler.h"
#include "ui/sign_runner.h"
#include "ui/sign_target.h"

using namespace tavrin;

namespace {

constexpr const char* kTwoSigns =
    "Shop window = sign-a.local:4001, 01, 3, 128\r\n"
    "Door = sign-b.local:4001, 02, 1, 96\r\n";

std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A program folder with a sign list, and the main window's little that the windows use.
struct Home {
  explicit Home(const std::string& signs, const std::string& settings = "") {
    if (!signs.empty()) folder.Put("Tavrin.signs", signs);
    if (!settings.empty()) folder.Put("Tavrin.INI", settings);
    context = std::make_unique<testing::FakeWindowContext>(folder.Path());
  }
  // Every road idle, and everything its commands told handled.
  bool Settle() {
    const bool idle = QTest::qWaitFor(
        [&] {
          bool all = context->road.Idle();
          context->roads.ForEachRoad([&](SignRoad& road) { all = all && road.Idle(); });
          return all;
        },
        20000);
    for (int i = 0; i < 3; ++i) {
      QCoreApplication::sendPostedEvents();
      QCoreApplication::processEvents();
    }
    return idle;
  }
  // What the link of an address wrote, frame by frame ("" for a link never made).
  std::vector<std::string> Written(const std::string& linkKey) {
    const auto it = context->namedLinks.find(linkKey);
    return it == context->namedLinks.end() ? std::vector<std::string>{} : it->second->Writes();
  }

  testing::ScratchFolder folder;
  std::unique_ptr<testing::FakeWindowContext> context;
};

template <class T>
T* In(QWidget* window, const char* name) {
  T* child = window->findChild<T*>(name);
  if (child == nullptr) qFatal("no %s", name);
  return child;
}

SignTargetChooser* TargetOf(QWidget* window, const char* panel) {
  return In<QWidget>(window, panel)->findChild<SignTargetChooser*>();
}

}  // namespace

class ManySignsTest : public QObject {
  Q_OBJECT

 private slots:
  // Without a list the panels are as they always were; with one, the default is the settings'
  // port and the panel's ID, frame for frame as before, and nothing reaches the list's links.
  void TheDefaultTargetIsTodaysCommand() {
    for (const char* signs : {"", kTwoSigns}) {
      Home home(signs);
      TSetID setId(*home.context);
      SignTargetChooser* target = TargetOf(&setId, "RunPagePanel");
      QCOMPARE(target->isVisibleTo(&setId), *signs != '\0');
      QVERIFY(target->IsDefault());
      QVERIFY(In<QComboBox>(&setId, "ComboBox3")->isEnabled());
      In<QComboBox>(&setId, "ComboBox3")->setCurrentIndex(0x0A);
      In<QComboBox>(&setId, "ComboBox4")->setCurrentIndex(2);
      In<QPushButton>(&setId, "RunPageButton")->click();
      QVERIFY(home.Settle());
      QCOMPARE(home.context->link.Writes(), std::vector<std::string>{SignFrame(0x0A, "<RPC>")});
      QVERIFY(home.context->namedLinks.empty());
      QCOMPARE(home.context->notice.shown, QStringList{"   Run page Error OK   "});
    }
  }

  // Two signs on two links: each gets its frames with its own ID, the panel's ID list is set
  // aside, and one notice lists both.
  void TwoSignsOnTwoLinksAndOneSummary() {
    Home home(kTwoSigns);
    TDeletefrm deletefrm(*home.context);
    SignTargetChooser* target = TargetOf(&deletefrm, "DeleteAllPanel");
    auto* ids = In<QComboBox>(&deletefrm, "ComboBox3");
    target->ChooseAll();
    QVERIFY(!ids->isEnabled());
    QCOMPARE(target->Chosen().size(), 2u);
    In<QPushButton>(&deletefrm, "DeleteOk")->click();
    QVERIFY(home.Settle());
    QCOMPARE(home.Written("sign-a.local:4001"), std::vector<std::string>{"<ID01><D*>6C<E>"});
    QCOMPARE(home.Written("sign-b.local:4001"), std::vector<std::string>{"<ID02><D*>6C<E>"});
    QVERIFY(home.context->link.Writes().empty());
    QCOMPARE(home.context->notice.boxes.size(), 1);
    const QString summary = home.context->notice.boxes.front().text;
    QCOMPARE(home.context->notice.boxes.front().kind, NoticeKind::Information);
    QVERIFY2(summary.contains(QRegularExpression("^Shop window: done in \\d+\\.\\d s\\nDoor: "
                                                 "done in \\d+\\.\\d s$")),
             qPrintable(summary));
    QVERIFY(In<QPushButton>(&deletefrm, "DeleteOk")->isEnabled());
    QVERIFY(home.context->status.contains("2 signs: 2 done, 0 failed"));

    // Back to the default: the panel's ID again.
    target->ChooseDefault();
    QVERIFY(ids->isEnabled());
  }

  // A sign behind a print queue takes Send Message as one print job to its own queue, while a
  // sign on a link gets its frames; a command that cannot go through a queue (Run Page) is
  // refused for that sign alone and the summary says so.
  void ASignBehindAQueueTakesTheMessageAsAPrintJob() {
    Home home(std::string(kTwoSigns) + "Till = queue:signq, 03, 3, 128\r\n");
    home.context->line1 = "Hello";
    TSetID setId(*home.context);
    auto spooler = std::make_shared<testing::ScriptedSpooler>();
    spooler->fates = {{JobFate::State::Delivered, ""}};
    setId.SetSpoolerMaker([spooler] { return spooler; });

    SignTargetChooser* target = TargetOf(&setId, "SendMessagePanel");
    target->ChooseAll();
    In<QPushButton>(&setId, "SendMessButton")->click();
    QVERIFY(home.Settle());
    QVERIFY(QTest::qWaitFor([&] { return home.context->notice.boxes.size() == 1; }, 20000));
    const std::vector<std::string> frames =
        PlanSendViaNetwork(home.context->AppWorkspace().graphics, "Hello", 'A', 0x03).Frames();
    std::vector<std::string> written;
    for (const std::string& call : spooler->calls) {
      if (call.rfind("write ", 0) == 0) written.push_back(call.substr(6));
    }
    QCOMPARE(spooler->calls.front(), std::string("open signq"));
    QCOMPARE(written.size(), 1u);
    std::string job;
    for (const std::string& frame : frames) job += frame;
    QCOMPARE(written.front(), job);
    QCOMPARE(home.Written("sign-a.local:4001").size(), 3u);
    QVERIFY(home.Written("sign-a.local:4001")[1].find("Hello") != std::string::npos);
    const QString summary = home.context->notice.boxes.front().text;
    QVERIFY2(summary.contains(QRegularExpression("\\nTill: done in \\d")), qPrintable(summary));
    QCOMPARE(home.context->notice.boxes.front().kind, NoticeKind::Information);

    home.context->notice.boxes.clear();
    spooler->calls.clear();
    TargetOf(&setId, "RunPagePanel")->ChooseAll();
    In<QPushButton>(&setId, "RunPageButton")->click();
    QVERIFY(home.Settle());
    QVERIFY(QTest::qWaitFor([&] { return home.context->notice.boxes.size() == 1; }, 20000));
    QVERIFY(spooler->calls.empty());
    const QString refused = home.context->notice.boxes.front().text;
    QCOMPARE(home.context->notice.boxes.front().kind, NoticeKind::Error);
    QVERIFY2(refused.contains(QRegularExpression("Till: [^\\n]*print queue")), qPrintable(refused));
    QVERIFY2(refused.contains("Shop window: done"), qPrintable(refused));
  }

  // Three signs, one silent: the others go through, the summary names the one that failed and
  // says why, as an error; its row says so while the window is up.
  void OneSilentSignFailsAlone() {
    Home home(std::string(kTwoSigns) + "Counter = sign-c.local:4001, 03, 3, 128\r\n");
    home.context->responders["sign-b.local:4001"] = [](std::size_t, std::string_view) {
      return std::string();
    };
    TLinkpagefrm linkpage(*home.context);
    auto* target = linkpage.findChild<SignTargetChooser*>();
    target->ChooseSeveral({"Shop window", "Door", "Counter"});
    In<QLineEdit>(&linkpage, "Edit1")->setText("ab");
    In<QPushButton>(&linkpage, "OK")->click();
    auto* progress = home.context->main.findChild<SignsProgress*>("SignsProgress");
    QVERIFY(progress != nullptr);
    QCOMPARE(In<QLabel>(progress, "SignName1")->text(), QString("Door"));
    QVERIFY(home.Settle());
    const std::string link = "<TA>00010100009912302359AB";
    QCOMPARE(home.Written("sign-a.local:4001").size(), 1u);
    QVERIFY(home.Written("sign-a.local:4001")[0].starts_with("<ID01>" + link));
    QVERIFY(home.Written("sign-b.local:4001")[0].starts_with("<ID02>" + link));
    QVERIFY(home.Written("sign-c.local:4001")[0].starts_with("<ID03>" + link));
    QCOMPARE(home.context->notice.boxes.size(), 1);
    const auto& box = home.context->notice.boxes.front();
    QCOMPARE(box.kind, NoticeKind::Error);
    const QStringList lines = box.text.split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[0].startsWith("Shop window: done in"), qPrintable(lines[0]));
    QVERIFY2(lines[1].startsWith("Door: failed: no answer within 3.3 s to frame 1 of 1"),
             qPrintable(lines[1]));
    QVERIFY2(lines[2].startsWith("Counter: done in"), qPrintable(lines[2]));
    QVERIFY(In<QPushButton>(&linkpage, "OK")->isEnabled());

    // "Several" with none ticked sends nothing and says what is missing.
    home.context->notice.Clear();
    target->ChooseSeveral({});
    In<QPushButton>(&linkpage, "OK")->click();
    QVERIFY(home.Settle());
    QCOMPARE(home.context->notice.shown, QStringList{kNoSignChosenText});
    QCOMPARE(home.Written("sign-a.local:4001").size(), 1u);
  }

  // Stop in the progress window: the sign being sent to ends after its frame, the one waiting
  // behind it on the same bus gets nothing, and the summary says where each stopped.
  void StopEndsTheSignsThatAreLeft() {
    Home home("Shop window = bus.local:4001, 01, 3, 128\r\nDoor = bus.local:4001, 02, 3, 128\r\n");
    // The first sign holds its answer until the test lets it go, so that Stop comes while a
    // frame is on its way.
    auto answer = std::make_shared<std::atomic<bool>>(false);
    home.context->responders["bus.local:4001"] = [answer](std::size_t, std::string_view) {
      while (!*answer) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return std::string("ACK");
    };
    TLinkpagefrm linkpage(*home.context);
    auto* target = linkpage.findChild<SignTargetChooser*>();
    target->ChooseAll();
    In<QLineEdit>(&linkpage, "Edit1")->setText("ab");
    In<QPushButton>(&linkpage, "OK")->click();
    auto* progress = home.context->main.findChild<SignsProgress*>("SignsProgress");
    QVERIFY(progress != nullptr);
    QVERIFY(QTest::qWaitFor([&] { return home.Written("bus.local:4001").size() == 1; }, 5000));
    In<QPushButton>(progress, "StopButton")->click();
    QVERIFY(!In<QPushButton>(progress, "StopButton")->isEnabled());
    *answer = true;
    QVERIFY(home.Settle());
    QVERIFY(QTest::qWaitFor([&] { return home.context->notice.boxes.size() == 1; }, 10000));
    // Shop window's one frame went; Door's never did.
    QCOMPARE(home.Written("bus.local:4001").size(), 1u);
    QVERIFY(home.Written("bus.local:4001")[0].starts_with("<ID01>"));
    const auto& box = home.context->notice.boxes.front();
    QCOMPARE(box.kind, NoticeKind::Error);
    const QStringList lines = box.text.split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith("Shop window: done in"), qPrintable(box.text));
    QVERIFY2(lines[1] == "Door: stopped after 0 frames", qPrintable(box.text));
    QVERIFY(In<QPushButton>(&linkpage, "OK")->isEnabled());
  }

  // One sign goes exactly as a panel's command always went, its own notice and all; a sign
  // on the port of the settings goes on the main road, not on a second one to the same port.
  void OneSignIsTodaysPathOnItsRoad() {
    Home home("Shop window = COM3, 05, 3, 128\r\nDoor = sign-b.local:4001, 02, 3, 128\r\n",
              "[Sign]\r\ncomport=3\r\n");
    TSetID setId(*home.context);
    TargetOf(&setId, "SetBrightPanel")->ChooseSign("Shop window");
    In<QComboBox>(&setId, "ComboBox8")->setCurrentIndex(1);
    In<QPushButton>(&setId, "BrightOk")->click();
    QVERIFY(home.Settle());
    QCOMPARE(home.context->link.Writes(),
             std::vector<std::string>{SignFrame(0x05, BrightnessBody(1))});
    QCOMPARE(home.context->link.LastPort(), 3);
    QVERIFY(home.context->namedLinks.empty());
    QCOMPARE(home.context->notice.shown, QStringList{"  Set Brightness OK  "});

    // Send Message to a sign of the list: the message for its ID, the dialog closes after.
    home.context->notice.Clear();
    home.context->line1 = "Hi";
    TargetOf(&setId, "SendMessagePanel")->ChooseSign("Door");
    setId.PreparePanel(TSetID::Panel::SendMessage);
    setId.show();
    In<QPushButton>(&setId, "SendMessButton")->click();
    QVERIFY(home.Settle());
    const std::vector<std::string> sent = home.Written("sign-b.local:4001");
    QCOMPARE(sent.size(), 3u);
    QCOMPARE(sent[0], SignFrame(0x02, "<BE>"));
    QVERIFY(sent[1].starts_with("<ID02><L1><PA>"));
    QVERIFY(home.context->notice.shown.isEmpty());
    QVERIFY(!setId.isVisible());
  }

  // Set ID goes to one sign alone on its line: the chooser offers no more, a sign sharing its
  // bus is refused with nothing written, and the list follows a sign that took its new ID.
  void SetIdGoesToOneSignAlone() {
    Home home(
        "Shop window = sign-a.local:4001, 01, 3, 128\r\n"
        "Counter = sign-a.local:4001, 02, 3, 128\r\n"
        "Door = sign-b.local:4001, 03, 3, 128\r\n");
    TSetID setId(*home.context);
    auto* targets = In<QComboBox>(In<QWidget>(&setId, "IDPanel"), "SignTargetList");
    QStringList offered;
    for (int i = 0; i < targets->count(); ++i) offered << targets->itemText(i);
    QCOMPARE(offered.size(), 4);  // the default and the three signs
    QVERIFY(!offered.join(",").contains("All signs"));
    QVERIFY(!offered.join(",").contains("Several"));

    SignTargetChooser* target = TargetOf(&setId, "IDPanel");
    target->ChooseSign("Counter");
    In<QComboBox>(&setId, "ComboBox1")->setCurrentIndex(0x2A - 1);
    In<QPushButton>(&setId, "OK")->click();
    QVERIFY(home.Settle());
    QVERIFY(home.context->namedLinks.empty());
    QCOMPARE(home.context->notice.shown.size(), 1);
    QVERIFY2(home.context->notice.shown[0].contains("Counter shares sign-a.local:4001 with"),
             qPrintable(home.context->notice.shown[0]));

    // Several signs are refused even when asked for.
    const SignBook& book = home.context->workspace.Signs();
    QVERIFY(SetIdTargetProblem(book.Signs(), book.List()));

    home.context->notice.Clear();
    home.context->responders["sign-b.local:4001"] = [](std::size_t, std::string_view) {
      return std::string("2A");
    };
    target->ChooseSign("Door");
    In<QPushButton>(&setId, "OK")->click();
    QVERIFY(home.Settle());
    QCOMPARE(home.Written("sign-b.local:4001"), std::vector<std::string>{"<ID><2A><E>"});
    QCOMPARE(home.context->workspace.Signs().List().Find("Door")->id, 0x2A);
    QVERIFY(FileText(home.folder.Path() / "Tavrin.signs").find("Door = sign-b.local:4001, 2A") !=
            std::string::npos);
  }

  // The Signs dialog: each bad input is said, the form stays with what was typed, and the list
  // and its file are as they were; a good sign is written at once and every chooser sees it.
  void TheSignsDialogKeepsWhatTheUserTyped() {
    Home home("Shop window = COM1, 01, 3, 128\r\n");
    SignsDialog dialog(*home.context);
    TSetID setId(*home.context);
    const std::string before = FileText(home.folder.Path() / "Tavrin.signs");
    struct Typed {
      const char *name, *address, *id, *said;
    };
    const Typed bad[] = {{"shop WINDOW", "COM2", "02", "there is a sign named"},
                         {"Door", "fax", "02", "Address: "},
                         {"Door", "COM2", "2G", "ID: "},
                         {"", "COM2", "02", "Name: "}};
    for (const Typed& typed : bad) {
      home.context->notice.Clear();
      bool stayed = false;
      dialog.SetFormRunner([&](SignForm& form) {
        In<QLineEdit>(&form, "SignName")->setText(typed.name);
        In<QComboBox>(&form, "SignAddress")->setEditText(typed.address);
        In<QLineEdit>(&form, "SignIdField")->setText(typed.id);
        form.OKClick();
        stayed = form.result() != QDialog::Accepted;
        QCOMPARE(In<QLineEdit>(&form, "SignName")->text(), QString(typed.name));
        QCOMPARE(In<QComboBox>(&form, "SignAddress")->currentText(), QString(typed.address));
        QCOMPARE(In<QLineEdit>(&form, "SignIdField")->text(), QString(typed.id));
      });
      dialog.AddClick();
      QVERIFY(stayed);
      QCOMPARE(home.context->notice.boxes.size(), 1);
      QCOMPARE(home.context->notice.boxes[0].kind, NoticeKind::Error);
      QVERIFY2(home.context->notice.shown[0].contains(typed.said),
               qPrintable(home.context->notice.shown[0]));
      QCOMPARE(In<QTableWidget>(&dialog, "SignTable")->rowCount(), 1);
      QCOMPARE(FileText(home.folder.Path() / "Tavrin.signs"), before);
    }

    home.context->notice.Clear();
    dialog.SetFormRunner([&](SignForm& form) {
      In<QLineEdit>(&form, "SignName")->setText("Door");
      In<QComboBox>(&form, "SignAddress")->setEditText("sign-b.local:4001");
      In<QLineEdit>(&form, "SignIdField")->setText("0b");
      In<QComboBox>(&form, "SignWidth")->setCurrentIndex(1);
      form.OKClick();
      QCOMPARE(form.result(), int(QDialog::Accepted));
    });
    dialog.AddClick();
    QVERIFY(home.context->notice.shown.isEmpty());
    auto* table = In<QTableWidget>(&dialog, "SignTable");
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(1, 2)->text(), QString("0B"));
    QVERIFY(
        FileText(home.folder.Path() / "Tavrin.signs").find("Door = sign-b.local:4001, 0B, 3, 96") !=
        std::string::npos);
    SignTargetChooser* target = TargetOf(&setId, "ClockPanel");
    target->ChooseSign("Door");
    QCOMPARE(target->Chosen().size(), 1u);

    // Removed: the chooser that had it goes back to the default.
    table->selectRow(1);
    dialog.RemoveClick();
    QCOMPARE(table->rowCount(), 1);
    QVERIFY(target->IsDefault());
  }

  // A list edited by hand: its bad lines are shown, and the file as the user wrote it is
  // copied to Tavrin.signs.bak before the first change is written over it.
  void AFileWithBadLinesGetsItsBackupFirst() {
    const std::string byHand =
        "Shop window = COM1, 01, 3, 128\r\n"
        "Counter = COM1, 2\r\n";
    Home home(byHand);
    SignsDialog dialog(*home.context);
    auto* problems = In<QLabel>(&dialog, "SignListProblems");
    QVERIFY(!problems->isHidden());
    QVERIFY2(problems->text().contains("Tavrin.signs line 2"), qPrintable(problems->text()));
    auto* table = In<QTableWidget>(&dialog, "SignTable");
    table->selectRow(0);
    dialog.RemoveClick();
    QCOMPARE(FileText(home.folder.Path() / "Tavrin.signs.bak"), byHand);
    QVERIFY(ReadSignList(home.folder.Path()).list.Signs().empty());
    QVERIFY(ReadSignList(home.folder.Path()).problems.empty());
    QCOMPARE(home.context->notice.shown.size(), 2);  // the question, then where the copy went
    QVERIFY2(home.context->notice.shown[1].contains("Tavrin.signs.bak"),
             qPrintable(home.context->notice.shown[1]));
    QVERIFY2(problems->text().contains("Tavrin.signs.bak"), qPrintable(problems->text()));
  }

  // Test sets the clock on the sign's own road and says in the dialog whether it answered.
  void TestSaysTheAnswerOrTheSilence() {
    Home home(kTwoSigns);
    home.context->responders["sign-b.local:4001"] = [](std::size_t, std::string_view) {
      return std::string();
    };
    SignsDialog dialog(*home.context);
    auto* table = In<QTableWidget>(&dialog, "SignTable");
    auto* result = In<QLabel>(&dialog, "SignTestResult");
    table->selectRow(0);
    dialog.TestClick();
    QVERIFY(home.Settle());
    QVERIFY2(result->text().startsWith("Shop window answered"), qPrintable(result->text()));
    const std::vector<std::string> frames = home.Written("sign-a.local:4001");
    QCOMPARE(frames.size(), 1u);
    QVERIFY(frames[0].starts_with("<ID01><SC>"));
    table->selectRow(1);
    dialog.TestClick();
    QVERIFY(home.Settle());
    QVERIFY2(result->text().startsWith("Door did not answer: no answer within 3.3 s"),
             qPrintable(result->text()));
    QVERIFY(home.context->notice.shown.isEmpty());
    QVERIFY(In<QPushButton>(&dialog, "TestSign")->isEnabled());
  }
};

QTEST_MAIN(ManySignsTest)
#include "ManySignsTest.moc"
