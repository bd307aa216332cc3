#include "platform/win32/entrylock.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

EntryLock TryLockEntry(int fd) {
  int rc;
  do rc = ::flock(fd, LOCK_EX | LOCK_NB);
  while (rc != 0 && errno == EINTR);
  if (rc == 0) return EntryLock::kHeld;
  return errno == EWOULDBLOCK || errno == EAGAIN ? EntryLock::kBusy : EntryLock::kUnsupported;
}

bool MoveToUnlockedName(int fd, int folder, std::string& name, size_t prefixLength) {
  if (prefixLength > name.size()) return false;
  std::string moved = name;
  moved.insert(prefixLength, "unlocked-");
  // Some file systems (network mounts among them) take no flags: there the
  // name, unique as the one it comes from, is taken when nothing bears it.
  if (::renameat2(folder, name.c_str(), folder, moved.c_str(), RENAME_NOREPLACE) != 0) {
    struct stat taken;
    if (errno != EINVAL || ::fstatat(folder, moved.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT ||
        ::renameat(folder, name.c_str(), folder, moved.c_str()) != 0)
      return false;
  }
  // A sweep may have taken the entry before the move; then what bears the
  // new name is not ours.
  if (!IsStillNamed(fd, folder, moved)) return false;
  name = std::move(moved);
  return true;
}

bool LockOrMoveToUnlockedName(int lockFd, int fd, int folder, std::string& name, size_t prefixLength) {
  switch (TryLockEntry(lockFd)) {
    case EntryLock::kHeld:
      return true;
    case EntryLock::kBusy:
      return false;
    case EntryLock::kUnsupported:
      break;
  }
  return MoveToUnlockedName(fd, folder, name, prefixLength);
}

bool IsStillNamed(int fd, int folder, const std::string& name) {
  struct stat held, named;
  return ::fstat(fd, &held) == 0 && held.st_nlink > 0 &&
         ::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

std::vector<std::string> EntryNames(int folder) {
  std::vector<std::string> names;
  // The listing reads through a descriptor of its own, which closedir closes.
  const int own = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
  if (own < 0) return names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(own), &::closedir);
  if (!dir) {
    ::close(own);
    return names;
  }
  ::rewinddir(dir.get());
  while (const dirent* entry = ::readdir(dir.get()))
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
      names.emplace_back(entry->d_name);
  return names;
}
