// Small helpers of the record operations: a live record of a type by id,
// and the records of a list for iteration by range.
#pragma once

#include <cstdint>
#include <vector>

#include "icbase/src/icutil/mempool.h"
#include "trackdb/tgvDatabase.h"

// The live record of the type and id as T; null for id 0, a missing or
// deleted record, or one of another type.
template <class T>
T* tgvLive(tgvDatabase_C* db, uint8_t userType, uint32_t id) {
  tgvRecord_C* r = db && id ? db->FindRecord(userType, id) : nullptr;
  return r && !r->IsDeleted() && r->GetUserType() == userType ? static_cast<T*>(r) : nullptr;
}

// The records of a list, in order (a copy: the list may change meanwhile).
inline std::vector<tgvRecord_C*> tgvItems(const PtrList_C& list) {
  std::vector<tgvRecord_C*> out;
  out.reserve(list.GetCount());
  for (PtrListNode_C* pos = list.GetHeadPosition(); pos;)
    out.push_back(static_cast<tgvRecord_C*>(PtrList_C::GetNext(pos)));
  return out;
}
