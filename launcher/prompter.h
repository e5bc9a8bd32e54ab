#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "launcher/launcher.h"

namespace tavrin::launcher {

// Messages and questions as lines on a stream; each question takes the next answer of the list
// and, when the list is spent, its cancelling answer (No), so that an unattended run never
// waits. The status window's texts are written too.
class TextPrompter : public LauncherPrompter {
 public:
  TextPrompter(std::vector<bool> answers, std::ostream& out);

  bool Ask(int captionId, const std::string& text, BoxIcon icon, bool noIsDefault) override;
  void Tell(int captionId, const std::string& text, BoxIcon icon) override;
  void CreateStatus() override {}
  void ShowStatus(const std::string& text) override;
  void DestroyStatus() override {}
  void ProcessMessages() override {}

 private:
  std::vector<bool> m_answers;
  std::size_t m_next = 0;
  std::ostream& m_out;
};

// "yes,no,yes" as answers; anything but "yes" (any letter case) is No.
std::vector<bool> ParseAnswers(const std::string& list);

// The windows of the platform: message boxes and the status window. Nothing when there is no
// display to show them on. On POSIX, a display that is named but cannot be reached (or a
// platform that shows nothing, such as offscreen) is found at the first message; from there on
// the texts go to stderr and every question takes No, as without a display.
std::unique_ptr<LauncherPrompter> MakeWindowPrompter(int& argc, char** argv);

// The prompter of a run: answers scripted in LAUNCHET_ANSWERS (for tests), else the windows,
// else lines on stderr with the cancelling answers.
std::unique_ptr<LauncherPrompter> MakePrompter(int& argc, char** argv);

// Writes what launchet says on its command line (its usage, its version, a mistake in its
// arguments) to stdout, or to stderr when `error`. On Windows, where launchet is a program
// without a console of its own, the text goes where its standard handles lead when they lead
// somewhere (a file, a pipe), else to the console of the program that started it; started
// from neither (a shortcut, the Explorer), it shows the text in a message box.
void SayOnCommandLine(const std::string& text, bool error);

}  // namespace tavrin::launcher
