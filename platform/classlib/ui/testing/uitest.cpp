#include "platform/classlib/ui/testing/uitest.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <wx/choice.h>
#include <wx/image.h>
#include <wx/mstream.h>
#include <wx/utils.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "platform/classlib/ui/internal/wxbridge.h"

using namespace afxui;

namespace {

void Flush() {
  for (int i = 0; i < 10; ++i) {
    if (wxTheApp) wxTheApp->Yield(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// What the X server shows in `area` now. The toolkit's screen device context
// keeps an image of the screen from its first read, so that every later
// picture would show the first window again; the server's own pixels are
// read instead.
wxImage ReadScreen(wxRect area) {
  Display* display = wxGetX11Display();
  if (display == nullptr) return wxImage();
  const int screen = DefaultScreen(display);
  // Only pixels on the screen can be read.
  area.Intersect(wxRect(0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)));
  if (area.IsEmpty()) return wxImage();
  XSync(display, False);
  XImage* shot = XGetImage(display, RootWindow(display, screen), area.x, area.y, static_cast<unsigned>(area.width),
                           static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
  if (shot == nullptr) return wxImage();
  // One colour channel of a pixel, scaled to 8 bits.
  auto channel = [](unsigned long pixel, unsigned long mask) -> unsigned char {
    if (mask == 0) return 0;
    const int shift = __builtin_ctzl(mask);
    const unsigned long max = mask >> shift;
    return static_cast<unsigned char>(((pixel & mask) >> shift) * 255 / max);
  };
  wxImage image(area.width, area.height);
  for (int y = 0; y < area.height; ++y) {
    for (int x = 0; x < area.width; ++x) {
      const unsigned long pixel = XGetPixel(shot, x, y);
      image.SetRGB(x, y, channel(pixel, shot->red_mask), channel(pixel, shot->green_mask),
                   channel(pixel, shot->blue_mask));
    }
  }
  XDestroyImage(shot);
  return image;
}

// The whole screen as xwd takes it, through netpbm's reader of its files.
wxImage ReadWholeScreen() {
  struct PipeCloser {
    void operator()(FILE* f) const { pclose(f); }
  };
  std::unique_ptr<FILE, PipeCloser> pipe(popen("xwd -root -silent | xwdtopnm 2>/dev/null", "r"));
  if (!pipe) return wxImage();
  std::string bytes;
  char chunk[65536];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe.get())) > 0;) bytes.append(chunk, n);
  if (pclose(pipe.release()) != 0 || bytes.empty()) return wxImage();
  if (wxImage::FindHandler(wxBITMAP_TYPE_PNM) == nullptr) wxImage::AddHandler(new wxPNMHandler);
  wxMemoryInputStream in(bytes.data(), bytes.size());
  return wxImage(in, wxBITMAP_TYPE_PNM);
}

bool SavePng(const wxImage& image, const std::string& pngPath) {
  if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
  return image.SaveFile(wxString::FromUTF8(pngPath), wxBITMAP_TYPE_PNG);
}

// Whether `area` of the picture shows what the server holds there: a caret
// that blinks between the two reads may differ, nothing more.
bool ShowsScreenArea(const wxImage& picture, wxRect area) {
  area.Intersect(wxRect(0, 0, picture.GetWidth(), picture.GetHeight()));
  const wxImage screen = ReadScreen(area);
  if (area.IsEmpty() || !screen.IsOk() || screen.GetWidth() != area.width) return false;
  long differing = 0;
  for (int y = 0; y < area.height; ++y)
    for (int x = 0; x < area.width; ++x)
      if (picture.GetRed(area.x + x, area.y + y) != screen.GetRed(x, y) ||
          picture.GetGreen(area.x + x, area.y + y) != screen.GetGreen(x, y) ||
          picture.GetBlue(area.x + x, area.y + y) != screen.GetBlue(x, y))
        ++differing;
  return differing * 100 <= static_cast<long>(area.width) * area.height;
}

}  // namespace

bool UiTestSaveWholeScreen(const std::string& pngPath, CWnd* shown) {
  Flush();
  const wxImage picture = ReadWholeScreen();
  if (!picture.IsOk() || !SavePng(picture, pngPath)) return false;
  if (shown == nullptr) return true;
  if (shown->m_hWnd == nullptr) return false;
  const wxWindow* w = Wx(shown->m_hWnd);
  return ShowsScreenArea(picture, wxRect(w->GetScreenPosition(), w->GetSize()));
}

