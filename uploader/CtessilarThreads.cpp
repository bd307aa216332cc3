// The main window's worker jobs. Each reports only through the window's
// atomic fields, which its timers poll.
#include <new>
#include <vector>

#include "platform/win32/threads.h"
#include "sport/ProjectDbMgr.h"
#include "sport/SportProjMgr.h"
#include "uploader/CtessilarDlg.h"
#include "uploader/DragTypes.h"
#include "uploader/SelfUpdate.h"
#include "uploader/TrackMapDb.h"
#include "uploader/WorkspaceFaults.h"
#include "webclient/ApiClient.h"

namespace {

// More track maps than any account holds: an announced count beyond it is
// taken for a broken reply, not allocated.
constexpr int32_t kMostTrackMaps = 100000;

}  // namespace

void CtessilarDlg::CheckUpdateThread(std::stop_token stop) {
  if (CheckSelfUpdate() == 1 && !stop.stop_requested()) m_bSelfUpgradeReady = true;
  // After the outcome, so that timer 4 reading this first sees the outcome too.
  m_bUpdateCheckEnded = true;
}

bool CtessilarDlg::StartTrackMapRetrieval() {
  m_nTrackMapState = 1;
  return m_workers.Start([this](std::stop_token stop) { RetrieveTrackListThread(stop); });
}

void CtessilarDlg::RetrieveTrackListThread(std::stop_token stop) {
  const int32_t count = ApiGetTrackCount();
  m_nTrackMapCount = count;
  TrackMapDb* trackMaps = m_pTrackMapDb;
  // Without the table, or with a count that cannot be true, the state stays
  // "retrieving", as after any failure of this job.
  if (trackMaps == nullptr || count < 0 || count > kMostTrackMaps) return;
  std::vector<TrackListItem> items;
  try {
    items.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return;
  }
  if (stop.stop_requested()) return;
  // Only the items the reply filled are merged: the rest are empty records.
  const int32_t filled = count > 0 ? ApiGetTrackList(items.data(), count) : 0;
  if (stop.stop_requested()) return;
  trackMaps->Update(items.data(), filled);
  m_nTrackMapState = 2;
}

void CtessilarDlg::LocateWorkspaceThread(std::stop_token stop) {
  CSportProjMgr* manager = CSportProjMgr::GetInstance();
  // While another copy of the program holds the workspace, the open waits at
  // its lock; a stop at exit ends that wait.
  manager->SetLockPause([stop]() {
    for (int i = 0; i < 10 && !stop.stop_requested(); ++i) Sleep(100);
    return !stop.stop_requested();
  });
  // The user is told at once, in plain words, why the sessions cannot be
  // read; the window goes on with the stored session list, and Setting can
  // choose another workspace.
  ProjectDbMgr::GetInstance()->SetOpenFailureReport(
      [](ProjectFault fault, const CString& file) { ShowWorkspaceFault(ProjectFaultText(fault, file)); });
  manager->OpenWorkspace(m_strWorkspace.GetString());
  const WorkspaceFault fault = manager->GetWorkspaceFault();
  if (!fault.folder.IsEmpty() && !stop.stop_requested()) ShowWorkspaceFault(WorkspaceFaultText(fault));
  if (!stop.stop_requested()) m_nDbState = 1;
}

void CtessilarDlg::LoadDragRacingTypesThread(std::stop_token /*stop*/) {
  LoadDragRacingTypes(*CSportProjMgr::GetInstance());
}
