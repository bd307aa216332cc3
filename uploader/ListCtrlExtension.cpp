#include "uploader/ListCtrlExtension.h"

#include <unordered_map>

namespace {

int g_sortColumn = -1;
int g_ascending = 0;

struct SortKeys {
  std::unordered_map<DWORD_PTR, CString> texts;
  bool ascending;
};

int CALLBACK CompareItems(LPARAM data1, LPARAM data2, LPARAM context) {
  const SortKeys* keys = reinterpret_cast<const SortKeys*>(context);
  auto a = keys->texts.find(static_cast<DWORD_PTR>(data1));
  auto b = keys->texts.find(static_cast<DWORD_PTR>(data2));
  static const CString empty;
  return CompareSortKeys(a == keys->texts.end() ? empty : a->second, b == keys->texts.end() ? empty : b->second,
                         keys->ascending);
}

}  // namespace

int CompareSortKeys(const CString& a, const CString& b, bool ascending) {
  const char16_t* x = ascending ? a.GetString() : b.GetString();
  const char16_t* y = ascending ? b.GetString() : a.GetString();
  while (*x && *x == *y) {
    ++x;
    ++y;
  }
  if (*x == *y) return 0;
  return static_cast<uint16_t>(*x) < static_cast<uint16_t>(*y) ? -1 : 1;
}

// ---------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CCheckHeadCtrl, CHeaderCtrl)
ON_NOTIFY_REFLECT(HDN_ITEMCLICKW, &CCheckHeadCtrl::OnItemClick)
END_MESSAGE_MAP()

int CCheckHeadCtrl::GetSortColumn() { return g_sortColumn; }
int CCheckHeadCtrl::GetAscending() { return g_ascending; }
void CCheckHeadCtrl::ResetSortState() {
  g_sortColumn = -1;
  g_ascending = 0;
}

void CCheckHeadCtrl::OnItemClick(NMHDR* hdr, LRESULT* result) {
  if (result) *result = 0;
  const NMHEADERW* nm = reinterpret_cast<const NMHEADERW*>(hdr);
  int column = nm->iItem;
  g_ascending = (column != g_sortColumn || g_ascending == 0) ? 1 : 0;
  g_sortColumn = column;
  CListCtrl* list = dynamic_cast<CListCtrl*>(GetParent());
  if (list == nullptr) return;
  // The keys are read once per sort, not once per comparison.
  SortKeys keys;
  keys.ascending = g_ascending != 0;
  int count = list->GetItemCount();
  keys.texts.reserve(static_cast<size_t>(count));
  for (int row = 0; row < count; ++row) keys.texts[list->GetItemData(row)] = list->GetItemText(row, column);
  list->SortItems(&CompareItems, reinterpret_cast<DWORD_PTR>(&keys));
}

// ---------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CListCtrlExtension, CListCtrl)
ON_NOTIFY_REFLECT_EX(LVN_ITEMCHANGED, &CListCtrlExtension::OnItemChanged)
END_MESSAGE_MAP()

void CListCtrlExtension::PreSubclassWindow() {
  if (CHeaderCtrl* header = GetHeaderCtrl()) m_checkHead.SubclassWindow(header->GetSafeHwnd());
  CListCtrl::PreSubclassWindow();
}

void CListCtrlExtension::GetRowColors(int row, COLORREF& text, COLORREF& background) {
  CListCtrl::GetRowColors(row, text, background);
  background = (row % 2 == 0) ? kEvenRowColor : kOddRowColor;
}

BOOL CListCtrlExtension::OnItemChanged(NMHDR* hdr, LRESULT* result) {
  if (result) *result = 0;
  const NMLISTVIEW* nm = reinterpret_cast<const NMLISTVIEW*>(hdr);
  if (!(nm->uChanged & LVIF_STATE)) return FALSE;
  bool allChecked = true;
  int count = GetItemCount();
  for (int i = 0; i < count && allChecked; ++i) allChecked = GetCheck(i) != FALSE;
  HDITEMW item{};
  item.mask = HDI_IMAGE;
  item.iImage = allChecked ? 2 : 1;
  if (m_checkHead.GetSafeHwnd() != nullptr) m_checkHead.SetItem(0, &item);
  return FALSE;
}

void CListCtrlExtension::AutoSizeColumns() {
  CHeaderCtrl* header = GetHeaderCtrl();
  if (header == nullptr) return;
  SetRedraw(FALSE);
  int columns = header->GetItemCount();
  for (int col = 0; col < columns; ++col) {
    SetColumnWidth(col, LVSCW_AUTOSIZE);
    int contents = GetColumnWidth(col);
    SetColumnWidth(col, LVSCW_AUTOSIZE_USEHEADER);
    int heading = GetColumnWidth(col);
    SetColumnWidth(col, contents > heading ? contents : heading);
  }
  SetRedraw(TRUE);
}
