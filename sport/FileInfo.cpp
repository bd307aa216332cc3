#include "sport/FileInfo.h"

#include <algorithm>
#include <iterator>

#include "platform/win32/files.h"
#include "platform/win32/wstr.h"

namespace {

// The name part of a path: after its last separator.
int NameStart(const CString& path) { return path.ReverseFind(PATH_SEP) + 1; }

// Where the extension of the name starts (its dot); the path's length when there is none.
int ExtStart(const CString& path) {
  const int dot = path.ReverseFind(u'.');
  return dot >= NameStart(path) ? dot : path.GetLength();
}

bool IsStopped(const std::atomic<int32_t>* stop) { return stop && stop->load() != 0; }

// Whether an element at this place stays before the new record.
bool StaysBefore(const CFileInfo& element, const CFileInfo& info, int order) {
  switch (order) {
    case kFileOrderSizeAscending:
      return element.GetLength() < info.GetLength();
    case kFileOrderSizeDescending:
      return element.GetLength() > info.GetLength();
    case kFileOrderPathAscending:
      return WStrCmp(element.GetFilePath(), info.GetFilePath()) < 0;
    case kFileOrderPathDescending:
      return WStrCmp(element.GetFilePath(), info.GetFilePath()) > 0;
    default:
      return true;
  }
}

}  // namespace

void CFileInfo::Create(const WIN32_FIND_DATAW& data, const CString& folder, DWORD userValue) {
  m_path = folder + data.cFileName;
  m_attributes = data.dwFileAttributes;
  m_size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  m_userValue = userValue;
}

void CFileInfo::CreateFromPath(const CString& path, DWORD userValue) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(path, &data);
  if (find == INVALID_HANDLE_VALUE) return;
  Create(data, path.Left(path.ReverseFind(PATH_SEP) + 1), userValue);
  FindClose(find);
}

CString CFileInfo::GetFileTitle() const {
  const int start = NameStart(m_path);
  return m_path.Mid(start, ExtStart(m_path) - start);
}

CString CFileInfo::GetFileExt() const { return m_path.Mid(ExtStart(m_path)); }

int CFileInfoArray::AddFileInfo(CFileInfo& info, int order) {
  int position = static_cast<int>(GetSize());
  if (order >= kFileOrderSizeAscending && order <= kFileOrderPathDescending) {
    for (int i = 0; i < GetSize(); ++i, ++m_comparisons)
      if (!StaysBefore(GetAt(i), info, order)) {
        position = i;
        break;
      }
  }
  InsertAt(position, info);
  return position;
}

namespace {

// The records of one folder's scan in the order found (AddDir's passes).
// A mask with wildcards is matched against the folder pass's own listing,
// so the folder is listed once.
int Collect(const CString& folder, const CString& mask, bool recurse, bool includeFolders,
            const std::atomic<int32_t>* stop, std::atomic<int32_t>* counter, std::vector<CFileInfo>& found) {
  int count = 0;
  auto add = [&](const WIN32_FIND_DATAW& data) {
    found.emplace_back().Create(data, folder, 0);
    ++count;
    if (counter) ++*counter;
  };
  const bool oneListing = HasWildcards(mask.Str()) && mask.Find(PATH_SEP) < 0;
  std::vector<WIN32_FIND_DATAW> files;

  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(folder + u"*", &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (oneListing && MatchFileMask(data.cFileName, mask.Str())) files.push_back(data);
        continue;
      }
      if (includeFolders) add(data);
      if (recurse && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        count += Collect(folder + data.cFileName + PATH_SEP_STR, mask, recurse, includeFolders, stop, counter, found);
    } while (!IsStopped(stop) && FindNextFileW(find, &data));
    FindClose(find);
  }
  if (IsStopped(stop)) return count;

  if (oneListing) {
    for (const WIN32_FIND_DATAW& file : files) {
      add(file);
      if (IsStopped(stop)) break;
    }
    return count;
  }
  find = FindFirstFileW(folder + mask, &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) add(data);
    } while (!IsStopped(stop) && FindNextFileW(find, &data));
    FindClose(find);
  }
  return count;
}

}  // namespace

int CFileInfoArray::AddDir(const CString& folder, const CString& mask, bool recurse, int order, bool includeFolders,
                           const std::atomic<int32_t>* stop, std::atomic<int32_t>* counter) {
  std::vector<CFileInfo> found;
  const int count = Collect(folder, mask, recurse, includeFolders, stop, counter, found);
  AddAll(found, order);
  return count;
}

void CFileInfoArray::AddAll(std::vector<CFileInfo>& found, int order) {
  auto before = [&](const CFileInfo& a, const CFileInfo& b) {
    ++m_comparisons;
    return StaysBefore(a, b, order);
  };
  const bool sorted = order >= kFileOrderSizeAscending && order <= kFileOrderPathDescending;
  CFileInfo* const held = GetData();
  const INT_PTR heldCount = GetSize();
  if (!sorted || !std::is_sorted(held, held + heldCount, before)) {
    // Appended as found, or, into an array that some other order filled,
    // one by one where each add would put it.
    for (CFileInfo& info : found) AddFileInfo(info, order);
    return;
  }
  // Each add goes before the records equal to it, so equal records end
  // newest first: the records in reverse, sorted stably, then merged in
  // ahead of their equals already held. Records found in strictly rising
  // order (a folder's listing by path) hold no equals and are sorted as
  // they are.
  const auto notBefore = [&](const CFileInfo& a, const CFileInfo& b) { return !before(a, b); };
  if (std::adjacent_find(found.begin(), found.end(), notBefore) != found.end()) {
    std::reverse(found.begin(), found.end());
    std::stable_sort(found.begin(), found.end(), before);
  }
  std::vector<CFileInfo> merged;
  merged.reserve(static_cast<size_t>(heldCount) + found.size());
  std::merge(std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()),
             std::make_move_iterator(held), std::make_move_iterator(held + heldCount), std::back_inserter(merged),
             before);
  SetSize(static_cast<INT_PTR>(merged.size()));
  std::move(merged.begin(), merged.end(), GetData());
}
