// Tests run as root, and root reads and writes any file whatever its mode.
// A test that needs a file it may not read, or a folder it may not write,
// takes that power from the calling thread for the scope: the effective
// capabilities CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH are dropped (threads
// started meanwhile inherit the lack) and given back at the end. For a user
// without them the modes apply anyway and nothing changes.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class ScopedNoFileOverride {
 public:
  ScopedNoFileOverride() {
    if (syscall(SYS_capget, &m_header, m_saved) != 0) return;
    __user_cap_data_struct dropped[2] = {m_saved[0], m_saved[1]};
    dropped[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    m_dropped = syscall(SYS_capset, &m_header, dropped) == 0;
  }
  ~ScopedNoFileOverride() {
    if (m_dropped) syscall(SYS_capset, &m_header, m_saved);
  }
  ScopedNoFileOverride(const ScopedNoFileOverride&) = delete;
  ScopedNoFileOverride& operator=(const ScopedNoFileOverride&) = delete;

 private:
  __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct m_saved[2] = {};
  bool m_dropped = false;
};
