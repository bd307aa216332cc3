// The report list with check boxes, and its header.
#include "platform/classlib/ui/internal/wxbridge.h"

namespace afxui {

namespace {

PmList* ListOf(HWND h) { return h ? dynamic_cast<PmList*>(Wx(h)) : nullptr; }

void NotifyItemChanged(PmList* list, long item, bool checked) {
  NMLISTVIEW nm{};
  nm.hdr.hwndFrom = Hwnd(list);
  nm.hdr.idFrom = static_cast<UINT_PTR>(list->GetId());
  nm.hdr.code = LVN_ITEMCHANGED;
  nm.iItem = static_cast<int>(item);
  nm.iSubItem = 0;
  nm.uChanged = LVIF_STATE;
  nm.uNewState = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  nm.uOldState = INDEXTOSTATEIMAGEMASK(checked ? 1 : 2);
  nm.lParam = item >= 0 ? static_cast<LPARAM>(list->GetItemData(item)) : 0;
  SendNotify(list->GetParent(), &nm.hdr);
}

void NotifyClick(PmList* list, UINT code, const wxPoint& rowsPoint, wxWindow* rows) {
  SetMessagePos(rows->ClientToScreen(rowsPoint));
  int flags = 0;
  long col = -1;
  long item = list->HitTest(rowsPoint, flags, &col);
  NMITEMACTIVATE nm{};
  nm.hdr.hwndFrom = Hwnd(list);
  nm.hdr.idFrom = static_cast<UINT_PTR>(list->GetId());
  nm.hdr.code = code;
  nm.iItem = static_cast<int>(item);
  nm.iSubItem = static_cast<int>(col < 0 ? 0 : col);
  wxPoint inList = list->ScreenToClient(rows->ClientToScreen(rowsPoint));
  nm.ptAction = POINT{inList.x, inList.y};
  SendNotify(list->GetParent(), &nm.hdr);
}

}  // namespace

PmList::PmList(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style)
    : wxListCtrl(parent, id, pos, size, style) {
  Register(this, Kind::List);
  // The generic list makes its rows window first and its header second.
  const wxWindowList& kids = GetChildren();
  if (!kids.empty()) m_rows = kids[0];
  if (kids.size() > 1) m_header = kids[1];
  if (m_header) Register(m_header, Kind::Header).list = this;

  Bind(wxEVT_LIST_ITEM_CHECKED, [this](wxListEvent& e) {
    if (suppressCheckEvents == 0) NotifyItemChanged(this, e.GetIndex(), true);
  });
  Bind(wxEVT_LIST_ITEM_UNCHECKED, [this](wxListEvent& e) {
    if (suppressCheckEvents == 0) NotifyItemChanged(this, e.GetIndex(), false);
  });
  Bind(wxEVT_LIST_COL_CLICK, [this](wxListEvent& e) {
    int col = e.GetColumn();
    if (m_header != nullptr) {
      HDITEMW item{};
      NMHEADERW nm{};
      nm.hdr.hwndFrom = Hwnd(m_header);
      nm.hdr.idFrom = 0;
      nm.hdr.code = HDN_ITEMCLICKW;
      nm.iItem = col;
      nm.iButton = 0;
      nm.pitem = &item;
      SendNotify(this, &nm.hdr);
    }
    NMLISTVIEW lv{};
    lv.hdr.hwndFrom = Hwnd(this);
    lv.hdr.idFrom = static_cast<UINT_PTR>(GetId());
    lv.hdr.code = LVN_COLUMNCLICK;
    lv.iItem = -1;
    lv.iSubItem = col;
    SendNotify(GetParent(), &lv.hdr);
  });
  if (m_rows != nullptr) {
    wxWindow* rows = m_rows;
    rows->Bind(wxEVT_LEFT_UP, [this, rows](wxMouseEvent& e) {
      e.Skip();
      wxPoint p = e.GetPosition();
      CallAfter([this, rows, p]() { NotifyClick(this, NM_CLICK, p, rows); });
    });
    rows->Bind(wxEVT_LEFT_DCLICK, [this, rows](wxMouseEvent& e) {
      e.Skip();
      wxPoint p = e.GetPosition();
      CallAfter([this, rows, p]() { NotifyClick(this, NM_DBLCLK, p, rows); });
    });
  }
}

PmList::~PmList() { WindowGone(this); }

wxWindow* PmList::HeaderWindow() const { return m_header; }
wxWindow* PmList::MainWindow() const { return m_rows; }

}  // namespace afxui

