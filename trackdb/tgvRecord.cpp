#include "trackdb/tgvRecord.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvGroup.h"
#include "trackdb/tgvRecordList.h"
#include "trackdb/tgvSchema.h"

namespace {

bool SameText(const char16_t* a, const char16_t* b) {
  if (a == b) return true;
  if (!a || !b) return false;
  return std::char_traits<char16_t>::length(a) == std::char_traits<char16_t>::length(b) &&
         std::u16string_view(a) == std::u16string_view(b);
}

}  // namespace

tgvRecordHost_I* tgvRecord_C::GetDatabase() const { return tgvDBRegistry_C::Get().Lookup(m_regSlot); }

bool tgvRecord_C::Save() {
  tgvRecordHost_I* host = GetDatabase();
  if (!host || !host->IsOpen()) return true;
  // A deleted record's id word is a free-list link: writing its row by that
  // word would overwrite another row.
  if (m_deleted) return false;
  return host->SaveRecord(this);
}

bool tgvRecord_C::SetUserFlag(uint8_t flag, uint8_t mark) { return Assign(m_userFlag, flag, mark); }

bool tgvRecord_C::AssignText(const char16_t*& field, const char16_t* text, uint8_t mark) {
  tgvRecordHost_I* host = GetDatabase();
  tgvHostLock lock(host);
  const char16_t* pooled = nullptr;
  if (text) {
    if (!host) return false;
    pooled = host->InternString(text);
    if (!pooled) return false;
  }
  if (SameText(field, pooled)) return true;
  field = pooled;
  return mark ? Save() : true;
}

const char16_t* tgvRecord_C::GetName() const {
  const tgvColumn* c = tgvFindColumn(GetSchemaKind(), "fName");
  return c ? c->get(this).s : nullptr;
}

bool tgvRecord_C::SetName(const char16_t* text, uint8_t mark) {
  const tgvColumn* c = tgvFindColumn(GetSchemaKind(), "fName");
  if (!c) return false;
  // The name lives in a different member per kind: it is pooled and compared
  // in a copy, which goes back through its column only when it changed.
  tgvHostLock lock(GetDatabase());
  const char16_t* name = c->get(this).s;
  const char16_t* before = name;
  if (!AssignText(name, text, 0)) return false;
  if (name == before) return true;
  tgvColValue v{};
  v.cls = tgvCol_Text;
  v.s = name;
  c->set(this, v);
  return mark ? Save() : true;
}

bool tgvPOI_C::SetMapPoint(int32_t lon, int32_t lat, uint8_t mark) {
  tgvHostLock lock(GetDatabase());
  if (m_mapLong == lon && m_mapLat == lat) return true;
  m_mapLong = lon;
  m_mapLat = lat;
  return mark ? Save() : true;
}

bool tgvPOI_C::SetRealPoint(double lon, double lat, double alt, uint8_t mark) {
  tgvHostLock lock(GetDatabase());
  if (m_realLong == lon && m_realLati == lat && m_altitude == alt) return true;
  m_realLong = lon;
  m_realLati = lat;
  m_altitude = alt;
  return mark ? Save() : true;
}

int tgvWayPoint_C::GetLevel() const { return TruncateToInt32(m_level); }

double tgvMap_C::GetCornerLong(int corner) const {
  switch (corner) {
    case LeftBottom:
      return m_lbLong;
    case LeftTop:
      return m_luLong;
    case RightTop:
      return m_ruLong;
    case RightBottom:
      return m_rbLong;
    default:
      return 0.0;
  }
}

double tgvMap_C::GetCornerLati(int corner) const {
  switch (corner) {
    case LeftBottom:
      return m_lbLati;
    case LeftTop:
      return m_luLati;
    case RightTop:
      return m_ruLati;
    case RightBottom:
      return m_rbLati;
    default:
      return 0.0;
  }
}

bool tgvMap_C::SetCorner(int corner, double lon, double lat, uint8_t mark) {
  tgvHostLock lock(GetDatabase());
  double* pLong = nullptr;
  double* pLat = nullptr;
  switch (corner) {
    case LeftBottom:
      pLong = &m_lbLong;
      pLat = &m_lbLati;
      break;
    case LeftTop:
      pLong = &m_luLong;
      pLat = &m_luLati;
      break;
    case RightTop:
      pLong = &m_ruLong;
      pLat = &m_ruLati;
      break;
    case RightBottom:
      pLong = &m_rbLong;
      pLat = &m_rbLati;
      break;
    default:
      return false;
  }
  if (*pLong == lon && *pLat == lat) return true;
  *pLong = lon;
  *pLat = lat;
  return mark ? Save() : true;
}

