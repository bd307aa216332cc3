#include "platform/win32/workspacelock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/win32/files.h"

WorkspaceLock::~WorkspaceLock() { Release(); }

bool WorkspaceLock::TryLock(const std::u16string& path) {
  if (m_fd >= 0) return true;
  if (path.empty()) return false;
  // The file is opened before it is locked, so it is truncated also while
  // another holder has it; nothing is ever written to it.
  const int fd = open(PathToNative(path.c_str()).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  int rc;
  do rc = flock(fd, LOCK_EX | LOCK_NB);
  while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    close(fd);
    return false;
  }
  m_fd = fd;
  return true;
}

void WorkspaceLock::Release() {
  if (m_fd < 0) return;
  close(m_fd);
  m_fd = -1;
}

bool WaitForLock(WorkspaceLock& lock, const std::u16string& path, const std::function<bool()>& pause) {
  if (lock.TryLock(path) || lock.TryLock(path)) return true;
  while (pause && pause()) {
    if (lock.TryLock(path)) return true;
  }
  return false;
}
