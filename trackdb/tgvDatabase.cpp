#include "trackdb/tgvDatabase.h"

#include <new>

#include "trackdb/tgvSchema.h"

namespace {

// The first block of a database's string pool. The pool grows by doubling
// blocks and interns in O(1) whatever it holds, so the first block is kept
// small: a database opened for its points alone holds hardly any text, and
// a large zero-filled block would be cleared on every open.
constexpr uint32_t kPoolFirstBlock = 65536;

}  // namespace

tgvDatabase_C::tgvDatabase_C() : m_state(kClosed), m_slot(0), m_path(nullptr), m_owner(nullptr) {}

tgvDatabase_C::~tgvDatabase_C() { Close(); }

uint8_t tgvDatabase_C::GetState() const { return m_state.load(std::memory_order_acquire); }

bool tgvDatabase_C::Open(const tgvRecordTypeEntry* recordTypeTable, const char16_t* path, tgvDocument_C* owner,
                         tgvOpenMode mode) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  Close();
  m_owner = owner;
  m_readOnly = mode != tgvOpen_ReadWrite;
  m_pool.reset(new (std::nothrow) StrPool_C(kPoolFirstBlock));
  m_store.reset(new (std::nothrow) tgvRecordStore_C());
  bool ok = m_pool && m_store;
  if (ok && path) {
    m_path = m_pool->Intern(path);
    ok = m_path != nullptr;
  }
  // A database that cannot be registered would have records that find no
  // manager, and every accessor would answer as if they were empty.
  if (ok) m_slot = tgvDBRegistry_C::Get().Register(this);
  ok = ok && m_slot != 0 && m_store->Open(this, recordTypeTable, m_path, mode);
  if (!ok) {
    Close();
    m_state.store(kOpenFailed, std::memory_order_release);
    return false;
  }
  m_state.store(kOpen, std::memory_order_release);
  return true;
}

bool tgvDatabase_C::Flush() {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return GetState() == kOpen && m_store && m_store->Flush();
}

bool tgvDatabase_C::SaveAs(const char16_t*) { return false; }

void tgvDatabase_C::Close() {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (m_slot) tgvDBRegistry_C::Get().Unregister(m_slot);
  m_slot = 0;
  if (m_store) m_store->Close();
  m_store.reset();
  m_pool.reset();
  m_lastError.Empty();
  m_path = nullptr;
  m_owner = nullptr;
  m_readOnly = false;
  m_visits = 0;
  m_state.store(kClosed, std::memory_order_release);
}

UniString_C tgvDatabase_C::GetLastError() const {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return m_lastError;
}

void tgvDatabase_C::SetLastError(const char16_t* text) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  m_lastError.Assign(text);
}

bool tgvDatabase_C::Usable(uint8_t userType) { return GetState() == kOpen && m_store && m_store->FindSlot(userType); }

const char16_t* tgvDatabase_C::GetTableName(uint8_t userType) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return Usable(userType) ? m_store->FindSlot(userType)->tableName : nullptr;
}

uint8_t tgvDatabase_C::GetSchemaKind(uint8_t userType) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return Usable(userType) ? m_store->FindSlot(userType)->schemaKind : 0;
}

const char16_t* tgvDatabase_C::InternString(const char16_t* text) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return text && m_pool ? m_pool->Intern(text) : nullptr;
}

bool tgvDatabase_C::SaveRecord(tgvRecord_C* record) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return record && Usable(record->GetUserType()) && m_store->UpdateObject(record);
}

void tgvDatabase_C::OnLinkChanged(tgvRecord_C* record) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (m_store && record) m_store->GetLinkIndex().Changed(record);
}

tgvRecord_C* tgvDatabase_C::NewRecord(uint8_t userType, bool* reused) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (reused) *reused = false;
  if (!Usable(userType)) return nullptr;
  bool wasFreed = false;
  tgvRecord_C* record = m_store->GetIndex(userType)->NewObject(&wasFreed);
  if (!record) return nullptr;
  if (wasFreed) {
    tgvResetReusedRecord(record);
    // A row deleted by another program may keep its ends, so the creator's
    // setters can find nothing to change: the index is told here.
    m_store->GetLinkIndex().Changed(record);
  }
  m_store->UpdateTableCounters(userType);
  if (reused) *reused = wasFreed;
  return record;
}

