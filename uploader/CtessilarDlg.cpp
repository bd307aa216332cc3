#include "uploader/CtessilarDlg.h"

#include <vector>

#include "appcore/AppContext.h"
#include "appcore/RegistrySettings.h"
#include "appcore/ServicePages.h"
#include "appcore/SessionListDb.h"
#include "appcore/SessionRows.h"
#include "appcore/TrackMapDb.h"
#include "appcore/TryGrow.h"
#include "appcore/UiLanguages.h"
#include "res/resources.h"
#include "sport/SportProjMgr.h"
#include "uploader/AboutDlg.h"
#include "uploader/DlgSetting.h"
#include "uploader/ProgramTitle.h"
#include "webclient/ApiClient.h"

namespace {

using namespace MainDlgIds;

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kGrey = 0x808080;

// One category selector's caption: which static, its name string, its indent
// and the race types it counts (first..last; Circuit Racing sums the circuit
// group).
struct CategoryCaption {
  CStaticExtension CtessilarDlg::*link;
  UINT nameId;
  const char16_t* indent;
  int firstRaceType;
  int lastRaceType;
};

const char16_t kTopIndent[] = u"    ";
const char16_t kSubIndent[] = u"        ";

// The category selectors by category index: Circuit Racing (the circuit
// group), then race types 0 to 6.
constexpr int kCategoryIds[CtessilarDlg::kCategories] = {kIdCircuit, kIdEndurance, kIdSprint,  kIdQualify,
                                                         kIdOther,   kIdDrag,      kIdDataLog, kIdRally};

}  // namespace

BEGIN_MESSAGE_MAP(CtessilarDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_SIZE()
ON_WM_CTLCOLOR()
ON_BN_CLICKED(kIdUpload, &CtessilarDlg::OnClickedUpload)
ON_WM_TIMER()
ON_BN_CLICKED(kIdLogin, &CtessilarDlg::OnClickedLogin)
ON_BN_CLICKED(kIdSetting, &CtessilarDlg::OnClickedSetting)
ON_BN_CLICKED(kIdGoWeb, &CtessilarDlg::OnClickedGoWeb)
ON_BN_CLICKED(kIdTerms, &CtessilarDlg::OnClickedTerms)
ON_BN_CLICKED(kIdCircuit, &CtessilarDlg::OnClickedCircuit)
ON_BN_CLICKED(kIdEndurance, &CtessilarDlg::OnClickedEndurance)
ON_BN_CLICKED(kIdSprint, &CtessilarDlg::OnClickedSprint)
ON_BN_CLICKED(kIdQualify, &CtessilarDlg::OnClickedQualify)
ON_BN_CLICKED(kIdOther, &CtessilarDlg::OnClickedOther)
ON_BN_CLICKED(kIdDrag, &CtessilarDlg::OnClickedDrag)
ON_BN_CLICKED(kIdDataLog, &CtessilarDlg::OnClickedDataLog)
ON_BN_CLICKED(kIdRally, &CtessilarDlg::OnClickedRally)
ON_NOTIFY(NM_CLICK, kIdList, &CtessilarDlg::OnClickListSession)
ON_NOTIFY(NM_DBLCLK, kIdList, &CtessilarDlg::OnClickListSession)
ON_NOTIFY(LVN_ITEMCHANGED, kIdList, &CtessilarDlg::OnItemChangedSession)
END_MESSAGE_MAP()

CtessilarDlg::CtessilarDlg(AppContext& context, CWnd* parent) : CDialog(IDD, parent), m_pContext(&context) {
  if (CWinApp* app = AfxGetApp()) m_hIcon = app->LoadIcon(kIconProgram);
}

// Workers use the dialog's fields: they end before the fields go.
CtessilarDlg::~CtessilarDlg() { m_workers.StopAndJoin(); }

void CtessilarDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, kIdLogin, m_stLogin);
  DDX_Control(dx, kIdCircuit, m_stCircuit);
  DDX_Control(dx, kIdQualify, m_stQualify);
  DDX_Control(dx, kIdSprint, m_stSprint);
  DDX_Control(dx, kIdEndurance, m_stEndurance);
  DDX_Control(dx, kIdOther, m_stOther);
  DDX_Control(dx, kIdDrag, m_stDrag);
  DDX_Control(dx, kIdDataLog, m_stDataLog);
  DDX_Control(dx, kIdRally, m_stRally);
  DDX_Control(dx, kIdList, m_listSession);
  DDX_Control(dx, kIdWorkspace, m_stWorkspace);
  DDX_Control(dx, kIdStatus, m_stStatus);
  DDX_Control(dx, kIdProgress, m_progress);
  DDX_Control(dx, kIdUpload, m_btnUpload);
  DDX_Control(dx, kIdSetting, m_btnSetting);
  DDX_Control(dx, kIdGoWeb, m_btnGoWeb);
  DDX_Control(dx, kIdTerms, m_stTerms);
}

