// The main window's timers and the login from it. The workers report only
// through the window's atomic fields; the timers poll them every 100 ms and
// move the status text, the progress bar and the buttons, and open the
// login, result and software-update dialogs.
#include <algorithm>

#include "appcore/AppContext.h"
#include "appcore/UserInfoDb.h"
#include "sport/SportProjMgr.h"
#include "uploader/CtessilarDlg.h"
#include "uploader/DlgLogin.h"
#include "uploader/DlgResult.h"
#include "uploader/DlgSelfUpgrade.h"
#include "uploader/ProgramTitle.h"

namespace {

constexpr UINT kTickMs = 100;
constexpr UINT kHideStatusMs = 500;

CString Formatted(UINT id, int32_t a) {
  CString text;
  text.Format(AfxLoadText(id), a);
  return text;
}

CString Formatted(UINT id, int32_t a, int32_t b) {
  CString text;
  text.Format(AfxLoadText(id), a, b);
  return text;
}

// done of total as a whole percentage, truncated; 0 without a total.
int Percent(int32_t done, int32_t total) {
  if (total <= 0) return 0;
  return static_cast<int>(std::clamp<int64_t>(int64_t{done} * 100 / total, 0, 100));
}

// A share in percent, truncated toward zero, within 0..100 (NaN gives 0).
int Percent(double percent) {
  if (!(percent > 0.0)) return 0;
  if (percent >= 100.0) return 100;
  return static_cast<int>(percent);
}

}  // namespace

void CtessilarDlg::OnTimer(UINT_PTR id) {
  if (!StartupTick()) {
    switch (id) {
      case kTimerHideStatus:
        HideStatusTick();
        break;
      case kTimerPrepareDb:
        PrepareDbTick();
        break;
      case kTimerTrackMaps:
        TrackMapsTick();
        break;
      case kTimerUpload:
        UploadTick();
        break;
      case kTimerSelfUpgrade:
        SelfUpgradeTick();
        break;
      default:
        break;
    }
  }
  CDialog::OnTimer(id);
}

bool CtessilarDlg::StartupTick() {
  const int32_t left = m_nStartupCountdown.load();
  if (left < 0) return false;
  m_nStartupCountdown = left - 1;
  if (left - 1 != 0) return false;
  ShowWindow(SW_MAXIMIZE);
  // Opened from the queue rather than inside this tick, so that database
  // preparation goes on behind the login dialog. What the workers report
  // until it has opened is shown after it, over the login dialog.
  m_bStartupLoginDue = true;
  PostStep(&CtessilarDlg::OnClickedLogin);
  return true;
}

void CtessilarDlg::ReportToUser(HWND window, const CString& text) {
  AfxPostToUiThread([window, text]() {
    if (auto* dlg = dynamic_cast<CtessilarDlg*>(CWnd::FromHandlePermanent(window))) dlg->ShowReport(text);
  });
}

void CtessilarDlg::ShowReport(const CString& text) {
  m_pendingReports.push_back(text);
  // Until the first tick's login has opened, a report waits to show over it.
  if (m_nStartupCountdown.load() <= 0 && !m_bStartupLoginDue) ShowPendingReports();
}

