#include "uploader/AboutDlg.h"

namespace {

using namespace AboutDlgIds;

}  // namespace

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

BOOL CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CString version;
  version.Format(u"V%d.%d", 1, 0);
  SetDlgItemText(kIdVersion, version);
  SetDlgItemText(kIdBuildDate, u"2020/04/07");
  return TRUE;
}

HBRUSH CAboutDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT) {
  const int id = wnd != nullptr ? wnd->GetDlgCtrlID() : 0;
  if (id == kIdVersion || id == kIdBuildDate || id == kIdCopyright) {
    dc->SetTextColor(0xFFFFFF);
    dc->SetBkMode(TRANSPARENT);
  }
  return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
}
