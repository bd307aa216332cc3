#include "uploader/CtessilarApp.h"

#include <cstdlib>

#include "uploader/CtessilarDlg.h"
#include "uploader/UserInfoDb.h"

BEGIN_MESSAGE_MAP(CtessilarApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CtessilarApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = 0xFF;
  InitCommonControlsEx(&controls);
  CWinApp::InitInstance();
  SetRegistryKey(u"Morvek Pelmora Db Transfer Tool");

  static UserInfoDb userInfo;
  static const bool userInfoMade = userInfo.Create();
  (void)userInfoMade;
  m_pUserInfoDb = &userInfo;

  CtessilarDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();

  // The end of the process, in order: the workers stop first, so that nothing
  // below is used by a thread while it goes.
  const bool workersEnded = dlg.StopWorkers();
  // A closed window (IDCANCEL, unlike a quit) sends the logout request here,
  // and the project's working copy is deleted before the workspace lock is
  // released, once the web-service client and the sport project manager are
  // part of the program.
  m_pMainWnd = nullptr;
  if (!workersEnded) {
    // A worker still runs past the bound and may use the dialog and the
    // process-wide databases: end now rather than destroy them under it.
    std::_Exit(0);
  }
  return FALSE;
}
