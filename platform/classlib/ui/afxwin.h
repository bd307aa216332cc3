// The class library's windows, dialogs and controls, on wxWidgets (GTK).
//
// Code above this layer is written in the class library's style: a dialog
// derives from CDialog, names its template, binds its controls in
// DoDataExchange and routes messages to member handlers through a message
// map. Nothing here exposes wxWidgets; text is UTF-16 (char16_t).
//
// Threads: windows are touched only on the UI thread. A worker hands work to
// it with AfxPostToUiThread / AfxSendToUiThread; SetTimer, KillTimer,
// PostQuitMessage and the message boxes do that by themselves when called
// from a worker.
//
// Timers: every WM_TIMER is delivered through the UI thread's queue, so a
// handler may run a modal dialog and all timers keep ticking under it.
//
// Colours: a parent's OnCtlColor (WM_CTLCOLOR) is asked whenever a static is
// painted and whenever a control or the dialog is invalidated; the brush it
// returns becomes the background and the text colour it sets on the CDC the
// foreground. Buttons keep the desktop theme.
//
// The system menu: items appended to GetSystemMenu() are offered in the
// dialog's context menu (right click on the dialog) and reach OnSysCommand.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/classlib/CString.h"
#include "platform/classlib/ui/afxres.h"
#include "platform/win32/wintypes.h"

// ---------------------------------------------------------------------------
// Handles and structures

struct HWND__;
typedef HWND__* HWND;
struct HBRUSH__;
typedef HBRUSH__* HBRUSH;
struct HFONT__;
typedef HFONT__* HFONT;
struct HICON__;
typedef HICON__* HICON;
struct HCURSOR__;
typedef HCURSOR__* HCURSOR;
class CDC;
typedef CDC* HDC;
typedef void* HGDIOBJ;
typedef struct ITEMIDLIST__* LPITEMIDLIST;
typedef LPITEMIDLIST PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST__* LPCITEMIDLIST;

struct POINT {
  LONG x;
  LONG y;
};
typedef POINT* LPPOINT;
struct SIZE {
  LONG cx;
  LONG cy;
};
typedef SIZE* LPSIZE;
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
typedef RECT* LPRECT;
typedef const RECT* LPCRECT;

class CPoint : public POINT {
 public:
  CPoint() : POINT{0, 0} {}
  CPoint(int x_, int y_) : POINT{x_, y_} {}
  CPoint(POINT p) : POINT(p) {}
};

class CSize : public SIZE {
 public:
  CSize() : SIZE{0, 0} {}
  CSize(int cx_, int cy_) : SIZE{cx_, cy_} {}
  CSize(SIZE s) : SIZE(s) {}
};

