// The software update (dialog 142), opened once a newer installer has been
// downloaded and verified (appcore/SelfUpdate.h). It shows the release notes
// of the UI language (appcore/ReleaseNotes.h), counts down 20 seconds
// and then starts the installer, a program for this machine, and quits the
// program; Execute does the same at once. Escape and the close box do
// nothing.
//
// When the installer cannot be started the program does not quit: the
// dialog closes and the program goes on. The installer is tried at most
// once, whether the countdown ends, Execute is pressed, or both come
// together; the countdown stops at 0.
#pragma once

#include <cstdint>
#include <string>

#include "platform/classlib/ui/afxwin.h"
#include "res_ids/resource_ids.h"

class CDlgSelfUpgrade : public CDialog {
 public:
  enum { IDD = SelfUpgradeDlgIds::kIdd };
  static constexpr int32_t kCountdownSeconds = 20;
  static constexpr UINT_PTR kCountdownTimer = 0;

  // `userData` is the per-user data folder whose TransferDb folder holds the
  // update description and the installer.
  explicit CDlgSelfUpgrade(const std::u16string& userData, CWnd* parent = nullptr);

  // DoModal: -1 once the installer has started (the quit ends the loop);
  // IDABORT when it could not be started.

 protected:
  BOOL OnInitDialog() override;
  // Execute, or the end of the countdown: starts the installer.
  void OnOK() override;
  void OnCancel() override {}
  afx_msg void OnTimer(UINT_PTR id);
  void ShowCountdown();

  int32_t m_nCountdown = kCountdownSeconds;
  bool m_bExecuted = false;  // the installer has been tried
  std::u16string m_userData;
  CString m_strInstallerPath;

  DECLARE_MESSAGE_MAP()
};
