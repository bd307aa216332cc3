#include "trackdb/tgvRecordStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <new>

#include "platform/win32/format.h"
#include "platform/win32/utf.h"
#include "trackdb/tgvDBUpgrade.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDbFormat.h"
#include "trackdb/tgvRecord.h"

namespace {

// Records are allocated this many at a time from their type's pool.
constexpr uint32_t kRecordsPerBlock = 64;

// The owner column of a record kind for an owner kind; null when the pair
// has none.
const char* OwnerColumn(uint8_t recordKind, uint8_t ownerKind) {
  switch (recordKind) {
    case tgvSK_Type:
    case tgvSK_ValueDef:
      return ownerKind == tgvSK_Type ? "fParentID" : nullptr;
    case tgvSK_CP:
      return ownerKind == tgvSK_Map ? "fParentID" : nullptr;
    case tgvSK_POI:
      return ownerKind == tgvSK_Type ? "fTypeID" : ownerKind == tgvSK_Map ? "fMapID" : nullptr;
    case tgvSK_WP:
      return ownerKind == tgvSK_Map ? "fMapID" : nullptr;
    case tgvSK_Line:
      switch (ownerKind) {
        case tgvSK_Type:
          return "fTypeID";
        case tgvSK_Line:
          return "fParentID";
        case tgvSK_VP:
          return "fVPID";
        default:
          return nullptr;
      }
    case tgvSK_Map:
      return ownerKind == tgvSK_Map ? "fParentID" : nullptr;
    case tgvSK_VP:
      switch (ownerKind) {
        case tgvSK_Type:
          return "fTypeID";
        case tgvSK_POI:
          return "fPOIID";
        case tgvSK_Line:
          return "fParentID";
        default:
          return nullptr;
      }
    default:
      return nullptr;
  }
}

bool IsLinkKind(uint8_t kind) { return kind == tgvSK_Link || kind == tgvSK_Val; }

bool ValidBox(const IntRect_C* box) { return box && box->GetMin().IsValid() && box->GetMax().IsValid(); }

bool ValidGeo(const GeoBox_C* geo) { return geo && geo->IsValid(); }

void AddName(tgvCondition_C& c, const char16_t* name) { c.AddContains("fName", name); }

void AddIdIfGiven(tgvCondition_C& c, const char* column, uint32_t id) {
  if (id != 0) c.AddEquals(column, static_cast<int32_t>(id));
}

void AddIntBox(tgvCondition_C& c, const char* x, const char* y, const IntRect_C* box) {
  if (ValidBox(box)) c.AddIntBox(x, y, box->GetLeft(), box->GetRight(), box->GetTop(), box->GetBottom());
}

void AddGeoBox(tgvCondition_C& c, const char* x, const char* y, const GeoBox_C* geo) {
  if (ValidGeo(geo)) c.AddGeoBox(x, y, geo->GetMin().x, geo->GetMax().x, geo->GetMin().y, geo->GetMax().y);
}

}  // namespace

// --- tgvIdIndex_C ---

bool tgvIdIndex_C::Insert(tgvRecord_C* record) {
  const uint32_t id = record ? record->GetId() : 0;
  if (id == 0) return false;
  try {
    if (id > m_records.size()) m_records.resize(id, nullptr);
  } catch (const std::bad_alloc&) {
    return false;
  }
  m_records[id - 1] = record;
  return true;
}

void tgvIdIndex_C::RemoveHighest() {
  if (!m_records.empty()) m_records.pop_back();
}

void tgvIdIndex_C::Release() {
  m_records.clear();
  m_records.shrink_to_fit();
}

// --- tgvObjIndex_C ---

tgvObjIndex_C::tgvObjIndex_C(uint32_t regSlot, uint8_t userType, uint32_t recordSize)
    : m_regSlot(regSlot), m_userType(userType), m_recordSize(recordSize), m_objNo(0), m_freeCount(0), m_freeHead(0) {}

