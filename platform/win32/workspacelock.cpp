#include "platform/win32/workspacelock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/win32/files.h"

WorkspaceLock::~WorkspaceLock() { Release(); }

LockTry WorkspaceLock::Try(const std::u16string& path, int* error) {
  if (m_fd >= 0) return LockTry::kHeld;
  auto failed = [error](int number) {
    if (error) *error = number;
    return LockTry::kFailed;
  };
  if (path.empty()) return failed(ENOENT);
  // The file is opened before it is locked, so it is truncated also while
  // another holder has it; nothing is ever written to it.
  const int fd = open(PathToNative(path.c_str()).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return failed(errno);
  int rc;
  do rc = flock(fd, LOCK_EX | LOCK_NB);
  while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const int number = errno;
    close(fd);
    // Only a lock that someone holds is worth waiting for.
    return number == EWOULDBLOCK || number == EAGAIN ? LockTry::kBusy : failed(number);
  }
  m_fd = fd;
  return LockTry::kHeld;
}

void WorkspaceLock::Release() {
  if (m_fd < 0) return;
  close(m_fd);
  m_fd = -1;
}

LockTry WaitForLock(WorkspaceLock& lock, const std::u16string& path, const std::function<bool()>& pause, int* error) {
  LockTry result = lock.Try(path, error);
  if (result == LockTry::kBusy) result = lock.Try(path, error);
  while (result == LockTry::kBusy && pause && pause()) result = lock.Try(path, error);
  return result;
}
