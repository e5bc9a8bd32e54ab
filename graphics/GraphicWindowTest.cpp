#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "graphics/Ubmpsaveload.h"
#include "graphics/Ufont.h"
#include "graphics/Ugraphic.h"
#include "graphics/Usavegraph.h"
#include "graphics/bitmap_qt.h"
#include "graphics/tools/graphic_tool.h"
#include "tests/support/fake_window_context_qt.h"
#include "tests/support/scratch_folder.h"
#include "ui/controls.h"

using namespace tavrin;

namespace {

using FakeContext = testing::FakeWindowContext;

struct Editor {
  explicit Editor(const std::string& g01 = "") {
    if (!g01.empty()) home.Put("Graphdata/G01.txt", g01);
    form = std::make_unique<TGraphicForm>(context);
    chooser = std::make_unique<TSelectGaphName>(&context.main);
    inputText = std::make_unique<TInputTextfrm>(*form);
    bmp = std::make_unique<TBmpSaveLoad>(*form);
    form->SetNameChooser(chooser.get());
    form->SetTextInput([this] { inputText->exec(); });
    form->SetBitmapDialog([this] { bmp->exec(); });
    form->Open();
  }
  template <class T>
  T* In(const char* name) {
    T* child = form->findChild<T*>(name);
    if (child == nullptr) qFatal("no %s", name);
    return child;
  }
  QWidget* Grid() { return In<QWidget>("Image1"); }
  // The centre of a cell at the present zoom.
  QPoint CellCentre(int column, int row) {
    const int s = form->Editor().CellSize();
    return {column * s + s / 2, row * s + s / 2};
  }
  char CellAt(int column, int row) { return form->Editor().Cells().At(column, row); }
  void Tool(int n) { In<QToolButton>(QString("SpeedButton%1").arg(n).toLatin1())->click(); }
  // Drags on the grid with the left button, through the given cells.
  void Drag(std::vector<QPoint> cells) {
    QTest::mousePress(Grid(), Qt::LeftButton, {}, CellCentre(cells[0].x(), cells[0].y()));
    for (const QPoint c : cells) {
      QMouseEvent move(QEvent::MouseMove, CellCentre(c.x(), c.y()),
                       Grid()->mapToGlobal(CellCentre(c.x(), c.y())), Qt::NoButton, Qt::LeftButton,
                       Qt::NoModifier);
      QApplication::sendEvent(Grid(), &move);
    }
    QTest::mouseRelease(Grid(), Qt::LeftButton, {}, CellCentre(cells.back().x(), cells.back().y()));
  }
  // Answers the name chooser with the entry at index.
  void ChooseName(int index) {
    QTimer::singleShot(0, [this, index] {
      chooser->findChild<QComboBox*>("ComboBox1")->setCurrentIndex(index);
      chooser->findChild<QPushButton*>("OK")->click();
    });
  }

  testing::ScratchFolder home;
  FakeContext context{home.Path()};
  std::unique_ptr<TGraphicForm> form;
  std::unique_ptr<TSelectGaphName> chooser;
  std::unique_ptr<TInputTextfrm> inputText;
  std::unique_ptr<TBmpSaveLoad> bmp;
};

}  // namespace

class GraphicWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void ToolsColoursAndZoomByMouse() {
    Editor e;
    QCOMPARE(e.form->windowTitle(), QString("GraphicForm"));
    QCOMPARE(e.Grid()->size(), QSize(32 * 3, 7 * 3));
    // Zoom: "8" is the most and "1" the least.
    for (int i = 0; i < 9; ++i) e.In<QToolButton>("SpeedButton14")->click();
    QCOMPARE(e.In<QComboBox>("ComboBox3")->currentText(), QString("8"));
    QCOMPARE(e.Grid()->size(), QSize(320, 70));
    e.In<QToolButton>("SpeedButton13")->click();
    QCOMPARE(e.form->Editor().CellSize(), 9);

