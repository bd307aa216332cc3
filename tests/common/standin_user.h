// A fixture on the stand-in web service whose client keeps its user in the
// test's own user database: made in the per-user data folder of the test's
// temporary folder, registered as the client's user store and logged out at
// the start; unregistered at the end. Link uploader_lib and standin_service.
#pragma once

#include <filesystem>
#include <string>

#include "tests/common/standin.h"
#include "uploader/UserInfoDb.h"
#include "webclient/ApiClient.h"

class StandinUserTest : public StandinClientTest {
 protected:
  // A derived SetUp calls this first and stops when HasFatalFailure().
  void SetUp() override {
    StandinClientTest::SetUp();
    if (HasFatalFailure()) return;
    std::filesystem::create_directories(m_dir.File("Documents/Pelmora"));
    ASSERT_TRUE(m_users.Create(m_userData));
    SetApiUserStore(&m_users);
    GetLoginState() = kLoginNone;
  }
  void TearDown() override {
    SetApiUserStore(nullptr);
    StandinClientTest::TearDown();
  }

  std::u16string m_userData = m_dir.WFile("Documents/Pelmora");
  UserInfoDb m_users;
};