class CRect : public RECT {
 public:
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
  CRect(const RECT& r) : RECT(r) {}
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  BOOL IsRectEmpty() const { return right <= left || bottom <= top; }
  BOOL PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  void SetRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
  void OffsetRect(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
typedef MSG* LPMSG;

struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
typedef NMHDR* LPNMHDR;

struct NMLISTVIEW {
  NMHDR hdr;
  int iItem;
  int iSubItem;
  UINT uNewState;
  UINT uOldState;
  UINT uChanged;
  POINT ptAction;
  LPARAM lParam;
};
typedef NMLISTVIEW* LPNMLISTVIEW;
typedef NMLISTVIEW NM_LISTVIEW;

struct NMITEMACTIVATE {
  NMHDR hdr;
  int iItem;
  int iSubItem;
  UINT uNewState;
  UINT uOldState;
  UINT uChanged;
  POINT ptAction;
  LPARAM lParam;
  UINT uKeyFlags;
};
typedef NMITEMACTIVATE* LPNMITEMACTIVATE;

struct HDITEMW {
  UINT mask;
  int cxy;
  LPWSTR pszText;
  int cchTextMax;
  int fmt;
  LPARAM lParam;
  int iImage;
  int iOrder;
};
typedef HDITEMW HDITEM;
typedef HDITEMW* LPHDITEM;

struct NMHEADERW {
  NMHDR hdr;
  int iItem;
  int iButton;
  HDITEMW* pitem;
};
typedef NMHEADERW NMHEADER;
typedef NMHEADERW* LPNMHEADER;

struct LVFINDINFOW {
  UINT flags;
  LPCWSTR psz;
  LPARAM lParam;
  POINT pt;
  UINT vkDirection;
};
typedef LVFINDINFOW LVFINDINFO;

struct LVHITTESTINFO {
  POINT pt;
  UINT flags;
  int iItem;
  int iSubItem;
  int iGroup;
};

struct LOGFONTW {
  LONG lfHeight;  // negative: character height in pixels
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[32];
  // The exact size in points of the font this was read from (0 = unknown);
  // kept so that a copy of a font keeps its size whatever the rounding of
  // lfHeight.
  float pmPointSize;
};
typedef LOGFONTW LOGFONT;

struct TRACKMOUSEEVENT {
  DWORD cbSize;
  DWORD dwFlags;
  HWND hwndTrack;
  DWORD dwHoverTime;
};
typedef TRACKMOUSEEVENT* LPTRACKMOUSEEVENT;

struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};

typedef int (*BFFCALLBACK)(HWND, UINT, LPARAM, LPARAM);
struct BROWSEINFOW {
  HWND hwndOwner;
  LPCITEMIDLIST pidlRoot;
  LPWSTR pszDisplayName;
  LPCWSTR lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
};
typedef BROWSEINFOW BROWSEINFO;

struct SHELLEXECUTEINFOW {
  DWORD cbSize;
  ULONG fMask;
  HWND hwnd;
  LPCWSTR lpVerb;
  LPCWSTR lpFile;
  LPCWSTR lpParameters;
  LPCWSTR lpDirectory;
  int nShow;
  HINSTANCE hInstApp;
  HANDLE hProcess;
};

// ---------------------------------------------------------------------------
// Constants

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDC_STATIC (-1)
#define ID_HELP 0xE146

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_YESNO 0x00000004u
#define MB_ICONERROR 0x00000010u
#define MB_ICONSTOP MB_ICONERROR
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION 0x00000040u

#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_CTLCOLOR 0x0019
#define WM_SETCURSOR 0x0020
#define WM_NOTIFY 0x004E
#define WM_KEYDOWN 0x0100
#define WM_CHAR 0x0102
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_MOUSEHOVER 0x02A1
#define WM_MOUSELEAVE 0x02A3
#define WM_USER 0x0400
#define WM_APP 0x8000
#define WM_REFLECT_BASE 0xBC00

#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_F1 0x70

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_MAXIMIZE 3
#define SW_SHOWMAXIMIZED 3
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2

#define HTCLIENT 1

#define BN_CLICKED 0
#define STN_CLICKED 0
#define STN_DBLCLK 1
#define CBN_SELCHANGE 1
#define EN_CHANGE 0x0300

#define NM_FIRST 0u
#define NM_CLICK (NM_FIRST - 2u)
#define NM_DBLCLK (NM_FIRST - 3u)
#define NM_RCLICK (NM_FIRST - 5u)
#define NM_CUSTOMDRAW (NM_FIRST - 12u)
#define LVN_FIRST (0u - 100u)
#define LVN_ITEMCHANGED (LVN_FIRST - 1u)
#define LVN_COLUMNCLICK (LVN_FIRST - 8u)
#define HDN_FIRST (0u - 300u)
#define HDN_ITEMCLICKW (HDN_FIRST - 22u)
#define HDN_ITEMCLICK HDN_ITEMCLICKW

#define LVS_EX_GRIDLINES 0x00000001u
#define LVS_EX_CHECKBOXES 0x00000004u
#define LVS_EX_FULLROWSELECT 0x00000020u
#define LVCFMT_LEFT 0
#define LVCFMT_RIGHT 1
#define LVCFMT_CENTER 2
#define LVSCW_AUTOSIZE (-1)
#define LVSCW_AUTOSIZE_USEHEADER (-2)
#define LVFI_PARAM 0x0001u
#define LVFI_STRING 0x0002u
#define LVHT_NOWHERE 0x0001u
#define LVHT_ONITEMICON 0x0002u
#define LVHT_ONITEMLABEL 0x0004u
#define LVHT_ONITEMSTATEICON 0x0008u
#define LVHT_ONITEM (LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON)
#define LVIF_STATE 0x0008u
#define LVIS_FOCUSED 0x0001u
#define LVIS_SELECTED 0x0002u
#define LVIS_STATEIMAGEMASK 0xF000u
#define INDEXTOSTATEIMAGEMASK(i) (static_cast<UINT>(i) << 12)
#define LVNI_ALL 0x0000u
#define LVNI_SELECTED 0x0002u

#define HDI_WIDTH 0x0001u
#define HDI_TEXT 0x0002u
#define HDI_FORMAT 0x0004u
#define HDI_IMAGE 0x0020u

#define TME_HOVER 0x00000001u
#define TME_LEAVE 0x00000002u
#define TME_CANCEL 0x80000000u
#define HOVER_DEFAULT 0xFFFFFFFFu

#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_LISTBOX 2
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_SCROLLBAR 5
#define CTLCOLOR_STATIC 6

#define TRANSPARENT 1
#define OPAQUE 2

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH

#define DT_LEFT 0x0000u
#define DT_CENTER 0x0001u
#define DT_RIGHT 0x0002u
#define DT_WORDBREAK 0x0010u
#define DT_SINGLELINE 0x0020u
#define DT_CALCRECT 0x0400u
#define DT_NOPREFIX 0x0800u

#define FW_NORMAL 400
#define FW_BOLD 700

#define MF_STRING 0x0000u
#define MF_SEPARATOR 0x0800u

#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_CHILD 5

#define SWP_NOSIZE 0x0001u
#define SWP_NOMOVE 0x0002u
#define SWP_NOZORDER 0x0004u

#define ICC_WIN95_CLASSES 0x000000FFu

#define BIF_RETURNONLYFSDIRS 0x0001u
#define BIF_DONTGOBELOWDOMAIN 0x0002u
#define BIF_NEWDIALOGSTYLE 0x0040u

#define SEE_MASK_NOCLOSEPROCESS 0x00000040u

// Standard cursors, as resource ids.
#define MAKEINTRESOURCEW(i) (reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(static_cast<WORD>(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEW
#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDC_WAIT MAKEINTRESOURCEW(32514)
#define IDC_HAND MAKEINTRESOURCEW(32649)

#define MAKEWPARAM(l, h) (static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(l, h))))
#define MAKELPARAM(l, h) (static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(l, h))))

#define afx_msg
#define CALLBACK
typedef int (*PFNLVCOMPARE)(LPARAM, LPARAM, LPARAM);

// ---------------------------------------------------------------------------
// Message maps

class CCmdTarget;
class CWnd;

// What a message carries to its handler.
struct AfxMsgArgs {
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  POINT pt{0, 0};
  void* ptr1 = nullptr;
  void* ptr2 = nullptr;
  LRESULT* pResult = nullptr;
  BOOL handled = TRUE;  // an _EX handler may clear it to pass a message on
};
typedef LRESULT (*AfxMsgThunk)(CCmdTarget* target, AfxMsgArgs& args);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // WM_*, WM_COMMAND, WM_NOTIFY or WM_REFLECT_BASE + one of them
  UINT nCode;     // control notification code
  UINT nID;       // first control id
  UINT nLastID;   // last control id
  AfxMsgThunk pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                           \
 protected:                                             \
  static const AFX_MSGMAP* GetThisMessageMap();         \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                         \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }   \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                    \
    typedef theClass ThisClass;                                                        \
    typedef baseClass TheBaseClass;                                                    \
    static_assert(sizeof(ThisClass) > 0 && sizeof(TheBaseClass) > 0, "message map");  \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                          \
  {0, 0, 0, 0, nullptr}                                                            \
  }                                                                                \
  ;                                                                                \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                              \
  }

