// The whole program against the virtual sign on a pseudo-terminal: what is drawn, typed and
// chosen in the windows arrives on the sign.
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <fstream>

#include "app/Tavrin.h"
#include "common/bytes.h"
#include "fonts/user_font.h"
#include "functions/command_bodies.h"
#include "tests/support/process.h"
#include "tests/support/recording_notice_qt.h"
#include "tests/support/road_qt.h"
#include "tests/support/scratch_folder.h"

using namespace tavrin;

namespace {

// The bodies the sign's log holds, bytes escaped as tavrin-cli prints them (\xHH).
QStringList LoggedBodies(const std::filesystem::path& log) {
  QStringList bodies;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) {
    const auto at = line.find("\"body\":\"") + 8;
    // The JSON string doubles each backslash of the escaped body.
    bodies
        << QString::fromStdString(line.substr(at, line.find('"', at) - at)).replace("\\\\", "\\");
  }
  return bodies;
}

// The virtual sign's command line, with more options.
std::vector<std::string> SignCommand(const std::filesystem::path& log,
                                     std::vector<std::string> more = {}) {
  std::vector<std::string> command{TAVRIN_VSIGN_PATH, "--pty", "--log", log.string()};
  command.insert(command.end(), more.begin(), more.end());
  return command;
}

// The program with its COM1 on a fresh virtual sign.
struct Program {
  explicit Program(std::vector<std::string> signOptions = {})
      : sign(SignCommand(logs / "sign.log", std::move(signOptions))) {
    const std::string pty = sign.FirstLine();
    home.Put("Tavrin.INI", "[Sign]\r\nshowform=0\r\ncomport=1\r\n[Ports]\r\nCOM1=" + pty + "\r\n");
    app = std::make_unique<TavrinApp>(home.Path());
    app->Form1().SetNotice(&notice);
  }
  QStringList Bodies() { return LoggedBodies(logs / "sign.log"); }

  testing::ScratchFolder home;
  testing::ScratchFolder logs;
  testing::BackgroundProcess sign;
  testing::RecordingNotice notice;
  std::unique_ptr<TavrinApp> app;
};

}  // namespace

class EndToEndTest : public QObject {
  Q_OBJECT

 private slots:
  // Two red cells drawn in the editor, saved as G02, inserted into Line 1 and sent: the sign
  // receives the graphic's block with those bits.
  void ADrawnGraphicReachesTheSign() {
    Program p;
    TGraphicForm& editor = p.app->GraphicForm();
    p.app->Form1().findChild<QAction*>("EditGraphic1")->trigger();
    QVERIFY(editor.isVisible());
    auto* grid = editor.findChild<QWidget*>("Image1");
    QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(4, 1));

    QTimer::singleShot(0, [&] {
      p.app->SelectGaphName().findChild<QComboBox*>("ComboBox1")->setCurrentIndex(1);
      p.app->SelectGaphName().findChild<QPushButton*>("OK")->click();
    });
    editor.findChild<QPushButton*>("Save")->click();
    editor.findChild<QPushButton*>("InsertButton")->click();
    QVERIFY(!editor.isVisible());
    QCOMPARE(p.app->Form1().LineText(1), std::string("<Pic:G02>"));

    p.app->SetID().findChild<QComboBox*>("ComboBox5")->setCurrentIndex(1);
    p.app->SetID().PreparePanel(TSetID::Panel::SendMessage);
    p.app->SetID().findChild<QPushButton*>("SendMessButton")->click();
    QVERIFY(testing::Settle(p.app->Form1().Road()));
    QVERIFY2(p.notice.shown.isEmpty(), qPrintable(p.notice.shown.join("|")));

