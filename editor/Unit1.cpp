#include "editor/Unit1.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidgetAction>

#include "common/codepage.h"
#include "common/file_io.h"
#include "common/program_folder.h"
#include "signlink/link_factory.h"
#include "ui/command_runner.h"
#include "ui/controls.h"
#include "ui/notice_box.h"
#include "ui/themed_icon.h"

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

namespace tavrin {

namespace {

constexpr const char* kMaxLengthText = "Max length is 210 chars";
// The filter of the message file dialogs.
constexpr const char* kMessageFilter = "Message files (*.tvr);;All files (*)";
constexpr const char* kQuitWhileRunningText =
    "A command is still talking to the sign. Quit anyway?";
QColor QtColour(const Rgb& c) { return QColor(c.red, c.green, c.blue); }

// The link of the settings' serial port; the kind of port cannot fail to be made.
std::unique_ptr<SignLink> SettingsLink(const Settings& settings) {
  Result<std::unique_ptr<SignLink>> link = MakeLink(LinkTarget{}, settings);
  return std::move(link).Value();
}

QTextCharFormat Format(const QColor& colour) {
  QTextCharFormat format;
  format.setForeground(colour);
  format.setFontWeight(QFont::Bold);
  format.setFontItalic(false);
  format.setFontUnderline(false);
  return format;
}

// The grey item of the Functions menu that draws itself.
// Its grey is its own, so its text is black on it whatever the desktop's colours (the
// desktop's window-text colour is light under a dark theme, and unreadable on this grey); the
// item chosen with the mouse or the keys shows the desktop's highlight as the others do.
class ColorSettingItem : public QWidget {
 public:
  ColorSettingItem(QAction* action, QWidget* parent) : QWidget(parent), m_action(action) {
    setMinimumSize(160, 22);
    setMouseTracking(true);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    auto* menu = qobject_cast<QMenu*>(parentWidget());
    const bool chosen = menu != nullptr && menu->activeAction() == m_action;
    painter.fillRect(rect(), chosen ? palette().color(QPalette::Highlight) : QColor(180, 180, 180));
    painter.setPen(chosen ? palette().color(QPalette::HighlightedText) : QColor(Qt::black));
    painter.drawText(rect().adjusted(20, 3, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     "Show Color Setting...");
  }
  void enterEvent(QEnterEvent*) override {
    if (auto* menu = qobject_cast<QMenu*>(parentWidget())) menu->setActiveAction(m_action);
    update();
  }
  void leaveEvent(QEvent*) override { update(); }
  void mouseReleaseEvent(QMouseEvent*) override {
    if (!m_action->isEnabled()) return;
    if (auto* menu = qobject_cast<QMenu*>(parentWidget())) menu->close();
    m_action->trigger();
  }

 private:
  QAction* m_action;
};

}  // namespace

void MessageEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    emit pasteRequested();
    return;
  }
  QTextEdit::keyPressEvent(event);
}

void MessageEdit::insertFromMimeData(const QMimeData* source) {
  // Pasting by any way (the middle button of X11 too) goes through the main window.
  if (source->hasText()) emit textPasted(source->text());
}

void MessageEdit::contextMenuEvent(QContextMenuEvent* event) {
  if (m_popupMenu != nullptr) m_popupMenu->exec(event->globalPos());
}

namespace {

// The status line's side of every command on the road.
class StatusLineEvents : public CommandEvents {
 public:
  explicit StatusLineEvents(TForm1& form) : m_form(form) {}
  void Started(const SignPlan& plan) override { m_form.CommandStarted(plan); }
  void StepSent(std::size_t step, std::size_t steps) override {
    m_form.CommandProgress(step + 1, steps);
  }
  void Finished(const SignPlan& plan, const PlanResult& result,
                std::chrono::milliseconds took) override {
    m_form.CommandEnded(plan, result, took);
  }

 private:
  TForm1& m_form;
};

}  // namespace