bool tgvDatabase_C::InsertRecord(tgvRecord_C* record) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return record && Usable(record->GetUserType()) && m_store->InsertObject(record);
}

bool tgvDatabase_C::DeleteRecord(tgvRecord_C* record, bool memoryOnly) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (!record || record->IsDeleted() || !Usable(record->GetUserType())) return false;
  tgvObjIndex_C* index = m_store->GetIndex(record->GetUserType());
  if (index->Find(record->GetId()) != record) return false;  // not one of ours
  tgvClearRecordFields(record);
  bool ok = true;
  if (!memoryOnly) {
    record->SetDeletedFlag(1);
    ok = m_store->UpdateObject(record);
    record->SetDeletedFlag(0);
  }
  index->FreeObject(record);
  // Written after the id is freed, so that the free count is current.
  if (!memoryOnly) ok = m_store->UpdateTableCounters(record->GetUserType()) && ok;
  return ok;
}

tgvRecord_C* tgvDatabase_C::FindRecord(uint8_t userType, uint32_t id) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (id == 0 || GetState() != kOpen || !m_store) return nullptr;
  tgvObjIndex_C* index = m_store->GetIndex(userType);
  ++m_visits;
  return index ? index->Find(id) : nullptr;
}

uint64_t tgvDatabase_C::GetRecordVisits() const {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return m_visits + (m_store ? m_store->GetVisits() : 0);
}

uint32_t tgvDatabase_C::GetObjectCount(uint8_t userType) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return Usable(userType) ? m_store->GetIndex(userType)->GetObjNo() : 0;
}

tgvRecord_C* tgvDatabase_C::FirstOfType(uint8_t userType) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (!Usable(userType)) return nullptr;
  tgvObjIndex_C* index = m_store->GetIndex(userType);
  for (uint32_t id = 1;; ++id) {
    tgvRecord_C* r = index->Find(id);
    if (!r || !r->IsDeleted()) return r;
  }
}

tgvRecord_C* tgvDatabase_C::NextOfType(tgvRecord_C* record) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (!record || record->IsDeleted() || !Usable(record->GetUserType())) return nullptr;
  tgvObjIndex_C* index = m_store->GetIndex(record->GetUserType());
  for (uint32_t id = record->GetId() + 1;; ++id) {
    tgvRecord_C* r = index->Find(id);
    if (!r || !r->IsDeleted()) return r;
  }
}

uint32_t tgvDatabase_C::SelectAll(PtrList_C* list, uint8_t userType) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return Usable(userType) ? m_store->SelectAllIds(list, userType) : 0;
}

uint32_t tgvDatabase_C::SelectByOwner(PtrList_C* list, uint8_t userType, uint8_t ownerType1, uint32_t ownerId1,
                                      uint8_t ownerType2, uint32_t ownerId2) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return Usable(userType) ? m_store->SelectByOwner(list, userType, ownerType1, ownerId1, ownerType2, ownerId2) : 0;
}

uint32_t tgvDatabase_C::SelectLinks(PtrList_C* list, uint8_t userType, uint8_t startType, uint32_t startId,
                                    uint8_t endType, uint32_t endId) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return Usable(userType) ? m_store->SelectLinks(list, userType, startType, startId, endType, endId) : 0;
}

uint32_t tgvDatabase_C::SelectLinksInMemory(PtrList_C* list, uint8_t userType, uint8_t startType, uint32_t startId,
                                            uint8_t endType, uint32_t endId) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (!Usable(userType)) return 0;
  return m_store->SelectLinksWhere(list, userType, [&](const tgvRecordStore_C::LinkEnds& e) {
    return e.startType == startType && e.startId == startId &&
           (endType == 0 || (e.endType == endType && e.endId == endId));
  });
}

#define TGV_SEARCH(kind, call)                         \
  std::lock_guard<std::recursive_mutex> guard(m_lock); \
  return Usable(userType) && GetSchemaKind(userType) == (kind) ? (call) : 0

