// The colours of the parent's OnCtlColor, the static text the layer draws,
// and the simple controls.
#include <wx/dcbuffer.h>
#include <wx/gauge.h>

#include <algorithm>

#include "platform/classlib/ui/internal/wxbridge.h"

namespace afxui {

// ---------------------------------------------------------------------------
// Colours from the parent's OnCtlColor

namespace {

int CtlColorType(const WindowState& st) {
  switch (st.kind) {
    case Kind::Static:
    case Kind::Picture:
      return CTLCOLOR_STATIC;
    case Kind::Edit:
      return (st.resStyle & kResReadOnly) ? CTLCOLOR_STATIC : CTLCOLOR_EDIT;
    case Kind::Button:
      return CTLCOLOR_BTN;
    case Kind::Dialog:
      return CTLCOLOR_DLG;
    default:
      return -1;
  }
}

}  // namespace

void ApplyCtlColor(wxWindow* w) {
  WindowState* st = State(w);
  if (st == nullptr) return;
  int type = CtlColorType(*st);
  if (type < 0) return;
  wxWindow* parentWin = st->kind == Kind::Dialog ? w : w->GetParent();
  CWnd* parent = parentWin ? CWnd::FromHandlePermanent(Hwnd(parentWin)) : nullptr;
  std::optional<wxColour> fg, bg;
  if (parent != nullptr) {
    CDC dc(CWnd::FromHandle(Hwnd(w)));
    AfxMsgArgs args;
    args.wParam = static_cast<WPARAM>(type);
    args.ptr1 = &dc;
    args.ptr2 = CWnd::FromHandle(Hwnd(w));
    LRESULT r = 0;
    if (parent->AfxDispatch(WM_CTLCOLOR, 0, 0, args, &r)) {
      COLORREF c;
      if (AfxGetBrushColor(reinterpret_cast<HBRUSH>(r), &c)) bg = ToColour(c);
      if (dc.HasTextColor()) fg = ToColour(dc.GetTextColor());
    }
  }
  bool changed = st->fg != fg || st->bg != bg;
  st->fg = fg;
  st->bg = bg;
  if (!changed) return;
  switch (st->kind) {
    case Kind::Dialog:
      w->SetBackgroundColour(bg ? *bg : wxNullColour);
      break;
    case Kind::Edit:
    case Kind::Picture:
      w->SetBackgroundColour(bg ? *bg : wxNullColour);
      w->SetForegroundColour(fg ? *fg : wxNullColour);
      break;
    default:
      break;  // statics paint from the state; buttons keep the theme
  }
  w->Refresh();
}

void ApplyAllCtlColors(wxWindow* dialog) {
  ApplyCtlColor(dialog);
  for (wxWindow* c : dialog->GetChildren()) ApplyCtlColor(c);
}

// ---------------------------------------------------------------------------
// The static text

PmStatic::PmStatic(wxWindow* parent, int id, const wxString& text, const wxPoint& pos, const wxSize& size,
                   uint32_t style)
    : wxWindow(parent, id, pos, size, wxFULL_REPAINT_ON_RESIZE | wxBORDER_NONE), m_text(text), m_style(style) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Register(this, Kind::Static, style);
  Bind(wxEVT_PAINT, &PmStatic::OnPaint, this);
}

void PmStatic::SetLabel(const wxString& label) {
  if (label == m_text) return;
  m_text = label;
  Refresh();
}

void PmStatic::OnPaint(wxPaintEvent&) {
  ApplyCtlColor(this);
  WindowState* st = State(this);
  wxAutoBufferedPaintDC dc(this);
  wxColour bg = st && st->bg ? *st->bg : GetParent()->GetBackgroundColour();
  wxColour fg = st && st->fg ? *st->fg : GetParent()->GetForegroundColour();
  if (!fg.IsOk()) fg = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);
  if (!IsThisEnabled()) fg = wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT);
  dc.SetBackground(wxBrush(bg));
  dc.Clear();
  wxSize size = GetClientSize();
  int pad = 0;
  if (m_style & kResBorder) {
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(0, 0, size.x, size.y);
    pad = 3;
  }
  wxFont font = GetFont();
  dc.SetFont(font);
  dc.SetTextForeground(fg);
  int width = size.x - 2 * pad;
  std::vector<wxString> lines = WrapText(this, font, m_text, width, !(m_style & kResNoWrap));
  int lh = LineHeight(this, font);
  int y = pad;
  for (const wxString& line : lines) {
    int tw = TextWidth(this, font, line);
    int x = pad;
    if (m_style & kResCenter)
      x = pad + (width - tw) / 2;
    else if (m_style & kResRight)
      x = pad + width - tw;
    dc.DrawText(line, x, y);
    y += lh;
    if (y > size.y) break;
  }
}

}  // namespace afxui