using namespace afxui;

// ---------------------------------------------------------------------------
// CListCtrl

DWORD CListCtrl::SetExtendedStyle(DWORD exStyle) {
  DWORD old = m_exStyle;
  m_exStyle = exStyle;
  if (PmList* l = ListOf(m_hWnd)) l->EnableCheckBoxes((exStyle & LVS_EX_CHECKBOXES) != 0);
  return old;
}

DWORD CListCtrl::GetExtendedStyle() const { return m_exStyle; }

BOOL CListCtrl::SetBkColor(COLORREF color) {
  m_bkColor = color;
  if (PmList* l = ListOf(m_hWnd)) {
    l->SetBackgroundColour(ToColour(color));
    if (l->MainWindow()) l->MainWindow()->SetBackgroundColour(ToColour(color));
  }
  RefreshRowColors();
  return TRUE;
}

COLORREF CListCtrl::GetBkColor() const { return m_bkColor; }

BOOL CListCtrl::SetTextColor(COLORREF color) {
  m_textColor = color;
  if (PmList* l = ListOf(m_hWnd)) l->SetTextColour(ToColour(color));
  RefreshRowColors();
  return TRUE;
}

COLORREF CListCtrl::GetTextColor() const { return m_textColor; }

BOOL CListCtrl::SetTextBkColor(COLORREF color) {
  m_textBkColor = color;
  m_textBkSet = true;
  RefreshRowColors();
  return TRUE;
}

int CListCtrl::InsertColumn(int col, LPCWSTR heading, int format, int width, int) {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr) return -1;
  wxListColumnFormat f = format == LVCFMT_CENTER  ? wxLIST_FORMAT_CENTRE
                         : format == LVCFMT_RIGHT ? wxLIST_FORMAT_RIGHT
                                                  : wxLIST_FORMAT_LEFT;
  long r = l->InsertColumn(col, ToWx(heading), f, width < 0 ? wxLIST_AUTOSIZE_USEHEADER : width);
  return static_cast<int>(r);
}

// A column or row that does not exist is refused with FALSE, as the native
// control does; the toolkit would stop on an assertion instead.
BOOL CListCtrl::DeleteColumn(int col) {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr || col < 0 || col >= l->GetColumnCount()) return FALSE;
  return l->DeleteColumn(col) ? TRUE : FALSE;
}

BOOL CListCtrl::SetColumnWidth(int col, int width) {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr || col < 0 || col >= l->GetColumnCount()) return FALSE;
  int w = width == LVSCW_AUTOSIZE             ? wxLIST_AUTOSIZE
          : width == LVSCW_AUTOSIZE_USEHEADER ? wxLIST_AUTOSIZE_USEHEADER
                                              : width;
  return l->SetColumnWidth(col, w) ? TRUE : FALSE;
}

int CListCtrl::GetColumnWidth(int col) const {
  PmList* l = ListOf(m_hWnd);
  return l && col >= 0 && col < l->GetColumnCount() ? l->GetColumnWidth(col) : 0;
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr || l->HeaderWindow() == nullptr) return nullptr;
  return static_cast<CHeaderCtrl*>(CWnd::FromHandle(Hwnd(l->HeaderWindow())));
}

int CListCtrl::InsertItem(int item, LPCWSTR text) {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr) return -1;
  if (item < 0 || item > l->GetItemCount()) item = l->GetItemCount();
  long r = l->InsertItem(item, ToWx(text));
  RefreshRowColors();
  return static_cast<int>(r);
}

BOOL CListCtrl::DeleteItem(int item) {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr || item < 0 || item >= l->GetItemCount() || !l->DeleteItem(item)) return FALSE;
  RefreshRowColors();
  return TRUE;
}

