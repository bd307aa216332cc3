// Mouse messages, cursors, mouse tracking and the wait cursor.
#include <algorithm>

#include "platform/classlib/ui/internal/wxbridge.h"

namespace afxui {

namespace {

wxWindow* g_mouseWindow = nullptr;
wxPoint g_messagePos;
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

void SetMessagePos(const wxPoint& screen) { g_messagePos = screen; }

void BindMouse(wxWindow* w) {
  auto handler = [w](wxMouseEvent& e) { OnMouse(w, e); };
  w->Bind(wxEVT_ENTER_WINDOW, handler);
  w->Bind(wxEVT_MOTION, handler);
  w->Bind(wxEVT_LEAVE_WINDOW, handler);
  w->Bind(wxEVT_LEFT_DOWN, handler);
  w->Bind(wxEVT_LEFT_UP, handler);
  w->Bind(wxEVT_LEFT_DCLICK, handler);
}

HCURSOR CursorOf(wxWindow* w) {
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
    if (cursor == nullptr)
      w->SetCursor(wxNullCursor);
    else
      w->SetCursor(wxCursor(reinterpret_cast<CursorHandle*>(cursor)->stock));
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

DWORD GetMessagePos() {
  return static_cast<DWORD>(MAKELONG(static_cast<WORD>(static_cast<SHORT>(g_messagePos.x)),
                                     static_cast<WORD>(static_cast<SHORT>(g_messagePos.y))));
}

BOOL GetCursorPos(LPPOINT point) {
  if (point == nullptr) return FALSE;
  wxPoint p = wxGetMousePosition();
  point->x = p.x;
  point->y = p.y;
  return TRUE;
}
