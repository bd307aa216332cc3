// Test helper: a locale whose decimal point is a comma.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

// Sets a locale whose decimal point is a comma for the scope of a test: an
// installed one, or one compiled into a temporary folder.
class CommaLocale {
 public:
  CommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"})
      if (std::setlocale(LC_ALL, name)) {
        ok_ = true;
        return;
      }
    char tmpl[] = "/tmp/pmlocXXXXXX";
    if (!mkdtemp(tmpl)) return;
    dir_ = tmpl;
    std::string cmd = "localedef -i de_DE -f UTF-8 " + dir_ + "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return;
    setenv("LOCPATH", dir_.c_str(), 1);
    ok_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  }
  ~CommaLocale() {
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    if (!dir_.empty()) {
      std::error_code ec;
      std::filesystem::remove_all(dir_, ec);
    }
  }
  bool ok() const { return ok_ && std::localeconv()->decimal_point[0] == ','; }

 private:
  bool ok_ = false;
  std::string dir_;
};