BOOL CtessilarDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  const CString about = AfxLoadText(kStrAboutMenu);
  if (!about.IsEmpty()) {
    CMenu* menu = GetSystemMenu(FALSE);
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING, kIdmAboutBox, about);
  }
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  m_progress.SetRange(0, 100);
  m_progress.ShowWindow(SW_HIDE);

  LOGFONTW lf{};
  if (CFont* font = GetFont()) font->GetLogFont(&lf);
  lf.lfUnderline = TRUE;
  m_fontUnderline.CreateFontIndirect(&lf);
  lf.lfUnderline = FALSE;
  m_fontPlain.CreateFontIndirect(&lf);

  m_strWorkspace = CString(m_pContext->Workspace());
  m_userData = m_pContext->UserData();
  m_pSessionListDb = &m_pContext->SessionList();
  m_pTrackMapDb = &m_pContext->TrackMaps();
  m_hReportWindow = m_hWnd;
  // This run's drag types only: the list and its "loaded" mark start empty
  // here, before any reader can wait on them, since the manager outlives a
  // window (a second program run in the same process finds the first's).
  CSportProjMgr::GetInstance()->ResetDragTypes();
  // Before the workers: the texts they report are made in the UI language.
  AdoptStoredLanguage();
  m_workers.Start([this](std::stop_token stop) { CheckUpdateThread(stop); });
  m_workers.Start([this](std::stop_token stop) { LocateWorkspaceThread(stop); });
  m_workers.Start([this](std::stop_token stop) { LoadDragRacingTypesThread(stop); });

  for (CStaticExtension* link : m_categoryStatics) link->SetLinkStyle(kLinkDarkBackgroundBright);
  m_stLogin.SetLinkStyle(kLinkHandBrightText);

  m_listSession.SetExtendedStyle(LVS_EX_CHECKBOXES);
  m_listSession.SetBkColor(0x404040);
  m_listSession.SetTextColor(kWhite);
  InitListColumns(false);
  m_listSession.AutoSizeColumns();

  m_stStatus.SetWindowText(AfxLoadText(kStrOpenDatabase));
  OfferJobButtons();
  m_loginRect = TemplateRect(kIdLogin);
  UpdateTitle();
  m_stWorkspace.SetWindowText(m_strWorkspace);

  CRect client;
  GetClientRect(&client);
  m_nInitialWidth = client.Width();
  m_nInitialHeight = client.Height();
  for (CWnd* child = GetWindow(GW_CHILD); child != nullptr; child = child->GetNextWindow()) {
    const int id = child->GetDlgCtrlID();
    m_initialRects[id] = id == kIdLogin ? m_loginRect : TemplateRect(id);
  }
  SetTimer(kTimerPrepareDb, 100);
  SetTimer(kTimerSelfUpgrade, 100);
  m_bInitialized = true;
  return FALSE;
}

bool CtessilarDlg::AdoptStoredLanguage() {
  const LANGID stored = GetDisplayLanguage();
  const bool changed = IsUiLanguage(stored) && stored != m_nLanguage;
  if (changed) m_nLanguage = stored;
  SetThreadUILanguage(m_nLanguage);
  return changed;
}

