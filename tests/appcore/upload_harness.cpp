// The upload as a program of its own, for the tests that kill it or let it
// run out of disk: it opens the workspace, uploads every row of its session
// list the way the upload thread does (without pauses) and prints the result
// counters "ok fail duplicate cannot-analyse".
//   upload_harness <workspace> <user data> <service base> [<upload time limit, s> [<file limit, bytes>]]
// With a file limit, once the workspace is open no file may grow beyond that
// many bytes: writes beyond it fail as on a full disk.
// Exit 0 when the upload ran, 1 when the workspace or a database could not be
// opened, 2 on wrong arguments.
#include <signal.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "appcore/SessionListDb.h"
#include "appcore/TrackMapDb.h"
#include "appcore/UploadPipeline.h"
#include "appcore/UserInfoDb.h"
#include "platform/win32/utf.h"
#include "sport/SportProjMgr.h"
#include "tests/common/api_host.h"
#include "webclient/ApiClient.h"
#include "webclient/deploy.h"

int main(int argc, char** argv) {
  if (argc < 4 || argc > 6) return 2;
  const std::u16string workspace = Utf8ToUtf16(argv[1]), userData = Utf8ToUtf16(argv[2]);
  DeployValues values = BuiltInDeployValues();
  values.serviceBase = argv[3];
  if (!SetDeployValuesForTest(values)) return 2;
  if (argc >= 5) SetApiUploadTimeLimit(std::atol(argv[4]));

  UserInfoDb users;
  TrackMapDb trackMaps;
  SessionListDb sessions;
  if (!users.Create(userData) || !trackMaps.Create(userData) || !sessions.Create(workspace, userData)) return 1;
  TestApiHost host(&users, workspace);
  CSportProjMgr* projects = CSportProjMgr::GetInstance();
  if (projects->OpenWorkspace(workspace.c_str()) != kWorkspaceOk) return 1;
  if (argc == 6) {
    const rlim_t bytes = std::strtoull(argv[5], nullptr, 10);
    const rlimit limit{bytes, bytes};
    if (signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &limit) != 0) return 1;
  }

  std::vector<int32_t> ids;
  SessionSummary row;
  for (int32_t id = 1; sessions.GetById(id, row); ++id) ids.push_back(id);
  std::vector<SessionSummary> records = CollectUploadRecords(sessions, ids);
  std::atomic<int32_t> state{1}, done{0}, ok{0}, fail{0}, duplicate{0}, cannot{0};
  std::atomic<double> fraction{0.0};
  UploadPipeline pipeline({workspace, userData, &sessions, &trackMaps, projects},
                          {state, done, fraction, ok, fail, duplicate, cannot},
                          {std::chrono::milliseconds(0), std::chrono::milliseconds(0)});
  pipeline.Run(records.data(), static_cast<int32_t>(records.size()));
  projects->CloseWorkspace();
  std::printf("%d %d %d %d\n", ok.load(), fail.load(), duplicate.load(), cannot.load());
  return 0;
}
