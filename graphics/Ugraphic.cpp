#include "graphics/Ugraphic.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>

#include "common/file_io.h"
#include "graphics/Usavegraph.h"
#include "graphics/bitmap_qt.h"
#include "graphics/graphic_placement.h"
#include "graphics/text_render_qt.h"
#include "graphics/tools/graphic_tool.h"
#include "ui/controls.h"
#include "ui/themed_icon.h"

namespace tavrin {

namespace {

QColor Display(char letter) {
  const DisplayRgb c = DisplayColour(letter);
  return QColor(c.red, c.green, c.blue);
}

// The sprite of a letter: "@", "A", "D", "E", and any other byte (shown like off).
int SpriteIndex(char letter) {
  switch (letter) {
    case kCellOff:
      return 0;
    case kCellRed:
      return 1;
    case kCellGreen:
      return 2;
    case kCellOrange:
      return 3;
    default:
      return 4;
  }
}

// Below this cell size the black ring of an LED leaves about one pixel of its colour, and a
// drawing looks black: lit cells are drawn as filled squares there instead.
constexpr int kRoundLedSize = 5;

// A circle inscribed in an s x s square, with a black outline; a lit cell smaller than a round
// LED fills its square.
QImage Led(int s, char letter) {
  const QColor fill = Display(letter);
  QImage image(s, s, QImage::Format_RGB32);
  if (s < kRoundLedSize && DisplayColour(letter) != DisplayColour(kCellOff)) {
    image.fill(fill);
    return image;
  }
  image.fill(Qt::black);
  QPainter painter(&image);
  painter.setPen(Qt::black);
  painter.setBrush(fill);
  painter.drawEllipse(0, 0, s - 1, s - 1);
  return image;
}

Pixel ToPixel(QPoint p) { return {p.x(), p.y()}; }

MouseButton ToButton(Qt::MouseButton button) {
  if (button == Qt::LeftButton) return MouseButton::Left;
  if (button == Qt::RightButton) return MouseButton::Right;
  return MouseButton::Other;
}

Qt::CursorShape CursorShape(GridCursor cursor) {
  return cursor == GridCursor::IBeam ? Qt::IBeamCursor : Qt::CrossCursor;
}

}  // namespace

QString GraphicIconFile(std::string_view name) {
  return ":/graphics/icons/" + FromUtf8(name) + ".svg";
}

QIcon GraphicIcon(std::string_view name, std::string_view themeName) {
  const QString file = GraphicIconFile(name);
  if (themeName.empty()) return QIcon(file);
  return ThemedIcon(FromUtf8(themeName), [file] { return QIcon(file); });
}

// The grid image (Image1): shows the window's image and passes the mouse on in grid pixels.
class GridView : public QWidget {
 public:
  GridView(TGraphicForm* form, QWidget* parent) : QWidget(parent), m_form(form) {
    setObjectName("Image1");
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(0, 0, m_form->GridImage());
  }
  void mousePressEvent(QMouseEvent* e) override {
    m_form->GridPress(e->position().toPoint(), e->button());
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    m_form->GridMove(e->position().toPoint(), e->buttons());
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    m_form->GridRelease(e->position().toPoint(), e->button());
  }

 private:
  TGraphicForm* m_form;
};

// The floating block (AssistImage): dragged with the left button, dropped with the right.
class BlockView : public QWidget {
 public:
  BlockView(TGraphicForm* form, QWidget* parent) : QWidget(parent), m_form(form) {
    setObjectName("AssistImage");
    setCursor(Qt::SizeAllCursor);
    hide();
  }
  QImage picture;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(0, 0, picture);
  }
  void mousePressEvent(QMouseEvent* e) override { m_form->BlockPress(e->position().toPoint()); }
  void mouseMoveEvent(QMouseEvent* e) override {
    m_form->BlockMove(e->position().toPoint(), e->buttons());
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::RightButton) m_form->DropBlock();
  }

 private:
  TGraphicForm* m_form;
};

// What the scroll box holds: the grid at its upper-left corner and the block over it. A right
// release on its empty part drops the block too.
class GridArea : public QWidget {
 public:
  explicit GridArea(TGraphicForm* form) : m_form(form) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::RightButton) m_form->DropBlock();
  }

 private:
  TGraphicForm* m_form;
};

