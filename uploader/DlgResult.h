// The result of an upload (dialog 140): how many sessions were uploaded, how
// many failed and how many could not be analysed. Duplicates count as
// uploaded and are not shown on their own; the three need not add up to the
// sessions chosen.
#pragma once

#include <cstdint>

#include "platform/classlib/ui/afxwin.h"
#include "res_ids/resource_ids.h"

class CDlgResult : public CDialog {
 public:
  enum { IDD = ResultDlgIds::kIdd };
  CDlgResult(int32_t uploadOk, int32_t uploadFail, int32_t cannotAnalyze, CWnd* parent = nullptr)
      : CDialog(IDD, parent), m_nUploadOk(uploadOk), m_nUploadFail(uploadFail), m_nCannotAnalyze(cannotAnalyze) {}

  int32_t m_nUploadOk;
  int32_t m_nUploadFail;
  int32_t m_nCannotAnalyze;

 protected:
  // Texts in the current UI language, the counts in decimal; OK (the
  // default button) closes the dialog.
  BOOL OnInitDialog() override;

  DECLARE_MESSAGE_MAP()
};
