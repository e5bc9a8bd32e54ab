#include "fonts/Ufontmake.h"

#include <QBitmap>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/controls.h"
#include "ui/themed_icon.h"

namespace tavrin {

namespace {

const QColor kGridBackground(212, 208, 200);
const QColor kGridLines(0, 128, 64);
const QColor kLit(255, 0, 0);
constexpr int kItemHeight = 23;

// A pencil pointing to the upper left, its tip (the hot spot) at pixel (0, 0).
QCursor PencilCursor() {
  QBitmap shape(32, 32), mask(32, 32);
  shape.fill(Qt::color0);
  mask.fill(Qt::color0);
  QPainter s(&shape), m(&mask);
  const QPolygon body({QPoint(0, 0), QPoint(6, 2), QPoint(22, 18), QPoint(18, 22), QPoint(2, 6)});
  m.setPen(Qt::color1);
  m.setBrush(Qt::color1);
  m.drawPolygon(body);
  s.setPen(Qt::color1);
  s.drawPolygon(body);
  s.drawLine(2, 6, 6, 2);
  s.drawLine(0, 0, 3, 3);
  return QCursor(shape, mask, 0, 0);
}

// Each list item: its text, and after it the character at one screen pixel a dot when any dot
// is lit.
class FontItemDelegate : public QStyledItemDelegate {
 public:
  FontItemDelegate(const FontMaker& maker, QObject* parent)
      : QStyledItemDelegate(parent), m_maker(maker) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const std::size_t row = static_cast<std::size_t>(index.row());
    if (row >= m_maker.List().Size()) return;
    const FontEntry& entry = m_maker.List().At(row);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    painter->fillRect(option.rect,
                      option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QString text = FromUtf8(entry.text);
    const QFontMetrics metrics(option.font);
    painter->drawText(option.rect.left() + 2, option.rect.top() + 2 + metrics.ascent(), text);
    const std::optional<FontSize> size = entry.Size();
    if (!size) return;
    QImage preview(size->width, size->height, QImage::Format_RGB32);
    preview.fill(Qt::white);
    bool any = false;
    for (int y = 0; y < size->height; ++y) {
      for (int x = 0; x < size->width; ++x) {
        if (!entry.record.Dot(x, y, size->width)) continue;
        preview.setPixelColor(x, y, kLit);
        any = true;
      }
    }
    if (any) {
      painter->drawImage(option.rect.left() + metrics.horizontalAdvance(text) + 6,
                         option.rect.top(), preview);
    }
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight};
  }

 private:
  const FontMaker& m_maker;
};

}  // namespace

// The drawing image: shows the form's image and passes the mouse on.
class DotGridView : public QWidget {
 public:
  DotGridView(TFontMakefrm* form, QWidget* parent) : QWidget(parent), m_form(form) {
    setObjectName("Image1");
    setFixedSize(kFontImageWidth, kFontImageHeight);
    setCursor(PencilCursor());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(0, 0, m_form->DrawingImage());
  }
  void mousePressEvent(QMouseEvent* e) override {
    m_form->Image1MouseDown(e->position().toPoint());
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    m_form->Image1MouseMove(e->position().toPoint(), e->buttons());
  }
  void mouseReleaseEvent(QMouseEvent*) override { m_form->Image1MouseUp(); }

 private:
  TFontMakefrm* m_form;
};

TFontMakefrm::TFontMakefrm(WindowContext& context)
    : QMainWindow(context.MainWindow(), Qt::Window),
      m_context(context),
      m_maker(context.AppWorkspace().userFonts) {
  setObjectName("FontMakefrm");
  setWindowTitle("Font Make");
  m_image = QImage(kFontImageWidth, kFontImageHeight, QImage::Format_RGB32);
  BuildWindow();
  DrawGrid();
}

void TFontMakefrm::BuildWindow() {
  BuildMenus();
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(BuildCharacterStrip(central));
  auto* middle = new QHBoxLayout;
  middle->addWidget(BuildCharacterList(central), 1);
  middle->addLayout(BuildDrawing(central));
  layout->addLayout(middle);
  setCentralWidget(central);
  BuildStatusBar();
  resize(520, 360);
  CentreOnShow(this, m_context.MainWindow());
}

void TFontMakefrm::BuildMenus() {
  QMenu* file = menuBar()->addMenu("File");
  file->setObjectName("File1");
  QAction* save = file->addAction("Save Font...", this, &TFontMakefrm::Save1Click);
  save->setObjectName("Save1");
  QAction* open = file->addAction("Open Font...", this, &TFontMakefrm::Open1Click);
  open->setObjectName("Open1");
  QAction* quit = file->addAction("Quit", this, &QWidget::close);
  quit->setObjectName("Quit1");
  QMenu* transfer = menuBar()->addMenu("Transfer");
  transfer->setObjectName("Transfer1");
  m_transferItem = transfer->addAction("Transfer to Sign...");
  m_transferItem->setObjectName("TransfertoSign2");
  m_transferItem->setEnabled(false);
  connect(m_transferItem, &QAction::triggered, this, [this] {
    if (m_transfer) m_transfer();
  });
}

