#include "uploader/DlgSelfUpgrade.h"

#include "appcore/ReleaseNotes.h"
#include "datafiles/DataFiles.h"

namespace {

using namespace SelfUpgradeDlgIds;

}  // namespace

BEGIN_MESSAGE_MAP(CDlgSelfUpgrade, CDialog)
ON_WM_TIMER()
ON_BN_CLICKED(IDOK, &CDlgSelfUpgrade::OnOK)
END_MESSAGE_MAP()

CDlgSelfUpgrade::CDlgSelfUpgrade(const std::u16string& userData, CWnd* parent)
    : CDialog(IDD, parent), m_userData(userData), m_strInstallerPath(UpdateInstallerPath(userData).c_str()) {}

BOOL CDlgSelfUpgrade::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(AfxLoadText(kStrSoftwareUpdate));
  SetDlgItemText(kIdNotes, ReleaseNotes(m_userData, GetThreadUILanguage()));
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
  // A tick already queued, or a press, after the first try starts nothing.
  if (m_bExecuted) return;
  m_bExecuted = true;
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
