#pragma once

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/notice.h"
#include "common/settings.h"
#include "editor/message_rtf.h"
#include "editor/vocabulary.h"
#include "signlink/sign_link.h"
#include "signlink/sign_road.h"
#include "ui/window_context.h"

namespace tavrin {

// A line editor: Enter never makes a line break, and pasting goes through the main window,
// which checks the length first.
class MessageEdit : public QTextEdit {
  Q_OBJECT
 public:
  using QTextEdit::QTextEdit;

  // The pop-up menu the two editors share ("Cut", "Copy", "Paste").
  void SetPopupMenu(QMenu* menu) { m_popupMenu = menu; }

 signals:
  void pasteRequested();
  // Text put in by a way other than the Paste command (the middle mouse button of X11).
  void textPasted(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QMenu* m_popupMenu = nullptr;
};

// The main window's commands that other windows answer: the composition root binds each to
// the window and panel it opens; until then its menu item (and toolbar button) is disabled.
enum class MainCommand {
  SetCom,
  DisplayTime,
  MoveSpeed,
  Column,
  About,
  ShowColorSetting,
  SendMessage,  // the Functions item and the toolbar button
  RunPage,
  SetId,
  SetClock,
  SetBrightness,
  LinkPages,
  DisplayBySchedule,
  DeletePage,
  DeleteSchedule,
  DeleteAll,
  EditGraphic,
  UserFontMake,
  EuropeanChar,
  RecallDefaultFont,
  SendViaNetwork,  // the toolbar button
  Signs,           // the sign list
};

// The main window: the message editor and the command centre. It is the context every other
// window is given (the road to the sign, notices, Line 1, the settings, the workspace), and it
// knows the other windows only through the commands bound to its menu items.
class TForm1 : public QMainWindow, public WindowContext {
  Q_OBJECT
 public:
  // The program folder holds the settings file and Manual.txt; the workspace (what commands
  // send) must outlive the window.
  TForm1(std::filesystem::path programFolder, WorkspaceView workspace, QWidget* parent = nullptr);
  ~TForm1() override;

  // Makes the menu items and toolbar buttons of a command run `run`, and enables them.
  void Bind(MainCommand command, const std::function<void()>& run);
  // Called once, when the window is first shown, after the sign colour mode is applied.
  void OnFirstShown(std::function<void()> hook) { m_firstShown = std::move(hook); }

  // WindowContext
  QWidget* MainWindow() override { return this; }
  Notice& Notices() override { return *m_notice; }
  SignRoad& Road() override { return m_road; }
  SignRoads& NamedRoads() override { return m_namedRoads; }
  Settings& AppSettings() override { return m_settings; }
  const std::filesystem::path& ProgramFolder() const override { return m_programFolder; }
  WorkspaceView AppWorkspace() override { return m_workspace; }
  Result<std::string> Line1SignText() const override;
  std::string LineText(int line) const override;
  bool Line2Active() const override;
  // Replaces the selection of the current editor (or inserts at the caret) with the tag in
  // red, then goes back to black bold.
  void InsertAtCaret(const QString& tag) override;
  void ApplySignColorMode(bool tripleColor) override;
  void OnSignColorMode(std::function<void(bool)> listener) override;
  void ShowStatus(const QString& text) override;
  void OnLine1Changed(std::function<void()> listener) override {
    m_line1Listeners.push_back(std::move(listener));
  }

  // Puts a panel under the editor (the sign preview), shown as the View menu's item and the
  // settings say.
  void SetPreviewPanel(QWidget* panel);

  // Every sign command of the road tells the status bar what it does and how it ended.
  void CommandStarted(const SignPlan& plan);
  void CommandProgress(std::size_t framesDone, std::size_t frames);
  void CommandEnded(const SignPlan& plan, const PlanResult& result, std::chrono::milliseconds took);

  // Replacements for tests: where notices go, the link, how commands wait.
  void SetNotice(Notice* notice);
  void SetLink(SignLink* link) { m_road.SetLink(link); }
  void SetWaiter(Waiter* waiter) { m_road.SetWaiter(waiter); }
  // Where Open and Save As ask for a message file: the path chosen, or empty when the user
  // cancelled. The file dialogs ("OpenDialog1", "SaveDialog1") but for tests.
  enum class FileQuestion { Open, SaveAs };
  using FileChooser =
      std::function<QString(FileQuestion question, const QString& folder, const QString& name)>;
  void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
  // The program that opens a document as the desktop does (xdg-open on Linux).
  void SetOpenProgram(QString program) { m_openProgram = std::move(program); }

  MessageEdit* Line1Editor() const { return m_line1; }

  // An effect: the upper-case tag on "Line 2", or on "Line 1" while "Effect Control By Line
  // 1" is checked; the lower-case tag otherwise.
  void InsertEffect(std::string_view upper, std::string_view lower);

