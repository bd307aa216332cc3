#include "sport/FolderHelpers.h"

#include "platform/win32/curdir.h"
#include "platform/win32/files.h"
#include "platform/win32/findfile.h"
#include "platform/win32/lasterror.h"
#include "platform/win32/shellfileop.h"
#include "sport/FileInfo.h"

namespace {

bool FitsShellPath(const CString& path) { return PathFitsSystem(path.GetString()); }

// Lists the folder's top-level entries of one kind.
void ListEntries(const CString& folder, NameList& list, bool folders) {
  CFileInfoArray found;
  found.AddDir(AddTrailingBackslash(folder), u"*", false, kFileOrderPathAscending, true, nullptr, nullptr);
  int count = 0;
  for (int i = 0; i < found.GetSize(); ++i)
    if (found[i].IsDirectory() == folders) ++count;
  list.Reset(count);
  for (int i = 0; i < found.GetSize(); ++i)
    if (found[i].IsDirectory() == folders)
      list.Add(found[i].GetFileTitle() + found[i].GetFileExt(), found[i].GetFileExt());
}

// True when something matches the pattern and every match is a folder.
bool MatchesOnlyFolders(const CString& pattern) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(pattern, &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool onlyFolders = true;
  do onlyFolders = onlyFolders && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  while (FindNextFileW(find, &data));
  FindClose(find);
  return onlyFolders;
}

}  // namespace

CString AddTrailingBackslash(const CString& path) {
  if (path.IsEmpty() || path[path.GetLength() - 1] == PATH_SEP) return path;
  return path + PATH_SEP_STR;
}

void ListSubfolders(const CString& folder, NameList& list) { ListEntries(folder, list, true); }

void ListFiles(const CString& folder, NameList& list) { ListEntries(folder, list, false); }

bool CopyFolder(const CString& from, const CString& to) {
  if (MatchesOnlyFolders(from)) {
    SetLastError(kErrorSourceIsFolder);
    return false;
  }
  if (!FitsShellPath(from) || !FitsShellPath(to)) return false;
  return SilentCopy(from.Str(), to.Str(), CopyScope::kFilesOnly);
}

bool CopyFolderSilent(const CString& from, const CString& to) {
  if (!FitsShellPath(from) || !FitsShellPath(to)) return false;
  return SilentCopy(from.Str(), to.Str(), CopyScope::kFilesAndFolders);
}

bool DeleteFolder(const CString& path) {
  if (!FitsShellPath(path)) return false;
  const std::u16string target = NormalizeAbsolutePath(path.Str());
  if (target.empty() || target == PATH_SEP_STR) return false;
  const std::u16string current = GetCurrentDirectoryPath();
  if (!current.empty() && IsSameOrInside(current, target)) {
    const size_t slash = target.rfind(PATH_SEP);
    const std::u16string parent = slash == 0 ? std::u16string(PATH_SEP_STR) : target.substr(0, slash);
    SetCurrentDirectoryW(parent.c_str());
  }
  return SilentDelete(target);
}
