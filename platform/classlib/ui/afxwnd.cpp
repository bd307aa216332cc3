// Window objects: the layer's record of its windows, binding objects to
// windows, timers, and CWnd's members.
#include "platform/classlib/ui/internal/wxbridge.h"

namespace afxui {

namespace {

std::map<const wxWindow*, std::unique_ptr<WindowState>>& Windows() {
  static std::map<const wxWindow*, std::unique_ptr<WindowState>> windows;
  return windows;
}

CWnd* MakeTemporary(Kind kind) {
  switch (kind) {
    case Kind::Static:
    case Kind::Picture:
      return new CStatic;
    case Kind::Button:
      return new CButton;
    case Kind::Edit:
      return new CEdit;
    case Kind::Combo:
      return new CComboBox;
    case Kind::List:
      return new CListCtrl;
    case Kind::Header:
      return new CHeaderCtrl;
    case Kind::Progress:
      return new CProgressCtrl;
    default:
      return new CWnd;
  }
}

}  // namespace

WindowState* State(const wxWindow* w) {
  auto it = Windows().find(w);
  return it == Windows().end() ? nullptr : it->second.get();
}

WindowState& Register(wxWindow* w, Kind kind, uint32_t resStyle) {
  auto& slot = Windows()[w];
  if (!slot) slot = std::make_unique<WindowState>();
  slot->kind = kind;
  slot->resStyle = resStyle;
  return *slot;
}

void WindowGone(wxWindow* w) {
  auto it = Windows().find(w);
  if (it == Windows().end()) return;
  std::unique_ptr<WindowState> state = std::move(it->second);
  Windows().erase(it);
  if (state->permanent != nullptr) state->permanent->m_hWnd = nullptr;
  if (state->temp) state->temp->m_hWnd = nullptr;
  for (auto& t : state->timers) t.second->Stop();
  if (state->hoverTimer) state->hoverTimer->Stop();
  // Any header of this list goes with it.
  std::vector<const wxWindow*> headers;
  for (auto& [win, st] : Windows()) {
    if (st->kind == Kind::Header && st->list == w) headers.push_back(win);
  }
  for (const wxWindow* h : headers) WindowGone(const_cast<wxWindow*>(h));
}

PmTimer::PmTimer(wxWindow* owner, UINT_PTR id) : m_owner(owner), m_id(id) {
  static uint64_t next = 0;
  generation = ++next;
}

void PmTimer::Notify() {
  if (pending) return;  // one tick waits at a time, as WM_TIMER does
  pending = true;
  wxWindow* owner = m_owner;
  UINT_PTR id = m_id;
  uint64_t gen = generation;
  wxTheApp->CallAfter([owner, id, gen]() {
    WindowState* st = State(owner);
    if (st == nullptr) return;
    auto it = st->timers.find(id);
    if (it == st->timers.end() || it->second->generation != gen) return;  // killed meanwhile
    it->second->pending = false;
    if (CWnd* wnd = CWnd::FromHandlePermanent(Hwnd(owner))) wnd->SendMessage(WM_TIMER, id, 0);
  });
}

}  // namespace afxui

using namespace afxui;

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (m_hWnd != nullptr) {
    if (WindowState* st = State(Wx(m_hWnd))) {
      if (st->permanent == this) st->permanent = nullptr;
    }
    m_hWnd = nullptr;
  }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  WindowState* st = State(Wx(hwnd));
  return st ? st->permanent : nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  WindowState* st = State(Wx(hwnd));
  if (st == nullptr) return nullptr;
  if (st->permanent) return st->permanent;
  if (!st->temp) {
    st->temp.reset(MakeTemporary(st->kind));
    st->temp->m_hWnd = hwnd;
  }
  return st->temp.get();
}