BOOL CListCtrl::DeleteAllItems() {
  PmList* l = ListOf(m_hWnd);
  return l && l->DeleteAllItems() ? TRUE : FALSE;
}

int CListCtrl::GetItemCount() const {
  PmList* l = ListOf(m_hWnd);
  return l ? l->GetItemCount() : 0;
}

BOOL CListCtrl::SetItemText(int item, int subItem, LPCWSTR text) {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr || item < 0 || item >= l->GetItemCount() || subItem < 0 || subItem >= l->GetColumnCount())
    return FALSE;
  return l->SetItem(item, subItem, ToWx(text)) ? TRUE : FALSE;
}

CString CListCtrl::GetItemText(int item, int subItem) const {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr || item < 0 || item >= l->GetItemCount() || subItem < 0 || subItem >= l->GetColumnCount())
    return CString();
  return CString(FromWx(l->GetItemText(item, subItem)));
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data) {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr || item < 0 || item >= l->GetItemCount()) return FALSE;
  return l->SetItemPtrData(item, static_cast<wxUIntPtr>(data)) ? TRUE : FALSE;
}

DWORD_PTR CListCtrl::GetItemData(int item) const {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr || item < 0 || item >= l->GetItemCount()) return 0;
  return static_cast<DWORD_PTR>(l->GetItemData(item));
}

BOOL CListCtrl::GetCheck(int item) const {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr || item < 0 || item >= l->GetItemCount() || !l->HasCheckBoxes()) return FALSE;
  return l->IsItemChecked(item) ? TRUE : FALSE;
}

BOOL CListCtrl::SetCheck(int item, BOOL check) {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr || item < 0 || item >= l->GetItemCount() || !l->HasCheckBoxes()) return FALSE;
  bool was = l->IsItemChecked(item);
  ++l->suppressCheckEvents;
  l->CheckItem(item, check != FALSE);
  --l->suppressCheckEvents;
  if (was != (check != FALSE)) NotifyItemChanged(l, item, check != FALSE);
  return TRUE;
}

int CListCtrl::FindItem(LVFINDINFOW* find, int start) const {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr || find == nullptr) return -1;
  long from = start < 0 ? 0 : start + 1;
  if (find->flags & LVFI_PARAM) {
    for (long i = from; i < l->GetItemCount(); ++i) {
      if (static_cast<LPARAM>(l->GetItemData(i)) == find->lParam) return static_cast<int>(i);
    }
    return -1;
  }
  if ((find->flags & LVFI_STRING) && find->psz) {
    wxString s = ToWx(find->psz);
    for (long i = from; i < l->GetItemCount(); ++i) {
      if (l->GetItemText(i).IsSameAs(s, false)) return static_cast<int>(i);
    }
  }
  return -1;
}

namespace {
struct SortContext {
  PFNLVCOMPARE compare;
  DWORD_PTR data;
};
int wxCALLBACK SortTrampoline(wxIntPtr a, wxIntPtr b, wxIntPtr ctx) {
  auto* c = reinterpret_cast<SortContext*>(ctx);
  return c->compare(static_cast<LPARAM>(a), static_cast<LPARAM>(b), static_cast<LPARAM>(c->data));
}
}  // namespace

BOOL CListCtrl::SortItems(PFNLVCOMPARE compare, DWORD_PTR data) {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr || compare == nullptr) return FALSE;
  SortContext ctx{compare, data};
  bool ok = l->SortItems(&SortTrampoline, reinterpret_cast<wxIntPtr>(&ctx));
  RefreshRowColors();
  return ok ? TRUE : FALSE;
}

int CListCtrl::HitTest(CPoint point, UINT* flags) const {
  LVHITTESTINFO info{};
  info.pt = point;
  int r = HitTest(&info);
  if (flags) *flags = info.flags;
  return r;
}