tgvObjIndex_C::~tgvObjIndex_C() { Release(); }

bool tgvObjIndex_C::Init(uint32_t objNo) {
  Release();
  // The pool's first block comes with the first record: most types of a
  // file hold none, and a block is zero-filled.
  m_ready = true;
  (void)objNo;  // the array grows with the ids
  return true;
}

tgvRecord_C* tgvObjIndex_C::Allocate(uint32_t id) {
  if (!m_ready) return nullptr;
  if (!m_pool) m_pool.reset(new (std::nothrow) BlockPool_C(m_recordSize, kRecordsPerBlock));
  if (!m_pool) return nullptr;
  auto* record = static_cast<tgvRecord_C*>(m_pool->Alloc());
  if (!record) return nullptr;
  record->StampHeader(m_regSlot, m_userType, id);
  if (!m_index.Insert(record)) {
    m_pool->Free(record);
    return nullptr;
  }
  return record;
}

tgvRecord_C* tgvObjIndex_C::NewObject(bool* reused) {
  if (reused) *reused = false;
  if (m_freeCount != 0 && !m_freeStack.empty()) {
    tgvRecord_C* record = m_freeStack.back();
    m_freeStack.pop_back();
    const uint32_t id = m_freeHead;
    m_freeHead = record->GetId();  // the id freed before it
    record->SetIdWord(id);
    record->SetDeletedFlag(0);
    --m_freeCount;
    if (reused) *reused = true;
    return record;
  }
  if (m_objNo == UINT32_MAX) return nullptr;
  tgvRecord_C* record = Allocate(m_objNo + 1);
  if (record) ++m_objNo;
  return record;
}

void tgvObjIndex_C::UndoNew(tgvRecord_C* record, bool reused) {
  if (!record) return;
  if (reused) {
    PushFree(record);
    return;
  }
  if (record->GetId() != m_objNo || m_index.Lookup(m_objNo) != record) return;
  m_index.RemoveHighest();
  --m_objNo;
  m_pool->Free(record);
}

tgvRecord_C* tgvObjIndex_C::AddLoaded(uint32_t id, bool deleted) {
  if (id != m_objNo + 1) return nullptr;
  tgvRecord_C* record = Allocate(id);
  if (!record) return nullptr;
  ++m_objNo;
  if (deleted) PushFree(record);
  return record;
}

void tgvObjIndex_C::PushFree(tgvRecord_C* record) {
  const uint32_t id = record->GetId();
  record->SetDeletedFlag(1);
  try {
    m_freeStack.push_back(record);
  } catch (const std::bad_alloc&) {
    return;  // stays deleted under its id; the next load puts it on the list
  }
  record->SetIdWord(m_freeHead);
  m_freeHead = id;
  ++m_freeCount;
}

void tgvObjIndex_C::FreeObject(tgvRecord_C* record) {
  if (!record || record->GetId() == 0 || record->IsDeleted()) return;
  PushFree(record);
}

void tgvObjIndex_C::Release() {
  m_index.Release();
  m_freeStack.clear();
  m_pool.reset();
  m_ready = false;
  m_objNo = m_freeCount = m_freeHead = 0;
}

// --- tgvRecordStore_C ---

tgvRecordStore_C::tgvRecordStore_C() : m_indexed(true), m_inTransaction(false), m_typeCount(0), m_owner(nullptr) {}

tgvRecordStore_C::~tgvRecordStore_C() { Close(); }

bool tgvRecordStore_C::OpenFile(const char16_t* path, bool* isNew, tgvOpenMode mode) {
  m_sql.reset(new (std::nothrow) tgvSqlDB_C());
  if (!m_sql || !m_sql->Open(path, isNew, mode)) return false;
  if (*isNew) return true;
  // A file that holds no table (an interrupted creation left it empty) is new.
  bool hasRow = false;
  const bool counted = m_sql->Prepare(u"SELECT count(*) FROM sqlite_master;") && m_sql->Step(&hasRow) && hasRow;
  const int tables = counted ? m_sql->ColumnInt(1) : -1;
  m_sql->Finalize();
  if (tables == 0) *isNew = true;
  return true;
}