// The code and size of a character to add, and the add and delete buttons.
QWidget* TFontMakefrm::BuildCharacterStrip(QWidget* central) {
  auto* panel2 = new QWidget(central);
  panel2->setObjectName("Panel2");
  panel2->setAutoFillBackground(true);
  // A pale yellow of its own, with black text on it whatever the desktop's colours.
  QPalette yellow = panel2->palette();
  yellow.setColor(QPalette::Window, QColor(255, 255, 230));
  yellow.setColor(QPalette::WindowText, Qt::black);
  panel2->setPalette(yellow);
  auto* top = new QHBoxLayout(panel2);
  m_codes = MakeList(panel2, "ComboBox1");
  for (int code = kFirstUserCode; code <= kLastUserCode; ++code) {
    m_codes->addItem(FromUtf8(UserCodeText(code)));
  }
  m_codes->setCurrentIndex(0);
  MakePickOnly(m_codes);
  m_sizes = MakeList(panel2, "ComboBox2");
  for (const FontSize& size : kFontSizes) m_sizes->addItem(FromUtf8(size.text));
  m_sizes->setCurrentIndex(0);
  MakePickOnly(m_sizes);
  top->addWidget(new QLabel("Char Code:", panel2));
  top->addWidget(m_codes);
  top->addWidget(new QLabel("Font Size:", panel2));
  top->addWidget(m_sizes);
  top->addWidget(new QLabel("Pixels", panel2));
  auto* add = new QToolButton(panel2);
  add->setObjectName("SpeedButton1");
  add->setIcon(ThemedIcon("list-add"));
  add->setToolTip("Add Char To Draw");
  auto* remove = new QToolButton(panel2);
  remove->setObjectName("SpeedButton2");
  remove->setIcon(ThemedIcon("list-remove"));
  remove->setToolTip("Delete Char");
  top->addWidget(add);
  top->addWidget(remove);
  top->addStretch();
  connect(add, &QToolButton::clicked, this, &TFontMakefrm::SpeedButton1Click);
  connect(remove, &QToolButton::clicked, this, &TFontMakefrm::SpeedButton2Click);
  return panel2;
}

QWidget* TFontMakefrm::BuildCharacterList(QWidget* central) {
  m_characters = new QListWidget(central);
  m_characters->setObjectName("ListBox1");
  m_characters->setItemDelegate(new FontItemDelegate(m_maker, m_characters));
  m_characters->setUniformItemSizes(true);
  m_characters->viewport()->installEventFilter(this);
  connect(m_characters, &QListWidget::currentRowChanged, this, [this](int row) {
    // A character chosen with the keys is chosen as with the mouse.
    if (row >= 0 && (!m_maker.Chosen() || static_cast<int>(*m_maker.Chosen()) != row)) {
      ListBox1MouseUp(row);
    }
  });
  return m_characters;
}

// The enlarged grid of the chosen character, its size, and Yes and NO.
QLayout* TFontMakefrm::BuildDrawing(QWidget* central) {
  auto* drawing = new QVBoxLayout;
  auto* label6 = new QLabel("Draw Font", central);
  label6->setObjectName("Label6");
  drawing->addWidget(label6);
  m_grid = new DotGridView(this, central);
  drawing->addWidget(m_grid);
  auto* sizes = new QHBoxLayout;
  m_widthLabel = new QLabel("Width:", central);
  m_widthLabel->setObjectName("Label4");
  m_heightLabel = new QLabel("Height: ", central);
  m_heightLabel->setObjectName("Label5");
  for (QLabel* l : {m_widthLabel, m_heightLabel}) {
    QPalette teal = l->palette();
    teal.setColor(QPalette::WindowText, QColor(0, 128, 128));
    l->setPalette(teal);
    sizes->addWidget(l);
  }
  auto* yes = MakeButton(central, "Button1", "Yes");
  auto* no = MakeButton(central, "Button2", "NO");
  sizes->addWidget(yes);
  sizes->addWidget(no);
  connect(yes, &QPushButton::clicked, this, &TFontMakefrm::Button1Click);
  connect(no, &QPushButton::clicked, this, &TFontMakefrm::Button2Click);
  drawing->addLayout(sizes);
  return drawing;
}

void TFontMakefrm::BuildStatusBar() {
  statusBar()->setObjectName("StatusBar1");
  for (int i = 0; i < 2; ++i) {
    m_statusPanels[i] = new QLabel(statusBar());
    m_statusPanels[i]->setObjectName(QString("StatusPanel%1").arg(i));
  }
  // The first panel takes half the bar, the second the rest.
  statusBar()->addWidget(m_statusPanels[0], 1);
  statusBar()->addWidget(m_statusPanels[1], 1);
}

void TFontMakefrm::SetTransfer(std::function<void()> open) {
  m_transfer = std::move(open);
  m_transferItem->setEnabled(static_cast<bool>(m_transfer));
}

void TFontMakefrm::Open() {
  showNormal();
  raise();
  activateWindow();
}

