#include "editor/Unit1.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidgetAction>

#include "common/codepage.h"
#include "common/file_io.h"
#include "editor/Uabout.h"
#include "editor/Ucolorsign.h"
#include "editor/Umovespeed.h"
#include "editor/Usetcom.h"
#include "editor/qt_seams.h"
#include "signlink/serial_link.h"

namespace tavrin {

namespace {

constexpr const char* kMaxLengthText = "Max length is 210 chars";
const QColor kTagColour(255, 0, 0);

QTextCharFormat Format(const QColor& colour) {
  QTextCharFormat format;
  format.setForeground(colour);
  format.setFontWeight(QFont::Bold);
  format.setFontItalic(false);
  format.setFontUnderline(false);
  return format;
}

// The grey item of the Functions menu that draws itself.
class ColorSettingItem : public QWidget {
 public:
  ColorSettingItem(QAction* action, QWidget* parent) : QWidget(parent), m_action(action) {
    setMinimumSize(160, 22);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(180, 180, 180));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect().adjusted(20, 3, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     "Show Color Setting...");
  }
  void mouseReleaseEvent(QMouseEvent*) override {
    if (!m_action->isEnabled()) return;
    if (auto* menu = qobject_cast<QMenu*>(parentWidget())) menu->close();
    m_action->trigger();
  }

 private:
  QAction* m_action;
};

// A 16 x 16 toolbar glyph drawn from a letter, for buttons the style has no icon for.
QIcon Glyph(const QString& letters, const QColor& colour) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  QFont font = painter.font();
  font.setPixelSize(letters.size() > 1 ? 8 : 12);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(pixmap.rect(), Qt::AlignCenter, letters);
  return QIcon(pixmap);
}

}  // namespace

void MessageEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    emit pasteRequested();
    return;
  }
  QTextEdit::keyPressEvent(event);
}

void MessageEdit::insertFromMimeData(const QMimeData* source) {
  // Pasted text takes the editor's own look: black and bold.
  if (source->hasText()) textCursor().insertText(source->text(), Format(Qt::black));
}

void MessageEdit::contextMenuEvent(QContextMenuEvent* event) {
  if (m_popupMenu != nullptr) m_popupMenu->exec(event->globalPos());
}

TForm1::TForm1(std::filesystem::path programFolder, QWidget* parent)
    : QMainWindow(parent),
      m_programFolder(std::move(programFolder)),
      m_settings(SettingsPath(m_programFolder)),
      m_ownNotice(std::make_unique<QtNotice>(this)),
      m_notice(m_ownNotice.get()),
      m_ownWaiter(std::make_unique<QtWaiter>()),
      m_waiter(m_ownWaiter.get()) {
  // The serial port of the settings: the "Ports" device of the port, or the default one.
#ifdef _WIN32
  m_serialLink = std::make_unique<SerialLink>();
#else
  m_serialLink = std::make_unique<SerialLink>(
      [this](int port) { return PosixPortDevice(port, ConfiguredPortDevice(m_settings, port)); });
#endif
  KeepWindowsResponsive(*m_serialLink);
  m_link = m_serialLink.get();
  setObjectName("Form1");
  setWindowTitle("Tavrin");
  resize(614, 447);
  BuildEditors();
  BuildMenus();
  BuildToolBar();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  QApplication::instance()->installEventFilter(this);  // the window previews every key
}

TForm1::~TForm1() { QApplication::instance()->removeEventFilter(this); }

