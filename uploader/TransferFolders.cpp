#include "uploader/TransferFolders.h"

#include <filesystem>

#include "platform/win32/files.h"
#include "platform/win32/knownfolders.h"
#include "uploader/DataName.h"

namespace {

std::u16string Join(const std::u16string& folder, std::u16string_view name) {
  if (folder.empty()) return std::u16string();
  std::u16string out = folder;
  if (out.empty() || out.back() != PATH_SEP) out.push_back(PATH_SEP);
  out.append(name);
  return out;
}

}  // namespace

std::u16string UserDataFolder() { return Join(GetDocumentsFolderPath(), u"Pelmora"); }

std::u16string WorkspaceTransferFolder(const std::u16string& workspace) { return Join(workspace, u"TransferDb"); }

std::u16string UserTransferFolder(const std::u16string& userData) { return Join(userData, u"TransferDb"); }

std::u16string BeaconFolder(const std::u16string& userData) { return Join(UserTransferFolder(userData), u"bcnx"); }

std::u16string BeaconFilePath(const std::u16string& userData, std::u16string_view mapName) {
  if (!IsPlainDataName(mapName)) return std::u16string();
  return Join(BeaconFolder(userData), std::u16string(mapName) + u".bcnx");
}

std::u16string TrackMapFolder(const std::u16string& userData, std::u16string_view mapName) {
  if (!IsPlainDataName(mapName)) return std::u16string();
  return Join(Join(userData, u"TrackMap"), mapName);
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
  DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
