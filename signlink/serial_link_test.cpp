#include "signlink/serial_link.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "signlink/tcp_link.h"
#include "tests/support/scratch_folder.h"

namespace tavrin {
namespace {

using Clock = std::chrono::steady_clock;

int ElapsedMs(Clock::time_point since) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

// A pseudo-terminal: the test plays the sign on the master side; the link opens the slave.
class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[256];
    ASSERT_EQ(::openpty(&m_master, &m_slave, name, nullptr, nullptr), 0);
    m_device = name;
  }
  void TearDown() override {
    ::close(m_master);
    if (m_slave >= 0) ::close(m_slave);
  }

  // Reads what has arrived on the sign's side within the given time.
  std::string SignReads(std::size_t bytes, int timeoutMs = 2000) {
    std::string got;
    const auto start = Clock::now();
    while (got.size() < bytes && ElapsedMs(start) < timeoutMs) {
      pollfd p{m_master, POLLIN, 0};
      if (::poll(&p, 1, 50) > 0) {
        char buffer[4096];
        const ssize_t n = ::read(m_master, buffer, std::min(sizeof buffer, bytes - got.size()));
        if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
      }
    }
    return got;
  }

  SerialLink Link() {
    return SerialLink([this](int) { return m_device; });
  }

  int m_master = -1;
  int m_slave = -1;
  std::string m_device;
};

TEST_F(PtyTest, OpensAt9600EightNOneRawAndCarriesBinaryBytes) {
  SerialLink link = Link();
  ASSERT_TRUE(link.OpenLink(1, kSignBaud)) << link.LastError();
  termios t{};
  ASSERT_EQ(::tcgetattr(m_slave, &t), 0);
  EXPECT_EQ(cfgetospeed(&t), B9600);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_cc[VTIME], 11);
  EXPECT_EQ(t.c_cc[VMIN], 0);

  // Every byte value crosses unchanged: XON, XOFF, CR, LF and "<E>" inside a graphic.
  std::string frame = "<ID01><GA1>";
  for (int b = 0; b < 64; ++b) frame += static_cast<char>(b * 4 + 1);
  frame += "\x11\x13\r\n<E>";
  std::size_t lastProgress = 0;
  ASSERT_TRUE(link.Write(frame, [&](std::size_t written) { lastProgress = written; }));
  EXPECT_EQ(lastProgress, frame.size());
  EXPECT_EQ(SignReads(frame.size()), frame);

  ASSERT_TRUE(link.WriteByte(0xFF));
  EXPECT_EQ(SignReads(1), "\xFF");

  const std::string reply = std::string("A\x13\r", 3);
  ASSERT_EQ(::write(m_master, reply.data(), reply.size()), 3);
  for (const char expected : reply) {
    std::uint8_t byte = 0;
    ASSERT_EQ(link.ReadByte(byte), 1);
    EXPECT_EQ(byte, static_cast<std::uint8_t>(expected));
  }
  link.CloseLink();
  EXPECT_FALSE(link.IsOpen());
}

TEST_F(PtyTest, ASilentLineTimesOutAfterAboutASecondAndATenth) {
  SerialLink link = Link();
  ASSERT_TRUE(link.OpenLink(1, kSignBaud));
  int idles = 0;
  link.SetIdle([&] { ++idles; });
  std::uint8_t byte = 0;
  const auto start = Clock::now();
  EXPECT_EQ(link.ReadByte(byte), 0);
  const int ms = ElapsedMs(start);
  EXPECT_GE(ms, 1090);
  EXPECT_LT(ms, 1600);
  EXPECT_GT(idles, 10);  // the wait was sliced so that windows could keep working
}

TEST_F(PtyTest, PortNumbersOutOfRangeOpenCom1) {
  for (const int port : {0, 256, -3}) {
    int asked = 0;
    SerialLink link([&](int p) {
      asked = p;
      return m_device;
    });
    ASSERT_TRUE(link.OpenLink(port, kSignBaud));
    EXPECT_EQ(asked, 1) << port;
  }
}