// A round colour swatch (Shape6 to Shape10); a release on it chooses its colour.
class Swatch : public QWidget {
 public:
  Swatch(const char* name, QColor colour, QWidget* parent, std::function<void()> chosen = {})
      : QWidget(parent), m_colour(colour), m_chosen(std::move(chosen)) {
    setObjectName(name);
    setFixedSize(20, 20);
  }
  void SetColour(QColor colour) {
    m_colour = colour;
    update();
  }
  QColor Colour() const { return m_colour; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::black);
    painter.setBrush(m_colour);
    painter.drawEllipse(rect().adjusted(1, 1, -2, -2));
  }
  void mouseReleaseEvent(QMouseEvent*) override {
    if (m_chosen) m_chosen();
  }

 private:
  QColor m_colour;
  std::function<void()> m_chosen;
};

TGraphicForm::TGraphicForm(WindowContext& context)
    : QWidget(context.MainWindow(), Qt::Window),
      m_context(context),
      m_folder(context.AppWorkspace().graphics) {
  setObjectName("GraphicForm");
  setWindowTitle("GraphicForm");
  BuildWindow();
  resize(627, 433);
  CentreOnShow(this, context.MainWindow());
  // The stored graphics, once, at the start.
  for (const std::string& name : m_folder.List()) m_storedList->addItem(FromUtf8(name));
  context.OnSignColorMode([this](bool triple) { ApplySignColorMode(triple); });
  Sync();
}

TGraphicForm::~TGraphicForm() = default;

void TGraphicForm::BuildWindow() {
  auto* outer = new QHBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* splitter = new QSplitter(Qt::Horizontal, this);
  outer->addWidget(splitter);

  const int listWidth = BuildListPanel(splitter);

  // Centre: the size, the grid, the buttons of the stored graphics.
  auto* centre = new QWidget(splitter);
  auto* centreLayout = new QVBoxLayout(centre);
  centreLayout->addWidget(BuildSizeGroup(centre));
  centreLayout->addWidget(BuildGridBox(centre), 1);
  centreLayout->addLayout(BuildFileButtons(centre));
  splitter->addWidget(centre);

  // Right: tools, zoom, colours, 50 to 140 pixels wide.
  auto* right = new QWidget(splitter);
  right->setObjectName("ToolSide");
  right->setMinimumWidth(50);
  right->setMaximumWidth(140);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->addWidget(BuildToolBox(right));
  rightLayout->addWidget(BuildZoomGroup(right));
  rightLayout->addWidget(BuildColourGroup(right));
  rightLayout->addStretch();
  splitter->addWidget(right);

  splitter->setStretchFactor(1, 1);
  splitter->setSizes({listWidth, 400, 140});
  BuildUndoKeys();
}

int TGraphicForm::BuildListPanel(QSplitter* splitter) {
  auto* panel = new QWidget(splitter);
  panel->setObjectName("GraphicList");
  panel->setMinimumWidth(40);
  panel->setMaximumWidth(130);
  auto* layout = new QVBoxLayout(panel);
  auto* label = new QLabel("Select Graph", panel);
  layout->addWidget(label);
  m_storedList = new QListWidget(panel);
  m_storedList->setObjectName("ListBox1");
  m_storedList->viewport()->installEventFilter(this);
  layout->addWidget(m_storedList);
  splitter->addWidget(panel);
  // Wide enough for its label in the font at hand; the user may narrow it.
  const QMargins margins = layout->contentsMargins();
  return std::clamp(label->sizeHint().width() + margins.left() + margins.right(), 90, 130);
}

QGroupBox* TGraphicForm::BuildSizeGroup(QWidget* parent) {
  auto* group = new QGroupBox("Graphic Size", parent);
  auto* layout = new QHBoxLayout(group);
  m_heightList = MakeList(group, "ComboBox1");
  for (const int h : kGraphicHeights) m_heightList->addItem(QString("%1 dots").arg(h));
  m_widthList = MakeList(group, "ComboBox2");
  for (const int w : kGraphicWidths) m_widthList->addItem(QString("%1 dots").arg(w));
  for (QComboBox* list : {m_heightList, m_widthList}) {
    list->setCurrentIndex(0);
    MakePickOnly(list);
    connect(list, &QComboBox::activated, this, [this] { ApplySize(); });
  }
  layout->addLayout(LabelledRow(group, "Height:", m_heightList));
  layout->addLayout(LabelledRow(group, "Width:", m_widthList));
  return group;
}

