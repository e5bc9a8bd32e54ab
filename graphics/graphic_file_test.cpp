#include "graphics/graphic_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <unistd.h>

#include "tests/support/scratch_folder.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

TEST(GraphicNameTest, NamesAndNumbers) {
  EXPECT_EQ(GraphicName(1), "G01");
  EXPECT_EQ(GraphicName(16), "G16");
  EXPECT_TRUE(IsGraphicName("G09"));
  for (const char* bad : {"G00", "G17", "g01", "G1", "G010", ""}) EXPECT_FALSE(IsGraphicName(bad));
  EXPECT_EQ(GraphicNumberFromName("G03"), 3);
  EXPECT_EQ(GraphicNumberFromName("G16"), 16);
  EXPECT_EQ(GraphicNumberFromName("Gxy"), 1);
  EXPECT_EQ(GraphicNumberFromName("G"), 1);
  EXPECT_EQ(GraphicNumberFromName("G7"), 7);
}

TEST(GraphicTextTest, EveryLineEndReadsTheSame) {
  const GraphicRows expected{"@A@", "DE@"};
  for (const char* text :
       {"@A@\r\nDE@\r\n", "@A@\nDE@\n", "@A@\rDE@\r", "@A@\r\nDE@", "@A@\nDE@"}) {
    Result<GraphicRows> rows = ParseGraphicText(text);
    ASSERT_TRUE(rows) << rows.ErrorText();
    EXPECT_EQ(*rows, expected) << text;
  }
  const std::string withNul = std::string("@A@\r\nDE@\r\n") + '\0' + "XXXX\r\n";
  EXPECT_EQ(*ParseGraphicText(withNul), expected);
  // Blank lines are rows of their own; a CR LF pair is one line end, LF CR two.
  EXPECT_EQ(*ParseGraphicText("a\r\n\r\nb"), (GraphicRows{"a", "", "b"}));
  EXPECT_EQ(*ParseGraphicText("a\n\rb"), (GraphicRows{"a", "", "b"}));
  EXPECT_TRUE(ParseGraphicText("")->empty());
}

TEST(GraphicTextTest, ControlBytesMeanItIsNotAGraphic) {
  Result<GraphicRows> rows = ParseGraphicText("@@@\r\n@\x01@\r\n");
  ASSERT_FALSE(rows);
  EXPECT_NE(rows.ErrorText().find("line 2"), std::string::npos) << rows.ErrorText();
  EXPECT_NE(rows.ErrorText().find("0x01"), std::string::npos);
  // Bytes above 127 are cells like any other (shown as off by the editor).
  EXPECT_TRUE(ParseGraphicText("@\xE9@\r\n"));
}

TEST(BlockTagSequenceTest, WorkedExamples) {
  EXPECT_EQ(BlockTagSequence(1, {7, 64}, 1), "<GA1><GA2>");
  EXPECT_EQ(BlockTagSequence(12, {8, 120}, 1), "<GL1><GL2><GL3><GL4>");
  EXPECT_EQ(BlockTagSequence(3, {16, 32}, 2), "<GC5>");
  EXPECT_EQ(BlockTagSequence(3, {16, 32}, 1), "<GC1>");
  EXPECT_EQ(BlockTagSequence(3, {8, 96}, 2), "<GC1><GC2><GC3>");
  EXPECT_EQ(BlockTagSequence(16, {7, 128}, 1), "<GP1><GP2><GP3><GP4>");
  EXPECT_EQ(BlockTagSequence(2, {7, 33}, 1), "<GB1><GB2>");
}

class GraphicFolderTest : public ::testing::Test {
 protected:
  ScratchFolder m_home;
  GraphicFolder m_folder{m_home.Path()};
};

TEST_F(GraphicFolderTest, WriteCreatesTheFolderAndReadsBack) {
  const GraphicRows rows(8, std::string(128, 'A'));
  ASSERT_TRUE(m_folder.Write("G05", rows));
  const fs::path file = m_home / "Graphdata/G05.txt";
  EXPECT_EQ(fs::file_size(file), 1040u);
  EXPECT_EQ(ScratchFolder::Slurp(file).substr(126, 4), "AA\r\n");
  EXPECT_EQ(*m_folder.Read("G05"), rows);
  EXPECT_EQ(*m_folder.Height("G05"), 8);
  const Result<GraphicDims> dims = m_folder.Dims("G05");
  EXPECT_EQ(dims->rows, 8);
  EXPECT_EQ(dims->width, 128);
  // A rewrite replaces the file whole and leaves no temporary file behind.
  ASSERT_TRUE(m_folder.Write("G05", GraphicRows(7, std::string(32, '@'))));
  EXPECT_EQ(fs::file_size(file), 238u);
  EXPECT_EQ(std::distance(fs::directory_iterator(m_home / "Graphdata"), fs::directory_iterator()),
            1);
}