void TForm1::BuildEditors() {
  m_pageControl = new QTabWidget(this);
  m_pageControl->setObjectName("PageControl1");
  QFont tabFont = m_pageControl->font();
  tabFont.setBold(true);
  m_pageControl->tabBar()->setFont(tabFont);
  QFont editorFont("Monospace");
  editorFont.setStyleHint(QFont::TypeWriter);
  editorFont.setPixelSize(19);
  editorFont.setBold(true);

  auto* popup = new QMenu(this);
  popup->setObjectName("PopupMenu1");
  popup->addAction("Cut", this, &TForm1::CutClick);
  popup->addAction("Copy", this, &TForm1::CopyClick);
  popup->addAction("Paste", this, &TForm1::PasteClick);

  for (int i = 0; i < 2; ++i) {
    auto* page = new QWidget;
    page->setObjectName(i == 0 ? "TabSheet1" : "TabSheet2");
    auto* editor = new MessageEdit(page);
    editor->setObjectName(i == 0 ? "RichEdit1" : "RichEdit2");
    editor->setFont(editorFont);
    editor->setAcceptRichText(false);
    editor->setAcceptDrops(false);  // text comes in by typing and pasting, which are checked
    editor->SetPopupMenu(popup);
    SetDefaultFormat(editor);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(editor);
    m_pageControl->addTab(page, i == 0 ? "Line 1" : "Line 2");
    connect(editor, &QTextEdit::textChanged, this, &TForm1::TextChanged);
    connect(editor, &MessageEdit::pasteRequested, this, &TForm1::PasteClick);
    (i == 0 ? m_richEdit1 : m_richEdit2) = editor;
  }
  // "Line 2" exists but its tab is hidden: the user cannot switch to it.
  m_pageControl->setTabVisible(1, false);
  connect(m_pageControl, &QTabWidget::currentChanged, this, &TForm1::PageChanged);
  m_current = m_richEdit1;
  setCentralWidget(m_pageControl);
  m_richEdit1->setFocus();

  auto* status = statusBar();
  status->setObjectName("StatusBar1");
  const int widths[] = {100, 70, 50};
  for (int i = 0; i < 3; ++i) {
    m_statusPanels[i] = new QLabel(status);
    m_statusPanels[i]->setObjectName(QString("StatusPanel%1").arg(i));
    m_statusPanels[i]->setFixedWidth(widths[i]);
    status->addWidget(m_statusPanels[i]);
  }
  m_statusPanels[1]->setText("0");
}

void TForm1::SetDefaultFormat(QTextEdit* editor) {
  editor->setCurrentCharFormat(Format(Qt::black));
}

QAction* TForm1::Item(QMenu* menu, const char* name, const char* caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  return action;
}

QAction* TForm1::TagItem(QMenu* menu, const char* name, const char* caption, const char* tag) {
  QAction* action = Item(menu, name, caption);
  connect(action, &QAction::triggered, this, [this, tag] { InsertAtCaret(tag); });
  return action;
}

QAction* TForm1::EffectItem(QMenu* menu, const char* name, const char* caption, const char* upper,
                            const char* lower) {
  QAction* action = Item(menu, name, caption);
  connect(action, &QAction::triggered, this, [this, upper, lower] { InsertEffect(upper, lower); });
  return action;
}

