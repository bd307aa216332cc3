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

  // Runs the main window modally on the program's context (Context); once
  // the window has closed, stops its workers (within a bound) before
  // anything they use goes. Always FALSE: the process ends without a message
  // loop of its own.
  BOOL InitInstance() override;

  // The program's context: the first call settles its folders and makes its
  // databases (a database that cannot be made is logged) and hands it to the
  // web-service client; every window of the program works on it. It lives as
  // long as the application object.
  AppContext& Context();

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  std::unique_ptr<AppContext> m_context;
};
