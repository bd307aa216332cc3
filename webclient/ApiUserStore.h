// What the web-service client needs from the program: the signed-in user as
// the client reads and writes it, the store that keeps it between calls (the
// program's user table), and the host that the program registers with the
// client at start-up (SetApiHost): one object that gives both the store and
// the workspace the program runs on.
#pragma once

#include <cstdint>
#include <string>

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

class ApiHost {
 public:
  virtual ~ApiHost() = default;
  // The store of the signed-in user; null when there is none.
  virtual ApiUserStore* UserStore() = 0;
  // The workspace the program runs on: its TransferDb folder holds the files
  // an upload posts. Empty when there is none.
  virtual std::u16string Workspace() = 0;
};