TEST_F(PtyTest, ASecondOpenClosesTheFirst) {
  SerialLink link = Link();
  ASSERT_TRUE(link.OpenLink(1, kSignBaud));
  const auto countFds = [] {
    int n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
  };
  const int before = countFds();
  ASSERT_TRUE(link.OpenLink(1, kSignBaud));
  EXPECT_EQ(countFds(), before);
}

TEST_F(PtyTest, AVanishedDeviceFailsAtOnce) {
  SerialLink link = Link();
  ASSERT_TRUE(link.OpenLink(1, kSignBaud));
  ::close(m_master);  // the far end goes away: the slave hangs up
  m_master = ::open("/dev/null", O_RDONLY);
  const auto start = Clock::now();
  std::uint8_t byte = 0;
  EXPECT_EQ(link.ReadByte(byte), 0);
  EXPECT_EQ(link.ReadByte(byte), 0);
  EXPECT_LT(ElapsedMs(start), 500);
  EXPECT_FALSE(link.LastError().empty());
  EXPECT_FALSE(link.Write("<ID01><BB>02<E>"));
}

TEST(SerialLinkTest, RefusesWhatIsNotASerialPort) {
  testing::ScratchFolder dir;
  const auto file = dir.Put("plain", "x");
  SerialLink notATerminal([&](int) { return file.string(); });
  EXPECT_FALSE(notATerminal.OpenLink(1, kSignBaud));
  EXPECT_NE(notATerminal.LastError().find("not a serial port"), std::string::npos);

  SerialLink missing([](int) { return std::string("/dev/no-such-sign"); });
  EXPECT_FALSE(missing.OpenLink(1, kSignBaud));
  EXPECT_NE(missing.LastError().find("/dev/no-such-sign"), std::string::npos);

  SerialLink noDevice([](int) { return std::string(); });
  EXPECT_FALSE(noDevice.OpenLink(120, kSignBaud));
  EXPECT_NE(noDevice.LastError().find("COM120"), std::string::npos);
}

TEST(TcpLinkTest, TalksAndNoticesAHangUp) {
  std::string host;
  int port = 0;
  EXPECT_TRUE(ParseHostPort("127.0.0.1:7001", host, port));
  EXPECT_EQ(host, "127.0.0.1");
  EXPECT_EQ(port, 7001);
  EXPECT_TRUE(ParseHostPort("[::1]:80", host, port));
  EXPECT_EQ(host, "::1");
  for (const char* bad : {"host", "host:", ":80", "host:0", "host:65536", "host:8x"}) {
    EXPECT_FALSE(ParseHostPort(bad, host, port)) << bad;
  }

  const int server = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  socklen_t len = sizeof address;
  ::getsockname(server, reinterpret_cast<sockaddr*>(&address), &len);
  ::listen(server, 1);

  TcpLink link("127.0.0.1", ntohs(address.sin_port));
  ASSERT_TRUE(link.OpenLink(1, kSignBaud)) << link.LastError();
  const int peer = ::accept(server, nullptr, nullptr);
  ASSERT_TRUE(link.Write("<ID01><BB>02<E>"));
  char buffer[32] = {};
  ASSERT_EQ(::recv(peer, buffer, 15, MSG_WAITALL), 15);
  EXPECT_EQ(std::string(buffer, 15), "<ID01><BB>02<E>");
  ::send(peer, "ACK", 3, 0);
  std::uint8_t byte = 0;
  ASSERT_EQ(link.ReadByte(byte), 1);
  EXPECT_EQ(byte, 'A');
  ::close(peer);
  const auto start = Clock::now();
  EXPECT_EQ(link.ReadByte(byte), 1);  // what was sent before the hang-up still arrives
  EXPECT_EQ(link.ReadByte(byte), 1);
  EXPECT_EQ(link.ReadByte(byte), 0);
  EXPECT_LT(ElapsedMs(start), 500);
  EXPECT_NE(link.LastError().find("closed"), std::string::npos);
  ::close(server);

  TcpLink nobody("127.0.0.1", ntohs(address.sin_port));
  EXPECT_FALSE(nobody.OpenLink(1, kSignBaud));
  EXPECT_NE(nobody.LastError().find("cannot connect"), std::string::npos);
}

}  // namespace
}  // namespace tavrin