#define PM_THUNK(body) [](CCmdTarget* pmTarget, AfxMsgArgs& pmArgs) -> LRESULT { \
    ThisClass* pmThis = static_cast<ThisClass*>(pmTarget);                       \
    (void)pmThis;                                                                \
    (void)pmArgs;                                                                \
    body                                                                         \
  }

#define ON_CONTROL(code, id, memberFxn) \
  {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id), \
   PM_THUNK((pmThis->*(memberFxn))(); return 0;)},
#define ON_COMMAND(id, memberFxn) ON_CONTROL(0, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_STN_DBLCLK(id, memberFxn) ON_CONTROL(STN_DBLCLK, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_CONTROL_RANGE(code, id, idLast, memberFxn)                                         \
  {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(idLast),   \
   PM_THUNK((pmThis->*(memberFxn))(static_cast<UINT>(pmArgs.wParam)); return 0;)},
#define ON_CONTROL_REFLECT(code, memberFxn)                              \
  {WM_REFLECT_BASE + WM_COMMAND, static_cast<UINT>(code), 0, 0,          \
   PM_THUNK((pmThis->*(memberFxn))(); return 0;)},
#define ON_NOTIFY(code, id, memberFxn)                                                    \
  {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id),      \
   PM_THUNK((pmThis->*(memberFxn))(static_cast<NMHDR*>(pmArgs.ptr1), pmArgs.pResult); return 0;)},
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                \
  {WM_REFLECT_BASE + WM_NOTIFY, static_cast<UINT>(code), 0, 0,                            \
   PM_THUNK((pmThis->*(memberFxn))(static_cast<NMHDR*>(pmArgs.ptr1), pmArgs.pResult); return 0;)},
