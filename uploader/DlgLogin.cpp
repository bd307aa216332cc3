#include "uploader/DlgLogin.h"

#include "appcore/ServicePages.h"
#include "appcore/UserInfoDb.h"
#include "appcore/WorkerThreads.h"
#include "uploader/ProgramTitle.h"
#include "webclient/ApiClient.h"

namespace {

using namespace LoginDlgIds;

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kYellow = 0x00FFFF;
constexpr COLORREF kDarkGrey = 0xA9A9A9;

void OpenServicePage(const CString& address) {
  ShellExecuteW(nullptr, u"open", address, nullptr, nullptr, SW_SHOWDEFAULT);
}

CSize TextExtent(CWnd& control, const CString& text) {
  CDC* dc = control.GetDC();
  SIZE extent{0, 0};
  GetTextExtentPoint32W(dc->m_hDC, text, text.GetLength(), &extent);
  control.ReleaseDC(dc);
  return CSize(extent.cx, extent.cy);
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgLogin, CDialog)
ON_BN_CLICKED(kIdLogin, &CDlgLogin::OnBnClickedLogin)
ON_BN_CLICKED(IDCANCEL, &CDlgLogin::OnBnClickedCancel)
ON_BN_CLICKED(kIdRegister, &CDlgLogin::OnClickedRegister)
ON_BN_CLICKED(kIdForgotPassword, &CDlgLogin::OnClickedForgotPassword)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CDlgLogin::CDlgLogin(UserInfoDb* userInfo, WorkerThreads& workers, CWnd* parent)
    : CDialog(IDD, parent), m_pUserInfo(userInfo), m_workers(workers) {}

CDlgLogin::~CDlgLogin() {
  *m_alive = false;
  if (m_bRequesting) EndWaitCursor();
}

void CDlgLogin::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, kIdEmailLabel, m_stEmailLabel);
  DDX_Control(dx, kIdEmail, m_editEmail);
  DDX_Control(dx, kIdPasswordLabel, m_stPasswordLabel);
  DDX_Control(dx, kIdPassword, m_editPassword);
  DDX_Control(dx, kIdRegister, m_stRegister);
  DDX_Control(dx, kIdForgotPassword, m_stForgotPassword);
  DDX_Control(dx, kIdLogin, m_btnLogin);
  DDX_Control(dx, IDCANCEL, m_btnCancel);
}

BOOL CDlgLogin::OnInitDialog() {
  CDialog::OnInitDialog();
  LOGFONTW lf{};
  if (CFont* font = GetFont()) font->GetLogFont(&lf);
  lf.lfUnderline = TRUE;
  m_fontUnderline.CreateFontIndirect(&lf);
  m_stRegister.SetFont(&m_fontUnderline);
  m_stForgotPassword.SetFont(&m_fontUnderline);
  LayoutLinks();

  UserInfoRecord user;
  if (m_pUserInfo != nullptr) m_pUserInfo->GetLastUser(user);
  m_editEmail.SetWindowText(user.email);
  if (user.email.IsEmpty())
    m_editEmail.SetFocus();
  else
    m_editPassword.SetFocus();
  return FALSE;
}

void CDlgLogin::LayoutLinks() {
  m_stEmailLabel.SetWindowText(AfxLoadText(kStrEmail) + u" :");
  m_stPasswordLabel.SetWindowText(AfxLoadText(kStrPassword) + u" :");
  m_btnLogin.SetWindowText(AfxLoadText(kStrLogin));
  m_btnCancel.SetWindowText(AfxLoadText(kStrCancel));

  const CString registerText = AfxLoadText(kStrCreateAccount);
  m_stRegister.SetWindowText(registerText);
  CRect place;
  GetTemplateItemRect(kIdRegister, &place);
  CSize extent = TextExtent(m_stRegister, registerText);
  m_stRegister.MoveWindow(place.left, place.top, extent.cx, place.Height());

  const CString forgotText = AfxLoadText(kStrForgotPassword);
  m_stForgotPassword.SetWindowText(forgotText);
  GetTemplateItemRect(kIdForgotPassword, &place);
  extent = TextExtent(m_stForgotPassword, forgotText);
  m_stForgotPassword.MoveWindow(place.right - extent.cx, place.top, extent.cx, place.Height());
}

void CDlgLogin::OnOK() {
  CWnd* focus = CWnd::GetFocus();
  HWND focused = focus != nullptr ? focus->m_hWnd : nullptr;
  if (focused != nullptr && (focused == m_editEmail.m_hWnd || focused == m_editPassword.m_hWnd)) OnBnClickedLogin();
}

void CDlgLogin::OnBnClickedLogin() {
  if (m_bRequesting) return;
  CString email, password;
  m_editEmail.GetWindowText(email);
  m_editPassword.GetWindowText(password);
  if (email.IsEmpty() || password.IsEmpty()) {
    ShowMessage(kStrLoginFailed, MB_ICONEXCLAMATION);
    return;
  }
  m_bRequesting = true;
  BeginWaitCursor();
  EnableInput(FALSE);
  const bool started = m_workers.Start([this, alive = m_alive, email, password](std::stop_token stop) {
    const LoginOutcome outcome = LoginJob({email, password}, {GetLoginState()}).Run(stop);
    // The dialog is only reached on the UI thread, and only while it exists.
    AfxPostToUiThread([this, alive, outcome]() {
      if (*alive) OnLoginDone(outcome);
    });
  });
  // A login that cannot run has failed.
  if (!started) OnLoginDone(LoginOutcome::kRefused);
}

void CDlgLogin::OnLoginDone(LoginOutcome outcome) {
  if (!m_bRequesting) return;
  m_bRequesting = false;
  EndWaitCursor();
  if (m_hWnd == nullptr) return;
  EnableInput(TRUE);
  switch (outcome) {
    case LoginOutcome::kLoggedIn:
      EndDialog(IDOK);
      break;
    case LoginOutcome::kRefused:
      ShowMessage(kStrLoginFailed, MB_ICONEXCLAMATION);
      break;
    case LoginOutcome::kNoAccountInfo:
      ShowMessage(kStrActivateAccount, MB_ICONEXCLAMATION);
      break;
    case LoginOutcome::kStopped:
      break;
  }
}

void CDlgLogin::EnableInput(BOOL enable) {
  m_editEmail.EnableWindow(enable);
  m_editPassword.EnableWindow(enable);
  m_btnLogin.EnableWindow(enable);
}

void CDlgLogin::ShowMessage(UINT stringId, UINT type) { MessageBox(AfxLoadText(stringId), kProgramTitle, type); }

void CDlgLogin::OnBnClickedCancel() {
  if (MessageBox(AfxLoadText(kStrLeaveProgram), kProgramTitle, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK)
    PostQuitMessage(0);
}

void CDlgLogin::OnClickedRegister() { OpenServicePage(CreateAccountAddress()); }

void CDlgLogin::OnClickedForgotPassword() { OpenServicePage(ForgotPasswordAddress()); }

HBRUSH CDlgLogin::OnCtlColor(CDC* dc, CWnd* wnd, UINT) {
  dc->SetBkMode(TRANSPARENT);
  switch (wnd != nullptr ? wnd->GetDlgCtrlID() : 0) {
    case kIdEmailLabel:
    case kIdPasswordLabel:
      dc->SetTextColor(kWhite);
      break;
    case kIdRegister:
      dc->SetTextColor(kYellow);
      break;
    case kIdForgotPassword:
      dc->SetTextColor(kDarkGrey);
      break;
    case kIdEmail:
    case kIdPassword:
      return nullptr;  // the edits keep their own colours
    default:
      break;
  }
  return static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
}