TForm1::TForm1(std::filesystem::path programFolder, WorkspaceView workspace, QWidget* parent)
    : QMainWindow(parent),
      m_workspace(workspace),
      m_programFolder(std::move(programFolder)),
      m_settings(SettingsPath(m_programFolder)),
      m_ownNotice(std::make_unique<QtNotice>(this)),
      m_notice(m_ownNotice.get()),
      m_serialLink(SettingsLink(m_settings)),
      m_road(*m_serialLink),
      m_namedRoads(m_settings) {
  m_road.SetPortNumber(m_settings.PortNumber());
  const auto statusLine = ToWindowThread(this, std::make_shared<StatusLineEvents>(*this));
  m_road.AddObserver(statusLine);
  m_namedRoads.ShareRoad(&m_road);
  m_namedRoads.AddObserver(statusLine);
  setObjectName("Form1");
  setWindowTitle("Tavrin");
  resize(614, 447);
  BuildEditors();
  BuildMenus();
  BuildToolBar();
  CentreOnScreen(this);
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
    editor->setAcceptDrops(false);     // text comes in by typing and pasting, which are checked
    editor->setTabChangesFocus(true);  // as in every other field; the sign has no tab
    // A page of paper, white whatever the desktop's colours, as a word processor keeps its
    // page: the message's black text and red tags read the same under a dark theme.
    QPalette paper = editor->palette();
    paper.setColor(QPalette::Base, Qt::white);
    paper.setColor(QPalette::Text, Qt::black);
    editor->setPalette(paper);
    editor->SetPopupMenu(popup);
    SetDefaultFormat(editor);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(editor);
    m_pageControl->addTab(page, i == 0 ? "Line 1" : "Line 2");
    connect(editor, &QTextEdit::textChanged, this, &TForm1::TextChanged);
    connect(editor, &MessageEdit::pasteRequested, this, &TForm1::PasteClick);
    connect(editor, &MessageEdit::textPasted, this,
            [this, editor](const QString& text) { PasteText(editor, text); });
    connect(editor->document(), &QTextDocument::modificationChanged, this, &TForm1::ShowCaption);
    (i == 0 ? m_line1 : m_line2) = editor;
  }
  // "Line 2" exists but its tab is hidden: the user cannot switch to it.
  m_pageControl->setTabVisible(1, false);
  connect(m_pageControl, &QTabWidget::currentChanged, this, &TForm1::PageChanged);
  m_current = m_line1;
  setCentralWidget(m_pageControl);
  m_line1->setFocus();

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
  auto* message = new ElidedLabel(status);
  message->setObjectName("StatusMessage");
  status->addWidget(message, 1);
  m_statusProgress = new QProgressBar(status);
  m_statusProgress->setObjectName("StatusProgress");
  m_statusProgress->setFixedWidth(120);
  m_statusProgress->setTextVisible(false);
  m_statusProgress->hide();
  status->addPermanentWidget(m_statusProgress);
}

void TForm1::SetPreviewPanel(QWidget* panel) {
  m_previewDock = new QDockWidget("Sign Preview", this);
  m_previewDock->setObjectName("PreviewDock");
  m_previewDock->setFeatures(QDockWidget::DockWidgetClosable);
  m_previewDock->setWidget(panel);
  addDockWidget(Qt::BottomDockWidgetArea, m_previewDock);
  QAction* item = findChild<QAction*>("Preview1");
  item->setEnabled(true);
  item->setChecked(m_settings.PreviewShown());
  m_previewDock->setVisible(item->isChecked());
  // The choice is kept in the settings file, whether made in the menu or by closing the dock.
  connect(item, &QAction::toggled, m_previewDock, &QWidget::setVisible);
  connect(m_previewDock, &QDockWidget::visibilityChanged, this, [this, item](bool visible) {
    if (isHidden() || visible == m_settings.PreviewShown()) return;
    item->setChecked(visible);
    if (Status s = m_settings.SetPreviewShown(visible); !s)
      ShowStatus(QString::fromStdString(s.ErrorText()));
  });
  connect(item, &QAction::toggled, this, [this](bool on) {
    if (on == m_settings.PreviewShown()) return;
    if (Status s = m_settings.SetPreviewShown(on); !s)
      ShowStatus(QString::fromStdString(s.ErrorText()));
  });
}