void TFontMakefrm::FillList() {
  const QSignalBlocker quiet(m_characters);
  m_characters->clear();
  for (const FontEntry& entry : m_maker.List().Entries())
    m_characters->addItem(FromUtf8(entry.text));
  m_characters->setCurrentRow(m_maker.Chosen() ? static_cast<int>(*m_maker.Chosen()) : -1);
}

void TFontMakefrm::DrawGrid() {
  m_image.fill(kGridBackground);
  const FontGridGeometry& g = m_maker.Geometry();
  QPainter painter(&m_image);
  if (m_maker.GridShown()) {
    painter.setPen(kGridLines);
    for (int i = 0; i <= g.height; ++i) {
      painter.drawLine(g.X0(), g.Y0() + g.cell * i, g.X0() + g.cell * g.width, g.Y0() + g.cell * i);
    }
    for (int i = 0; i <= g.width; ++i) {
      painter.drawLine(g.X0() + g.cell * i, g.Y0(), g.X0() + g.cell * i,
                       g.Y0() + g.cell * g.height);
    }
  }
  // The inside of every lit cell; the lines stay untouched.
  for (int row = 0; row < g.height; ++row) {
    for (int column = 0; column < g.width; ++column) {
      if (!m_maker.Lit(column, row)) continue;
      painter.fillRect(g.X0() + g.cell * column + 1, g.Y0() + g.cell * row + 1, g.cell - 1,
                       g.cell - 1, kLit);
    }
  }
  painter.end();
  m_grid->update();
}

void TFontMakefrm::ShowPosition(const DotCell& cell) {
  m_statusPanels[1]->setText(QString("Position: (%1, %2)").arg(cell.column).arg(cell.row));
}

void TFontMakefrm::SpeedButton1Click() {
  const Result<std::size_t> added =
      m_maker.Add(kFirstUserCode + m_codes->currentIndex(), ToUtf8(m_sizes->currentText()));
  if (!added) {
    m_context.Notices().Show(NoticeKind::Confirmation, NoticeButtons::Yes, added.ErrorText());
    return;
  }
  FillList();
}

void TFontMakefrm::SpeedButton2Click() {
  if (!m_context.Notices().Ask("        Comfirm to delete the Selected Item?        ")) return;
  m_maker.DeleteChosen();
  FillList();
  DrawGrid();
}

void TFontMakefrm::ListBox1MouseUp(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= m_maker.List().Size()) return;
  m_maker.Choose(static_cast<std::size_t>(row));
  const FontGridGeometry& g = m_maker.Geometry();
  DrawGrid();
  m_widthLabel->setText(QString("Width: %1").arg(g.width));
  m_heightLabel->setText(QString("Height: %1").arg(g.height));
}

void TFontMakefrm::Image1MouseDown(QPoint p) {
  if (const std::optional<DotCell> cell = m_maker.Press(p.x(), p.y())) {
    DrawGrid();
    ShowPosition(*cell);
  }
}

void TFontMakefrm::Image1MouseMove(QPoint p, Qt::MouseButtons buttons) {
  if (!buttons.testFlag(Qt::LeftButton)) return;
  if (const std::optional<DotCell> cell = m_maker.Drag(p.x(), p.y())) {
    DrawGrid();
    ShowPosition(*cell);
  }
}

void TFontMakefrm::Image1MouseUp() { m_maker.Release(); }

void TFontMakefrm::Button1Click() { m_characters->viewport()->update(); }

void TFontMakefrm::Button2Click() {
  m_maker.ClearChosen();
  DrawGrid();
  m_characters->viewport()->update();
}

Status TFontMakefrm::SaveFontFile(const std::filesystem::path& path) {
  return WriteFontFile(path, m_maker.List());
}

Status TFontMakefrm::OpenFontFile(const std::filesystem::path& path) {
  Result<FontList> list = ReadFontFile(path);
  if (!list) return list.TakeError();
  m_maker.ReplaceList(std::move(*list));
  FillList();
  return {};
}

void TFontMakefrm::Save1Click() {
  QFileDialog dialog(this, "Save Font", QString(), "font file(*.fon) (*.fon);;All files(*.*) (*)");
  dialog.setObjectName("SaveDialog1");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("fon");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  if (Status s = SaveFontFile(ToPath(dialog.selectedFiles().front())); !s) {
    m_context.Notices().FileErr(s.ErrorText());
  }
}

void TFontMakefrm::Open1Click() {
  QFileDialog dialog(this, "Open Font", FromPath(m_context.ProgramFolder()),
                     "font file(*.fon) (*.fon);;All files(*.*) (*)");
  dialog.setObjectName("OpenDialog1");
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  if (Status s = OpenFontFile(ToPath(dialog.selectedFiles().front())); !s) {
    m_context.Notices().Err(s.ErrorText());
  }
}

bool TFontMakefrm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_characters->viewport() && event->type() == QEvent::MouseButtonRelease) {
    const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    if (QListWidgetItem* item = m_characters->itemAt(at)) ListBox1MouseUp(m_characters->row(item));
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace tavrin