bool UiTestSaveScreenshot(CWnd* wnd, const std::string& pngPath) {
  if (wnd == nullptr || wnd->m_hWnd == nullptr) return false;
  wxWindow* w = Wx(wnd->m_hWnd);
  wxWindow* top = wxGetTopLevelParent(w);
  if (top == nullptr) return false;
  top->Raise();
  top->Refresh();
  top->Update();
  Flush();
  // Read back from the screen: what the user sees, the window's frame aside.
  wxRect area(w->GetScreenPosition(), w->GetSize());
  if (w == top) area = wxRect(top->ClientToScreen(wxPoint(0, 0)), top->GetClientSize());
  if (area.width <= 0 || area.height <= 0) return false;
  wxImage image = ReadScreen(area);
  return image.IsOk() && SavePng(image, pngPath);
}

HWND UiTestInnermostModal() { return Hwnd(InnermostModal()); }

bool UiTestIsMessageBox(HWND wnd) { return wnd && IsMessageBox(Wx(wnd)); }

CString UiTestMessageBoxText(HWND wnd) { return CString(FromWx(MessageBoxText(Wx(wnd)))); }

CString UiTestMessageBoxCaption(HWND wnd) { return CString(FromWx(MessageBoxCaption(Wx(wnd)))); }

bool UiTestEndModal(HWND wnd, int result) {
  if (wnd == nullptr) return false;
  auto* d = dynamic_cast<wxDialog*>(Wx(wnd));
  if (d == nullptr || !d->IsModal()) return false;
  if (IsMessageBox(d)) {
    int id = result == IDOK ? wxID_OK : result == IDYES ? wxID_YES : result == IDNO ? wxID_NO : wxID_CANCEL;
    d->EndModal(id);
    return true;
  }
  if (CDialog* dlg = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(wnd))) {
    dlg->EndDialog(result);
  } else {
    d->EndModal(result);
  }
  return true;
}

void UiTestClick(CWnd* control) {
  if (control == nullptr || control->m_hWnd == nullptr) return;
  wxWindow* w = Wx(control->m_hWnd);
  WindowState* st = State(w);
  if (st && st->kind == Kind::Button) {
    wxCommandEvent e(wxEVT_BUTTON, w->GetId());
    e.SetEventObject(w);
    w->ProcessWindowEvent(e);
    return;
  }
  UiTestMouse(control, UiTestMouseAction::Enter);
  UiTestMouse(control, UiTestMouseAction::LeftDown);
  UiTestMouse(control, UiTestMouseAction::LeftUp);
}

void UiTestSelect(CWnd* combo, int row) {
  if (combo == nullptr || combo->m_hWnd == nullptr) return;
  auto* choice = dynamic_cast<wxChoice*>(Wx(combo->m_hWnd));
  if (choice == nullptr) return;
  choice->SetSelection(row);
  wxCommandEvent e(wxEVT_CHOICE, choice->GetId());
  e.SetEventObject(choice);
  e.SetInt(row);
  choice->ProcessWindowEvent(e);
}

void UiTestMouse(CWnd* control, UiTestMouseAction action, int x, int y) {
  if (control == nullptr || control->m_hWnd == nullptr) return;
  wxWindow* w = Wx(control->m_hWnd);
  wxEventType type = wxEVT_MOTION;
  switch (action) {
    case UiTestMouseAction::Enter:
      type = wxEVT_ENTER_WINDOW;
      break;
    case UiTestMouseAction::Move:
      type = wxEVT_MOTION;
      break;
    case UiTestMouseAction::Leave:
      type = wxEVT_LEAVE_WINDOW;
      break;
    case UiTestMouseAction::LeftDown:
      type = wxEVT_LEFT_DOWN;
      break;
    case UiTestMouseAction::LeftUp:
      type = wxEVT_LEFT_UP;
      break;
  }
  wxMouseEvent e(type);
  e.SetEventObject(w);
  e.SetId(w->GetId());
  e.m_x = x;
  e.m_y = y;
  e.m_leftDown = action == UiTestMouseAction::LeftDown;
  w->ProcessWindowEvent(e);
}

void UiTestKey(CWnd* dialog, UINT vk) {
  if (dialog == nullptr || dialog->m_hWnd == nullptr) return;
  wxWindow* w = Wx(dialog->m_hWnd);
  wxKeyEvent e(wxEVT_CHAR_HOOK);
  e.SetEventObject(w);
  e.m_keyCode = vk == VK_RETURN   ? WXK_RETURN
                : vk == VK_ESCAPE ? WXK_ESCAPE
                : vk == VK_TAB    ? WXK_TAB
                : vk == VK_F1     ? WXK_F1
                                  : static_cast<int>(vk);
  w->ProcessWindowEvent(e);
}

void UiTestColumnClick(CListCtrl* list, int column) {
  if (list == nullptr || list->m_hWnd == nullptr) return;
  wxWindow* w = Wx(list->m_hWnd);
  wxListEvent e(wxEVT_LIST_COL_CLICK, w->GetId());
  e.SetEventObject(w);
  e.m_col = column;
  w->ProcessWindowEvent(e);
}

