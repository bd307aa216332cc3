// The application object, the UI thread and its queue, quit requests.
#pragma once

#include <functional>

#include "platform/classlib/CString.h"
#include "platform/classlib/ui/afxmouse.h"
#include "platform/classlib/ui/afxmsg.h"
#include "platform/classlib/ui/afxtypes.h"

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

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
