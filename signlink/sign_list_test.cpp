#include "signlink/sign_list.h"

#include <gtest/gtest.h>

#include "tests/support/scratch_folder.h"

namespace tavrin {
namespace {

TEST(SignListTest, AddressesAsTheListWritesThem) {
  const struct {
    const char* text;
    SignAddress::Kind kind;
    const char* key;
  } rows[] = {
      {"COM1", SignAddress::Kind::Port, "com1"},
      {"com255", SignAddress::Kind::Port, "com255"},
      {"/dev/ttyUSB0", SignAddress::Kind::Device, "/dev/ttyUSB0"},
      {"Sign.Local:4001", SignAddress::Kind::Tcp, "sign.local:4001"},
      {"[::1]:4001", SignAddress::Kind::Tcp, "[::1]:4001"},
      {"queue:signq", SignAddress::Kind::Queue, "queue:signq"},
  };
  for (const auto& row : rows) {
    Result<SignAddress> a = ParseSignAddress(row.text);
    ASSERT_TRUE(a) << row.text << ": " << a.ErrorText();
    EXPECT_EQ(a->kind, row.kind) << row.text;
    EXPECT_EQ(a->LinkKey(), row.key) << row.text;
    EXPECT_EQ(*ParseSignAddress(a->Text()), *a) << row.text;
  }
  for (const char* bad :
       {"COM0", "COM256", "COM", "ttyUSB0", "sign.local", "host:99999", "queue:", ""}) {
    EXPECT_FALSE(ParseSignAddress(bad)) << bad;
  }
}

// A hand-edited list: the good lines are kept, each bad one is named with its line and why.
TEST(SignListTest, BadLinesAreNamedAndTheRestKept) {
  const SignListRead read = ParseSignList(
      "; my signs\r\n"
      "Shop window = COM1, 01, 3, 128\r\n"
      "\r\n"
      "Counter = /dev/ttyUSB0, 2, 1, 96\r\n"  // ID of one digit
      "Door = sign.local:4001, 0A, 3, 160\r\n"
      "shop WINDOW = COM2, 02, 3, 128\r\n"  // the same name
      "Bus two = COM1, 1G, 3, 128\r\n"      // no ID
      "Office = fax, 01, 3, 128\r\n"        // no address
      "Lobby = COM3, 03, 2, 128\r\n"        // colours
      "Hall = COM3, 04, 3, 100\r\n"         // width
      "no equals sign\r\n"
      "Truncated = COM4, 0");  // a file cut off
  std::vector<std::string> names;
  for (const NamedSign& s : read.list.Signs()) names.push_back(s.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Shop window", "Door"}));
  EXPECT_EQ(read.list.Find("door")->id, 0x0A);
  EXPECT_EQ(read.list.Find("door")->width, 160);
  ASSERT_EQ(read.problems.size(), 8u);
  EXPECT_EQ(read.problems[0].rfind("Tavrin.signs line 4: the ID \"2\"", 0), 0u) << read.problems[0];
  EXPECT_EQ(read.problems[1], "Tavrin.signs line 6: there is a sign named shop WINDOW already");
  EXPECT_NE(read.problems[3].find("line 8: \"fax\" is no address"), std::string::npos);
  EXPECT_EQ(read.problems[7].rfind("Tavrin.signs line 12: expected ADDRESS", 0), 0u)
      << read.problems[7];
}

// What is written reads back the same; a list file that cannot be read is said, not guessed.
TEST(SignListTest, WrittenAndReadBack) {
  testing::ScratchFolder home;
  EXPECT_TRUE(ReadSignList(home.Path()).list.Signs().empty());
  SignList list;
  ASSERT_TRUE(list.Add({"Shop window", *ParseSignAddress("COM1"), 0x01, true, 128}));
  ASSERT_TRUE(list.Add({"Door", *ParseSignAddress("sign.local:4001"), 0xFF, false, 96}));
  EXPECT_FALSE(list.Add({"DOOR", *ParseSignAddress("COM2"), 2, true, 128}));
  EXPECT_FALSE(list.Add({" Padded", *ParseSignAddress("COM2"), 2, true, 128}));
  EXPECT_FALSE(list.Add({"a=b", *ParseSignAddress("COM2"), 2, true, 128}));
  ASSERT_TRUE(WriteSignList(home.Path(), list));
  const SignListRead read = ReadSignList(home.Path());
  EXPECT_TRUE(read.problems.empty());
  EXPECT_EQ(read.list.Signs(), list.Signs());
  EXPECT_TRUE(list.Replace("door", {"Front door", *ParseSignAddress("COM2"), 3, true, 160}));
  EXPECT_FALSE(
      list.Replace("front door", {"Shop window", *ParseSignAddress("COM2"), 3, true, 160}));
  EXPECT_TRUE(list.Remove("SHOP WINDOW"));
  EXPECT_FALSE(list.Remove("Shop window"));
  ASSERT_EQ(list.Signs().size(), 1u);
  EXPECT_EQ(list.Signs()[0].name, "Front door");

  home.Put("Tavrin.signs", std::string(2 * 1024 * 1024, 'x'));
  EXPECT_EQ(ReadSignList(home.Path()).problems.size(), 1u);
}

}  // namespace
}  // namespace tavrin
