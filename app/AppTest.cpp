#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <atomic>
#include <future>
#include <set>

#include "app/Tavrin.h"
#include "tests/support/main_window_qt.h"
#include "tests/support/recording_notice_qt.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_link.h"
#include "ui/controls.h"

using namespace tavrin;
using tavrin::testing::ScriptedLink;

namespace {

// What a command of the main window opens.
struct Opens {
  const char* action;
  const char* window;  // object name of the window
  const char* panel;   // the one panel shown, or "" for a window without panels
  const char* caption;
  bool modal;
};

constexpr Opens kCommands[] = {
    {"SetCOM1", "SetCom", "ComPanel", "Set COM", true},
    {"DisplayTime1", "SetCom", "displayPanel", "Display Time", true},
    {"MoveSpeed1", "MoveSpeedfrm", "speedPanel", "Move Speed", false},
    {"Column1", "MoveSpeedfrm", "Panel1", "Set Starting Column", false},
    {"About1", "AboutBox", "Panel1", "About", true},
    {"ShowColorSetting1", "signColorfrm", "", "Sign Color", true},
    {"SendMessage1", "SetID", "SendMessagePanel", "Send Message", true},
    {"ToolButton9", "SetID", "SendMessagePanel", "Send Message", true},
    {"ToolButton12", "SetID", "SendViaNetPanel", "Set ID&Page to Sent Via Network", true},
    {"RunPage1", "SetID", "RunPagePanel", "Run Page", true},
    {"SetID1", "SetID", "IDPanel", "Set SignID", true},
    {"SetClock1", "SetID", "ClockPanel", "Set Clock", true},
    {"SetBrightness1", "SetID", "SetBrightPanel", "Set Brightness", true},
    {"LinkPagesToRun1", "Linkpagefrm", "", "Link Pages", false},
    {"DisplaybySchedule1", "Schedule", "", "Schedule", false},
    {"EditGraphic1", "GraphicForm", "", "GraphicForm", false},
    {"UserFontMake1", "FontMakefrm", "Panel2", "Font Make", false},
    {"EuropeanChar1", "uEuropeanCharForm", "Panel1", "European Char Form", false},
    {"RecallDefaultFont1", "DeleteFontfrm", "", "Confirm", true},
    {"DeletePage1", "Deletefrm", "DelPagePanel", "Delete page", true},
    {"DeleteSchedule1", "Deletefrm", "DelSchedulePanel", "Delete Schedule", true},
    {"DeleteAll1", "Deletefrm", "DeleteAllPanel", "Delete All", true},
    {"Signs1", "SignsDialog", "", "Signs", true},
};

// Items the main window handles itself, and items of parts still to come (disabled).
const std::set<QString> kOwnItems = {"New1",
                                     "Open1",
                                     "Save1",
                                     "SaveAs1",
                                     "Undo1",
                                     "SelectAll1",
                                     "Exit1",
                                     "Cut1",
                                     "Copy1",
                                     "Paste1",
                                     "Delete1",
                                     "ReadMe1",
                                     "ToolButton1",
                                     "ToolButton2",
                                     "ToolButton3",
                                     "ToolButton5",
                                     "ToolButton6",
                                     "ToolButton7",
                                     "CapitalControlByLine1",
                                     "Preview1"};
const std::set<QString> kNotYetBuilt = {"ToolButton10", "DeleteGraphicBlock1"};

bool IsTagItem(const QString& name) {
  for (const TagMenu menu :
       {TagMenu::LeadingEffect, TagMenu::Welcome, TagMenu::DisplayEffect, TagMenu::ClosingEffect,
        TagMenu::Bell, TagMenu::SpecialFunction, TagMenu::Font, TagMenu::Color}) {
    for (const TagMenuItem& item : TagMenuItems(menu)) {
      if (name == QString::fromLatin1(item.name.data(), static_cast<qsizetype>(item.name.size())))
        return true;
    }
  }
  return false;
}

// Every action of the menus (submenus included) and of the toolbar.
QList<QAction*> AllCommands(TForm1& form1) {
  QList<QAction*> all;
  std::function<void(QMenu*)> walk = [&](QMenu* menu) {
    for (QAction* a : menu->actions()) {
      if (a->menu() != nullptr) {
        walk(a->menu());
      } else if (!a->isSeparator()) {
        all << a;
      }
    }
  };
  for (QAction* top : form1.menuBar()->actions()) walk(top->menu());
  for (QAction* a : form1.findChild<QToolBar*>("ToolBar1")->actions()) {
    if (!a->isSeparator()) all << a;
  }
  return all;
}

// The window's panels that are shown.
QStringList VisiblePanels(QWidget* window) {
  QStringList panels;
  for (QWidget* child : window->findChildren<QWidget*>()) {
    const QString name = child->objectName();
    if (name.contains("Panel", Qt::CaseInsensitive) && !name.startsWith("StatusPanel") &&
        child->isVisibleTo(window)) {
      panels << child->objectName();
    }
  }
  return panels;
}

struct Seen {
  QString window, caption;
  QStringList panels;
  QPoint offCentre;  // the window's centre less the centre of its screen
};

Seen Look(QWidget* window) {
  const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
  return {window->objectName(), window->windowTitle(), VisiblePanels(window),
          window->frameGeometry().center() - centre};
}

// The windows the program places at the centre of the screen.
const std::set<QString> kCentred = {"SetCom",       "AboutBox",    "MoveSpeedfrm",
                                    "signColorfrm", "GraphicForm", "EuropeanCharForm",
                                    "FontMakefrm"};

}  // namespace

