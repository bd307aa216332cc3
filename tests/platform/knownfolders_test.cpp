#include "platform/win32/knownfolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/win32/utf.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

TEST(KnownFolders, DocumentsFollowUserDirsElseHomeDocuments) {
  TempDir dir;
  ScopedEnv home("HOME", dir.Path().c_str());
  ScopedEnv config("XDG_CONFIG_HOME", dir.File("conf").c_str());
  ScopedEnv docsEnv("XDG_DOCUMENTS_DIR", "");
  std::filesystem::create_directory(dir.File("conf"));
  using namespace std::string_view_literals;
  const struct {
    std::string_view userDirs;  // none: no user-dirs.dirs
    std::string expected;
  } cases[] = {
      {{}, dir.File("Documents")},
      {"# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", dir.File("Dokumente")},
      {"XDG_DESKTOP_DIR=\"$HOME/Desk\"\n  XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n", "/srv/docs"},
      {"XDG_DOCUMENTS_DIR=\"relative/docs\"\n", dir.File("Documents")},
      {"XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"\n", dir.File("Documents")},
      {"XDG_DOCUMENTS_DIR=\"/srv/a\"\nXDG_DOCUMENTS_DIR=\"/srv/b\0c\"\n"sv, "/srv/a"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(dir.File("conf/user-dirs.dirs"));
    if (c.userDirs.data()) WriteBytes(dir.File("conf/user-dirs.dirs"), c.userDirs);
    EXPECT_EQ(Utf16ToUtf8(GetDocumentsFolderPath()), c.expected) << (c.userDirs.data() ? c.userDirs : "none");
  }
  EXPECT_EQ(Utf16ToUtf8(GetSettingsFolderPath()), dir.File("conf"));
  ScopedEnv noConfig("XDG_CONFIG_HOME", "");
  EXPECT_EQ(Utf16ToUtf8(GetSettingsFolderPath()), dir.File(".config"));
}

}  // namespace
