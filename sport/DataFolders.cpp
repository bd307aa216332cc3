#include "sport/DataFolders.h"

#include "platform/win32/files.h"
#include "platform/win32/knownfolders.h"

std::u16string JoinFolder(const std::u16string& folder, std::u16string_view name) {
  if (folder.empty()) return std::u16string();
  std::u16string out = folder;
  if (out.back() != PATH_SEP) out.push_back(PATH_SEP);
  out.append(name);
  return out;
}

std::u16string UserDataFolder() { return JoinFolder(GetDocumentsFolderPath(), u"Pelmora"); }

std::u16string WorkspaceTransferFolder(const std::u16string& workspace) { return JoinFolder(workspace, u"TransferDb"); }