using namespace afxui;

// ---------------------------------------------------------------------------
// Simple controls

HICON CStatic::SetIcon(HICON icon) { return icon; }

void CEdit::SetSel(int start, int end, BOOL) {
  if (m_hWnd) static_cast<wxTextCtrl*>(Wx(m_hWnd))->SetSelection(start, end);
}

void CEdit::LimitText(int max) {
  if (m_hWnd) static_cast<wxTextCtrl*>(Wx(m_hWnd))->SetMaxLength(max > 0 ? static_cast<unsigned long>(max) : 0);
}

void CEdit::SetReadOnly(BOOL readOnly) {
  if (m_hWnd) static_cast<wxTextCtrl*>(Wx(m_hWnd))->SetEditable(!readOnly);
}

namespace {
wxChoice* Choice(HWND h) { return h ? static_cast<wxChoice*>(Wx(h)) : nullptr; }
}  // namespace

int CComboBox::AddString(LPCWSTR text) {
  wxChoice* c = Choice(m_hWnd);
  return c ? c->Append(ToWx(text)) : -1;
}

int CComboBox::InsertString(int index, LPCWSTR text) {
  wxChoice* c = Choice(m_hWnd);
  if (c == nullptr) return -1;
  if (index < 0 || index > static_cast<int>(c->GetCount())) index = static_cast<int>(c->GetCount());
  return c->Insert(ToWx(text), static_cast<unsigned>(index));
}

int CComboBox::DeleteString(UINT index) {
  wxChoice* c = Choice(m_hWnd);
  if (c == nullptr || index >= c->GetCount()) return -1;
  c->Delete(index);
  return static_cast<int>(c->GetCount());
}

void CComboBox::ResetContent() {
  if (wxChoice* c = Choice(m_hWnd)) c->Clear();
}

int CComboBox::GetCount() const {
  wxChoice* c = Choice(m_hWnd);
  return c ? static_cast<int>(c->GetCount()) : 0;
}

int CComboBox::GetCurSel() const {
  wxChoice* c = Choice(m_hWnd);
  return c ? c->GetSelection() : -1;
}

int CComboBox::SetCurSel(int index) {
  wxChoice* c = Choice(m_hWnd);
  if (c == nullptr) return -1;
  if (index < 0 || index >= static_cast<int>(c->GetCount())) {
    c->SetSelection(wxNOT_FOUND);
    return -1;
  }
  c->SetSelection(index);
  return index;
}

int CComboBox::SetItemData(int index, DWORD_PTR data) {
  wxChoice* c = Choice(m_hWnd);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->GetCount())) return -1;
  c->SetClientData(static_cast<unsigned>(index), reinterpret_cast<void*>(data));
  return 0;
}

DWORD_PTR CComboBox::GetItemData(int index) const {
  wxChoice* c = Choice(m_hWnd);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->GetCount())) return static_cast<DWORD_PTR>(-1);
  return reinterpret_cast<DWORD_PTR>(c->GetClientData(static_cast<unsigned>(index)));
}

void CComboBox::GetLBText(int index, CString& text) const {
  wxChoice* c = Choice(m_hWnd);
  text.Empty();
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->GetCount())) return;
  text = CString(FromWx(c->GetString(static_cast<unsigned>(index))));
}

int CComboBox::FindStringExact(int startAfter, LPCWSTR text) const {
  wxChoice* c = Choice(m_hWnd);
  if (c == nullptr) return -1;
  wxString s = ToWx(text);
  int n = static_cast<int>(c->GetCount());
  for (int k = 0; k < n; ++k) {
    int i = (startAfter + 1 + k) % n;
    if (i < 0) i += n;
    if (c->GetString(static_cast<unsigned>(i)).IsSameAs(s, false)) return i;
  }
  return -1;
}

void CProgressCtrl::SetRange32(int lower, int upper) {
  if (upper <= lower) upper = lower + 1;
  m_lower = lower;
  m_upper = upper;
  if (m_hWnd) static_cast<wxGauge*>(Wx(m_hWnd))->SetRange(upper - lower);
}

void CProgressCtrl::GetRange(int& lower, int& upper) const {
  lower = m_lower;
  upper = m_upper;
}

int CProgressCtrl::SetPos(int pos) {
  int old = GetPos();
  pos = std::clamp(pos, m_lower, m_upper);
  if (m_hWnd) static_cast<wxGauge*>(Wx(m_hWnd))->SetValue(pos - m_lower);
  return old;
}

int CProgressCtrl::GetPos() const { return m_hWnd ? static_cast<wxGauge*>(Wx(m_hWnd))->GetValue() + m_lower : m_lower; }
