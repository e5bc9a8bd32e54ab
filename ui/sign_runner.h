#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <cstdint>
#include <functional>
#include <vector>

#include "signlink/sign_jobs.h"
#include "signlink/sign_targets.h"
#include "ui/command_runner.h"
#include "ui/sign_target.h"
#include "ui/window_context.h"

namespace tavrin {

// Starts a command for signs of the list, each job on the road of its sign's link (the main
// road for a sign on the settings' port).
//
// One job goes exactly as a command from a panel always went (StartCommand: its refusal, its
// question, its notice, the panel's button and progress bar).
//
// Several: when every job is refused alike, that refusal is shown once and nothing starts.
// Otherwise the plans' question is asked once; a sign whose plan refuses is not sent to (and
// said so in the end); the others start at once, at the same time across links and one after
// another on a link, and this returns. A small window shows a row per sign (waiting, sending
// frame n of m, done, failed and why) while they run. The button is held down from the start
// until the last has ended; `how.stepSent` and `how.linkClosed` are told for each sign's
// command; then ONE notice lists each sign's line, of kind error when any failed, and
// `how.finished` hears the worst outcome. True when a command started.
bool StartForSigns(WindowContext& context, std::vector<SignJob> jobs, WindowCommand how);

// The command of a panel that has a target chooser. For the chooser's default (or without a
// chooser) the plan for the panel's Sign ID goes on the main road, as it always did; for signs
// of the list, each gets the plan for its own ID (and a sign behind a print queue `viaQueue`'s
// job, or a refusal without one). "Several signs" with none ticked asks for one.
bool StartForTarget(WindowContext& context, const SignTargetChooser* target,
                    const QComboBox* signIds, const std::function<SignPlan(std::uint8_t)>& planFor,
                    WindowCommand how, const QueueJobFor& viaQueue = {});

// Said when "Several signs" is chosen with none ticked.
inline constexpr const char* kNoSignChosenText = "Tick at least one sign to send to.";

// The window of a command for several signs while it runs: a row for each sign, its name, a
// progress bar of its frames and what it is doing, and Stop. Not modal; it goes when the
// command ends.
class SignsProgress : public QDialog {
  Q_OBJECT
 public:
  SignsProgress(QWidget* parent, const std::vector<std::string>& names);

  void Waiting(std::size_t row);
  void Sending(std::size_t row, std::size_t frame, std::size_t frames);
  void Ended(std::size_t row, const QString& state, bool ok);
  // Stop (or closing the window) asks this once; the button then waits for the ends.
  void OnStop(std::function<void()> stop) { m_stop = std::move(stop); }

 protected:
  void reject() override;

 private:
  struct Row {
    QProgressBar* bar;
    QLabel* state;
  };
  std::vector<Row> m_rows;
  QPushButton* m_stopButton = nullptr;
  std::function<void()> m_stop;
};

}  // namespace tavrin
