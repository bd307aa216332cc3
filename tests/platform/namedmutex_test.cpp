// Named mutexes between threads and processes: the owner takes it again
// without waiting, others wait until it is released or its process ends.
#include "platform/win32/namedmutex.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <thread>

#include "tests/common/env.h"
#include "tests/common/temp_dir.h"

namespace {

// Runs `job` in a child process; its result is the child's exit code.
int InChild(const std::function<int()>& job) {
  const pid_t pid = fork();
  if (pid == 0) _exit(job());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// In another process: 0 when the mutex is new there, 1 when it exists and
// cannot be taken within 50 ms, 2 otherwise.
int TryElsewhere(const char16_t* name) {
  return InChild([name]() {
    HANDLE h = CreateMutexW(nullptr, TRUE, name);
    if (h == nullptr) return 2;
    if (GetLastError() == ERROR_SUCCESS) return 0;
    return WaitForMutex(h, 50) == WAIT_TIMEOUT ? 1 : 2;
  });
}

class NamedMutexTest : public ::testing::Test {
 protected:
  TempDir m_dir;
  ScopedEnv m_runtime{"XDG_RUNTIME_DIR", m_dir.Path().c_str()};
};

TEST_F(NamedMutexTest, TheOwnerTakesItAgainWhileOthersWaitUntilEveryTakeIsGivenUp) {
  const char16_t* name = u"pm-restart-test";
  HANDLE owner = CreateMutexW(nullptr, TRUE, name);
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

  // The name again in the owning process: it exists, and its owner takes it
  // at once rather than waiting on itself.
  HANDLE again = CreateMutexW(nullptr, TRUE, name);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(WaitForMutex(again, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseMutexHandle(again));

  DWORD otherThread = WAIT_FAILED;
  std::thread([&]() { otherThread = WaitForMutex(owner, 50); }).join();
  EXPECT_EQ(otherThread, WAIT_TIMEOUT);
  EXPECT_EQ(TryElsewhere(name), 1);

  EXPECT_TRUE(ReleaseMutex(owner));
  EXPECT_EQ(TryElsewhere(name), 1) << "one take is still held";
  EXPECT_TRUE(ReleaseMutex(owner));
  EXPECT_FALSE(ReleaseMutex(owner));
  EXPECT_EQ(TryElsewhere(name), 0);
  EXPECT_TRUE(CloseMutexHandle(owner));

  EXPECT_EQ(CreateMutexW(nullptr, TRUE, u"a/b"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
}

TEST_F(NamedMutexTest, AWaiterGetsTheMutexWhenTheOwningProcessEnds) {
  const char16_t* name = u"pm-restart-exit";
  int ready[2], end[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(end), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    // Owns it, says so, and ends when told, without releasing it.
    CreateMutexW(nullptr, TRUE, name);
    (void)!write(ready[1], "1", 1);
    char c;
    (void)!read(end[0], &c, 1);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  HANDLE h = CreateMutexW(nullptr, TRUE, name);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  (void)!write(end[1], "1", 1);
  ASSERT_NE(h, nullptr);
  // The owner never releases it: only its end frees it.
  EXPECT_EQ(WaitForMutex(h, INFINITE), WAIT_OBJECT_0);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(ReleaseMutex(h));
  EXPECT_TRUE(CloseMutexHandle(h));
  for (int fd : {ready[0], ready[1], end[0], end[1]}) close(fd);
}

}  // namespace