// The handler returns TRUE when the notification is done, FALSE to let the
// parent see it too.
#define ON_NOTIFY_REFLECT_EX(code, memberFxn)                                             \
  {WM_REFLECT_BASE + WM_NOTIFY, static_cast<UINT>(code), 0, 0,                            \
   PM_THUNK(pmArgs.handled = (pmThis->*(memberFxn))(static_cast<NMHDR*>(pmArgs.ptr1), pmArgs.pResult); return 0;)},
#define ON_MESSAGE(message, memberFxn) \
  {static_cast<UINT>(message), 0, 0, 0, PM_THUNK(return (pmThis->*(memberFxn))(pmArgs.wParam, pmArgs.lParam);)},
#define ON_WM_TIMER() \
  {WM_TIMER, 0, 0, 0, PM_THUNK(pmThis->OnTimer(static_cast<UINT_PTR>(pmArgs.wParam)); return 0;)},
#define ON_WM_SIZE()                                                                              \
  {WM_SIZE, 0, 0, 0, PM_THUNK(pmThis->OnSize(static_cast<UINT>(pmArgs.wParam), pmArgs.pt.x, pmArgs.pt.y); \
                               return 0;)},
#define ON_WM_CTLCOLOR()                                                                         \
  {WM_CTLCOLOR, 0, 0, 0,                                                                          \
   PM_THUNK(return reinterpret_cast<LRESULT>(pmThis->OnCtlColor(                                  \
       static_cast<CDC*>(pmArgs.ptr1), static_cast<CWnd*>(pmArgs.ptr2), static_cast<UINT>(pmArgs.wParam)));)},
#define ON_WM_SYSCOMMAND() \
  {WM_SYSCOMMAND, 0, 0, 0, PM_THUNK(pmThis->OnSysCommand(static_cast<UINT>(pmArgs.wParam), pmArgs.lParam); return 0;)},
#define ON_WM_MOUSEMOVE() \
  {WM_MOUSEMOVE, 0, 0, 0, PM_THUNK(pmThis->OnMouseMove(static_cast<UINT>(pmArgs.wParam), CPoint(pmArgs.pt)); return 0;)},
#define ON_WM_MOUSEHOVER() \
  {WM_MOUSEHOVER, 0, 0, 0, PM_THUNK(pmThis->OnMouseHover(static_cast<UINT>(pmArgs.wParam), CPoint(pmArgs.pt)); return 0;)},
#define ON_WM_MOUSELEAVE() {WM_MOUSELEAVE, 0, 0, 0, PM_THUNK(pmThis->OnMouseLeave(); return 0;)},
#define ON_WM_SETCURSOR()                                                                            \
  {WM_SETCURSOR, 0, 0, 0,                                                                            \
   PM_THUNK(return pmThis->OnSetCursor(static_cast<CWnd*>(pmArgs.ptr1), LOWORD(pmArgs.lParam),       \
                                       HIWORD(pmArgs.lParam));)},
