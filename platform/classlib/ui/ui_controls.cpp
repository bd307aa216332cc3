// Controls, fonts, measuring, colours, cursors and mouse tracking.
#include <wx/dcbuffer.h>
#include <wx/gauge.h>

#include <algorithm>

#include "platform/classlib/ui/wxbridge.h"

namespace afxui {

// ---------------------------------------------------------------------------
// Text layout

int LineHeight(wxWindow* measurer, const wxFont& font) {
  int w = 0, h = 0;
  measurer->GetTextExtent("Ag", &w, &h, nullptr, nullptr, &font);
  return h;
}

namespace {

int TextWidth(wxWindow* measurer, const wxFont& font, const wxString& s) {
  int w = 0, h = 0;
  measurer->GetTextExtent(s, &w, &h, nullptr, nullptr, &font);
  return w;
}

}  // namespace

std::vector<wxString> WrapText(wxWindow* measurer, const wxFont& font, const wxString& text, int width, bool wrap) {
  std::vector<wxString> lines;
  wxString rest = text;
  rest.Replace("\r\n", "\n");
  wxArrayString paragraphs = wxSplit(rest, '\n', 0);
  if (paragraphs.empty()) paragraphs.push_back(wxString());
  for (const wxString& para : paragraphs) {
    if (!wrap || width <= 0 || TextWidth(measurer, font, para) <= width) {
      lines.push_back(para);
      continue;
    }
    wxString line;
    size_t i = 0;
    while (i < para.length()) {
      // The next word with its leading spaces.
      size_t j = i;
      while (j < para.length() && para[j] == ' ') ++j;
      while (j < para.length() && para[j] != ' ') ++j;
      wxString word = para.Mid(i, j - i);
      wxString candidate = line + word;
      if (line.empty() || TextWidth(measurer, font, candidate) <= width) {
        if (line.empty() && TextWidth(measurer, font, word) > width) {
          // A word wider than the line breaks between characters.
          wxString piece;
          for (wxUniChar ch : word) {
            if (!piece.empty() && TextWidth(measurer, font, piece + ch) > width) {
              lines.push_back(piece);
              piece.clear();
            }
            if (!(piece.empty() && ch == ' ')) piece += ch;
          }
          line = piece;
        } else {
          line = candidate;
        }
      } else {
        lines.push_back(line);
        word.Trim(false);
        line = word;
      }
      i = j;
    }
    lines.push_back(line);
  }
  return lines;
}

// ---------------------------------------------------------------------------
// Colours from the parent's OnCtlColor

namespace {

int CtlColorType(const WindowState& st) {
  switch (st.kind) {
    case Kind::Static:
    case Kind::Picture: return CTLCOLOR_STATIC;
    case Kind::Edit: return (st.resStyle & kResReadOnly) ? CTLCOLOR_STATIC : CTLCOLOR_EDIT;
    case Kind::Button: return CTLCOLOR_BTN;
    case Kind::Dialog: return CTLCOLOR_DLG;
    default: return -1;
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
    case Kind::Dialog: w->SetBackgroundColour(bg ? *bg : wxNullColour); break;
    case Kind::Edit:
    case Kind::Picture:
      w->SetBackgroundColour(bg ? *bg : wxNullColour);
      w->SetForegroundColour(fg ? *fg : wxNullColour);
      break;
    default: break;  // statics paint from the state; buttons keep the theme
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
    if (m_style & kResCenter) x = pad + (width - tw) / 2;
    else if (m_style & kResRight) x = pad + width - tw;
    dc.DrawText(line, x, y);
    y += lh;
    if (y > size.y) break;
  }
}

// ---------------------------------------------------------------------------
// Mouse tracking

namespace {

wxWindow* g_mouseWindow = nullptr;
HCURSOR g_currentCursor = nullptr;

struct CursorHandle {
  wxStockCursor stock;
};
CursorHandle g_arrow{wxCURSOR_ARROW};
CursorHandle g_hand{wxCURSOR_HAND};
CursorHandle g_wait{wxCURSOR_WAIT};

HCURSOR AsHandle(CursorHandle* c) { return reinterpret_cast<HCURSOR>(c); }

void Dispatch(CWnd* wnd, UINT message, UINT flags, const wxPoint& pt, LRESULT* result = nullptr) {
  AfxMsgArgs args;
  args.wParam = flags;
  args.pt = POINT{pt.x, pt.y};
  LRESULT r = 0;
  wnd->AfxDispatch(message, 0, 0, args, result ? result : &r);
}

UINT MouseFlags(const wxMouseEvent& e) {
  UINT f = 0;
  if (e.LeftIsDown()) f |= 0x0001;
  if (e.RightIsDown()) f |= 0x0002;
  if (e.ShiftDown()) f |= 0x0004;
  if (e.ControlDown()) f |= 0x0008;
  return f;
}

void StartHoverTimer(wxWindow* w, WindowState& st) {
  if (!st.hoverTimer) {
    struct HoverTimer : wxTimer {
      explicit HoverTimer(wxWindow* win) : win(win) {}
      void Notify() override {
        WindowState* s = State(win);
        if (s == nullptr || !s->trackHover || !s->mouseInside) return;
        s->trackHover = false;
        CWnd* wnd = CWnd::FromHandlePermanent(Hwnd(win));
        if (wnd == nullptr) return;
        wxPoint p = win->ScreenToClient(wxGetMousePosition());
        Dispatch(wnd, WM_MOUSEHOVER, 0, p);
      }
      wxWindow* win;
    };
    st.hoverTimer = std::make_unique<HoverTimer>(w);
  }
  st.hoverTimer->StartOnce(static_cast<int>(st.hoverMs));
}

void OnMouse(wxWindow* w, wxMouseEvent& e) {
  e.Skip();
  WindowState* st = State(w);
  if (st == nullptr) return;
  wxPoint pt = e.GetPosition();
  SetMessagePos(w->ClientToScreen(pt));
  CWnd* wnd = CWnd::FromHandlePermanent(Hwnd(w));
  wxEventType type = e.GetEventType();
  if (type == wxEVT_ENTER_WINDOW || type == wxEVT_MOTION) {
    g_mouseWindow = w;
    st->mouseInside = true;
    if (wnd != nullptr) {
      AfxMsgArgs args;
      args.ptr1 = wnd;
      args.lParam = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
      LRESULT keep = 0;
      if (!wnd->AfxDispatch(WM_SETCURSOR, 0, 0, args, &keep) || !keep) {
        if (st->cursor != nullptr) {
          st->cursor = nullptr;
          w->SetCursor(wxNullCursor);
        }
      }
      Dispatch(wnd, WM_MOUSEMOVE, MouseFlags(e), pt);
    }
    if (st->trackHover && type == wxEVT_MOTION) StartHoverTimer(w, *st);
    return;
  }
  if (type == wxEVT_LEAVE_WINDOW) {
    st->mouseInside = false;
    if (g_mouseWindow == w) g_mouseWindow = nullptr;
    if (st->hoverTimer) st->hoverTimer->Stop();
    if (st->trackLeave) {
      st->trackLeave = false;
      st->trackHover = false;
      if (wnd != nullptr) Dispatch(wnd, WM_MOUSELEAVE, 0, pt);
    }
    return;
  }
  if (type == wxEVT_LEFT_DOWN) {
    if (wnd) Dispatch(wnd, WM_LBUTTONDOWN, MouseFlags(e), pt);
  } else if (type == wxEVT_LEFT_UP) {
    if (wnd) Dispatch(wnd, WM_LBUTTONUP, MouseFlags(e), pt);
    if (st->kind == Kind::Static && (st->resStyle & kResNotify) && w->IsEnabled() &&
        wxRect(w->GetClientSize()).Contains(pt)) {
      SendCommand(w, STN_CLICKED);
    }
  } else if (type == wxEVT_LEFT_DCLICK) {
    if (wnd) Dispatch(wnd, WM_LBUTTONDBLCLK, MouseFlags(e), pt);
    if (st->kind == Kind::Static && (st->resStyle & kResNotify) && w->IsEnabled()) SendCommand(w, STN_DBLCLK);
  }
}

}  // namespace

void BindMouse(wxWindow* w) {
  auto handler = [w](wxMouseEvent& e) { OnMouse(w, e); };
  w->Bind(wxEVT_ENTER_WINDOW, handler);
  w->Bind(wxEVT_MOTION, handler);
  w->Bind(wxEVT_LEAVE_WINDOW, handler);
  w->Bind(wxEVT_LEFT_DOWN, handler);
  w->Bind(wxEVT_LEFT_UP, handler);
  w->Bind(wxEVT_LEFT_DCLICK, handler);
}

HCURSOR CursorForTests(wxWindow* w) {
  WindowState* st = State(w);
  return st ? st->cursor : nullptr;
}

}  // namespace afxui

using namespace afxui;

HCURSOR LoadCursor(HINSTANCE, LPCWSTR name) {
  uintptr_t id = reinterpret_cast<uintptr_t>(name);
  if (id == 32649) return AsHandle(&g_hand);
  if (id == 32514) return AsHandle(&g_wait);
  if (id == 32512) return AsHandle(&g_arrow);
  return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR old = g_currentCursor;
  g_currentCursor = cursor;
  wxWindow* w = g_mouseWindow;
  if (w != nullptr) {
    if (WindowState* st = State(w)) st->cursor = cursor;
    if (cursor == nullptr) w->SetCursor(wxNullCursor);
    else w->SetCursor(wxCursor(reinterpret_cast<CursorHandle*>(cursor)->stock));
  }
  return old;
}

int ShowCursor(BOOL show) { return show ? 0 : -1; }

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT track) {
  if (track == nullptr || track->hwndTrack == nullptr) return FALSE;
  wxWindow* w = Wx(track->hwndTrack);
  WindowState* st = State(w);
  if (st == nullptr) return FALSE;
  if (track->dwFlags & TME_CANCEL) {
    if (track->dwFlags & TME_HOVER) st->trackHover = false;
    if (track->dwFlags & TME_LEAVE) st->trackLeave = false;
    if (st->hoverTimer) st->hoverTimer->Stop();
    return TRUE;
  }
  if (track->dwFlags & TME_HOVER) {
    st->trackHover = true;
    st->hoverMs = track->dwHoverTime == HOVER_DEFAULT ? 400 : std::max<DWORD>(track->dwHoverTime, 1);
    StartHoverTimer(w, *st);
  }
  if (track->dwFlags & TME_LEAVE) {
    st->trackLeave = true;
    if (!st->mouseInside) {
      // Not over the window: the leave comes at once.
      HWND h = track->hwndTrack;
      AfxPostToUiThread([h]() {
        WindowState* s = State(Wx(h));
        if (s == nullptr || !s->trackLeave || s->mouseInside) return;
        s->trackLeave = false;
        s->trackHover = false;
        if (CWnd* wnd = CWnd::FromHandlePermanent(h)) Dispatch(wnd, WM_MOUSELEAVE, 0, wxPoint(0, 0));
      });
    }
  }
  return TRUE;
}

