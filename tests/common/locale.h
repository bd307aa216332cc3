// A C locale whose decimal point is a comma, for tests that numbers are
// written and read with '.' whatever the locale.
#pragma once

#include <stdlib.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "tests/common/temp_dir.h"

// Sets a locale with a decimal comma for its scope: an installed one, or one
// compiled into a temporary folder. ok() tells whether it took; the locale
// and LOCPATH of before come back at the end.
class CommaLocale {
 public:
  CommaLocale() {
    if (const char* before = std::setlocale(LC_ALL, nullptr)) m_before = before;
    if (const char* path = std::getenv("LOCPATH")) m_locPath = path, m_hadLocPath = true;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"})
      if (std::setlocale(LC_ALL, name)) {
        m_ok = true;
        return;
      }
    std::string cmd = "localedef -i de_DE -f UTF-8 '" + m_dir.Path() + "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return;
    setenv("LOCPATH", m_dir.Path().c_str(), 1);
    m_ok = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  }
  ~CommaLocale() {
    if (m_hadLocPath)
      setenv("LOCPATH", m_locPath.c_str(), 1);
    else
      unsetenv("LOCPATH");
    std::setlocale(LC_ALL, m_before.c_str());
  }
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

  bool ok() const { return m_ok && std::localeconv()->decimal_point[0] == ','; }

 private:
  TempDir m_dir;
  std::string m_before = "C";
  std::string m_locPath;
  bool m_hadLocPath = false;
  bool m_ok = false;
};
