#include "datafiles/DataFiles.h"

#include "icbase/src/icutil/paths.h"
#include "platform/win32/files.h"
#include "platform/win32/format.h"
#include "platform/win32/knownfolders.h"

namespace {

const char16_t kUserDataName[] = u"Pelmora";
const char16_t kDefaultWorkspaceName[] = u"Pelmora_Workspace";
const char16_t kTransferName[] = u"TransferDb";
const char16_t kTransferDbToolName[] = u"transferDbTool.db";
const char16_t kBeaconFolderName[] = u"bcnx";
const char16_t kTrackMapName[] = u"TrackMap";
const char16_t kSessionListName[] = u"SessionList.db";

// The file `mapName` + `extension` in `folder`; empty for a name that is not
// a plain one.
std::u16string MapFile(const std::u16string& folder, std::u16string_view mapName, std::u16string_view extension) {
  if (!IsPlainDataName(mapName)) return std::u16string();
  std::u16string name(mapName);
  name.append(extension);
  return JoinFolder(folder, name);
}

}  // namespace

std::u16string JoinFolder(const std::u16string& folder, std::u16string_view name) {
  if (folder.empty()) return std::u16string();
  std::u16string out = folder;
  if (out.back() != PATH_SEP) out.push_back(PATH_SEP);
  out.append(name);
  return out;
}

std::u16string UserDataFolderIn(const std::u16string& documents) { return JoinFolder(documents, kUserDataName); }

std::u16string UserDataFolder() { return UserDataFolderIn(GetDocumentsFolderPath()); }

std::u16string UserTransferFolder(const std::u16string& userData) { return JoinFolder(userData, kTransferName); }

std::u16string TransferDbToolPath(const std::u16string& userData) {
  return JoinFolder(UserTransferFolder(userData), kTransferDbToolName);
}

std::u16string BeaconFolder(const std::u16string& userData) {
  return JoinFolder(UserTransferFolder(userData), kBeaconFolderName);
}

std::u16string BeaconFilePath(const std::u16string& userData, std::u16string_view mapName) {
  return MapFile(BeaconFolder(userData), mapName, u".bcnx");
}

std::u16string TrackMapFolder(const std::u16string& userData, std::u16string_view mapName) {
  if (!IsPlainDataName(mapName)) return std::u16string();
  return JoinFolder(JoinFolder(userData, kTrackMapName), mapName);
}

std::u16string TrackMapNameFile(const std::u16string& userData, std::u16string_view mapName) {
  return MapFile(TrackMapFolder(userData, mapName), mapName, u".txt");
}

std::u16string UpdateDescriptionPath(const std::u16string& userData) {
  return JoinFolder(UserTransferFolder(userData), kUpdateDescriptionName);
}

std::u16string UpdateInstallerPath(const std::u16string& userData) {
  return JoinFolder(UserTransferFolder(userData), kUpdateInstallerName);
}

std::u16string DefaultWorkspaceFolder() {
  // The file-system root stands in for an unknown documents folder.
  const std::u16string documents = GetDocumentsFolderPath();
  return JoinFolder(documents.empty() ? std::u16string(PATH_SEP_STR) : documents, kDefaultWorkspaceName);
}

std::u16string WorkspaceTransferFolder(const std::u16string& workspace) { return JoinFolder(workspace, kTransferName); }

std::u16string SessionListPath(const std::u16string& workspace) {
  return JoinFolder(WorkspaceTransferFolder(workspace), kSessionListName);
}

std::u16string SessionFilePath(const std::u16string& workspace, SessionFile file, int32_t id) {
  const std::u16string folder = WorkspaceTransferFolder(workspace);
  return JoinFolder(folder, FormatW(file == SessionFile::kSess ? u"sess_%d.db" : u"sana_%d.db", id));
}