bool tgvRecordStore_C::BuildSlots(const tgvRecordTypeEntry* recordTypeTable) {
  uint32_t count = 0;
  for (const tgvRecordTypeEntry* e = recordTypeTable; e->userType != 0; ++e) {
    ++count;
    if (e->userType != count) {
      m_indexed = false;
      if (e->schemaKind < 1 || e->schemaKind > tgvSchemaKindMax || !e->tableName) return false;
    }
  }
  m_typeCount = count;
  try {
    m_slots.resize(count + 1);
  } catch (const std::bad_alloc&) {
    return false;
  }
  m_slots[0].schemaKind = static_cast<uint8_t>(tgvFormatVersion);
  for (uint32_t i = 1; i <= count; ++i) {
    const tgvRecordTypeEntry& e = recordTypeTable[i - 1];
    Slot& s = m_slots[i];
    s.userType = e.userType;
    s.schemaKind = e.schemaKind;
    s.recordSize = e.recordSize;
    s.tableName = m_owner->InternString(e.tableName);
    s.tableA = tgvTableIdent(e.tableName);
    s.index.reset(new (std::nothrow) tgvObjIndex_C(m_owner->GetRegSlot(), e.userType, e.recordSize));
    if (!s.tableName || s.tableA.empty() || !s.index) return false;
  }
  return true;
}

bool tgvRecordStore_C::CreateTables(const tgvRecordTypeEntry* recordTypeTable, const char16_t* path) {
  if (m_sql) {
    if (!PrepareWrite()) return false;
    std::u16string err;
    if (!tgvCreateSummaryTable(m_sql->GetHandle(), recordTypeTable, path, &err)) {
      m_owner->SetLastError(err.c_str());
      return false;
    }
    if (!tgvCreateRecordTables(m_sql->GetHandle(), recordTypeTable)) return false;
  }
  for (uint32_t i = 1; i <= m_typeCount; ++i) {
    if (!m_slots[i].index->Init(0)) return false;
  }
  return true;
}

bool tgvRecordStore_C::CheckAndLoad(const tgvRecordTypeEntry* recordTypeTable) {
  tgvSummary summary;
  tgvSummaryCheck check = tgvReadSummary(m_sql->GetHandle(), recordTypeTable, &summary);
  if (check == tgvSummary_Upgrade) {
    if (!PrepareWrite()) return false;
    tgvDBUpgrade_C upgrade(m_sql.get());
    if (!upgrade.Upgrade(summary.version)) return false;
    check = tgvReadSummary(m_sql->GetHandle(), recordTypeTable, &summary);
  }
  if (check != tgvSummary_Current || summary.rows.size() != m_typeCount) return false;
  for (uint32_t i = 1; i <= m_typeCount; ++i) {
    m_slots[i].objNo = summary.rows[i - 1].objNo;
    m_slots[i].freeNo = summary.rows[i - 1].freeNo;
  }
  return LoadTables();
}

bool tgvRecordStore_C::LoadTables() {
  for (uint32_t i = 1; i <= m_typeCount; ++i) {
    Slot& s = m_slots[i];
    tgvObjIndex_C* index = s.index.get();
    if (!index->Init(s.objNo)) return false;
    if (s.objNo == 0) {
      // A table without rows is not read, only looked for in the schema (a
      // view of that name is not the table).
      if (!tgvHasTable(m_sql->GetHandle(), s.tableA.c_str())) return false;
      continue;
    }
    const tgvRecordTypeEntry entry{s.userType, s.schemaKind, 0, s.recordSize, s.tableName};
    const bool ok = tgvLoadRecordTable(
        m_sql->GetHandle(), entry, s.objNo,
        [index](uint32_t id, bool deleted) { return index->AddLoaded(id, deleted); }, m_owner, m_withSensors);
    if (!ok) return false;
    if (tgvLinkIndex_C::Indexes(s.schemaKind)) {
      for (uint32_t id = 1; id <= index->GetObjNo(); ++id) m_links.Add(index->Find(id));
    }
  }
  return true;
}

