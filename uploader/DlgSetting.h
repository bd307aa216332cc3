// The settings dialog (dialog 133): the UI language, shown at once and stored
// by OK, and the workspace folder, whose change restarts the program on it.
#pragma once

#include <string>

#include "platform/classlib/ui/afxwin.h"
#include "res_ids/resource_ids.h"

class CDlgSetting : public CDialog {
 public:
  enum { IDD = SettingDlgIds::kIdd };
  explicit CDlgSetting(CWnd* parent = nullptr);

  // The program started by a restart; this program's own path unless set.
  void SetRestartProgram(std::u16string program) { m_restartProgram = std::move(program); }

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;

  afx_msg void OnCbnSelchangeLanguage();
  afx_msg void OnBnClickedOk();
  afx_msg void OnBnClickedCancel();
  afx_msg void OnBnClickedBrowse();

  // Title, labels and buttons in the current UI language.
  void ApplyTexts();

  CStatic m_stLanguage, m_stWorkspace;
  CComboBox m_cbLanguage;
  CEdit m_edWorkspace;
  CButton m_btnBrowse, m_btnOk, m_btnCancel;
  LANGID m_nOpenLanguage = kLangEnglish;  // the UI language when the dialog opened
  int m_nOpenIndex = -1;                  // the row selected then
  std::u16string m_restartProgram;

  DECLARE_MESSAGE_MAP()
};
