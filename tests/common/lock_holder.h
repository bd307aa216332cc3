// Another process that holds a workspace lock file, as a first copy of the
// program does: an exclusive flock on the file until it is released.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

class LockHolder {
 public:
  // Starts the process, which creates the file and takes the lock without
  // waiting, and returns once it has tried: Held() tells whether it got it.
  explicit LockHolder(const std::string& path) {
    int held[2];
    if (pipe(held) != 0) return;
    if (pipe(m_release) != 0) {
      m_release[0] = m_release[1] = -1;
    } else if ((m_pid = fork()) == 0) {
      // Only system calls here: the test may have other threads.
      const int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0666);
      const char ok = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
      (void)!write(held[1], &ok, 1);
      char c;
      (void)!read(m_release[0], &c, 1);
      _exit(0);
    }
    close(held[1]);
    char ok = 0;
    m_held = m_pid > 0 && read(held[0], &ok, 1) == 1 && ok == '1';
    close(held[0]);
  }
  ~LockHolder() {
    Release();
    for (int fd : m_release)
      if (fd >= 0) close(fd);
  }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

  bool Held() const { return m_held; }
  // Lets the process exit and waits for it, so that the lock is free; true
  // when it was waited for. Later calls do nothing and give false.
  bool Release() {
    if (m_pid <= 0) return false;
    (void)!write(m_release[1], "x", 1);
    const bool ended = waitpid(m_pid, nullptr, 0) == m_pid;
    m_pid = -1;
    return ended;
  }

 private:
  int m_release[2] = {-1, -1};
  pid_t m_pid = -1;
  bool m_held = false;
};