void CtessilarDlg::InitListColumns(bool isDrag) {
  for (int n = m_listSession.GetHeaderCtrl()->GetItemCount(); n > 0; --n) m_listSession.DeleteColumn(0);
  const UINT headings[] = {
      0,       kStrStatus, kStrUser, kStrDate, kStrFastestLap, kStrTotalTime, isDrag ? kStrCondition : kStrTrackName,
      kStrNote};
  for (int column = 0; column < 8; ++column) {
    const CString heading = column == 0 ? CString(u"No.") : AfxLoadText(headings[column]);
    m_listSession.InsertColumn(column, heading, column == 7 ? LVCFMT_LEFT : LVCFMT_CENTER);
  }
}

void CtessilarDlg::UpdateTitle() {
  SetWindowText(kProgramTitle);
  m_btnUpload.SetWindowText(AfxLoadText(kStrUpload));
  m_btnSetting.SetWindowText(AfxLoadText(kStrSetting));
  m_stTerms.SetWindowText(AfxLoadText(kStrTermsOfUse));
  m_stTerms.SetFont(&m_fontUnderline);
  if (!IsLoggedIn()) LayoutLoginLink(m_stLogin, AfxLoadText(kStrLogin));
  UpdateCategoryCaptions();
  ApplyColours();
}

void CtessilarDlg::UpdateCategoryCaptions() {
  static const CategoryCaption kCaptions[] = {
      {&CtessilarDlg::m_stCircuit, kStrCircuitRacing, kTopIndent, kFirstCircuitRace, kLastCircuitRace},
      {&CtessilarDlg::m_stQualify, kStrQualify, kSubIndent, kRaceQualify, kRaceQualify},
      {&CtessilarDlg::m_stSprint, kStrSprint, kSubIndent, kRaceSprint, kRaceSprint},
      {&CtessilarDlg::m_stEndurance, kStrEndurance, kSubIndent, kRaceEndurance, kRaceEndurance},
      {&CtessilarDlg::m_stOther, kStrOther, kSubIndent, kRaceOther, kRaceOther},
      {&CtessilarDlg::m_stDrag, kStrDragRacing, kTopIndent, kRaceDrag, kRaceDrag},
      {&CtessilarDlg::m_stDataLog, kStrDataLog, kTopIndent, kRaceDataLog, kRaceDataLog},
      {&CtessilarDlg::m_stRally, kStrRallyRacing, kTopIndent, kRaceRally, kRaceRally},
  };
  for (const CategoryCaption& c : kCaptions) {
    int32_t listable = 0, total = 0;
    for (int type = c.firstRaceType; type <= c.lastRaceType; ++type) {
      listable += m_nRaceListable[type];
      total += m_nRaceTotal[type];
    }
    CString caption;
    // Only the circuit group can be listed: the others show 0 listable.
    if (!IsCircuitRace(c.firstRaceType)) listable = 0;
    caption.Format(u"%s%s (%d/%d)", c.indent, AfxLoadText(c.nameId).GetString(), listable, total);
    (this->*c.link).SetWindowText(caption);
  }
}