bool tgvRecordStore_C::Open(tgvDatabase_C* owner, const tgvRecordTypeEntry* recordTypeTable, const char16_t* path,
                            tgvOpenMode mode) {
  m_indexed = true;
  m_inTransaction = false;
  m_typeCount = 0;
  m_links.Clear();
  m_walkVisits = 0;
  m_withSensors = mode != tgvOpen_ReadPoints;
  if (!owner || !recordTypeTable) return false;
  m_owner = owner;
  bool isNew = true;
  if (path && !OpenFile(path, &isNew, mode)) return false;
  // A file read in place is loaded under one read lock, which ends with the
  // load: the other program that keeps the file may write to it again.
  const bool inPlace = m_sql && m_sql->IsInPlace();
  if (inPlace)
    m_inTransaction = m_sql->Transaction(true);
  else
    EnsureTransaction();
  bool ok =
      BuildSlots(recordTypeTable) && (isNew ? CreateTables(recordTypeTable, path) : CheckAndLoad(recordTypeTable));
  if (ok && m_sql && m_sql->IsInPlace()) ok = EndTransaction();
  if (!ok) {
    // Nothing of a failed open reaches the file: not the tables of a new
    // file, not a half-done upgrade.
    if (m_inTransaction) m_sql->Rollback();
    m_inTransaction = false;
    ReleaseIndexes();
  }
  return ok;
}

void tgvRecordStore_C::EnsureTransaction() {
  // Reads of a file in place take its read lock one statement at a time.
  if (m_inTransaction || !m_sql || m_sql->IsInPlace()) return;
  // The flag follows the outcome, so that a COMMIT is only ever sent for a
  // transaction that began.
  m_inTransaction = m_sql->Transaction(true);
}

bool tgvRecordStore_C::PrepareWrite() {
  if (!m_sql) return false;
  if (m_sql->IsInPlace()) {
    if (!m_sql->MakePrivate()) return false;
    m_inTransaction = false;  // the read lock went with the file's connection
  }
  EnsureTransaction();
  return true;
}

bool tgvRecordStore_C::EndTransaction() {
  if (!m_inTransaction) return true;
  // Rows whose ids the stored counters do not cover would be passed over by
  // the next load: they are committed only with their counters.
  for (uint32_t i = 1; i <= m_typeCount; ++i) {
    if (m_slots[i].countersDirty && !WriteTableCounters(m_slots[i])) return false;
  }
  if (!m_sql->Transaction(false)) return false;
  m_inTransaction = false;
  return true;
}

bool tgvRecordStore_C::Flush() {
  if (!m_sql) return false;
  // A store still in place has written nothing: the file holds its counters.
  if (m_sql->IsInPlace()) return true;
  if (!EndTransaction()) return false;
  m_sql->SetSynchronous(true);
  bool ok = true;
  for (uint32_t i = 1; i <= m_typeCount && ok; ++i) {
    const Slot& s = m_slots[i];
    const tgvRecordTypeEntry entry{s.userType, s.schemaKind, 0, s.recordSize, s.tableName};
    ok = tgvWriteTableCounters(m_sql->GetHandle(), entry, s.index->GetObjNo(), s.index->GetFreeCount(), nullptr,
                               &m_countersStmt);
  }
  if (!ok) m_owner->SetLastError(tgvMsgUpdateSummaryFailed);
  m_sql->SetSynchronous(false);
  return ok;
}

void tgvRecordStore_C::ReleaseIndexes() {
  m_countersStmt.Release();
  for (Slot& s : m_slots) {
    if (s.index) s.index->Release();
  }
  m_slots.clear();
  m_links.Clear();
  m_walkVisits = 0;
  m_typeCount = 0;
}

