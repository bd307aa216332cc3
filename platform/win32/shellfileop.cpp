#include "platform/win32/shellfileop.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/win32/files.h"
#include "platform/win32/findfile.h"

namespace fs = std::filesystem;

namespace {

struct Source {
  fs::path path;
  bool folder = false;
};

fs::path Native(const std::u16string& path) { return fs::path(PathToNative(path.c_str())); }

// The sources a path names: itself, or the matches of the mask in its last
// part; false when the path is refused or nothing is there.
bool ExpandSources(const std::u16string& normal, CopyScope scope, std::vector<Source>& out) {
  const size_t slash = normal.rfind(PATH_SEP);
  const std::u16string last = normal.substr(slash + 1);
  std::error_code ec;
  if (!HasWildcards(last)) {
    const fs::file_status st = fs::symlink_status(Native(normal), ec);
    if (ec || !fs::exists(st)) return false;
    const bool folder = fs::is_directory(st);
    if (folder && scope == CopyScope::kFilesOnly) return false;
    out.push_back({Native(normal), folder});
    return true;
  }
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(normal.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  const std::u16string folder = normal.substr(0, slash + 1);
  do {
    const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder && scope == CopyScope::kFilesOnly) continue;
    out.push_back({Native(folder + data.cFileName), isFolder});
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return !out.empty();
}

bool IsRefusedPath(const std::u16string& normal) { return normal.empty() || normal == PATH_SEP_STR; }

// The highest of the path and its folders that does not exist yet; empty
// when the path exists.
fs::path FirstMissing(const fs::path& path) {
  std::error_code ec;
  fs::path missing;
  for (fs::path p = path; !p.empty() && p != p.parent_path(); p = p.parent_path()) {
    if (fs::exists(fs::symlink_status(p, ec))) break;
    missing = p;
  }
  return missing;
}

// A file copy takes what a link leads to, so that writing the copy (a
// working copy of another program's database) never reaches the source.
bool CopyEntry(const Source& s, const fs::path& target, CopyScope scope) {
  std::error_code ec;
  fs::create_directories(target.parent_path(), ec);
  if (ec) return false;
  if (scope == CopyScope::kFilesAndFolders && fs::is_symlink(s.path, ec)) {
    fs::remove(target, ec);
    fs::copy_symlink(s.path, target, ec);
    return !ec;
  }
  if (!s.folder) return fs::copy_file(s.path, target, fs::copy_options::overwrite_existing, ec) && !ec;
  fs::copy(s.path, target,
           fs::copy_options::recursive | fs::copy_options::overwrite_existing | fs::copy_options::copy_symlinks, ec);
  return !ec;
}

// A copy that fails takes away what it made: a half copy of a folder is
// never taken for a whole one later.
bool CopyOne(const Source& s, const fs::path& target, CopyScope scope) {
  const fs::path made = FirstMissing(target);
  if (CopyEntry(s, target, scope)) return true;
  std::error_code ec;
  if (!made.empty()) fs::remove_all(made, ec);
  return false;
}

}  // namespace

std::u16string NormalizeAbsolutePath(const std::u16string& path) {
  if (path.empty() || path[0] != PATH_SEP) return std::u16string();
  // Our own conversions: the standard library's would throw on unpaired surrogates.
  std::u16string normal = PathFromNative(Native(path).lexically_normal().string());
  while (normal.size() > 1 && normal.back() == PATH_SEP) normal.pop_back();
  return normal;
}

bool IsSameOrInside(const std::u16string& inner, const std::u16string& outer) {
  if (outer == PATH_SEP_STR) return !inner.empty() && inner[0] == PATH_SEP;
  return inner == outer ||
         (inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 && inner[outer.size()] == PATH_SEP);
}

bool SilentCopy(const std::u16string& from, const std::u16string& to, CopyScope scope) {
  const std::u16string source = NormalizeAbsolutePath(from), target = NormalizeAbsolutePath(to);
  if (IsRefusedPath(source) || IsRefusedPath(target)) return false;
  std::vector<Source> sources;
  if (!ExpandSources(source, scope, sources)) return false;

  std::error_code ec;
  const bool many = HasWildcards(source.substr(source.rfind(PATH_SEP) + 1));
  const bool intoFolder = many || fs::is_directory(Native(target), ec);
  std::vector<fs::path> targets;
  for (const Source& s : sources) {
    const fs::path t = intoFolder ? Native(target) / s.path.filename() : Native(target);
    const std::u16string tw = PathFromNative(t.string()), sw = PathFromNative(s.path.string());
    if (s.folder ? IsSameOrInside(tw, sw) : tw == sw) return false;
    if (!s.folder && fs::exists(t, ec) && fs::equivalent(s.path, t, ec)) return false;
    targets.push_back(t);
  }
  bool ok = true;
  for (size_t i = 0; i < sources.size(); ++i) ok = CopyOne(sources[i], targets[i], scope) && ok;
  return ok;
}

bool SilentDelete(const std::u16string& path) {
  const std::u16string normal = NormalizeAbsolutePath(path);
  if (IsRefusedPath(normal)) return false;
  std::vector<Source> victims;
  if (!ExpandSources(normal, CopyScope::kFilesAndFolders, victims)) return false;
  bool ok = true;
  for (const Source& v : victims) {
    std::error_code ec;
    fs::remove_all(v.path, ec);
    ok = ok && !ec;
  }
  return ok;
}
