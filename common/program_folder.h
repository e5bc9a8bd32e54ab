#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tavrin {

// What decides the program folder, gathered so that the rule can be tested without
// touching the environment.
struct ProgramFolderInputs {
  std::optional<std::string> tavrinHome;   // TAVRIN_HOME, when set and not empty
  std::filesystem::path executableFolder;  // the folder of the running program, may be empty
  bool executableFolderWritable = false;
  std::optional<std::string> xdgDataHome;  // XDG_DATA_HOME, when set and not empty
  std::optional<std::string> home;         // HOME, when set and not empty
};

// The folder that holds the settings file, Graphdata, Manual.txt, the European pictures and
// the font files: TAVRIN_HOME when set; else the program's own folder when it can be written
// (a portable install); else the per-user data folder, $XDG_DATA_HOME/Tavrin or
// $HOME/.local/share/Tavrin. The result always ends with a separator.
std::filesystem::path ResolveProgramFolder(const ProgramFolderInputs& inputs);

// The folder of the running executable (empty when it cannot be found).
std::filesystem::path ExecutableFolder();

// ResolveProgramFolder on this process's environment. The per-user folder is created when it
// is chosen and missing, so that files can be written into it.
std::filesystem::path ProgramFolder();

// Makes sure a folder path ends with a separator, as every program folder does.
std::filesystem::path WithTrailingSeparator(std::filesystem::path folder);

}  // namespace tavrin