bool tgvRecordStore_C::Close() {
  bool ok = EndTransaction();
  ReleaseIndexes();
  if (m_sql) {
    ok = m_sql->Close() && ok;
    m_sql.reset();  // a busy connection closes once its statements are gone
  }
  m_inTransaction = false;
  m_indexed = true;
  return ok;
}

tgvRecordStore_C::Slot* tgvRecordStore_C::FindSlot(uint8_t userType) {
  if (userType == 0 || m_typeCount == 0) return nullptr;
  if (m_indexed) return userType <= m_typeCount ? &m_slots[userType] : nullptr;
  for (uint32_t i = 1; i <= m_typeCount; ++i) {
    if (m_slots[i].userType == userType) return &m_slots[i];
  }
  return nullptr;
}

tgvObjIndex_C* tgvRecordStore_C::GetIndex(uint8_t userType) {
  Slot* s = FindSlot(userType);
  return s ? s->index.get() : nullptr;
}

bool tgvRecordStore_C::WriteRow(tgvRecord_C* record, Slot& slot, bool insert) {
  if (!record || !PrepareWrite()) return false;
  sqlite3* db = m_sql->GetHandle();
  // The texts are made on a type's first write: most opens write nothing.
  std::string& sql = insert ? slot.insertSql : slot.updateSql;
  if (sql.empty())
    sql = insert ? tgvSqlInsert(slot.schemaKind, slot.tableA.c_str())
                 : tgvSqlUpdate(slot.schemaKind, slot.tableA.c_str());
  sqlite3_stmt* st = insert ? slot.insertStmt.Get(db, sql) : slot.updateStmt.Get(db, sql);
  const bool ok = st && tgvRunAndReset(st, insert ? tgvBindInsertRow(st, record) : tgvBindUpdateRow(st, record));
  // An UPDATE that changed no row found no row for the id: that is a
  // failure, not a write.
  return ok && (insert || sqlite3_changes(db) > 0);
}

bool tgvRecordStore_C::UpdateObject(tgvRecord_C* record) {
  Slot* s = record ? FindSlot(record->GetUserType()) : nullptr;
  return s && WriteRow(record, *s, false);
}

bool tgvRecordStore_C::InsertObject(tgvRecord_C* record) {
  Slot* s = record ? FindSlot(record->GetUserType()) : nullptr;
  if (!s || record->GetId() <= s->objNo) return false;
  return WriteRow(record, *s, true);
}

bool tgvRecordStore_C::UpdateTableCounters(uint8_t userType) {
  Slot* s = FindSlot(userType);
  if (!s || !PrepareWrite()) return false;
  if (!m_inTransaction) return WriteTableCounters(*s);
  s->countersDirty = true;
  return true;
}

bool tgvRecordStore_C::WriteTableCounters(Slot& s) {
  std::u16string err;
  const tgvRecordTypeEntry entry{s.userType, s.schemaKind, 0, s.recordSize, s.tableName};
  if (!tgvWriteTableCounters(m_sql->GetHandle(), entry, s.index->GetObjNo(), s.index->GetFreeCount(), &err,
                             &m_countersStmt)) {
    m_owner->SetLastError(err.c_str());
    return false;
  }
  s.countersDirty = false;
  return true;
}

uint32_t tgvRecordStore_C::RunSelect(PtrList_C* list, uint8_t userType, const std::string& sql,
                                     const tgvCondition_C* params, const int32_t* ints, int intCount) {
  Slot* s = FindSlot(userType);
  if (!list || !s || !m_sql || sql.empty()) return 0;
  EnsureTransaction();
  const std::u16string wide = Utf8ToUtf16(sql);
  if (!m_sql->Prepare(wide.c_str())) return 0;
  bool bound = !params || tgvBindConditionParams(m_sql->GetStatement(), *params);
  for (int i = 0; i < intCount && bound; ++i) bound = m_sql->BindInt(i + 1, ints[i]);
  uint32_t found = 0;
  bool hasRow = bound;
  while (hasRow && m_sql->Step(&hasRow) && hasRow) {
    tgvRecord_C* record = s->index->Find(static_cast<uint32_t>(m_sql->ColumnInt(1)));
    if (record && list->AddTail(record)) ++found;
  }
  m_sql->Finalize();
  return found;
}