void TForm1::CommandStarted(const SignPlan& plan) {
  ShowStatus(QString::fromStdString(plan.summary) + "...");
  m_statusProgress->setRange(0, static_cast<int>(plan.steps.size()));
  m_statusProgress->setValue(0);
  // A command of one frame is over before a bar could tell anything.
  m_statusProgress->setVisible(plan.steps.size() > 1);
}

void TForm1::CommandProgress(std::size_t framesDone, std::size_t) {
  m_statusProgress->setValue(static_cast<int>(framesDone));
}

void TForm1::CommandEnded(const SignPlan& plan, const PlanResult& result,
                          std::chrono::milliseconds took) {
  m_statusProgress->hide();
  const std::string line = StatusLine(plan, result, took);
  if (!line.empty()) ShowStatus(QString::fromStdString(line));
}

void TForm1::SetDefaultFormat(QTextEdit* editor) {
  editor->setCurrentCharFormat(Format(Qt::black));
}

QAction* TForm1::Item(QMenu* menu, const char* name, const char* caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  return action;
}

QAction* TForm1::Command(QMenu* menu, MainCommand command, const char* name, const char* caption) {
  QAction* action = Item(menu, name, caption);
  Register(command, action);
  return action;
}

void TForm1::Register(MainCommand command, QAction* action) {
  action->setEnabled(false);  // until it is bound to its window
  m_commands[command].push_back(action);
}

void TForm1::AddTagItems(QMenu* menu, TagMenu items) {
  for (const TagMenuItem& item : TagMenuItems(items)) {
    QAction* action = Item(menu, std::string(item.name).c_str(), std::string(item.caption).c_str());
    const std::string_view tag = item.tag;
    const std::string_view lower = item.lowerTag;
    if (lower.empty()) {
      connect(action, &QAction::triggered, this, [this, tag] { InsertAtCaret(FromUtf8(tag)); });
    } else {
      connect(action, &QAction::triggered, this, [this, tag, lower] { InsertEffect(tag, lower); });
    }
    action->setVisible(item.visible);
    if (item.tripleColorOnly) m_tripleColorItems.push_back(action);
  }
}

namespace {

QAction* WithKeys(QAction* action, const QKeySequence& keys) {
  action->setShortcut(keys);
  return action;
}

// A caption with the keys the editor itself answers shown after a tab ("Paste\tCtrl+V").
std::string ShowingKeys(const char* caption, QKeySequence::StandardKey key) {
  return std::string(caption) + "\t" +
         QKeySequence(key).toString(QKeySequence::NativeText).toStdString();
}

}  // namespace

QMenu* TForm1::Menu(QMenuBar* bar, const char* name, const char* caption) {
  QMenu* menu = bar->addMenu(caption);
  menu->setObjectName(name);
  return menu;
}