void CtessilarDlg::LayoutLoginLink(CStaticExtension& link, const CString& text) {
  link.SetWindowText(text);
  const CRect place = m_loginRect;
  CDC* dc = link.GetDC();
  SIZE extent{0, 0};
  GetTextExtentPoint32W(dc->m_hDC, text, text.GetLength(), &extent);
  CRect measured(0, 0, extent.cx, extent.cy);
  dc->DrawText(text, measured, DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
  link.ReleaseDC(dc);
  m_loginRect = CRect(place.right - measured.Width(), place.top, place.right, place.top + measured.Height());
  link.MoveWindow(m_loginRect);
  link.SetFont(IsLoggedIn() ? &m_fontPlain : &m_fontUnderline);
}

void CtessilarDlg::OnSize(UINT type, int cx, int cy) {
  CDialog::OnSize(type, cx, cy);
  if (!m_bInitialized || (type != SIZE_RESTORED && type != SIZE_MAXIMIZED)) return;
  LayoutControls(cx, cy);
}

void CtessilarDlg::LayoutControls(int cx, int cy) {
  if (m_nInitialHeight <= 0) return;
  const float ratio = static_cast<float>(cy) / static_cast<float>(m_nInitialHeight);
  CWnd* const stacked[] = {&m_btnUpload, &m_btnSetting, &m_btnGoWeb, &m_stTerms};
  for (CWnd* w : stacked) w->ShowWindow(SW_HIDE);

  const CRect rally = m_initialRects[kIdRally];
  CRect terms = m_initialRects[kIdTerms];
  bool overlap = false;
  for (CWnd* child = GetWindow(GW_CHILD); child != nullptr; child = child->GetNextWindow()) {
    const int id = child->GetDlgCtrlID();
    const CRect initial = m_initialRects[id];
    switch (id) {
      case kIdLogin: {
        const int width = m_loginRect.Width(), height = m_loginRect.Height();
        m_loginRect = CRect(cx - 4 - width, 1, cx - 4, 1 + height);
        child->MoveWindow(m_loginRect);
        break;
      }
      case kIdList:
        child->MoveWindow(initial.left, initial.top, cx - initial.left, cy - initial.top);
        m_listSession.AutoSizeColumns();
        break;
      case kIdStatus:
        child->MoveWindow(initial.left + (cx - m_nInitialWidth) / 2, initial.top, initial.Width(), initial.Height());
        break;
      case kIdProgress:
        child->MoveWindow(initial.left, initial.top, cx - 2 * initial.left, initial.Height());
        break;
      case kIdTerms: {
        const int y = static_cast<int>(static_cast<float>(initial.top) * ratio);
        terms = CRect(initial.left, y, initial.right, y + initial.Height());
        child->MoveWindow(terms, TRUE);
        // The three buttons would reach into the category selectors.
        overlap = y - (2 * initial.Height() + 2) <= rally.bottom;
        break;
      }
      case kIdWorkspace:
        child->MoveWindow(initial.left, initial.top, cx - initial.left, initial.Height());
        break;
      default:
        break;
    }
  }

  // Web, Setting and Upload stacked upward from the terms link, 1 pixel apart.
  int bottom = terms.top - 1;
  for (CButton* button : {&m_btnGoWeb, &m_btnSetting, &m_btnUpload}) {
    const CRect initial = m_initialRects[button->GetDlgCtrlID()];
    button->MoveWindow(initial.left, bottom - initial.Height(), initial.Width(), initial.Height());
    bottom -= initial.Height() + 1;
  }
  if (!overlap) {
    for (CWnd* w : stacked) w->ShowWindow(SW_SHOW);
  }
}

HBRUSH CtessilarDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  dc->SetBkMode(TRANSPARENT);
  HBRUSH brush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  if (wnd == nullptr) return brush;
  switch (wnd->GetDlgCtrlID()) {
    case kIdLogin:
      if (IsLoggedIn()) {
        dc->SetTextColor(kGrey);
        return brush;
      }
      return LinkColours(dc, m_stLogin);
    case kIdCircuit:
    case kIdDrag:
    case kIdDataLog:
    case kIdRally:
    case kIdQualify:
    case kIdSprint:
    case kIdEndurance:
    case kIdOther:
      if (auto* link = dynamic_cast<CStaticExtension*>(wnd)) return LinkColours(dc, *link);
      return brush;
    case kIdStatus:
    case kIdTerms:
    case kIdWorkspace:
      dc->SetTextColor(kWhite);
      return brush;
    default:
      return brush;
  }
}

HBRUSH CtessilarDlg::LinkColours(CDC* dc, const CStaticExtension& link) {
  const LinkStyle style = link.GetLinkStyle();
  const bool hovered = link.IsTracking() != FALSE;
  if (BrightensOnHover(style)) dc->SetTextColor(hovered ? kWhite : kGrey);
  return static_cast<HBRUSH>(GetStockObject(DarkensOnHover(style) && hovered ? DKGRAY_BRUSH : BLACK_BRUSH));
}

void CtessilarDlg::ApplyColours() { Invalidate(); }

BOOL CtessilarDlg::PreTranslateMessage(MSG* msg) {
  // Neither key closes the main window; only its close box does.
  if (msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN)) return TRUE;
  return CDialog::PreTranslateMessage(msg);
}