QScrollArea* TGraphicForm::BuildGridBox(QWidget* parent) {
  m_gridBox = new QScrollArea(parent);
  m_gridBox->setObjectName("ScrollBox1");
  m_gridArea = new GridArea(this);
  m_gridView = new GridView(this, m_gridArea);
  m_blockView = new BlockView(this, m_gridArea);
  // The area fills the box and grows past it only as far as the grid and the block reach, so
  // a scroll bar shows only along a side where they do not fit.
  m_gridBox->setWidgetResizable(true);
  m_gridBox->setWidget(m_gridArea);
  return m_gridBox;
}

QHBoxLayout* TGraphicForm::BuildFileButtons(QWidget* parent) {
  auto* row = new QHBoxLayout;
  auto* insert = MakeButton(parent, "InsertButton", "Insert");
  auto* save = MakeButton(parent, "Save", "Save");
  auto* remove = MakeButton(parent, "DeleteButton", "Delete");
  // The bitmap dialog's actions, kept as the designer had them: hidden buttons.
  auto* exportButton = MakeButton(parent, "SaveButton", "Export");
  auto* importButton = MakeButton(parent, "LoadButton", "import");
  exportButton->hide();
  importButton->hide();
  for (QPushButton* b : {insert, save, remove, exportButton, importButton}) row->addWidget(b);
  row->addStretch();
  connect(insert, &QPushButton::clicked, this, &TGraphicForm::InsertButtonClick);
  connect(save, &QPushButton::clicked, this, &TGraphicForm::SaveClick);
  connect(remove, &QPushButton::clicked, this, &TGraphicForm::DeleteButtonClick);
  connect(exportButton, &QPushButton::clicked, this, &TGraphicForm::SaveButtonClick);
  connect(importButton, &QPushButton::clicked, this, &TGraphicForm::LoadButtonClick);
  return row;
}

QGroupBox* TGraphicForm::BuildToolBox(QWidget* parent) {
  auto* group = new QGroupBox("ToolBox", parent);
  auto* grid = new QGridLayout(group);
  grid->setSpacing(1);
  // One button a tool, in rows of three: SpeedButton1 is the model's first tool.
  m_toolButtons = new QButtonGroup(this);
  m_toolButtons->setExclusive(true);
  int n = 0;
  for (const std::unique_ptr<GraphicTool>& tool : m_editor.Tools()) {
    const ToolDescription& d = tool->Description();
    auto* b = new QToolButton(group);
    b->setObjectName(QString("SpeedButton%1").arg(++n));
    b->setCheckable(true);
    b->setIcon(GraphicIcon(d.key, d.themeIcon));
    b->setToolTip(FromUtf8(d.name) + "\n" + FromUtf8(d.hint));
    b->setAccessibleName(FromUtf8(d.name));
    b->setAutoRaise(true);
    m_toolButtons->addButton(b, n);
    grid->addWidget(b, (n - 1) / 3, (n - 1) % 3);
  }
  m_toolButtons->button(1)->setChecked(true);
  connect(m_toolButtons, &QButtonGroup::idClicked, this, &TGraphicForm::SpeedButtonClick);
  const int row = (n + 2) / 3;
  m_bitmapButton = MakeButton(group, "BmpButton", "Bmp...");
  m_bitmapButton->setEnabled(false);
  auto* clear = MakeButton(group, "Clear", "Clear");
  grid->addWidget(m_bitmapButton, row, 0, 1, 3);
  grid->addWidget(clear, row + 1, 0, 1, 3);
  connect(clear, &QPushButton::clicked, this, &TGraphicForm::ClearClick);
  return group;
}

