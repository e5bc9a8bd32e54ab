// File names outside ASCII between UTF-8 text and the file system. This test also runs as a
// Windows program under Wine (scripts/check-windows), where a path made from narrow text would
// take it in the ANSI code page and lose "标志".
#include "common/utf8_path.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/file_io.h"
#include "common/program_folder.h"
#include "common/settings.h"
#include "tests/support/scratch_folder.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

constexpr const char* kName = "Grüße 标志";

TEST(Utf8PathTest, AFolderNameOutsideAsciiReachesTheDiskWhole) {
  ScratchFolder scratch;
  const fs::path folder = scratch.Path() / PathFromUtf8(kName);
  ASSERT_TRUE(fs::create_directory(folder));
  EXPECT_EQ(Utf8FromPath(PathFromUtf8(kName)), kName);

  // The name the system lists is the one asked for, character for character.
  int entries = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(scratch.Path())) {
    ++entries;
    EXPECT_EQ(entry.path().filename().u16string(), u"Grüße 标志");
    EXPECT_EQ(Utf8FromPath(entry.path().filename()), kName);
  }
  EXPECT_EQ(entries, 1);

  // Written and read through the atomic writer and the limited reader, under a name outside
  // ASCII too.
  const fs::path file = folder / PathFromUtf8("标志.tvr");
  ASSERT_TRUE(WriteFileAtomically(file, "bytes of a message")) << Utf8FromPath(file);
  const Result<std::string> read = ReadFileLimited(file, 100);
  ASSERT_TRUE(read) << read.ErrorText();
  EXPECT_EQ(*read, "bytes of a message");
  EXPECT_EQ(fs::file_size(file), 18u);

  // A message names the file as UTF-8 text.
  const Result<std::string> missing = ReadFileLimited(folder / "missing.tvr", 100);
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.ErrorText().find(kName), std::string::npos) << missing.ErrorText();
}

TEST(Utf8PathTest, SettingsAndTheProgramFolderInAFolderOutsideAscii) {
  ScratchFolder scratch;
  const fs::path folder = scratch.Path() / PathFromUtf8(kName);
  ASSERT_TRUE(fs::create_directory(folder));

  ProgramFolderInputs inputs;
  inputs.tavrinHome = Utf8FromPath(folder);
  const fs::path home = ResolveProgramFolder(inputs);
  EXPECT_EQ(Utf8FromPath(home), Utf8FromPath(WithTrailingSeparator(folder)));

  Settings settings(SettingsPath(home));
  ASSERT_TRUE(settings.SetPortNumber(7));
  ASSERT_TRUE(settings.SetFileFolder(Utf8FromPath(folder)));
  Settings again(SettingsPath(home));
  EXPECT_EQ(again.PortNumber(), 7);
  EXPECT_EQ(again.FileFolder(), Utf8FromPath(folder));
  EXPECT_TRUE(fs::is_directory(PathFromUtf8(again.FileFolder())));
  const Result<std::string> bytes = ReadFileLimited(folder / kSettingsFileName, 1000);
  ASSERT_TRUE(bytes) << bytes.ErrorText();
  EXPECT_NE(bytes->find("comport=7"), std::string::npos) << *bytes;
}

TEST(Utf8PathTest, NamesThatAreNotUtf8DoNotThrow) {
#ifdef _WIN32
  // Bytes that are no UTF-8 are the ANSI code page's ("\xE9" is "é" in most of them).
  EXPECT_FALSE(PathFromUtf8("caf\xE9").empty());
  // A lone surrogate, which a Windows name may hold, becomes U+FFFD.
  EXPECT_EQ(Utf8FromPath(fs::path(L"a\xD800z")), "a\xEF\xBF\xBDz");
  EXPECT_EQ(Utf8FromWide(L"Gr\u00FC\u00DFe \u6807\u5FD7"), kName);
#else
  // A POSIX name is bytes: whatever they are, they stay as they are.
  EXPECT_EQ(PathFromUtf8("caf\xE9").native(), "caf\xE9");
  EXPECT_EQ(Utf8FromPath(fs::path("caf\xE9")), "caf\xE9");
#endif
}

}  // namespace
}  // namespace tavrin