bool tgvVP_C::SetLinkId(uint32_t& id, uint32_t& other, uint32_t v, uint8_t clearOther, uint8_t mark) {
  tgvHostLock lock(GetDatabase());
  bool changed = false;
  if (id != v) {
    id = v;
    changed = true;
  }
  if (clearOther && other != 0) {
    other = 0;
    changed = true;
  }
  if (!changed) return true;
  return mark ? Save() : true;
}

bool tgvVP_C::SetPOIID(uint32_t v, uint8_t clearOther, uint8_t mark) {
  return SetLinkId(m_poiId, m_wpId, v, clearOther, mark);
}

bool tgvVP_C::SetWPID(uint32_t v, uint8_t clearOther, uint8_t mark) {
  return SetLinkId(m_wpId, m_poiId, v, clearOther, mark);
}

bool tgvGPSLog_C::SetGPSTime(IntPair_C t, uint8_t mark) {
  tgvHostLock lock(GetDatabase());
  if (m_time1 == t.first && m_time2 == t.second) return true;
  m_time1 = t.first;
  m_time2 = t.second;
  return mark ? Save() : true;
}

// --- record operations (through the open database manager) ---

namespace {

// Holds the manager's lock for a whole operation.
using DbLock = std::unique_lock<std::recursive_mutex>;

template <class T>
T* As(tgvRecord_C* r, uint8_t userType) {
  return r && r->GetUserType() == userType && !r->IsDeleted() ? static_cast<T*>(r) : nullptr;
}

// The records of a list, for iteration by range.
std::vector<tgvRecord_C*> Items(const PtrList_C& list) {
  std::vector<tgvRecord_C*> out;
  for (PtrListNode_C* pos = list.GetHeadPosition(); pos;)
    out.push_back(static_cast<tgvRecord_C*>(PtrList_C::GetNext(pos)));
  return out;
}

// How many steps a walk over links of a type may take: one per record of
// the type (a longer walk has met a cycle in the file).
uint32_t WalkBound(tgvDatabase_C* db, uint8_t userType) { return db->GetObjectCount(userType) + 1; }

bool DeleteValuesOf(tgvDatabase_C* db, const tgvRecord_C* object, const tgvType_C* type);
bool DeleteVP(tgvDatabase_C* db, tgvVP_C* vp);

// A type's own definitions, from its fValID along fNextID. A chain that
// comes back to a definition it has passed (a damaged file) ends there.
std::vector<tgvValueDef_C*> OwnValueDefs(tgvDatabase_C* db, const tgvType_C* type) {
  std::vector<tgvValueDef_C*> chain;
  std::unordered_set<const tgvValueDef_C*> seen;
  for (auto* def = As<tgvValueDef_C>(db->FindRecord(tgvUT_ValD, type->GetValID()), tgvUT_ValD);
       def && seen.insert(def).second;
       def = As<tgvValueDef_C>(db->FindRecord(tgvUT_ValD, def->GetNextID()), tgvUT_ValD))
    chain.push_back(def);
  return chain;
}

}  // namespace

tgvDatabase_C* tgvRecord_C::GetManager() const {
  tgvRecordHost_I* host = GetDatabase();
  tgvDatabase_C* db = host ? host->GetManager() : nullptr;
  return db && db->IsOpen() ? db : nullptr;
}

bool tgvRecord_C::SetAnnotation(const char16_t* text) {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  auto* prop = static_cast<tgvPropText_C*>(db->FindProperty(tgvUT_PropText, this, u"tgvAnnotate"));
  if (!text || !*text) return prop ? db->DeleteRecord(prop, false) : true;
  if (prop) return prop->SetValue(text);
  return db->CreatePropText(tgvUT_PropText, u"tgvAnnotate", this, text, 0) != nullptr;
}

// --- waypoints ---

tgvLine_C* tgvWayPoint_C::GetLine() const {
  tgvDatabase_C* db = GetManager();
  return db && m_parentId ? As<tgvLine_C>(db->FindRecord(tgvUT_Line, m_parentId), tgvUT_Line) : nullptr;
}

tgvMap_C* tgvWayPoint_C::GetMap() const {
  tgvDatabase_C* db = GetManager();
  return db && m_mapId ? As<tgvMap_C>(db->FindRecord(tgvUT_Map, m_mapId), tgvUT_Map) : nullptr;
}

