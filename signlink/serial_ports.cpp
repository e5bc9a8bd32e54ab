#include "signlink/serial_ports.h"

#include "signlink/sign_link.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <map>
#include <regex>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#endif

namespace tavrin {

namespace fs = std::filesystem;

namespace {

constexpr int kHighestPort = 255;

// "ttyUSB3" as its kind and number.
bool SplitDeviceName(const std::string& name, std::string& kind, int& number) {
  static const std::regex pattern("^(ttyS|ttyUSB|ttyACM)([0-9]{1,3})$");
  std::smatch m;
  if (!std::regex_match(name, m, pattern)) return false;
  kind = m[1];
  number = std::stoi(m[2]);
  return true;
}

#ifndef _WIN32
std::string FirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
  return line;
}

fs::path Resolved(const fs::path& path) {
  std::error_code ec;
  const fs::path resolved = fs::weakly_canonical(path, ec);
  return ec ? path : resolved;
}

// "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" without the bus and the interface, blanks
// for underscores.
std::string NameFromStableName(const std::string& stable) {
  std::string name = fs::path(stable).filename().string();
  if (name.rfind("usb-", 0) == 0) name = name.substr(4);
  static const std::regex interface("-if[0-9]+(-port[0-9]+)?$");
  name = std::regex_replace(name, interface, "");
  std::replace(name.begin(), name.end(), '_', ' ');
  return name;
}

// The USB device's own words (manufacturer and product), found above the tty in sysfs.
std::string SysfsDescription(const fs::path& sysRoot, const std::string& name) {
  std::error_code ec;
  fs::path at = fs::canonical(sysRoot / "class" / "tty" / name / "device", ec);
  if (ec) return {};
  for (int up = 0; up < 4 && !at.empty(); ++up, at = at.parent_path()) {
    std::string product = FirstLine(at / "product");
    if (product.empty()) continue;
    const std::string maker = FirstLine(at / "manufacturer");
    if (maker.empty() || product.find(maker) != std::string::npos) return product;
    return maker + " " + product;
  }
  return {};
}

// "crw-rw----", as ls -l shows the mode.
std::string ModeText(mode_t mode) {
  std::string text = S_ISCHR(mode) ? "c" : S_ISBLK(mode) ? "b" : S_ISDIR(mode) ? "d" : "-";
  const mode_t bits[] = {S_IRUSR, S_IWUSR, S_IXUSR, S_IRGRP, S_IWGRP,
                         S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH};
  for (std::size_t i = 0; i < std::size(bits); ++i) text += (mode & bits[i]) ? "rwx"[i % 3] : '-';
  return text;
}

std::string UserName(uid_t uid) {
  const struct passwd* p = ::getpwuid(uid);
  return p != nullptr ? p->pw_name : std::to_string(uid);
}

std::string GroupName(gid_t gid) {
  const struct group* g = ::getgrgid(gid);
  return g != nullptr ? g->gr_name : std::to_string(gid);
}

// The user may not open the device. Joining the device's group helps only when that group may
// read and write it, and the group is not root's; otherwise the device needs another group,
// which only the administrator can give it.
std::string ExplainDeniedAccess(const std::string& device) {
  const std::string denied = "you may not open " + device;
  struct stat info {};
  if (::stat(device.c_str(), &info) != 0) {
    return denied + ": ask the administrator of this computer for access to it";
  }
  const std::string group = GroupName(info.st_gid);
  const std::string owner = UserName(info.st_uid);
  const std::string said =
      denied + " (" + ModeText(info.st_mode) + " " + owner + " " + group + "): ";
  const bool groupMayUse = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  if (groupMayUse && info.st_gid != 0) {
    return said + "it is for the group \"" + group + "\". Add yourself to it (sudo usermod -aG " +
           group + " $USER) and log in again";
  }
  // udev names the device by the kernel's name, whatever link led to it.
  std::error_code ec;
  const fs::path real = fs::canonical(device, ec);
  const std::string kernelName = (ec ? fs::path(device) : real).filename().string();
  return said + (groupMayUse ? "only the group root may use it" : "its group may not use it") +
         ". Ask the administrator to give it to the group dialout with a udev rule: a file in " +
         "/etc/udev/rules.d/ (such as 50-serial.rules) holding KERNEL==\"" + kernelName +
         "\", GROUP=\"dialout\", MODE=\"0660\"; then add yourself to that group (sudo usermod " +
         "-aG dialout $USER) and log in again";
}
#endif

}  // namespace

int DefaultPortNumberOf(const std::string& device) {
  std::string kind;
  int number = 0;
  if (!SplitDeviceName(fs::path(device).filename().string(), kind, number) || number > 31) {
    return 0;
  }
  if (kind == "ttyS") return number + 1;
  if (kind == "ttyUSB") return number + 33;
  return number + 65;
}

