#include "appcore/WorkspaceLocation.h"

#include "appcore/RegistrySettings.h"
#include "platform/win32/files.h"
#include "platform/win32/knownfolders.h"

CString LocateWorkspace() {
  CString location = GetWorkspaceLocation();
  if (!location.IsEmpty()) return location;
  // The file-system root stands in for an unknown documents folder.
  std::u16string folder = GetDocumentsFolderPath();
  if (folder.empty() || folder.back() != PATH_SEP) folder.push_back(PATH_SEP);
  folder += u"Pelmora_Workspace";
  location = CString(std::move(folder));
  SetWorkspaceLocation(location);
  return location;
}