namespace {

bool AnyLevel(int level) { return level < 0 || level > 17; }

bool ShownAt(const tgvWayPoint_C* wp, int level) {
  const int l = wp->GetLevel();
  return l != -1 && l <= level;
}

tgvWayPoint_C* NextPoint(tgvDatabase_C* db, const tgvWayPoint_C* wp) {
  const uint32_t next = wp->GetNextID();
  return next ? As<tgvWayPoint_C>(db->FindRecord(tgvUT_WP, next), tgvUT_WP) : nullptr;
}

}  // namespace

tgvWayPoint_C* tgvWayPoint_C::GetNext(int level) const {
  tgvDatabase_C* db = GetManager();
  if (!db) return nullptr;
  DbLock lock = db->Lock();
  tgvWayPoint_C* p = NextPoint(db, this);
  if (AnyLevel(level)) return p;
  for (uint32_t steps = WalkBound(db, tgvUT_WP); p && steps; --steps, p = NextPoint(db, p)) {
    if (p == this) return nullptr;  // a cycle back to the start
    if (ShownAt(p, level)) return p;
  }
  return nullptr;
}

tgvWayPoint_C* tgvWayPoint_C::GetPrev(int level) const {
  tgvDatabase_C* db = GetManager();
  if (!db) return nullptr;
  DbLock lock = db->Lock();
  const tgvLine_C* line = GetLine();
  if (!line) return nullptr;
  // The point before, from the segment: a segment's first point is also the
  // previous segment's last, so the walk back crosses the boundary there.
  if (AnyLevel(level) && m_segment) {
    if (m_segment->GetFirstPoint() != this) {
      if (tgvWayPoint_C* before = m_segment->PointBefore(this)) return before;
    } else if (const tgvGroup_C* previous = m_segment->GetPrevSibling()) {
      if (tgvWayPoint_C* before = previous->PointBefore(this)) return before;
    } else if (line->Get1stWPID() == m_id) {
      return nullptr;
    }
  }
  // Otherwise the walk from the line's first point.
  tgvWayPoint_C* p = As<tgvWayPoint_C>(db->FindRecord(tgvUT_WP, line->Get1stWPID()), tgvUT_WP);
  tgvWayPoint_C* before = nullptr;
  for (uint32_t steps = WalkBound(db, tgvUT_WP); p && steps; --steps, p = NextPoint(db, p)) {
    if (p == this) return before;
    if (AnyLevel(level) || ShownAt(p, level)) before = p;
  }
  return nullptr;
}

bool tgvWayPoint_C::GetLogTimeSpeed(uint32_t* time1, uint32_t* time2, double* speed) const {
  tgvDatabase_C* db = GetManager();
  if (!db || !m_gpsLogId) return false;
  DbLock lock = db->Lock();
  auto* log = As<tgvGPSLog_C>(db->FindRecord(tgvUT_GPSLog, m_gpsLogId), tgvUT_GPSLog);
  if (!log) return false;
  if (time1) *time1 = log->GetGPSTime1();
  if (time2) *time2 = log->GetGPSTime2();
  if (speed) *speed = log->GetGPSSpeed();
  return true;
}

bool tgvWayPoint_C::GetGSensor(double* x, double* y, double* z) const {
  tgvDatabase_C* db = GetManager();
  if (!db || !m_gpsLogId) return false;
  DbLock lock = db->Lock();
  auto* log = As<tgvGPSLog_C>(db->FindRecord(tgvUT_GPSLog, m_gpsLogId), tgvUT_GPSLog);
  if (!log) return false;
  if (x) *x = log->GetGSensorX();
  if (y) *y = log->GetGSensorY();
  if (z) *z = log->GetGSensorZ();
  // NaN compares unequal to 0 and so counts as a value.
  return !(log->GetGSensorX() == 0.0 && log->GetGSensorY() == 0.0 && log->GetGSensorZ() == 0.0);
}

uint32_t tgvWayPoint_C::GetLapID() const {
  const int64_t n = -static_cast<int64_t>(m_order);
  if (n < 1) return 0;
  return static_cast<uint32_t>(n >= 0x10000 ? n - 0x10000 : n);
}

bool tgvWayPoint_C::IsLapStart() const { return -static_cast<int64_t>(m_order) >= 0x10000; }