void TForm1::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu1");

  QMenu* file = bar->addMenu("&File");
  file->setObjectName("File1");
  connect(Item(file, "New1", "New"), &QAction::triggered, this, &TForm1::NewClick);
  connect(Item(file, "Open1", "Open..."), &QAction::triggered, this, &TForm1::OpenClick);
  connect(Item(file, "Save1", "Save..."), &QAction::triggered, this, &TForm1::SaveClick);
  file->addSeparator();
  connect(Item(file, "SetCOM1", "Set COM..."), &QAction::triggered, this, [this] {
    if (m_windows.setCom != nullptr) m_windows.setCom->ShowComPanel();
  });
  file->addSeparator();
  connect(Item(file, "Exit1", "Exit"), &QAction::triggered, this, &QWidget::close);

  QMenu* edit = bar->addMenu("Edit");
  edit->setObjectName("Edit1");
  connect(Item(edit, "Cut1", "Cut"), &QAction::triggered, this, &TForm1::CutClick);
  connect(Item(edit, "Copy1", "Copy"), &QAction::triggered, this, &TForm1::CopyClick);
  connect(Item(edit, "Paste1", "Paste"), &QAction::triggered, this, &TForm1::PasteClick);
  connect(Item(edit, "Delete1", "Delete"), &QAction::triggered, this, &TForm1::DeleteClick);

  struct Effect {
    const char* caption;
    const char* upper;
    const char* lower;
  };
  static constexpr Effect kEffects[] = {
      {"Immediate", "<Immediate>", "<immediate>"},
      {"Xopen", "<Xopen>", "<xopen>"},
      {"Curtain Up", "<Curtain Up>", "<curtain up>"},
      {"Curtain Down", "<Curtain Down>", "<curtain down>"},
      {"Scroll Left", "<Scoll Left>", "<scoll left>"},
      {"Scroll Right", "<Scroll Right>", "<scroll right>"},
      {"Vopen", "<Vopen>", "<vopen>"},
      {"Vclose", "<Vclose>", "<vclose>"},
      {"Scroll Up", "<Scroll Up>", "<scroll up>"},
      {"Scroll Down", "<Scroll Down>", "<scroll down>"},
      {"Hold", "<Hold>", "<hold>"},
      {"Snow", "<Snow>", "<snow>"},
      {"Twinkle", "<Twinkle>", "<twinkle>"},
      {"Block Move", "<Block Move>", "<block move>"},
      {"Random", "<Random>", "<random>"},
  };
  static constexpr const char* kLeadingNames[] = {
      "Immediate1",   "Xopen1", "CurtainUp1", "CurtainDown1", "ScrollLeft1",
      "ScrollRight1", "Vopen1", "Vclose1",    "ScrollUp1",    "ScrollDown1",
      "Hold1",        "Snow1",  "Twinkle1",   "BlockMove1",   "Random1"};
  static constexpr const char* kClosingNames[] = {
      "Immediate2", "Xopen2",  "CurtainUp2", "CurtainDown2", "ScrollLeft2", "ScrollRight2",
      "Vopen2",     "Vclose2", "ScrollUp2",  "ScrollDown2",  "Hold2"};

  QMenu* commands = bar->addMenu("Commands");
  commands->setObjectName("Commands1");
  m_capitalControl = Item(commands, "CapitalControlByLine1", "Effect Control By Line 1");
  m_capitalControl->setCheckable(true);
  m_capitalControl->setChecked(true);
  m_capitalControl->setVisible(false);
  QAction* n3 = commands->addSeparator();
  n3->setObjectName("N3");
  n3->setVisible(false);

  QMenu* leading = commands->addMenu("Leading Effect");
  leading->setObjectName("LeadingEffect1");
  for (int i = 0; i < 15; ++i) {
    EffectItem(leading, kLeadingNames[i], kEffects[i].caption, kEffects[i].upper,
               kEffects[i].lower);
  }
  QMenu* welcome = leading->addMenu("Welcome");
  welcome->setObjectName("Welcome1");
  TagItem(welcome, "HelloWorld1", "Hello World", "<Hello World>");
  TagItem(welcome, "Welcome3", "Welcome", "<Welcome>");

  connect(Item(commands, "MoveSpeed1", "Move Speed..."), &QAction::triggered, this, [this] {
    if (m_windows.moveSpeed != nullptr) m_windows.moveSpeed->ShowSpeedPanel();
  });
  QMenu* display = commands->addMenu("Display Effect");
  display->setObjectName("DisplayEffect1");
  TagItem(display, "Normal2", "Normal", "<Normal>");
  TagItem(display, "Blinking2", "Blinking", "<Blinking>");
  TagItem(display, "Song12", "Song 1", "<Song 1>");
  TagItem(display, "Song22", "Song 2", "<Song 2>");
  TagItem(display, "Song32", "Song 3", "<Song 3>");
  connect(Item(commands, "DisplayTime1", "Display Time..."), &QAction::triggered, this, [this] {
    if (m_windows.setCom != nullptr) m_windows.setCom->ShowDisplayPanel();
  });
  QMenu* closing = commands->addMenu("Closing Effect");
  closing->setObjectName("ClosingEffect1");
  for (int i = 0; i < 11; ++i) {
    EffectItem(closing, kClosingNames[i], kEffects[i].caption, kEffects[i].upper,
               kEffects[i].lower);
  }
  QMenu* special = commands->addMenu("Special Function");
  special->setObjectName("SpecialFunction1");
  QMenu* bell = special->addMenu("Bell");
  bell->setObjectName("Bell1");
  TagItem(bell, "N05Sec2", "0.5 Sec", "<Bell 0.5Sec>");
  TagItem(bell, "N1Sec2", "1 Sec", "<Bell 1Sec>");
  TagItem(bell, "N15Sec2", "1.5 Sec", "<Bell 1.5Sec>");
  TagItem(bell, "N13Sec2", "2 Sec", "<Bell 2Sec>");
  TagItem(special, "Date1", "Date", "<Display Date>");
  TagItem(special, "Time1", "Time", "<Display Time>");
  connect(Item(special, "Column1", "Column..."), &QAction::triggered, this, [this] {
    if (m_windows.moveSpeed != nullptr) m_windows.moveSpeed->ShowColumnPanel();
  });

  QMenu* european = bar->addMenu("European");
  european->setObjectName("European1");
  Item(european, "EuropeanChar1", "European Char")->setEnabled(false);
  Item(european, "UserFontMake1", "User Font Make...")->setEnabled(false);
  Item(european, "RecallDefaultFont1", "Recall Default Font")->setEnabled(false);

  QMenu* font = bar->addMenu("Font");
  font->setObjectName("Font1");
  TagItem(font, "Font4x71", "Font 4x7", "<Font4x7>");
  TagItem(font, "Font5x71", "Font 5x7", "<Font5x7>");
  TagItem(font, "Font6x71", "Font 6x7", "<Font6x7>");
  TagItem(font, "Font5x81", "Font 5x8", "<Font5x8>")->setVisible(false);
  TagItem(font, "Font7x131", "Font 7x13", "<Font7x13>")->setVisible(false);

  QMenu* color = bar->addMenu("Color");
  color->setObjectName("Color1");
  TagItem(color, "Red1", "Red", "<Red>");
  m_tripleColorItems = {
      TagItem(color, "Green1", "Green", "<Green>"),
      TagItem(color, "Orange1", "Orange", "<Orange>"),
  };
  TagItem(color, "InversedRed1", "Inversed Red", "<Inversed Red>");
  for (QAction* a : {TagItem(color, "InversedGreen1", "Inversed Green", "<Inversed Green>"),
                     TagItem(color, "InversedOrange1", "Inversed Orange", "<Inversed Orange>"),
                     TagItem(color, "RedOnGreen1", "Red On Green", "<Red On Green>"),
                     TagItem(color, "GreenonRed1", "Green On Red", "<Green On Red>"),
                     TagItem(color, "RYG1", "RYG", "<RYG>"),
                     TagItem(color, "Rainbow1", "Rainbow", "<Rainbow>")}) {
    m_tripleColorItems.push_back(a);
  }

  QMenu* graphics = bar->addMenu("Bmp Graphics");
  graphics->setObjectName("BmpGraphics1");
  Item(graphics, "EditGraphic1", "Edit Graphic...")->setEnabled(false);

  QMenu* functions = bar->addMenu("Functions");
  functions->setObjectName("Functions1");
  for (const auto& [name, caption] : {std::pair{"SendMessage1", "Send Message..."},
                                      {"RunPage1", "Run Page..."},
                                      {"SetID1", "Set ID..."},
                                      {"SetClock1", "Set Clock..."},
                                      {"SetBrightness1", "Set Brightness..."},
                                      {"LinkPagesToRun1", "Link Pages To Run..."},
                                      {"DisplaybySchedule1", "Display by Schedule..."},
                                      {"DeletePage1", "Delete Page..."},
                                      {"DeleteSchedule1", "Delete Schedule..."},
                                      {"DeleteAll1", "Delete All..."}}) {
    Item(functions, name, caption)->setEnabled(false);
  }
  Item(functions, "DeleteGraphicBlock1", "Delete Graphic Block...")->setVisible(false);
  auto* colorSetting = new QWidgetAction(functions);
  colorSetting->setObjectName("ShowColorSetting1");
  colorSetting->setText("Show Color Setting...");
  colorSetting->setDefaultWidget(new ColorSettingItem(colorSetting, functions));
  functions->addAction(colorSetting);
  connect(colorSetting, &QAction::triggered, this, [this] {
    if (m_windows.signColor == nullptr) return;
    m_windows.signColor->Preset(m_settings.ReadInt(kSignSection, kColorKey, 2),
                                m_settings.ReadInt(kSignSection, kShowFormKey, 1));
    m_windows.signColor->exec();
  });

  QMenu* help = bar->addMenu("Help");
  help->setObjectName("Help1");
  connect(Item(help, "ReadMe1", "Read Me"), &QAction::triggered, this, &TForm1::ReadMeClick);
  connect(Item(help, "About1", "About..."), &QAction::triggered, this, [this] {
    if (m_windows.aboutBox != nullptr) m_windows.aboutBox->exec();
  });
}