void CtessilarDlg::ShowPendingReports() {
  while (!m_pendingReports.empty()) {
    const CString text = m_pendingReports.front();
    m_pendingReports.erase(m_pendingReports.begin());
    // Without an owner the box goes over the innermost open dialog.
    MessageBoxW(nullptr, text, kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
  }
}

void CtessilarDlg::PostStep(void (CtessilarDlg::*step)()) {
  const HWND window = m_hWnd;
  AfxPostToUiThread([window, step]() {
    if (auto* dlg = dynamic_cast<CtessilarDlg*>(CWnd::FromHandlePermanent(window))) (dlg->*step)();
  });
}

void CtessilarDlg::HideStatusTick() {
  KillTimer(kTimerHideStatus);
  m_stStatus.ShowWindow(SW_HIDE);
  m_progress.ShowWindow(SW_HIDE);
}

void CtessilarDlg::PrepareDbTick() {
  switch (m_nDbState.load()) {
    case kDbStart:
      // Setting follows the wait at the workspace lock.
      OfferJobButtons();
      break;
    case kDbWorkspaceOpen:
      m_nDbState = kDbScanning;
      OfferJobButtons();
      ScanSessions();
      ResetProgress();
      break;
    case kDbScanning: {
      const int32_t done = m_nItemDone, total = m_nSessionTotal;
      SetStatus(Formatted(kStrPreparing, done, total));
      SetProgress(Percent(done, total));
      break;
    }
    case kDbListReady:
      KillTimer(kTimerPrepareDb);
      SetProgress(100);
      SetTimer(kTimerHideStatus, kHideStatusMs);
      SetStatus(AfxLoadText(kStrDatabaseReady));
      RefreshSessionList();
      OfferJobButtons();
      // A category the user chose meanwhile is marked already.
      if (m_nCategory == 0) {
        m_stCircuit.SetSelected(TRUE);
        m_stCircuit.Invalidate();
      }
      break;
    default:
      break;
  }
}

void CtessilarDlg::TrackMapsTick() {
  // The track maps wait for the session list.
  if (m_nDbState.load() != kDbListReady) return;
  m_stStatus.ShowWindow(SW_SHOW);
  switch (m_nTrackMapState.load()) {
    case kTrackMapsRetrieving:
      m_trackMapCursor.Hold();
      SetStatus(Formatted(kStrRetrieving, m_nTrackMapCount));
      m_progress.ShowWindow(SW_HIDE);
      EnableJobButtons(FALSE);
      break;
    case kTrackMapsDone:
      KillTimer(kTimerTrackMaps);
      m_trackMapCursor.Release();
      SetStatus(AfxLoadText(kStrDatabaseReady));
      SetTimer(kTimerHideStatus, kHideStatusMs);
      OfferJobButtons();
      break;
    default:
      break;
  }
}

void CtessilarDlg::UploadTick() {
  // The state first: a phase's counts are reset before its state is stored.
  const int32_t state = m_nUploadState;
  const int32_t total = m_nItemTotal;
  const int32_t done = m_nItemDone;
  switch (state) {
    case kUploadTransferring: {
      m_uploadCursor.Hold();
      SetStatus(Formatted(kStrTransferring, done, total));
      const double fraction = m_dItemFraction;
      SetProgress(total > 0 ? Percent(((1.0 / total) * fraction + static_cast<double>(done) / total) * 100.0) : 0);
      break;
    }
    case kUploadUploading:
      m_uploadCursor.Hold();
      m_dItemFraction = 0.0;
      SetStatus(Formatted(kStrUploading, done, total));
      SetProgress(Percent(done, total));
      if (done == total) {
        m_nUploadState = kUploadDone;
        RefreshSessionList();
        SetTimer(kTimerHideStatus, kHideStatusMs);
      }
      break;
    case kUploadDone:
      KillTimer(kTimerUpload);
      m_uploadCursor.Release();
      SetStatus(AfxLoadText(kStrUploadComplete));
      OfferJobButtons();
      PostStep(&CtessilarDlg::ShowUploadResult);
      break;
    default:
      break;
  }
}

void CtessilarDlg::ShowUploadResult() {
  CDlgResult result(m_nUploadOk, m_nUploadFail, m_nCannotAnalyze);
  result.DoModal();
}

// The update check runs once, at start; this timer, armed with timer 1,
// watches it and ends with it. The check's outcome is read after its end, so
// an installer made ready just before the end is never missed.
void CtessilarDlg::SelfUpgradeTick() {
  const bool ended = m_bUpdateCheckEnded;
  if (m_bSelfUpgradeReady) {
    KillTimer(kTimerSelfUpgrade);
    PostStep(&CtessilarDlg::RunSelfUpgrade);
  } else if (ended) {
    KillTimer(kTimerSelfUpgrade);
  }
}

// The dialog starts the installer and quits the program, or closes when the
// installer cannot start and the program goes on.
void CtessilarDlg::RunSelfUpgrade() {
  CDlgSelfUpgrade upgrade(m_userData);
  upgrade.DoModal();
}

void CtessilarDlg::OnClickedLogin() {
  // The first tick's login, or a click that comes before it: the reports
  // held for it show from the queue, so over the login once its loop runs
  // (over the window when no login opens).
  if (m_bStartupLoginDue) {
    m_bStartupLoginDue = false;
    if (!m_pendingReports.empty()) PostStep(&CtessilarDlg::ShowPendingReports);
  }
  // One login dialog at a time: a click on the link just before the first
  // tick would otherwise meet the tick's own login.
  if (IsLoggedIn() || m_bLoginOpen) return;
  UserInfoDb* users = m_pContext != nullptr ? &m_pContext->Users() : nullptr;
  CDlgLogin login(users, m_workers, this);
  m_bLoginOpen = true;
  const INT_PTR result = login.DoModal();
  m_bLoginOpen = false;
  if (result == IDCANCEL || !IsLoggedIn()) return;
  UserInfoRecord user;
  if (users != nullptr) users->GetLastUser(user);
  m_stLogin.SetLinkStyle(kLinkPlain);
  LayoutLoginLink(m_stLogin, user.name);
  ApplyColours();
  SetTimer(kTimerTrackMaps, kTickMs);
  StartTrackMapRetrieval();
  // At once, not at timer 2's next tick: an upload started before the maps
  // are in would find none.
  OfferJobButtons();
}

void CtessilarDlg::ResetProgress() {
  m_progress.SetPos(0);
  m_progress.ShowWindow(SW_SHOW);
}

void CtessilarDlg::SetStatus(const CString& text) {
  CString shown;
  m_stStatus.GetWindowText(shown);
  if (shown != text) m_stStatus.SetWindowText(text);
}

void CtessilarDlg::SetProgress(int percent) { m_progress.SetPos(std::clamp(percent, 0, 100)); }

void CtessilarDlg::EnableJobButtons(BOOL enable) {
  m_btnUpload.EnableWindow(enable);
  m_btnSetting.EnableWindow(enable);
}

bool CtessilarDlg::JobsFree() const {
  const int32_t upload = m_nUploadState;
  const bool uploading = m_bUploadAsked || upload == kUploadTransferring || upload == kUploadUploading;
  return m_nDbState == kDbListReady && m_nTrackMapState != kTrackMapsRetrieving && !uploading;
}

// Setting is also offered while the workspace waits at another program's
// lock, to choose another workspace; from the moment the lock is taken until
// the list is ready it is not, since the list is being read and written.
void CtessilarDlg::OfferJobButtons() {
  const bool free = JobsFree();
  m_btnUpload.EnableWindow(free);
  m_btnSetting.EnableWindow(free || (m_nDbState == kDbStart && CSportProjMgr::GetInstance()->IsWaitingForLock()));
}
