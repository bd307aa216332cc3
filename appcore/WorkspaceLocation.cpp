#include "appcore/WorkspaceLocation.h"

#include "appcore/RegistrySettings.h"
#include "datafiles/DataFiles.h"

CString LocateWorkspace() {
  CString location = GetWorkspaceLocation();
  if (!location.IsEmpty()) return location;
  location = CString(DefaultWorkspaceFolder());
  SetWorkspaceLocation(location);
  return location;
}
