#include "appcore/LoginJob.h"

#include <utility>

#include "webclient/ApiClient.h"

LoginJob::LoginJob(LoginCredentials credentials, LoginProgress progress)
    : m_credentials(std::move(credentials)), m_progress(progress) {}

LoginOutcome LoginJob::Run(std::stop_token stop) {
  if (stop.stop_requested()) return LoginOutcome::kStopped;
  if (!ApiLogin(m_progress.loginState, m_credentials.email, m_credentials.password)) return LoginOutcome::kRefused;
  if (stop.stop_requested()) return LoginOutcome::kStopped;
  return ApiGetInfo() ? LoginOutcome::kLoggedIn : LoginOutcome::kNoAccountInfo;
}
