// A file system that cannot lock, as a network mount without a lock service
// is: RunWithoutFileLocks runs `work` on a thread of its own on which every
// flock fails with ENOLCK. The filter (seccomp) belongs to that thread alone
// and ends with it; the rest of the test program locks as before.
#pragma once

#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>

#include <cerrno>
#include <cstddef>
#include <functional>
#include <iterator>
#include <thread>

// False, and `work` does not run, when the system refuses the filter.
inline bool RunWithoutFileLocks(const std::function<void()>& work) {
  bool ran = false;
  std::thread([&] {
    sock_filter code[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_flock, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (ENOLCK & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog filter{static_cast<unsigned short>(std::size(code)), code};
    // Both settings belong to this thread, which ends with the work.
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) != 0) return;
    work();
    ran = true;
  }).join();
  return ran;
}
