#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <string>

#include "common/notice.h"
#include "common/result.h"
#include "common/settings.h"
#include "signlink/sign_road.h"
#include "signlink/sign_roads.h"

class QWidget;

namespace tavrin {

class FontList;
class ScheduleList;
class GraphicFolder;
class SignBook;

// What sign commands send, as the windows reach it: kept by the application's workspace
// (functions/workspace.h) rather than by any window, so that a window that is closed, or was
// never opened, takes nothing with it, and tavrin-cli and tavrin-service use the same objects.
struct WorkspaceView {
  FontList& userFonts;
  ScheduleList& schedules;
  const GraphicFolder& graphics;
  // The user's signs: every window that offers them shows this one list.
  SignBook& signs;
};

// What the windows get from the main window, and all they get: the road to the sign, where to
// tell the user, the message being edited, the program folder, the settings, and the
// application's workspace (what commands send: graphics, user characters, schedule rows). The
// main window implements it; tests may give a window their own.
class WindowContext {
 public:
  virtual ~WindowContext() = default;

  // The main window: the parent of dialogs, and the screen they are centred on.
  virtual QWidget* MainWindow() = 0;

  virtual Notice& Notices() = 0;
  // The road of the settings' port: every command for the panels' own Sign ID runs on it, one
  // at a time.
  virtual SignRoad& Road() = 0;
  // The roads of the signs of the list, one a link; a sign on the settings' port is on Road().
  virtual SignRoads& NamedRoads() = 0;
  virtual Settings& AppSettings() = 0;
  virtual const std::filesystem::path& ProgramFolder() const = 0;
  // The application's user characters, schedule rows and graphics.
  virtual WorkspaceView AppWorkspace() = 0;

  // The text of Line 1 in the sign's code page, or why it cannot be sent (a character the
  // code page has not).
  virtual Result<std::string> Line1SignText() const = 0;
  // The text of "Line 1" (1) or "Line 2" (2) as the editor holds it, in UTF-8.
  virtual std::string LineText(int line) const = 0;
  // Called after every change of the text of "Line 1".
  virtual void OnLine1Changed(std::function<void()> listener) = 0;
  // True while the page "Line 2" is the active one.
  virtual bool Line2Active() const = 0;
  // Puts a display tag at the caret of the current line editor, in the tag colour; the
  // selection, if any, is replaced. The length limit is not checked here.
  virtual void InsertAtCaret(const QString& tag) = 0;

  // Shows or hides what belongs to a three-colour sign, in every window that has such things.
  virtual void ApplySignColorMode(bool tripleColor) = 0;
  // Called with the mode whenever it is applied.
  virtual void OnSignColorMode(std::function<void(bool tripleColor)> listener) = 0;

  // A line in the main window's status bar: what the last command did.
  virtual void ShowStatus(const QString& text) = 0;
};

}  // namespace tavrin
