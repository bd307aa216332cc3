// The program's own files and folders: where each lies, and the names from
// data that never become a path.
#include "datafiles/DataFiles.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/utf.h"
#include "tests/common/data_names.h"
#include "tests/common/env.h"
#include "tests/common/temp_dir.h"

namespace {

// Every path, as the files of earlier runs and of the logger program lie:
// a change here would lose them.
TEST(DataFiles, EachFileLiesWhereEarlierRunsKeptIt) {
  TempDir dir;
  ScopedUserFolders folders(dir.Path());
  const std::u16string data = UserDataFolder();
  EXPECT_EQ(Utf16ToUtf8(data), dir.File("Documents/Pelmora"));
  EXPECT_EQ(Utf16ToUtf8(DefaultWorkspaceFolder()), dir.File("Documents/Pelmora_Workspace"));

  const std::u16string ws = u"/ws";
  const struct {
    std::u16string path;
    const char16_t* expected;
  } cases[] = {
      {UserDataFolderIn(u"/docs/"), u"/docs/Pelmora"},
      {TransferDbToolPath(u"/data"), u"/data/TransferDb/transferDbTool.db"},
      {BeaconFilePath(u"/data", u"Fuji"), u"/data/TransferDb/bcnx/Fuji.bcnx"},
      {TrackMapNameFile(u"/data", u"Fuji"), u"/data/TrackMap/Fuji/Fuji.txt"},
      {UpdateDescriptionPath(u"/data"), u"/data/TransferDb/auto_update.txt"},
      {UpdateInstallerPath(u"/data"), u"/data/TransferDb/Pelmora_Uploader_installer.exe"},
      {SessionListPath(ws), u"/ws/TransferDb/SessionList.db"},
      {SessionFilePath(ws, SessionFile::kSess, 3), u"/ws/TransferDb/sess_3.db"},
      {SessionFilePath(ws, SessionFile::kSana, 3), u"/ws/TransferDb/sana_3.db"},
      {SessionListPath(u""), u""},  // no workspace, no path
  };
  for (const auto& c : cases) EXPECT_EQ(c.path, c.expected);
}

TEST(DataFiles, ANameFromDataStaysOneComponentOrIsRefused) {
  for (const DataNameCase& c : kDataNameCases) {
    EXPECT_EQ(BeaconFilePath(u"/data", c.name).empty(), !c.plain) << Utf16ToUtf8(c.name);
    EXPECT_EQ(TrackMapFolder(u"/data", c.name).empty(), !c.plain) << Utf16ToUtf8(c.name);
    EXPECT_EQ(TrackMapNameFile(u"/data", c.name).empty(), !c.plain) << Utf16ToUtf8(c.name);
  }
  EXPECT_EQ(TrackMapFolder(u"", u"Fuji"), u"") << "no folder, no path";
}

}  // namespace