    // A click with the Pen paints one cell, in red at first.
    QTest::mouseClick(e.Grid(), Qt::LeftButton, {}, e.CellCentre(3, 2));
    QCOMPARE(e.CellAt(3, 2), kCellRed);
    QCOMPARE(e.form->GridImage().pixelColor(e.CellCentre(3, 2)), QColor(255, 0, 0));
    // A swatch chooses the colour, and the indicator follows.
    QTest::mouseClick(e.In<QWidget>("Shape8"), Qt::LeftButton);
    QCOMPARE(e.form->Editor().Colour(), kCellGreen);
    e.Tool(3);  // Line
    e.Drag({{2, 4}, {2, 4}, {6, 4}});
    QCOMPARE(e.CellAt(5, 4), kCellGreen);
    QCOMPARE(e.CellAt(6, 4), kCellOff);
    // The band was drawn in XOR and is gone after the release.
    QImage plain = e.form->GridImage();
    e.form->Redraw();
    QCOMPARE(e.form->GridImage(), plain);

    // The undo keys take the line back, then bring it again.
    e.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(e.form.get()));
    QTest::keyClick(e.form.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(e.CellAt(5, 4), kCellOff);
    QTest::keyClick(e.form.get(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(e.CellAt(5, 4), kCellGreen);
    QTest::keyClick(e.form.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(e.form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(e.CellAt(5, 4), kCellGreen);

    // Sizes by the lists; the hidden part comes back.
    e.In<QComboBox>("ComboBox2")->setCurrentIndex(4);
    emit e.In<QComboBox>("ComboBox2")->activated(4);
    QCOMPARE(e.form->Editor().Width(), 128);

    // The sign colour mode moves and hides the swatches.
    e.context.ApplySignColorMode(false);
    QVERIFY(!e.In<QWidget>("Shape8")->isVisibleTo(e.form.get()));
    QCOMPARE(e.In<QWidget>("Shape7")->x(), 42);
    QCOMPARE(e.In<QWidget>("Shape10")->x(), 82);
    e.context.ApplySignColorMode(true);
    QCOMPARE(e.In<QWidget>("Shape7")->x(), 17);
    QCOMPARE(e.In<QWidget>("Shape10")->x(), 92);
  }

  void EveryToolHasAButtonAPictureAndACursor() {
    Editor e;
    // Whether a picture shows anything at a size: drawn, and not all transparent.
    const auto drawn = [](const QIcon& icon, int size) {
      const QImage image = icon.pixmap(size, size).toImage();
      for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
          if (qAlpha(image.pixel(x, y)) > 0) return true;
        }
      }
      return false;
    };
    int n = 0;
    for (const std::unique_ptr<GraphicTool>& tool : e.form->Editor().Tools()) {
      const ToolDescription& d = tool->Description();
      const QString name = FromUtf8(d.name);
      auto* button = e.In<QToolButton>(QString("SpeedButton%1").arg(++n).toLatin1());
      QVERIFY2(button->toolTip().startsWith(name + "\n"), qPrintable(button->toolTip()));
      QVERIFY2(drawn(button->icon(), 16), qPrintable(name));
      // Our own picture, whether or not the desktop's theme has one.
      const QString file = GraphicIconFile(d.key);
      for (const int size : {16, 24, 32}) QVERIFY2(drawn(QIcon(file), size), qPrintable(file));
      // The grid's pointer follows the tool: the I-beam for Text, the cross for the others.
      button->click();
      QTest::mouseMove(e.Grid(), e.CellCentre(n % 3, 1));
      QCOMPARE(e.Grid()->cursor().shape(), name == "Text" ? Qt::IBeamCursor : Qt::CrossCursor);
    }
    QCOMPARE(n, 12);
    QCOMPARE(e.Grid()->cursor().shape(), Qt::CrossCursor);  // Fill all, the last
    for (const char* zoom : {"zoom-in", "zoom-out"})
      QVERIFY(drawn(QIcon(GraphicIconFile(zoom)), 16));
    for (const char* button : {"SpeedButton13", "SpeedButton14"}) {
      QVERIFY(drawn(e.In<QToolButton>(button)->icon(), 16));
    }
  }

  void LayoutAndLedsAtEveryZoom() {
    Editor e;
    // The list's label shows whole.
    QLabel* label = nullptr;
    for (QLabel* l : e.form->findChildren<QLabel*>())
      label = l->text() == "Select Graph" ? l : label;
    QVERIFY(label != nullptr);
    QVERIFY2(label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(label->text()),
             qPrintable(QString("label %1 wide").arg(label->contentsRect().width())));

    // A scroll bar only where the grid does not fit: none at 32 x 7 and zoom 1; at 64 x 8 and
    // zoom 8 the grid is wider than the box but not taller.
    auto* box = e.In<QScrollArea>("ScrollBox1");
    QVERIFY(!box->horizontalScrollBar()->isVisible() && !box->verticalScrollBar()->isVisible());
    for (const char* name : {"ComboBox1", "ComboBox2"}) {
      e.In<QComboBox>(name)->setCurrentIndex(1);
      emit e.In<QComboBox>(name)->activated(1);
    }
    e.In<QComboBox>("ComboBox3")->setCurrentIndex(7);
    QApplication::processEvents();
    QCOMPARE(e.Grid()->size(), QSize(640, 80));
    QVERIFY(box->viewport()->width() < 640 && box->viewport()->height() >= 80);
    QVERIFY(box->horizontalScrollBar()->isVisible());
    QVERIFY(!box->verticalScrollBar()->isVisible());
    box->horizontalScrollBar()->setValue(box->horizontalScrollBar()->maximum());
    QCOMPARE(e.Grid()->mapTo(box->viewport(), QPoint(640, 0)).x(), box->viewport()->width());

    // A lit cell shows its colour at every zoom: filled below 5 pixels, a round LED from 5 on
    // (its corner black, its centre lit); an off cell stays a small grey LED.
    QTest::mouseClick(e.Grid(), Qt::LeftButton, {}, e.CellCentre(2, 1));
    for (int z = 0; z < 8; ++z) {
      e.In<QComboBox>("ComboBox3")->setCurrentIndex(z);
      const int s = z + 3;
      const QImage& grid = e.form->GridImage();
      int red = 0;
      for (int y = 0; y < s; ++y) {
        for (int x = 0; x < s; ++x) red += grid.pixelColor(2 * s + x, s + y) == QColor(255, 0, 0);
      }
      if (s < 5) {
        QCOMPARE(red, s * s);
      } else {
        QCOMPARE(grid.pixelColor(2 * s, s), QColor(Qt::black));
        QCOMPARE(grid.pixelColor(2 * s + s / 2, s + s / 2), QColor(255, 0, 0));
      }
      QCOMPARE(grid.pixelColor(s / 2, s / 2), QColor(128, 128, 128));
      QCOMPARE(grid.pixelColor(0, 0), QColor(Qt::black));
    }
  }

  void CutDragAndDropByMouse() {
    Editor e;
    QTest::mouseClick(e.Grid(), Qt::LeftButton, {}, e.CellCentre(1, 1));
    e.Tool(8);  // Box select from the corner of cell (1, 1) over two cells
    const int s = e.form->Editor().CellSize();
    QTest::mousePress(e.Grid(), Qt::LeftButton, {}, QPoint(s, s));
    QMouseEvent move(QEvent::MouseMove, QPoint(s, s), e.Grid()->mapToGlobal(QPoint(s, s)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(e.Grid(), &move);
    QTest::mouseRelease(e.Grid(), Qt::LeftButton, {}, QPoint(3 * s, 3 * s));
    auto* block = e.In<QWidget>("AssistImage");
    QVERIFY(block->isVisible());
    QCOMPARE(block->size(), QSize(2 * s, 2 * s));
    QCOMPARE(e.CellAt(1, 1), kCellOff);
    // Dragged four cells right with the left button, dropped with the right.
    QTest::mousePress(block, Qt::LeftButton, {}, QPoint(1, 1));
    QMouseEvent drag(QEvent::MouseMove, QPoint(1 + 4 * s, 1),
                     block->mapToGlobal(QPoint(1 + 4 * s, 1)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(block, &drag);
    QTest::mouseRelease(block, Qt::LeftButton, {}, QPoint(1, 1));
    QCOMPARE(block->pos(), QPoint(5 * s, s));
    QTest::mouseClick(block, Qt::RightButton, {}, QPoint(1, 1));
    QVERIFY(!block->isVisible());
    QCOMPARE(e.CellAt(5, 1), kCellRed);
  }

  void SaveLoadDeleteAndInsert() {
    std::string g01;
    for (int r = 0; r < 8; ++r) g01 += std::string(64, r == 0 ? 'D' : '@') + "\r\n";
    Editor e(g01);
    auto* list = e.In<QListWidget>("ListBox1");
    QCOMPARE(list->count(), 1);

    // Insert with nothing selected says so and stays.
    e.In<QPushButton>("InsertButton")->click();
    QCOMPARE(e.context.notice.Described(), QStringList{"plain OK: Select a graphic name"});
    QVERIFY(e.form->isVisible());

    // A release over an entry loads it, with its size.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    QCOMPARE(e.form->Editor().Width(), 64);
    QCOMPARE(e.form->Editor().Height(), 8);
    QCOMPARE(e.CellAt(63, 0), kCellGreen);

    // Save as G02: the chooser, then the list grows; saving again asks before overwriting.
    QTest::mouseClick(e.Grid(), Qt::LeftButton, {}, e.CellCentre(0, 7));
    e.ChooseName(1);
    e.In<QPushButton>("Save")->click();
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentItem()->text(), QString("G02"));
    QCOMPARE(testing::ScratchFolder::Slurp(e.home / "Graphdata/G02.txt").size(), 8u * 66);
    e.context.notice.Clear();
    e.context.notice.answer = NoticeAnswer::No;
    e.ChooseName(1);
    e.In<QPushButton>("Save")->click();
    QCOMPARE(e.context.notice.shown, QStringList{"        overwrite the existing file ?        "});
    QCOMPARE(list->count(), 2);
    QCOMPARE(e.chooser->Tag(), 1);  // the choice persists

    // Insert places the stored graphic at the caret and closes the window.
    e.context.notice.Clear();
    e.In<QPushButton>("InsertButton")->click();
    QCOMPARE(e.context.line1, std::string("<Pic:G02>"));
    QVERIFY(!e.form->isVisible());
    QVERIFY(e.context.notice.shown.isEmpty());

    // A file that cannot be read changes no cell.
    e.form->Open();
    const CellGrid before = e.form->Editor().Cells();
    e.home.Put("Graphdata/G01.txt", "AAAA\r\nAA\r\n");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    QCOMPARE(e.context.notice.boxes.size(), 1);
    QVERIFY(e.context.notice.shown[0].contains("line 2"));
    QVERIFY(e.form->Editor().Cells() == before);

    // Delete asks, removes the file and the entry, and clears rows 0 to 15 of columns 0 to 127.
    e.context.notice.Clear();
    e.context.notice.answer = NoticeAnswer::Yes;
    list->setCurrentRow(1);
    e.In<QPushButton>("DeleteButton")->click();
    QCOMPARE(e.context.notice.shown, QStringList{"        Comfirm to delete the Graph ?        "});
    QCOMPARE(list->count(), 1);
    QVERIFY(!std::filesystem::exists(e.home / "Graphdata/G02.txt"));
    QCOMPARE(e.CellAt(63, 0), kCellOff);
    // A file that will not go: "Delete Error", and everything stays.
    std::filesystem::remove(e.home / "Graphdata/G01.txt");
    std::filesystem::create_directories(e.home / "Graphdata/G01.txt/inside");
    list->setCurrentRow(0);
    e.context.notice.Clear();
    e.In<QPushButton>("DeleteButton")->click();
    QCOMPARE(e.context.notice.shown.last(), QString("Delete Error"));
    QCOMPARE(list->count(), 1);
  }

  void DeleteLeavesNoEntrySelected() {
    Editor e(std::string(32, 'A') + "\r\n");
    e.home.Put("Graphdata/G02.txt", std::string(32, 'D') + "\r\n");
    auto* list = e.In<QListWidget>("ListBox1");
    list->addItem("G02");  // as if saved during this run
    e.context.notice.answer = NoticeAnswer::Yes;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    e.In<QPushButton>("DeleteButton")->click();
    QCOMPARE(list->count(), 1);
    QVERIFY(!std::filesystem::exists(e.home / "Graphdata/G01.txt"));
    // The entry that moved up is not chosen for the user: nothing shows selected, Insert asks
    // for a graphic and a second Delete deletes nothing.
    QVERIFY(list->selectedItems().isEmpty());
    e.context.notice.Clear();
    e.In<QPushButton>("InsertButton")->click();
    QCOMPARE(e.context.notice.shown, QStringList{"Select a graphic name"});
    QCOMPARE(e.context.line1, std::string());
    e.In<QPushButton>("DeleteButton")->click();
    QCOMPARE(list->count(), 1);
    QVERIFY(std::filesystem::exists(e.home / "Graphdata/G02.txt"));
    // Picking it again makes it the one Insert and Delete act on.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    e.In<QPushButton>("InsertButton")->click();
    QCOMPARE(e.context.line1, std::string("<Pic:G02>"));
  }

  void BitmapsInAndOut() {
    Editor e(std::string(32, 'D') + "\r\n" + std::string(32, '@') + "\r\n");
    auto* list = e.In<QListWidget>("ListBox1");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    QTest::mouseClick(e.Grid(), Qt::LeftButton, {}, e.CellCentre(0, 1));  // red
    QVERIFY(e.form->ExportBitmap(e.home / "out.bmp"));

    // The dialog's preview, at one pixel per cell, drawn when it becomes active.
    QImage preview;
    QTimer::singleShot(0, [&] {
      const bool active = QTest::qWaitForWindowActive(e.bmp.get());
      if (active) preview = e.bmp->Preview();
      e.bmp->reject();
    });
    e.In<QPushButton>("BmpButton")->click();
    QCOMPARE(preview.pixelColor(0, 0), QColor(0, 255, 0));
    QCOMPARE(preview.pixelColor(0, 1), QColor(255, 0, 0));
    QCOMPARE(preview.pixelColor(40, 0), QColor(Qt::white));

    // A file that is not a bitmap: the error, and no cell changed.
    e.home.Put("bad.bmp", "BMnot really");
    const CellGrid before = e.form->Editor().Cells();
    const Status bad = e.form->ImportBitmap(e.home / "bad.bmp");
    QVERIFY(!bad);
    QVERIFY(e.form->Editor().Cells() == before);
    QVERIFY(list->currentItem() != nullptr);

    // An import: cells from the picture, the list's selection gone, so Insert asks again.
    e.form->Editor().Clear();
    QVERIFY(e.form->ImportBitmap(e.home / "out.bmp"));
    QVERIFY(e.form->Editor().Cells() == before);
    e.context.notice.Clear();
    e.In<QPushButton>("InsertButton")->click();
    QCOMPARE(e.context.notice.shown, QStringList{"Select a graphic name"});
  }

  void BitmapDialogExportsAndImports() {
    Editor e;
    QStringList asked;
    QString answer;
    e.form->SetFileChooser([&](TGraphicForm::BitmapQuestion question) {
      asked << (question == TGraphicForm::BitmapQuestion::Export ? "export" : "import");
      return answer;
    });
    QTest::mouseClick(e.Grid(), Qt::LeftButton, {}, e.CellCentre(2, 1));
    const CellGrid drawn = e.form->Editor().Cells();
    bool openAfterwards = false;
    QTimer::singleShot(0, [&] {
      if (!QTest::qWaitForWindowActive(e.bmp.get())) return;
      // Export: ".bmp" is added to a name without it.
      answer = FromPath(e.home / "picture");
      e.bmp->findChild<QPushButton*>("exprot")->click();
      e.form->Editor().Clear();
      answer = FromPath(e.home / "picture.bmp");
      e.bmp->findChild<QPushButton*>("import")->click();
      // Cancelled: nothing happens.
      answer.clear();
      e.bmp->findChild<QPushButton*>("import")->click();
      openAfterwards = e.bmp->isVisible();
      e.bmp->reject();
    });
    e.In<QPushButton>("BmpButton")->click();
    QCOMPARE(asked, (QStringList{"export", "import", "import"}));
    QVERIFY(std::filesystem::exists(e.home / "picture.bmp"));
    QVERIFY(e.form->Editor().Cells() == drawn);
    QCOMPARE(e.CellAt(2, 1), kCellRed);
    QVERIFY(openAfterwards);
    QVERIFY(e.context.notice.shown.isEmpty());
  }

  void TextIntoTheFloatingBlock() {
    Editor e;
    // The Text tool's anchor, then the dialog: Arial 10 at first, pitch 16, text typed in.
    e.Tool(11);
    QStringList fields;
    QImage preview;
    QTimer::singleShot(0, [&] {
      if (!QTest::qWaitForWindowActive(e.inputText.get())) fields << "never active";
      for (const char* name : {"Edit1", "Edit2", "Edit3"}) {
        fields << e.inputText->findChild<QLineEdit*>(name)->text();
      }
      e.inputText->findChild<QLineEdit*>("Edit3")->setText("x");  // not a number: 16
      e.inputText->findChild<QPlainTextEdit*>("Memo1")->setPlainText("Hi");
      preview = e.inputText->Preview();
      e.inputText->findChild<QPushButton*>("OK")->click();
    });
    QTest::mouseClick(e.Grid(), Qt::LeftButton, {}, QPoint(7, 4));
    QCOMPARE(fields, (QStringList{"Arial", "10", "16"}));
    QCOMPARE(preview.pixelColor(0, 0), QColor(Qt::white));
    bool inked = false;
    for (int x = 0; x < 30; ++x) {
      for (int y = 0; y < 16; ++y) inked = inked || preview.pixelColor(x, y) == QColor(Qt::black);
    }
    QVERIFY(inked);
    const std::optional<FloatingBlock>& block = e.form->Editor().Block();
    QVERIFY(block.has_value());
    QCOMPARE(block->position, (Pixel{7, 4}));  // in whole pixels, not rounded to cells
    QVERIFY(block->columns > 3 && block->rows > 5);
    QVERIFY(e.In<QWidget>("AssistImage")->isVisible());
    QCOMPARE(e.In<QWidget>("AssistImage")->pos(), QPoint(7, 4));
  }

  void InsertRefusals() {
    Editor e(std::string(16, 'A') + "\r\n");
    std::string rows9;
    for (int r = 0; r < 9; ++r) rows9 += std::string(32, 'A') + "\r\n";
    e.home.Put("Graphdata/G03.txt", rows9);
    auto* list = e.In<QListWidget>("ListBox1");
    list->addItem("G03");  // as if saved during this run
    for (int n = 1; n <= 16; ++n) e.context.line1 += "<Pic:X" + std::to_string(n) + ">";
    list->setCurrentRow(0);
    e.In<QPushButton>("InsertButton")->click();
    QCOMPARE(e.context.notice.shown, QStringList{"Graphic Number greater than 16"});
    QVERIFY(!e.form->isVisible());

    e.form->Open();
    e.context.line1.clear();
    e.context.line2Active = true;
    e.context.notice.Clear();
    list->setCurrentRow(1);
    e.In<QPushButton>("InsertButton")->click();
    QCOMPARE(e.context.notice.shown, QStringList{"Graphic is too large to insert into Line2"});
    QCOMPARE(e.context.line2, std::string());
  }
};

QTEST_MAIN(GraphicWindowTest)
#include "GraphicWindowTest.moc"