uint32_t tgvWayPoint_C::GetVPs(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  if (!db || !list) return 0;
  DbLock lock = db->Lock();
  const tgvLine_C* line = GetLine();
  if (!line) return 0;
  uint32_t found = 0;
  auto* vp = As<tgvVP_C>(db->FindRecord(tgvUT_VP, line->GetStartID()), tgvUT_VP);
  for (uint32_t steps = WalkBound(db, tgvUT_VP); vp && steps; --steps) {
    if (vp->GetWPID() == m_id) {
      if (list->AddTail(vp)) ++found;
    } else if (found) {
      break;  // the run of this point's attachments has ended
    }
    vp = As<tgvVP_C>(db->FindRecord(tgvUT_VP, vp->GetVPID()), tgvUT_VP);
  }
  return found;
}

tgvVP_C* tgvWayPoint_C::GetFirstVP() const {
  PtrList_C list;
  return GetVPs(&list) ? static_cast<tgvVP_C*>(list.RemoveHead()) : nullptr;
}

bool tgvWayPoint_C::DeleteWithLog(tgvDatabase_C* db) {
  if (!db || GetManager() != db) return false;
  DbLock lock = db->Lock();
  bool ok = true;
  if (auto* log = As<tgvGPSLog_C>(db->FindRecord(tgvUT_GPSLog, m_gpsLogId), tgvUT_GPSLog))
    ok = db->DeleteRecord(log, false);
  return db->DeleteRecord(this, false) && ok;
}

// --- types ---

tgvType_C* tgvType_C::Create(tgvDatabase_C* db, const char16_t* name, const char16_t* icon, tgvType_C* parent,
                             tgvType_C* insertAfter, uint8_t objType, bool system) {
  if (!db || !name || !icon) return nullptr;
  DbLock lock = db->Lock();
  uint8_t flag = objType ? objType : parent ? parent->GetObjType() : 0;
  if (system) flag |= 0x80;
  const uint32_t parentId = parent ? parent->GetId() : 0;
  PtrList_C siblings;
  db->SelectByOwner(&siblings, tgvUT_TypeD, tgvUT_TypeD, parentId);
  tgvType_C* type = db->CreateType(tgvUT_TypeD, name, icon, flag, parent);
  if (!type) return nullptr;
  tgvPlaceNewSibling(Items(siblings), insertAfter, type);
  return type;
}

tgvType_C* tgvType_C::GetParent() const {
  tgvDatabase_C* db = GetManager();
  return db && m_parentId ? As<tgvType_C>(db->FindRecord(tgvUT_TypeD, m_parentId), tgvUT_TypeD) : nullptr;
}

uint32_t tgvType_C::GetChildren(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  return db ? db->SelectByOwner(list, tgvUT_TypeD, tgvUT_TypeD, m_id) : 0;
}

uint32_t tgvType_C::GetPOIs(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  return db ? db->SelectByOwner(list, tgvUT_POI, tgvUT_TypeD, m_id) : 0;
}

uint32_t tgvType_C::GetLines(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  return db ? db->SelectByOwner(list, tgvUT_Line, tgvUT_TypeD, m_id) : 0;
}

uint32_t tgvType_C::GetVPs(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  return db ? db->SelectByOwner(list, tgvUT_VP, tgvUT_TypeD, m_id) : 0;
}

bool tgvType_C::IsDescendantOf(const tgvType_C* other) const {
  tgvDatabase_C* db = GetManager();
  if (!db || !other) return false;
  DbLock lock = db->Lock();
  const tgvType_C* t = GetParent();
  for (uint32_t steps = WalkBound(db, tgvUT_TypeD); t && steps; --steps, t = t->GetParent()) {
    if (t == other) return true;
    if (t == this) return false;  // a cycle
  }
  return false;
}

bool tgvType_C::IsAncestorOf(const tgvType_C* other) const { return other && other->IsDescendantOf(this); }

uint32_t tgvType_C::GetValueDefs(PtrList_C* list, bool withInherited) const {
  tgvDatabase_C* db = GetManager();
  if (!db || !list) return 0;
  DbLock lock = db->Lock();
  uint32_t found = 0;
  if (withInherited) {
    std::vector<const tgvType_C*> ancestors;
    const tgvType_C* t = GetParent();
    for (uint32_t steps = WalkBound(db, tgvUT_TypeD); t && t != this && steps; --steps, t = t->GetParent())
      ancestors.push_back(t);
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
      found += db->SelectByOwner(list, tgvUT_ValD, tgvUT_TypeD, (*it)->GetId());
  }
  for (tgvValueDef_C* def : OwnValueDefs(db, this)) {
    if (list->AddTail(def)) ++found;
  }
  return found;
}

