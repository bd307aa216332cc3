// A growable list of names, each with a second text (the extension, for the
// folder scans) and a number that the caller may set. Entries keep the order
// in which they were added; the list does not sort.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/classlib/CString.h"

class NameList {
 public:
  struct Entry {
    CString name;
    CString second;
    int32_t value = 0;  // not set by Add: callers that use it set it
  };

  // Empties the list and makes room for `capacity` entries (none for 0 or less).
  void Reset(int capacity);
  // Appends copies of both texts. A full list grows: an empty one to 32
  // entries, a non-empty one to twice its count.
  void Add(const CString& name, const CString& second);

  int GetCount() const { return static_cast<int>(m_entries.size()); }
  int GetCapacity() const { return m_capacity; }
  // Copies of entry i's texts; empty when i is not below the count.
  CString GetName(int i) const;
  CString GetSecond(int i) const;
  // Entry i, or null when i is not below the count.
  Entry* GetEntry(int i);

 private:
  std::vector<Entry> m_entries;
  int m_capacity = 0;
};
