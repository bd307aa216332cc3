// The program's window against the stand-in service on a workspace the test
// writes: the user's folders in the test's temporary home, the user store of
// the program, logged out. Link standin_service.
#pragma once

#include <string>

#include "appcore/RegistrySettings.h"
#include "appcore/UserInfoDb.h"
#include "tests/common/api_host.h"
#include "tests/common/env.h"
#include "tests/common/standin.h"
#include "uploader/CtessilarApp.h"
#include "webclient/ApiClient.h"

class ProgramWindowTest : public StandinClientTest {
 protected:
  // Stores `workspace` as the program's and starts logged out; from SetUp.
  void UseWorkspace(const std::string& workspace) {
    SetWorkspaceLocation(CString::FromUtf8(workspace));
    ASSERT_TRUE(m_users.Create());
    m_host.SetWorkspace(CString::FromUtf8(workspace).Str());
    GetLoginState() = kLoginNone;
  }

  ScopedUserFolders m_folders{m_dir.Path()};
  UserInfoDb m_users;
  TestApiHost m_host{&m_users};
  CtessilarApp m_app;
};
