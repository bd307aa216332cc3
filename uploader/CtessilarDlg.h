// The main window (dialog 102): the category selectors, the session list, the
// Upload, Setting and web buttons, the status text and progress bar, the
// workspace path, the login link and the terms link; its layout on resizing,
// its colours and its key filter; and the fields it shares with its worker
// threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "appcore/JobStates.h"
#include "appcore/WorkerThreads.h"
#include "platform/classlib/ui/afxwin.h"
#include "res_ids/resource_ids.h"
#include "uploader/ListCtrlExtension.h"
#include "uploader/StaticExtension.h"
#include "webclient/SessionSummary.h"

class AppContext;
class SessionListDb;
class TrackMapDb;

class CtessilarDlg : public CDialog {
 public:
  enum { IDD = MainDlgIds::kIdd };
  static constexpr UINT kIdmAboutBox = 0x0010;
  // Circuit Racing, then one selector per race type.
  static constexpr int kCategories = 1 + kRaceTypeCount;
  // The window's timers. Each polls the fields its job's workers write.
  static constexpr UINT_PTR kTimerHideStatus = 0;   // hides the status and progress 500 ms after a job
  static constexpr UINT_PTR kTimerPrepareDb = 1;    // workspace, session scan, session list
  static constexpr UINT_PTR kTimerTrackMaps = 2;    // the track maps after a login
  static constexpr UINT_PTR kTimerUpload = 3;       // upload progress and result
  static constexpr UINT_PTR kTimerSelfUpgrade = 4;  // watches the update check

  // The window on the program's context (CtessilarApp::Context), which
  // outlives it.
  explicit CtessilarDlg(AppContext& context, CWnd* parent = nullptr);
  ~CtessilarDlg() override;

  LANGID GetLanguage() const { return m_nLanguage; }
  // Takes "DisplayLanguage" of the settings as the window's language when it
  // is one of the four, and makes it the UI language. True when the window's
  // language changed.
  bool AdoptStoredLanguage();
  // Window title, button and link texts in the current UI language, the login
  // link (while logged out) and the category captions.
  void UpdateTitle();
  // The list's eight columns; column 6 is the drag condition in a drag list,
  // else the track name.
  void InitListColumns(bool isDrag);
  // The eight captions "<indent><name> (<listable>/<total>)" from the counts.
  void UpdateCategoryCaptions();
  // Places every control for a client area of cx x cy, from the places the
  // controls had when the window was set up.
  void LayoutControls(int cx, int cy);
  // Gives the link `text`, sizes it to the text keeping its right edge, and
  // underlines it unless someone is logged in.
  void LayoutLoginLink(CStaticExtension& link, const CString& text);
  // Repaints every control in the colours OnCtlColor chooses; called when
  // hover, selection or login state changes.
  void ApplyColours();
  // Recounts every race type from the session list, renews the captions and
  // refills the list with the current category.
  void RefreshSessionList();
  // Fills the list with the listable sessions of one race type (a type
  // outside the circuit group cannot be uploaded: the list is emptied and a
  // message says so), or of the circuit group.
  void ShowCategory(int32_t raceType);
  void ShowCircuitCategory();
  // Rebuilds the columns and puts one row per record, record 0 on top.
  void FillSessionList(const SessionSummary* records, int32_t count, bool isDrag);
  // Clears the selected mark of every category selector.
  void ClearCategoryHighlight();
  // 0 Circuit Racing; i >= 1 shows race type i - 1.
  int32_t GetCategory() const { return m_nCategory; }
  // Starts the track-map thread after a successful login: the service's
  // track list is merged into the track-map table and the beacon files are
  // fetched; m_nTrackMapCount first, m_nTrackMapState kTrackMapsDone at the end.
  bool StartTrackMapRetrieval();
  // The progress bar at 0, shown.
  void ResetProgress();

  // Shows `text` in a message box of the main window `window` from any
  // thread and returns at once: a worker never waits for the user. The box
  // opens over whatever is open then; a text that comes before the first
  // tick has posted the login waits for it, so that the box opens over the
  // login dialog, not under it. Nothing when the window is gone.
  static void ReportToUser(HWND window, const CString& text);

  // Asks the worker threads to stop and waits for them within the bound;
  // false when some still run.
  bool StopWorkers(std::chrono::milliseconds bound = WorkerThreads::kDefaultBound);

