#include "uploader/CtessilarApp.h"

#include <cstdlib>

#include "appcore/AppContext.h"
#include "appcore/Restart.h"
#include "sport/SportProjMgr.h"
#include "uploader/CtessilarDlg.h"
#include "webclient/ApiClient.h"

BEGIN_MESSAGE_MAP(CtessilarApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CtessilarApp::CtessilarApp() = default;

// The client keeps no store that goes with the application object.
CtessilarApp::~CtessilarApp() {
  if (m_context && GetApiUserStore() == &m_context->Users()) SetApiHost(nullptr);
}

AppContext& CtessilarApp::Context() {
  if (!m_context) {
    m_context = std::make_unique<AppContext>();
    m_context->Create(LogCreateFailure);
    SetApiHost(m_context.get());
  }
  return *m_context;
}

BOOL CtessilarApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = 0xFF;
  InitCommonControlsEx(&controls);
  CWinApp::InitInstance();
  SetRegistryKey(u"Morvek Pelmora Db Transfer Tool");

  // The folders are settled before the window opens, so that the session
  // list's file is under the real workspace from the first run on.
  CtessilarDlg dlg(Context());
  m_pMainWnd = &dlg;
  const INT_PTR result = dlg.DoModal();

  // The end of the process, in order: the workers stop first, so that nothing
  // below is used by a thread while it goes. A closed window (IDCANCEL, unlike
  // a quit) then sends the logout request. The project's working copy is
  // deleted next and the workspace lock released last, so that a copy
  // started again, which waits on that lock, never finds a working copy.
  const bool workersEnded = dlg.StopWorkers();
  if (result == IDCANCEL) ApiLogout();
  m_pMainWnd = nullptr;
  if (!workersEnded) {
    // A worker still runs past the bound and may use the dialog and the
    // process-wide databases: end now rather than destroy them under it. The
    // exit code says that the program did not end cleanly.
    std::_Exit(EXIT_FAILURE);
  }
  CSportProjMgr::GetInstance()->CloseWorkspace();
  ReleaseRestartLock();
  return FALSE;
}
