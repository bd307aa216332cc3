// Paths on the track library's string type: UniPath_C adds path building to
// UniString_C; FileName_C asks the file system about a path and cuts it into
// folder, name and extension; ProjectPathSet_C derives a project's folder,
// database and picture paths from a root. IsPlainDataName checks a name taken
// from data before it becomes one part of a path.
#pragma once

#include <cstdint>
#include <string_view>

#include "icbase/src/icutil/unistring.h"
#include "platform/win32/files.h"  // PATH_SEP

// True for a name that stays one path component: not empty, not "." or "..",
// and free of '/', '\', ':' and control characters (below U+0020 and U+007F).
// A name taken from data (a service label, a track-map name, a track's folder)
// passes this before it is joined into a path; a bad name is refused, never
// cleaned into another name.
bool IsPlainDataName(std::u16string_view name);

// A path with the platform's separator ('/').
class UniPath_C : public UniString_C {
 public:
  UniPath_C() = default;
  UniPath_C(const char16_t* text) : UniString_C(text) {}  // NOLINT
  UniPath_C(const UniPath_C& other) = default;
  UniPath_C& operator=(const UniPath_C& other) = default;
  UniPath_C& operator=(const char16_t* text) {
    Assign(text);
    return *this;
  }

  // Appends the name and a separator; returns the text.
  const char16_t* AppendFolder(const char16_t* name);
  const char16_t* AppendPath(const char16_t* sub);
  // Mode 0 adds a separator when the last unit is not one; mode 1 removes a
  // trailing separator. An empty path and other modes are left alone.
  const char16_t* SetTrailingBackslash(int mode);
  bool FolderExists() const;
  bool FileExists() const;
};

class FileName_C {
 public:
  explicit FileName_C(const char16_t* path, char16_t separator = PATH_SEP);
  ~FileName_C();
  FileName_C(const FileName_C&) = delete;
  FileName_C& operator=(const FileName_C&) = delete;

  bool IsFolder() const;
  bool IsFile() const;
  // The size of a file in bytes; 0 when the path is missing or a folder.
  uint64_t FileSize() const;
  // Index just after the last separator (0 without one); -1 when requireFile
  // is set and the path is not a file.
  int32_t NameStart(bool requireFile) const;
  // The file name; with cutExtension cut at the first '.' that is not its
  // first unit (a.b.c gives a, .cfg stays .cfg). Empty for an empty path.
  UniString_C Title(bool cutExtension) const;
  // The folder with its trailing separator; empty when NameStart gives -1.
  UniString_C Folder(bool requireFile) const;
  const char16_t* GetPath() const { return path; }

 private:
  char16_t separator;
  char16_t* path;
};

class ProjectPathSet_C {
 public:
  // root/doc/ when withDocFolder is 1, else root/; then <name>.db and pic/ in it.
  ProjectPathSet_C(const char16_t* root, const char16_t* name, int withDocFolder);
  ProjectPathSet_C(const ProjectPathSet_C&) = default;
  ProjectPathSet_C& operator=(const ProjectPathSet_C&) = default;

  const char16_t* GetDbPath() const { return dbPath.GetText(); }
  const char16_t* GetDocFolder() const { return docFolder.GetText(); }
  const char16_t* GetName() const { return name.GetText(); }
  // The picture folder, then sub as a folder and file as the last part when given.
  UniPath_C GetPicturePath(const char16_t* sub, const char16_t* file) const;

 private:
  UniString_C name;
  UniPath_C docFolder;
  UniPath_C dbPath;
  UniPath_C picFolder;
};
