// The login to the web service's account, without any window: the login
// request with the typed e-mail address and password, then the request for
// the account's profile, whose failure means an account that is not
// activated yet (webclient/ApiClient.h). A job shaped like the session scan
// and the upload (its sources, the shared field it reports through, a stop)
// that the window's workers run; the login dialog shows its outcome.
#pragma once

#include <atomic>
#include <cstdint>
#include <stop_token>

#include "platform/classlib/CString.h"

enum class LoginOutcome {
  kLoggedIn,       // both requests succeeded: the user and the profile are stored
  kRefused,        // the service refused the login (or could not be reached)
  kNoAccountInfo,  // logged in, but the account's profile could not be had
  kStopped,        // a stop ended the job before its next request; the state is what the last one left
};

// What the login sends.
struct LoginCredentials {
  CString email;
  CString password;
};

// The shared field the login writes; it is read by other threads.
struct LoginProgress {
  std::atomic<int32_t>& loginState;  // the client's login state (kLogin...)
};

class LoginJob {
 public:
  LoginJob(LoginCredentials credentials, LoginProgress progress);

  // The two requests, one after the other, each bounded by the client's
  // time limit. A stop is honoured before each request.
  LoginOutcome Run(std::stop_token stop = {});

 private:
  LoginCredentials m_credentials;
  LoginProgress m_progress;
};