bool tgvType_C::MoveAfter(tgvType_C* after) {
  tgvDatabase_C* db = GetManager();
  if (!db || after == this || (after && after->GetParentID() != m_parentId)) return false;
  DbLock lock = db->Lock();
  PtrList_C list;
  db->SelectByOwner(&list, tgvUT_TypeD, tgvUT_TypeD, m_parentId);
  const std::vector<tgvRecord_C*> siblings = Items(list);
  if (siblings.empty()) return false;
  bool ok = true;
  if (!after) {
    ok = SetOrder(1, 1);
    int32_t k = 2;
    for (tgvRecord_C* r : siblings) {
      if (r != this) ok = static_cast<tgvType_C*>(r)->SetOrder(k++, 1) && ok;
    }
    return ok;
  }
  const bool renumberAll = static_cast<tgvType_C*>(siblings.front())->GetOrder() != 1;
  bool passed = false;
  int32_t k = 1;
  for (tgvRecord_C* r : siblings) {
    auto* sibling = static_cast<tgvType_C*>(r);
    if (sibling == this) {
      passed = true;
      continue;
    }
    if (renumberAll || passed) ok = sibling->SetOrder(k, 1) && ok;
    ++k;
    if (sibling == after) {
      ok = SetOrder(k++, 1) && ok;
      passed = true;
    }
  }
  return ok;
}

namespace {

// Deletes a type's objects, or (keep) deletes their values and moves them
// to the surviving type; then its definitions and child types (whose
// objects go to the survivor too) and the type itself.
bool DeleteType(tgvDatabase_C* db, tgvType_C* type, bool deleteObjects, uint32_t survivor, uint32_t depth) {
  if (!type || depth == 0) return false;
  bool ok = true;
  for (uint8_t objType : {uint8_t(tgvUT_POI), uint8_t(tgvUT_VP), uint8_t(tgvUT_Line)}) {
    PtrList_C list;
    db->SelectByOwner(&list, objType, tgvUT_TypeD, type->GetId());
    for (tgvRecord_C* r : Items(list)) {
      if (deleteObjects) {
        if (objType == tgvUT_POI)
          ok = static_cast<tgvPOI_C*>(r)->Delete() && ok;
        else if (objType == tgvUT_VP)
          ok = DeleteVP(db, static_cast<tgvVP_C*>(r)) && ok;
        else if (!r->IsDeleted())  // a child line may have gone with its group line
          ok = static_cast<tgvLine_C*>(r)->Delete(false) && ok;
        continue;
      }
      ok = DeleteValuesOf(db, r, nullptr) && ok;
      if (objType == tgvUT_POI)
        ok = static_cast<tgvPOI_C*>(r)->SetTypeID(survivor, 1) && ok;
      else if (objType == tgvUT_VP)
        ok = static_cast<tgvVP_C*>(r)->SetTypeID(survivor, 1) && ok;
      else
        ok = static_cast<tgvLine_C*>(r)->SetTypeID(survivor, 1) && ok;
    }
  }
  PtrList_C defs;
  type->GetValueDefs(&defs, false);
  for (tgvRecord_C* r : Items(defs)) ok = static_cast<tgvValueDef_C*>(r)->Delete() && ok;
  PtrList_C children;
  type->GetChildren(&children);
  for (tgvRecord_C* r : Items(children)) {
    if (r != type) ok = DeleteType(db, static_cast<tgvType_C*>(r), false, survivor, depth - 1) && ok;
  }
  ok = db->DeleteProperties(type) && ok;
  return db->DeleteRecord(type, false) && ok;
}

}  // namespace

bool tgvType_C::Delete(bool deleteObjects) {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  const tgvType_C* parent = GetParent();
  return DeleteType(db, this, deleteObjects, parent ? parent->GetId() : 0, WalkBound(db, tgvUT_TypeD));
}

// --- value definitions ---

tgvValueDef_C* tgvValueDef_C::Create(tgvDatabase_C* db, const char16_t* name, tgvType_C* type, uint8_t valueType,
                                     tgvValueDef_C* insertAfter, bool system) {
  if (!db || !type) return nullptr;
  DbLock lock = db->Lock();
  if (!insertAfter) {
    // Appended after the last definition of the type's chain.
    const std::vector<tgvValueDef_C*> chain = OwnValueDefs(db, type);
    if (!chain.empty()) insertAfter = chain.back();
  }
  return db->CreateValueDef(tgvUT_ValD, name, valueType, system ? 0x80 : 0, type, insertAfter);
}

tgvType_C* tgvValueDef_C::GetType() const {
  tgvDatabase_C* db = GetManager();
  return db && m_parentId ? As<tgvType_C>(db->FindRecord(tgvUT_TypeD, m_parentId), tgvUT_TypeD) : nullptr;
}

