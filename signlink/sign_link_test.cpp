#include "signlink/sign_link.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_link.h"

namespace tavrin {
namespace {

using testing::ScriptedLink;

// The sign answers each write with the given bytes.
ScriptedLink Answering(const std::string& reply) {
  return ScriptedLink([reply](std::size_t, std::string_view) { return reply; });
}

TEST(ReadAckTest, JudgesWhatArrivesAndTakesOnlyItsBytes) {
  struct Row {
    std::string reply;
    bool accepted;
    int reads;
    std::size_t leftOver;
    std::string received;
  } rows[] = {
      {"ACK", true, 3, 0, "ACK"},
      {"ACKACK", true, 3, 3, "ACK"},  // bytes beyond the third stay on the line
      {"NACK", false, 4, 0, "NACK"},  // a refusal is taken off whole
      {"NAK!x", false, 4, 1, "NAK!"},
      {"AC", false, 3, 0, "AC"},  // partial: the third read times out
      {"ACX", false, 3, 0, "ACX"},
      {"", false, 3, 0, ""},  // silence: three time-outs
      {std::string("\0CK", 3), false, 3, 0, std::string("\0CK", 3)},
  };
  for (const Row& row : rows) {
    ScriptedLink link = Answering(row.reply);
    ASSERT_TRUE(link.OpenLink(1, kSignBaud));
    int timeouts = 0;
    link.OnReadTimeout([&] { ++timeouts; });
    link.Write("<ID01><BB>02<E>");
    const AckReply reply = ReadAckReply(link);
    EXPECT_EQ(reply.accepted, row.accepted) << row.reply;
    EXPECT_EQ(reply.received, row.received) << row.reply;
    EXPECT_EQ(link.Reads(), row.reads) << row.reply;
    EXPECT_EQ(link.Unread(), row.leftOver) << row.reply;
    EXPECT_EQ(timeouts, std::max(0, row.reads - static_cast<int>(row.reply.size()))) << row.reply;
    // ReadAck gives the same verdict on the same reply.
    ScriptedLink again = Answering(row.reply);
    ASSERT_TRUE(again.OpenLink(1, kSignBaud));
    again.Write("<ID01><BB>02<E>");
    EXPECT_EQ(ReadAck(again), row.accepted) << row.reply;
  }
}

TEST(PortNamesTest, NumbersToDevices) {
  for (const int port : {0, -1, 256, 1}) EXPECT_EQ(WindowsPortDeviceName(port), "COM1") << port;
  EXPECT_EQ(WindowsPortDeviceName(9), "COM9");
  EXPECT_EQ(WindowsPortDeviceName(10), "\\\\.\\COM10");
  EXPECT_EQ(WindowsPortDeviceName(255), "\\\\.\\COM255");

  EXPECT_EQ(PosixPortDevice(1, ""), "/dev/ttyS0");
  EXPECT_EQ(PosixPortDevice(0, ""), "/dev/ttyS0");
  EXPECT_EQ(PosixPortDevice(256, ""), "/dev/ttyS0");
  EXPECT_EQ(PosixPortDevice(32, ""), "/dev/ttyS31");
  EXPECT_EQ(PosixPortDevice(33, ""), "/dev/ttyUSB0");
  EXPECT_EQ(PosixPortDevice(64, ""), "/dev/ttyUSB31");
  EXPECT_EQ(PosixPortDevice(65, ""), "/dev/ttyACM0");
  EXPECT_EQ(PosixPortDevice(96, ""), "/dev/ttyACM31");
  EXPECT_EQ(PosixPortDevice(97, ""), "");
  EXPECT_EQ(PosixPortDevice(3, "/tmp/sign"), "/tmp/sign");
}

}  // namespace
}  // namespace tavrin
