// The application object: starts the program, runs the main window and ends
// the process in order when the window closes.
#pragma once

#include <memory>

#include "platform/classlib/ui/afxwin.h"

class AppContext;

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

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  std::unique_ptr<AppContext> m_context;
};
