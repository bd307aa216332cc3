// The application object, the UI thread and its queue, modal loops and quit
// requests.
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/classlib/ui/internal/wxbridge.h"

namespace afxui {

namespace {

std::vector<wxDialog*>& ModalStack() {
  static std::vector<wxDialog*> stack;
  return stack;
}

std::thread::id g_uiThread;
std::atomic<bool> g_uiAlive{false};
std::atomic<bool> g_quit{false};
std::atomic<int> g_exitCode{0};
std::mutex g_sendMutex;
std::condition_variable g_sendDone;
wxEventLoopBase* g_mainLoop = nullptr;
CWinApp* g_app = nullptr;

class PmApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

// The toolkit's windows go on the screen's default visual. Where that visual
// takes no GL drawing (on a virtual display it does not), GDK puts every window
// on a GL visual of its own with a colormap that is never installed, and a
// whole-screen capture that rebuilds the screen window by window through their
// visuals and colormaps (xwd -root) shows the windows mapped over others, the
// dialogs, as black rectangles. Nothing here draws with GL: GDK is told so
// while it opens the display, and the variable goes again at once, so that the
// programs started later (browser, installer) choose for themselves. A value
// the user set is left as it is.
class NoGlVisualWhileOpening {
 public:
  NoGlVisualWhileOpening() : m_set(std::getenv(kName) == nullptr && setenv(kName, "disable", 0) == 0) {}
  ~NoGlVisualWhileOpening() {
    if (m_set) unsetenv(kName);
  }
  NoGlVisualWhileOpening(const NoGlVisualWhileOpening&) = delete;
  NoGlVisualWhileOpening& operator=(const NoGlVisualWhileOpening&) = delete;

 private:
  static constexpr const char* kName = "GDK_GL";
  bool m_set;
};

}  // namespace

void PushModal(wxDialog* d) { ModalStack().push_back(d); }
void PopModal(wxDialog* d) {
  auto& st = ModalStack();
  for (size_t i = st.size(); i-- > 0;) {
    if (st[i] == d) {
      st.erase(st.begin() + static_cast<long>(i));
      break;
    }
  }
}
wxDialog* InnermostModal() { return ModalStack().empty() ? nullptr : ModalStack().back(); }

wxWindow* DefaultOwner() {
  if (wxDialog* d = InnermostModal()) return d;
  if (g_app != nullptr && g_app->m_pMainWnd != nullptr && g_app->m_pMainWnd->m_hWnd != nullptr)
    return Wx(g_app->m_pMainWnd->m_hWnd);
  return nullptr;
}

void EndInnermostForQuit() {
  // A quit withdrawn before this call ran (ResetQuit) ends nothing.
  if (!g_quit) return;
  wxDialog* d = InnermostModal();
  if (d == nullptr) {
    if (g_mainLoop != nullptr) g_mainLoop->Exit(g_exitCode.load());
    return;
  }
  CWnd* wnd = CWnd::FromHandlePermanent(Hwnd(d));
  if (CDialog* dlg = dynamic_cast<CDialog*>(wnd)) {
    dlg->EndDialog(-1);
  } else if (d->IsModal()) {
    d->EndModal(wxID_CANCEL);
  }
}

void ResetQuit() { g_quit = false; }

}  // namespace afxui

using namespace afxui;

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCWSTR appName) : m_strAppName(appName) { g_app = this; }
CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}
BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return g_exitCode.load(); }
CWinApp* AfxGetApp() { return g_app; }

bool AfxUiInit(int argc, char** argv) {
  if (g_uiAlive.load()) return true;
  wxApp::SetInstance(new PmApp);
  int ac = argc;
  std::vector<char*> av(argv, argv + argc);
  av.push_back(nullptr);
  {
    NoGlVisualWhileOpening noGl;
    if (!wxEntryStart(ac, av.data())) return false;
  }
  wxTheApp->SetExitOnFrameDelete(false);
  g_uiThread = std::this_thread::get_id();
  g_quit = false;
  g_uiAlive = true;
  return true;
}

void AfxUiTerm() {
  if (!g_uiAlive.load()) return;
  {
    std::lock_guard<std::mutex> lock(g_sendMutex);
    g_uiAlive = false;
  }
  g_sendDone.notify_all();
  if (wxTheApp) {
    wxTheApp->ProcessPendingEvents();
    wxTheApp->OnExit();
  }
  wxEntryCleanup();
}

bool AfxIsUiThread() { return g_uiAlive.load() && std::this_thread::get_id() == g_uiThread; }

int AfxWinMain(int argc, char** argv) {
  if (!AfxUiInit(argc, argv)) return 1;
  int code = 0;
  if (g_app != nullptr) {
    if (g_app->InitInstance() && !g_quit.load()) {
      wxGUIEventLoop loop;
      g_mainLoop = &loop;
      loop.Run();
      g_mainLoop = nullptr;
    }
    code = g_app->ExitInstance();
  }
  if (g_quit.load()) code = g_exitCode.load();
  AfxUiTerm();
  return code;
}

bool AfxPostToUiThread(std::function<void()> fn) {
  if (!g_uiAlive.load() || wxTheApp == nullptr) return false;
  wxTheApp->CallAfter(std::move(fn));
  return true;
}

bool AfxSendToUiThread(const std::function<void()>& fn) {
  if (!g_uiAlive.load()) return false;
  if (AfxIsUiThread()) {
    fn();
    return true;
  }
  struct Call {
    bool running = false;
    bool done = false;
    bool abandoned = false;
  };
  auto call = std::make_shared<Call>();
  const std::function<void()>* target = &fn;
  bool posted = AfxPostToUiThread([call, target]() {
    {
      std::lock_guard<std::mutex> lock(g_sendMutex);
      if (call->abandoned) return;
      call->running = true;
    }
    (*target)();
    {
      std::lock_guard<std::mutex> lock(g_sendMutex);
      call->done = true;
    }
    g_sendDone.notify_all();
  });
  if (!posted) return false;
  std::unique_lock<std::mutex> lock(g_sendMutex);
  // When the UI goes away the call is abandoned, but never while it runs: fn
  // belongs to this frame and must outlive its execution.
  g_sendDone.wait(lock, [&] { return call->done || (!g_uiAlive.load() && !call->running); });
  if (!call->done) call->abandoned = true;
  return call->done;
}

void PostQuitMessage(int exitCode) {
  if (!AfxIsUiThread()) {
    AfxPostToUiThread([exitCode]() { PostQuitMessage(exitCode); });
    return;
  }
  g_exitCode = exitCode;
  g_quit = true;
  wxTheApp->CallAfter([]() { EndInnermostForQuit(); });
}

bool AfxIsQuitPending() { return g_quit.load(); }

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX*) { return TRUE; }

HINSTANCE AfxGetInstanceHandle() { return reinterpret_cast<HINSTANCE>(&g_app); }
HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

HICON CWinApp::LoadIcon(UINT id) const { return LoadIconResource(id); }
