#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "fonts/Ueuropenunit.h"
#include "fonts/Ufontmake.h"
#include "fonts/euro_table_qt.h"
#include "functions/Udeleteuserfont.h"
#include "tests/support/fake_window_context_qt.h"
#include "tests/support/road_qt.h"
#include "tests/support/scratch_folder.h"

using namespace tavrin;

using FakeContext = testing::FakeWindowContext;

class FontWindowsTest : public QObject {
  Q_OBJECT

  template <class T>
  static T* In(QWidget* w, const char* name) {
    T* child = w->findChild<T*>(name);
    if (child == nullptr) qFatal("no %s", name);
    return child;
  }

 private slots:
  void AddDrawSaveAndOpen() {
    testing::ScratchFolder home;
    FakeContext context(home.Path());
    TFontMakefrm form(context);
    form.Open();
    QCOMPARE(form.windowTitle(), QString("Font Make"));
    auto* codes = In<QComboBox>(&form, "ComboBox1");
    QCOMPARE(codes->count(), 64);
    QCOMPARE(codes->itemText(63), QString("U7F"));
    auto* add = In<QToolButton>(&form, "SpeedButton1");
    auto* list = In<QListWidget>(&form, "ListBox1");

    codes->setCurrentIndex(1);
    In<QComboBox>(&form, "ComboBox2")->setCurrentIndex(1);  // U41 5x7
    add->click();
    add->click();
    QCOMPARE(context.notice.Described(),
             QStringList{"confirmation Yes:     This Char and the same Font Size Exists    "});
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->currentRow(), -1);  // a new character is not chosen

