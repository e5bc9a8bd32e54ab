#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tavrin {

// What decides the program folder, gathered so that the rule can be tested without
// touching the environment. The variables' values are UTF-8 text.
struct ProgramFolderInputs {
  std::optional<std::string> tavrinHome;   // TAVRIN_HOME, when set and not empty
  std::filesystem::path executableFolder;  // the folder of the running program, may be empty
  bool executableFolderWritable = false;
  // The program was installed (it runs from a "bin" folder beside "share/tavrin"): its folder
  // belongs to the system, whoever may write to it.
  bool installed = false;
  std::optional<std::string> xdgDataHome;  // XDG_DATA_HOME, when set and not empty
  std::optional<std::string> home;         // HOME, when set and not empty
};

// The folder that holds the settings file, Graphdata, Manual.txt, the European pictures and
// the font files: TAVRIN_HOME when set; else the program's own folder when it can be written
// and the program is not an installed one (a portable install); else the per-user data
// folder, $XDG_DATA_HOME/Tavrin or $HOME/.local/share/Tavrin. The result always ends with a
// separator.
std::filesystem::path ResolveProgramFolder(const ProgramFolderInputs& inputs);

// The folder of the running executable (empty when it cannot be found).
std::filesystem::path ExecutableFolder();

// The shared data of an installed program: "share/tavrin" beside the "bin" folder the
// program runs from, when it exists; empty otherwise.
std::filesystem::path InstalledDataFolder(const std::filesystem::path& executableFolder);

// The manual that "Read Me" opens: Manual.txt in the program folder when it is there, else
// the one an installed program ships in its data folder, else the program folder's path.
std::filesystem::path ManualPath(const std::filesystem::path& programFolder);

// ResolveProgramFolder on this process's environment. The per-user folder is created when it
// is chosen and missing, so that files can be written into it.
std::filesystem::path ProgramFolder();

// Makes sure a folder path ends with a separator, as every program folder does.
std::filesystem::path WithTrailingSeparator(std::filesystem::path folder);

}  // namespace tavrin
