// The signed-in user in <userdata>/TransferDb/transferDbTool.db, table
// UserInfo, with the service's access token, and a cache of the last user.
//
// The file holds a credential and is readable by its owner alone. Every
// operation opens the file and closes it again under the object's lock,
// which also guards the cache; the track-map table shares the file through
// its own connection, and each waits up to 5 s for the other's lock.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "platform/classlib/CString.h"
#include "webclient/ApiUserStore.h"

// The user store of the web-service client (webclient/ApiClient.h).
class UserInfoDb : public ApiUserStore {
 public:
  UserInfoDb() = default;
  UserInfoDb(const UserInfoDb&) = delete;
  UserInfoDb& operator=(const UserInfoDb&) = delete;

  // Makes <userdata>/TransferDb when missing and the file with its table (an
  // existing table is kept). Must run before any other operation.
  bool Create(const std::u16string& userData);
  const std::u16string& Path() const { return m_path; }

  // The last saved user: read from the file while the cache holds nobody,
  // else the cache. Nobody stored gives uid 0 and empty texts. A stored token
  // that holds U+0000 reads as empty, as no token stored.
  void GetLastUser(UserInfoRecord& out) override;
  // Caches the record and stores it (a row per uid) with the UTC time of the
  // save, "%Y/%m/%d %H:%M:%S", which orders the users; of the users saved
  // within one second, the one saved last is the last user.
  bool Save(const UserInfoRecord& record) override;

 private:
  std::mutex m_mutex;
  UserInfoRecord m_cache;
  std::u16string m_path;
};