    // Nothing happens on the grid before a character is chosen.
    auto* image = In<QWidget>(&form, "Image1");
    QTest::mouseClick(image, Qt::LeftButton, {}, QPoint(128, 100));
    QCOMPARE(form.DrawingImage().pixelColor(128, 100), QColor(212, 208, 200));

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    QCOMPARE(In<QLabel>(&form, "Label4")->text(), QString("Width: 5"));
    QCOMPARE(In<QLabel>(&form, "Label5")->text(), QString("Height: 7"));
    // The capital A, dot by dot.
    const char* rows[] = {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"};
    const FontGridGeometry g = form.Maker().Geometry();
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 5; ++x) {
        if (rows[y][x] == '#') {
          QTest::mouseClick(image, Qt::LeftButton, {},
                            QPoint(g.X0() + 15 * x + 7, g.Y0() + 15 * y + 7));
        }
      }
    }
    QCOMPARE(form.DrawingImage().pixelColor(g.X0() + 7, g.Y0() + 15 + 7), QColor(255, 0, 0));
    QCOMPARE(form.DrawingImage().pixelColor(g.X0(), g.Y0()), QColor(0, 128, 64));  // a line
    QCOMPARE(In<QLabel>(&form, "StatusPanel1")->text(), QString("Position: (4, 6)"));
    const UserFontRecord& a = form.List().At(0).record;
    QCOMPARE(a.bytes[4], std::uint8_t(0x70));
    QCOMPARE(a.bytes[7], std::uint8_t(0xF8));

    QVERIFY(form.SaveFontFile(home / "a.fon"));
    // "NO" then Save: the record is all zero in the file.
    In<QPushButton>(&form, "Button2")->click();
    QVERIFY(form.List().At(0).record.AllZero());
    QVERIFY(form.SaveFontFile(home / "cleared.fon"));
    QCOMPARE(testing::ScratchFolder::Slurp(home / "cleared.fon").substr(21), std::string(52, '\0'));

    // A wrong file leaves the list; a right one replaces it.
    home.Put("wrong.fon", "LEDFONTModal5820x");
    const Status wrong = form.OpenFontFile(home / "wrong.fon");
    QCOMPARE(QString::fromStdString(wrong.ErrorText()),
             QString(" This font file is not for LED Display Modal58204"));
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QString("U41-5x7"));
    QVERIFY(form.OpenFontFile(home / "a.fon"));
    QCOMPARE(form.List().At(0).record.bytes[4], std::uint8_t(0x70));

    // Delete asks, removes the chosen character and clears the picture.
    list->setCurrentRow(0);
    context.notice.Clear();
    In<QToolButton>(&form, "SpeedButton2")->click();
    QCOMPARE(context.notice.shown,
             QStringList{"        Comfirm to delete the Selected Item?        "});
    QCOMPARE(list->count(), 0);
    QCOMPARE(form.DrawingImage().pixelColor(g.X0(), g.Y0()), QColor(212, 208, 200));
    QVERIFY(!form.findChild<QAction*>("TransfertoSign2")->isEnabled());
  }

  void TheEuropeanTable() {
    testing::ScratchFolder home;
    FakeContext context(home.Path());
    TuEuropeanCharForm form(context);
    QCOMPARE(form.windowTitle(), QString("European Char Form"));
    // Without a working picture the built-in table shows, and the default picture is written.
    QVERIFY(std::filesystem::exists(home / "EuroCharFormDefault.bmp"));
    QVERIFY(!std::filesystem::exists(home / "EuroCharForm58204.bmp"));
    QCOMPARE(form.Picture().size(), QSize(572, 301));
    QVERIFY(form.Picture() == BuiltInEuroTable());

    // Insert before a choice inserts nothing.
    In<QPushButton>(&form, "Insert")->click();
    QCOMPARE(context.line1, std::string());
    auto* image = In<QWidget>(&form, "Image1");
    QTest::mouseClick(image, Qt::LeftButton, {}, QPoint(5 * 57 + 20, 6 * 23 + 10));
    QCOMPARE(In<QLabel>(&form, "Label1")->text(), QString("U41"));
    QVERIFY(form.Picture() != BuiltInEuroTable());  // the frame is on the picture
    // The empty cells and the strips outside change nothing.
    QTest::mouseClick(image, Qt::LeftButton, {}, QPoint(8 * 57 + 20, 12 * 23 + 10));
    QTest::mouseClick(image, Qt::LeftButton, {}, QPoint(574, 10));
    QCOMPARE(In<QLabel>(&form, "Label1")->text(), QString("U41"));
    In<QPushButton>(&form, "Insert")->click();
    QCOMPARE(context.line1, std::string("<U41>"));
    // The same cell twice keeps its frame.
    const QImage framed = form.Picture();
    QTest::mouseClick(image, Qt::LeftButton, {}, QPoint(5 * 57 + 30, 6 * 23 + 12));
    QVERIFY(form.Picture() == framed);

    // A transferred character is drawn in its cell at one pixel a dot; saving writes it
    // without the frame.
    UserFontRecord a;
    a.bytes = {'U', '4', '1', 'A', 0x70, 0x88, 0x88, 0xF8, 0x88, 0x88, 0x88};
    form.DrawTransferred(a);
    QCOMPARE(form.Picture().pixelColor(291 + 1, 139), QColor(Qt::black));
    QCOMPARE(form.Picture().pixelColor(291, 139), QColor(Qt::white));
    QVERIFY(form.SavePicture());
    const Result<QImage> saved = LoadEuroPicture(home / "EuroCharForm58204.bmp");
    QVERIFY(saved.Ok());
    QCOMPARE(saved->pixelColor(291 + 1, 139), QColor(Qt::black));
    QCOMPARE(saved->pixelColor(286, 145), QColor(Qt::white));  // no frame in the file

    // A new start loads the working picture.
    TuEuropeanCharForm again(context);
    QCOMPARE(again.Picture().pixelColor(291 + 1, 139), QColor(Qt::black));

    // The recall: "<DU>" accepted, the default picture back on screen and over the file.
    TDeleteFontfrm recall(context, [&] { again.RecallDefault(); });
    QCOMPARE(recall.windowTitle(), QString("Confirm"));
    QVERIFY(In<QLabel>(&recall, "Label2")->text().endsWith("software. "));
    In<QComboBox>(&recall, "ComboBox1")->setCurrentIndex(1);
    context.notice.Clear();
    In<QPushButton>(&recall, "Button1")->click();
    QVERIFY(testing::Settle(context.road));
    QCOMPARE(context.link.Writes(), std::vector<std::string>{"<ID01><DU>13<E>"});
    QCOMPARE(context.notice.Described(),
             QStringList{"information Yes:   Recall Default Font OK  "});
    QVERIFY(again.Picture() == BuiltInEuroTable());
    QCOMPARE(testing::ScratchFolder::Slurp(home / "EuroCharForm58204.bmp"),
             testing::ScratchFolder::Slurp(home / "EuroCharFormDefault.bmp"));
  }

  void DragTogglesEachCellOnce() {
    testing::ScratchFolder home;
    FakeContext context(home.Path());
    TFontMakefrm form(context);
    In<QToolButton>(&form, "SpeedButton1")->click();  // U40 4x7
    auto* list = In<QListWidget>(&form, "ListBox1");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    auto* image = In<QWidget>(&form, "Image1");
    const FontGridGeometry g = form.Maker().Geometry();
    const QPoint start(g.X0() + 3, g.Y0() + 3);
    QTest::mousePress(image, Qt::LeftButton, {}, start);
    for (const QPoint p : {QPoint(g.X0() + 9, g.Y0() + 3), QPoint(g.X0() + 3, g.Y0() + 9),
                           QPoint(g.X0() + 18, g.Y0() + 3)}) {
      QMouseEvent move(QEvent::MouseMove, p, image->mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                       Qt::NoModifier);
      QApplication::sendEvent(image, &move);
    }
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(g.X0() + 18, g.Y0() + 3));
    QVERIFY(form.Maker().Lit(0, 0));
    QVERIFY(form.Maker().Lit(1, 0));
    QCOMPARE(form.List().At(0).record.bytes[4], std::uint8_t(0xC0));
    QCOMPARE(form.List().At(0).record.SizeLetter(), 'C');
  }
};

QTEST_MAIN(FontWindowsTest)
#include "FontWindowsTest.moc"