#define ON_WM_LBUTTONDOWN() \
  {WM_LBUTTONDOWN, 0, 0, 0, PM_THUNK(pmThis->OnLButtonDown(static_cast<UINT>(pmArgs.wParam), CPoint(pmArgs.pt)); return 0;)},
#define ON_WM_LBUTTONUP() \
  {WM_LBUTTONUP, 0, 0, 0, PM_THUNK(pmThis->OnLButtonUp(static_cast<UINT>(pmArgs.wParam), CPoint(pmArgs.pt)); return 0;)},
#define ON_WM_LBUTTONDBLCLK() \
  {WM_LBUTTONDBLCLK, 0, 0, 0, PM_THUNK(pmThis->OnLButtonDblClk(static_cast<UINT>(pmArgs.wParam), CPoint(pmArgs.pt)); return 0;)},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, PM_THUNK(pmThis->OnClose(); return 0;)},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, PM_THUNK(pmThis->OnDestroy(); return 0;)},

class CCmdTarget {
 public:
  CCmdTarget() = default;
  CCmdTarget(const CCmdTarget&) = delete;
  CCmdTarget& operator=(const CCmdTarget&) = delete;
  virtual ~CCmdTarget() = default;
  virtual const AFX_MSGMAP* GetMessageMap() const { return GetThisMessageMap(); }
  static const AFX_MSGMAP* GetThisMessageMap();

  // Looks the message up in the map chain, most derived first, and runs the
  // first matching handler. False when nothing handles it.
  bool AfxDispatch(UINT message, UINT code, UINT id, AfxMsgArgs& args, LRESULT* result);
};

// ---------------------------------------------------------------------------
// GDI stand-ins

class CGdiObject {
 public:
  virtual ~CGdiObject() = default;
  HGDIOBJ m_hObject = nullptr;
  operator HGDIOBJ() const { return m_hObject; }
};

class CFont : public CGdiObject {
 public:
  CFont() = default;
  ~CFont() override;
  BOOL CreateFontIndirect(const LOGFONTW* lf);
  // Size in tenths of a point.
  BOOL CreatePointFont(int pointSize10, LPCWSTR faceName);
  int GetLogFont(LOGFONTW* lf) const;
  BOOL DeleteObject();
  operator HFONT() const { return reinterpret_cast<HFONT>(m_hObject); }
};

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  ~CBrush() override;
  BOOL CreateSolidBrush(COLORREF color);
  BOOL DeleteObject();
  operator HBRUSH() const { return reinterpret_cast<HBRUSH>(m_hObject); }
};

HGDIOBJ GetStockObject(int which);
HBRUSH CreateSolidBrush(COLORREF color);
BOOL DeleteObject(HGDIOBJ object);
// The colour of a brush; false for a null or hollow brush.
bool AfxGetBrushColor(HBRUSH brush, COLORREF* color);

// A device context for measuring text, and the recorder of the colours that
// OnCtlColor chooses.
class CDC {
 public:
  CDC() = default;
  explicit CDC(CWnd* wnd);
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;
  virtual ~CDC() = default;
  HDC m_hDC = this;

  CFont* SelectObject(CFont* font);
  CSize GetTextExtent(LPCWSTR text, int count) const;
  CSize GetTextExtent(const CString& text) const;
  // DT_CALCRECT sets the rectangle's right and bottom to the text's extent
  // (wrapped to the rectangle's width with DT_WORDBREAK); returns the height.
  int DrawText(LPCWSTR text, int count, LPRECT rect, UINT format);
  int DrawText(const CString& text, LPRECT rect, UINT format);

  COLORREF SetTextColor(COLORREF color);
  COLORREF GetTextColor() const { return m_textColor; }
  COLORREF SetBkColor(COLORREF color);
  int SetBkMode(int mode);
  int GetBkMode() const { return m_bkMode; }
  bool HasTextColor() const { return m_hasTextColor; }

