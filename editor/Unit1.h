#pragma once

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "editor/app_windows.h"
#include "editor/message_rtf.h"
#include "editor/settings_file.h"
#include "functions/notice.h"
#include "functions/sign_functions.h"
#include "signlink/sign_link.h"

namespace tavrin {

// The most characters a line editor takes from the keyboard and the clipboard.
inline constexpr int kMaxMessageLength = 210;

// A line editor: Enter never makes a line break, and pasting goes through the main window,
// which checks the length first.
class MessageEdit : public QTextEdit {
  Q_OBJECT
 public:
  using QTextEdit::QTextEdit;

 signals:
  void pasteRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 public:
  // The pop-up menu the two editors share ("Cut", "Copy", "Paste").
  void SetPopupMenu(QMenu* menu) { m_popupMenu = menu; }

 private:
  QMenu* m_popupMenu = nullptr;
};

// The main window: the message editor and the command centre.
class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  // The program folder holds the settings file and Manual.txt.
  TForm1(std::filesystem::path programFolder, QWidget* parent = nullptr);
  ~TForm1() override;

  void Attach(const AppWindows& windows);
  // Where the window's messages go; a message box by default.
  void SetNotice(Notice* notice) { m_notice = notice; }
  Notice& GetNotice() { return *m_notice; }

  // Makes a menu item (and its toolbar button) run a command of another window, and enables
  // it. The main window knows the windows of the sign functions only through these.
  void SetCommand(const char* actionName, std::function<void()> command);

  // The link every sign function opens: the serial port of the settings, unless replaced
  // (tests, a TCP sign). The window keeps working while it waits.
  SignLink& Link() { return *m_link; }
  void SetLink(SignLink* link) { m_link = link; }
  // How the sign functions wait; the window's event loop by default.
  void SetWaiter(Waiter* waiter) { m_waiter = waiter; }
  // What a sign function is handed: the link, the notices, the waiter, the port of the
  // settings and an optional progress sink.
  SignSession Session(ProgressSink* progress = nullptr);

  const std::filesystem::path& ProgramFolder() const { return m_programFolder; }
  SettingsFile& Settings() { return m_settings; }

  // The editor of the active page: RichEdit1 for "Line 1", RichEdit2 for "Line 2".
  MessageEdit* CurrentEditor() const { return m_current; }
  MessageEdit* Line1Editor() const { return m_richEdit1; }

  // Replaces the selection of the current editor (or inserts at the caret) with text in red,
  // then goes back to black bold. The length limit is not checked here.
  void InsertAtCaret(const QString& text);
  // An effect: the upper-case tag on "Line 2", or on "Line 1" while "Effect Control By Line
  // 1" is checked; the lower-case tag otherwise.
  void InsertEffect(const QString& upper, const QString& lower);

  // The text of Line 1 in the sign's code page, or why it cannot be sent.
  Result<std::string> Line1SignText() const;

  // Message files, without their dialogs.
  Status SaveMessageFile(const std::filesystem::path& path);
  Status OpenMessageFile(const std::filesystem::path& path);
  std::vector<TextRun> Runs(const QTextEdit* editor) const;
  void SetRuns(QTextEdit* editor, const std::vector<TextRun>& runs);

  // Shows or hides the colour items of a three-colour sign.
  void ApplySignColorMode(bool tripleColor);

  // Handlers of the menu commands, named as the designer named them.
  void NewClick();
  void OpenClick();
  void SaveClick();
  void CutClick();
  void CopyClick();
  void DeleteClick();
  void PasteClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildEditors();
  void BuildMenus();
  void BuildToolBar();
  // An item that inserts a fixed tag; an item that inserts an effect tag.
  QAction* TagItem(QMenu* menu, const char* name, const char* caption, const char* tag);
  QAction* EffectItem(QMenu* menu, const char* name, const char* caption, const char* upper,
                      const char* lower);
  QAction* Item(QMenu* menu, const char* name, const char* caption);
  void SetDefaultFormat(QTextEdit* editor);
  void TextChanged();
  void PageChanged(int index);
  void SignColorStartUp();
  void ReadMeClick();
  void UpdateWindowCommands();

  std::filesystem::path m_programFolder;
  SettingsFile m_settings;
  AppWindows m_windows;
  std::unique_ptr<Notice> m_ownNotice;
  Notice* m_notice = nullptr;
  std::unique_ptr<SignLink> m_serialLink;
  SignLink* m_link = nullptr;
  std::unique_ptr<Waiter> m_ownWaiter;
  Waiter* m_waiter = nullptr;

  QTabWidget* m_pageControl = nullptr;
  MessageEdit* m_richEdit1 = nullptr;
  MessageEdit* m_richEdit2 = nullptr;
  MessageEdit* m_current = nullptr;
  QLabel* m_statusPanels[3] = {};
  QAction* m_capitalControl = nullptr;
  std::vector<QAction*> m_tripleColorItems;
  bool m_shownOnce = false;
  QString m_lastOpenName;
  QString m_lastSaveName;
};

}  // namespace tavrin
