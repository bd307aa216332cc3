#include "uploader/DlgResult.h"

namespace {

constexpr int kIdOkLabel = 1035;
constexpr int kIdFailLabel = 1036;
constexpr int kIdCannotAnalyzeLabel = 1038;
constexpr int kIdOkCount = 1039;
constexpr int kIdFailCount = 1040;
constexpr int kIdCannotAnalyzeCount = 1042;

constexpr UINT kStrTitle = 143;
constexpr UINT kStrUploadSuccess = 146;
constexpr UINT kStrUploadFail = 147;
constexpr UINT kStrCannotAnalyze = 149;

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
  SetWindowText(AfxLoadText(kStrTitle));
  SetDlgItemText(kIdOkLabel, Label(kStrUploadSuccess));
  SetDlgItemText(kIdFailLabel, Label(kStrUploadFail));
  SetDlgItemText(kIdCannotAnalyzeLabel, Label(kStrCannotAnalyze));
  SetDlgItemText(kIdOkCount, Count(m_nUploadOk));
  SetDlgItemText(kIdFailCount, Count(m_nUploadFail));
  SetDlgItemText(kIdCannotAnalyzeCount, Count(m_nCannotAnalyze));
  return TRUE;
}
