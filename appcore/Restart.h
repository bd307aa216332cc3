// The restart onto a new workspace: the new workspace is stored as the
// program's, then a new copy of the program is started with "--Restart"
// while this copy holds the named restart lock, which it keeps until it ends,
// so that restarts asked for meanwhile wait instead of starting further
// copies.
#pragma once

#include <string>

#include "platform/classlib/CString.h"
#include "platform/win32/wintypes.h"

enum class RestartResult {
  kStarted,    // the new copy runs; this copy is to quit and keeps the lock
  kWaited,     // a restart was under way (held by another copy or by this one):
               // waited for it, nothing started
  kNotStarted  // the lock or the program could not be had; nothing is held
};

constexpr const char16_t* kRestartMutexName = u"YOUR_RESTART-MUTEX_NAME";

// Starts `program` (the full path, any length) with the one argument
// "--Restart" under the restart lock.
RestartResult RestartProgram(const std::u16string& program);

// Lets go of the lock that a started restart holds (nothing when none is
// held): the program's last step as it ends, so that the lock goes with the
// run that took it.
void ReleaseRestartLock();

// Whether `workspace` is another folder than the stored workspace, which
// takes a restart. The comparison is exact: folder names differ by case on
// this system too.
bool IsNewWorkspace(const CString& workspace);
// Stores `workspace` as the program's, then RestartProgram(program). The
// workspace stays stored when the restart waited or failed: it is used from
// the next start.
RestartResult RestartOnWorkspace(const CString& workspace, const std::u16string& program);