namespace {
int g_waitDepth = 0;
}

void AfxBeginWaitCursor() {
  if (g_waitDepth++ == 0) wxBeginBusyCursor();
}

void AfxEndWaitCursor() {
  if (g_waitDepth == 0) return;
  if (--g_waitDepth == 0) wxEndBusyCursor();
}

// ---------------------------------------------------------------------------
// Brushes and fonts

struct HBRUSH__ {
  COLORREF color;
  bool hollow;
  bool stock;
};

namespace {
HBRUSH__ g_stockBrushes[] = {
    {0xFFFFFF, false, true}, {0xC0C0C0, false, true}, {0x808080, false, true},
    {0x404040, false, true}, {0x000000, false, true}, {0, true, true},
};
}  // namespace

HGDIOBJ GetStockObject(int which) {
  if (which < 0 || which > NULL_BRUSH) return nullptr;
  return &g_stockBrushes[which];
}

HBRUSH CreateSolidBrush(COLORREF color) { return new HBRUSH__{color, false, false}; }

bool AfxGetBrushColor(HBRUSH brush, COLORREF* color) {
  if (brush == nullptr || brush->hollow) return false;
  if (color) *color = brush->color;
  return true;
}

struct HFONT__ {
  wxFont font;
};

namespace afxui {
wxFont FontOf(HFONT f) { return f ? f->font : wxNullFont; }
HFONT NewFontHandle(const wxFont& f) { return new HFONT__{f}; }
}  // namespace afxui