 protected:
  CWnd* m_pWnd = nullptr;
  CFont* m_pFont = nullptr;
  COLORREF m_textColor = 0;
  COLORREF m_bkColor = 0xFFFFFF;
  int m_bkMode = OPAQUE;
  bool m_hasTextColor = false;
};

class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* wnd) : CDC(wnd) {}
};

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, LPSIZE size);
int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format);

HCURSOR LoadCursor(HINSTANCE instance, LPCWSTR name);
// Sets the cursor of the window under the mouse; returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);
int ShowCursor(BOOL show);
BOOL TrackMouseEvent(LPTRACKMOUSEEVENT track);
BOOL GetCursorPos(LPPOINT point);
// The mouse position of the message being handled, in screen coordinates
// (x in the low word, y in the high word).
DWORD GetMessagePos();

// ---------------------------------------------------------------------------
// Windows

class CDataExchange {
 public:
  CDataExchange(CWnd* dlg, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dlg) {}
  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
};

class CMenu {
 public:
  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCWSTR text = nullptr);
  int GetMenuItemCount() const { return static_cast<int>(m_items.size()); }
  struct Item {
    UINT flags;
    UINT_PTR id;
    CString text;
  };
  const std::vector<Item>& Items() const { return m_items; }

 private:
  std::vector<Item> m_items;
};

class CWnd : public CCmdTarget {
 public:
  CWnd();
  ~CWnd() override;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // The object bound to a window; FromHandle makes a temporary one that lives
  // as long as the window when none is bound.
  static CWnd* FromHandle(HWND hwnd);
  static CWnd* FromHandlePermanent(HWND hwnd);
  BOOL Attach(HWND hwnd);
  HWND Detach();
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  HWND UnsubclassWindow() { return Detach(); }
  BOOL DestroyWindow();

  // Text.
  void SetWindowText(LPCWSTR text);
  void GetWindowText(CString& text) const;
  int GetWindowText(LPWSTR buffer, int maxCount) const;
  int GetWindowTextLength() const;
  void SetDlgItemText(int id, LPCWSTR text);
  UINT GetDlgItemText(int id, CString& text) const;

  // State.
  BOOL ShowWindow(int cmdShow);
  BOOL IsWindowVisible() const;
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  BOOL IsIconic() const;
  BOOL IsZoomed() const;
  CWnd* SetFocus();
  static CWnd* GetFocus();

  // Geometry: child positions are in the parent's client coordinates.
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
  BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
  void GetWindowRect(LPRECT rect) const;
  void GetClientRect(LPRECT rect) const;
  void ScreenToClient(LPPOINT point) const;
  void ScreenToClient(LPRECT rect) const;
  void ClientToScreen(LPPOINT point) const;
  void ClientToScreen(LPRECT rect) const;
  void CenterWindow(CWnd* alternateOwner = nullptr);

  // Family. GetWindow(GW_CHILD) and GetNextWindow walk the children in
  // z-order (the template's order).
  CWnd* GetParent() const;
  CWnd* GetDlgItem(int id) const;
  int GetDlgCtrlID() const;
  CWnd* GetWindow(UINT cmd) const;
  CWnd* GetTopWindow() const { return GetWindow(GW_CHILD); }
  CWnd* GetNextWindow(UINT flag = GW_HWNDNEXT) const { return GetWindow(flag); }

  // Fonts and painting.
  void SetFont(CFont* font, BOOL redraw = TRUE);
  CFont* GetFont() const;
  void Invalidate(BOOL erase = TRUE);
  void UpdateWindow();
  void SetRedraw(BOOL redraw = TRUE);
  CDC* GetDC();
  int ReleaseDC(CDC* dc);

