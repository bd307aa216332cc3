#include "sport/NameList.h"

namespace {
constexpr int kFirstCapacity = 32;
}

void NameList::Reset(int capacity) {
  m_entries.clear();
  m_entries.shrink_to_fit();
  m_capacity = capacity > 0 ? capacity : 0;
  m_entries.reserve(static_cast<size_t>(m_capacity));
}

void NameList::Add(const CString& name, const CString& second) {
  if (GetCount() >= m_capacity) {
    m_capacity = m_entries.empty() ? kFirstCapacity : 2 * GetCount();
    m_entries.reserve(static_cast<size_t>(m_capacity));
  }
  m_entries.push_back({name, second, 0});
}

CString NameList::GetName(int i) const {
  return i >= 0 && i < GetCount() ? m_entries[static_cast<size_t>(i)].name : CString();
}

CString NameList::GetSecond(int i) const {
  return i >= 0 && i < GetCount() ? m_entries[static_cast<size_t>(i)].second : CString();
}

NameList::Entry* NameList::GetEntry(int i) {
  return i >= 0 && i < GetCount() ? &m_entries[static_cast<size_t>(i)] : nullptr;
}