int CListCtrl::HitTest(LVHITTESTINFO* info) const {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr || info == nullptr) return -1;
  wxPoint p(info->pt.x, info->pt.y);
  if (wxWindow* rows = l->MainWindow()) p = rows->ScreenToClient(l->ClientToScreen(p));
  int wxFlags = 0;
  long item = l->HitTest(p, wxFlags);
  UINT f = 0;
  if (wxFlags & wxLIST_HITTEST_ONITEMSTATEICON) f |= LVHT_ONITEMSTATEICON;
  if (wxFlags & wxLIST_HITTEST_ONITEMICON) f |= LVHT_ONITEMICON;
  if (wxFlags & wxLIST_HITTEST_ONITEMLABEL) f |= LVHT_ONITEMLABEL;
  if (f == 0) f = LVHT_NOWHERE;
  info->flags = f;
  info->iItem = static_cast<int>(item);
  return static_cast<int>(item);
}

int CListCtrl::GetNextItem(int start, int flags) const {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr) return -1;
  int state = (flags & LVNI_SELECTED) ? wxLIST_STATE_SELECTED : wxLIST_STATE_DONTCARE;
  return static_cast<int>(l->GetNextItem(start, wxLIST_NEXT_ALL, state));
}

BOOL CListCtrl::EnsureVisible(int item, BOOL) {
  PmList* l = ListOf(m_hWnd);
  return l && l->EnsureVisible(item) ? TRUE : FALSE;
}

UINT CListCtrl::GetItemState(int item, UINT mask) const {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr || item < 0 || item >= l->GetItemCount()) return 0;
  UINT state = 0;
  if (l->GetItemState(item, wxLIST_STATE_SELECTED) & wxLIST_STATE_SELECTED) state |= LVIS_SELECTED;
  if (l->GetItemState(item, wxLIST_STATE_FOCUSED) & wxLIST_STATE_FOCUSED) state |= LVIS_FOCUSED;
  if (l->HasCheckBoxes()) state |= INDEXTOSTATEIMAGEMASK(l->IsItemChecked(item) ? 2 : 1);
  return state & mask;
}

void CListCtrl::GetRowColors(int, COLORREF& text, COLORREF& background) {
  text = m_textColor;
  background = m_textBkSet ? m_textBkColor : m_bkColor;
}

void CListCtrl::RefreshRowColors() {
  PmList* l = ListOf(m_hWnd);
  if (l == nullptr) return;
  if (l->IsFrozen()) {
    m_rowColorsStale = true;
    return;
  }
  m_rowColorsStale = false;
  int n = l->GetItemCount();
  for (int i = 0; i < n; ++i) {
    COLORREF text = m_textColor, bk = m_bkColor;
    GetRowColors(i, text, bk);
    l->SetItemTextColour(i, ToColour(text));
    l->SetItemBackgroundColour(i, ToColour(bk));
  }
}

// ---------------------------------------------------------------------------
// CHeaderCtrl

int CHeaderCtrl::GetItemCount() const {
  WindowState* st = m_hWnd ? State(Wx(m_hWnd)) : nullptr;
  if (st == nullptr || st->list == nullptr) return 0;
  return static_cast<wxListCtrl*>(st->list)->GetColumnCount();
}

BOOL CHeaderCtrl::GetItem(int index, HDITEMW* item) const {
  WindowState* st = m_hWnd ? State(Wx(m_hWnd)) : nullptr;
  if (st == nullptr || item == nullptr || index < 0 || index >= GetItemCount()) return FALSE;
  auto* list = static_cast<wxListCtrl*>(st->list);
  if (item->mask & HDI_WIDTH) item->cxy = list->GetColumnWidth(index);
  if (item->mask & HDI_IMAGE) {
    auto it = st->headerImages.find(index);
    item->iImage = it == st->headerImages.end() ? -1 : it->second;
  }
  return TRUE;
}

BOOL CHeaderCtrl::SetItem(int index, HDITEMW* item) {
  WindowState* st = m_hWnd ? State(Wx(m_hWnd)) : nullptr;
  if (st == nullptr || item == nullptr || index < 0 || index >= GetItemCount()) return FALSE;
  auto* list = static_cast<wxListCtrl*>(st->list);
  if (item->mask & HDI_WIDTH) list->SetColumnWidth(index, item->cxy);
  if (item->mask & HDI_IMAGE) st->headerImages[index] = item->iImage;
  return TRUE;
}