QGroupBox* TGraphicForm::BuildZoomGroup(QWidget* parent) {
  auto* group = new QGroupBox("Zoom", parent);
  auto* layout = new QHBoxLayout(group);
  m_zoomList = MakeList(group, "ComboBox3");
  for (int z = 1; z <= kMaxCellSize - kMinCellSize + 1; ++z)
    m_zoomList->addItem(QString::number(z));
  m_zoomList->setCurrentIndex(0);
  m_zoomList->setMinimumContentsLength(2);
  m_zoomList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  MakePickOnly(m_zoomList);
  connect(m_zoomList, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index < 0) return;
    m_editor.SetCellSize(index + kMinCellSize);
    Sync();
  });
  auto* zoomOut = new QToolButton(group);
  zoomOut->setObjectName("SpeedButton13");
  zoomOut->setIcon(GraphicIcon("zoom-out", "zoom-out"));
  zoomOut->setToolTip("Zoom out");
  auto* zoomIn = new QToolButton(group);
  zoomIn->setObjectName("SpeedButton14");
  zoomIn->setIcon(GraphicIcon("zoom-in", "zoom-in"));
  zoomIn->setToolTip("Zoom in");
  connect(zoomOut, &QToolButton::clicked, this, &TGraphicForm::ZoomOut);
  connect(zoomIn, &QToolButton::clicked, this, &TGraphicForm::ZoomIn);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(m_zoomList);
  layout->addWidget(zoomOut);
  layout->addWidget(zoomIn);
  return group;
}

QGroupBox* TGraphicForm::BuildColourGroup(QWidget* parent) {
  // Placed by hand: the sign colour mode moves the swatches to set places.
  auto* group = new QGroupBox("  Color  ", parent);
  group->setObjectName("GroupBox3");
  group->setMinimumSize(122, 80);
  auto* use = new QLabel("Use:", group);
  use->move(17, 22);
  m_colourInUse = new Swatch("Shape6", Display(kCellRed), group);
  m_colourInUse->move(52, 20);
  const std::pair<const char*, char> swatches[] = {
      {"Shape7", kCellRed}, {"Shape8", kCellGreen}, {"Shape9", kCellOrange}, {"Shape10", kCellOff}};
  for (std::size_t i = 0; i < std::size(swatches); ++i) {
    const char letter = swatches[i].second;
    m_colourSwatches[i] = new Swatch(swatches[i].first, Display(letter), group,
                                     [this, letter] { SwatchMouseUp(letter); });
    m_colourSwatches[i]->move(17 + 25 * static_cast<int>(i), 50);
  }
  return group;
}

void TGraphicForm::BuildUndoKeys() {
  // Undo and redo of every change of cells; each key once, or neither would fire.
  connect(new QShortcut(QKeySequence("Ctrl+Z"), this), &QShortcut::activated, this,
          &TGraphicForm::UndoClick);
  for (const char* keys : {"Ctrl+Y", "Ctrl+Shift+Z"}) {
    connect(new QShortcut(QKeySequence(keys), this), &QShortcut::activated, this,
            &TGraphicForm::RedoClick);
  }
}

void TGraphicForm::SetBitmapDialog(std::function<void()> open) {
  m_bitmapDialog = std::move(open);
  m_bitmapButton->setEnabled(static_cast<bool>(m_bitmapDialog));
  disconnect(m_bitmapButton, nullptr, this, nullptr);
  connect(m_bitmapButton, &QPushButton::clicked, this, [this] {
    if (m_bitmapDialog) m_bitmapDialog();
  });
}

void TGraphicForm::Open() {
  showNormal();
  raise();
  activateWindow();
}

void TGraphicForm::Sync() {
  const int h = static_cast<int>(
      std::find(kGraphicHeights.begin(), kGraphicHeights.end(), m_editor.Height()) -
      kGraphicHeights.begin());
  const int w =
      static_cast<int>(std::find(kGraphicWidths.begin(), kGraphicWidths.end(), m_editor.Width()) -
                       kGraphicWidths.begin());
  if (m_heightList->currentIndex() >= 0) m_heightList->setCurrentIndex(h);
  m_widthList->setCurrentIndex(w);
  Redraw();
  ShowBlock();
}

void TGraphicForm::ApplySignColorMode(bool tripleColor) {
  m_colourSwatches[1]->setVisible(tripleColor);
  m_colourSwatches[2]->setVisible(tripleColor);
  m_colourSwatches[0]->move(tripleColor ? 17 : 42, 50);
  m_colourSwatches[3]->move(tripleColor ? 92 : 82, 50);
}

