#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/settings.h"

namespace tavrin {

// A serial device as the system shows it, and the COM number that opens it.
struct SerialPortInfo {
  std::string device;  // "/dev/ttyUSB0" ("COM5" on Windows)
  std::string
      stableName;  // "/dev/serial/by-id/usb-FTDI_...": the same after a replug; may be empty
  std::string description;  // the adapter's name from its stable name ("FTDI FT232R USB UART")
  int comNumber = 0;        // the port number that opens it; 0 when none does
  bool configured = false;  // the number comes from a "Ports" entry of the settings
  // False for a "Ports" entry that names neither a character device that is there nor a
  // HOST:PORT.
  bool present = true;
};

// The COM number that opens a device without a "Ports" entry: /dev/ttyS0-31 are COM1-32,
// /dev/ttyUSB0-31 COM33-64, /dev/ttyACM0-31 COM65-96; 0 for any other.
int DefaultPortNumberOf(const std::string& device);

// The serial devices present: serial ports with a UART behind them (ttyS whose sysfs "type" is
// not 0), USB adapters (ttyUSB) and modems (ttyACM), in COM order, each with its stable name
// and description from /dev/serial/by-id and the number that opens it: a "Ports" entry naming
// it (by either path) wins over the default numbering. A "Ports" entry naming another device
// that is there (any character device: a pseudo-terminal, an adapter the scan does not know)
// or a HOST:PORT is listed as present; those naming nothing that is there come last, marked
// not present. devRoot and sysRoot are "/dev" and "/sys" but
// for tests. On Windows: the COM ports the system knows.
std::vector<SerialPortInfo> ListSerialPorts(const Settings& settings,
                                            const std::filesystem::path& devRoot = "/dev",
                                            const std::filesystem::path& sysRoot = "/sys");

// Why a serial device could not be opened, in words that say what to do: a device that is not
// there, or one the user may not open, with its mode, owner and group as ls -l shows them
// ("crw-rw---- root dialout") and the fix: joining its group when that group may read and
// write it (and is not root's), else a udev rule that gives it to the group dialout, for the
// administrator. errnoValue is the errno of the failed open. Empty for other failures.
std::string ExplainOpenFailure(const std::string& device, int errnoValue);

}  // namespace tavrin
