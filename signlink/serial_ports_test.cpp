#include "signlink/serial_ports.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>

#include "tests/support/scratch_folder.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

// A /dev and a /sys as the kernel lays them out for two built-in ports (one with a UART),
// an FTDI adapter on USB and a modem.
struct FakeSystem {
  FakeSystem() {
    for (const char* name : {"ttyS0", "ttyS1", "ttyUSB0", "ttyACM2", "tty0", "ttyprintk"}) {
      root.Put(std::string("dev/") + name, "");
    }
    root.Put("sys/class/tty/ttyS0/type", "4\n");  // a 16550A
    root.Put("sys/class/tty/ttyS1/type", "0\n");  // nothing behind it
    // The USB device, two levels above the tty's "device" link.
    root.Put("sys/devices/usb1/1-1/manufacturer", "FTDI\n");
    root.Put("sys/devices/usb1/1-1/product", "FT232R USB UART\n");
    fs::create_directories(root / "sys/devices/usb1/1-1/1-1:1.0/ttyUSB0");
    fs::create_directories(root / "sys/class/tty/ttyUSB0");
    fs::create_directory_symlink(root / "sys/devices/usb1/1-1/1-1:1.0",
                                 root / "sys/class/tty/ttyUSB0/device");
    fs::create_directories(root / "dev/serial/by-id");
    fs::create_symlink("../../ttyUSB0",
                       root / "dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    fs::create_symlink("../../ttyACM2", root / "dev/serial/by-id/usb-Arduino_Uno_8573-if00");
  }
  std::vector<SerialPortInfo> List(const std::string& settings = "") {
    if (!settings.empty()) root.Put("Tavrin.INI", settings);
    const Settings s(root / "Tavrin.INI");
    return ListSerialPorts(s, root / "dev", root / "sys");
  }
  ScratchFolder root;
};

TEST(SerialPortsTest, TheDevicesPresentWithTheirNumbersAndNames) {
  FakeSystem system;
  const std::vector<SerialPortInfo> ports = system.List();
  ASSERT_EQ(ports.size(), 3u);  // ttyS1 has no UART; tty0 and ttyprintk are no serial ports
  EXPECT_EQ(fs::path(ports[0].device).filename(), "ttyS0");
  EXPECT_EQ(ports[0].comNumber, 1);
  EXPECT_EQ(ports[0].stableName, "");
  EXPECT_EQ(fs::path(ports[1].device).filename(), "ttyUSB0");
  EXPECT_EQ(ports[1].comNumber, 33);
  EXPECT_EQ(ports[1].description, "FTDI FT232R USB UART");  // from the USB device itself
  EXPECT_EQ(fs::path(ports[1].stableName).filename(),
            "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
  EXPECT_EQ(ports[2].comNumber, 67);
  EXPECT_EQ(ports[2].description, "Arduino Uno 8573");  // from the stable name
  for (const SerialPortInfo& p : ports) EXPECT_TRUE(p.present && !p.configured);
}

TEST(SerialPortsTest, PortsEntriesNumberTheirDeviceOrStandForAMissingOne) {
  FakeSystem system;
  const std::string byId =
      (system.root / "dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0").string();
  const std::vector<SerialPortInfo> ports =
      system.List("[Ports]\r\nCOM1=" + byId + "\r\nCOM7=/dev/ttyUSB9\r\n");
  ASSERT_EQ(ports.size(), 4u);
  // The adapter is COM1 through its stable name; ttyS0, COM1 by default, has lost its number.
  EXPECT_EQ(fs::path(ports[0].device).filename(), "ttyUSB0");
  EXPECT_EQ(ports[0].comNumber, 1);
  EXPECT_TRUE(ports[0].configured);
  EXPECT_EQ(ports[1].comNumber, 67);
  EXPECT_EQ(fs::path(ports[2].device).filename(), "ttyS0");
  EXPECT_EQ(ports[2].comNumber, 0);
  EXPECT_EQ(ports[3].device, "/dev/ttyUSB9");
  EXPECT_EQ(ports[3].comNumber, 7);
  EXPECT_FALSE(ports[3].present);
}

// An entry naming a device the scan does not know (a pseudo-terminal, any character device)
// or a serial device server is there; a plain file or nothing is not.
TEST(SerialPortsTest, ACharacterDeviceOrAHostPortIsPresent) {
  FakeSystem system;
  int master = -1, slave = -1;
  ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  const std::string pty = ::ttyname(slave);
  const std::string file = system.root.Put("not-a-device", "").string();
  const std::vector<SerialPortInfo> ports =
      system.List("[Ports]\r\nCOM2=" + pty + "\r\nCOM3=/dev/null\r\nCOM4=sign.local:4001\r\n" +
                  "COM5=" + file + "\r\n");
  ::close(slave);
  ::close(master);
  std::map<int, SerialPortInfo> byNumber;
  for (const SerialPortInfo& p : ports) byNumber[p.comNumber] = p;
  ASSERT_EQ(byNumber.count(2), 1u);
  EXPECT_EQ(byNumber[2].device, pty);
  EXPECT_TRUE(byNumber[2].present && byNumber[2].configured);
  EXPECT_EQ(byNumber[2].description, "pseudo-terminal");
  EXPECT_TRUE(byNumber[3].present);
  EXPECT_TRUE(byNumber[4].present);
  EXPECT_FALSE(byNumber[5].present);
  EXPECT_EQ(ports.back().comNumber, 5);  // the missing come last
}

TEST(SerialPortsTest, DefaultNumbersAndExplainedFailures) {
  EXPECT_EQ(DefaultPortNumberOf("/dev/ttyS31"), 32);
  EXPECT_EQ(DefaultPortNumberOf("/dev/ttyUSB0"), 33);
  EXPECT_EQ(DefaultPortNumberOf("/dev/ttyACM31"), 96);
  EXPECT_EQ(DefaultPortNumberOf("/dev/ttyUSB32"), 0);
  EXPECT_EQ(DefaultPortNumberOf("/dev/pts/3"), 0);

  EXPECT_NE(ExplainOpenFailure("/dev/ttyUSB7", ENOENT).find("/dev/ttyUSB7 is not there"),
            std::string::npos);
  EXPECT_EQ(ExplainOpenFailure("/dev/ttyUSB7", EIO), "");
}

// A device the user may not open: its mode, owner and group, and a fix that works. Joining the
// device's group helps only when that group may read and write it; else the administrator
// must give the device a group (a udev rule), and joining root's group is never the advice.
TEST(SerialPortsTest, AccessDeniedNamesAFixThatWorks) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving files to root and dialout needs root";
  const struct group* dialout = ::getgrnam("dialout");
  ASSERT_NE(dialout, nullptr) << "Debian has the group dialout";
  ScratchFolder dir;
  struct Row {
    const char* name;
    mode_t mode;
    gid_t group;
    std::vector<std::string> said;
    std::vector<std::string> notSaid;
  } rows[] = {
      {"ttyS0",
       0600,
       0,
       {"you may not open " + (dir / "ttyS0").string() + " (-rw------- root root): ",
        "its group may not use it", "/etc/udev/rules.d/",
        "KERNEL==\"ttyS0\", GROUP=\"dialout\", MODE=\"0660\"", "sudo usermod -aG dialout $USER"},
       {"-aG root"}},
      {"ttyUSB0",
       0660,
       dialout->gr_gid,
       {"(-rw-rw---- root dialout): it is for the group \"dialout\"",
        "Add yourself to it (sudo usermod -aG dialout $USER) and log in again"},
       {"udev"}},
      {"ttyACM0",
       0660,
       0,
       {"(-rw-rw---- root root): only the group root may use it",
        "KERNEL==\"ttyACM0\", GROUP=\"dialout\""},
       {"-aG root"}},
  };
  for (const Row& row : rows) {
    const fs::path device = dir.Put(row.name, "");
    ASSERT_EQ(::chown(device.c_str(), 0, row.group), 0);
    ASSERT_EQ(::chmod(device.c_str(), row.mode), 0);
    const std::string told = ExplainOpenFailure(device.string(), EACCES);
    for (const std::string& part : row.said) EXPECT_NE(told.find(part), std::string::npos) << told;
    for (const std::string& part : row.notSaid)
      EXPECT_EQ(told.find(part), std::string::npos) << told;
  }
  // A stable name leads to the device: the rule names the device the kernel knows.
  fs::create_symlink(dir / "ttyS0", dir / "usb-Sign_Adapter-if00");
  EXPECT_NE(
      ExplainOpenFailure((dir / "usb-Sign_Adapter-if00").string(), EPERM).find("KERNEL==\"ttyS0\""),
      std::string::npos);
  // Nothing to look at: no group to name, so none is named.
  const std::string missing = ExplainOpenFailure((dir / "ttyUSB9").string(), EACCES);
  EXPECT_NE(missing.find("ask the administrator"), std::string::npos) << missing;
  EXPECT_EQ(missing.find("usermod"), std::string::npos) << missing;
}

}  // namespace
}  // namespace tavrin
