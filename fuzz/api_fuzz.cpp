// The web-service client's handling of replies: the stand-in service runs in
// this process on 127.0.0.1 and answers the next call with the input's bytes
// (HTTP status 200); the first byte picks the call (login, account info,
// track count, track list, upload). Whatever the reply, the calls keep to
// their stated results and the stored user stays a whole record.
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "fuzz/fuzz_file.h"
#include "platform/win32/utf.h"
#include "tests/common/api_host.h"
#include "tools/standin-service/StandinService.h"
#include "webclient/ApiClient.h"
#include "webclient/SessionSummary.h"
#include "webclient/TrackListItem.h"
#include "webclient/deploy.h"

namespace {

// The stored user, in memory; every call but the login needs a token.
class MemoryUserStore : public ApiUserStore {
 public:
  void GetLastUser(UserInfoRecord& out) override {
    std::lock_guard<std::mutex> lock(m_lock);
    out = m_user;
  }
  bool Save(const UserInfoRecord& record) override {
    std::lock_guard<std::mutex> lock(m_lock);
    m_user = record;
    return true;
  }
  void Reset() { Save(Start()); }

 private:
  static UserInfoRecord Start() {
    UserInfoRecord u;
    u.uid = 41;
    u.token = CString(u"token41");
    u.email = CString(u"rider@pelmora.test");
    return u;
  }
  std::mutex m_lock;
  UserInfoRecord m_user = Start();
};

std::string g_folder;
std::u16string Workspace() { return Utf8ToUtf16(g_folder + "/workspace"); }

struct Service {
  Service() {
    g_folder = FuzzTempFolder() + "/pm_fuzz_api_" + std::to_string(getpid());
    std::filesystem::create_directories(g_folder + "/workspace/TransferDb");
    for (const char* name : {"/sess_7.db", "/sana_7.db"}) {
      FILE* f = std::fopen((g_folder + "/workspace/TransferDb" + name).c_str(), "wb");
      if (!f || std::fputs("db", f) < 0 || std::fclose(f) != 0) std::abort();
    }
    StandinOptions options;
    options.dataDir = g_folder + "/service";
    service = std::make_unique<StandinService>(options);
    if (!service->Start()) std::abort();
    DeployValues values = BuiltInDeployValues();
    values.serviceBase = service->BaseUrl();
    if (!SetDeployValuesForTest(values)) std::abort();
    host.SetWorkspace(Workspace());
  }
  ~Service() {
    service.reset();
    std::error_code ec;
    std::filesystem::remove_all(g_folder, ec);
  }
  MemoryUserStore users;
  std::unique_ptr<StandinService> service;
  TestApiHost host{&users};
};

void Answer(StandinService& service, const char* page, const uint8_t* data, size_t size) {
  StandinFaultSpec f;
  f.path = std::string("/API/") + page;
  f.kind = StandinFault::Raw;
  f.status = 200;
  f.body.assign(reinterpret_cast<const char*>(data), size);
  f.times = 1;
  service.ClearFaults();
  service.AddFault(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static Service s;
  s.users.Reset();
  // The stand-in logs every request it serves; over millions of runs that
  // log alone would fill the memory limit.
  s.service->ClearRequests();
  const int call = data[0] % 5;
  ++data;
  --size;

  switch (call) {
    case 0: {
      Answer(*s.service, "login.php", data, size);
      std::atomic<int32_t> state{kLoginNone};
      const bool ok = ApiLogin(state, CString(u"rider@pelmora.test"), CString(u"pw"));
      UserInfoRecord u;
      s.users.GetLastUser(u);
      if (ok != (state.load() != kLoginNone)) std::abort();
      if (ok && (u.uid <= 0 || u.token.IsEmpty())) std::abort();
      break;
    }
    case 1:
      Answer(*s.service, "Info.php", data, size);
      (void)ApiGetInfo();
      break;
    case 2:
      Answer(*s.service, "TrackList.php", data, size);
      if (ApiGetTrackCount() < 0) std::abort();
      break;
    case 3: {
      Answer(*s.service, "TrackList.php", data, size);
      TrackListItem items[5];
      items[4].mapId = -7;
      const int32_t n = ApiGetTrackList(items, 4);
      if (n < 0 || n > 4 || items[4].mapId != -7) std::abort();
      for (int32_t i = 0; i < n; ++i) {
        if (items[i].mapId <= 0) std::abort();
      }
      break;
    }
    default: {
      Answer(*s.service, "UploadSession.php", data, size);
      SessionSummary session;
      session.id = 7;
      session.mapId = 12;
      session.startTime = 1700000000;
      session.mName = CString(u"Fuji");
      int32_t code = -1;
      (void)ApiUploadSession(session, code);
      break;
    }
  }
  return 0;
}
