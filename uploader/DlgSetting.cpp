#include "uploader/DlgSetting.h"

#include <iterator>

#include "appcore/RegistrySettings.h"
#include "appcore/Restart.h"
#include "appcore/UiLanguages.h"
#include "platform/win32/files.h"
#include "uploader/ProgramTitle.h"

namespace {

using namespace SettingDlgIds;

// Any folder path of this system fits, unlike the picker's usual MAX_PATH.
constexpr DWORD kFolderPathCapacity = 4096;

CString LoadText(UINT id) {
  CString text;
  text.LoadString(id);
  return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgSetting, CDialog)
ON_CBN_SELCHANGE(kIdLanguage, &CDlgSetting::OnCbnSelchangeLanguage)
ON_BN_CLICKED(IDOK, &CDlgSetting::OnBnClickedOk)
ON_BN_CLICKED(IDCANCEL, &CDlgSetting::OnBnClickedCancel)
ON_BN_CLICKED(kIdBrowse, &CDlgSetting::OnBnClickedBrowse)
END_MESSAGE_MAP()

CDlgSetting::CDlgSetting(CWnd* parent) : CDialog(IDD, parent), m_restartProgram(GetProgramPath()) {}

void CDlgSetting::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, kIdLanguageLabel, m_stLanguage);
  DDX_Control(dx, kIdWorkspaceLabel, m_stWorkspace);
  DDX_Control(dx, kIdLanguage, m_cbLanguage);
  DDX_Control(dx, kIdWorkspace, m_edWorkspace);
  DDX_Control(dx, kIdBrowse, m_btnBrowse);
  DDX_Control(dx, IDOK, m_btnOk);
  DDX_Control(dx, IDCANCEL, m_btnCancel);
}

BOOL CDlgSetting::OnInitDialog() {
  CDialog::OnInitDialog();
  ApplyTexts();
  // The combo's rows in the order of the languages; each row's data is its language.
  for (const UiLanguage& language : kUiLanguages) {
    const int index = m_cbLanguage.AddString(language.name);
    m_cbLanguage.SetItemData(index, language.id);
  }
  m_nOpenLanguage = GetThreadUILanguage();
  for (int i = 0; i < static_cast<int>(std::size(kUiLanguages)); ++i)
    if (kUiLanguages[i].id == m_nOpenLanguage) m_nOpenIndex = i;
  m_cbLanguage.SetCurSel(m_nOpenIndex);
  m_edWorkspace.SetWindowText(GetWorkspaceLocation());
  return TRUE;
}

void CDlgSetting::ApplyTexts() {
  SetWindowText(LoadText(kStrSetting));
  m_stLanguage.SetWindowText(LoadText(kStrLanguage) + u" :");
  m_stWorkspace.SetWindowText(LoadText(kStrWorkspace) + u" :");
  m_btnOk.SetWindowText(LoadText(kStrOk));
  m_btnCancel.SetWindowText(LoadText(kStrCancel));
}

void CDlgSetting::OnCbnSelchangeLanguage() {
  const int index = m_cbLanguage.GetCurSel();
  if (index < 0) return;
  SetThreadUILanguage(static_cast<LANGID>(m_cbLanguage.GetItemData(index)));
  ApplyTexts();
}

void CDlgSetting::OnBnClickedBrowse() {
  const CString title = LoadText(kStrSelectFolder);
  BROWSEINFOW info{};
  info.hwndOwner = m_hWnd;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
  LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
  if (chosen == nullptr) return;
  std::u16string path(kFolderPathCapacity, u'\0');
  if (SHGetPathFromIDListEx(chosen, path.data(), kFolderPathCapacity)) {
    path.resize(std::char_traits<char16_t>::length(path.c_str()));
    m_edWorkspace.SetWindowText(path.c_str());
  }
  CoTaskMemFree(chosen);
}

void CDlgSetting::OnBnClickedOk() {
  const int index = m_cbLanguage.GetCurSel();
  if (index >= 0 && index != m_nOpenIndex) {
    const LANGID lang = static_cast<LANGID>(m_cbLanguage.GetItemData(index));
    SetThreadUILanguage(lang);
    SetDisplayLanguage(lang);
  }

  CString workspace;
  m_edWorkspace.GetWindowText(workspace);
  if (!IsNewWorkspace(workspace)) {
    EndDialog(IDOK);
    return;
  }
  {
    CWaitCursor wait;
    MessageBoxW(m_hWnd, LoadText(kStrRestartNeeded), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
  }
  // A restart that waited or failed leaves this copy running on the old
  // workspace, and the user is told so; the new location takes effect at
  // the next start.
  if (RestartOnWorkspace(workspace, m_restartProgram) == RestartResult::kStarted)
    PostQuitMessage(0);
  else
    MessageBoxW(m_hWnd, LoadText(kStrNotRestarted), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
}

void CDlgSetting::OnBnClickedCancel() {
  SetThreadUILanguage(m_nOpenLanguage);
  CDialog::OnCancel();
}