  // Fields shared with the worker threads, in the order their jobs use them.
  // Every one is atomic: a worker writes, the UI thread polls.
  std::atomic<SessionListDb*> m_pSessionListDb{nullptr};
  std::atomic<TrackMapDb*> m_pTrackMapDb{nullptr};
  std::atomic<int32_t> m_nDbState{kDbStart};              // DbState
  std::atomic<int32_t> m_nTrackMapState{kTrackMapsIdle};  // TrackMapState
  std::atomic<int32_t> m_nUploadState{kUploadIdle};       // UploadState
  std::atomic<double> m_dItemFraction{0.0};               // share of the current session converted, 0.0 to 1.0
  std::atomic<int32_t> m_nItemTotal{0};                   // sessions chosen for upload
  std::atomic<SessionSummary*> m_pUploadItems{nullptr};   // m_nItemTotal records
  std::atomic<int32_t> m_nItemDone{0};                    // sessions done in the current job
  std::atomic<int32_t> m_nSessionTotal{0};                // sessions found in the workspace
  std::atomic<int32_t> m_nTrackMapCount{0};               // track maps announced by the service
  std::atomic<int32_t> m_nUploadOk{0};
  std::atomic<int32_t> m_nUploadFail{0};
  std::atomic<int32_t> m_nUploadDuplicate{0};
  std::atomic<int32_t> m_nCannotAnalyze{0};
  std::atomic<int32_t> m_nStartupCountdown{1};
  // Set by the update check once a newer installer is downloaded and
  // verified: the self-upgrade timer's cue.
  std::atomic<bool> m_bSelfUpgradeReady{false};
  // Set when the update check has ended, after m_bSelfUpgradeReady.
  std::atomic<bool> m_bUpdateCheckEnded{false};

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnInitDialog() override;

  afx_msg void OnSysCommand(UINT id, LPARAM param);
  afx_msg void OnSize(UINT type, int cx, int cy);
  afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
  // The settings dialog; a language stored there becomes the window's.
  afx_msg void OnClickedSetting();
  afx_msg void OnClickedGoWeb();
  afx_msg void OnClickedTerms();
  afx_msg void OnClickedCircuit();
  afx_msg void OnClickedEndurance();
  afx_msg void OnClickedSprint();
  afx_msg void OnClickedQualify();
  afx_msg void OnClickedOther();
  afx_msg void OnClickedDrag();
  afx_msg void OnClickedDataLog();
  afx_msg void OnClickedRally();
  // A click on an uploaded row's check box leaves it checked.
  afx_msg void OnClickListSession(NMHDR* hdr, LRESULT* result);
  // An uploaded row that is unchecked all the same is checked again.
  afx_msg void OnItemChangedSession(NMHDR* hdr, LRESULT* result);

  // Counts the workspace's sessions by race type (m_nSessionTotal and the
  // race totals) and starts the row thread.
  void ScanSessions();

  // Upload (button 1019): after the terms are accepted, the checked rows'
  // records become m_pUploadItems and the upload thread starts; state 1 and
  // timer 3 follow it. Upload and Setting stay disabled until timer 3 ends.
  afx_msg void OnClickedUpload();

  // Every tick: the start-up login on the first, then the timer's own step.
  // A step that opens a dialog posts it (PostStep), so that every timer
  // keeps ticking under it.
  afx_msg void OnTimer(UINT_PTR id);
  // The login dialog, unless someone is logged in; after a login the link
  // shows the user's name and the track maps are fetched.
  afx_msg void OnClickedLogin();
  // The first tick after start maximises the window and posts the login;
  // true for that tick, which goes no further.
  bool StartupTick();
  void HideStatusTick();
  void PrepareDbTick();
  void TrackMapsTick();
  void UploadTick();
  void SelfUpgradeTick();
  void ShowUploadResult();
  void RunSelfUpgrade();
  // The texts of ReportToUser, in order, on the UI thread.
  void ShowReport(const CString& text);
  void ShowPendingReports();
  // Runs `step` on this window from the UI thread's queue once the current
  // handler has returned; nothing when the window is gone by then.
  void PostStep(void (CtessilarDlg::*step)());
  // The status text, set only when it changes (the timers set it every tick).
  void SetStatus(const CString& text);
  // The progress bar at `percent`, clamped to 0..100.
  void SetProgress(int percent);
  void EnableJobButtons(BOOL enable);
  // Enables Upload and Setting when nothing they would disturb runs: the
  // session list is ready, no track maps are being fetched and no upload
  // runs (two uploads never run at once); else disables them. The list is
  // read from the workspace's rows before it is ready, and an upload from it
  // then would meet the row thread. While the workspace waits for another
  // program, Setting is offered all the same: it is the way to another
  // workspace, until the lock is taken.
  void OfferJobButtons();
  // Upload and Setting may be pressed: the list is ready, the track maps are
  // in and no upload runs.
  bool JobsFree() const;

