// A record of one entry found on disk (CFileInfo) and a sorted array of such
// records filled by a folder scan (CFileInfoArray).
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/classlib/CString.h"
#include "platform/classlib/containers.h"
#include "platform/win32/findfile.h"

class CFileInfo {
 public:
  // From find data: path = folder (with its trailing '/') + the entry's name.
  void Create(const WIN32_FIND_DATAW& data, const CString& folder, DWORD userValue);
  // From a path found with FindFirstFileW; a missing path leaves the record as it was.
  void CreateFromPath(const CString& path, DWORD userValue);

  // The file name without its extension ("a.b.c" gives "a.b"; ".cfg" gives "").
  CString GetFileTitle() const;
  // The extension with its leading dot; empty when the name has none.
  CString GetFileExt() const;

  const CString& GetFilePath() const { return m_path; }
  DWORD GetAttributes() const { return m_attributes; }
  bool IsDirectory() const { return m_attributes != 0xFFFFFFFFu && (m_attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  uint64_t GetLength() const { return m_size; }
  DWORD GetUserValue() const { return m_userValue; }

 private:
  DWORD m_userValue = 0;
  CString m_path;
  DWORD m_attributes = 0xFFFFFFFFu;  // not filled
  uint64_t m_size = 0;
};

// Sort orders of CFileInfoArray::AddFileInfo. Every scan of the program uses
// kFileOrderPathAscending.
enum FileInfoOrder : int {
  kFileOrderNone = 0,           // appended at the end
  kFileOrderSizeAscending = 2,  // unsigned 64-bit size
  kFileOrderSizeDescending = 3,
  kFileOrderPathAscending = 4,  // ordinal compare of the UTF-16 units, case-sensitive
  kFileOrderPathDescending = 5,
};

class CFileInfoArray : public CArray<CFileInfo, CFileInfo&> {
 public:
  CFileInfoArray() = default;
  ~CFileInfoArray() override = default;

  // Inserts a copy of info before the first element that is not ordered
  // before it (so before its equals) and returns its position; any other
  // order appends.
  virtual int AddFileInfo(CFileInfo& info, int order);

  // Scans folder (ending in '/'): first its sub-folders, which are added when
  // includeFolders is set and scanned in turn when recurse is set (a folder
  // reached through a symbolic link is not entered), then its files matching
  // mask (folders are listed whatever the mask). Returns the number of records
  // added. A stop flag, when given and set, ends the scan early; a counter,
  // when given, counts every added record; both may be shared with other threads.
  // The records of a scan are placed once the scan is done, with one sort:
  // the array ends as AddFileInfo of each record in turn would leave it.
  int AddDir(const CString& folder, const CString& mask, bool recurse, int order, bool includeFolders,
             const std::atomic<int32_t>* stop, std::atomic<int32_t>* counter);

  // How many times two records were compared to place them since the array
  // was made: what placing the records of large scans costs.
  uint64_t GetComparisons() const { return m_comparisons; }

 private:
  // Places the records found, in the order they were found.
  void AddAll(std::vector<CFileInfo>& found, int order);

  uint64_t m_comparisons = 0;
};
