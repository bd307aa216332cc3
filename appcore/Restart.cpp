#include "appcore/Restart.h"

#include "appcore/RegistrySettings.h"
#include "platform/win32/namedmutex.h"
#include "platform/win32/process.h"

namespace {

// Owned from a successful start until the program ends (ReleaseRestartLock).
HANDLE g_restartMutex = nullptr;

}  // namespace

RestartResult RestartProgram(const std::u16string& program) {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, kRestartMutexName);
  const DWORD error = GetLastError();
  if (mutex != nullptr && error == ERROR_ALREADY_EXISTS) {
    // The holder is a copy that is about to end, or this copy after its own
    // restart (the lock is re-entrant, so that never waits on itself).
    WaitForMutex(mutex, INFINITE);
    ReleaseMutex(mutex);
    CloseMutexHandle(mutex);
    return RestartResult::kWaited;
  }
  if (mutex == nullptr) return RestartResult::kNotStarted;
  if (!StartProgram(program, {u"--Restart"})) {
    // Nothing runs on the new workspace: a later restart must be free to try.
    ReleaseMutex(mutex);
    CloseMutexHandle(mutex);
    return RestartResult::kNotStarted;
  }
  g_restartMutex = mutex;
  return RestartResult::kStarted;
}

void ReleaseRestartLock() {
  if (g_restartMutex == nullptr) return;
  ReleaseMutex(g_restartMutex);
  CloseMutexHandle(g_restartMutex);
  g_restartMutex = nullptr;
}

bool IsNewWorkspace(const CString& workspace) { return workspace.Compare(GetWorkspaceLocation()) != 0; }

RestartResult RestartOnWorkspace(const CString& workspace, const std::u16string& program) {
  SetWorkspaceLocation(workspace);
  return RestartProgram(program);
}