bool tgvValueDef_C::SameAs(const tgvValueDef_C* other) const {
  if (!other) return false;
  return other == this || (m_valueType == other->m_valueType && m_name == other->m_name);
}

tgvVal_C* tgvValueDef_C::FindPOIValue(const tgvRecord_C* poi) const {
  tgvDatabase_C* db = GetManager();
  return db && poi ? db->FindValue(tgvUT_POI, poi->GetId(), tgvUT_ValD, m_id) : nullptr;
}

tgvVal_C* tgvValueDef_C::FindLineValue(const tgvRecord_C* line) const {
  tgvDatabase_C* db = GetManager();
  return db && line ? db->FindValue(tgvUT_Line, line->GetId(), tgvUT_ValD, m_id) : nullptr;
}

tgvVal_C* tgvValueDef_C::FindVPValue(const tgvRecord_C* vp) const {
  tgvDatabase_C* db = GetManager();
  return db && vp ? db->FindValue(tgvUT_VP, vp->GetId(), tgvUT_ValD, m_id) : nullptr;
}

namespace {

// Takes a definition out of its type's chain; every changed link is saved.
bool Unlink(tgvDatabase_C* db, tgvValueDef_C* def, tgvType_C* type) {
  bool ok = true;
  auto* prev = As<tgvValueDef_C>(db->FindRecord(tgvUT_ValD, def->GetPrevID()), tgvUT_ValD);
  auto* next = As<tgvValueDef_C>(db->FindRecord(tgvUT_ValD, def->GetNextID()), tgvUT_ValD);
  if (prev)
    ok = prev->SetNextID(def->GetNextID(), 1);
  else if (type && type->GetValID() == def->GetId())
    ok = type->SetValID(def->GetNextID(), 1);
  if (next) ok = next->SetPrevID(def->GetPrevID(), 1) && ok;
  return ok;
}

}  // namespace

bool tgvValueDef_C::MoveAfter(tgvValueDef_C* after) {
  tgvDatabase_C* db = GetManager();
  if (!db || after == this || (after && after->GetParentID() != m_parentId)) return false;
  DbLock lock = db->Lock();
  tgvType_C* type = GetType();
  if (!after) {
    if (!type || type->GetValID() == m_id) return true;  // first already
    bool ok = Unlink(db, this, type);
    auto* first = As<tgvValueDef_C>(db->FindRecord(tgvUT_ValD, type->GetValID()), tgvUT_ValD);
    ok = SetPrevID(0, 1) && SetNextID(first ? first->GetId() : 0, 1) && ok;
    if (first) ok = first->SetPrevID(m_id, 1) && ok;
    return type->SetValID(m_id, 1) && ok;
  }
  bool ok = Unlink(db, this, type);
  auto* oldNext = As<tgvValueDef_C>(db->FindRecord(tgvUT_ValD, after->GetNextID()), tgvUT_ValD);
  ok = SetPrevID(after->GetId(), 1) && SetNextID(after->GetNextID(), 1) && ok;
  ok = after->SetNextID(m_id, 1) && ok;
  if (oldNext) ok = oldNext->SetPrevID(m_id, 1) && ok;
  return ok;
}

bool tgvValueDef_C::Delete() {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  bool ok = true;
  // Its values end at it; left behind they would attach to the next
  // definition that reuses its id.
  PtrList_C values;
  db->SelectLinks(&values, tgvUT_Val, 0, 0, tgvUT_ValD, m_id);
  for (tgvRecord_C* r : Items(values)) ok = db->DeleteRecord(r, false) && ok;
  if (tgvType_C* type = GetType()) ok = Unlink(db, this, type) && ok;
  return db->DeleteRecord(this, false) && ok;
}

// --- values ---

tgvVal_C* tgvVal_C::Create(tgvDatabase_C* db, const char16_t* text, const tgvRecord_C* object,
                           const tgvValueDef_C* definition) {
  if (!db || !text || !object || !definition) return nullptr;
  return db->CreateValue(tgvUT_Val, object, definition, text);
}

bool tgvVal_C::SetDefinition(const tgvValueDef_C* definition) { return definition && SetEndID(definition->GetId(), 1); }

tgvRecord_C* tgvVal_C::GetObject() const {
  tgvDatabase_C* db = GetManager();
  tgvRecord_C* r = db ? db->FindRecord(m_startType, m_startId) : nullptr;
  return r && !r->IsDeleted() ? r : nullptr;
}

