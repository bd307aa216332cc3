// A start of the program up to a filled session list, without a window: the
// program's context is made on the stored workspace, the workspace is opened
// and loaded, the drag types arrive as the drag-type thread gives them, the
// main window's scan counts the sessions and its row thread builds every
// session's record (statistics and laps included) and writes SessionList.db,
// and the list is read back as the window reads it (counts per category,
// listable sessions, the circuit sessions it shows first). Each run starts
// from a workspace that was never scanned (no
// SessionList.db); the workspace is closed after the clock stops.
//
// Generated workspaces of 250, 2,000 and 20,000 sessions, kept in the build
// folder (sizes may be given as arguments), each size in a process of its
// own. The reference, in the same run: the same rows read with plain SQLite
// (the project database's values, each point database's waypoints with their
// GPS logs, the sums of the statistics in one pass, and the session list's
// rows). Prints the time per session at each size, ours/reference (goal: at
// most 2.5), the peak resident memory (goal: at most 400 MB at 20,000, and
// at most 15 KB more per session from 2,000 to 20,000), and the ratio
// largest/smallest (goal: at most 1.3).
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "appcore/AppContext.h"
#include "appcore/RegistrySettings.h"
#include "appcore/SessionListDb.h"
#include "bench/common/WorkspaceFloor.h"
#include "platform/win32/utf.h"
#include "sport/SportProjMgr.h"
#include "uploader/CtessilarDlg.h"

namespace {

constexpr int kRepeats = 5;

struct Workspace {
  std::string root;  // the workspace folder
  std::string List() const { return root + "/TransferDb/SessionList.db"; }
};

// The main window's scan and row thread, reached without creating the window.
class StartupDlg : public CtessilarDlg {
 public:
  using CtessilarDlg::CtessilarDlg;
  using CtessilarDlg::ScanSessions;
};

// The reads of the window's list refresh: every category's count, the
// listable ones of the circuit kinds, and the circuit sessions shown first.
int32_t ReadList(SessionListDb& list) {
  int32_t listable = 0;
  for (int32_t type = 0; type < kRaceTypeCount; ++type) {
    list.CountByRaceType(type);
    if (IsCircuitRace(type)) listable += list.CountTracksWithFolder(type);
  }
  std::vector<SessionSummary> rows(static_cast<size_t>(listable));
  return listable > 0 ? list.GetCircuitSessions(rows.data(), listable) : 0;
}

double Ours(const Workspace& ws, int sessions) {
  std::filesystem::remove(ws.List());
  const double t0 = BenchNow();
  CSportProjMgr* mgr = CSportProjMgr::GetInstance();
  if (mgr->OpenWorkspace(Utf8ToUtf16(ws.root).c_str()) != kWorkspaceOk) std::abort();
  // The drag types of the settings: the sample drag sessions run 100 m.
  mgr->AddDragType(0, 0.0f, 100.0f, 0);
  mgr->DragTypesLoaded();
  AppContext context;
  if (!context.Create(LogCreateFailure)) std::abort();
  SessionListDb& list = context.SessionList();
  StartupDlg dlg(context);
  dlg.m_pSessionListDb = &list;
  dlg.m_nDbState = 2;
  dlg.ScanSessions();
  while (dlg.m_nDbState.load() != 3) std::this_thread::sleep_for(std::chrono::microseconds(200));
  const int32_t shown = ReadList(list);
  const double elapsed = BenchNow() - t0;
  // Circuit kinds are four of the seven race types the sample cycles through.
  if (dlg.m_nItemDone.load() != sessions || shown < sessions / 2) std::abort();
  dlg.StopWorkers();
  mgr->CloseWorkspace();
  return elapsed;
}

double Floor(const Workspace& ws) {
  const double t0 = BenchNow();
  ReadWorkspaceFloor(ws.root);
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(ws.List().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) std::abort();
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT * FROM SessList ORDER BY startTime DESC;", -1, &st, nullptr) != SQLITE_OK)
    std::abort();
  long long rows = 0, bytes = 0;
  while (sqlite3_step(st) == SQLITE_ROW) {
    ++rows;
    for (int c = 0; c < sqlite3_column_count(st); ++c) bytes += sqlite3_column_bytes(st, c);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  const double elapsed = BenchNow() - t0;
  if (rows == 0 || bytes == 0) std::abort();
  return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  return RunSizesApart(argc, argv, {250, 2000, 20000}, "reference", [](int size) {
    const std::string home = MakeBenchHome("bench_startup");
    if (home.empty()) std::abort();
    const BenchWorkspace generated = GeneratedWorkspace(size);
    const Workspace ws{generated.root};
    // The program's settings and documents: the generated workspace is the
    // stored one, the generated documents the user's.
    setenv("XDG_DOCUMENTS_DIR", generated.documents.c_str(), 1);
    SetWorkspaceLocation(CString::FromUtf8(ws.root));
    // The largest size runs fewer times: each of its runs takes half a minute.
    const auto [ours, floor] = BestOfEach(
        size >= 10000 ? 3 : kRepeats, [&] { return Ours(ws, size) * 1000.0 / size; },
        [&] { return Floor(ws) * 1000.0 / size; });
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return SizeFigures{ours, floor};
  });
}
