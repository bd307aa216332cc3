// Windows: CWnd, the system menu and data exchange with a dialog's controls.
#pragma once

#include <vector>

#include "platform/classlib/CString.h"
#include "platform/classlib/ui/afxgdi.h"
#include "platform/classlib/ui/afxmsg.h"
#include "platform/classlib/ui/afxtypes.h"

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

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, CString& value);
