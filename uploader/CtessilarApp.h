// The application object: starts the program, runs the main window and ends
// the process in order when the window closes.
#pragma once

#include "platform/classlib/ui/afxwin.h"

class UserInfoDb;

// The program's name: the main window's title and the caption of its message
// boxes.
inline constexpr const char16_t kProgramTitle[] = u"Morvek Pelmora Uploader";

class CtessilarApp : public CWinApp {
 public:
  CtessilarApp() = default;

  // Opens the user database, runs the main window modally and, once it has
  // closed, stops its workers (within a bound) before anything they use goes.
  // Always FALSE: the process ends without a message loop of its own.
  BOOL InitInstance() override;

  // The process-wide user database, set by InitInstance.
  UserInfoDb* m_pUserInfoDb = nullptr;

 protected:
  DECLARE_MESSAGE_MAP()
};
