#include "signlink/serial_ports.h"

#include <gtest/gtest.h>
#include <pty.h>
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

  ScratchFolder dir;
  const fs::path device = dir.Put("ttyUSB0", "");
  const std::string denied = ExplainOpenFailure(device.string(), EACCES);
  EXPECT_NE(denied.find("you may not open " + device.string()), std::string::npos);
  EXPECT_NE(denied.find("sudo usermod -aG "), std::string::npos) << denied;
  EXPECT_NE(ExplainOpenFailure("/dev/ttyUSB7", ENOENT).find("/dev/ttyUSB7 is not there"),
            std::string::npos);
  EXPECT_EQ(ExplainOpenFailure("/dev/ttyUSB7", EIO), "");
}

}  // namespace
}  // namespace tavrin
