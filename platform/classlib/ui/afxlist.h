// The report list with check boxes and row colours, and its column header.
#pragma once

#include "platform/classlib/ui/afxwnd.h"

class CHeaderCtrl : public CWnd {
 public:
  int GetItemCount() const;
  BOOL GetItem(int index, HDITEMW* item) const;
  BOOL SetItem(int index, HDITEMW* item);
};

class CListCtrl : public CWnd {
 public:
  DWORD SetExtendedStyle(DWORD exStyle);
  DWORD GetExtendedStyle() const;
  BOOL SetBkColor(COLORREF color);
  COLORREF GetBkColor() const;
  BOOL SetTextColor(COLORREF color);
  COLORREF GetTextColor() const;
  BOOL SetTextBkColor(COLORREF color);

  int InsertColumn(int col, LPCWSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
  BOOL DeleteColumn(int col);
  BOOL SetColumnWidth(int col, int width);
  int GetColumnWidth(int col) const;
  CHeaderCtrl* GetHeaderCtrl();

  int InsertItem(int item, LPCWSTR text);
  BOOL DeleteItem(int item);
  BOOL DeleteAllItems();
  int GetItemCount() const;
  BOOL SetItemText(int item, int subItem, LPCWSTR text);
  CString GetItemText(int item, int subItem) const;
  BOOL SetItemData(int item, DWORD_PTR data);
  DWORD_PTR GetItemData(int item) const;
  BOOL GetCheck(int item) const;
  BOOL SetCheck(int item, BOOL check = TRUE);
  int FindItem(LVFINDINFOW* find, int start = -1) const;
  // The comparator receives the two rows' item data and `data`.
  BOOL SortItems(PFNLVCOMPARE compare, DWORD_PTR data);
  int HitTest(CPoint point, UINT* flags = nullptr) const;
  int HitTest(LVHITTESTINFO* info) const;
  int GetNextItem(int start, int flags) const;
  BOOL EnsureVisible(int item, BOOL partialOK);
  UINT GetItemState(int item, UINT mask) const;

  // The colours of one row: called for every row after rows are inserted,
  // deleted or sorted and when the list's colours change (once, when redraw
  // is switched back on, while it is off). The defaults are the list's.
  virtual void GetRowColors(int row, COLORREF& text, COLORREF& background);
  // Applies GetRowColors to every row (when redraw is back on, if it is off).
  void RefreshRowColors();
  bool RowColorsStale() const { return m_rowColorsStale; }

 private:
  friend struct AfxListAccess;
  CHeaderCtrl m_defaultHeader;
  COLORREF m_bkColor = 0xFFFFFF;
  COLORREF m_textColor = 0x000000;
  COLORREF m_textBkColor = 0xFFFFFF;
  bool m_textBkSet = false;
  DWORD m_exStyle = 0;
  bool m_rowColorsStale = false;
};