  // Timers: delivered to OnTimer on the UI thread.
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, void* timerProc = nullptr);
  BOOL KillTimer(UINT_PTR id);

  HICON SetIcon(HICON icon, BOOL bigIcon);
  CMenu* GetSystemMenu(BOOL revert);
  int MessageBox(LPCWSTR text, LPCWSTR caption = nullptr, UINT type = MB_OK);
  void BeginWaitCursor();
  void EndWaitCursor();

  // Sends a message to this window's handlers now (WM_COMMAND, WM_CLOSE,
  // WM_TIMER, WM_SYSCOMMAND or a message of ON_MESSAGE); PostMessage does the
  // same later, through the UI thread's queue, and may be called from any thread.
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual void DoDataExchange(CDataExchange* dx);
  virtual void PreSubclassWindow();
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  // Handlers with their default processing.
  afx_msg void OnTimer(UINT_PTR id);
  afx_msg void OnSize(UINT type, int cx, int cy);
  afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
  afx_msg void OnSysCommand(UINT id, LPARAM param);
  afx_msg void OnMouseMove(UINT flags, CPoint point);
  afx_msg void OnMouseHover(UINT flags, CPoint point);
  afx_msg void OnMouseLeave();
  afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
  afx_msg void OnLButtonDown(UINT flags, CPoint point);
  afx_msg void OnLButtonUp(UINT flags, CPoint point);
  afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
  afx_msg void OnClose();
  afx_msg void OnDestroy();
  LRESULT Default() { return 0; }

  DECLARE_MESSAGE_MAP()
};

// ---------------------------------------------------------------------------
// Dialogs

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Runs the dialog modally: IDOK, IDCANCEL or the value given to EndDialog;
  // -1 when the dialog cannot be made or a quit request ended it.
  virtual INT_PTR DoModal();
  void EndDialog(int result);
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  // Dialog units to pixels, with the dialog's font.
  void MapDialogRect(LPRECT rect) const;
  UINT GetTemplateId() const { return m_nIDTemplate; }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 protected:
  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
  CMenu m_systemMenu;
  friend class CWnd;

  DECLARE_MESSAGE_MAP()
};

// ---------------------------------------------------------------------------
// Controls

class CStatic : public CWnd {
 public:
  HICON SetIcon(HICON icon);
};

class CButton : public CWnd {};

class CEdit : public CWnd {
 public:
  void SetSel(int start, int end, BOOL noScroll = FALSE);
  void LimitText(int max);
  void SetLimitText(UINT max) { LimitText(static_cast<int>(max)); }
  void SetReadOnly(BOOL readOnly = TRUE);
};

class CComboBox : public CWnd {
 public:
  int AddString(LPCWSTR text);
  int InsertString(int index, LPCWSTR text);
  int DeleteString(UINT index);
  void ResetContent();
  int GetCount() const;
  int GetCurSel() const;
  int SetCurSel(int index);
  int SetItemData(int index, DWORD_PTR data);
  DWORD_PTR GetItemData(int index) const;
  void GetLBText(int index, CString& text) const;
  int FindStringExact(int startAfter, LPCWSTR text) const;
};

class CProgressCtrl : public CWnd {
 public:
  void SetRange(short lower, short upper) { SetRange32(lower, upper); }
  void SetRange32(int lower, int upper);
  void GetRange(int& lower, int& upper) const;
  // The position is kept inside the range.
  int SetPos(int pos);
  int GetPos() const;
  int OffsetPos(int delta) { return SetPos(GetPos() + delta); }

 private:
  int m_lower = 0;
  int m_upper = 100;
};

class CHeaderCtrl : public CWnd {
 public:
  int GetItemCount() const;
  BOOL GetItem(int index, HDITEMW* item) const;
  BOOL SetItem(int index, HDITEMW* item);
};

class CListCtrl : public CWnd {
 public:
  DWORD SetExtendedStyle(DWORD exStyle);
  DWORD GetExtendedStyle() const;
  BOOL SetBkColor(COLORREF color);
  COLORREF GetBkColor() const;
  BOOL SetTextColor(COLORREF color);
  COLORREF GetTextColor() const;
  BOOL SetTextBkColor(COLORREF color);

