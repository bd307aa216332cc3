#include "uploader/DlgSelfUpgrade.h"

#include "appcore/SelfUpdate.h"
#include "appcore/TransferFolders.h"
#include "appcore/UiLanguages.h"
#include "platform/classlib/CStdioFileEx.h"
#include "platform/win32/files.h"

namespace {

using namespace SelfUpgradeDlgIds;

// The lines after the first line that is exactly `tag`, each followed by
// "\n", up to the first line that contains "INFOEND" or the end of the file;
// empty when the file or the tag is missing.
CString ReadReleaseNotes(const CString& path, const char16_t* tag) {
  CString notes;
  CStdioFileEx file;
  if (!file.Open(path, CFile::typeText | CFile::modeNoTruncate)) return notes;
  CString line;
  bool found = false;
  while (!found && file.ReadString(line)) found = line.Compare(tag) == 0;
  while (found && file.ReadString(line) && line.Find(u"INFOEND") < 0) {
    notes += line;
    notes += u"\n";
  }
  return notes;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgSelfUpgrade, CDialog)
ON_WM_TIMER()
ON_BN_CLICKED(IDOK, &CDlgSelfUpgrade::OnOK)
END_MESSAGE_MAP()

CDlgSelfUpgrade::CDlgSelfUpgrade(const std::u16string& userData, CWnd* parent) : CDialog(IDD, parent) {
  const std::u16string folder = UserTransferFolder(userData);
  m_strNotesPath = folder + PATH_SEP_STR + kUpdateDescriptionName;
  m_strInstallerPath = folder + PATH_SEP_STR + kUpdateInstallerName;
}

BOOL CDlgSelfUpgrade::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(AfxLoadText(kStrSoftwareUpdate));
  SetDlgItemText(kIdNotes, ReadReleaseNotes(m_strNotesPath, UiLanguageTag(GetThreadUILanguage())));
  ShowCountdown();
  SetDlgItemText(IDOK, AfxLoadText(kStrExecute));
  SetTimer(kCountdownTimer, 1000);
  return FALSE;
}

void CDlgSelfUpgrade::ShowCountdown() {
  CString text;
  text.Format(AfxLoadText(kStrCountdown), m_nCountdown);
  SetDlgItemText(kIdCountdown, text);
}

void CDlgSelfUpgrade::OnTimer(UINT_PTR id) {
  if (id == kCountdownTimer) {
    if (m_nCountdown > 0) {
      --m_nCountdown;
      ShowCountdown();
    } else {
      OnOK();
    }
  }
  CDialog::OnTimer(id);
}

void CDlgSelfUpgrade::OnOK() {
  KillTimer(kCountdownTimer);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.lpVerb = u"Open";
  info.lpFile = m_strInstallerPath;
  info.nShow = SW_SHOWNORMAL;
  info.hInstApp = AfxGetInstanceHandle();
  if (!ShellExecuteExW(&info)) {
    EndDialog(IDABORT);
    return;
  }
  PostQuitMessage(0);
  EndDialog(IDOK);
}
