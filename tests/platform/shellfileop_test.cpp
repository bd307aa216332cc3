#include "platform/win32/shellfileop.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/win32/curdir.h"
#include "platform/win32/utf.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// Every file below the folder with its contents, and every folder, by relative path.
std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> out;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::recursive_directory_iterator(); ++it) {
    const std::string rel = it->path().lexically_relative(root).string();
    out[rel] = it->is_symlink()     ? "->" + fs::read_symlink(it->path()).string()
               : it->is_directory() ? "/"
                                    : ReadBytes(it->path().string());
  }
  return out;
}

class ShellFileOpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(m_dir.File("src/sub"));
    WriteBytes(m_dir.File("src/a.bin"), "a");
    WriteBytes(m_dir.File("src/B.BIN"), "b");
    WriteBytes(m_dir.File("src/note.txt"), "n");
    WriteBytes(m_dir.File("src/sub/deep.bin"), "d");
    WriteBytes(m_dir.File("outside.txt"), "keep me");
    fs::create_symlink(m_dir.File("outside.txt"), m_dir.File("src/link"));
  }
  std::u16string W(const std::string& rel) const { return m_dir.WFile(rel); }

  TempDir m_dir;
};

TEST_F(ShellFileOpTest, AFolderIsCopiedWholeIntoNewParentsOrIntoAnExistingFolder) {
  WriteBytes(m_dir.File("old"), "");
  ASSERT_TRUE(SilentCopy(W("src"), W("new/parents/copy"), CopyScope::kFilesAndFolders));
  const auto source = Tree(m_dir.File("src"));
  EXPECT_EQ(Tree(m_dir.File("new/parents/copy")), source);

  WriteBytes(m_dir.File("src/a.bin"), "changed");
  ASSERT_TRUE(SilentCopy(W("src"), W("new/parents/copy"), CopyScope::kFilesAndFolders));
  EXPECT_EQ(ReadBytes(m_dir.File("new/parents/copy/src/a.bin")), "changed");  // into the existing folder
  EXPECT_EQ(Tree(m_dir.File("src")).size(), source.size());
}

TEST_F(ShellFileOpTest, AMaskCopiesItsMatchesAndFilesOnlyLeavesFoldersOut) {
  ASSERT_TRUE(SilentCopy(W("src/*.bin"), W("bins"), CopyScope::kFilesOnly));
  EXPECT_EQ(Tree(m_dir.File("bins")), (std::map<std::string, std::string>{{"B.BIN", "b"}, {"a.bin", "a"}}));
  ASSERT_TRUE(SilentCopy(W("src/note.txt"), W("bins/renamed.txt"), CopyScope::kFilesOnly));
  WriteBytes(m_dir.File("bins/a.bin"), "old");
  ASSERT_TRUE(SilentCopy(W("src/a.bin"), W("bins"), CopyScope::kFilesOnly));
  EXPECT_EQ(ReadBytes(m_dir.File("bins/a.bin")), "a");
  EXPECT_EQ(ReadBytes(m_dir.File("bins/renamed.txt")), "n");
  // A linked file is copied as the file it leads to: writing the copy (a
  // working copy of a database) leaves the source as it was.
  ASSERT_TRUE(SilentCopy(W("src/link"), W("bins/linked.txt"), CopyScope::kFilesOnly));
  EXPECT_FALSE(fs::is_symlink(m_dir.File("bins/linked.txt")));
  WriteBytes(m_dir.File("bins/linked.txt"), "written");
  EXPECT_EQ(ReadBytes(m_dir.File("outside.txt")), "keep me");
}

