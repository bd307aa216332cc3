#include "appcore/EnsureFolder.h"

#include <filesystem>

#include "icbase/src/icutil/paths.h"
#include "platform/win32/files.h"

bool EnsureFolder(const std::u16string& folder, FolderParents parents) {
  if (folder.empty()) return false;
  if (!PathFileExistsW(folder.c_str())) {
    if (parents == FolderParents::kCreate) {
      std::error_code ec;
      std::filesystem::create_directories(PathToNative(folder.c_str()), ec);
    } else {
      CreateDirectoryW(folder.c_str());
    }
  }
  return FileName_C(folder.c_str()).IsFolder();
}
