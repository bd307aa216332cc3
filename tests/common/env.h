// Environment settings for the scope of a test.
#pragma once

#include <stdlib.h>
#include <time.h>

#include <cstdlib>
#include <optional>
#include <string>

// Sets an environment variable and puts back its earlier value, or its
// absence, at the end of the scope (or at Restore()).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    setenv(name, value, 1);
  }
  ~ScopedEnv() { Restore(); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

  void Restore() {
    if (m_restored) return;
    m_restored = true;
    if (m_old)
      setenv(m_name.c_str(), m_old->c_str(), 1);
    else
      unsetenv(m_name.c_str());
  }

 private:
  std::string m_name;
  std::optional<std::string> m_old;
  bool m_restored = false;
};

// A user's folders under `home` for the scope: the home itself, the settings
// store and the runtime folder (the named locks) in home/config and the
// documents in home/Documents.
class ScopedUserFolders {
 public:
  explicit ScopedUserFolders(const std::string& home)
      : m_home("HOME", home.c_str()),
        m_config("XDG_CONFIG_HOME", (home + "/config").c_str()),
        m_runtime("XDG_RUNTIME_DIR", (home + "/config").c_str()),
        m_documents("XDG_DOCUMENTS_DIR", (home + "/Documents").c_str()) {}

 private:
  ScopedEnv m_home, m_config, m_runtime, m_documents;
};

// Sets the time zone (a POSIX TZ value such as "CET-1CEST,M3.5.0,M10.5.0/3")
// and makes the C library read it; the earlier zone comes back at the end.
class ScopedTz {
 public:
  explicit ScopedTz(const char* tz) : m_tz("TZ", tz) { tzset(); }
  ~ScopedTz() {
    m_tz.Restore();
    tzset();
  }

 private:
  ScopedEnv m_tz;
};