  // The worker jobs.
  // One session-list record per session counted by ScanSessions (never
  // more), m_nItemDone counting them; then SessionList.db is brought in line
  // and m_nDbState becomes kDbListReady. A stop ends it early with the list unchanged.
  void BuildSessionRowsThread(std::stop_token stop);
  void CheckUpdateThread(std::stop_token stop);
  void RetrieveTrackListThread(std::stop_token stop);
  void LocateWorkspaceThread(std::stop_token stop);
  void LoadDragRacingTypesThread(std::stop_token stop);
  // Both phases of the upload over m_pUploadItems (appcore/UploadPipeline.h).
  void UploadThread(std::stop_token stop);

  // Selects category `index` unless it is the selected one already.
  void SelectCategory(int32_t index);
  // Takes the row's id and re-checks it when that session is uploaded.
  void KeepUploadedChecked(int row);

  // The colours of a link static by its style: white while the mouse is
  // over it, grey otherwise, on dark grey while hovered.
  HBRUSH LinkColours(CDC* dc, const CStaticExtension& link);
  bool IsLoggedIn() const;
  // The control's place in client coordinates as the template gives it.
  CRect TemplateRect(int id) const;

  HICON m_hIcon = nullptr;
  CFont m_fontUnderline;
  CFont m_fontPlain;
  LANGID m_nLanguage = kLangEnglish;
  int m_nInitialWidth = 0;
  int m_nInitialHeight = 0;
  // Each control's rectangle at the end of set-up, by id: every layout is
  // computed from these, so repeated resizing never drifts.
  std::map<int, CRect> m_initialRects;
  // Where the login link is now: it is sized to its text and kept at the top
  // right, so its place is tracked here rather than read back from the
  // window system (which knows it only once the window is shown).
  CRect m_loginRect;
  bool m_bInitialized = false;

  // The folders and databases the window works on: the program's; never null.
  AppContext* const m_pContext;
  // The per-user data folder whose TrackMap/<name>/<name>.txt gives a track
  // map's display name.
  std::u16string m_userData;
  // The context's workspace, which the window shows and the workspace
  // thread opens.
  CString m_strWorkspace;
  int32_t m_nCategory = 0;
  int32_t m_nRaceTotal[kRaceTypeCount] = {};
  int32_t m_nRaceListable[kRaceTypeCount] = {};

  CStaticExtension m_stLogin;
  CStaticExtension m_stCircuit, m_stQualify, m_stSprint, m_stEndurance, m_stOther;
  CStaticExtension m_stDrag, m_stDataLog, m_stRally;
  CStaticExtension m_stTerms;
  CListCtrlExtension m_listSession;
  CStatic m_stWorkspace;
  CStatic m_stStatus;
  CProgressCtrl m_progress;
  CButton m_btnUpload, m_btnSetting, m_btnGoWeb;
  // Circuit, Qualify, Sprint, Endurance, Other, Drag, Data Log, Rally.
  CStaticExtension* const m_categoryStatics[kCategories] = {&m_stCircuit, &m_stQualify, &m_stSprint,  &m_stEndurance,
                                                            &m_stOther,   &m_stDrag,    &m_stDataLog, &m_stRally};

  // The records m_pUploadItems points at, kept until the next upload; the
  // upload thread holds them too, so they outlive its last step.
  std::shared_ptr<std::vector<SessionSummary>> m_uploadRecords;

  // The wait cursor of one job of the timers, held from the first tick of
  // its busy state to its end, and let go with the window at the latest.
  class JobCursor {
   public:
    JobCursor() = default;
    JobCursor(const JobCursor&) = delete;
    JobCursor& operator=(const JobCursor&) = delete;
    ~JobCursor() { Release(); }
    void Hold() {
      if (!m_held) AfxBeginWaitCursor();
      m_held = true;
    }
    void Release() {
      if (m_held) AfxEndWaitCursor();
      m_held = false;
    }

   private:
    bool m_held = false;
  };
  JobCursor m_trackMapCursor;
  JobCursor m_uploadCursor;
  bool m_bLoginOpen = false;
  // The terms box of an Upload press is open: the upload it may start
  // counts as running, so that a job ending meanwhile offers nothing.
  bool m_bUploadAsked = false;
  // The window as set-up made it, for the workers' reports: m_hWnd itself
  // goes back to null on the UI thread when the window closes.
  HWND m_hReportWindow = nullptr;
  // Texts of ReportToUser not shown yet (UI thread only).
  std::vector<CString> m_pendingReports;
  // The first tick has queued its login and it has not opened yet: reports
  // wait for it (UI thread only).
  bool m_bStartupLoginDue = false;

  WorkerThreads m_workers;

  DECLARE_MESSAGE_MAP()
};
