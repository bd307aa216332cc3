// The restart onto a new workspace, where it cannot start the program.
#include "appcore/Restart.h"

#include <gtest/gtest.h>

#include "appcore/RegistrySettings.h"
#include "tests/common/env.h"
#include "tests/common/temp_dir.h"

namespace {

TEST(WorkspaceRestart, ANewWorkspaceIsStoredForTheNextStartEvenWhenTheRestartFails) {
  TempDir dir;
  ScopedUserFolders folders(dir.Path());
  ScopedEnv runtime("XDG_RUNTIME_DIR", dir.File("config").c_str());
  SetWorkspaceLocation(CString(u"/ws/pelmora"));
  EXPECT_FALSE(IsNewWorkspace(CString(u"/ws/pelmora")));
  EXPECT_TRUE(IsNewWorkspace(CString(u"/ws/Pelmora")));  // a case of its own is another folder
  EXPECT_EQ(RestartOnWorkspace(CString(u"/ws/Pelmora"), dir.WFile("missing program")), RestartResult::kNotStarted);
  EXPECT_EQ(GetWorkspaceLocation(), CString(u"/ws/Pelmora"));
}

}  // namespace