uint32_t tgvDatabase_C::SearchMaps(PtrList_C* list, uint8_t userType, int globalSel, int calibratedSel,
                                   const char16_t* name, uint32_t parentId) {
  TGV_SEARCH(tgvSK_Map, m_store->SearchMaps(list, userType, globalSel, calibratedSel, name, parentId));
}

uint32_t tgvDatabase_C::SearchPOIs(PtrList_C* list, uint8_t userType, const IntRect_C* box, const GeoBox_C* geo,
                                   uint32_t mapId, const char16_t* name) {
  TGV_SEARCH(tgvSK_POI, m_store->SearchPOIs(list, userType, box, geo, mapId, name));
}

uint32_t tgvDatabase_C::SearchControlPoints(PtrList_C* list, uint8_t userType, const IntRect_C* box,
                                            const GeoBox_C* geo, uint32_t parentId, const char16_t* name) {
  TGV_SEARCH(tgvSK_CP, m_store->SearchControlPoints(list, userType, box, geo, parentId, name));
}

uint32_t tgvDatabase_C::SearchWayPoints(PtrList_C* list, uint8_t userType, uint32_t parentId, uint32_t mapId,
                                        const IntRect_C* box, const GeoBox_C* geo, int32_t orderFrom, int32_t orderTo) {
  TGV_SEARCH(tgvSK_WP, m_store->SearchWayPoints(list, userType, parentId, mapId, box, geo, orderFrom, orderTo));
}

uint32_t tgvDatabase_C::SearchVPs(PtrList_C* list, uint8_t userType, uint32_t parentId, uint32_t poiId, uint32_t wpId,
                                  const char16_t* name) {
  TGV_SEARCH(tgvSK_VP, m_store->SearchVPs(list, userType, parentId, poiId, wpId, name));
}

uint32_t tgvDatabase_C::SearchLines(PtrList_C* list, uint8_t userType, uint32_t parentId, uint32_t vpId,
                                    bool groupsOnly, uint32_t mapId, const char16_t* name) {
  TGV_SEARCH(tgvSK_Line, m_store->SearchLines(list, userType, parentId, vpId, groupsOnly, mapId, name));
}

#undef TGV_SEARCH

namespace {

bool IsPropertyOf(const tgvRecord_C* prop, const tgvRecord_C* owner, const char16_t* pooledName) {
  // The three property kinds share the layout of their leading fields.
  const auto* p = static_cast<const tgvPropInt_C*>(prop);
  return !prop->IsDeleted() && p->GetObjID() == owner->GetId() && p->GetObjType() == owner->GetUserType() &&
         p->GetName() == pooledName;
}

}  // namespace

tgvRecord_C* tgvDatabase_C::FindProperty(uint8_t userType, const tgvRecord_C* owner, const char16_t* name) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (!owner || !name || !Usable(userType)) return nullptr;
  const char16_t* pooled = InternString(name);
  PtrList_C list;
  m_store->SelectProps(&list, userType, owner->GetUserType(), owner->GetId());
  for (PtrListNode_C* pos = list.GetHeadPosition(); pos;) {
    auto* r = static_cast<tgvRecord_C*>(PtrList_C::GetNext(pos));
    if (IsPropertyOf(r, owner, pooled)) return r;
  }
  return nullptr;
}

bool tgvDatabase_C::DeleteProperties(const tgvRecord_C* owner) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (!owner || GetState() != kOpen || !m_store) return false;
  bool ok = true;
  for (uint8_t type : {uint8_t(tgvUT_PropInt), uint8_t(tgvUT_PropDouble), uint8_t(tgvUT_PropText)}) {
    PtrList_C props;
    m_store->SelectProps(&props, type, owner->GetUserType(), owner->GetId());
    for (PtrListNode_C* pos = props.GetHeadPosition(); pos;)
      ok = DeleteRecord(static_cast<tgvRecord_C*>(PtrList_C::GetNext(pos)), false) && ok;
  }
  return ok;
}