  int InsertColumn(int col, LPCWSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
  BOOL DeleteColumn(int col);
  BOOL SetColumnWidth(int col, int width);
  int GetColumnWidth(int col) const;
  CHeaderCtrl* GetHeaderCtrl();

  int InsertItem(int item, LPCWSTR text);
  BOOL DeleteItem(int item);
  BOOL DeleteAllItems();
  int GetItemCount() const;
  BOOL SetItemText(int item, int subItem, LPCWSTR text);
  CString GetItemText(int item, int subItem) const;
  BOOL SetItemData(int item, DWORD_PTR data);
  DWORD_PTR GetItemData(int item) const;
  BOOL GetCheck(int item) const;
  BOOL SetCheck(int item, BOOL check = TRUE);
  int FindItem(LVFINDINFOW* find, int start = -1) const;
  // The comparator receives the two rows' item data and `data`.
  BOOL SortItems(PFNLVCOMPARE compare, DWORD_PTR data);
  int HitTest(CPoint point, UINT* flags = nullptr) const;
  int HitTest(LVHITTESTINFO* info) const;
  int GetNextItem(int start, int flags) const;
  BOOL EnsureVisible(int item, BOOL partialOK);
  UINT GetItemState(int item, UINT mask) const;

  // The colours of one row: called for every row after rows are inserted,
  // deleted or sorted and when the list's colours change (once, when redraw
  // is switched back on, while it is off). The defaults are the list's.
  virtual void GetRowColors(int row, COLORREF& text, COLORREF& background);
  // Applies GetRowColors to every row (when redraw is back on, if it is off).
  void RefreshRowColors();
  bool RowColorsStale() const { return m_rowColorsStale; }

 private:
  friend struct AfxListAccess;
  CHeaderCtrl m_defaultHeader;
  COLORREF m_bkColor = 0xFFFFFF;
  COLORREF m_textColor = 0x000000;
  COLORREF m_textBkColor = 0xFFFFFF;
  bool m_textBkSet = false;
  DWORD m_exStyle = 0;
  bool m_rowColorsStale = false;
};

// ---------------------------------------------------------------------------
// The application

class CWinApp : public CCmdTarget {
 public:
  explicit CWinApp(LPCWSTR appName = nullptr);
  ~CWinApp() override;

  virtual BOOL InitInstance();
  virtual int ExitInstance();
  void SetRegistryKey(LPCWSTR) {}
  HICON LoadIcon(UINT id) const;
  HCURSOR LoadStandardCursor(LPCWSTR name) const { return ::LoadCursor(nullptr, name); }
  afx_msg void OnHelp() {}

  CWnd* m_pMainWnd = nullptr;
  CString m_strAppName;

  DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
// The program's entry: starts the toolkit, runs the application object's
// InitInstance and returns the process's exit code when it returns.
int AfxWinMain(int argc, char** argv);

// Starts and ends the toolkit without an application object (tests).
bool AfxUiInit(int argc, char** argv);
void AfxUiTerm();
bool AfxIsUiThread();

// Work for the UI thread. Post queues and returns; false when the UI is gone.
// Send runs the function on the UI thread and waits for it (at once when
// called on the UI thread); false when the UI ended before running it.
bool AfxPostToUiThread(std::function<void()> fn);
bool AfxSendToUiThread(const std::function<void()>& fn);

// Ends every open modal loop: each DoModal returns -1, and DoModal returns -1
// at once until the process ends.
void PostQuitMessage(int exitCode);
bool AfxIsQuitPending();

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);

// ---------------------------------------------------------------------------
// Message boxes, shell, instance handles, data exchange, wait cursor

// A message box over the innermost open dialog; from a worker thread it is
// shown by the UI thread and the caller waits for the answer. Returns IDOK,
// IDCANCEL, IDYES or IDNO; 0 when it cannot be shown.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
int AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = 0);

// The folder picker. The returned list is freed with CoTaskMemFree.
LPITEMIDLIST SHBrowseForFolderW(BROWSEINFOW* info);
BOOL SHGetPathFromIDListW(LPCITEMIDLIST list, LPWSTR path);  // path holds MAX_PATH units
void CoTaskMemFree(void* p);

// http and https addresses open in the desktop's browser; anything else is
// a program, run with the parameters (split at spaces, quotes kept together).
// Returns a value above 32 on success.
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        int showCmd);
BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info);

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, CString& value);

// The wait cursor over every window of the program; Begin/End nest.
void AfxBeginWaitCursor();
void AfxEndWaitCursor();
class CWaitCursor {
 public:
  CWaitCursor() { AfxBeginWaitCursor(); }
  ~CWaitCursor() { AfxEndWaitCursor(); }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
  void Restore() {}
};
