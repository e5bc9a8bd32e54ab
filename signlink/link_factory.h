#pragma once

#include <memory>
#include <string>

#include "common/result.h"
#include "common/settings.h"
#include "signlink/sign_link.h"

namespace tavrin {

// Where the sign functions go.
struct LinkTarget {
  enum class Kind {
    Port,    // the serial port of a port number: the device the settings name, or the system's
    Device,  // a serial device by its path (POSIX) or name (Windows: "COM5", "\\.\COM12")
    Tcp,     // "HOST:PORT": a serial device server, or the virtual sign
  };
  Kind kind = Kind::Port;
  std::string address;  // the device or "HOST:PORT"; unused for Port
};

// Makes the link for a target; the one place that knows which kind of link is which. A port's
// link asks the settings at each open what the port opens (its "Ports" entry: a device, or
// HOST:PORT of a serial device server or a virtual sign; else the port's usual device), so
// that a changed entry is used by the next command. An address that cannot be used is an
// error saying why.
Result<std::unique_ptr<SignLink>> MakeLink(const LinkTarget& target, const Settings& settings);

// Where a port number goes, for people: "COM3 /dev/ttyS2 default", "COM1 /dev/pts/4
// configured", or on Windows "COM12 \\.\COM12".
std::string DescribePort(int portNumber, const Settings& settings);

}  // namespace tavrin