tgvValueDef_C* tgvVal_C::GetDefinition() const {
  tgvDatabase_C* db = GetManager();
  return db ? As<tgvValueDef_C>(db->FindRecord(tgvUT_ValD, m_endId), tgvUT_ValD) : nullptr;
}

bool tgvVal_C::Delete() {
  tgvDatabase_C* db = GetManager();
  return db && db->DeleteRecord(this, false);
}

// --- POIs ---

namespace {

// Deletes the values of an object: those of one type's own definitions, or all.
bool DeleteValuesOf(tgvDatabase_C* db, const tgvRecord_C* object, const tgvType_C* type) {
  PtrList_C values;
  db->SelectLinks(&values, tgvUT_Val, object->GetUserType(), object->GetId(), 0, 0);
  bool ok = true;
  for (tgvRecord_C* r : Items(values)) {
    auto* v = static_cast<tgvVal_C*>(r);
    const tgvValueDef_C* def = v->GetDefinition();
    if (type && (!def || def->GetParentID() != type->GetId())) continue;
    ok = db->DeleteRecord(v, false) && ok;
  }
  return ok;
}

// Removes an attachment from its line's chain, deletes its values and it.
bool DeleteVP(tgvDatabase_C* db, tgvVP_C* vp) {
  bool ok = true;
  auto* line = As<tgvLine_C>(db->FindRecord(tgvUT_Line, vp->GetParentID()), tgvUT_Line);
  if (line && line->GetStartID() == vp->GetId()) {
    ok = line->SetStartID(vp->GetVPID(), 1);
  } else if (line) {
    auto* p = As<tgvVP_C>(db->FindRecord(tgvUT_VP, line->GetStartID()), tgvUT_VP);
    for (uint32_t steps = WalkBound(db, tgvUT_VP); p && steps; --steps) {
      if (p->GetVPID() == vp->GetId()) {
        ok = p->SetVPID(vp->GetVPID(), 1);
        break;
      }
      p = As<tgvVP_C>(db->FindRecord(tgvUT_VP, p->GetVPID()), tgvUT_VP);
    }
  }
  ok = DeleteValuesOf(db, vp, nullptr) && ok;
  ok = db->DeleteProperties(vp) && ok;
  return db->DeleteRecord(vp, false) && ok;
}

// Removes a record's style links, and each style no other record links to.
bool DeleteStyleLinks(tgvDatabase_C* db, const tgvRecord_C* record) {
  PtrList_C links;
  db->SelectLinks(&links, tgvUT_VSTag, record->GetUserType(), record->GetId(), 0, 0);
  bool ok = true;
  for (tgvRecord_C* r : Items(links)) {
    auto* link = static_cast<tgvLink_C*>(r);
    const uint32_t styleId = link->GetEndID();
    ok = db->DeleteRecord(link, false) && ok;
    PtrList_C others;
    if (db->SelectLinks(&others, tgvUT_VSTag, 0, 0, tgvUT_VStyle, styleId) == 0) {
      if (auto* style = As<tgvStyle_C>(db->FindRecord(tgvUT_VStyle, styleId), tgvUT_VStyle))
        ok = db->DeleteRecord(style, false) && ok;
    }
  }
  return ok;
}

}  // namespace

tgvPOI_C* tgvPOI_C::Create(tgvDatabase_C* db, const char16_t* name, const tgvType_C* type, const IntPoint_C& mapPoint,
                           const GeoPoint_C& realPoint, const tgvMap_C* map, bool system) {
  if (!db || !name || !type) return nullptr;
  return db->CreatePOI(tgvUT_POI, name, mapPoint, realPoint, system ? 0x80 : 0, type->GetId(), map ? map->GetId() : 0);
}

bool tgvPOI_C::Delete() {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  bool ok = DeleteStyleLinks(db, this);
  ok = DeleteValuesOf(db, this, nullptr) && ok;
  for (uint8_t linkType : {uint8_t(tgvUT_NTag), uint8_t(tgvUT_FTag)}) {
    PtrList_C links;
    db->SelectLinks(&links, linkType, tgvUT_POI, m_id, 0, 0);
    for (tgvRecord_C* r : Items(links)) ok = db->DeleteRecord(r, false) && ok;
  }
  PtrList_C vps;
  db->SelectByOwner(&vps, tgvUT_VP, tgvUT_POI, m_id);
  for (tgvRecord_C* r : Items(vps)) ok = DeleteVP(db, static_cast<tgvVP_C*>(r)) && ok;
  ok = db->DeleteProperties(this) && ok;
  return db->DeleteRecord(this, false) && ok;
}