tgvVal_C* tgvDatabase_C::FindValue(uint8_t startType, uint32_t startId, uint8_t endType, uint32_t endId) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (GetState() != kOpen || !m_store) return nullptr;
  return static_cast<tgvVal_C*>(m_store->GetLinkIndex().FindValue(startType, startId, endType, endId));
}

// --- creators ---

template <class T, class Fill>
T* tgvDatabase_C::Create(uint8_t userType, uint8_t kind, Fill fill) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (!Usable(userType) || GetSchemaKind(userType) != kind) return nullptr;
  bool reused = false;
  tgvRecord_C* record = NewRecord(userType, &reused);
  if (!record) return nullptr;
  fill(static_cast<T*>(record));
  const bool written = reused ? m_store->UpdateObject(record) : m_store->InsertObject(record);
  if (written) return static_cast<T*>(record);
  // Nothing of the record may stay: the id goes back (the next id, or the
  // free list for a reused one) and no row is touched.
  tgvClearRecordFields(record);
  m_store->GetIndex(userType)->UndoNew(record, reused);
  m_store->UpdateTableCounters(userType);
  return nullptr;
}

tgvType_C* tgvDatabase_C::CreateType(uint8_t userType, const char16_t* name, const char16_t* icon, uint8_t userFlag,
                                     const tgvRecord_C* parent) {
  return Create<tgvType_C>(userType, tgvSK_Type, [&](tgvType_C* r) {
    r->SetName(name, 0);
    r->SetIcon(icon, 0);
    r->SetUserFlag(userFlag, 0);
    r->SetParentID(parent ? parent->GetId() : 0, 0);
  });
}

tgvTagDef_C* tgvDatabase_C::CreateTag(uint8_t userType, const char16_t* name, const char16_t* description,
                                      uint8_t objType, const char16_t* userText) {
  return Create<tgvTagDef_C>(userType, tgvSK_Tag, [&](tgvTagDef_C* r) {
    r->SetName(name, 0);
    r->SetDescription(description, 0);
    r->SetObjType(objType, 0);
    r->SetUserText(userText, 0);
  });
}

tgvValueDef_C* tgvDatabase_C::CreateValueDef(uint8_t userType, const char16_t* name, uint8_t valueType,
                                             uint8_t userFlag, tgvType_C* parent, tgvValueDef_C* insertAfter) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  tgvValueDef_C* def = Create<tgvValueDef_C>(userType, tgvSK_ValueDef, [&](tgvValueDef_C* r) {
    r->SetName(name, 0);
    r->SetValueType(valueType, 0);
    r->SetUserFlag(userFlag, 0);
    r->SetParentID(parent ? parent->GetId() : 0, 0);
    if (insertAfter) {
      r->SetPrevID(insertAfter->GetId(), 0);
      r->SetNextID(insertAfter->GetNextID(), 0);
    }
  });
  if (!def) return nullptr;
  if (insertAfter) {
    // Both links of the old successor follow: with a stale back link, an
    // unlink of that successor would drop the new definition from the chain.
    tgvRecord_C* next = FindRecord(userType, def->GetNextID());
    if (next && !next->IsDeleted()) static_cast<tgvValueDef_C*>(next)->SetPrevID(def->GetId(), 1);
    insertAfter->SetNextID(def->GetId(), 1);
  } else if (parent) {
    parent->SetValID(def->GetId(), 1);
  }
  return def;
}

tgvLink_C* tgvDatabase_C::CreateLink(uint8_t userType, const tgvRecord_C* start, const tgvRecord_C* end) {
  if (!start || !end) return nullptr;
  return Create<tgvLink_C>(userType, tgvSK_Link, [&](tgvLink_C* r) {
    r->SetStartType(start->GetUserType(), 0);
    r->SetStartID(start->GetId(), 0);
    r->SetEndType(end->GetUserType(), 0);
    r->SetEndID(end->GetId(), 0);
  });
}

