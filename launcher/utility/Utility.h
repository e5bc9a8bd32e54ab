#pragma once

#include <cstdint>

#include "launcher/utility/btrace.h"

namespace tavrin::launcher {

// Restarts the machine; 0 when the request was taken, else the system's error code. On
// Windows: the shutdown privilege enabled in the launcher's own token (failures logged as
// "OpenProcessToken failed", "LookupPrivilegeValue (%s) failed", "AdjustTokenPrivileges (%s)
// failed"), a plain reboot asked for, the privilege disabled again; the Windows 95 family asks
// directly. On Linux: the service manager is asked ("systemctl reboot", or the command that
// LAUNCHET_REBOOT_COMMAND names); without the right to, it refuses and the refusal is the
// result.
std::uint32_t RestartSystem(ITraceLog& log);

#ifdef _WIN32
// Enables or disables a privilege of the process's own token; false on a failure, logged.
bool SetPrivilege(const char* name, bool enable, ITraceLog& log);
#endif

}  // namespace tavrin::launcher