BOOL CWnd::Attach(HWND hwnd) {
  WindowState* st = hwnd ? State(Wx(hwnd)) : nullptr;
  if (st == nullptr || m_hWnd != nullptr) return FALSE;
  if (st->permanent != nullptr && st->permanent != this) st->permanent->m_hWnd = nullptr;
  st->permanent = this;
  m_hWnd = hwnd;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND h = m_hWnd;
  if (h != nullptr) {
    if (WindowState* st = State(Wx(h))) {
      if (st->permanent == this) st->permanent = nullptr;
    }
  }
  m_hWnd = nullptr;
  return h;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!Attach(hwnd)) return FALSE;
  PreSubclassWindow();
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  if (parent == nullptr) return FALSE;
  CWnd* item = parent->GetDlgItem(static_cast<int>(id));
  return item ? SubclassWindow(item->m_hWnd) : FALSE;
}

void CWnd::PreSubclassWindow() {}

BOOL CWnd::DestroyWindow() {
  if (m_hWnd == nullptr) return FALSE;
  wxWindow* w = Wx(m_hWnd);
  if (w->IsTopLevel())
    w->Destroy();
  else
    delete w;
  return TRUE;
}

void CWnd::SetWindowText(LPCWSTR text) {
  if (m_hWnd == nullptr) return;
  wxWindow* w = Wx(m_hWnd);
  WindowState* st = State(w);
  wxString s = ToWx(text);
  if (st && st->kind == Kind::Edit)
    static_cast<wxTextCtrl*>(w)->ChangeValue(s);
  else if (st && st->kind == Kind::Button)
    static_cast<wxButton*>(w)->SetLabelText(s);
  else if (st && st->kind == Kind::Dialog)
    static_cast<wxTopLevelWindow*>(w)->SetTitle(s);
  else
    w->SetLabel(s);
}

void CWnd::GetWindowText(CString& text) const {
  text.Empty();
  if (m_hWnd == nullptr) return;
  wxWindow* w = Wx(m_hWnd);
  WindowState* st = State(w);
  wxString s;
  if (st && st->kind == Kind::Edit)
    s = static_cast<wxTextCtrl*>(w)->GetValue();
  else if (st && st->kind == Kind::Button)
    s = static_cast<wxButton*>(w)->GetLabelText();
  else if (st && st->kind == Kind::Dialog)
    s = static_cast<wxTopLevelWindow*>(w)->GetTitle();
  else if (st && st->kind == Kind::Combo)
    s = static_cast<wxChoice*>(w)->GetStringSelection();
  else
    s = w->GetLabel();
  text = CString(FromWx(s));
}

int CWnd::GetWindowText(LPWSTR buffer, int maxCount) const {
  if (buffer == nullptr || maxCount <= 0) return 0;
  CString s;
  GetWindowText(s);
  int n = s.GetLength();
  if (n > maxCount - 1) n = maxCount - 1;
  for (int i = 0; i < n; ++i) buffer[i] = s.GetAt(i);
  buffer[n] = 0;
  return n;
}

int CWnd::GetWindowTextLength() const {
  CString s;
  GetWindowText(s);
  return s.GetLength();
}

void CWnd::SetDlgItemText(int id, LPCWSTR text) {
  if (CWnd* item = GetDlgItem(id)) item->SetWindowText(text);
}

UINT CWnd::GetDlgItemText(int id, CString& text) const {
  text.Empty();
  if (CWnd* item = GetDlgItem(id)) item->GetWindowText(text);
  return static_cast<UINT>(text.GetLength());
}

BOOL CWnd::ShowWindow(int cmdShow) {
  if (m_hWnd == nullptr) return FALSE;
  wxWindow* w = Wx(m_hWnd);
  BOOL wasVisible = w->IsShown();
  wxTopLevelWindow* top = w->IsTopLevel() ? static_cast<wxTopLevelWindow*>(w) : nullptr;
  switch (cmdShow) {
    case SW_HIDE:
      w->Show(false);
      break;
    case SW_MAXIMIZE:
      if (top) top->Maximize(true);
      w->Show(true);
      break;
    case SW_MINIMIZE:
      if (top) top->Iconize(true);
      break;
    case SW_RESTORE:
      if (top) {
        if (top->IsIconized())
          top->Iconize(false);
        else
          top->Maximize(false);
      }
      w->Show(true);
      break;
    default:
      w->Show(true);
      break;
  }
  return wasVisible;
}

