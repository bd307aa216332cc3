// The Upload button and the upload thread of the main window.
#include "appcore/AppContext.h"
#include "appcore/SessionListDb.h"
#include "appcore/UploadPipeline.h"
#include "platform/classlib/ui/afxres.h"
#include "sport/SportProjMgr.h"
#include "uploader/CtessilarDlg.h"
#include "uploader/ProgramTitle.h"

void CtessilarDlg::OnClickedUpload() {
  SessionListDb* db = m_pSessionListDb;
  if (db == nullptr) return;
  m_btnUpload.EnableWindow(FALSE);
  m_btnSetting.EnableWindow(FALSE);
  auto giveUp = [this]() { OfferJobButtons(); };

  std::vector<int32_t> ids;
  for (int row = 0; row < m_listSession.GetItemCount(); ++row)
    if (m_listSession.GetCheck(row)) ids.push_back(static_cast<int32_t>(m_listSession.GetItemData(row)));
  m_bUploadAsked = true;
  const bool accepted =
      !ids.empty() && MessageBox(AfxLoadText(kStrTerms), kProgramTitle, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
  m_bUploadAsked = false;
  if (!accepted) {
    giveUp();
    return;
  }

  // A row deleted since the list was filled has no record: it is dropped,
  // and the total counts only the records kept.
  auto records = std::make_shared<std::vector<SessionSummary>>(CollectUploadRecords(*db, ids));
  if (records->empty()) {
    giveUp();
    return;
  }
  m_uploadRecords = records;
  m_pUploadItems = records->data();
  m_nItemTotal = static_cast<int32_t>(records->size());

  CString status;
  status.Format(AfxLoadText(kStrTransferring), 0, static_cast<int>(m_nItemTotal));
  m_stStatus.SetWindowText(status);
  m_stStatus.ShowWindow(SW_SHOW);
  m_progress.SetPos(0);
  m_progress.ShowWindow(SW_SHOW);

  // The timer's first tick reads these: they are reset before the thread
  // can write them.
  m_nItemDone = 0;
  m_dItemFraction = 0.0;
  m_nUploadOk = 0;
  m_nUploadFail = 0;
  m_nUploadDuplicate = 0;
  m_nCannotAnalyze = 0;
  m_nUploadState = kUploadTransferring;
  SetTimer(kTimerUpload, 100);
  if (!m_workers.Start([this, records](std::stop_token stop) { UploadThread(stop); })) {
    KillTimer(kTimerUpload);
    m_nUploadState = kUploadIdle;
    giveUp();
  }
}

void CtessilarDlg::UploadThread(std::stop_token stop) {
  UploadSources sources;
  sources.workspace = m_strWorkspace.Str();
  sources.userData = m_userData;
  sources.sessionList = m_pSessionListDb;
  sources.trackMaps = m_pTrackMapDb;
  sources.projects = CSportProjMgr::GetInstance();
  UploadPipeline pipeline(sources, UploadProgress{m_nUploadState, m_nItemDone, m_dItemFraction, m_nUploadOk,
                                                  m_nUploadFail, m_nUploadDuplicate, m_nCannotAnalyze});
  pipeline.Run(m_pUploadItems, m_nItemTotal, stop);
}