tgvVal_C* tgvDatabase_C::CreateValue(uint8_t userType, const tgvRecord_C* object, const tgvRecord_C* definition,
                                     const char16_t* text) {
  if (!object || !definition) return nullptr;
  return Create<tgvVal_C>(userType, tgvSK_Val, [&](tgvVal_C* r) {
    r->SetStartType(object->GetUserType(), 0);
    r->SetStartID(object->GetId(), 0);
    r->SetEndType(definition->GetUserType(), 0);
    r->SetEndID(definition->GetId(), 0);
    r->SetValue(text, 0);
  });
}

tgvControlPoint_C* tgvDatabase_C::CreateControlPoint(uint8_t userType, const char16_t* name, const tgvRecord_C* map,
                                                     const IntPoint_C& pixel, const GeoPoint_C& position) {
  return Create<tgvControlPoint_C>(userType, tgvSK_CP, [&](tgvControlPoint_C* r) {
    r->SetName(name, 0);
    r->SetParentID(map ? map->GetId() : 0, 0);
    r->SetPosX(pixel.x, 0);
    r->SetPosY(pixel.y, 0);
    r->SetLongitude(position.x, 0);
    r->SetLatitude(position.y, 0);
  });
}

tgvPOI_C* tgvDatabase_C::CreatePOI(uint8_t userType, const char16_t* name, const IntPoint_C& mapPoint,
                                   const GeoPoint_C& realPoint, uint8_t userFlag, uint32_t typeId, uint32_t mapId) {
  return Create<tgvPOI_C>(userType, tgvSK_POI, [&](tgvPOI_C* r) {
    r->SetName(name, 0);
    r->SetMapPoint(mapPoint.x, mapPoint.y, 0);
    r->SetRealPoint(realPoint.x, realPoint.y, realPoint.z, 0);
    r->SetUserFlag(userFlag, 0);
    r->SetTypeID(typeId, 0);
    r->SetMapID(mapId, 0);
  });
}

tgvWayPoint_C* tgvDatabase_C::CreateWayPoint(uint8_t userType, const tgvRecord_C* line, const IntPoint_C& pixel,
                                             const GeoPoint_C& position, int32_t order,
                                             const tgvWayPointSensors& sensors, uint32_t mapId, uint32_t nextId,
                                             uint32_t gpsLogId) {
  return Create<tgvWayPoint_C>(userType, tgvSK_WP, [&](tgvWayPoint_C* r) {
    r->SetParentID(line ? line->GetId() : 0, 0);
    r->SetPosX(pixel.x, 0);
    r->SetPosY(pixel.y, 0);
    r->SetLongitude(position.x, 0);
    r->SetLatitude(position.y, 0);
    r->SetAltitude(position.z, 0);
    r->SetOrder(order, 0);
    r->SetTemperature(sensors.temperature, 0);
    r->SetMBar(sensors.mbar, 0);
    r->SetBPM(sensors.bpm, 0);
    r->SetRPM(sensors.rpm, 0);
    r->SetMBarAlti(sensors.mbarAlti, 0);
    r->SetRPMSpeed(sensors.rpmSpeed, 0);
    r->SetMapID(mapId, 0);
    // The row is written just below, with these two in it.
    r->SetNextID(nextId, 0);
    r->SetGPSLogID(gpsLogId, 0);
  });
}

tgvGPSLog_C* tgvDatabase_C::CreateGPSLog(uint8_t userType, uint32_t time1, uint32_t time2, double speed, double gx,
                                         double gy, double gz) {
  return Create<tgvGPSLog_C>(userType, tgvSK_GPSLog, [&](tgvGPSLog_C* r) {
    r->SetGPSTime(IntPair_C{time1, time2}, 0);
    r->SetGPSSpeed(speed, 0);
    r->SetGSensorX(gx, 0);
    r->SetGSensorY(gy, 0);
    r->SetGSensorZ(gz, 0);
  });
}