uint32_t tgvRecordStore_C::SelectAllIds(PtrList_C* list, uint8_t userType) {
  Slot* s = FindSlot(userType);
  if (!s) return 0;
  return RunSelect(list, userType, tgvSqlSelectLiveIds(s->schemaKind, s->tableA.c_str()), nullptr, nullptr, 0);
}

uint32_t tgvRecordStore_C::SelectByOwner(PtrList_C* list, uint8_t userType, uint8_t ownerType1, uint32_t ownerId1,
                                         uint8_t ownerType2, uint32_t ownerId2) {
  Slot* s = FindSlot(userType);
  if (!s) return 0;
  const char* c1 = OwnerColumn(s->schemaKind, tgvSchemaKindOf(ownerType1));
  if (!c1) return 0;
  const char* c2 = ownerType2 ? OwnerColumn(s->schemaKind, tgvSchemaKindOf(ownerType2)) : nullptr;
  const int32_t ids[2] = {static_cast<int32_t>(ownerId1), static_cast<int32_t>(ownerId2)};
  if (c2) {
    return RunSelect(list, userType, tgvSqlSelectByOwners(s->schemaKind, s->tableA.c_str(), c1, c2), nullptr, ids, 2);
  }
  return RunSelect(list, userType, tgvSqlSelectByOwner(s->schemaKind, s->tableA.c_str(), c1), nullptr, ids, 1);
}

uint32_t tgvRecordStore_C::SelectLinks(PtrList_C* list, uint8_t userType, uint8_t startType, uint32_t startId,
                                       uint8_t endType, uint32_t endId) {
  const bool hasStart = startType > 0 && startId != 0;
  const bool hasEnd = endType > 0 && endId != 0;
  Slot* s = FindSlot(userType);
  if (!m_sql || !s || !IsLinkKind(s->schemaKind) || (!hasStart && !hasEnd)) return 0;
  return m_links.Select(list, userType, startType, hasStart ? startId : 0, endType, hasEnd ? endId : 0);
}

uint32_t tgvRecordStore_C::SelectLinksWhere(PtrList_C* list, uint8_t userType,
                                            const std::function<bool(const LinkEnds&)>& keep) {
  Slot* s = FindSlot(userType);
  if (!list || !s || !IsLinkKind(s->schemaKind)) return 0;
  const auto ends = [](const auto* link) {
    return LinkEnds{link->GetStartType(), link->GetStartID(), link->GetEndType(), link->GetEndID()};
  };
  const bool value = s->schemaKind == tgvSK_Val;
  uint32_t found = 0;
  for (uint32_t id = 1; id <= s->index->GetObjNo(); ++id) {
    tgvRecord_C* r = s->index->Find(id);
    ++m_walkVisits;
    if (!r || r->IsDeleted()) continue;
    if (!keep(value ? ends(static_cast<const tgvVal_C*>(r)) : ends(static_cast<const tgvLink_C*>(r)))) continue;
    if (list->AddTail(r)) ++found;
  }
  return found;
}

uint32_t tgvRecordStore_C::SelectProps(PtrList_C* list, uint8_t userType, uint8_t objectType, uint32_t objectId) {
  Slot* s = FindSlot(userType);
  if (!m_sql || !s || s->schemaKind < tgvSK_PropInt || s->schemaKind > tgvSK_PropText || objectId == 0) return 0;
  return m_links.Select(list, userType, objectType, objectId, 0, 0);
}

