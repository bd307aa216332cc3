// The login job against the stand-in service, on one of the window's
// workers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appcore/LoginJob.h"
#include "appcore/WorkerThreads.h"
#include "tests/common/standin_user.h"

namespace {

const StandinAccount kRider{"rider@example.org", "s3cret pass", "Rin Rider", 1, "JP", "ja", true};

class LoginJobTest : public StandinUserTest {
 protected:
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (const StandinRequest& r : m_service->Requests()) paths.push_back(r.path);
    return paths;
  }
};

TEST_F(LoginJobTest, LogsInThenReadsTheProfileAndTellsWhichStepFailed) {
  ASSERT_GT(m_service->AddAccount(kRider), 0);
  const std::vector<std::string> both = {"/API/login.php", "/API/Info.php"};
  const struct {
    const char* what;
    const char* password;
    bool infoFails;
    bool stopped;
    LoginOutcome outcome;
    int32_t state;
    std::vector<std::string> requests;
  } cases[] = {
      {"logged in", "s3cret pass", false, false, LoginOutcome::kLoggedIn, kLoginVerified, both},
      {"wrong password", "wrong", false, false, LoginOutcome::kRefused, kLoginNone, {"/API/login.php"}},
      {"no profile", "s3cret pass", true, false, LoginOutcome::kNoAccountInfo, kLoginVerified, both},
      {"stopped", "s3cret pass", false, true, LoginOutcome::kStopped, kLoginNone, {}},
  };
  for (const auto& c : cases) {
    GetLoginState() = kLoginNone;
    m_service->ClearRequests();
    m_service->ClearFaults();
    if (c.infoFails) m_service->AddFault(OneFault(StandinFault::Html, "/API/Info.php"));
    LoginOutcome outcome = LoginOutcome::kStopped;
    std::stop_source stop;
    if (c.stopped) stop.request_stop();
    {
      WorkerThreads workers;  // waits for the job at the end of the block
      ASSERT_TRUE(workers.Start([&](std::stop_token) {
        outcome =
            LoginJob({CString(kRider.email.c_str()), CString(c.password)}, {GetLoginState()}).Run(stop.get_token());
      }));
    }
    EXPECT_EQ(outcome, c.outcome) << c.what;
    EXPECT_EQ(GetLoginState().load(), c.state) << c.what;
    EXPECT_EQ(Paths(), c.requests) << c.what;
  }
  UserInfoRecord user;
  m_users.GetLastUser(user);
  EXPECT_EQ(user.name.Str(), u"Rin Rider");
}

}  // namespace