void TForm1::BuildToolBar() {
  QToolBar* bar = addToolBar("ToolBar1");
  bar->setObjectName("ToolBar1");
  bar->setMovable(false);
  bar->setIconSize(QSize(16, 16));
  QStyle* s = style();
  auto button = [&](const char* name, const QIcon& icon, const char* hint) {
    QAction* a = bar->addAction(icon, hint);
    a->setObjectName(name);
    a->setToolTip(hint);
    return a;
  };
  connect(button("ToolButton1", s->standardIcon(QStyle::SP_FileIcon), "New File"),
          &QAction::triggered, this, &TForm1::NewClick);
  connect(button("ToolButton2", s->standardIcon(QStyle::SP_DialogOpenButton), "Open File"),
          &QAction::triggered, this, &TForm1::OpenClick);
  connect(button("ToolButton3", s->standardIcon(QStyle::SP_DialogSaveButton), "Save File"),
          &QAction::triggered, this, &TForm1::SaveClick);
  bar->addSeparator()->setObjectName("ToolButton4");
  connect(button("ToolButton5", Glyph("X", Qt::darkRed), "Cut"), &QAction::triggered, this,
          &TForm1::CutClick);
  connect(button("ToolButton6", Glyph("C", Qt::darkBlue), "Copy"), &QAction::triggered, this,
          &TForm1::CopyClick);
  connect(button("ToolButton7", Glyph("V", Qt::darkGreen), "Paste"), &QAction::triggered, this,
          &TForm1::PasteClick);
  bar->addSeparator()->setObjectName("ToolButton8");
  button("ToolButton9", Glyph("S", Qt::red), "Send Message")->setEnabled(false);
  QAction* ten = button("ToolButton10", Glyph("-", Qt::gray), "");
  ten->setToolTip("");
  ten->setEnabled(false);
  button("ToolButton12", Glyph("Net", Qt::darkBlue), "Send via Network")->setEnabled(false);
}

