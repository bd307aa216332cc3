#include "appcore/TransferFolders.h"

#include <filesystem>

#include "icbase/src/icutil/paths.h"
#include "platform/win32/files.h"

std::u16string UserTransferFolder(const std::u16string& userData) { return JoinFolder(userData, u"TransferDb"); }

std::u16string BeaconFolder(const std::u16string& userData) {
  return JoinFolder(UserTransferFolder(userData), u"bcnx");
}

std::u16string BeaconFilePath(const std::u16string& userData, std::u16string_view mapName) {
  if (!IsPlainDataName(mapName)) return std::u16string();
  return JoinFolder(BeaconFolder(userData), std::u16string(mapName) + u".bcnx");
}

std::u16string TrackMapFolder(const std::u16string& userData, std::u16string_view mapName) {
  if (!IsPlainDataName(mapName)) return std::u16string();
  return JoinFolder(JoinFolder(userData, u"TrackMap"), mapName);
}

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
