#include "trackdb/tgvLinkIndex.h"

#include <algorithm>
#include <new>

#include "icbase/src/icutil/icutil.h"
#include "trackdb/tgvRecord.h"

namespace {

struct Ends {
  uint8_t startType = 0;
  uint32_t startId = 0;
  uint8_t endType = 0;
  uint32_t endId = 0;
};

bool IsLink(const tgvRecord_C* r) { return r && tgvLinkIndex_C::Indexes(r->GetSchemaKind()); }

// A property's owner is its start; it has no end.
Ends EndsOf(const tgvRecord_C* r) {
  const uint8_t kind = r->GetSchemaKind();
  if (kind >= tgvSK_PropInt && kind <= tgvSK_PropText) {
    // The three property kinds share the layout of their leading fields.
    const auto* p = static_cast<const tgvPropInt_C*>(r);
    return {p->GetObjType(), p->GetObjID(), 0, 0};
  }
  if (kind == tgvSK_Val) {
    const auto* v = static_cast<const tgvVal_C*>(r);
    return {v->GetStartType(), v->GetStartID(), v->GetEndType(), v->GetEndID()};
  }
  const auto* l = static_cast<const tgvLink_C*>(r);
  return {l->GetStartType(), l->GetStartID(), l->GetEndType(), l->GetEndID()};
}

uint64_t EndKey(uint8_t userType, uint8_t type, uint32_t id) {
  return (static_cast<uint64_t>(userType) << 40) | (static_cast<uint64_t>(type) << 32) | id;
}

}  // namespace

bool tgvLinkIndex_C::Indexes(uint8_t schemaKind) {
  return schemaKind == tgvSK_Link || schemaKind == tgvSK_Val ||
         (schemaKind >= tgvSK_PropInt && schemaKind <= tgvSK_PropText);
}

tgvLinkIndex_C::Map& tgvLinkIndex_C::MapOf(Side side) { return side == kStart ? m_byStart : m_byEnd; }

void tgvLinkIndex_C::Join(Side side, uint64_t key, tgvRecord_C* link) {
  try {
    Bucket& b = MapOf(side)[key];
    // A link joins in order when it is above the last one, which is live:
    // a deleted record's id word holds a free-list link, not its id.
    if (!b.links.empty() && (b.links.back()->IsDeleted() || b.links.back()->GetId() >= link->GetId()))
      b.ordered = false;
    b.links.push_back(link);
  } catch (const std::bad_alloc&) {
    // Left out of the index: look-ups then miss it, like a link never made.
  }
}

void tgvLinkIndex_C::Add(tgvRecord_C* link) {
  if (!IsLink(link) || link->IsDeleted()) return;
  const Ends e = EndsOf(link);
  const uint8_t type = link->GetUserType();
  if (e.startId) Join(kStart, EndKey(type, e.startType, e.startId), link);
  if (e.endId) Join(kEnd, EndKey(type, e.endType, e.endId), link);
}

void tgvLinkIndex_C::Changed(tgvRecord_C* link) {
  if (!m_pending.empty() && m_pending.back() == link) return;
  try {
    m_pending.push_back(link);
  } catch (const std::bad_alloc&) {
  }
}

void tgvLinkIndex_C::ApplyPending() {
  for (tgvRecord_C* link : m_pending) Add(link);
  m_pending.clear();
}

const tgvLinkIndex_C::Bucket* tgvLinkIndex_C::Tidy(Side side, uint64_t key) {
  Map& map = MapOf(side);
  auto it = map.find(key);
  if (it == map.end()) return nullptr;
  Bucket& b = it->second;
  m_visits += b.links.size();
  auto stale = [&](const tgvRecord_C* r) {
    if (r->IsDeleted()) return true;
    const Ends e = EndsOf(r);
    const uint8_t type = r->GetUserType();
    return side == kStart ? EndKey(type, e.startType, e.startId) != key : EndKey(type, e.endType, e.endId) != key;
  };
  std::erase_if(b.links, stale);
  if (!b.ordered) {
    auto byId = [](const tgvRecord_C* a, const tgvRecord_C* z) { return a->GetId() < z->GetId(); };
    std::sort(b.links.begin(), b.links.end(), byId);
    b.links.erase(std::unique(b.links.begin(), b.links.end()), b.links.end());
    b.ordered = true;
  }
  if (b.links.empty()) {
    map.erase(it);
    return nullptr;
  }
  return &b;
}

uint32_t tgvLinkIndex_C::Select(PtrList_C* list, uint8_t userType, uint8_t startType, uint32_t startId, uint8_t endType,
                                uint32_t endId) {
  if (!list || (!startId && !endId)) return 0;
  ApplyPending();
  // The smaller of the two buckets when both ends are given.
  const Bucket* byStart = startId ? Tidy(kStart, EndKey(userType, startType, startId)) : nullptr;
  const Bucket* byEnd = endId ? Tidy(kEnd, EndKey(userType, endType, endId)) : nullptr;
  if ((startId && !byStart) || (endId && !byEnd)) return 0;
  const Bucket* from = !byEnd || (byStart && byStart->links.size() <= byEnd->links.size()) ? byStart : byEnd;
  uint32_t found = 0;
  for (tgvRecord_C* r : from->links) {
    const Ends e = EndsOf(r);
    if (startId && (e.startType != startType || e.startId != startId)) continue;
    if (endId && (e.endType != endType || e.endId != endId)) continue;
    if (list->AddTail(r)) ++found;
  }
  return found;
}

tgvRecord_C* tgvLinkIndex_C::FindValue(uint8_t startType, uint32_t startId, uint8_t endType, uint32_t endId) {
  ApplyPending();
  // Among the values of the object: an object has one value per definition
  // of its type at most, as a rule, so the walk stays short, and reading one
  // object's fields meets the same few cache lines.
  const Bucket* b = Tidy(kStart, EndKey(tgvUT_Val, startType, startId));
  if (!b) return nullptr;
  for (tgvRecord_C* r : b->links) {
    const Ends e = EndsOf(r);
    if (e.startType == startType && e.startId == startId && e.endType == endType && e.endId == endId) return r;
  }
  return nullptr;
}

void tgvLinkIndex_C::Clear() {
  m_byStart.clear();
  m_byEnd.clear();
  m_pending.clear();
  m_visits = 0;
}