void TForm1::Attach(const AppWindows& windows) {
  m_windows = windows;
  m_windows.form1 = this;
  UpdateWindowCommands();
}

void TForm1::SetCommand(const char* actionName, std::function<void()> command) {
  std::vector<QAction*> actions{findChild<QAction*>(actionName)};
  if (std::string_view(actionName) == "SendMessage1")
    actions.push_back(findChild<QAction*>("ToolButton9"));
  for (QAction* action : actions) {
    if (action == nullptr) continue;
    connect(action, &QAction::triggered, this, command);
    action->setEnabled(true);
  }
}

SignSession TForm1::Session(ProgressSink* progress) {
  const int port = m_windows.setCom != nullptr ? m_windows.setCom->PortNumber()
                                               : ConfiguredPortNumber(m_settings);
  return SignSession{*m_link, *m_notice, *m_waiter, port, progress};
}

void TForm1::UpdateWindowCommands() {
  auto enable = [this](const char* name, bool on) {
    if (auto* a = findChild<QAction*>(name)) a->setEnabled(on);
  };
  enable("SetCOM1", m_windows.setCom != nullptr);
  enable("DisplayTime1", m_windows.setCom != nullptr);
  enable("MoveSpeed1", m_windows.moveSpeed != nullptr);
  enable("Column1", m_windows.moveSpeed != nullptr);
  enable("About1", m_windows.aboutBox != nullptr);
  enable("ShowColorSetting1", m_windows.signColor != nullptr);
}

void TForm1::InsertAtCaret(const QString& text) {
  QTextCursor cursor = m_current->textCursor();
  cursor.insertText(text, Format(kTagColour));
  m_current->setTextCursor(cursor);
  SetDefaultFormat(m_current);
}

void TForm1::InsertEffect(const QString& upper, const QString& lower) {
  const bool line2 = m_pageControl->currentIndex() == 1;
  InsertAtCaret(line2 || m_capitalControl->isChecked() ? upper : lower);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != this)
    return QMainWindow::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  // Line breaks cannot be typed.
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) return true;
  if (watched == m_richEdit1 && !key->text().isEmpty() && !key->matches(QKeySequence::Paste)) {
    SetDefaultFormat(m_richEdit1);
    // Backspace shortens the text, so it is let through even at the limit.
    const bool shortens = key->key() == Qt::Key_Backspace;
    if (!shortens && m_richEdit1->toPlainText().size() >= kMaxMessageLength) {
      m_notice->Fail(kMaxLengthText);
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::TextChanged() {
  const int length = static_cast<int>(m_current->toPlainText().size());
  m_statusPanels[1]->setText(QString::number(length));
  if (length > kMaxMessageLength && sender() == m_current) m_notice->Fail(kMaxLengthText);
}

void TForm1::PageChanged(int index) {
  m_current = index == 1 ? m_richEdit2 : m_richEdit1;
  m_statusPanels[1]->setText(QString::number(m_current->toPlainText().size()));
}

void TForm1::NewClick() {
  m_richEdit1->clear();
  m_richEdit2->clear();
  SetDefaultFormat(m_richEdit1);
  SetDefaultFormat(m_richEdit2);
}

void TForm1::CutClick() { m_current->cut(); }
void TForm1::CopyClick() { m_current->copy(); }
void TForm1::DeleteClick() { m_current->textCursor().removeSelectedText(); }

void TForm1::PasteClick() {
  if (m_current->toPlainText().size() < kMaxMessageLength) {
    const QString text = QApplication::clipboard()->text();
    if (!text.isEmpty()) m_current->textCursor().insertText(text, Format(Qt::black));
    SetDefaultFormat(m_current);
  } else {
    m_notice->Fail(kMaxLengthText);
  }
}

std::vector<TextRun> TForm1::Runs(const QTextEdit* editor) const {
  std::vector<TextRun> runs;
  bool firstBlock = true;
  for (QTextBlock block = editor->document()->begin(); block.isValid(); block = block.next()) {
    if (!firstBlock) runs.push_back({"\n", false});
    firstBlock = false;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid()) continue;
      const QColor colour = fragment.charFormat().foreground().color();
      const bool red = colour.red() >= 128 && colour.green() < 100 && colour.blue() < 100;
      QString text = fragment.text();
      text.replace(QChar::LineSeparator, '\n');
      runs.push_back({ToUtf8(text), red});
    }
  }
  return MergeRuns(std::move(runs));
}

