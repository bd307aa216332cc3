// The program's context: its databases lie under the folders it settles, and
// each one that cannot be made is told, not dropped.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "appcore/AppContext.h"
#include "appcore/RegistrySettings.h"
#include "platform/win32/utf.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

TEST(AppContext, TheDatabasesLieUnderTheSettledFoldersAndEachFailedOneIsTold) {
  TempDir dir;
  ScopedUserFolders folders(dir.Path());
  std::filesystem::create_directories(dir.File("ws"));
  SetWorkspaceLocation(CString::FromUtf8(dir.File("ws")));
  std::vector<std::string> failed;
  const auto tell = [&](const std::u16string& path) { failed.push_back(Utf16ToUtf8(path)); };

  AppContext context;
  EXPECT_TRUE(context.Create(tell));
  EXPECT_TRUE(failed.empty());
  EXPECT_EQ(Utf16ToUtf8(context.Workspace()), dir.File("ws"));
  EXPECT_EQ(Utf16ToUtf8(context.UserData()), dir.File("Documents/Pelmora"));
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("ws/TransferDb/SessionList.db")));
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("Documents/Pelmora/TransferDb/transferDbTool.db")));

  // A stored workspace that is gone is not made anew: only the session list
  // cannot be made.
  SetWorkspaceLocation(CString::FromUtf8(dir.File("gone")));
  AppContext gone;
  EXPECT_FALSE(gone.Create(tell));
  EXPECT_EQ(failed, (std::vector<std::string>{dir.File("gone/TransferDb/SessionList.db")}));
  EXPECT_FALSE(std::filesystem::exists(dir.File("gone")));

  // A file where the per-user folder should be: the user and track-map
  // tables cannot be made, the session list still is.
  TempDir other;
  ScopedUserFolders otherFolders(other.Path());
  WriteBytes(other.File("Documents"), "a file");
  std::filesystem::create_directories(other.File("ws"));
  SetWorkspaceLocation(CString::FromUtf8(other.File("ws")));
  AppContext broken;
  failed.clear();
  EXPECT_FALSE(broken.Create(tell));
  const std::string tool = other.File("Documents/Pelmora/TransferDb/transferDbTool.db");
  EXPECT_EQ(failed, (std::vector<std::string>{tool, tool}));
  EXPECT_TRUE(std::filesystem::is_regular_file(other.File("ws/TransferDb/SessionList.db")));
}

}  // namespace