void CtessilarDlg::OnSysCommand(UINT id, LPARAM param) {
  if ((id & 0xFFF0) == kIdmAboutBox) {
    CAboutDlg about;
    about.DoModal();
    return;
  }
  CDialog::OnSysCommand(id, param);
}

void CtessilarDlg::OnClickedSetting() {
  // Pressed while the workspace waits at another program's lock, the wait
  // holds until the dialog closes: the workspace is not opened under a
  // choice of another. A press that comes just as the lock is taken finds
  // nothing to hold and is not taken.
  CSportProjMgr* manager = CSportProjMgr::GetInstance();
  bool holdsLockWait = false;
  if (!JobsFree()) {
    holdsLockWait = m_nDbState == kDbStart && manager->HoldLockWait();
    if (!holdsLockWait) {
      OfferJobButtons();
      return;
    }
  }
  CDlgSetting dlg(this);
  const INT_PTR answer = dlg.DoModal();
  // A copy that the dialog restarted on another workspace is leaving: it
  // never opens this one, and its held wait ends with the stop at exit.
  if (holdsLockWait && !AfxIsQuitPending()) manager->ResumeLockWait();
  // The settings dialog has switched the UI language already.
  if (answer != IDOK || !AdoptStoredLanguage()) return;
  UpdateTitle();
  RefreshSessionList();
}

void CtessilarDlg::OnClickedGoWeb() {
  ShellExecuteW(m_hWnd, u"open", ServiceWebAddress(), nullptr, nullptr, SW_SHOWDEFAULT);
}

void CtessilarDlg::OnClickedTerms() {
  ShellExecuteW(m_hWnd, u"open", TermsOfUseAddress(m_nLanguage), nullptr, nullptr, SW_SHOWDEFAULT);
}

void CtessilarDlg::RefreshSessionList() {
  SessionListDb* db = m_pSessionListDb;
  if (db == nullptr) return;
  for (int32_t type = 0; type < kRaceTypeCount; ++type) {
    m_nRaceTotal[type] = db->CountByRaceType(type);
    m_nRaceListable[type] = IsCircuitRace(type) ? db->CountTracksWithFolder(type) : 0;
  }
  UpdateCategoryCaptions();
  if (m_nCategory == 0)
    ShowCircuitCategory();
  else
    ShowCategory(m_nCategory - 1);
}

