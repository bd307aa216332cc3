// The lock that lets one program at a time work on a workspace: a lock file
// held open for writing until the holder releases it or exits, with an
// exclusive advisory lock (flock) on it. The lock belongs to the open file,
// so a second open of the same file meets it whether it comes from another
// process or from this one; the system drops it when the holder exits, even
// after a crash.
#pragma once

#include <functional>
#include <string>

// What one try at the lock found.
enum class LockTry {
  kHeld,    // the lock is this object's
  kBusy,    // another holder has it: worth waiting for
  kFailed,  // the file cannot be made, opened or locked (a read-only folder, no permission): waiting does not help
};

class WorkspaceLock {
 public:
  WorkspaceLock() = default;
  // Releases the lock.
  ~WorkspaceLock();
  WorkspaceLock(const WorkspaceLock&) = delete;
  WorkspaceLock& operator=(const WorkspaceLock&) = delete;

  // Creates (or truncates) the file and takes the lock without waiting.
  // Holding nothing unless kHeld; kFailed leaves the system's error number
  // in error (when given). Taking a lock already held by this object is
  // kHeld at once.
  LockTry Try(const std::u16string& path, int* error = nullptr);
  bool TryLock(const std::u16string& path) { return Try(path) == LockTry::kHeld; }
  // Closes the file, which gives the lock back. Nothing happens when not held.
  void Release();
  bool IsHeld() const { return m_fd >= 0; }

 private:
  int m_fd = -1;
};

// Waits for the lock while another holder has it: tries, tries once more at
// once, then calls pause between further tries for as long as pause returns
// true. pause is where the caller waits (a second, in the program); it
// returns false to give up (kBusy). kHeld once the lock is held; kFailed at
// the first try that fails for any other reason, with its error number.
LockTry WaitForLock(WorkspaceLock& lock, const std::u16string& path, const std::function<bool()>& pause,
                    int* error = nullptr);
