#include "sport/IconMgr.h"

#include "platform/win32/files.h"
#include "sport/FileInfo.h"
#include "sport/FolderHelpers.h"

namespace {

const char16_t kIconFolder[] = u"icon";

CString IconFolderOf(const CString& path) { return AddTrailingBackslash(AddTrailingBackslash(path) + kIconFolder); }

}  // namespace

ProjectIconMgr* ProjectIconMgr::GetInstance() {
  static ProjectIconMgr instance;
  return &instance;
}

void ProjectIconMgr::Load(const CString& workingCopy, const CString& projectPath) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_workIconFolder = IconFolderOf(workingCopy);
  m_projectPath = projectPath;
  m_projectIconFolder = IconFolderOf(projectPath);
  ListFiles(m_projectIconFolder, m_icons);
  for (int i = 0; i < m_icons.GetCount(); ++i) m_icons.GetEntry(i)->value = kIconInProject;
  m_modified = false;
}

int ProjectIconMgr::RemoveIcon(const CString& name) {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (int i = 0; i < m_icons.GetCount(); ++i)
    if (m_icons.GetEntry(i)->name.Compare(name) == 0) m_icons.GetEntry(i)->value = kIconRemoved;
  m_modified = true;
  return 0;
}

int ProjectIconMgr::GetIconList(NameList& out) {
  std::lock_guard<std::mutex> lock(m_mutex);
  int count = 0;
  for (int i = 0; i < m_icons.GetCount(); ++i)
    if (m_icons.GetEntry(i)->value != kIconRemoved) ++count;
  out.Reset(count);
  for (int i = 0; i < m_icons.GetCount(); ++i) {
    const NameList::Entry& e = *m_icons.GetEntry(i);
    if (e.value != kIconRemoved) out.Add(e.name, e.second);
  }
  return count;
}

CString ProjectIconMgr::GetIconPath(const CString& name) {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (int i = 0; i < m_icons.GetCount(); ++i) {
    const NameList::Entry& e = *m_icons.GetEntry(i);
    if (e.name.Compare(name) != 0) continue;
    if (e.value == kIconInProject) return FindIconFile(m_projectIconFolder, name);
    if (e.value == kIconInWorkingCopy) return FindIconFile(m_workIconFolder, name);
  }
  return CString();
}

CString FindIconFile(const CString& folder, const CString& name) {
  CFileInfoArray found;
  const CString base = AddTrailingBackslash(folder);
  found.AddDir(base, u"*", false, kFileOrderPathAscending, true, nullptr, nullptr);
  CString result;
  for (int i = 0; i < found.GetSize(); ++i) {
    const CString title = found[i].GetFileTitle(), ext = found[i].GetFileExt();
    if ((title + ext).Compare(name) == 0 || title.Compare(name) == 0) result = base + title + ext;
  }
  return result;
}
