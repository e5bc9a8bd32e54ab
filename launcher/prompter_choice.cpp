// Which prompter a run of launchet uses.
#include <cstdlib>
#include <iostream>

#include "launcher/prompter.h"

namespace tavrin::launcher {

std::unique_ptr<LauncherPrompter> MakePrompter(int& argc, char** argv) {
  if (const char* answers = std::getenv("LAUNCHET_ANSWERS"); answers != nullptr) {
    return std::make_unique<TextPrompter>(ParseAnswers(answers), std::cerr);
  }
  if (std::unique_ptr<LauncherPrompter> windows = MakeWindowPrompter(argc, argv)) return windows;
  return std::make_unique<TextPrompter>(std::vector<bool>{}, std::cerr);
}

}  // namespace tavrin::launcher
