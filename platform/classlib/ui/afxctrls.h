// The simple controls of a dialog template: labels, buttons, edit boxes,
// drop-down lists and progress bars.
#pragma once

#include "platform/classlib/ui/afxwnd.h"

class CStatic : public CWnd {
 public:
  HICON SetIcon(HICON icon);
};

class CButton : public CWnd {};

class CEdit : public CWnd {
 public:
  void SetSel(int start, int end, BOOL noScroll = FALSE);
  void LimitText(int max);
  void SetLimitText(UINT max) { LimitText(static_cast<int>(max)); }
  void SetReadOnly(BOOL readOnly = TRUE);
};

class CComboBox : public CWnd {
 public:
  int AddString(LPCWSTR text);
  int InsertString(int index, LPCWSTR text);
  int DeleteString(UINT index);
  void ResetContent();
  int GetCount() const;
  int GetCurSel() const;
  int SetCurSel(int index);
  int SetItemData(int index, DWORD_PTR data);
  DWORD_PTR GetItemData(int index) const;
  void GetLBText(int index, CString& text) const;
  int FindStringExact(int startAfter, LPCWSTR text) const;
};

class CProgressCtrl : public CWnd {
 public:
  void SetRange(short lower, short upper) { SetRange32(lower, upper); }
  void SetRange32(int lower, int upper);
  void GetRange(int& lower, int& upper) const;
  // The position is kept inside the range.
  int SetPos(int pos);
  int GetPos() const;
  int OffsetPos(int delta) { return SetPos(GetPos() + delta); }

 private:
  int m_lower = 0;
  int m_upper = 100;
};
