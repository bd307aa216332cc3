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

// Orders a new record among its siblings (as fetched by fOrder before it
// was made): right after insertAfter when that is one of them, the
// siblings renumbered 1, 2, ... (all of them when the first had order 0,
// else those from the insert point on); otherwise last, n + 1. Every
// changed order is written.
template <class T>
void tgvPlaceNewSibling(const std::vector<tgvRecord_C*>& siblings, T* insertAfter, T* created) {
  const auto n = static_cast<int32_t>(siblings.size());
  if (insertAfter && n > 0) {
    const bool renumberAll = static_cast<T*>(siblings.front())->GetOrder() == 0;
    bool placed = false;
    int32_t k = 1;
    for (tgvRecord_C* r : siblings) {
      auto* sibling = static_cast<T*>(r);
      if (renumberAll || placed) sibling->SetOrder(k, 1);
      if (sibling == insertAfter) {
        ++k;
        created->SetOrder(k, 1);
        placed = true;
      }
      ++k;
    }
    if (placed) return;
  }
  created->SetOrder(n + 1, 1);
}