void TGraphicForm::ApplySize() {
  if (m_heightList->currentIndex() >= 0) {
    m_editor.SetHeight(kGraphicHeights[static_cast<std::size_t>(m_heightList->currentIndex())]);
  }
  if (m_widthList->currentIndex() >= 0) {
    m_editor.SetWidth(kGraphicWidths[static_cast<std::size_t>(m_widthList->currentIndex())]);
  }
  Redraw();
  ShowBlock();
}

void TGraphicForm::SetSizeEntries(const SizeEntries& entries) {
  if (entries.height != SizeEntries::kUnchanged) m_heightList->setCurrentIndex(entries.height);
  if (entries.width != SizeEntries::kUnchanged) m_widthList->setCurrentIndex(entries.width);
}

void TGraphicForm::DrawCell(QPainter& painter, int column, int row, char letter) const {
  const int s = m_editor.CellSize();
  painter.drawImage(column * s, row * s, m_sprites[static_cast<std::size_t>(SpriteIndex(letter))]);
}

void TGraphicForm::Redraw() {
  const int s = m_editor.CellSize();
  if (m_spriteSize != s) {
    const char letters[] = {kCellOff, kCellRed, kCellGreen, kCellOrange, '?'};
    for (std::size_t i = 0; i < m_sprites.size(); ++i) m_sprites[i] = Led(s, letters[i]);
    m_spriteSize = s;
  }
  const int w = m_editor.Width(), h = m_editor.Height();
  if (m_gridImage.width() != w * s || m_gridImage.height() != h * s) {
    m_gridImage = QImage(w * s, h * s, QImage::Format_RGB32);
  }
  m_gridImage.fill(Qt::black);
  QPainter painter(&m_gridImage);
  const CellGrid& cells = m_editor.Cells();
  for (int c = 0; c < w; ++c) {
    for (int r = 0; r < h; ++r) DrawCell(painter, c, r, cells.At(c, r));
  }
  painter.end();
  m_gridView->setFixedSize(m_gridImage.size());
  m_gridView->update();
}

void TGraphicForm::DrawBand(const RubberBand& band) {
  QPainter painter(&m_gridImage);
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.setPen(QPen(Qt::white, 1, band.dashDot ? Qt::DashDotLine : Qt::SolidLine));
  painter.setBrush(band.filled ? QBrush(Display(m_editor.Colour())) : Qt::NoBrush);
  const QRect box =
      QRect(QPoint(band.from.x, band.from.y), QPoint(band.to.x, band.to.y)).normalized();
  switch (band.shape) {
    case RubberBand::Shape::Line:
      painter.drawLine(band.from.x, band.from.y, band.to.x, band.to.y);
      break;
    case RubberBand::Shape::Rectangle:
      painter.drawRect(box);
      break;
    case RubberBand::Shape::Ellipse:
      painter.drawEllipse(box);
      break;
  }
}

void TGraphicForm::Do(const ScreenWork& work) {
  if (!work.cells.empty()) {
    QPainter painter(&m_gridImage);
    const int s = m_editor.CellSize();
    for (const Cell cell : work.cells) {
      if (cell.column >= m_editor.Width() || cell.row >= m_editor.Height()) continue;
      DrawCell(painter, cell.column, cell.row, m_editor.Cells().At(cell.column, cell.row));
      m_gridView->update(cell.column * s, cell.row * s, s, s);
    }
  }
  if (work.erase) DrawBand(*work.erase);
  if (work.draw) DrawBand(*work.draw);
  if (work.erase || work.draw) m_gridView->update();
  if (work.lassoDot) {
    const int s = m_editor.CellSize();
    QPainter painter(&m_gridImage);
    DrawCell(painter, work.lassoDot->column, work.lassoDot->row, m_editor.Colour());
    m_gridView->update(work.lassoDot->column * s, work.lassoDot->row * s, s, s);
  }
  if (work.redraw) Redraw();
  if (work.blockChanged) ShowBlock();
  if (work.textInput && m_textInput) m_textInput();
}