    std::string block = "<GB1>";
    block += static_cast<char>(0xA0);  // pixels "AA@@" of row 1: red, red, off, off
    block += std::string(63, '\0');
    QCOMPARE(p.Bodies(), (QStringList{"<BE>", "<L1><PA><FE><MA><WC><FE><GB1>",
                                      QString::fromStdString(EscapeBytes(block)), "<BF>"}));
  }

  // A character drawn in the font maker goes to the sign through the transfer panel; the
  // European table draws it and keeps its picture.
  void ADrawnCharacterReachesTheSign() {
    Program p;
    TFontMakefrm& maker = p.app->FontMakefrm();
    p.app->Form1().findChild<QAction*>("UserFontMake1")->trigger();
    maker.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(1);  // U41
    maker.findChild<QComboBox*>("ComboBox2")->setCurrentIndex(1);  // 5x7
    maker.findChild<QToolButton*>("SpeedButton1")->click();
    auto* list = maker.findChild<QListWidget*>("ListBox1");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    const FontGridGeometry g = maker.Maker().Geometry();
    auto* grid = maker.findChild<QWidget*>("Image1");
    for (int x = 0; x < 5; ++x)
      QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(g.X0() + 15 * x + 7, g.Y0() + 15 * 3 + 7));

    maker.findChild<QAction*>("TransfertoSign2")->trigger();
    TDeletefrm& transfer = p.app->Deletefrm();
    QVERIFY(transfer.isVisible());
    QCOMPARE(transfer.windowTitle(), QString("Transfer Font To Sign"));
    transfer.findChild<QComboBox*>("ComboBox4")->setCurrentIndex(1);
    transfer.findChild<QPushButton*>("TransFont")->click();
    QVERIFY(testing::Settle(p.app->Form1().Road()));
    QCOMPARE(p.notice.Described(), QStringList{"information Yes:       Transfer Font OK      "});
    std::string character = "<FA01>";
    character += std::string(3, '\0') + "\xF8" + std::string(4, '\0');
    QCOMPARE(p.Bodies(),
             (QStringList{"<BE>", QString::fromStdString(EscapeBytes(character)), "<BF>"}));
    // Row 3 of the glyph in cell 65, and in the saved picture.
    QCOMPARE(p.app->EuropeanCharForm().Picture().pixelColor(291 + 4, 139 + 3), QColor(Qt::black));
    QVERIFY(std::filesystem::exists(p.home / "EuroCharForm58204.bmp"));
  }

  // The font maker's list changes while a transfer runs to a slow sign: an entry deleted, an
  // empty font file opened, an entry added. The transfer sends the list as it stood when it
  // started, and ends with "<BF>"; the font maker keeps what the user did.
  void AFontListChangedDuringATransferGoesWhole() {
    Program p({"--delay-ms", "40"});
    TFontMakefrm& maker = p.app->FontMakefrm();
    FontList twelve;
    for (int code = kFirstUserCode; code < kFirstUserCode + 4; ++code) {
      for (const FontSize& size : kFontSizes) {
        FontEntry& entry = twelve.At(*twelve.Add(code, size.text));
        for (std::size_t i = 0; i < 3; ++i) entry.record.bytes[i] = entry.text[i];
        entry.record.bytes[3] = static_cast<std::uint8_t>(size.letter);
        entry.record.bytes[4] = static_cast<std::uint8_t>(code);
      }
    }
    QVERIFY(WriteFontFile(p.home / "twelve.fon", twelve));
    QVERIFY(WriteFontFile(p.home / "empty.fon", FontList{}));
    maker.Open();
    QVERIFY(maker.OpenFontFile(p.home / "twelve.fon"));
    maker.ListBox1MouseUp(11);

    TDeletefrm& transfer = p.app->Deletefrm();
    transfer.ShowTransferPanel();
    transfer.findChild<QComboBox*>("ComboBox4")->setCurrentIndex(1);
    int changes = 0;
    QTimer edits;
    edits.setInterval(150);
    QObject::connect(&edits, &QTimer::timeout, [&] {
      switch (changes++) {
        case 0:
          maker.SpeedButton2Click();  // the last entry, chosen above
          break;
        case 1:
          QVERIFY(maker.OpenFontFile(p.home / "empty.fon"));
          break;
        case 2:
          maker.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(5);
          maker.SpeedButton1Click();
          break;
        default:
          edits.stop();
      }
    });
    edits.start();
    transfer.findChild<QPushButton*>("TransFont")->click();
    const QString done = "information Yes:       Transfer Font OK      ";
    QVERIFY(QTest::qWaitFor([&] { return p.notice.Described().contains(done); }, 20000));
    QCOMPARE(changes, 4);  // every change came while the transfer ran

    QCOMPARE(p.notice.Described(),
             (QStringList{"question YesNo:         Comfirm to delete the Selected Item?        ",
                          done}));
    const QStringList bodies = p.Bodies();
    QCOMPARE(bodies.size(), 14);
    QCOMPARE(bodies.front(), QString("<BE>"));
    QCOMPARE(bodies.back(), QString("<BF>"));
    for (std::size_t i = 0; i < twelve.Size(); ++i) {
      QCOMPARE(bodies[static_cast<int>(i) + 1],
               QString::fromStdString(EscapeBytes(UserCharacterBody(twelve.At(i).record))));
    }
    QCOMPARE(maker.List().Size(), std::size_t{1});
    QVERIFY(maker.List().At(0).text.starts_with("U45-"));
  }
};

QTEST_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
