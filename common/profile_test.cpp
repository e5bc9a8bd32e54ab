#include "common/profile.h"
#include "common/settings.h"

#include <gtest/gtest.h>

#include "tests/support/scratch_folder.h"

namespace tavrin {
namespace {

using testing::ScratchFolder;

TEST(ProfileTest, FindsKeysAsTheProfileFunctionsDo) {
  const std::string text =
      "; Tavrin settings\r\n"
      "[Other]\r\n"
      "comport=9\r\n"
      "  [ sign ]  \r\n"
      "  COMPORT =  12  \r\n"
      "color=\"1\"\r\n"
      "empty=\r\n"
      ";showform=0\r\n"
      "[Sign]\r\n"
      "showform=0\r\n"
      "[Ports]\n"
      "COM3=/dev/pts/7\r";
  EXPECT_EQ(ProfileLookup(text, "Sign", "comport"), "12");
  EXPECT_EQ(ProfileLookup(text, "SIGN", "Color"), "1");
  EXPECT_EQ(ProfileLookup(text, "Sign", "empty"), "");
  EXPECT_EQ(ProfileLookup(text, "Sign", "showform"), std::nullopt);  // only the first section
  EXPECT_EQ(ProfileLookup(text, "ports", "com3"), "/dev/pts/7");
  EXPECT_EQ(ProfileLookup(text, "Missing", "comport"), std::nullopt);
  EXPECT_EQ(ProfileLookup("", "Sign", "comport"), std::nullopt);
}

TEST(ProfileTest, AnIndexAnswersAsTheLookupDoes) {
  const std::string text =
      "[Other]\r\nkey=0\r\n [ Sign ] \r\n KEY = 1 "
      "\r\nkey=2\r\nq=\"x\"\r\n;c=3\r\n[sign]\r\nlate=4\r\n";
  const ProfileIndex index(text);
  for (const auto& [section, key] :
       std::vector<std::pair<std::string, std::string>>{{"sign", "key"},
                                                        {"SIGN", "q"},
                                                        {"Sign", "c"},
                                                        {"Sign", "late"},
                                                        {"other", "KEY"},
                                                        {"none", "key"}}) {
    EXPECT_EQ(index.Lookup(section, key), ProfileLookup(text, section, key)) << section << key;
  }
  EXPECT_EQ(index.Keys("Sign"), (std::vector<std::string>{"key", "q"}));
}

TEST(ProfileTest, IntegersReadLikeGetPrivateProfileInt) {
  struct Row {
    std::optional<std::string> value;
    int expected;
  } rows[] = {
      {std::nullopt, 7}, {"", 7},    {"12", 12},  {" 12", 12}, {"+5", 5},          {"-3", -3},
      {"12abc", 12},     {"abc", 0}, {"0x10", 0}, {"-", 0},    {"4294967295", -1},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ProfileInt(row.value, 7), row.expected) << row.value.value_or("<none>");
  }
}

TEST(ProfileTest, UpdatesKeepTheRestOfTheFile) {
  const std::string text =
      "; keep me\r\n[Sign]\r\nCOMPORT = 3 \r\ncolor=2\r\n\r\n[Ports]\r\nCOM1=/dev/x\r\n";
  EXPECT_EQ(ProfileUpdate(text, "sign", "comport", "12"),
            "; keep me\r\n[Sign]\r\nCOMPORT=12\r\ncolor=2\r\n\r\n[Ports]\r\nCOM1=/dev/x\r\n");
  EXPECT_EQ(ProfileUpdate(text, "Sign", "showform", "0"),
            "; keep me\r\n[Sign]\r\nCOMPORT = 3 "
            "\r\ncolor=2\r\nshowform=0\r\n\r\n[Ports]\r\nCOM1=/dev/x\r\n");
  EXPECT_EQ(ProfileUpdate("[A]\nx=1", "A", "y", "2"), "[A]\nx=1\ny=2\n");
  EXPECT_EQ(ProfileUpdate("[A]\nx=1", "B", "y", "2"), "[A]\nx=1\n[B]\ny=2\n");
  EXPECT_EQ(ProfileUpdate("", "Sign", "comport", "1"), "[Sign]\r\ncomport=1\r\n");
}

// UTF-16 bytes with their byte-order mark, as Notepad saves "Unicode" files.
std::string Utf16(std::u16string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

TEST(ProfileTest, AUtf8ByteOrderMarkIsReadPastAndKept) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::string text = bom + "[Sign]\r\ncomport=3\r\n[View]\r\npreview=0\r\n";
  EXPECT_EQ(ProfileLookup(text, "Sign", "comport"), "3");
  EXPECT_EQ(ProfileIndex(text).Lookup("sign", "COMPORT"), "3");
  EXPECT_EQ(ProfileIndex(text).Keys("Sign"), (std::vector<std::string>{"comport"}));
  // Written in place, the mark kept: no second [Sign] at the end.
  EXPECT_EQ(ProfileUpdate(text, "Sign", "comport", "12"),
            bom + "[Sign]\r\ncomport=12\r\n[View]\r\npreview=0\r\n");
  EXPECT_EQ(ProfileUpdate(text, "Sign", "color", "1"),
            bom + "[Sign]\r\ncomport=3\r\ncolor=1\r\n[View]\r\npreview=0\r\n");
  EXPECT_EQ(ProfileUpdate(bom, "Sign", "comport", "1"), bom + "[Sign]\r\ncomport=1\r\n");
  // A mark anywhere else is no mark: the line is no section.
  EXPECT_EQ(ProfileLookup("\r\n" + text, "Sign", "comport"), std::nullopt);
}

TEST(ProfileTest, Utf16FilesAreReadAndWrittenAsUnicode) {
  for (const bool bigEndian : {false, true}) {
    ScratchFolder home;
    const auto path = home.Put(
        "Tavrin.INI",
        Utf16(u"[Sign]\r\ncomport=7\r\n[Ports]\r\nCOM7=/dev/\u9A71\U0001F600\r\n", bigEndian));
    Settings settings(path);
    EXPECT_EQ(settings.PortNumber(), 7) << bigEndian;
    EXPECT_EQ(settings.PortDevice(7), "/dev/驱\U0001F600") << bigEndian;
    ASSERT_TRUE(settings.SetPortNumber(9));
    ASSERT_TRUE(settings.SetPortDevice(2, "/dev/駆"));
    EXPECT_EQ(ScratchFolder::Slurp(path),
              Utf16(u"[Sign]\r\ncomport=9\r\n[Ports]\r\nCOM7=/dev/\u9A71\U0001F600\r\n"
                    u"COM2=/dev/\u99C6\r\n",
                    bigEndian))
        << bigEndian;
  }
  // Broken UTF-16 reads what it can: an unpaired surrogate and a last odd byte are U+FFFD.
  ScratchFolder home;
  ProfileFile broken(home.Put("b.ini", Utf16(u"[a]\r\nk=x\xD800y\r\nodd=1", false) + "z"));
  EXPECT_EQ(broken.ReadString("a", "k"), "x\uFFFDy");
  EXPECT_EQ(broken.ReadString("A", "odd"), "1\uFFFD");
}

TEST(SettingsTest, DefaultsAndRoundTrips) {
  ScratchFolder home;
  Settings settings(SettingsPath(home.Path()));
  EXPECT_EQ(settings.Path().filename(), "Tavrin.INI");
  EXPECT_EQ(settings.PortNumber(), 1);
  EXPECT_EQ(settings.Color(), 2);
  EXPECT_TRUE(settings.TripleColor());
  EXPECT_EQ(settings.ShowForm(), 1);
  EXPECT_EQ(settings.CodePage(), "CP1252");

  ASSERT_TRUE(settings.SetPortNumber(12));
  ASSERT_TRUE(settings.SetPortDevice(12, "/dev/pts/9"));
  EXPECT_EQ(settings.PortNumber(), 12);
  EXPECT_EQ(settings.PortDevice(12), "/dev/pts/9");
  EXPECT_EQ(settings.PortDevice(1), "");
  EXPECT_EQ(ScratchFolder::Slurp(settings.Path()),
            "[Sign]\r\ncomport=12\r\n[Ports]\r\nCOM12=/dev/pts/9\r\n");

  ASSERT_TRUE(settings.SetPortNumber(0));
  EXPECT_EQ(settings.PortNumber(), 1);  // stored 0 reads as port 1
  ASSERT_TRUE(settings.SetPortNumber(300));
  EXPECT_EQ(settings.PortNumber(), 300);  // the link makes it port 1

  ASSERT_TRUE(settings.SetSignColor(false, false));
  EXPECT_EQ(settings.Color(), 1);
  EXPECT_FALSE(settings.TripleColor());
  EXPECT_EQ(settings.ShowForm(), 0);
  home.Put("Tavrin.INI", "[Sign]\r\ncolor=5\r\n");
  EXPECT_FALSE(settings.TripleColor());
}

TEST(SettingsTest, BadFilesGiveDefaultsAndAreNotOverwritten) {
  ScratchFolder home;
  const auto path = home.Put("Tavrin.INI", std::string(2 * 1024 * 1024, 'x'));
  Settings settings(path);
  EXPECT_EQ(settings.PortNumber(), 1);
  const Status status = settings.SetPortNumber(5);
  EXPECT_FALSE(status);
  EXPECT_NE(status.ErrorText().find("not saved"), std::string::npos);
  EXPECT_EQ(std::filesystem::file_size(path), 2u * 1024 * 1024);

  Settings inMissingFolder(home / "no/such/Tavrin.INI");
  EXPECT_FALSE(inMissingFolder.SetPortNumber(5));
}

}  // namespace
}  // namespace tavrin