void TGraphicForm::ShowBlock() {
  const std::optional<FloatingBlock>& block = m_editor.Block();
  if (!block) {
    m_blockView->hide();
  } else {
    const int s = m_editor.CellSize();
    const int w = std::max(1, block->columns * s), h = std::max(1, block->rows * s);
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    for (int k = 0; k < block->columns; ++k) {
      for (int l = 0; l < block->rows; ++l) {
        painter.drawImage(k * s, l * s,
                          m_sprites[static_cast<std::size_t>(SpriteIndex(block->cells.At(k, l)))]);
      }
    }
    painter.setPen(Qt::white);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, w - 1, h - 1);
    painter.end();
    m_blockView->picture = picture;
    m_blockView->setGeometry(block->position.x, block->position.y, w, h);
    m_blockView->show();
    m_blockView->raise();
    m_blockView->update();
  }
  // The scroll box reaches as far as the grid and the block.
  QRect extent(QPoint(0, 0), m_gridImage.size());
  if (block) extent |= m_blockView->geometry();
  m_gridArea->setMinimumSize(extent.right() + 1, extent.bottom() + 1);
}

void TGraphicForm::GridPress(QPoint p, Qt::MouseButton button) {
  Do(m_editor.Press(ToPixel(p), ToButton(button)));
}

void TGraphicForm::GridMove(QPoint p, Qt::MouseButtons buttons) {
  m_gridView->setCursor(CursorShape(m_editor.CurrentTool().Description().cursor));
  Do(m_editor.Move(ToPixel(p), buttons.testFlag(Qt::LeftButton)));
}

void TGraphicForm::GridRelease(QPoint p, Qt::MouseButton button) {
  Do(m_editor.Release(ToPixel(p), ToButton(button)));
}

void TGraphicForm::BlockPress(QPoint inBlock) { m_editor.GrabBlock(ToPixel(inBlock)); }

void TGraphicForm::BlockMove(QPoint inBlock, Qt::MouseButtons buttons) {
  if (buttons.testFlag(Qt::LeftButton) && m_editor.DragBlock(ToPixel(inBlock))) ShowBlock();
}

void TGraphicForm::DropBlock() {
  if (m_editor.DropBlock()) {
    Redraw();
    ShowBlock();
  }
}

void TGraphicForm::SpeedButtonClick(int button) {
  const auto& tools = m_editor.Tools();
  if (button < 1 || button > static_cast<int>(tools.size())) return;
  m_editor.SetTool(tools[static_cast<std::size_t>(button - 1)]->Description().key);
  m_toolButtons->button(button)->setChecked(true);
}

void TGraphicForm::SwatchMouseUp(char letter) {
  m_editor.SetColour(letter);
  m_colourInUse->SetColour(Display(letter));
}

void TGraphicForm::ZoomOut() {
  m_zoomList->setCurrentIndex(std::max(0, m_zoomList->currentIndex() - 1));
}

void TGraphicForm::ZoomIn() {
  m_zoomList->setCurrentIndex(std::min(m_zoomList->count() - 1, m_zoomList->currentIndex() + 1));
}

void TGraphicForm::ClearClick() {
  m_editor.Clear();
  Redraw();
}

void TGraphicForm::UndoClick() {
  if (m_editor.Undo()) Sync();
}

void TGraphicForm::RedoClick() {
  if (m_editor.Redo()) Sync();
}

void TGraphicForm::ListBox1MouseUp(QListWidgetItem* item) {
  if (item == nullptr) return;
  const std::string name = ToUtf8(item->text());
  Result<GraphicRows> rows = m_folder.Read(name);
  if (!rows) {
    m_context.Notices().FileErr(rows.ErrorText());
    return;
  }
  Result<SizeEntries> entries = m_editor.Load(*rows);
  if (!entries) {
    m_context.Notices().FileErr(Utf8FromPath(m_folder.FilePath(name)) + ": " + entries.ErrorText());
    return;
  }
  SetSizeEntries(*entries);
  Redraw();
  ShowBlock();
}

void TGraphicForm::SaveClick() {
  if (m_nameChooser == nullptr || m_nameChooser->exec() != QDialog::Accepted) return;
  const std::string name = m_nameChooser->SelectedName();
  const bool existed = m_folder.Exists(name);
  if (existed && !m_context.Notices().Ask("        overwrite the existing file ?        ")) return;
  if (Status written = m_folder.Write(name, m_editor.Rows()); !written) {
    m_context.Notices().FileErr(written.ErrorText());
    return;
  }
  if (!existed) {
    auto* item = new QListWidgetItem(FromUtf8(name), m_storedList);
    m_storedList->setCurrentItem(item);
  }
}