void UiTestToggleCheck(CListCtrl* list, int row) {
  if (list == nullptr || list->m_hWnd == nullptr) return;
  auto* l = dynamic_cast<wxListCtrl*>(Wx(list->m_hWnd));
  if (l == nullptr || row < 0 || row >= l->GetItemCount()) return;
  bool now = !l->IsItemChecked(row);
  // The generic list reports the user's toggle with an event; so does this.
  auto* pl = dynamic_cast<PmList*>(l);
  if (pl) ++pl->suppressCheckEvents;
  l->CheckItem(row, now);
  if (pl) --pl->suppressCheckEvents;
  wxListEvent e(now ? wxEVT_LIST_ITEM_CHECKED : wxEVT_LIST_ITEM_UNCHECKED, l->GetId());
  e.SetEventObject(l);
  e.m_itemIndex = row;
  l->ProcessWindowEvent(e);
}

COLORREF UiTestRowBkColor(CListCtrl* list, int row) {
  if (list == nullptr || list->m_hWnd == nullptr) return 0;
  auto* l = dynamic_cast<wxListCtrl*>(Wx(list->m_hWnd));
  return l ? FromColour(l->GetItemBackgroundColour(row)) : 0;
}

bool UiTestCtlColors(CWnd* control, COLORREF* text, COLORREF* background) {
  if (control == nullptr || control->m_hWnd == nullptr) return false;
  wxWindow* w = Wx(control->m_hWnd);
  ApplyCtlColor(w);
  WindowState* st = State(w);
  if (st == nullptr || (!st->fg && !st->bg)) return false;
  if (text) *text = st->fg ? FromColour(*st->fg) : 0;
  if (background) *background = st->bg ? FromColour(*st->bg) : 0;
  return true;
}

HCURSOR UiTestCursor(CWnd* control) { return control && control->m_hWnd ? CursorOf(Wx(control->m_hWnd)) : nullptr; }

bool UiTestWaitCursorShown() { return wxIsBusy(); }

bool UiTestPumpUntil(const std::function<bool()>& done, int maxMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    if (wxTheApp) {
      wxTheApp->ProcessPendingEvents();
      wxTheApp->Yield(true);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void UiTestResetQuit() { ResetQuit(); }

namespace {
class PollTimer : public wxTimer {
 public:
  explicit PollTimer(std::function<bool()> step) : m_step(std::move(step)) {}
  void Notify() override {
    if (m_busy) return;
    m_busy = true;
    bool done = m_step();
    m_busy = false;
    if (done) {
      Stop();
      PollTimer* self = this;
      wxTheApp->CallAfter([self]() { delete self; });
    }
  }

 private:
  std::function<bool()> m_step;
  bool m_busy = false;
};
}  // namespace

void UiTestPoll(std::function<bool()> step, int intervalMs) {
  auto* t = new PollTimer(std::move(step));
  t->Start(intervalMs, wxTIMER_CONTINUOUS);
}

// Looks at the innermost modal window every tenth of a second. A box counts
// from the tick that first sees it waiting; one that another box replaces at
// the same address between two ticks counts on, which only lengthens a wait
// that a test's steps end within milliseconds.
class UiTestUnansweredBoxes::Watch : public wxTimer {
 public:
  Watch(std::function<void(const CString&)> report, std::chrono::milliseconds limit)
      : m_report(std::move(report)), m_limit(limit) {}
  void Notify() override {
    HWND box = UiTestInnermostModal();
    auto* dialog = box != nullptr ? dynamic_cast<wxDialog*>(Wx(box)) : nullptr;
    if (!UiTestIsMessageBox(box) || dialog == nullptr || !dialog->IsModal()) {
      m_box = nullptr;
      return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (box != m_box) {
      m_box = box;
      m_since = now;
      return;
    }
    if (now - m_since < m_limit) return;
    m_box = nullptr;
    const CString text = UiTestMessageBoxText(box);
    UiTestEndModal(box, IDCANCEL);
    m_report(text);
  }

 private:
  std::function<void(const CString&)> m_report;
  std::chrono::milliseconds m_limit;
  HWND m_box = nullptr;
  std::chrono::steady_clock::time_point m_since;
};

UiTestUnansweredBoxes::UiTestUnansweredBoxes(std::function<void(const CString& text)> report,
                                             std::chrono::milliseconds limit)
    : m_watch(std::make_unique<Watch>(std::move(report), limit)) {
  m_watch->Start(100, wxTIMER_CONTINUOUS);
}

UiTestUnansweredBoxes::~UiTestUnansweredBoxes() { m_watch->Stop(); }