BOOL CWnd::IsWindowVisible() const { return m_hWnd && Wx(m_hWnd)->IsShown(); }

BOOL CWnd::EnableWindow(BOOL enable) {
  if (m_hWnd == nullptr) return FALSE;
  wxWindow* w = Wx(m_hWnd);
  BOOL wasDisabled = !w->IsThisEnabled();
  w->Enable(enable != FALSE);
  ApplyCtlColor(w);
  w->Refresh();
  return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const { return m_hWnd && Wx(m_hWnd)->IsThisEnabled(); }

BOOL CWnd::IsIconic() const {
  if (m_hWnd == nullptr || !Wx(m_hWnd)->IsTopLevel()) return FALSE;
  return static_cast<wxTopLevelWindow*>(Wx(m_hWnd))->IsIconized();
}

BOOL CWnd::IsZoomed() const {
  if (m_hWnd == nullptr || !Wx(m_hWnd)->IsTopLevel()) return FALSE;
  return static_cast<wxTopLevelWindow*>(Wx(m_hWnd))->IsMaximized();
}

CWnd* CWnd::SetFocus() {
  CWnd* old = GetFocus();
  if (m_hWnd) Wx(m_hWnd)->SetFocus();
  return old;
}

CWnd* CWnd::GetFocus() {
  for (wxWindow* w = wxWindow::FindFocus(); w != nullptr; w = w->GetParent()) {
    if (State(w)) return FromHandle(Hwnd(w));
  }
  return nullptr;
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
  if (m_hWnd == nullptr) return;
  wxWindow* w = Wx(m_hWnd);
  w->SetSize(x, y, width, height, wxSIZE_ALLOW_MINUS_ONE);
  if (repaint) w->Refresh();
}

void CWnd::MoveWindow(LPCRECT rect, BOOL repaint) {
  if (rect) MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}

BOOL CWnd::SetWindowPos(const CWnd*, int x, int y, int cx, int cy, UINT flags) {
  if (m_hWnd == nullptr) return FALSE;
  wxWindow* w = Wx(m_hWnd);
  wxRect r = w->GetRect();
  if (!(flags & SWP_NOMOVE)) r.SetPosition(wxPoint(x, y));
  if (!(flags & SWP_NOSIZE)) r.SetSize(wxSize(cx, cy));
  w->SetSize(r, wxSIZE_ALLOW_MINUS_ONE);
  return TRUE;
}

void CWnd::GetWindowRect(LPRECT rect) const {
  if (rect == nullptr) return;
  *rect = RECT{0, 0, 0, 0};
  if (m_hWnd == nullptr) return;
  wxWindow* w = Wx(m_hWnd);
  wxPoint p = w->IsTopLevel() ? w->GetPosition() : w->GetParent()->ClientToScreen(w->GetPosition());
  wxSize s = w->GetSize();
  *rect = RECT{p.x, p.y, p.x + s.x, p.y + s.y};
}

void CWnd::GetClientRect(LPRECT rect) const {
  if (rect == nullptr) return;
  *rect = RECT{0, 0, 0, 0};
  if (m_hWnd == nullptr) return;
  wxSize s = Wx(m_hWnd)->GetClientSize();
  *rect = RECT{0, 0, s.x, s.y};
}

void CWnd::ScreenToClient(LPPOINT point) const {
  if (point == nullptr || m_hWnd == nullptr) return;
  wxPoint p = Wx(m_hWnd)->ScreenToClient(wxPoint(point->x, point->y));
  point->x = p.x;
  point->y = p.y;
}

void CWnd::ScreenToClient(LPRECT rect) const {
  if (rect == nullptr) return;
  POINT a{rect->left, rect->top}, b{rect->right, rect->bottom};
  ScreenToClient(&a);
  ScreenToClient(&b);
  *rect = RECT{a.x, a.y, b.x, b.y};
}

void CWnd::ClientToScreen(LPPOINT point) const {
  if (point == nullptr || m_hWnd == nullptr) return;
  wxPoint p = Wx(m_hWnd)->ClientToScreen(wxPoint(point->x, point->y));
  point->x = p.x;
  point->y = p.y;
}

void CWnd::ClientToScreen(LPRECT rect) const {
  if (rect == nullptr) return;
  POINT a{rect->left, rect->top}, b{rect->right, rect->bottom};
  ClientToScreen(&a);
  ClientToScreen(&b);
  *rect = RECT{a.x, a.y, b.x, b.y};
}

void CWnd::CenterWindow(CWnd*) {
  if (m_hWnd) Wx(m_hWnd)->CentreOnParent();
}

CWnd* CWnd::GetParent() const {
  if (m_hWnd == nullptr) return nullptr;
  wxWindow* w = Wx(m_hWnd);
  if (w->IsTopLevel()) return nullptr;
  WindowState* st = State(w);
  if (st && st->kind == Kind::Header) return FromHandle(Hwnd(st->list));
  return FromHandle(Hwnd(w->GetParent()));
}

CWnd* CWnd::GetDlgItem(int id) const {
  if (m_hWnd == nullptr) return nullptr;
  for (wxWindow* c : Wx(m_hWnd)->GetChildren()) {
    if (c->GetId() == id && State(c)) return FromHandle(Hwnd(c));
  }
  return nullptr;
}

int CWnd::GetDlgCtrlID() const { return m_hWnd ? Wx(m_hWnd)->GetId() : 0; }

CWnd* CWnd::GetWindow(UINT cmd) const {
  if (m_hWnd == nullptr) return nullptr;
  wxWindow* w = Wx(m_hWnd);
  auto registered = [](const wxWindowList& list) {
    std::vector<wxWindow*> out;
    for (wxWindow* c : list) {
      if (State(c)) out.push_back(c);
    }
    return out;
  };
  if (cmd == GW_CHILD) {
    auto kids = registered(w->GetChildren());
    return kids.empty() ? nullptr : FromHandle(Hwnd(kids.front()));
  }
  if (w->IsTopLevel() || w->GetParent() == nullptr) return nullptr;
  auto sibs = registered(w->GetParent()->GetChildren());
  size_t i = 0;
  while (i < sibs.size() && sibs[i] != w) ++i;
  if (i == sibs.size()) return nullptr;
  switch (cmd) {
    case GW_HWNDNEXT:
      return i + 1 < sibs.size() ? FromHandle(Hwnd(sibs[i + 1])) : nullptr;
    case GW_HWNDPREV:
      return i > 0 ? FromHandle(Hwnd(sibs[i - 1])) : nullptr;
    case GW_HWNDFIRST:
      return FromHandle(Hwnd(sibs.front()));
    case GW_HWNDLAST:
      return FromHandle(Hwnd(sibs.back()));
    default:
      return nullptr;
  }
}

void CWnd::SetFont(CFont* font, BOOL redraw) {
  if (m_hWnd == nullptr || font == nullptr || font->m_hObject == nullptr) return;
  wxWindow* w = Wx(m_hWnd);
  w->SetFont(FontOf(static_cast<HFONT>(*font)));
  if (redraw) w->Refresh();
}

CFont* CWnd::GetFont() const {
  if (m_hWnd == nullptr) return nullptr;
  wxWindow* w = Wx(m_hWnd);
  WindowState* st = State(w);
  if (st == nullptr) return nullptr;
  if (!st->fontObject) st->fontObject = std::make_unique<CFont>();
  st->fontObject->DeleteObject();
  st->fontObject->m_hObject = NewFontHandle(w->GetFont());
  return st->fontObject.get();
}

void CWnd::Invalidate(BOOL) {
  if (m_hWnd == nullptr) return;
  wxWindow* w = Wx(m_hWnd);
  WindowState* st = State(w);
  if (st && st->kind == Kind::Dialog)
    ApplyAllCtlColors(w);
  else
    ApplyCtlColor(w);
  w->Refresh();
}

void CWnd::UpdateWindow() {
  if (m_hWnd) Wx(m_hWnd)->Update();
}

void CWnd::SetRedraw(BOOL redraw) {
  if (m_hWnd == nullptr) return;
  wxWindow* w = Wx(m_hWnd);
  if (!redraw) {
    w->Freeze();
  } else if (w->IsFrozen()) {
    w->Thaw();
    if (auto* list = dynamic_cast<CListCtrl*>(this); list && !w->IsFrozen() && list->RowColorsStale())
      list->RefreshRowColors();
  }
}

CDC* CWnd::GetDC() {
  if (m_hWnd == nullptr) return nullptr;
  WindowState* st = State(Wx(m_hWnd));
  if (st == nullptr) return nullptr;
  st->dcs.push_back(std::make_unique<CDC>(this));
  return st->dcs.back().get();
}

int CWnd::ReleaseDC(CDC* dc) {
  if (m_hWnd == nullptr || dc == nullptr) return 0;
  WindowState* st = State(Wx(m_hWnd));
  if (st == nullptr) return 0;
  for (auto it = st->dcs.begin(); it != st->dcs.end(); ++it) {
    if (it->get() == dc) {
      st->dcs.erase(it);
      return 1;
    }
  }
  return 0;
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, void*) {
  if (m_hWnd == nullptr) return 0;
  if (!AfxIsUiThread()) {
    HWND h = m_hWnd;
    AfxPostToUiThread([h, id, elapseMs]() {
      if (CWnd* w = CWnd::FromHandle(h)) w->SetTimer(id, elapseMs);
    });
    return id;
  }
  wxWindow* w = Wx(m_hWnd);
  WindowState* st = State(w);
  if (st == nullptr) return 0;
  auto& slot = st->timers[id];
  if (!slot) slot = std::make_unique<PmTimer>(w, id);
  slot->Start(elapseMs < 1 ? 1 : static_cast<int>(elapseMs), wxTIMER_CONTINUOUS);
  return id;
}

BOOL CWnd::KillTimer(UINT_PTR id) {
  if (m_hWnd == nullptr) return FALSE;
  if (!AfxIsUiThread()) {
    HWND h = m_hWnd;
    AfxPostToUiThread([h, id]() {
      if (CWnd* w = CWnd::FromHandle(h)) w->KillTimer(id);
    });
    return TRUE;
  }
  WindowState* st = State(Wx(m_hWnd));
  if (st == nullptr) return FALSE;
  auto it = st->timers.find(id);
  if (it == st->timers.end()) return FALSE;
  it->second->Stop();
  st->timers.erase(it);
  return TRUE;
}

CMenu* CWnd::GetSystemMenu(BOOL) {
  if (CDialog* dlg = dynamic_cast<CDialog*>(this)) return &dlg->m_systemMenu;
  return nullptr;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCWSTR text) {
  m_items.push_back(Item{flags, id, CString(text)});
  return TRUE;
}

int CWnd::MessageBox(LPCWSTR text, LPCWSTR caption, UINT type) { return MessageBoxW(m_hWnd, text, caption, type); }

void CWnd::BeginWaitCursor() { AfxBeginWaitCursor(); }
void CWnd::EndWaitCursor() { AfxEndWaitCursor(); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  AfxMsgArgs args;
  args.wParam = wParam;
  args.lParam = lParam;
  LRESULT result = 0;
  switch (message) {
    case WM_COMMAND:
      return OnCommand(wParam, lParam);
    case WM_NOTIFY:
      OnNotify(wParam, lParam, &result);
      return result;
    case WM_CLOSE:
      if (!AfxDispatch(WM_CLOSE, 0, 0, args, &result)) OnClose();
      return 0;
    case WM_SYSCOMMAND:
      if (!AfxDispatch(WM_SYSCOMMAND, 0, 0, args, &result)) OnSysCommand(static_cast<UINT>(wParam), lParam);
      return 0;
    default:
      AfxDispatch(message, 0, 0, args, &result);
      return result;
  }
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND h = m_hWnd;
  if (h == nullptr) return FALSE;
  return AfxPostToUiThread([h, message, wParam, lParam]() {
    if (CWnd* w = CWnd::FromHandlePermanent(h)) w->SendMessage(message, wParam, lParam);
  });
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT id = LOWORD(wParam);
  UINT code = HIWORD(wParam);
  LRESULT r = 0;
  // The control first (reflection), then this window's map.
  if (lParam != 0) {
    if (CWnd* child = FromHandlePermanent(reinterpret_cast<HWND>(lParam))) {
      AfxMsgArgs args;
      if (child->AfxDispatch(WM_REFLECT_BASE + WM_COMMAND, code, 0, args, &r) && args.handled) return TRUE;
    }
  }
  AfxMsgArgs args;
  args.wParam = id;
  args.lParam = lParam;
  return AfxDispatch(WM_COMMAND, code, id, args, &r) ? TRUE : FALSE;
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result) {
  NMHDR* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (hdr == nullptr) return FALSE;
  LRESULT r = 0;
  if (CWnd* child = FromHandlePermanent(hdr->hwndFrom)) {
    AfxMsgArgs args;
    args.ptr1 = hdr;
    args.pResult = result ? result : &r;
    if (child->AfxDispatch(WM_REFLECT_BASE + WM_NOTIFY, hdr->code, 0, args, &r) && args.handled) return TRUE;
  }
  AfxMsgArgs args;
  args.ptr1 = hdr;
  args.pResult = result ? result : &r;
  return AfxDispatch(WM_NOTIFY, hdr->code, static_cast<UINT>(hdr->idFrom), args, &r) ? TRUE : FALSE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

void CWnd::OnTimer(UINT_PTR) {}
void CWnd::OnSize(UINT, int, int) {}
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return nullptr; }
void CWnd::OnSysCommand(UINT, LPARAM) {}
void CWnd::OnMouseMove(UINT, CPoint) {}
void CWnd::OnMouseHover(UINT, CPoint) {}
void CWnd::OnMouseLeave() {}
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return FALSE; }
void CWnd::OnLButtonDown(UINT, CPoint) {}
void CWnd::OnLButtonUp(UINT, CPoint) {}
void CWnd::OnLButtonDblClk(UINT, CPoint) {}
void CWnd::OnClose() {
  if (dynamic_cast<CDialog*>(this)) OnCommand(MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}
void CWnd::OnDestroy() {}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (dx == nullptr || dx->m_pDlgWnd == nullptr || control.m_hWnd != nullptr) return;
  CWnd* item = dx->m_pDlgWnd->GetDlgItem(id);
  if (item != nullptr) control.SubclassWindow(item->m_hWnd);
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
  if (dx == nullptr || dx->m_pDlgWnd == nullptr) return;
  CWnd* item = dx->m_pDlgWnd->GetDlgItem(id);
  if (item == nullptr) return;
  if (dx->m_bSaveAndValidate)
    item->GetWindowText(value);
  else
    item->SetWindowText(value);
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
  if (m_hWnd == nullptr || icon == nullptr) return nullptr;
  wxWindow* w = Wx(m_hWnd);
  if (!w->IsTopLevel()) return nullptr;
  wxBitmap bmp = BitmapResource(static_cast<UINT>(reinterpret_cast<uintptr_t>(icon)));
  if (!bmp.IsOk()) return nullptr;
  wxIcon ic;
  ic.CopyFromBitmap(bmp);
  auto* top = static_cast<wxTopLevelWindow*>(w);
  wxIconBundle bundle = top->GetIcons();
  bundle.AddIcon(ic);
  top->SetIcons(bundle);
  (void)bigIcon;
  return icon;
}