// Every menu has its letter for Alt.
void TForm1::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu1");
  BuildFileMenu(Menu(bar, "File1", "&File"));
  BuildEditMenu(Menu(bar, "Edit1", "&Edit"));
  BuildCommandsMenu(Menu(bar, "Commands1", "&Commands"));
  QMenu* european = Menu(bar, "European1", "E&uropean");
  Command(european, MainCommand::EuropeanChar, "EuropeanChar1", "European Char");
  Command(european, MainCommand::UserFontMake, "UserFontMake1", "User Font Make...");
  Command(european, MainCommand::RecallDefaultFont, "RecallDefaultFont1", "Recall Default Font");
  AddTagItems(Menu(bar, "Font1", "F&ont"), TagMenu::Font);
  AddTagItems(Menu(bar, "Color1", "Co&lor"), TagMenu::Color);
  QAction* preview = Item(Menu(bar, "View1", "&View"), "Preview1", "Sign Preview");
  preview->setCheckable(true);
  preview->setEnabled(false);  // until a preview panel is given
  Command(Menu(bar, "BmpGraphics1", "&Bmp Graphics"), MainCommand::EditGraphic, "EditGraphic1",
          "Edit Graphic...");
  BuildFunctionsMenu(Menu(bar, "Functions1", "Func&tions"));
  QMenu* help = Menu(bar, "Help1", "&Help");
  connect(WithKeys(Item(help, "ReadMe1", "&Read Me"), QKeySequence::HelpContents),
          &QAction::triggered, this, &TForm1::ReadMeClick);
  Command(help, MainCommand::About, "About1", "About...");
}

// The file commands have their usual keys.
void TForm1::BuildFileMenu(QMenu* file) {
  connect(WithKeys(Item(file, "New1", "&New"), QKeySequence::New), &QAction::triggered, this,
          &TForm1::NewClick);
  connect(WithKeys(Item(file, "Open1", "&Open..."), QKeySequence::Open), &QAction::triggered, this,
          &TForm1::OpenClick);
  connect(WithKeys(Item(file, "Save1", "&Save"), QKeySequence::Save), &QAction::triggered, this,
          &TForm1::SaveClick);
  connect(WithKeys(Item(file, "SaveAs1", "Save &As..."), QKeySequence("Ctrl+Shift+S")),
          &QAction::triggered, this, &TForm1::SaveAsClick);
  file->addSeparator();
  Command(file, MainCommand::SetCom, "SetCOM1", "Set &COM...");
  file->addSeparator();
  connect(WithKeys(Item(file, "Exit1", "E&xit"), QKeySequence("Ctrl+Q")), &QAction::triggered, this,
          &QWidget::close);
}

// The editors take the edit keys themselves (Paste through the length check, Delete as it
// deletes); the menu shows them.
void TForm1::BuildEditMenu(QMenu* edit) {
  const std::string undo = ShowingKeys("&Undo", QKeySequence::Undo);
  connect(Item(edit, "Undo1", undo.c_str()), &QAction::triggered, this,
          [this] { m_current->undo(); });
  edit->addSeparator();
  const std::string cut = ShowingKeys("Cu&t", QKeySequence::Cut);
  const std::string copy = ShowingKeys("&Copy", QKeySequence::Copy);
  const std::string paste = ShowingKeys("&Paste", QKeySequence::Paste);
  connect(Item(edit, "Cut1", cut.c_str()), &QAction::triggered, this, &TForm1::CutClick);
  connect(Item(edit, "Copy1", copy.c_str()), &QAction::triggered, this, &TForm1::CopyClick);
  connect(Item(edit, "Paste1", paste.c_str()), &QAction::triggered, this, &TForm1::PasteClick);
  connect(Item(edit, "Delete1", "&Delete\tDel"), &QAction::triggered, this, &TForm1::DeleteClick);
  edit->addSeparator();
  const std::string all = ShowingKeys("Select &All", QKeySequence::SelectAll);
  connect(Item(edit, "SelectAll1", all.c_str()), &QAction::triggered, this,
          [this] { m_current->selectAll(); });
}

