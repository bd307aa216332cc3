#include <gtest/gtest.h>

#include <filesystem>

#include "appcore/RegistrySettings.h"
#include "appcore/SessionFileWriter.h"
#include "appcore/SessionListDb.h"
#include "appcore/TrackMapDb.h"
#include "appcore/UserInfoDb.h"
#include "platform/win32/utf.h"
#include "tests/common/env.h"
#include "tests/common/temp_dir.h"

namespace {

TEST(TransferFolders, WithoutFoldersTheObjectsUseTheSettingsWorkspaceAndDocumentsPelmora) {
  TempDir dir;
  ScopedEnv home("HOME", dir.File("home").c_str());  // no Documents folder yet
  ScopedEnv config("XDG_CONFIG_HOME", dir.File("config").c_str());
  std::filesystem::create_directories(dir.File("ws"));
  SetWorkspaceLocation(CString(dir.WFile("ws")));

  SessionListDb list;
  TrackMapDb maps;
  UserInfoDb users;
  SessionFileWriter writer;
  ASSERT_TRUE(list.Create() && maps.Create() && users.Create() && writer.Create(3, u"", SessionTrackInfo()));
  EXPECT_EQ(list.Path(), dir.WFile("ws/TransferDb/SessionList.db"));
  EXPECT_EQ(writer.SessPath(), dir.WFile("ws/TransferDb/sess_3.db"));
  EXPECT_EQ(maps.Path(), dir.WFile("home/Documents/Pelmora/TransferDb/transferDbTool.db"));
  EXPECT_EQ(users.Path(), maps.Path());

  SetWorkspaceLocation(CString(dir.WFile("gone")));
  EXPECT_FALSE(list.Create()) << "a workspace that is gone is not made anew";
  EXPECT_FALSE(std::filesystem::exists(dir.File("gone")));
}

}  // namespace
