// The main window's worker jobs. Each reports only through the window's
// atomic fields, which its timers poll.
#include "appcore/DragTypes.h"
#include "appcore/SelfUpdate.h"
#include "appcore/SessionScan.h"
#include "appcore/TrackMapRefresh.h"
#include "platform/win32/threads.h"
#include "sport/ProjectDbMgr.h"
#include "sport/SportProjMgr.h"
#include "uploader/CtessilarDlg.h"
#include "uploader/WorkspaceFaults.h"

void CtessilarDlg::CheckUpdateThread(std::stop_token stop) {
  if (CheckSelfUpdate(m_userData) == UpdateCheck::kInstallerReady && !stop.stop_requested()) m_bSelfUpgradeReady = true;
  // After the outcome, so that timer 4 reading this first sees the outcome too.
  m_bUpdateCheckEnded = true;
}

bool CtessilarDlg::StartTrackMapRetrieval() {
  m_nTrackMapState = kTrackMapsRetrieving;
  return m_workers.Start([this](std::stop_token stop) { RetrieveTrackListThread(stop); });
}

// A failed refresh leaves the state "retrieving".
void CtessilarDlg::RetrieveTrackListThread(std::stop_token stop) {
  TrackMapRefresh refresh({m_pTrackMapDb}, {m_nTrackMapState, m_nTrackMapCount});
  refresh.Run(stop);
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
  // read; the window goes on with the stored session list meanwhile, and
  // Setting can choose another workspace.
  ProjectDbMgr::GetInstance()->SetOpenFailureReport(
      [window = m_hReportWindow](ProjectFault fault, const CString& file) {
        ReportToUser(window, ProjectFaultText(fault, file));
      });
  manager->OpenWorkspace(m_strWorkspace.GetString());
  // Both hooks speak of this window and its stop: they go with the open.
  manager->SetLockPause(nullptr);
  ProjectDbMgr::GetInstance()->SetOpenFailureReport(nullptr);
  const WorkspaceFault fault = manager->GetWorkspaceFault();
  if (!fault.folder.IsEmpty() && !stop.stop_requested()) ReportToUser(m_hReportWindow, WorkspaceFaultText(fault));
  if (!stop.stop_requested()) m_nDbState = kDbWorkspaceOpen;
}

void CtessilarDlg::LoadDragRacingTypesThread(std::stop_token /*stop*/) {
  LoadDragRacingTypes(*CSportProjMgr::GetInstance());
}

void CtessilarDlg::ScanSessions() {
  const SessionCounts counts = CountSessions(*CSportProjMgr::GetInstance());
  for (int32_t type = 0; type < kRaceTypeCount; ++type) m_nRaceTotal[type] = counts.byType[type];
  m_nSessionTotal = counts.total;
  m_workers.Start([this](std::stop_token stop) { BuildSessionRowsThread(stop); });
}

void CtessilarDlg::BuildSessionRowsThread(std::stop_token stop) {
  SessionRowScan scan({CSportProjMgr::GetInstance(), m_pSessionListDb}, {m_nDbState, m_nItemDone});
  scan.Run(m_nSessionTotal, stop);
}