// The effect, time and special tags, and the dialogs that insert them.
void TForm1::BuildCommandsMenu(QMenu* commands) {
  m_capitalControl = Item(commands, "CapitalControlByLine1", "Effect Control By Line 1");
  m_capitalControl->setCheckable(true);
  m_capitalControl->setChecked(true);
  m_capitalControl->setVisible(false);
  QAction* n3 = commands->addSeparator();
  n3->setObjectName("N3");
  n3->setVisible(false);

  QMenu* leading = commands->addMenu("Leading Effect");
  leading->setObjectName("LeadingEffect1");
  AddTagItems(leading, TagMenu::LeadingEffect);
  QMenu* welcome = leading->addMenu("Welcome");
  welcome->setObjectName("Welcome1");
  AddTagItems(welcome, TagMenu::Welcome);
  Command(commands, MainCommand::MoveSpeed, "MoveSpeed1", "Move Speed...");
  QMenu* display = commands->addMenu("Display Effect");
  display->setObjectName("DisplayEffect1");
  AddTagItems(display, TagMenu::DisplayEffect);
  Command(commands, MainCommand::DisplayTime, "DisplayTime1", "Display Time...");
  QMenu* closing = commands->addMenu("Closing Effect");
  closing->setObjectName("ClosingEffect1");
  AddTagItems(closing, TagMenu::ClosingEffect);
  QMenu* special = commands->addMenu("Special Function");
  special->setObjectName("SpecialFunction1");
  QMenu* bell = special->addMenu("Bell");
  bell->setObjectName("Bell1");
  AddTagItems(bell, TagMenu::Bell);
  AddTagItems(special, TagMenu::SpecialFunction);
  Command(special, MainCommand::Column, "Column1", "Column...");
}

// The sign functions, and the owner-drawn sign colour item.
void TForm1::BuildFunctionsMenu(QMenu* functions) {
  using C = MainCommand;
  for (const auto& [command, name, caption] :
       {std::tuple{C::SendMessage, "SendMessage1", "Send Message..."},
        {C::RunPage, "RunPage1", "Run Page..."},
        {C::SetId, "SetID1", "Set ID..."},
        {C::SetClock, "SetClock1", "Set Clock..."},
        {C::SetBrightness, "SetBrightness1", "Set Brightness..."},
        {C::LinkPages, "LinkPagesToRun1", "Link Pages To Run..."},
        {C::DisplayBySchedule, "DisplaybySchedule1", "Display by Schedule..."},
        {C::DeletePage, "DeletePage1", "Delete Page..."},
        {C::DeleteSchedule, "DeleteSchedule1", "Delete Schedule..."},
        {C::DeleteAll, "DeleteAll1", "Delete All..."}}) {
    Command(functions, command, name, caption);
  }
  Item(functions, "DeleteGraphicBlock1", "Delete Graphic Block...")->setVisible(false);
  auto* colorSetting = new QWidgetAction(functions);
  colorSetting->setObjectName("ShowColorSetting1");
  colorSetting->setText("Show Color Setting...");
  colorSetting->setDefaultWidget(new ColorSettingItem(colorSetting, functions));
  Register(MainCommand::ShowColorSetting, colorSetting);
  functions->addAction(colorSetting);
  functions->addSeparator();
  Command(functions, C::Signs, "Signs1", "&Signs...");
}

void TForm1::BuildToolBar() {
  QToolBar* bar = addToolBar("ToolBar1");
  bar->setObjectName("ToolBar1");
  bar->setMovable(false);
  bar->setIconSize(QSize(16, 16));
  auto button = [&](const char* name, const QIcon& icon, const char* hint) {
    QAction* a = bar->addAction(icon, hint);
    a->setObjectName(name);
    a->setToolTip(hint);
    return a;
  };
  // The desktop's icon theme first, our own pictures where it has none.
  const auto themed = [](const char* name) { return ThemedIcon(name); };
  connect(button("ToolButton1", themed("document-new"), "New File"), &QAction::triggered, this,
          &TForm1::NewClick);
  connect(button("ToolButton2", themed("document-open"), "Open File"), &QAction::triggered, this,
          &TForm1::OpenClick);
  connect(button("ToolButton3", themed("document-save"), "Save File"), &QAction::triggered, this,
          &TForm1::SaveClick);
  bar->addSeparator()->setObjectName("ToolButton4");
  connect(button("ToolButton5", themed("edit-cut"), "Cut"), &QAction::triggered, this,
          &TForm1::CutClick);
  connect(button("ToolButton6", themed("edit-copy"), "Copy"), &QAction::triggered, this,
          &TForm1::CopyClick);
  connect(button("ToolButton7", themed("edit-paste"), "Paste"), &QAction::triggered, this,
          &TForm1::PasteClick);
  bar->addSeparator()->setObjectName("ToolButton8");
  Register(MainCommand::SendMessage, button("ToolButton9", themed("mail-send"), "Send Message"));
  // A button of the design that has no action: kept for its name, never shown.
  QAction* ten = button("ToolButton10", QIcon(), "");
  ten->setToolTip("");
  ten->setVisible(false);
  ten->setEnabled(false);
  Register(MainCommand::SendViaNetwork,
           button("ToolButton12", themed("network-transmit"), "Send via Network"));
}