namespace {

// Keeps the values of an object that moves from type `current` to
// `newType` where the new type (or an inherited definition) can hold them.
bool MigrateValues(tgvDatabase_C* db, tgvRecord_C* object, tgvType_C* current, tgvType_C* newType) {
  const uint8_t objType = object->GetUserType();
  const uint32_t objId = object->GetId();
  const tgvRecord_C* self = object;
  const uint32_t bound = WalkBound(db, tgvUT_TypeD);
  bool ok = true;
  // The types from `from` up to, not including, `stop`.
  auto typesUpTo = [&](tgvType_C* from, const tgvType_C* stop) {
    std::vector<tgvType_C*> out;
    uint32_t steps = bound;
    for (tgvType_C* t = from; t && t != stop && steps; --steps, t = t->GetParent()) out.push_back(t);
    return out;
  };
  if (!current || current == newType || current->IsAncestorOf(newType)) {
    // The values stay valid through inheritance.
  } else if (newType->IsAncestorOf(current)) {
    for (tgvType_C* t : typesUpTo(current, newType)) ok = DeleteValuesOf(db, self, t) && ok;
  } else {
    tgvType_C* common = nullptr;
    uint32_t steps = bound;
    for (tgvType_C* t = newType; t && steps; --steps, t = t->GetParent()) {
      if (t == current || t->IsAncestorOf(current)) {
        common = t;
        break;
      }
    }
    if (!common) {
      ok = DeleteValuesOf(db, self, nullptr);
    } else {
      std::vector<tgvVal_C*> values;
      for (tgvType_C* t : typesUpTo(current, common)) {
        PtrList_C all;
        db->SelectLinks(&all, tgvUT_Val, objType, objId, 0, 0);
        for (tgvRecord_C* r : Items(all)) {
          const tgvValueDef_C* def = static_cast<tgvVal_C*>(r)->GetDefinition();
          if (def && def->GetParentID() == t->GetId()) values.push_back(static_cast<tgvVal_C*>(r));
        }
      }
      std::vector<tgvValueDef_C*> defs;
      for (tgvType_C* t : typesUpTo(newType, common)) {
        PtrList_C own;
        t->GetValueDefs(&own, false);
        for (tgvRecord_C* r : Items(own)) defs.push_back(static_cast<tgvValueDef_C*>(r));
      }
      for (tgvVal_C* v : values) {
        const tgvValueDef_C* def = v->GetDefinition();
        auto match = std::find_if(defs.begin(), defs.end(), [&](const tgvValueDef_C* d) { return d->SameAs(def); });
        if (match != defs.end()) {
          ok = v->SetDefinition(*match) && ok;
          defs.erase(match);
        } else {
          ok = db->DeleteRecord(v, false) && ok;
        }
      }
    }
  }
  return ok;
}

}  // namespace

namespace {

// Moves an object with a type id (POI, line, attachment) to another type.
template <class T>
bool ChangeType(T* object, tgvType_C* newType) {
  tgvDatabase_C* db = object->GetManager();
  if (!db || !newType) return false;
  DbLock lock = db->Lock();
  tgvType_C* current = As<tgvType_C>(db->FindRecord(tgvUT_TypeD, object->GetTypeID()), tgvUT_TypeD);
  const bool ok = MigrateValues(db, object, current, newType);
  return object->SetTypeID(newType->GetId(), 1) && ok;
}

bool DeleteValuesLocked(const tgvRecord_C* object, const tgvType_C* type) {
  tgvDatabase_C* db = object->GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  return DeleteValuesOf(db, object, type);
}

}  // namespace

bool tgvPOI_C::SetType(tgvType_C* newType) { return ChangeType(this, newType); }

// --- the parts of lines, attachments and styles that share the helpers above ---

bool tgvLine_C::SetType(tgvType_C* type) { return ChangeType(this, type); }

bool tgvLine_C::DeleteValues(const tgvType_C* type) { return DeleteValuesLocked(this, type); }

bool tgvVP_C::SetType(tgvType_C* type) { return ChangeType(this, type); }

bool tgvVP_C::DeleteValues(const tgvType_C* type) { return DeleteValuesLocked(this, type); }

bool tgvPOI_C::DeleteValues(const tgvType_C* type) { return DeleteValuesLocked(this, type); }

bool tgvVP_C::Delete() {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  return DeleteVP(db, this);
}

bool tgvRecord_C::RemoveStyle() {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  return DeleteStyleLinks(db, this);
}
