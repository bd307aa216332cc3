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
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value, 1);
  }
  ~ScopedEnv() { Restore(); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

  void Restore() {
    if (restored_) return;
    restored_ = true;
    if (old_) setenv(name_.c_str(), old_->c_str(), 1);
    else unsetenv(name_.c_str());
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
  bool restored_ = false;
};

// A user's folders under `home` for the scope: the home itself, the settings
// store in home/config and the documents in home/Documents.
class ScopedUserFolders {
 public:
  explicit ScopedUserFolders(const std::string& home)
      : home_("HOME", home.c_str()),
        config_("XDG_CONFIG_HOME", (home + "/config").c_str()),
        documents_("XDG_DOCUMENTS_DIR", (home + "/Documents").c_str()) {}

 private:
  ScopedEnv home_, config_, documents_;
};

// Sets the time zone (a POSIX TZ value such as "CET-1CEST,M3.5.0,M10.5.0/3")
// and makes the C library read it; the earlier zone comes back at the end.
class ScopedTz {
 public:
  explicit ScopedTz(const char* tz) : tz_("TZ", tz) { tzset(); }
  ~ScopedTz() {
    tz_.Restore();
    tzset();
  }

 private:
  ScopedEnv tz_;
};