uint32_t tgvRecordStore_C::SelectWhere(PtrList_C* list, uint8_t userType, const tgvCondition_C& where,
                                       tgvCondition_C::Form form, const char* orderColumn) {
  Slot* s = FindSlot(userType);
  if (!s) return 0;
  return RunSelect(list, userType, where.BuildSelect(s->tableA.c_str(), form, orderColumn), &where, nullptr, 0);
}

uint32_t tgvRecordStore_C::SearchPOIs(PtrList_C* list, uint8_t userType, const IntRect_C* box, const GeoBox_C* geo,
                                      uint32_t mapId, const char16_t* name) {
  tgvCondition_C c;
  AddIdIfGiven(c, "fMapID", mapId);
  AddName(c, name);
  AddIntBox(c, "fLongitude", "fLatitude", box);
  AddGeoBox(c, "fRealLong", "fRealLati", geo);
  return SelectWhere(list, userType, c);
}

uint32_t tgvRecordStore_C::SearchControlPoints(PtrList_C* list, uint8_t userType, const IntRect_C* box,
                                               const GeoBox_C* geo, uint32_t parentId, const char16_t* name) {
  tgvCondition_C c;
  AddIdIfGiven(c, "fParentID", parentId);
  AddName(c, name);
  AddIntBox(c, "fPosX", "fPosY", box);
  AddGeoBox(c, "fLongitude", "fLatitude", geo);
  return SelectWhere(list, userType, c);
}

uint32_t tgvRecordStore_C::SearchVPs(PtrList_C* list, uint8_t userType, uint32_t parentId, uint32_t poiId,
                                     uint32_t wpId, const char16_t* name) {
  tgvCondition_C c;
  AddIdIfGiven(c, "fParentID", parentId);
  AddIdIfGiven(c, "fPOIID", poiId);
  AddIdIfGiven(c, "fWPID", wpId);
  AddName(c, name);
  return SelectWhere(list, userType, c, tgvCondition_C::OrderSemicolon, "fOrder");
}

uint32_t tgvRecordStore_C::SearchWayPoints(PtrList_C* list, uint8_t userType, uint32_t parentId, uint32_t mapId,
                                           const IntRect_C* box, const GeoBox_C* geo, int32_t orderFrom,
                                           int32_t orderTo) {
  tgvCondition_C c;
  AddIdIfGiven(c, "fParentID", parentId);
  AddIdIfGiven(c, "fMapID", mapId);
  AddIntBox(c, "fPosX", "fPosY", box);
  AddGeoBox(c, "fLongitude", "fLatitude", geo);
  if (orderFrom != 0 && orderTo >= 0) c.AddRange("fOrder", orderFrom, orderTo);
  return SelectWhere(list, userType, c, tgvCondition_C::OrderSemicolon, "fOrder");
}

uint32_t tgvRecordStore_C::SearchLines(PtrList_C* list, uint8_t userType, uint32_t parentId, uint32_t vpId,
                                       bool groupsOnly, uint32_t mapId, const char16_t* name) {
  tgvCondition_C c;
  AddIdIfGiven(c, "fParentID", parentId);
  AddIdIfGiven(c, "fVPID", vpId);
  AddIdIfGiven(c, "fMapID", mapId);
  if (groupsOnly) c.AddEquals("fIsGroup", 1);
  AddName(c, name);
  return SelectWhere(list, userType, c);
}

uint32_t tgvRecordStore_C::SearchMaps(PtrList_C* list, uint8_t userType, int globalSel, int calibratedSel,
                                      const char16_t* name, uint32_t parentId) {
  tgvCondition_C c;
  if (globalSel == 1 || globalSel == 2) c.AddEquals("fMapGlobal", globalSel == 1 ? 0 : 1);
  if (calibratedSel == 1 || calibratedSel == 2) c.AddEquals("fBeCal", calibratedSel == 1 ? 0 : 1);
  AddIdIfGiven(c, "fParentID", parentId);
  AddName(c, name);
  return SelectWhere(list, userType, c, tgvCondition_C::Order, "fOrder");
}