tgvStyle_C* tgvDatabase_C::CreateStyle(uint8_t userType, const char16_t* name, uint8_t defineType, uint16_t styleType,
                                       int32_t pattern, int32_t width, int32_t height, uint32_t fillColor,
                                       uint32_t backColor, uint32_t outlineColor, int32_t fontSize,
                                       const char16_t* fontName, const char16_t* patternName,
                                       const char16_t* iconName) {
  return Create<tgvStyle_C>(userType, tgvSK_Style, [&](tgvStyle_C* r) {
    r->SetName(name, 0);
    r->SetVSDefineType(defineType, 0);
    r->SetVSStyleType(styleType, 0);
    r->SetVSPattern(pattern, 0);
    r->SetVSWidth(width, 0);
    r->SetVSHeight(height, 0);
    r->SetVSFColor(fillColor, 0);
    r->SetVSBColor(backColor, 0);
    r->SetVSOColor(outlineColor, 0);
    r->SetVSFontSize(fontSize, 0);
    r->SetVSFontName(fontName, 0);
    r->SetVSPatternName(patternName, 0);
    r->SetVSIconName(iconName, 0);
  });
}

tgvLine_C* tgvDatabase_C::CreateLine(uint8_t userType, const char16_t* name, uint32_t parentId, uint32_t vpId,
                                     uint32_t typeId, uint32_t mapId, uint8_t isGroup) {
  return Create<tgvLine_C>(userType, tgvSK_Line, [&](tgvLine_C* r) {
    r->SetName(name, 0);
    r->SetParentID(parentId, 0);
    r->SetVPID(vpId, 0);
    r->SetTypeID(typeId, 0);
    r->SetMapID(mapId, 0);
    r->SetIsGroup(isGroup, 0);
  });
}

tgvMap_C* tgvDatabase_C::CreateMap(uint8_t userType, const char16_t* name, const char16_t* file, uint32_t parentId,
                                   uint8_t global) {
  return Create<tgvMap_C>(userType, tgvSK_Map, [&](tgvMap_C* r) {
    r->SetName(name, 0);
    r->SetFile(file, 0);
    r->SetParentID(parentId, 0);
    r->SetMapGlobal(global, 0);
  });
}

namespace {

template <class P, class V>
void FillProperty(P* r, const char16_t* name, const tgvRecord_C* owner, V value, int32_t flag) {
  r->SetName(name, 0);
  r->SetObjType(owner ? owner->GetUserType() : 0, 0);
  r->SetObjID(owner ? owner->GetId() : 0, 0);
  r->SetValue(value, 0);
  r->SetPropFlag(flag, 0);
}

}  // namespace

tgvPropInt_C* tgvDatabase_C::CreatePropInt(uint8_t userType, const char16_t* name, const tgvRecord_C* owner,
                                           int32_t value, int32_t userFlag) {
  return Create<tgvPropInt_C>(userType, tgvSK_PropInt,
                              [&](tgvPropInt_C* r) { FillProperty(r, name, owner, value, userFlag); });
}

tgvPropDouble_C* tgvDatabase_C::CreatePropDouble(uint8_t userType, const char16_t* name, const tgvRecord_C* owner,
                                                 double value, int32_t userFlag) {
  return Create<tgvPropDouble_C>(userType, tgvSK_PropDouble,
                                 [&](tgvPropDouble_C* r) { FillProperty(r, name, owner, value, userFlag); });
}

tgvPropText_C* tgvDatabase_C::CreatePropText(uint8_t userType, const char16_t* name, const tgvRecord_C* owner,
                                             const char16_t* value, int32_t userFlag) {
  return Create<tgvPropText_C>(userType, tgvSK_PropText,
                               [&](tgvPropText_C* r) { FillProperty(r, name, owner, value, userFlag); });
}

tgvVP_C* tgvDatabase_C::CreateVP(uint8_t userType, const char16_t* name, int32_t order, uint32_t typeId,
                                 uint32_t parentId, uint32_t poiId, uint32_t wpId, uint32_t nextVpId) {
  return Create<tgvVP_C>(userType, tgvSK_VP, [&](tgvVP_C* r) {
    r->SetName(name, 0);
    r->SetOrder(order, 0);
    r->SetTypeID(typeId, 0);
    r->SetParentID(parentId, 0);
    r->SetPOIID(poiId, 0, 0);
    r->SetWPID(wpId, 0, 0);
    r->SetVPID(nextVpId, 0);
  });
}
