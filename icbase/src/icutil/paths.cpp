#include "icbase/src/icutil/paths.h"

#include <cstring>

#include "icbase/src/icutil/utils.h"
#include "platform/win32/files.h"
#include "platform/win32/wstr.h"

bool IsPlainDataName(std::u16string_view name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  for (char16_t c : name)
    if (c < 0x20 || c == 0x7F || c == u'/' || c == u'\\' || c == u':') return false;
  return true;
}

// ---------------------------------------------------------------------------
// UniPath_C

const char16_t* UniPath_C::AppendFolder(const char16_t* name) {
  AppendCString(name);
  AppendChar(PATH_SEP);
  return GetText();
}

const char16_t* UniPath_C::AppendPath(const char16_t* sub) {
  AppendCString(sub);
  return GetText();
}

const char16_t* UniPath_C::SetTrailingBackslash(int mode) {
  if (length <= 0) return GetText();
  bool trailing = buffer[length - 1] == PATH_SEP;
  if (mode == 0 && !trailing)
    AppendChar(PATH_SEP);
  else if (mode == 1 && trailing)
    Mid(0, length - 1, *this);
  return GetText();
}

bool UniPath_C::FolderExists() const { return FileName_C(GetText(), PATH_SEP).IsFolder(); }

bool UniPath_C::FileExists() const { return FileName_C(GetText(), PATH_SEP).IsFile(); }

// ---------------------------------------------------------------------------
// FileName_C

FileName_C::FileName_C(const char16_t* path_, char16_t separator_) : separator(separator_), path(SafeWcsDup(path_)) {}

FileName_C::~FileName_C() { MemFree(path); }

bool FileName_C::IsFolder() const {
  if (!path || !*path) return false;
  DWORD attrs = GetFileAttributesW(path);
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileName_C::IsFile() const {
  if (!path || !*path) return false;
  DWORD attrs = GetFileAttributesW(path);
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

uint64_t FileName_C::FileSize() const {
  if (!IsFile()) return 0;
  uint64_t size = 0;
  return GetFileSize64(path, &size) ? size : 0;
}

int32_t FileName_C::NameStart(bool requireFile) const {
  if (requireFile && !IsFile()) return -1;
  if (!path) return 0;
  const char16_t* last = WStrRChr(path, separator);
  return last ? static_cast<int32_t>(last - path + 1) : 0;
}

UniString_C FileName_C::Title(bool cutExtension) const {
  UniString_C out;
  if (!path || !*path) return out;
  const char16_t* name = path + NameStart(false);
  size_t n = WStrLen(name);
  if (cutExtension && n > 1) {
    const char16_t* dot = WStrChr(name + 1, u'.');
    if (dot) n = size_t(dot - name);
  }
  out.AssignN(name, static_cast<int32_t>(n));
  return out;
}

UniString_C FileName_C::Folder(bool requireFile) const {
  UniString_C out;
  int32_t start = NameStart(requireFile);
  if (start > 0) out.AssignN(path, start);
  return out;
}

// ---------------------------------------------------------------------------
// ProjectPathSet_C

ProjectPathSet_C::ProjectPathSet_C(const char16_t* root, const char16_t* name_, int withDocFolder) : name(name_) {
  UniPath_C work(root);
  work.SetTrailingBackslash(0);
  if (withDocFolder == 1) work.AppendFolder(u"doc");
  docFolder = work;
  dbPath = docFolder;
  dbPath.AppendString(name);
  dbPath.AppendCString(u".db");
  picFolder = docFolder;
  picFolder.AppendFolder(u"pic");
}

UniPath_C ProjectPathSet_C::GetPicturePath(const char16_t* sub, const char16_t* file) const {
  UniPath_C out(picFolder);
  if (sub) out.AppendFolder(sub);
  if (file) out.AppendPath(file);
  return out;
}
