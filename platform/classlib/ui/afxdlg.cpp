// Dialogs: made from the registered templates, run modally, keyboard and close
// handling, the routing of control events to the message maps.
#include <wx/gauge.h>
#include <wx/statbmp.h>

#include "platform/classlib/ui/internal/wxbridge.h"

namespace afxui {

namespace {

class PmDialog : public wxDialog {
 public:
  using wxDialog::wxDialog;
  ~PmDialog() override { WindowGone(this); }
};

UINT VirtualKey(int wxKey) {
  switch (wxKey) {
    case WXK_ESCAPE:
      return VK_ESCAPE;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
      return VK_RETURN;
    case WXK_TAB:
      return VK_TAB;
    case WXK_F1:
      return VK_F1;
    default:
      if ((wxKey >= '0' && wxKey <= '9') || (wxKey >= 'A' && wxKey <= 'Z')) return static_cast<UINT>(wxKey);
      if (wxKey >= 'a' && wxKey <= 'z') return static_cast<UINT>(wxKey - 'a' + 'A');
      return 0;
  }
}

void OnCharHook(wxDialog* d, wxKeyEvent& e) {
  CWnd* wnd = CWnd::FromHandlePermanent(Hwnd(d));
  UINT vk = VirtualKey(e.GetKeyCode());
  if (wnd == nullptr || vk == 0) {
    e.Skip();
    return;
  }
  wxWindow* focus = wxWindow::FindFocus();
  MSG msg{};
  msg.hwnd = Hwnd(focus && State(focus) ? focus : d);
  msg.message = WM_KEYDOWN;
  msg.wParam = vk;
  if (wnd->PreTranslateMessage(&msg)) return;  // swallowed
  if (vk == VK_ESCAPE) {
    wnd->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return;
  }
  if (vk == VK_RETURN) {
    WindowState* st = focus ? State(focus) : nullptr;
    if (st && st->kind == Kind::Edit && (st->resStyle & kResMultiline)) {
      e.Skip();
      return;
    }
    wnd->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return;
  }
  e.Skip();
}

// WM_SIZE to the dialog's map, with the client size.
void SendSize(wxDialog* d, UINT type) {
  CWnd* wnd = CWnd::FromHandlePermanent(Hwnd(d));
  if (wnd == nullptr) return;
  wxSize c = d->GetClientSize();
  AfxMsgArgs args;
  args.wParam = type;
  args.pt = POINT{c.x, c.y};
  LRESULT r = 0;
  wnd->AfxDispatch(WM_SIZE, 0, 0, args, &r);
}

void OnSize(wxDialog* d, wxSizeEvent& e) {
  e.Skip();
  SendSize(d, d->IsIconized() ? SIZE_MINIMIZED : d->IsMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED);
}

void OnIconize(wxDialog* d, wxIconizeEvent& e) {
  e.Skip();
  if (e.IsIconized()) SendSize(d, SIZE_MINIMIZED);
}

// The system menu's items, offered as the dialog's context menu.
void OnContextMenu(wxDialog* d, wxContextMenuEvent& e) {
  CWnd* wnd = CWnd::FromHandlePermanent(Hwnd(d));
  CMenu* sys = wnd ? wnd->GetSystemMenu(FALSE) : nullptr;
  if (sys == nullptr || sys->GetMenuItemCount() == 0) {
    e.Skip();
    return;
  }
  wxMenu menu;
  bool any = false;
  for (const CMenu::Item& item : sys->Items()) {
    if (item.flags & MF_SEPARATOR) {
      if (any) menu.AppendSeparator();
      continue;
    }
    menu.Append(static_cast<int>(item.id), ToWx(item.text));
    any = true;
  }
  if (!any) return;
  int chosen = d->GetPopupMenuSelectionFromUser(menu);
  if (chosen != wxID_NONE) wnd->SendMessage(WM_SYSCOMMAND, static_cast<WPARAM>(chosen), 0);
}

wxWindow* CreateControl(wxDialog* d, const ResControl& c) {
  wxPoint pos = d->ConvertDialogToPixels(wxPoint(c.x, c.y));
  wxSize size = d->ConvertDialogToPixels(wxSize(c.cx, c.cy));
  int id = c.id == -1 ? wxID_ANY : c.id;
  wxString text = ToWx(c.text);
  wxWindow* w = nullptr;
  Kind kind = Kind::Other;
  switch (c.kind) {
    case ResControlKind::Static:
      w = new PmStatic(d, id, text, pos, size, c.style);
      kind = Kind::Static;
      break;
    case ResControlKind::Button: {
      auto* b = new PmWin<wxButton>(d, id, wxEmptyString, pos, size);
      b->SetLabelText(text);
      if (c.style & kResDefault) b->SetDefault();
      w = b;
      kind = Kind::Button;
      break;
    }
    case ResControlKind::Edit: {
      long style = 0;
      if (c.style & kResPassword) style |= wxTE_PASSWORD;
      if (c.style & kResMultiline) style |= wxTE_MULTILINE;
      if (c.style & kResReadOnly) style |= wxTE_READONLY;
      w = new PmWin<wxTextCtrl>(d, id, text, pos, size, style);
      kind = Kind::Edit;
      break;
    }
    case ResControlKind::ComboBox: {
      // The template gives the height of the open list; the closed box takes
      // its natural height.
      auto* ch = new PmWin<wxChoice>(d, id, pos, wxSize(size.x, -1));
      w = ch;
      kind = Kind::Combo;
      break;
    }
    case ResControlKind::ListView: {
      long style = wxLC_REPORT | wxBORDER_SUNKEN;
      if (c.style & kResSingleSel) style |= wxLC_SINGLE_SEL;
      w = new PmList(d, id, pos, size, style);
      kind = Kind::List;
      break;
    }
    case ResControlKind::Progress: {
      auto* g = new PmWin<wxGauge>(d, id, 100, pos, size, wxGA_HORIZONTAL | wxGA_SMOOTH);
      w = g;
      kind = Kind::Progress;
      break;
    }
    case ResControlKind::Picture: {
      UINT bitmapId = 0;
      for (const char16_t* p = c.text; p && *p >= u'0' && *p <= u'9'; ++p) bitmapId = bitmapId * 10 + (*p - u'0');
      w = new PmWin<wxStaticBitmap>(d, id, BitmapResource(bitmapId), pos, size);
      kind = Kind::Picture;
      break;
    }
  }
  if (w == nullptr) return nullptr;
  if (kind != Kind::Static && kind != Kind::List) Register(w, kind, c.style);
  if (kind != Kind::List) BindMouse(w);
  if (c.style & kResHidden) w->Hide();
  if (c.style & kResDisabled) w->Disable();
  return w;
}

}  // namespace

wxDialog* CreateDialogFromTemplate(const ResDialog& t, wxWindow* parent) {
  long style = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX;
  if (t.style & kResDlgResizable) style |= wxRESIZE_BORDER;
  if (t.style & kResDlgMinMax) style |= wxMINIMIZE_BOX | wxMAXIMIZE_BOX;
  auto* d = new PmDialog(parent, wxID_ANY, ToWx(t.title), wxDefaultPosition, wxDefaultSize, style);
  Register(d, Kind::Dialog);
  if (t.fontPoints > 0) {
    wxFont font(wxFontInfo(t.fontPoints).FaceName(ToWx(t.fontFace)));
    if (font.IsOk()) d->SetFont(font);
  }
  d->SetEscapeId(wxID_NONE);
  d->SetAffirmativeId(wxID_NONE);
  d->SetClientSize(d->ConvertDialogToPixels(wxSize(t.cx, t.cy)));
  for (size_t i = 0; i < t.controlCount; ++i) CreateControl(d, t.controls[i]);

  d->Bind(wxEVT_CHAR_HOOK, [d](wxKeyEvent& e) { OnCharHook(d, e); });
  d->Bind(wxEVT_CLOSE_WINDOW, [d](wxCloseEvent& e) {
    CWnd* wnd = CWnd::FromHandlePermanent(Hwnd(d));
    if (wnd == nullptr) {
      e.Skip();
      return;
    }
    if (e.CanVeto()) e.Veto();
    wnd->SendMessage(WM_CLOSE);
  });
  d->Bind(wxEVT_BUTTON, [](wxCommandEvent& e) {
    wxWindow* ctrl = dynamic_cast<wxWindow*>(e.GetEventObject());
    if (ctrl && State(ctrl))
      SendCommand(ctrl, BN_CLICKED);
    else
      e.Skip();
  });
  d->Bind(wxEVT_CHOICE, [](wxCommandEvent& e) {
    wxWindow* ctrl = dynamic_cast<wxWindow*>(e.GetEventObject());
    if (ctrl && State(ctrl)) SendCommand(ctrl, CBN_SELCHANGE);
  });
  d->Bind(wxEVT_TEXT, [](wxCommandEvent& e) {
    wxWindow* ctrl = dynamic_cast<wxWindow*>(e.GetEventObject());
    if (ctrl && State(ctrl)) SendCommand(ctrl, EN_CHANGE);
  });
  d->Bind(wxEVT_SIZE, [d](wxSizeEvent& e) { OnSize(d, e); });
  d->Bind(wxEVT_ICONIZE, [d](wxIconizeEvent& e) { OnIconize(d, e); });
  d->Bind(wxEVT_CONTEXT_MENU, [d](wxContextMenuEvent& e) { OnContextMenu(d, e); });
  BindMouse(d);
  return d;
}

void SendCommand(wxWindow* ctrl, UINT code) {
  wxWindow* parent = ctrl->GetParent();
  CWnd* wnd = parent ? CWnd::FromHandlePermanent(Hwnd(parent)) : nullptr;
  if (wnd == nullptr) return;
  wnd->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(ctrl->GetId()), code),
                   reinterpret_cast<LPARAM>(Hwnd(ctrl)));
}