BOOL DeleteObject(HGDIOBJ object) {
  if (object == nullptr) return FALSE;
  for (HBRUSH__& b : g_stockBrushes) {
    if (object == &b) return TRUE;
  }
  // Only brushes come here; fonts are deleted by their CFont.
  delete static_cast<HBRUSH__*>(object);
  return TRUE;
}

CBrush::~CBrush() { DeleteObject(); }
BOOL CBrush::CreateSolidBrush(COLORREF color) {
  DeleteObject();
  m_hObject = ::CreateSolidBrush(color);
  return TRUE;
}
BOOL CBrush::DeleteObject() {
  if (m_hObject == nullptr) return FALSE;
  ::DeleteObject(m_hObject);
  m_hObject = nullptr;
  return TRUE;
}

CFont::~CFont() { DeleteObject(); }

BOOL CFont::DeleteObject() {
  if (m_hObject == nullptr) return FALSE;
  delete static_cast<HFONT__*>(m_hObject);
  m_hObject = nullptr;
  return TRUE;
}

BOOL CFont::CreateFontIndirect(const LOGFONTW* lf) {
  if (lf == nullptr) return FALSE;
  DeleteObject();
  double points;
  if (lf->pmPointSize > 0 && lf->lfHeight == -static_cast<LONG>(std::lround(lf->pmPointSize * 4.0 / 3.0))) {
    points = lf->pmPointSize;
  } else {
    LONG h = lf->lfHeight < 0 ? -lf->lfHeight : lf->lfHeight;
    points = h > 0 ? h * 3.0 / 4.0 : wxNORMAL_FONT->GetFractionalPointSize();
  }
  wxFontInfo info(points);
  std::u16string face(lf->lfFaceName);
  if (!face.empty()) info.FaceName(ToWx(face.c_str()));
  if (lf->lfWeight >= FW_BOLD) info.Bold();
  if (lf->lfItalic) info.Italic();
  if (lf->lfUnderline) info.Underlined();
  if (lf->lfStrikeOut) info.Strikethrough();
  wxFont font(info);
  if (!font.IsOk()) return FALSE;
  m_hObject = NewFontHandle(font);
  return TRUE;
}

