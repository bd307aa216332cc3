// The login (dialog 129): the e-mail address and password of the web
// service's account, the links to create an account and to reset a
// password. Login runs the login and the account requests; leaving without
// logging in offers to quit the program.
//
// The requests run as a job (appcore/LoginJob.h) of the window's workers
// while the dialog stays responsive: it keeps painting, shows the wait cursor
// and takes no second login until the first has ended, which the web-service
// client bounds by its time limit. A service that trickles or never answers
// gives the login failure message.
#pragma once

#include <atomic>
#include <memory>

#include "appcore/LoginJob.h"
#include "platform/classlib/ui/afxwin.h"
#include "res_ids/resource_ids.h"
#include "uploader/StaticExtension.h"

class UserInfoDb;
class WorkerThreads;

class CDlgLogin : public CDialog {
 public:
  enum { IDD = LoginDlgIds::kIdd };
  // `userInfo` is the program's user table, which the client's login writes;
  // its last user's e-mail address is offered. `workers` run the login job;
  // a job that outlives the dialog ends unseen, and the workers' stop and
  // join at exit bound it.
  CDlgLogin(UserInfoDb* userInfo, WorkerThreads& workers, CWnd* parent = nullptr);
  ~CDlgLogin() override;

  // DoModal: IDOK once logged in (the user is stored and the client's login
  // state set); -1 when the user chose to leave the program (a quit request
  // ends every open modal loop).

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  // Enter: logs in from the e-mail and password edits, nothing elsewhere.
  void OnOK() override;

  afx_msg void OnBnClickedLogin();
  afx_msg void OnBnClickedCancel();
  afx_msg void OnClickedRegister();
  afx_msg void OnClickedForgotPassword();
  afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);

  // The texts of the labels, links and buttons; each link as wide as its
  // text, the first keeping its left edge, the second its right edge.
  void LayoutLinks();
  void EnableInput(BOOL enable);
  // Runs on the UI thread when the requests have ended.
  void OnLoginDone(LoginOutcome outcome);
  void ShowMessage(UINT stringId, UINT type);

  UserInfoDb* m_pUserInfo;
  WorkerThreads& m_workers;
  CFont m_fontUnderline;
  CStaticExtension m_stRegister;
  CStaticExtension m_stForgotPassword;
  CStatic m_stEmailLabel;
  CStatic m_stPasswordLabel;
  CEdit m_editEmail;
  CEdit m_editPassword;
  CButton m_btnLogin;
  CButton m_btnCancel;

  // Whether a login job runs (UI thread only), and the flag that tells its
  // completion whether this dialog still exists.
  bool m_bRequesting = false;
  std::shared_ptr<std::atomic<bool>> m_alive = std::make_shared<std::atomic<bool>>(true);

  DECLARE_MESSAGE_MAP()
};