LRESULT SendNotify(wxWindow* to, NMHDR* hdr) {
  CWnd* wnd = to ? CWnd::FromHandlePermanent(Hwnd(to)) : nullptr;
  if (wnd == nullptr) {
    // No object of the parent: the control's own reflected handler still runs.
    CWnd* child = CWnd::FromHandlePermanent(hdr->hwndFrom);
    if (child == nullptr) return 0;
    LRESULT r = 0;
    AfxMsgArgs args;
    args.ptr1 = hdr;
    args.pResult = &r;
    child->AfxDispatch(WM_REFLECT_BASE + WM_NOTIFY, hdr->code, 0, args, &r);
    return r;
  }
  LRESULT result = 0;
  wnd->OnNotify(static_cast<WPARAM>(hdr->idFrom), reinterpret_cast<LPARAM>(hdr), &result);
  return result;
}

}  // namespace afxui

using namespace afxui;

BEGIN_MESSAGE_MAP(CDialog, CWnd)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
  if (m_hWnd != nullptr) {
    wxWindow* w = Wx(m_hWnd);
    Detach();
    w->Destroy();
  }
}

namespace {
struct ModalResult {
  bool endRequested = false;
  int result = -1;
};
std::map<const CDialog*, ModalResult>& Results() {
  static std::map<const CDialog*, ModalResult> results;
  return results;
}
}  // namespace

