// The about box (dialog 100): the program's picture, version and build date,
// white on black.
#pragma once

#include "platform/classlib/ui/afxwin.h"
#include "res_ids/resource_ids.h"

class CAboutDlg : public CDialog {
 public:
  enum { IDD = AboutDlgIds::kIdd };
  CAboutDlg() : CDialog(IDD) {}

 protected:
  BOOL OnInitDialog() override;
  afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);

  DECLARE_MESSAGE_MAP()
};