  // Message files, without their dialogs. Opening reads and decodes the file beside the
  // windows; Line 1 changes only once it has been read whole, the file becomes the window's
  // file, and `done` hears how it went. Saving writes Line 1 and nothing else.
  Status SaveMessageFile(const std::filesystem::path& path);
  void OpenMessageFile(const std::filesystem::path& path, std::function<void(Status)> done = {});
  // Saves Line 1 under the name, which becomes the window's file; a failure shows the error
  // box and changes nothing. True when it was saved.
  bool SaveMessageAs(const QString& path);

  // The message file the window holds: opened or saved last; empty for a new message.
  const QString& FileName() const { return m_fileName; }
  // Whether either line changed since the message was made new, opened or saved.
  bool Modified() const;
  // Before work would be thrown away (New, Open, closing): "Save changes to NAME?" when a line
  // changed. True when the work may go on: nothing changed, the user saved, or discarded.
  bool MayLeaveTheMessage();
  std::vector<TextRun> Runs(const QTextEdit* editor) const;
  void SetRuns(QTextEdit* editor, const std::vector<TextRun>& runs);

  // Handlers of the menu commands, named as the designer named them.
  void NewClick();
  void OpenClick();
  // Save: to the window's file, or as a new one when there is none yet.
  void SaveClick();
  // "Save As...": always asks for the name. True when it was saved.
  bool SaveAsClick();
  void CutClick();
  void CopyClick();
  void DeleteClick();
  void PasteClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // While a command talks to a sign (on any road), closing asks first; Yes stops the commands
  // at their next frame boundary and closes once every port is closed.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildEditors();
  void BuildMenus();
  QMenu* Menu(QMenuBar* bar, const char* name, const char* caption);
  void BuildFileMenu(QMenu* file);
  void BuildEditMenu(QMenu* edit);
  void BuildCommandsMenu(QMenu* commands);
  void BuildFunctionsMenu(QMenu* functions);
  void BuildToolBar();
  // The items of a tag menu of the vocabulary.
  void AddTagItems(QMenu* menu, TagMenu items);
  QAction* Item(QMenu* menu, const char* name, const char* caption);
  // An item that opens another window: disabled until Bind gives it its command.
  QAction* Command(QMenu* menu, MainCommand command, const char* name, const char* caption);
  // An item or button of a command, disabled until the command is bound.
  void Register(MainCommand command, QAction* action);
  void SetDefaultFormat(QTextEdit* editor);
  // The message is now the file's (empty: a new one) and unchanged; the caption says so.
  void TakeFile(const QString& path);
  // "NAME.tvr - Tavrin", "*" after the name while changed; "Tavrin" for a new message.
  void ShowCaption();
  // True while a command holds the main road or a road of the sign list.
  bool AnyRoadBusy();
  // Where the file dialogs start: the folder of the last message file.
  QString DialogFolder() const;
  // The file dialog of Open or Save As.
  QString FileDialog(FileQuestion question, const QString& folder, const QString& name);
  void RememberFolder(const QString& path);
  // Puts pasted text at the caret after the length check: tabs made blanks, display tags in
  // the tag colour, the rest black.
  void PasteText(QTextEdit* editor, const QString& text);
  void TextChanged();
  void PageChanged(int index);
  void ReadMeClick();

  WorkspaceView m_workspace;
  std::filesystem::path m_programFolder;
  std::vector<std::function<void()>> m_line1Listeners;
  QDockWidget* m_previewDock = nullptr;
  QProgressBar* m_statusProgress = nullptr;
  QString m_openProgram = "xdg-open";
  Settings m_settings;
  std::unique_ptr<Notice> m_ownNotice;
  Notice* m_notice = nullptr;
  std::unique_ptr<SignLink> m_serialLink;
  SignRoad m_road;
  // The roads of the other links of the sign list; they stop before the main road goes.
  SignRoads m_namedRoads;
  // Set once the user chose to quit while a command ran: the window closes when it ends.
  bool m_quitting = false;
  std::function<void()> m_firstShown;
  std::vector<std::function<void(bool)>> m_colorModeListeners;

  QTabWidget* m_pageControl = nullptr;
  MessageEdit* m_line1 = nullptr;
  MessageEdit* m_line2 = nullptr;
  MessageEdit* m_current = nullptr;
  QLabel* m_statusPanels[3] = {};
  QAction* m_capitalControl = nullptr;
  std::vector<QAction*> m_tripleColorItems;
  bool m_shownOnce = false;
  QString m_fileName;
  std::map<MainCommand, std::vector<QAction*>> m_commands;
  FileChooser m_chooseFile;
  QPalette m_pagePalette;
};

}  // namespace tavrin