INT_PTR CDialog::DoModal() {
  if (!AfxIsUiThread() || AfxIsQuitPending() || m_hWnd != nullptr) return -1;
  const ResDialog* t = AfxFindDialog(static_cast<int>(m_nIDTemplate));
  if (t == nullptr) return -1;
  wxWindow* owner = m_pParentWnd && m_pParentWnd->m_hWnd ? Wx(m_pParentWnd->m_hWnd) : DefaultOwner();
  wxDialog* d = CreateDialogFromTemplate(*t, owner);
  Attach(Hwnd(d));
  Results()[this] = ModalResult{};
  m_systemMenu = CMenu();

  if (owner)
    d->CentreOnParent();
  else
    d->Centre();
  if (OnInitDialog()) {
    // The first control that takes the focus gets it.
    for (wxWindow* c : d->GetChildren()) {
      if (c->IsShown() && c->IsEnabled() && c->AcceptsFocusFromKeyboard()) {
        c->SetFocus();
        break;
      }
    }
  }
  ApplyAllCtlColors(d);

  int result;
  if (Results()[this].endRequested || AfxIsQuitPending()) {
    result = AfxIsQuitPending() ? -1 : Results()[this].result;
  } else {
    PushModal(d);
    result = d->ShowModal();
    PopModal(d);
  }
  Results().erase(this);
  Detach();
  delete d;
  if (AfxIsQuitPending()) {
    result = -1;
    if (InnermostModal() != nullptr) wxTheApp->CallAfter([]() { EndInnermostForQuit(); });
  }
  return result;
}

void CDialog::EndDialog(int result) {
  auto it = Results().find(this);
  if (it == Results().end() || m_hWnd == nullptr) return;
  it->second.result = result;
  wxDialog* d = static_cast<wxDialog*>(Wx(m_hWnd));
  if (d->IsModal())
    d->EndModal(result);
  else
    it->second.endRequested = true;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  UpdateData(TRUE);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::MapDialogRect(LPRECT rect) const {
  if (rect == nullptr) return;
  wxWindow* w = m_hWnd ? Wx(m_hWnd) : nullptr;
  auto map = [&](int x, int y) -> wxPoint {
    if (w) return w->ConvertDialogToPixels(wxPoint(x, y));
    return wxPoint(x, y);
  };
  wxPoint a = map(rect->left, rect->top);
  wxPoint b = map(rect->right, rect->bottom);
  *rect = RECT{a.x, a.y, b.x, b.y};
}

BOOL CDialog::GetTemplateItemRect(int id, LPRECT rect) const {
  if (rect == nullptr) return FALSE;
  *rect = RECT{0, 0, 0, 0};
  const ResDialog* t = AfxFindDialog(static_cast<int>(m_nIDTemplate));
  for (size_t i = 0; t != nullptr && i < t->controlCount; ++i) {
    const ResControl& c = t->controls[i];
    if (c.id != id) continue;
    // Place and size are converted apart, as the controls are made.
    RECT origin{c.x, c.y, c.x, c.y}, size{0, 0, c.cx, c.cy};
    MapDialogRect(&origin);
    MapDialogRect(&size);
    *rect = RECT{origin.left, origin.top, origin.left + size.right, origin.top + size.bottom};
    return TRUE;
  }
  return FALSE;
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (CWnd::OnCommand(wParam, lParam)) return TRUE;
  if (HIWORD(wParam) != BN_CLICKED) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      OnOK();
      return TRUE;
    case IDCANCEL:
      OnCancel();
      return TRUE;
    default:
      return FALSE;
  }
}
