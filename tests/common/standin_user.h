// A fixture on the stand-in web service whose client keeps its user in the
// test's own user database: made in the per-user data folder of the test's
// temporary folder, registered as the store of the client's host (m_host,
// without a workspace until the test gives one) and logged out at the start;
// unregistered at the end. Link appcore and standin_service.
#pragma once

#include <filesystem>
#include <string>

#include "appcore/UserInfoDb.h"
#include "tests/common/api_host.h"
#include "tests/common/standin.h"
#include "webclient/ApiClient.h"

class StandinUserTest : public StandinClientTest {
 protected:
  // A derived SetUp calls this first and stops when HasFatalFailure().
  void SetUp() override {
    StandinClientTest::SetUp();
    if (HasFatalFailure()) return;
    std::filesystem::create_directories(m_dir.File("Documents/Pelmora"));
    ASSERT_TRUE(m_users.Create(m_userData));
    GetLoginState() = kLoginNone;
  }

  std::u16string m_userData = m_dir.WFile("Documents/Pelmora");
  UserInfoDb m_users;
  TestApiHost m_host{&m_users};
};