// A folder holding what cannot be copied (a pipe) fails half way: neither
// the half copy nor the folders made for it stay.
TEST_F(ShellFileOpTest, ACopyThatFailsLeavesNothingItMade) {
  ASSERT_EQ(mkfifo(m_dir.File("src/sub/pipe").c_str(), 0600), 0);
  fs::create_directories(m_dir.File("had"));
  EXPECT_FALSE(SilentCopy(W("src"), W("made/above/copy"), CopyScope::kFilesAndFolders));
  EXPECT_FALSE(SilentCopy(W("src"), W("had/copy"), CopyScope::kFilesAndFolders));
  EXPECT_FALSE(fs::exists(m_dir.File("made")));
  EXPECT_TRUE(fs::exists(m_dir.File("had")));
  EXPECT_FALSE(fs::exists(m_dir.File("had/copy")));
}

TEST_F(ShellFileOpTest, RefusedCopiesTouchNothing) {
  const struct {
    const char* what;
    std::u16string from, to;
    CopyScope scope;
  } cases[] = {
      {"empty target", W("src"), u"", CopyScope::kFilesAndFolders},
      {"relative target", W("src"), u"copy", CopyScope::kFilesAndFolders},
      {"root target", W("src"), u"/", CopyScope::kFilesAndFolders},
      {"empty source", u"", W("copy"), CopyScope::kFilesAndFolders},
      {"target inside the source", W("src"), W("src/sub/copy"), CopyScope::kFilesAndFolders},
      {"target inside after normalising", W("src"), W("x/../src/./y"), CopyScope::kFilesAndFolders},
      {"target is the source", W("src/sub"), W("src/sub/"), CopyScope::kFilesAndFolders},
      {"mask matching its target", W("src/*"), W("src/sub"), CopyScope::kFilesAndFolders},
      {"file onto itself", W("src/a.bin"), W("src/../src/a.bin"), CopyScope::kFilesOnly},
      {"missing source", W("nothing"), W("copy"), CopyScope::kFilesAndFolders},
      {"mask without matches", W("src/*.none"), W("copy"), CopyScope::kFilesAndFolders},
      {"folder with files only", W("src"), W("copy"), CopyScope::kFilesOnly},
  };
  const auto before = Tree(m_dir.Path());
  for (const auto& c : cases) {
    EXPECT_FALSE(SilentCopy(c.from, c.to, c.scope)) << c.what;
    EXPECT_EQ(Tree(m_dir.Path()), before) << c.what;
  }
}

TEST_F(ShellFileOpTest, DeleteRemovesFoldersAndMatchesButNeverFollowsLinksOrTakesBadPaths) {
  const struct {
    const char* what;
    std::u16string path;
  } refused[] = {
      {"empty", u""}, {"root", u"/"}, {"root by dots", u"/tmp/.."}, {"relative", u"src"}, {"missing", W("gone")},
  };
  const auto before = Tree(m_dir.Path());
  for (const auto& c : refused) {
    EXPECT_FALSE(SilentDelete(c.path)) << c.what;
    EXPECT_EQ(Tree(m_dir.Path()), before) << c.what;
  }
  ASSERT_TRUE(SilentDelete(W("src/*.BIN")));
  EXPECT_FALSE(fs::exists(m_dir.File("src/a.bin")));
  EXPECT_TRUE(fs::exists(m_dir.File("src/sub/deep.bin")));
  ASSERT_TRUE(SilentDelete(W("src/")));
  EXPECT_FALSE(fs::exists(m_dir.File("src")));
  EXPECT_EQ(ReadBytes(m_dir.File("outside.txt")), "keep me");
}

TEST_F(ShellFileOpTest, CurrentDirectoryIsSetAndReadBack) {
  const std::u16string old = GetCurrentDirectoryPath();
  ASSERT_TRUE(SetCurrentDirectoryW(W("src/sub").c_str()));
  EXPECT_EQ(GetCurrentDirectoryPath(), W("src/sub"));
  char16_t small[4];
  EXPECT_EQ(GetCurrentDirectoryW(4, small), W("src/sub").size() + 1);
  EXPECT_FALSE(SetCurrentDirectoryW(W("gone").c_str()));
  ASSERT_TRUE(SetCurrentDirectoryW(old.c_str()));
}

}  // namespace
