// The program's workspace folder in the user's settings store:
//   workspace-setting          prints the stored folder (empty when none)
//   workspace-setting DIR      stores DIR, which must be an existing folder
//   workspace-setting --user-data   prints the per-user data folder
#include <cstdio>
#include <filesystem>
#include <string>

#include "appcore/RegistrySettings.h"
#include "datafiles/DataFiles.h"
#include "platform/classlib/CString.h"
#include "platform/win32/utf.h"

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: workspace-setting [DIR | --user-data]\n");
    return 2;
  }
  if (argc == 2 && std::string(argv[1]) == "--user-data") {
    std::printf("%s\n", Utf16ToUtf8(UserDataFolder()).c_str());
    return 0;
  }
  if (argc == 2) {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(argv[1], ec);
    if (ec || !std::filesystem::is_directory(folder, ec)) {
      std::fprintf(stderr, "workspace-setting: %s is not a folder\n", argv[1]);
      return 1;
    }
    std::string text = folder.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    SetWorkspaceLocation(CString::FromUtf8(text));
    if (GetWorkspaceLocation().ToUtf8() != text) {
      std::fprintf(stderr, "workspace-setting: the settings store could not be written\n");
      return 1;
    }
  }
  std::printf("%s\n", GetWorkspaceLocation().ToUtf8().c_str());
  return 0;
}