void CtessilarDlg::ShowCategory(int32_t raceType) {
  SessionListDb* db = m_pSessionListDb;
  int32_t count = 0;
  if (!IsCircuitRace(raceType))
    MessageBox(AfxLoadText(kStrCannotUploadRaceType), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
  else if (db != nullptr)
    count = db->CountTracksWithFolder(raceType);
  std::vector<SessionSummary> records;
  if (!TryResize(records, count)) return;
  m_listSession.DeleteAllItems();
  // A row may vanish between the count and the read: only rows read are shown.
  const int32_t read = count > 0 ? db->GetSessionsByRaceType(raceType, records.data(), count) : 0;
  FillSessionList(records.data(), read, raceType == kRaceDrag);
}

void CtessilarDlg::ShowCircuitCategory() {
  CWaitCursor wait;
  SessionListDb* db = m_pSessionListDb;
  int32_t count = 0;
  for (int32_t type = kFirstCircuitRace; type <= kLastCircuitRace; ++type) count += m_nRaceListable[type];
  std::vector<SessionSummary> records;
  if (!TryResize(records, count)) return;
  m_listSession.DeleteAllItems();
  const int32_t read = count > 0 && db != nullptr ? db->GetCircuitSessions(records.data(), count) : 0;
  FillSessionList(records.data(), read, false);
}

void CtessilarDlg::FillSessionList(const SessionSummary* records, int32_t count, bool isDrag) {
  m_listSession.SetRedraw(FALSE);
  InitListColumns(isDrag);
  // Each track map's name file is read once per fill.
  std::map<std::u16string, CString> displayNames;
  // Rows go in at the end in record order (record 0 on top): inserting at the
  // top costs the whole list per row.
  for (int32_t k = 0; k < count; ++k) {
    const SessionSummary& r = records[k];
    CString track;
    if (isDrag) {
      track.Format(u"  %s  ", r.mName.GetString());
    } else {
      auto found = displayNames.find(r.mName.Str());
      if (found == displayNames.end())
        found = displayNames.emplace(r.mName.Str(), TrackMapDisplayName(m_userData, r.mName)).first;
      track = found->second;
    }
    const std::array<CString, 8> texts = SessionRowTexts(r, k + 1, track);
    const int row = m_listSession.InsertItem(m_listSession.GetItemCount(), texts[0]);
    if (row < 0) break;
    for (int column = 1; column < 8; ++column) m_listSession.SetItemText(row, column, texts[column]);
    m_listSession.SetItemData(row, static_cast<DWORD_PTR>(static_cast<uint32_t>(r.id)));
  }
  m_listSession.AutoSizeColumns();
  m_listSession.SetRedraw(TRUE);
}

void CtessilarDlg::ClearCategoryHighlight() {
  for (CStaticExtension* link : m_categoryStatics) {
    if (!link->IsSelected()) continue;
    link->SetSelected(FALSE);
    link->Invalidate();
  }
}

void CtessilarDlg::SelectCategory(int32_t index) {
  auto* link = static_cast<CStaticExtension*>(GetDlgItem(kCategoryIds[index]));
  if (link == nullptr || link->IsSelected()) return;
  ClearCategoryHighlight();
  link->SetSelected(TRUE);
  if (index == 0)
    ShowCircuitCategory();
  else
    ShowCategory(index - 1);
  m_nCategory = index;
}

void CtessilarDlg::OnClickedCircuit() { SelectCategory(0); }
void CtessilarDlg::OnClickedEndurance() { SelectCategory(1 + kRaceEndurance); }
void CtessilarDlg::OnClickedSprint() { SelectCategory(1 + kRaceSprint); }
void CtessilarDlg::OnClickedQualify() { SelectCategory(1 + kRaceQualify); }
void CtessilarDlg::OnClickedOther() { SelectCategory(1 + kRaceOther); }
void CtessilarDlg::OnClickedDrag() { SelectCategory(1 + kRaceDrag); }
void CtessilarDlg::OnClickedDataLog() { SelectCategory(1 + kRaceDataLog); }
void CtessilarDlg::OnClickedRally() { SelectCategory(1 + kRaceRally); }

void CtessilarDlg::KeepUploadedChecked(int row) {
  SessionListDb* db = m_pSessionListDb;
  if (row < 0 || row >= m_listSession.GetItemCount() || db == nullptr) return;
  const auto id = static_cast<int32_t>(static_cast<uint32_t>(m_listSession.GetItemData(row)));
  if (db->IsUploaded(id)) m_listSession.SetCheck(row, TRUE);
}

void CtessilarDlg::OnClickListSession(NMHDR* /*hdr*/, LRESULT* result) {
  const DWORD pos = GetMessagePos();
  CPoint point(static_cast<int16_t>(LOWORD(pos)), static_cast<int16_t>(LOWORD(pos >> 16)));
  m_listSession.ScreenToClient(&point);
  UINT flags = 0;
  const int row = m_listSession.HitTest(point, &flags);
  if (flags & LVHT_ONITEMSTATEICON) KeepUploadedChecked(row);
  if (result) *result = 0;
}

void CtessilarDlg::OnItemChangedSession(NMHDR* hdr, LRESULT* result) {
  const auto* nm = reinterpret_cast<const NMLISTVIEW*>(hdr);
  const UINT unchecked = INDEXTOSTATEIMAGEMASK(1);
  if ((nm->uChanged & LVIF_STATE) && (nm->uNewState & LVIS_STATEIMAGEMASK) == unchecked &&
      (nm->uOldState & LVIS_STATEIMAGEMASK) != unchecked)
    KeepUploadedChecked(nm->iItem);
  if (result) *result = 0;
}

bool CtessilarDlg::StopWorkers(std::chrono::milliseconds bound) { return m_workers.StopAndJoin(bound); }

CRect CtessilarDlg::TemplateRect(int id) const {
  CRect rect;
  GetTemplateItemRect(id, &rect);
  return rect;
}

// Only a verified login counts for the window.
bool CtessilarDlg::IsLoggedIn() const { return GetLoginState().load() == kLoginVerified; }
