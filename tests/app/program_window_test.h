// The program's window against the stand-in service on a workspace the test
// writes: the user's folders in the test's temporary home, the program's
// application object whose context the window works on, logged out. Link
// standin_service.
#pragma once

#include <string>

#include "appcore/RegistrySettings.h"
#include "tests/common/env.h"
#include "tests/common/standin.h"
#include "uploader/CtessilarApp.h"
#include "webclient/ApiClient.h"

class ProgramWindowTest : public StandinClientTest {
 protected:
  // Stores `workspace` as the program's and starts logged out; from SetUp,
  // before the context is made (m_app.Context()).
  void UseWorkspace(const std::string& workspace) {
    SetWorkspaceLocation(CString::FromUtf8(workspace));
    GetLoginState() = kLoginNone;
  }

  ScopedUserFolders m_folders{m_dir.Path()};
  CtessilarApp m_app;
};