#ifdef _WIN32

std::vector<SerialPortInfo> ListSerialPorts(const Settings&, const fs::path&, const fs::path&) {
  std::vector<SerialPortInfo> ports;
  for (int n = 1; n <= kHighestPort; ++n) {
    const std::string name = "COM" + std::to_string(n);
    char target[1024];
    if (QueryDosDeviceA(name.c_str(), target, sizeof target) == 0) continue;
    SerialPortInfo port;
    port.device = name;
    port.comNumber = n;
    port.description = target;
    ports.push_back(std::move(port));
  }
  return ports;
}

std::string ExplainOpenFailure(const std::string& device, int code) {
  if (code == ERROR_FILE_NOT_FOUND) return device + " does not exist: no such port is present";
  if (code == ERROR_ACCESS_DENIED) return device + " is in use by another program";
  return {};
}

#else

std::vector<SerialPortInfo> ListSerialPorts(const Settings& settings, const fs::path& devRoot,
                                            const fs::path& sysRoot) {
  // The stable names, by the device they lead to.
  std::map<fs::path, std::string> stable;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(devRoot / "serial" / "by-id", ec)) {
    const fs::path target = entry.path().parent_path() / fs::read_symlink(entry.path(), ec);
    if (!ec) stable[Resolved(target)] = entry.path().string();
  }

  std::vector<SerialPortInfo> ports;
  for (const auto& entry : fs::directory_iterator(devRoot, ec)) {
    const std::string name = entry.path().filename().string();
    std::string kind;
    int number = 0;
    if (!SplitDeviceName(name, kind, number)) continue;
    // The kernel makes ttyS0-31 whether or not a UART is there; type 0 means none.
    if (kind == "ttyS") {
      const std::string type = FirstLine(sysRoot / "class" / "tty" / name / "type");
      if (type.empty() || type == "0") continue;
    }
    SerialPortInfo port;
    port.device = entry.path().string();
    const auto found = stable.find(Resolved(entry.path()));
    if (found != stable.end()) port.stableName = found->second;
    port.description = SysfsDescription(sysRoot, name);
    if (port.description.empty() && !port.stableName.empty()) {
      port.description = NameFromStableName(port.stableName);
    }
    port.comNumber = DefaultPortNumberOf(name);
    ports.push_back(std::move(port));
  }

  // "Ports" entries: they number the device they name, or stand for one that is missing.
  std::vector<SerialPortInfo> missing;
  for (int n = 1; n <= kHighestPort; ++n) {
    const std::string configured = settings.PortDevice(n);
    if (configured.empty()) continue;
    const fs::path wanted = Resolved(configured);
    const auto it = std::find_if(ports.begin(), ports.end(), [&](const SerialPortInfo& p) {
      return Resolved(p.device) == wanted;
    });
    if (it != ports.end()) {
      if (!it->configured) {
        it->comNumber = n;
        it->configured = true;
      }
      continue;
    }
    // Not a port the system lists, but maybe a device all the same (a pseudo-terminal, a
    // virtual sign, an adapter with an unusual name) or a serial device server.
    SerialPortInfo entry;
    entry.device = configured;
    entry.comNumber = n;
    entry.configured = true;
    std::string host;
    int tcpPort = 0;
    if (ParseHostPort(configured, host, tcpPort)) {
      entry.description = "network serial device";
    } else if (std::error_code statError; fs::is_character_file(configured, statError)) {
      if (configured.starts_with("/dev/pts/")) entry.description = "pseudo-terminal";
    } else {
      entry.present = false;
      missing.push_back(std::move(entry));
      continue;
    }
    ports.push_back(std::move(entry));
  }
  // A number a "Ports" entry has taken no longer opens the device it opened by default.
  for (SerialPortInfo& p : ports) {
    if (!p.configured && p.comNumber != 0 && !settings.PortDevice(p.comNumber).empty()) {
      p.comNumber = 0;
    }
  }
  std::sort(ports.begin(), ports.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
    const int ka = a.comNumber == 0 ? 1000 : a.comNumber;
    const int kb = b.comNumber == 0 ? 1000 : b.comNumber;
    return ka != kb ? ka < kb : a.device < b.device;
  });
  ports.insert(ports.end(), missing.begin(), missing.end());
  return ports;
}

std::string ExplainOpenFailure(const std::string& device, int errnoValue) {
  switch (errnoValue) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
      return device +
             " is not there: no such serial device is plugged in "
             "(Set COM and tavrin-cli ports list those that are)";
    case EACCES:
    case EPERM:
      return ExplainDeniedAccess(device);
    case EBUSY:
      return device + " is in use by another program";
    default:
      return {};
  }
}

#endif

}  // namespace tavrin
