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

struct FindState {
  std::vector<WIN32_FIND_DATAW> entries;
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

// The find data of one entry, reached as `path` from the folder open as
// dirFd (AT_FDCWD: path is whole); false when its name does not fit.
bool FillFindData(int dirFd, const std::string& path, const std::string& name, WIN32_FIND_DATAW& data) {
  std::memset(&data, 0, sizeof data);
  const std::u16string wide = PathFromNative(name);
  if (!WStrCopy(data.cFileName, MAX_PATH, wide.c_str())) return false;
  struct stat link, st;
  if (::fstatat(dirFd, path.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0) return false;
  // A link is described by what it leads to; a broken one by itself.
  if (!S_ISLNK(link.st_mode) || ::fstatat(dirFd, path.c_str(), &st, 0) != 0) st = link;
  const bool dir = S_ISDIR(st.st_mode);
  data.dwFileAttributes = FileAttributesFromMode(static_cast<uint32_t>(st.st_mode));
  if (S_ISLNK(link.st_mode)) data.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  const uint64_t size = (dir || S_ISLNK(st.st_mode)) ? 0 : static_cast<uint64_t>(st.st_size);
  data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  data.ftCreationTime = ToFileTime(st.st_ctim);
  data.ftLastAccessTime = ToFileTime(st.st_atim);
  data.ftLastWriteTime = ToFileTime(st.st_mtim);
  return true;
}

struct DirClose {
  void operator()(DIR* d) const { closedir(d); }
};

// Every matching entry of the folder, in ordinal order; false when the folder cannot be read.
bool ListMatches(const std::string& folder, const std::u16string& mask, std::vector<WIN32_FIND_DATAW>& out) {
  std::unique_ptr<DIR, DirClose> dir(opendir(folder.c_str()));
  if (!dir) return false;
  const std::u32string foldedMask = FoldedCodePoints(mask);
  const bool everything = mask == u"*" || mask == u"*.*";
  std::vector<WIN32_FIND_DATAW> found;
  while (const dirent* e = readdir(dir.get())) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (!everything && !GlobMatch(FoldedCodePoints(PathFromNative(name)), foldedMask)) continue;
    WIN32_FIND_DATAW data;
    if (FillFindData(::dirfd(dir.get()), name, name, data)) found.push_back(data);
  }
  // The entries are large: their places are sorted, then each is copied once.
  std::vector<const WIN32_FIND_DATAW*> order;
  order.reserve(found.size());
  for (const WIN32_FIND_DATAW& data : found) order.push_back(&data);
  std::sort(order.begin(), order.end(), [](const WIN32_FIND_DATAW* a, const WIN32_FIND_DATAW* b) {
    return WStrCmp(a->cFileName, b->cFileName) < 0;
  });
  out.reserve(out.size() + order.size());
  for (const WIN32_FIND_DATAW* data : order) out.push_back(*data);
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
    WIN32_FIND_DATAW one;
    const std::string name = PathToNative(mask.c_str());
    if (FillFindData(AT_FDCWD, folder + "/" + name, name, one)) state->entries.push_back(one);
  }
  if (state->entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  *data = state->entries[state->next++];
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
  *data = state->entries[state->next++];
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