void TForm1::Bind(MainCommand command, const std::function<void()>& run) {
  for (QAction* action : m_commands[command]) {
    connect(action, &QAction::triggered, this, run);
    action->setEnabled(true);
  }
}

void TForm1::SetNotice(Notice* notice) { m_notice = notice; }

void TForm1::ShowStatus(const QString& text) {
  if (auto* message = findChild<ElidedLabel*>("StatusMessage")) message->SetText(text);
}

void TForm1::OnSignColorMode(std::function<void(bool)> listener) {
  m_colorModeListeners.push_back(std::move(listener));
}

void TForm1::InsertAtCaret(const QString& tag) {
  QTextCursor cursor = m_current->textCursor();
  cursor.insertText(tag, Format(QtColour(kTagColour)));
  m_current->setTextCursor(cursor);
  SetDefaultFormat(m_current);
}

void TForm1::InsertEffect(std::string_view upper, std::string_view lower) {
  const bool line2 = m_pageControl->currentIndex() == 1;
  InsertAtCaret(FromUtf8(line2 || m_capitalControl->isChecked() ? upper : lower));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != this)
    return QMainWindow::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  // Line breaks cannot be typed.
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) return true;
  // Only a typed character counts: Backspace, Delete and the shortcuts (Ctrl+X, Ctrl+C,
  // Ctrl+A) go on as they are, so that a full line can still be shortened, copied and
  // selected, and copying leaves the colours alone. Ctrl with Alt is AltGr on Windows, which
  // types characters.
  const QString typed = key->text();
  const Qt::KeyboardModifiers mods = key->modifiers();
  const bool shortcut = mods.testFlag(Qt::MetaModifier) ||
                        (mods.testFlag(Qt::ControlModifier) && !mods.testFlag(Qt::AltModifier));
  if (watched == m_line1 && !typed.isEmpty() && typed[0].isPrint() && !shortcut) {
    if (m_line1->toPlainText().size() >= kMaxMessageLength) {
      m_notice->Fail(kMaxLengthText);
      return true;
    }
    SetDefaultFormat(m_line1);
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::TextChanged() {
  if (sender() == m_line1) {
    for (const auto& listener : m_line1Listeners) listener();
  }
  const int length = static_cast<int>(m_current->toPlainText().size());
  m_statusPanels[1]->setText(QString::number(length));
  if (length > kMaxMessageLength && sender() == m_current) m_notice->Fail(kMaxLengthText);
}

void TForm1::PageChanged(int index) {
  m_current = index == 1 ? m_line2 : m_line1;
  m_statusPanels[1]->setText(QString::number(m_current->toPlainText().size()));
}

void TForm1::NewClick() {
  if (!MayLeaveTheMessage()) return;
  m_line1->clear();
  m_line2->clear();
  SetDefaultFormat(m_line1);
  SetDefaultFormat(m_line2);
  TakeFile({});
}

bool TForm1::Modified() const {
  return m_line1->document()->isModified() || m_line2->document()->isModified();
}

bool TForm1::MayLeaveTheMessage() {
  if (!Modified()) return true;
  const QString name =
      m_fileName.isEmpty() ? QString("Untitled") : QFileInfo(m_fileName).fileName();
  switch (m_notice->AskToSave(ToUtf8("Save changes to " + name + "?"))) {
    case NoticeAnswer::Save:
      if (m_fileName.isEmpty()) return SaveAsClick();
      return SaveMessageAs(m_fileName);
    case NoticeAnswer::Discard:
      return true;
    default:
      return false;
  }
}

void TForm1::TakeFile(const QString& path) {
  m_fileName = path;
  m_line1->document()->setModified(false);
  m_line2->document()->setModified(false);
  ShowCaption();
}

void TForm1::ShowCaption() {
  if (m_fileName.isEmpty()) {
    setWindowTitle("Tavrin");
    setWindowModified(false);
    return;
  }
  setWindowTitle(QFileInfo(m_fileName).fileName() + "[*] - Tavrin");
  setWindowModified(Modified());
}

QString TForm1::DialogFolder() const {
  if (!m_fileName.isEmpty()) return QFileInfo(m_fileName).absolutePath();
  return FromUtf8(m_settings.FileFolder());
}

void TForm1::RememberFolder(const QString& path) {
  const QString folder = QFileInfo(path).absolutePath();
  if (ToUtf8(folder) == m_settings.FileFolder()) return;
  // Not being able to keep the folder is no reason to bother the user: the file is done.
  if (Status s = m_settings.SetFileFolder(ToUtf8(folder)); !s) {
    ShowStatus(QString::fromStdString(s.ErrorText()));
  }
}

void TForm1::CutClick() { m_current->cut(); }
void TForm1::CopyClick() { m_current->copy(); }
void TForm1::DeleteClick() { m_current->textCursor().removeSelectedText(); }

void TForm1::PasteClick() { PasteText(m_current, QApplication::clipboard()->text()); }

void TForm1::PasteText(QTextEdit* editor, const QString& text) {
  if (editor->toPlainText().size() >= kMaxMessageLength) {
    m_notice->Fail(kMaxLengthText);
    return;
  }
  QTextCursor cursor = editor->textCursor();
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  for (const TextRun& run : RunsOfPastedText(ToUtf8(text))) {
    cursor.insertText(FromUtf8(run.text), Format(QtColour(run.red ? kTagColour : kTextColour)));
  }
  cursor.endEditBlock();
  editor->setTextCursor(cursor);
  SetDefaultFormat(editor);
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
      const bool red = IsTagColour({colour.red(), colour.green(), colour.blue()});
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
      cursor.insertText(FromUtf8(run.text), Format(QtColour(run.red ? kTagColour : kTextColour)));
    }
    editor->setTextCursor(cursor);
    SetDefaultFormat(editor);
  }
  emit editor->textChanged();
}