void TGraphicForm::DeleteButtonClick() {
  if (!m_context.Notices().Ask("        Comfirm to delete the Graph ?        ")) return;
  QListWidgetItem* item = ChosenEntry();
  if (item == nullptr) return;
  if (!m_folder.Delete(ToUtf8(item->text()))) {
    m_context.Notices().Fail("Delete Error");
    return;
  }
  delete item;
  // The list moves its current row to the next entry; that one was not chosen by the user.
  ForgetChosenEntry();
  m_editor.ClearAfterDelete();
  Redraw();
}

void TGraphicForm::InsertButtonClick() {
  const QListWidgetItem* item = ChosenEntry();
  const std::string name = item != nullptr ? ToUtf8(item->text()) : "";
  if (name.empty()) {
    m_context.Notices().Fail(std::string(PlacementMessage(PlacementVerdict::NoSelection)));
    return;
  }
  // Insert works from the stored file, never from the drawing on the grid.
  const Result<int> rows = m_folder.Height(name);
  if (!rows) {
    m_context.Notices().FileErr(rows.ErrorText());
    return;
  }
  const PlacementVerdict verdict = CheckPlacement(name, *rows, m_context.LineText(1),
                                                  m_context.LineText(2), m_context.Line2Active());
  if (verdict == PlacementVerdict::Insert) {
    m_context.InsertAtCaret(FromUtf8(PlacementTag(name)));
  } else {
    m_context.Notices().Fail(std::string(PlacementMessage(verdict)));
  }
  hide();
}

Status TGraphicForm::ExportBitmap(const std::filesystem::path& path) {
  return WriteBitmap(path, ExportPicture(m_editor));
}

Status TGraphicForm::ImportBitmap(const std::filesystem::path& path) {
  Result<RgbPicture> picture = ReadBitmap(path);
  if (!picture) return picture.TakeError();
  // The drawing no longer is a stored graphic: Insert asks for one to be picked again.
  ForgetChosenEntry();
  ImportPicture(m_editor, *picture);
  Redraw();
  return {};
}

QListWidgetItem* TGraphicForm::ChosenEntry() const {
  QListWidgetItem* item = m_storedList->currentItem();
  return item != nullptr && item->isSelected() ? item : nullptr;
}

void TGraphicForm::ForgetChosenEntry() {
  m_storedList->clearSelection();
  m_storedList->setCurrentItem(nullptr);
}

QString TGraphicForm::ChooseBitmapFile(BitmapQuestion question) {
  if (m_chooseFile) return m_chooseFile(question);
  return question == BitmapQuestion::Export
             ? QFileDialog::getSaveFileName(this, "Export", QString(), "Bitmaps (*.bmp)")
             : QFileDialog::getOpenFileName(this, "Import", QString(), "Bitmaps (*.bmp)");
}

void TGraphicForm::SaveButtonClick() {
  const QString file = ChooseBitmapFile(BitmapQuestion::Export);
  if (file.isEmpty()) return;
  const QString withExtension = file.endsWith(".bmp", Qt::CaseInsensitive) ? file : file + ".bmp";
  if (Status s = ExportBitmap(ToPath(withExtension)); !s) {
    m_context.Notices().FileErr(s.ErrorText());
  }
}

void TGraphicForm::LoadButtonClick() {
  const QString file = ChooseBitmapFile(BitmapQuestion::Import);
  if (file.isEmpty()) return;
  if (Status s = ImportBitmap(ToPath(file)); !s) m_context.Notices().FileErr(s.ErrorText());
}

void TGraphicForm::RenderText(const QStringList& lines, const QFont& font, int pitch) {
  const RenderedText text =
      RenderTextMask(lines, font, pitch, 10 * m_editor.Width(), 10 * m_editor.Height());
  const TextBlock block = CropRenderedText(text.lit, text.width, text.height, m_editor.Colour());
  m_editor.PlaceBlock(block.cells, block.columns, block.rows, m_editor.TextAnchor());
  ShowBlock();
}

bool TGraphicForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_storedList->viewport() && event->type() == QEvent::MouseButtonRelease) {
    ListBox1MouseUp(m_storedList->itemAt(static_cast<QMouseEvent*>(event)->position().toPoint()));
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tavrin
