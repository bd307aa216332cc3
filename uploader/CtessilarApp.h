// The application object: starts the program, runs the main window and ends
// the process in order when the window closes.
#pragma once

#include <memory>

#include "platform/classlib/ui/afxwin.h"

class AppContext;
class UserInfoDb;

// The program's name: the main window's title and the caption of its message
// boxes.
inline constexpr const char16_t kProgramTitle[] = u"Morvek Pelmora Uploader";

class CtessilarApp : public CWinApp {
 public:
  CtessilarApp();
  ~CtessilarApp() override;

  // Makes the program's context (its folders and databases; a database that
  // cannot be made is logged), hands it to the web-service client and runs
  // the main window on it modally; once the window has closed, stops its
  // workers (within a bound) before anything they use goes. Always FALSE:
  // the process ends without a message loop of its own.
  BOOL InitInstance() override;

  // The user database of the context, set by InitInstance.
  UserInfoDb* m_pUserInfoDb = nullptr;

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  std::unique_ptr<AppContext> m_context;
};
