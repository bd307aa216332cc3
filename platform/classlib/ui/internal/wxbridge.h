// Internal to the UI layer: the meeting point with wxWidgets. Only the
// layer's own sources and its test-support library include this header; code
// above the layer sees afxwin.h alone. Each section names the file that
// defines it.
#pragma once

#include <wx/evtloop.h>
#include <wx/listctrl.h>
#include <wx/wx.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/classlib/ui/afxwin.h"

namespace afxui {

// ---------------------------------------------------------------------------
// Conversions (internal/wxbridge.cpp). wchar_t (32 bits here) meets char16_t
// only in ToWx and FromWx.

wxString ToWx(const char16_t* s);
std::u16string FromWx(const wxString& s);
inline wxString ToWx(const CString& s) { return ToWx(s.GetString()); }

inline wxWindow* Wx(HWND h) { return reinterpret_cast<wxWindow*>(h); }
inline HWND Hwnd(const wxWindow* w) { return reinterpret_cast<HWND>(const_cast<wxWindow*>(w)); }

wxColour ToColour(COLORREF c);
COLORREF FromColour(const wxColour& c);

// ---------------------------------------------------------------------------
// The layer's record of its windows, and timers (afxwnd.cpp)

enum class Kind { Dialog, Static, Button, Edit, Combo, List, Header, Progress, Picture, Other };

class PmTimer;

// What the layer keeps per window it made (UI thread only).
struct WindowState {
  Kind kind = Kind::Other;
  uint32_t resStyle = 0;       // template style bits
  CWnd* permanent = nullptr;   // the object bound to the window
  std::unique_ptr<CWnd> temp;  // the temporary object of FromHandle
  std::map<UINT_PTR, std::unique_ptr<PmTimer>> timers;
  // Mouse tracking.
  bool mouseInside = false;
  bool trackHover = false;
  bool trackLeave = false;
  DWORD hoverMs = 400;
  std::unique_ptr<wxTimer> hoverTimer;
  HCURSOR cursor = nullptr;
  // Colours chosen by the parent's OnCtlColor.
  std::optional<wxColour> fg;
  std::optional<wxColour> bg;
  // The font as the class library sees it.
  std::unique_ptr<CFont> fontObject;
  std::vector<std::unique_ptr<CDC>> dcs;
  // Header items' images (no visible effect).
  std::map<int, int> headerImages;
  wxWindow* list = nullptr;  // the list of a header
};

WindowState* State(const wxWindow* w);
WindowState& Register(wxWindow* w, Kind kind, uint32_t resStyle = 0);
// Called by the destructors of the layer's windows.
void WindowGone(wxWindow* w);

// A timer of a window; ticks go through the UI thread's queue.
class PmTimer : public wxTimer {
 public:
  PmTimer(wxWindow* owner, UINT_PTR id);
  void Notify() override;
  bool pending = false;
  uint64_t generation;

 private:
  wxWindow* m_owner;
  UINT_PTR m_id;
};

// The layer's windows: each tells the layer when it goes.
template <class Base>
class PmWin : public Base {
 public:
  using Base::Base;
  ~PmWin() override { WindowGone(this); }
};

// ---------------------------------------------------------------------------
// Modal loops and quit requests (afxapp.cpp)

void PushModal(wxDialog* d);
void PopModal(wxDialog* d);
wxDialog* InnermostModal();
// The innermost modal window, else the application's main window, else null.
wxWindow* DefaultOwner();
void EndInnermostForQuit();
// Forgets a quit request, so that one test process can run further dialogs.
void ResetQuit();

// ---------------------------------------------------------------------------
// Routing into the message maps (afxdlg.cpp)

void SendCommand(wxWindow* ctrl, UINT code);
LRESULT SendNotify(wxWindow* to, NMHDR* hdr);

// ---------------------------------------------------------------------------
// Mouse messages and cursors (afxmouse.cpp)

// Binds the mouse events of a window to the message routing.
void BindMouse(wxWindow* w);
// The position GetMessagePos reports, in screen coordinates.
void SetMessagePos(const wxPoint& screen);
// The cursor that SetCursor set over a window, or null.
HCURSOR CursorOf(wxWindow* w);

// ---------------------------------------------------------------------------
// Text layout, fonts and images (afxgdi.cpp)

// The text laid out in lines, wrapped to `width` (no wrap when width <= 0 or !wrap).
std::vector<wxString> WrapText(wxWindow* measurer, const wxFont& font, const wxString& text, int width, bool wrap);
int LineHeight(wxWindow* measurer, const wxFont& font);
int TextWidth(wxWindow* measurer, const wxFont& font, const wxString& s);
wxFont FontOf(HFONT f);
HFONT NewFontHandle(const wxFont& f);
// The registered image `id`; wxNullBitmap when there is none.
wxBitmap BitmapResource(UINT id);
// The icon handle of image `id`, or null when there is no such image.
HICON LoadIconResource(UINT id);

// ---------------------------------------------------------------------------
// Colours and the static text (afxctrls.cpp)

void ApplyCtlColor(wxWindow* w);
void ApplyAllCtlColors(wxWindow* dialog);

// A static text drawn by the layer: it receives mouse events (a GTK label
// does not), paints the colours of the parent's OnCtlColor and wraps words.
class PmStatic : public wxWindow {
 public:
  PmStatic(wxWindow* parent, int id, const wxString& text, const wxPoint& pos, const wxSize& size, uint32_t style);
  ~PmStatic() override { WindowGone(this); }
  void SetLabel(const wxString& label) override;
  wxString GetLabel() const override { return m_text; }
  bool AcceptsFocus() const override { return false; }
  bool HasTransparentBackground() override { return true; }
  uint32_t ResStyle() const { return m_style; }

 private:
  void OnPaint(wxPaintEvent& e);
  wxString m_text;
  uint32_t m_style;
};

// ---------------------------------------------------------------------------
// The report list (afxlist.cpp)

class PmList : public wxListCtrl {
 public:
  PmList(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style);
  ~PmList() override;
  // The generic list's two children: the column header and the rows.
  wxWindow* HeaderWindow() const;
  wxWindow* MainWindow() const;
  int suppressCheckEvents = 0;

 private:
  wxWindow* m_header = nullptr;
  wxWindow* m_rows = nullptr;
};

// ---------------------------------------------------------------------------
// Message boxes (afxshell.cpp)

bool IsMessageBox(wxWindow* w);
wxString MessageBoxText(wxWindow* w);
wxString MessageBoxCaption(wxWindow* w);

}  // namespace afxui