TEST_F(GraphicFolderTest, UnknownCellsSurviveARoundTrip) {
  m_home.Put("Graphdata/G02.txt", "@B@\r\n@@@\r\n");
  const Result<GraphicRows> rows = m_folder.Read("G02");
  ASSERT_TRUE(m_folder.Write("G02", *rows));
  EXPECT_EQ(ScratchFolder::Slurp(m_home / "Graphdata/G02.txt"), "@B@\r\n@@@\r\n");
}

TEST_F(GraphicFolderTest, FolderThatCannotBeCreated) {
  if (::geteuid() == 0) {
    // root writes anywhere; a file in the folder's place stops the creation instead
    m_home.Put("Graphdata", "not a folder");
  } else {
    fs::permissions(m_home.Path(), fs::perms::owner_write, fs::perm_options::remove);
  }
  const Status status = m_folder.Write("G01", {"@"});
  ASSERT_FALSE(status);
  EXPECT_EQ(status.ErrorText(),
            "Cannot create" + (m_home.Path() / "").string() + "GraphdataDirtrory");
}

TEST_F(GraphicFolderTest, ListsOnlyTheSixteenNamesCaseSensitively) {
  for (const char* name : {"G03.txt", "g01.txt", "G17.txt", "G00.txt", "G01.TXT", "G1.txt",
                           "G16.txt", "notes.txt", "G04.txt.bak"}) {
    m_home.Put(std::string("Graphdata/") + name, "@\r\n");
  }
  std::vector<std::string> names = m_folder.List();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"G03", "G16"}));
  EXPECT_TRUE(GraphicFolder(m_home / "nowhere").List().empty());
}

TEST_F(GraphicFolderTest, DeleteAndMissingFiles) {
  ASSERT_TRUE(m_folder.Write("G07", {"@@"}));
  EXPECT_TRUE(m_folder.Exists("G07"));
  EXPECT_TRUE(m_folder.Delete("G07"));
  EXPECT_FALSE(m_folder.Exists("G07"));
  EXPECT_FALSE(m_folder.Delete("G07"));
  const Result<GraphicRows> missing = m_folder.Read("G07");
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.ErrorText().find("G07.txt"), std::string::npos) << missing.ErrorText();
}

TEST_F(GraphicFolderTest, HostileFilesGiveClearErrors) {
  m_home.Put("Graphdata/G01.txt", "");
  EXPECT_NE(m_folder.Read("G01").ErrorText().find("empty"), std::string::npos);
  EXPECT_EQ(*m_folder.Height("G01"), 0);

  m_home.Put("Graphdata/G02.txt", std::string(1'000'000, 'A') + "\r\n");
  EXPECT_NE(m_folder.Read("G02").ErrorText().find("larger"), std::string::npos);

  // A 100 MB file: refused after the first 64 KiB, without reading the rest.
  const fs::path big = m_home.Put("Graphdata/G03.txt", "");
  fs::resize_file(big, 100u * 1024 * 1024);
  const Result<GraphicRows> huge = m_folder.Read("G03");
  ASSERT_FALSE(huge);
  EXPECT_FALSE(m_folder.Height("G03"));

  // A NUL stops the text; here there is nothing before it.
  m_home.Put("Graphdata/G04.txt", std::string("\0\x7F"
                                              "ELF",
                                              5));
  EXPECT_FALSE(m_folder.Read("G04"));
  m_home.Put("Graphdata/G05.txt",
             "\x7F"
             "ELF\x02\x01\x01");
  EXPECT_NE(m_folder.Read("G05").ErrorText().find("not a graphic"), std::string::npos);

  m_home.Put("Graphdata/G06.txt", "@@\r\n");
  fs::create_directories(m_home / "Graphdata/G08.txt");
  EXPECT_FALSE(m_folder.Read("G08"));
}

TEST_F(GraphicFolderTest, NamesCannotLeaveTheFolder) {
  m_home.Put("secret.txt", "@@@@\r\n");
  for (const char* name : {"../secret", "..", "", "a/b", "a\\b"}) {
    EXPECT_FALSE(m_folder.Read(name)) << name;
    EXPECT_FALSE(m_folder.Write(name, {"@"})) << name;
  }
  EXPECT_TRUE(fs::exists(m_home / "secret.txt"));
}

}  // namespace
}  // namespace tavrin
