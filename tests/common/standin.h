// A test fixture with the stand-in web service running on 127.0.0.1 for each
// test, its store and static files in the test's temporary folder. Tests that
// link it depend on the standin_service library.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/common/env.h"
#include "tests/common/temp_dir.h"
#include "tools/standin-service/StandinService.h"
#include "webclient/ApiClient.h"
#include "webclient/deploy.h"

// A fault for the next request to `path` (empty: any request): its kind, the
// status it answers with and the body of a raw reply.
inline StandinFaultSpec OneFault(StandinFault kind, const std::string& path = {}, int status = 500,
                                 const std::string& body = {}) {
  StandinFaultSpec f;
  f.path = path;
  f.kind = kind;
  f.status = status;
  f.body = body;
  f.times = 1;
  return f;
}

class StandinServiceTest : public ::testing::Test {
 protected:
  // A derived SetUp calls this first and stops when HasFatalFailure().
  void SetUp() override {
    StandinOptions options;
    options.dataDir = m_dir.File("service");
    m_service = std::make_unique<StandinService>(options);
    ASSERT_TRUE(m_service->Start());
  }
  void TearDown() override { m_service.reset(); }

  TempDir m_dir;
  std::unique_ptr<StandinService> m_service;
};

// The same with the web-service client's calls and the update check going to
// the stand-in. Tests that use it also link webclient.
class StandinClientTest : public StandinServiceTest {
 protected:
  void SetUp() override {
    StandinServiceTest::SetUp();
    if (HasFatalFailure()) return;
    DeployValues values = BuiltInDeployValues();
    values.serviceBase = m_service->BaseUrl();
    values.updateBase = m_service->UpdateStoreUrl();
    ASSERT_TRUE(SetDeployValuesForTest(values));
  }
  void TearDown() override {
    ResetDeployValues();
    StandinServiceTest::TearDown();
  }
};

// The program against the stand-in in a temporary home: its settings, its
// documents and the client's hooks stay the test's own.
class StandinProgramTest : public StandinClientTest {
 protected:
  void TearDown() override {
    SetApiHost(nullptr);
    StandinClientTest::TearDown();
  }

  ScopedEnv m_home{"HOME", m_dir.Path().c_str()};
  ScopedEnv m_config{"XDG_CONFIG_HOME", m_dir.File("config").c_str()};
  ScopedEnv m_runtime{"XDG_RUNTIME_DIR", m_dir.File("config").c_str()};
  ScopedEnv m_docs{"XDG_DOCUMENTS_DIR", m_dir.File("Documents").c_str()};
};