class AppTest : public QObject {
  Q_OBJECT

 private slots:
  void EveryMenuItemOpensItsWindowAndPanel() {
    testing::ScratchFolder home;
    home.Put("Tavrin.INI", "[Sign]\r\nshowform=0\r\n");
    TavrinApp app(home.Path());
    TForm1& form1 = app.Form1();
    form1.show();  // as the program runs: dialogs open over a main window on the screen
    QVERIFY(QTest::qWaitForWindowExposed(&form1));
    std::set<QString> checked;
    for (QAction* action : AllCommands(form1)) {
      const QString name = action->objectName();
      QVERIFY2(!name.isEmpty(), qPrintable("an item without a name: " + action->text()));
      if (IsTagItem(name) || kOwnItems.count(name) > 0) continue;
      if (kNotYetBuilt.count(name) > 0) {
        QVERIFY2(!action->isEnabled() || name == "DeleteGraphicBlock1", qPrintable(name));
        continue;
      }
      const Opens* expected = nullptr;
      for (const Opens& o : kCommands) {
        if (name == o.action) expected = &o;
      }
      QVERIFY2(expected != nullptr, qPrintable("an item nobody expects: " + name));
      QVERIFY2(action->isEnabled(), qPrintable(name));

      Seen seen;
      if (expected->modal) {
        bool looked = false;
        QTimer::singleShot(0, [&] {
          QWidget* dialog = QApplication::activeModalWidget();
          if (dialog == nullptr) return;
          seen = Look(dialog);
          looked = true;
          qobject_cast<QDialog*>(dialog)->reject();
        });
        action->trigger();
        QVERIFY2(looked, qPrintable(name + " opened no modal window"));
      } else {
        action->trigger();
        QWidget* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
          if (w->objectName() == expected->window && w->isVisible()) window = w;
        }
        QVERIFY2(window != nullptr, qPrintable(name + " showed nothing"));
        seen = Look(window);
        window->hide();
      }
      QCOMPARE(seen.window, QString(expected->window));
      QCOMPARE(seen.caption, QString(expected->caption));
      QVERIFY2(seen.panels.size() <= 1, qPrintable(name + ": " + seen.panels.join(",")));
      QCOMPARE(seen.panels, *expected->panel ? QStringList{expected->panel} : QStringList{});
      if (kCentred.count(seen.window) > 0) {
        QVERIFY2(seen.offCentre.manhattanLength() <= 1,
                 qPrintable(QString("%1 is off the centre by %2, %3")
                                .arg(name)
                                .arg(seen.offCentre.x())
                                .arg(seen.offCentre.y())));
      }
      checked.insert(name);
    }
    QCOMPARE(checked.size(), std::size(kCommands));
  }

  // Every list of the program is pick-only, closed or dropped down: typed characters choose
  // nothing, the arrow keys still do.
  void EveryListIsPickOnly() {
    testing::ScratchFolder home;
    home.Put("Tavrin.INI", "[Sign]\r\nshowform=0\r\n");
    TavrinApp app(home.Path());
    // Built on first use: the main window alone is there at the start.
    app.Form1().show();
    QVERIFY(QTest::qWaitForWindowExposed(&app.Form1()));
    QCOMPARE(app.WindowsBuilt(), 0);
    for (QWidget* window : std::initializer_list<QWidget*>{
             &app.SetCom(), &app.AboutBox(), &app.Schedule(), &app.ScheduleAdd(), &app.Deletefrm(),
             &app.SetID(), &app.GraphicForm(), &app.EuropeanCharForm(), &app.SelectGaphName(),
             &app.InputTextfrm(), &app.BmpSaveLoad(), &app.FontMakefrm(), &app.Linkpagefrm(),
             &app.MoveSpeedfrm(), &app.SignColorfrm(), &app.Signs()}) {
      QVERIFY(window != nullptr);
    }
    QCOMPARE(app.WindowsBuilt(), 16);
    app.Form1().hide();
    int lists = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
      for (QComboBox* list : window->findChildren<QComboBox*>()) {
        if (list->count() < 2) continue;
        ++lists;
        const QString name = window->objectName() + "/" + list->objectName();
        QVERIFY2(!list->isEditable(), qPrintable(name));
        list->setCurrentIndex(0);
        QTest::keyClicks(list, "1FbZ");
        QCOMPARE(list->currentIndex(), 0);
        QTest::keyClicks(list->view(), "1FbZ");
        QTest::keyClick(list->view(), Qt::Key_Return);
        QVERIFY2(list->currentIndex() == 0, qPrintable(name));
        QTest::keyClick(list, Qt::Key_Down);
        QVERIFY2(list->currentIndex() == 1, qPrintable(name));
      }
    }
    QVERIFY2(lists >= 20, qPrintable(QString::number(lists)));
  }

  // "Tavrin FILE.tvr" opens the file, as a file manager starts it.
  void TheProgramOpensTheFileItIsGiven() {
    testing::ScratchFolder home;
    home.Put("Tavrin.INI", "[Sign]\r\nshowform=0\r\n");
    home.Put("hello.tvr",
             "{\\rtf1 {\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}"
             "\\cf2 <Red>\\cf1 Hello\\par}");
    const auto run = [&](const QStringList& arguments) {
      QProcess tavrin;
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert("TAVRIN_HOME", FromPath(home.Path()));
      environment.insert("QT_QPA_PLATFORM", "offscreen");
      tavrin.setProcessEnvironment(environment);
      tavrin.start(TAVRIN_APP_PATH, arguments);
      if (!tavrin.waitForFinished(30000)) tavrin.kill();
      return QString::fromUtf8(tavrin.readAllStandardError());
    };
    const QString opened = run({"--exit-when-shown", FromPath(home / "hello.tvr")});
    QVERIFY2(opened.contains("main window \"hello.tvr - Tavrin\" shown"), qPrintable(opened));
    const QString none = run({"--exit-when-shown"});
    QVERIFY2(none.contains("main window \"Tavrin\" shown"), qPrintable(none));
  }

  // While a schedule send waits for a silent sign, Send Message is tried: it is refused, says
  // why, and writes nothing; the schedule send then ends as it would have.
  void OneCommandAtATime() {
    testing::ScratchFolder home;
    home.Put("Tavrin.INI", "[Sign]\r\nshowform=0\r\n");
    TavrinApp app(home.Path());
    testing::RecordingNotice notice;
    ScriptedLink link([](std::size_t, std::string_view) { return std::string(); });
    app.Form1().SetNotice(&notice);
    app.Form1().SetLink(&link);
    app.Form1().InsertAtCaret("Hi");
    QVERIFY(app.Schedule().List().Add({"05/12/08 08:00", "05/31/08 18:30", "A"}));
    app.Schedule().findChild<QComboBox*>("ComboBox1")->setCurrentIndex(1);

    // The sign keeps silent, and the first silence lasts until the test lets it end.
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> waiting = false;
    link.OnReadTimeout([&] {
      if (!waiting.exchange(true)) released.wait();
    });
    app.Schedule().findChild<QPushButton*>("Send")->click();
    QTRY_VERIFY(waiting);
    QTimer::singleShot(0, [&] {
      auto* send = app.SetID().findChild<QPushButton*>("SendMessButton");
      send->click();
      QVERIFY(send->isEnabled());
      app.SetID().reject();
    });
    app.Form1().findChild<QAction*>("SendMessage1")->trigger();
    QVERIFY(!app.Schedule().findChild<QPushButton*>("Send")->isEnabled());
    release.set_value();
    QVERIFY(testing::Settle(app.Form1().Road()));
    QCOMPARE(notice.Described(),
             (QStringList{QString("plain OK: ") + kBusyText, "plain OK:   Send Schedule Error  "}));
    QCOMPARE(link.Writes().size(), 1u);
    QVERIFY(app.Schedule().findChild<QPushButton*>("Send")->isEnabled());
  }
};

QTEST_MAIN(AppTest)
#include "AppTest.moc"
