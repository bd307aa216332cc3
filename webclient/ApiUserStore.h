// The signed-in user as the web-service client reads and writes it, and the
// store that keeps it between calls (the program's user table). The program
// registers its store with the client at start-up (SetApiUserStore).
#pragma once

#include <cstdint>

#include "platform/classlib/CString.h"

struct UserInfoRecord {
  int32_t uid = 0;  // the service's user id; 0 = nobody
  int32_t gender = 0;
  CString token;  // access token
  CString email;
  CString name;
  CString country;
  CString language;
};

class ApiUserStore {
 public:
  virtual ~ApiUserStore() = default;
  // The last saved user; nobody stored gives uid 0 and empty texts.
  virtual void GetLastUser(UserInfoRecord& out) = 0;
  // Keeps the record as the last user; false when it could not be stored.
  virtual bool Save(const UserInfoRecord& record) = 0;
};
