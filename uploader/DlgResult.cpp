#include "uploader/DlgResult.h"

namespace {

using namespace ResultDlgIds;

CString Label(UINT stringId) { return AfxLoadText(stringId) + u" :"; }

CString Count(int32_t n) {
  CString text;
  text.Format(u"%d", n);
  return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgResult, CDialog)
END_MESSAGE_MAP()

BOOL CDlgResult::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(AfxLoadText(kStrResult));
  SetDlgItemText(kIdOkLabel, Label(kStrUploadSuccess));
  SetDlgItemText(kIdFailLabel, Label(kStrUploadFail));
  SetDlgItemText(kIdCannotAnalyzeLabel, Label(kStrCannotAnalyze));
  SetDlgItemText(kIdOkCount, Count(m_nUploadOk));
  SetDlgItemText(kIdFailCount, Count(m_nUploadFail));
  SetDlgItemText(kIdCannotAnalyzeCount, Count(m_nCannotAnalyze));
  return TRUE;
}