BOOL CFont::CreatePointFont(int pointSize10, LPCWSTR faceName) {
  LOGFONTW lf{};
  lf.pmPointSize = pointSize10 / 10.0f;
  lf.lfHeight = -static_cast<LONG>(std::lround(lf.pmPointSize * 4.0 / 3.0));
  lf.lfWeight = FW_NORMAL;
  if (faceName) {
    for (int i = 0; i < 31 && faceName[i]; ++i) lf.lfFaceName[i] = faceName[i];
  }
  return CreateFontIndirect(&lf);
}

int CFont::GetLogFont(LOGFONTW* lf) const {
  if (lf == nullptr || m_hObject == nullptr) return 0;
  const wxFont& f = static_cast<HFONT__*>(m_hObject)->font;
  *lf = LOGFONTW{};
  lf->pmPointSize = static_cast<float>(f.GetFractionalPointSize());
  lf->lfHeight = -static_cast<LONG>(std::lround(lf->pmPointSize * 4.0 / 3.0));
  lf->lfWeight = f.GetWeight() >= wxFONTWEIGHT_BOLD ? FW_BOLD : FW_NORMAL;
  lf->lfItalic = f.GetStyle() == wxFONTSTYLE_ITALIC;
  lf->lfUnderline = f.GetUnderlined();
  lf->lfStrikeOut = f.GetStrikethrough();
  std::u16string face = FromWx(f.GetFaceName());
  for (size_t i = 0; i < face.size() && i < 31; ++i) lf->lfFaceName[i] = face[i];
  return static_cast<int>(sizeof(LOGFONTW));
}