void TForm1::SetRuns(QTextEdit* editor, const std::vector<TextRun>& runs) {
  {
    // One change for the whole text, as a load is one change.
    const QSignalBlocker quiet(editor);
    editor->clear();
    QTextCursor cursor(editor->document());
    for (const TextRun& run : runs) {
      cursor.insertText(FromUtf8(run.text), Format(run.red ? kTagColour : QColor(Qt::black)));
    }
    editor->setTextCursor(cursor);
    SetDefaultFormat(editor);
  }
  emit editor->textChanged();
}

Result<std::string> TForm1::Line1SignText() const {
  return Utf8ToCodePage(ToUtf8(m_richEdit1->toPlainText()), ConfiguredCodePage(m_settings));
}

Status TForm1::SaveMessageFile(const std::filesystem::path& path) {
  return WriteFileAtomically(path,
                             WriteMessageRtf(Runs(m_richEdit1), ConfiguredCodePage(m_settings)));
}

Status TForm1::OpenMessageFile(const std::filesystem::path& path) {
  Result<std::string> bytes = ReadFileLimited(path, kMaxMessageFileBytes);
  if (!bytes) return bytes.TakeError();
  Result<std::vector<TextRun>> runs = ReadMessageFile(*bytes, ConfiguredCodePage(m_settings));
  if (!runs) return Error{PathText(path) + ": " + runs.ErrorText()};
  SetRuns(m_richEdit1, *runs);
  return {};
}

void TForm1::OpenClick() {
  QFileDialog dialog(this, "Open", m_lastOpenName, "*.tvr (*.tvr);;*.* (*)");
  dialog.setObjectName("OpenDialog1");
  dialog.setDefaultSuffix("tvr");
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  m_lastOpenName = dialog.selectedFiles().front();
  if (Status s = OpenMessageFile(m_lastOpenName.toStdString()); !s) m_notice->Err(s.ErrorText());
}

void TForm1::SaveClick() {
  QFileDialog dialog(this, "Save", m_lastSaveName, "*.tvr (*.tvr);;*.* (*)");
  dialog.setObjectName("SaveDialog1");
  dialog.setDefaultSuffix("tvr");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  // Replacing an existing file is not asked about.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  m_lastSaveName = dialog.selectedFiles().front();
  if (Status s = SaveMessageFile(m_lastSaveName.toStdString()); !s) m_notice->Err(s.ErrorText());
}

void TForm1::ReadMeClick() {
  QDesktopServices::openUrl(
      QUrl::fromLocalFile(QString::fromStdString((m_programFolder / "Manual.txt").string())));
}

void TForm1::ApplySignColorMode(bool tripleColor) {
  for (QAction* a : m_tripleColorItems) a->setVisible(tripleColor);
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_shownOnce) return;
  m_shownOnce = true;
  SignColorStartUp();
}

void TForm1::SignColorStartUp() {
  const int color = m_settings.ReadInt(kSignSection, kColorKey, 2);
  const int showForm = m_settings.ReadInt(kSignSection, kShowFormKey, 1);
  if (showForm == 1 && m_windows.signColor != nullptr) {
    m_windows.signColor->Preset(color, showForm);
    setEnabled(false);
    m_windows.signColor->show();
    m_windows.signColor->raise();
  }
  ApplySignColorMode(color == 2);
}

}  // namespace tavrin
