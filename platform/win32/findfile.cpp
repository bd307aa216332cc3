#include "platform/win32/findfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/win32/files.h"
#include "platform/win32/lasterror.h"
#include "platform/win32/timeutil.h"
#include "platform/win32/utf.h"
#include "platform/win32/wstr.h"

namespace {

// One entry of a listing in a tenth of the room of its find data: a large
// folder's listing is sorted, then handed out one entry at a time.
struct FoundEntry {
  std::u16string name;
  DWORD attributes = 0;
  uint64_t size = 0;
  FILETIME created{}, accessed{}, written{};
};

struct FindState {
  std::vector<FoundEntry> entries;
  size_t next = 0;
};

std::mutex g_handlesMutex;
std::unordered_set<FindState*> g_handles;  // live handles, guarded by g_handlesMutex

// Code points of a UTF-16 text, each case-folded (an unpaired surrogate becomes U+FFFD).
std::u32string FoldedCodePoints(std::u16string_view text) {
  std::u32string out = Utf16ToUtf32(text);
  for (char32_t& c : out) c = static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
  return out;
}

// Glob match with one point of backtracking per '*': linear in practice.
bool GlobMatch(const std::u32string& name, const std::u32string& mask) {
  size_t n = 0, m = 0, starMask = std::u32string::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == U'?' || mask[m] == name[n])) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == U'*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::u32string::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == U'*') ++m;
  return m == mask.size();
}

FILETIME ToFileTime(const struct timespec& t) {
  return U64ToFileTime(static_cast<uint64_t>(UnixToFileTime100ns(t.tv_sec, t.tv_nsec / 1000000)));
}

// One entry, reached as `path` from the folder open as dirFd (AT_FDCWD:
// path is whole); false when its name does not fit the find data.
bool ReadEntry(int dirFd, const std::string& path, const std::string& name, FoundEntry& entry) {
  entry.name = PathFromNative(name);
  if (entry.name.size() >= MAX_PATH) return false;
  struct stat link, st;
  if (::fstatat(dirFd, path.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0) return false;
  // A link is described by what it leads to; a broken one by itself.
  if (!S_ISLNK(link.st_mode) || ::fstatat(dirFd, path.c_str(), &st, 0) != 0) st = link;
  const bool dir = S_ISDIR(st.st_mode);
  entry.attributes = FileAttributesFromMode(static_cast<uint32_t>(st.st_mode));
  if (S_ISLNK(link.st_mode)) entry.attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  entry.size = (dir || S_ISLNK(st.st_mode)) ? 0 : static_cast<uint64_t>(st.st_size);
  entry.created = ToFileTime(st.st_ctim);
  entry.accessed = ToFileTime(st.st_atim);
  entry.written = ToFileTime(st.st_mtim);
  return true;
}

void ToFindData(const FoundEntry& entry, WIN32_FIND_DATAW& data) {
  std::memset(&data, 0, sizeof data);
  WStrCopy(data.cFileName, MAX_PATH, entry.name.c_str());
  data.dwFileAttributes = entry.attributes;
  data.nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(entry.size & 0xFFFFFFFFu);
  data.ftCreationTime = entry.created;
  data.ftLastAccessTime = entry.accessed;
  data.ftLastWriteTime = entry.written;
}

struct DirClose {
  void operator()(DIR* d) const { closedir(d); }
};

// Every matching entry of the folder, in ordinal order; false when the folder cannot be read.
bool ListMatches(const std::string& folder, const std::u16string& mask, std::vector<FoundEntry>& out) {
  std::unique_ptr<DIR, DirClose> dir(opendir(folder.c_str()));
  if (!dir) return false;
  const std::u32string foldedMask = FoldedCodePoints(mask);
  const bool everything = mask == u"*" || mask == u"*.*";
  const size_t first = out.size();
  while (const dirent* e = readdir(dir.get())) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (!everything && !GlobMatch(FoldedCodePoints(PathFromNative(name)), foldedMask)) continue;
    FoundEntry entry;
    if (ReadEntry(::dirfd(dir.get()), name, name, entry)) out.push_back(std::move(entry));
  }
  std::sort(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
            [](const FoundEntry& a, const FoundEntry& b) { return WStrCmp(a.name.c_str(), b.name.c_str()) < 0; });
  return true;
}

}  // namespace

bool HasWildcards(std::u16string_view text) { return text.find_first_of(u"*?") != std::u16string_view::npos; }

bool MatchFileMask(std::u16string_view name, std::u16string_view mask) {
  if (mask.empty()) return false;
  if (mask == u"*" || mask == u"*.*") return true;
  return GlobMatch(FoldedCodePoints(name), FoldedCodePoints(mask));
}

HANDLE FindFirstFileW(const char16_t* pattern, WIN32_FIND_DATAW* data) {
  if (!pattern || !*pattern || !data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::u16string text(pattern);
  const size_t slash = text.rfind(PATH_SEP);
  const std::u16string mask = slash == std::u16string::npos ? text : text.substr(slash + 1);
  std::string folder = slash == std::u16string::npos ? "." : PathToNative(text.substr(0, slash).c_str());
  if (slash == 0) folder = "/";
  if (mask.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }

  auto state = std::make_unique<FindState>();
  if (HasWildcards(mask)) {
    if (!ListMatches(folder, mask, state->entries)) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return INVALID_HANDLE_VALUE;
    }
  } else {
    FoundEntry one;
    const std::string name = PathToNative(mask.c_str());
    if (ReadEntry(AT_FDCWD, folder + "/" + name, name, one)) state->entries.push_back(std::move(one));
  }
  if (state->entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  ToFindData(state->entries[state->next++], *data);
  std::lock_guard<std::mutex> lock(g_handlesMutex);
  g_handles.insert(state.get());
  return state.release();
}

BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) {
  FindState* state = static_cast<FindState*>(find);
  {
    std::lock_guard<std::mutex> lock(g_handlesMutex);
    if (!data || !g_handles.count(state)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
  }
  if (state->next >= state->entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  ToFindData(state->entries[state->next++], *data);
  return TRUE;
}

BOOL FindClose(HANDLE find) {
  FindState* state = static_cast<FindState*>(find);
  {
    std::lock_guard<std::mutex> lock(g_handlesMutex);
    if (!g_handles.erase(state)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
  }
  delete state;
  return TRUE;
}
