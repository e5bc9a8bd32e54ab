#pragma once

#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/settings.h"
#include "functions/workspace.h"
#include "signlink/sign_road.h"
#include "tests/support/recording_notice_qt.h"
#include "tests/support/scripted_link.h"
#include "ui/controls.h"
#include "ui/window_context.h"

namespace tavrin::testing {

// Waits that take no time.
class NoWaiter : public Waiter {
 public:
  void WaitMs(int) override {}
};

// The little of the main window that a window under test uses: a program folder with its
// settings and workspace, a road to a scripted sign (and a road to a scripted link for each
// other link a sign of the list names), recorded notices, and the two lines as
// plain strings (a tag inserted at the caret is appended to the active one).
class FakeWindowContext : public WindowContext {
 public:
  explicit FakeWindowContext(std::filesystem::path programFolder)
      : folder(std::move(programFolder)),
        settings(SettingsPath(folder)),
        workspace(folder),
        road(link, &waiter),
        roads(
            [this](const SignAddress& address) -> Result<std::unique_ptr<SignLink>> {
              const std::lock_guard lock(linksMutex);
              auto made = std::make_unique<ScriptedLink>(responders.count(address.LinkKey())
                                                             ? responders[address.LinkKey()]
                                                             : ScriptedLink::AlwaysAck());
              namedLinks[address.LinkKey()] = made.get();
              return std::unique_ptr<SignLink>(std::move(made));
            },
            &waiter) {
    road.SetPortNumber(settings.PortNumber());
    roads.ShareRoad(&road);
  }

  QWidget* MainWindow() override { return &main; }
  Notice& Notices() override { return notice; }
  SignRoad& Road() override { return road; }
  SignRoads& NamedRoads() override { return roads; }
  Settings& AppSettings() override { return settings; }
  const std::filesystem::path& ProgramFolder() const override { return folder; }
  WorkspaceView AppWorkspace() override {
    return {workspace.Fonts(), workspace.Schedules(), workspace.Graphics(), workspace.Signs()};
  }
  Result<std::string> Line1SignText() const override { return line1; }
  std::string LineText(int line) const override { return line == 2 ? line2 : line1; }
  bool Line2Active() const override { return line2Active; }
  void InsertAtCaret(const QString& tag) override { (line2Active ? line2 : line1) += ToUtf8(tag); }
  void ApplySignColorMode(bool triple) override {
    for (auto& l : listeners) l(triple);
  }
  void OnSignColorMode(std::function<void(bool)> l) override { listeners.push_back(std::move(l)); }
  void ShowStatus(const QString& text) override { status = text; }
  void OnLine1Changed(std::function<void()>) override {}

  std::filesystem::path folder;
  Settings settings;
  Workspace workspace;
  QMainWindow main;
  RecordingNotice notice;
  ScriptedLink link;
  NoWaiter waiter;
  SignRoad road;
  // The scripted links of the named signs' roads, by link key, made when first wanted; the
  // replies of a link are those of its responder, "ACK" to everything without one.
  std::mutex linksMutex;
  std::map<std::string, ScriptedLink::Responder> responders;
  std::map<std::string, ScriptedLink*> namedLinks;
  SignRoads roads;
  QString status;
  std::string line1, line2;
  bool line2Active = false;
  std::vector<std::function<void(bool)>> listeners;
};

}  // namespace tavrin::testing