// ---------------------------------------------------------------------------
// Measuring

CDC::CDC(CWnd* wnd) : m_pWnd(wnd) {}

CFont* CDC::SelectObject(CFont* font) {
  CFont* old = m_pFont ? m_pFont : (m_pWnd ? m_pWnd->GetFont() : nullptr);
  m_pFont = font;
  return old;
}

namespace {

wxWindow* Measurer(CWnd* wnd) {
  if (wnd && wnd->m_hWnd) return Wx(wnd->m_hWnd);
  if (wxTheApp && wxTheApp->GetTopWindow()) return wxTheApp->GetTopWindow();
  return InnermostModal();
}

wxFont CurrentFont(CWnd* wnd, CFont* selected) {
  if (selected && selected->m_hObject) return FontOf(static_cast<HFONT>(*selected));
  if (wnd && wnd->m_hWnd) return Wx(wnd->m_hWnd)->GetFont();
  return *wxNORMAL_FONT;
}

wxString Slice(LPCWSTR text, int count) {
  if (text == nullptr) return wxString();
  std::u16string s = count < 0 ? std::u16string(text) : std::u16string(text, static_cast<size_t>(count));
  return ToWx(s.c_str());
}

}  // namespace

CSize CDC::GetTextExtent(LPCWSTR text, int count) const {
  wxWindow* m = Measurer(m_pWnd);
  if (m == nullptr) return CSize();
  wxFont font = CurrentFont(m_pWnd, m_pFont);
  int w = 0, h = 0;
  m->GetTextExtent(Slice(text, count), &w, &h, nullptr, nullptr, &font);
  return CSize(w, h);
}

CSize CDC::GetTextExtent(const CString& text) const { return GetTextExtent(text.GetString(), text.GetLength()); }

int CDC::DrawText(LPCWSTR text, int count, LPRECT rect, UINT format) {
  if (rect == nullptr) return 0;
  wxWindow* m = Measurer(m_pWnd);
  if (m == nullptr) return 0;
  wxFont font = CurrentFont(m_pWnd, m_pFont);
  wxString s = Slice(text, count);
  if (!(format & DT_NOPREFIX)) s = wxControl::RemoveMnemonics(s);
  bool wrap = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE);
  if (format & DT_SINGLELINE) s.Replace("\n", " ");
  std::vector<wxString> lines = WrapText(m, font, s, rect->right - rect->left, wrap);
  int lh = LineHeight(m, font);
  int width = 0;
  for (const wxString& line : lines) width = std::max(width, TextWidth(m, font, line));
  int height = lh * static_cast<int>(lines.size());
  if (format & DT_CALCRECT) {
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
  }
  return height;
}

int CDC::DrawText(const CString& text, LPRECT rect, UINT format) {
  return DrawText(text.GetString(), text.GetLength(), rect, format);
}

COLORREF CDC::SetTextColor(COLORREF color) {
  COLORREF old = m_textColor;
  m_textColor = color;
  m_hasTextColor = true;
  return old;
}

COLORREF CDC::SetBkColor(COLORREF color) {
  COLORREF old = m_bkColor;
  m_bkColor = color;
  return old;
}

int CDC::SetBkMode(int mode) {
  int old = m_bkMode;
  m_bkMode = mode;
  return old;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, LPSIZE size) {
  if (dc == nullptr || size == nullptr) return FALSE;
  *size = dc->GetTextExtent(text, count);
  return TRUE;
}

int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  return dc ? dc->DrawText(text, count, rect, format) : 0;
}

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

int CProgressCtrl::GetPos() const {
  return m_hWnd ? static_cast<wxGauge*>(Wx(m_hWnd))->GetValue() + m_lower : m_lower;
}
