#pragma once

#include <QCoreApplication>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "common/result.h"
#include "editor/Unit1.h"
#include "functions/workspace.h"
#include "tests/support/road_qt.h"

namespace tavrin::testing {

// The windows' view of a workspace.
inline WorkspaceView ViewOf(Workspace& workspace) {
  return {workspace.Fonts(), workspace.Schedules(), workspace.Graphics(), workspace.Signs()};
}

// A main window for a test, with the workspace of its program folder.
struct MainWindow {
  explicit MainWindow(const std::filesystem::path& folder)
      : workspace(folder), form1(folder, ViewOf(workspace)) {}
  Workspace workspace;
  TForm1 form1;
};

// Opens a message file in the main window and waits for it to be read.
inline Status OpenAndWait(TForm1& form1, const std::filesystem::path& path) {
  std::unique_ptr<Status> opened;
  form1.OpenMessageFile(path, [&](Status s) { opened = std::make_unique<Status>(std::move(s)); });
  if (!QTest::qWaitFor([&] { return opened != nullptr; }, 60000)) {
    return Error{"the file was not read within a minute"};
  }
  return std::move(*opened);
}

}  // namespace tavrin::testing
