// The session list's look and behaviour: alternating row colours, columns
// sized to their contents, and a header that sorts the rows by column.
#pragma once

#include "platform/classlib/ui/afxwin.h"

// The list's header: a click on a column sorts the list by that column's
// text; a second click on the same column reverses the order.
class CCheckHeadCtrl : public CHeaderCtrl {
 public:
  // Sort state shared by every list of the process.
  static int GetSortColumn();
  static int GetAscending();
  static void ResetSortState();

 protected:
  afx_msg void OnItemClick(NMHDR* hdr, LRESULT* result);
  DECLARE_MESSAGE_MAP()
};

class CListCtrlExtension : public CListCtrl {
 public:
  static constexpr COLORREF kEvenRowColor = 0x202020;
  static constexpr COLORREF kOddRowColor = 0x404040;

  // Each column as wide as the wider of its contents and its heading.
  void AutoSizeColumns();
  CCheckHeadCtrl& HeaderExtension() { return m_checkHead; }
  // Rows 0, 2, 4 ... on 0x202020, rows 1, 3, 5 ... on 0x404040.
  void GetRowColors(int row, COLORREF& text, COLORREF& background) override;

 protected:
  void PreSubclassWindow() override;
  // Marks the header's first item with image 2 when every row is checked (or
  // there is none), else 1. The parent sees the notification too.
  afx_msg BOOL OnItemChanged(NMHDR* hdr, LRESULT* result);

  CCheckHeadCtrl m_checkHead;
  DECLARE_MESSAGE_MAP()
};

// The row comparison of the header sort: texts compare by UTF-16 code units,
// no locale; -1, 0 or 1.
int CompareSortKeys(const CString& a, const CString& b, bool ascending);