Result<std::string> TForm1::Line1SignText() const {
  return Utf8ToCodePage(ToUtf8(m_line1->toPlainText()), m_settings.CodePage());
}

std::string TForm1::LineText(int line) const {
  return ToUtf8((line == 2 ? m_line2 : m_line1)->toPlainText());
}

bool TForm1::Line2Active() const { return m_pageControl->currentIndex() == 1; }

Status TForm1::SaveMessageFile(const std::filesystem::path& path) {
  return WriteFileAtomically(path, WriteMessageRtf(Runs(m_line1), m_settings.CodePage()));
}

void TForm1::OpenMessageFile(const std::filesystem::path& path, std::function<void(Status)> done) {
  // Read and decoded beside the windows: a large or hostile file does not stop them.
  const std::string codePage = m_settings.CodePage();
  const QString name = FromPath(path);
  RunBesideTheWindows(
      this, [path, codePage] { return LoadMessageFile(path, codePage); },
      [this, name, done = std::move(done)](Result<std::vector<TextRun>> runs) {
        Status status;
        if (runs) {
          SetRuns(m_line1, *runs);
          TakeFile(name);
          RememberFolder(name);
        } else {
          status = runs.TakeError();
        }
        if (done) done(std::move(status));
      });
}

QString TForm1::FileDialog(FileQuestion question, const QString& folder, const QString& name) {
  const bool open = question == FileQuestion::Open;
  QFileDialog dialog(this, open ? "Open" : "Save As", folder, kMessageFilter);
  dialog.setObjectName(open ? "OpenDialog1" : "SaveDialog1");
  dialog.setDefaultSuffix("tvr");
  if (open) {
    dialog.setFileMode(QFileDialog::ExistingFile);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // Replacing an existing file is not asked about.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!name.isEmpty()) dialog.selectFile(name);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

void TForm1::OpenClick() {
  if (!MayLeaveTheMessage()) return;
  const QString path = m_chooseFile ? m_chooseFile(FileQuestion::Open, DialogFolder(), {})
                                    : FileDialog(FileQuestion::Open, DialogFolder(), {});
  if (path.isEmpty()) return;
  OpenMessageFile(ToPath(path), [this](const Status& s) {
    if (!s) m_notice->FileErr(s.ErrorText());
  });
}

void TForm1::SaveClick() {
  if (m_fileName.isEmpty()) {
    SaveAsClick();
  } else {
    SaveMessageAs(m_fileName);
  }
}

bool TForm1::SaveAsClick() {
  const QString name = m_fileName.isEmpty() ? QString() : QFileInfo(m_fileName).fileName();
  const QString path = m_chooseFile ? m_chooseFile(FileQuestion::SaveAs, DialogFolder(), name)
                                    : FileDialog(FileQuestion::SaveAs, DialogFolder(), name);
  return !path.isEmpty() && SaveMessageAs(path);
}

bool TForm1::SaveMessageAs(const QString& path) {
  if (Status s = SaveMessageFile(ToPath(path)); !s) {
    m_notice->FileErr(s.ErrorText());
    return false;
  }
  TakeFile(path);
  RememberFolder(path);
  return true;
}

void TForm1::ReadMeClick() {
  // Opened as the desktop opens it, from the program's folder; whether it opened is not
  // examined (a missing manual says nothing).
  const QString folder = FromPath(m_programFolder);
  const QString manual = FromPath(ManualPath(m_programFolder));
#ifdef _WIN32
  ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t*>(manual.utf16()), nullptr,
                reinterpret_cast<const wchar_t*>(folder.utf16()), SW_SHOWNORMAL);
#else
  QProcess::startDetached(m_openProgram, {manual}, folder);
#endif
}

void TForm1::ApplySignColorMode(bool tripleColor) {
  for (QAction* a : m_tripleColorItems) a->setVisible(tripleColor);
  for (const auto& listener : m_colorModeListeners) listener(tripleColor);
}

bool TForm1::AnyRoadBusy() {
  bool busy = m_road.Busy();
  m_namedRoads.ForEachRoad([&](SignRoad& road) { busy = busy || road.Busy(); });
  return busy;
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (!m_quitting && !MayLeaveTheMessage()) {
    event->ignore();
    return;
  }
  if (!AnyRoadBusy()) {
    QMainWindow::closeEvent(event);
    return;
  }
  event->ignore();
  if (m_quitting || !m_notice->Ask(kQuitWhileRunningText)) return;
  // The commands stop at their next frame boundary; the window closes once each has ended
  // and its port is closed.
  m_quitting = true;
  ShowStatus("Stopping the command...");
  m_road.RequestStop();
  m_namedRoads.ForEachRoad([](SignRoad& road) { road.RequestStop(); });
  auto* waiting = new QTimer(this);
  connect(waiting, &QTimer::timeout, this, [this, waiting] {
    if (AnyRoadBusy()) return;
    waiting->stop();
    close();
  });
  waiting->start(50);
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_shownOnce) return;
  m_shownOnce = true;
  ApplySignColorMode(m_settings.TripleColor());
  if (m_firstShown) m_firstShown();
}

}  // namespace tavrin
