#include "sport/FolderHelpers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32/curdir.h"
#include "platform/win32/lasterror.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace fs = std::filesystem;

namespace {

class FolderHelpersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(m_dir.File("proj/sub"));
    WriteBytes(m_dir.File("proj/bruser.poi"), "poi");
    WriteBytes(m_dir.File("proj/sub/x.bin"), "bin");
    fs::create_directories(m_dir.File("elsewhere/deeper"));
    m_oldCwd = GetCurrentDirectoryPath();
  }
  void TearDown() override { SetCurrentDirectoryW(m_oldCwd.c_str()); }
  CString P(const std::string& rel) const { return CString::FromUtf8(m_dir.File(rel)); }

  TempDir m_dir;
  std::u16string m_oldCwd;
};

TEST_F(FolderHelpersTest, CopyFolderCopiesFilesOnlyAndSaysWhenItWasGivenAFolder) {
  SetLastError(0);
  EXPECT_FALSE(CopyFolder(P("proj"), P("copy")));
  EXPECT_EQ(GetLastError(), kErrorSourceIsFolder);
  EXPECT_FALSE(fs::exists(m_dir.File("copy")));
  EXPECT_TRUE(CopyFolder(P("proj/bruser.poi"), P("copy/bruser.poi")));
  EXPECT_EQ(ReadBytes(m_dir.File("copy/bruser.poi")), "poi");
  EXPECT_TRUE(CopyFolderSilent(P("proj"), P("whole")));
  EXPECT_EQ(ReadBytes(m_dir.File("whole/sub/x.bin")), "bin");
}

// A workspace far deeper than 260 units works; a path the system cannot
// take (a part beyond NAME_MAX, the whole beyond PATH_MAX) fails untouched.
TEST_F(FolderHelpersTest, DeepPathsWorkAndOnesTheSystemCannotTakeFailWithoutTouchingTheDisk) {
  std::string deep = "deep";
  for (int i = 0; i < 4; ++i) deep += "/" + std::string(200, char('a' + i));
  EXPECT_TRUE(CopyFolderSilent(P("proj"), P(deep)));
  EXPECT_TRUE(CopyFolder(P(deep + "/bruser.poi"), P(deep + "/copy.poi")));
  EXPECT_EQ(ReadBytes(m_dir.File(deep + "/copy.poi")), "poi");
  EXPECT_TRUE(DeleteFolder(P("deep")));
  EXPECT_FALSE(fs::exists(m_dir.File("deep")));

  std::string tooDeep = "t";
  for (int i = 0; i < 17; ++i) tooDeep += "/" + std::string(250, 'y');
  for (const std::string& target : {"t/" + std::string(300, 'x'), tooDeep}) {
    EXPECT_FALSE(CopyFolderSilent(P("proj"), P(target)));
    EXPECT_FALSE(CopyFolder(P("proj/bruser.poi"), P(target)));
    EXPECT_FALSE(DeleteFolder(P(target)));
  }
  EXPECT_FALSE(fs::exists(m_dir.File("t")));
}

TEST_F(FolderHelpersTest, DeleteMovesTheCurrentDirectoryOnlyOutOfTheDeletedFolder) {
  ASSERT_TRUE(SetCurrentDirectoryW(P("elsewhere/deeper")));
  EXPECT_TRUE(DeleteFolder(P("whole-missing")) == false);
  EXPECT_EQ(GetCurrentDirectoryPath(), P("elsewhere/deeper").Str());  // unrelated: left alone

  ASSERT_TRUE(SetCurrentDirectoryW(P("proj/sub")));
  EXPECT_TRUE(DeleteFolder(P("proj")));
  EXPECT_EQ(GetCurrentDirectoryPath(), CString::FromUtf8(m_dir.Path()).Str());
  EXPECT_FALSE(fs::exists(m_dir.File("proj")));
  EXPECT_FALSE(DeleteFolder(u""));
}

}  // namespace
