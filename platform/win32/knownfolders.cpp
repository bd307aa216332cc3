#include "platform/win32/knownfolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32/files.h"

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string HomeNative() {
  std::string home = Env("HOME");
  if (!home.empty()) return home;
  std::vector<char> buf(16384);
  struct passwd pw;
  struct passwd* found = nullptr;
  if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir) return found->pw_dir;
  return std::string();
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string SettingsNative() {
  const std::string xdg = Env("XDG_CONFIG_HOME");
  if (!xdg.empty() && xdg[0] == '/') return WithoutTrailingSlash(xdg);
  const std::string home = HomeNative();
  return home.empty() ? std::string() : WithoutTrailingSlash(home) + "/.config";
}

// The value of XDG_DOCUMENTS_DIR in user-dirs.dirs, expanded; empty when absent or unusable.
std::string DocumentsFromUserDirs(const std::string& home) {
  std::ifstream in(SettingsNative() + "/user-dirs.dirs");
  std::string line, found;
  const std::string key = "XDG_DOCUMENTS_DIR=\"";
  while (std::getline(in, line)) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
    const size_t end = line.rfind('"');
    if (end <= start + key.size() - 1) continue;
    std::string value = line.substr(start + key.size(), end - start - key.size());
    if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) value = home + value.substr(5);
    // A zero byte would end the path at every call that takes it: such a
    // value names no folder and is passed over, as a relative one is.
    if (!value.empty() && value[0] == '/' && value.find('\0') == std::string::npos)
      found = value;  // the last assignment wins, as in the shell
  }
  return WithoutTrailingSlash(found);
}

}  // namespace

std::u16string GetHomeFolderPath() { return PathFromNative(WithoutTrailingSlash(HomeNative())); }

std::u16string GetSettingsFolderPath() { return PathFromNative(SettingsNative()); }

std::u16string GetDocumentsFolderPath() {
  const std::string home = WithoutTrailingSlash(HomeNative());
  std::string docs = DocumentsFromUserDirs(home);
  if (docs.empty()) {
    const std::string env = Env("XDG_DOCUMENTS_DIR");
    if (!env.empty() && env[0] == '/') docs = WithoutTrailingSlash(env);
  }
  if (docs.empty() && !home.empty()) docs = home + "/Documents";
  return PathFromNative(docs);
}
