#pragma once

#include <memory>
#include <string>

#include "launcher/launcher.h"

namespace tavrin::launcher {

// The system as launchet uses it, for a launcher at the given path (its script is that path
// with ".inf"). Windows: CreateProcess with a new console and process group (which looks for
// a bare program name in the launcher's folder before the search path), WaitForInputIdle,
// GetExitCodeProcess; the system, Windows, temporary and current folders. POSIX: programs started
// with posix_spawn in a process group of their own, their command line split at blanks outside
// double quotes, a bare program name (no "/") looked for beside the launcher first and then on
// PATH; $system is /usr/sbin, $Windows /usr/bin, $Temp the folder TMPDIR names (else /tmp) with a
// trailing "/". A POSIX exit status carries only eight bits, so a step that exits with 3010 is seen
// as 194: that status stands for 3010.
std::unique_ptr<LauncherHost> MakeSystemHost(std::string programPath);

// This process's own program file.
std::string ThisProgramPath();
// The temporary folder with its trailing separator: where the log goes.
std::string TemporaryFolder();

}  // namespace tavrin::launcher
