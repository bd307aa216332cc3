#include "appcore/AppContext.h"

#include <cstdio>

#include "appcore/WorkspaceLocation.h"
#include "datafiles/DataFiles.h"
#include "platform/win32/utf.h"

bool AppContext::Create(const CreateFailure& failure) {
  m_workspace = LocateWorkspace();
  m_userData = UserDataFolder();
  bool made = true;
  auto check = [&](bool ok, const std::u16string& path) {
    if (ok) return;
    made = false;
    if (failure) failure(path);
  };
  check(m_users.Create(m_userData), m_users.Path());
  check(m_sessionList.Create(m_workspace.Str(), m_userData), m_sessionList.Path());
  check(m_trackMaps.Create(m_userData), m_trackMaps.Path());
  return made;
}

void LogCreateFailure(const std::u16string& path) {
  std::fprintf(stderr, "pelmora-uploader: the database %s cannot be made\n", Utf16ToUtf8(path).c_str());
}
