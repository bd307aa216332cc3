// The in-memory record store of one project database. On open it creates or
// checks the file, upgrades an older format, and loads every table whole;
// from then on id look-ups are answered from memory and every change is
// mirrored into the file at once, inside one long transaction that Flush
// commits. Searches run as SQL that returns ids; the records come from memory.
//
// Tables that hold no row are not read. The statements of the row and
// counter writes are kept prepared while the store is open. Inside the
// transaction a type's counters are written once, before the commit that
// carries its new rows, rather than after every new or freed id.
//
// A failed open rolls back everything it did: the file keeps its bytes. A
// file that holds no table yet (left empty by a failed creation) is
// treated as new.
//
// The database manager (tgvDatabase_C) owns one store, is its only caller
// and holds its lock around every call.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "icbase/src/icutil/icutil.h"
#include "trackdb/tgvDbFormat.h"
#include "trackdb/tgvLinkIndex.h"
#include "trackdb/tgvRecordTypes.h"
#include "trackdb/tgvSchema.h"
#include "trackdb/tgvSqlDB.h"

class tgvDatabase_C;
class tgvRecord_C;

// Maps an id to its record. Ids of a type are dense (1 up to the highest
// issued), so the map is an array indexed by id - 1: exact and O(1).
class tgvIdIndex_C {
 public:
  // The record under its current id; false when memory runs out.
  bool Insert(tgvRecord_C* record);
  // The record of the id (possibly deleted); null for 0 and above the highest.
  tgvRecord_C* Lookup(uint32_t id) const { return id == 0 || id > m_records.size() ? nullptr : m_records[id - 1]; }
  // Forgets the highest id (a creation that could not be written).
  void RemoveHighest();
  uint32_t GetHighest() const { return static_cast<uint32_t>(m_records.size()); }
  void Release();

 private:
  std::vector<tgvRecord_C*> m_records;
};

// The records of one record type: their pool, the id counters, the free
// list and the id index.
//
// Freed ids are reused last in, first out. As in the file's own scheme a
// deleted record's id word holds the id freed before it (0 at the end);
// the store also keeps the freed records on a stack, so that the record of
// an id is never searched for.
class tgvObjIndex_C {
 public:
  tgvObjIndex_C(uint32_t regSlot, uint8_t userType, uint32_t recordSize);
  ~tgvObjIndex_C();
  tgvObjIndex_C(const tgvObjIndex_C&) = delete;
  tgvObjIndex_C& operator=(const tgvObjIndex_C&) = delete;

  // Counters 0, an empty pool and index; false when memory runs out.
  bool Init(uint32_t objNo);
  // A freed id first (reused = true, fields as the deletion left them);
  // otherwise the next id with a zero-filled record. Null when out of memory.
  tgvRecord_C* NewObject(bool* reused);
  // Undoes the NewObject that gave the record: a reused record goes back on
  // the free list, a new one back to the pool with its id.
  void UndoNew(tgvRecord_C* record, bool reused);
  // A record read from the file with id = the next id; deleted ones go on
  // the free list at once.
  tgvRecord_C* AddLoaded(uint32_t id, bool deleted);
  // Puts a live record on the free list.
  void FreeObject(tgvRecord_C* record);
  // Null above the highest id; may be a deleted record.
  tgvRecord_C* Find(uint32_t id) const { return m_index.Lookup(id); }
  void Release();

  uint8_t GetUserType() const { return m_userType; }
  uint32_t GetObjNo() const { return m_objNo; }
  uint32_t GetFreeCount() const { return m_freeCount; }
  uint32_t GetFreeHead() const { return m_freeHead; }

 private:
  tgvRecord_C* Allocate(uint32_t id);
  void PushFree(tgvRecord_C* record);

  uint32_t m_regSlot;
  uint8_t m_userType;
  uint32_t m_recordSize;
  uint32_t m_objNo;      // highest id issued (fObjNo)
  uint32_t m_freeCount;  // fObjFreeNo
  uint32_t m_freeHead;   // last freed id, 0 = none
  bool m_ready = false;  // Init has run since the last Release
  std::unique_ptr<BlockPool_C> m_pool;
  tgvIdIndex_C m_index;
  std::vector<tgvRecord_C*> m_freeStack;  // top = the record of m_freeHead
};

class tgvRecordStore_C {
 public:
  // A slot describes one record type of the open file.
  struct Slot {
    uint8_t userType = 0;
    uint8_t schemaKind = 0;
    uint32_t recordSize = 0;
    uint32_t objNo = 0;  // as read at open (0 for a new file)
    uint32_t freeNo = 0;
    const char16_t* tableName = nullptr;  // interned
    std::string tableA;                   // the same in narrow text
    std::string insertSql;                // made on the first write
    std::string updateSql;
    tgvCachedStatement insertStmt;
    tgvCachedStatement updateStmt;
    std::unique_ptr<tgvObjIndex_C> index;
    bool countersDirty = false;  // changed since the transaction's last write
  };

  tgvRecordStore_C();
  ~tgvRecordStore_C();
  tgvRecordStore_C(const tgvRecordStore_C&) = delete;
  tgvRecordStore_C& operator=(const tgvRecordStore_C&) = delete;

  // Opens or creates the file and loads it; on failure everything done is
  // rolled back and the caller closes the store. Read-only: see tgvOpenMode.
  bool Open(tgvDatabase_C* owner, const tgvRecordTypeEntry* recordTypeTable, const char16_t* path,
            tgvOpenMode mode = tgvOpen_ReadWrite);
  // Commits (false, transaction kept, when COMMIT fails), then writes every
  // type's counters with synchronous writes on.
  bool Flush();
  // Releases the records, commits an open transaction and closes the file;
  // false when the commit or the close failed.
  bool Close();

  // "BEGIN TRANSACTION;" when none is open.
  void EnsureTransaction();
  // Writes the counters that changed, then "COMMIT TRANSACTION;" when a
  // transaction is open; nothing is committed when a counter cannot be
  // written, and the flag stays set on failure.
  bool EndTransaction();
  bool InTransaction() const { return m_inTransaction; }

  bool UpdateObject(tgvRecord_C* record);
  // Refused unless the id is above the type's fObjNo read at open.
  bool InsertObject(tgvRecord_C* record);
  // The type's counters (next id, free ids) changed: written with the next
  // commit, or at once when no transaction is open.
  bool UpdateTableCounters(uint8_t userType);

  // Every select appends the records of the ids found to the list and
  // returns how many it appended.
  uint32_t SelectAllIds(PtrList_C* list, uint8_t userType);
  uint32_t SelectByOwner(PtrList_C* list, uint8_t userType, uint8_t ownerType1, uint32_t ownerId1, uint8_t ownerType2,
                         uint32_t ownerId2);
  uint32_t SelectLinks(PtrList_C* list, uint8_t userType, uint8_t startType, uint32_t startId, uint8_t endType,
                       uint32_t endId);
  // The two ends of a link record (kinds 4 and 5).
  struct LinkEnds {
    uint8_t startType;
    uint32_t startId;
    uint8_t endType;
    uint32_t endId;
  };
  // The live links of the type whose ends `keep` accepts, in id order (the
  // order of the table's rows), by a walk of every record of the type.
  uint32_t SelectLinksWhere(PtrList_C* list, uint8_t userType, const std::function<bool(const LinkEnds&)>& keep);
  uint32_t SelectProps(PtrList_C* list, uint8_t userType, uint8_t objectType, uint32_t objectId);
  uint32_t SelectWhere(PtrList_C* list, uint8_t userType, const tgvCondition_C& where,
                       tgvCondition_C::Form form = tgvCondition_C::Plain, const char* orderColumn = nullptr);

  // Searches: each argument adds its condition only when given (a valid
  // box, a non-zero id, a non-empty name).
  uint32_t SearchPOIs(PtrList_C* list, uint8_t userType, const IntRect_C* box, const GeoBox_C* geo, uint32_t mapId,
                      const char16_t* name);
  uint32_t SearchControlPoints(PtrList_C* list, uint8_t userType, const IntRect_C* box, const GeoBox_C* geo,
                               uint32_t parentId, const char16_t* name);
  uint32_t SearchVPs(PtrList_C* list, uint8_t userType, uint32_t parentId, uint32_t poiId, uint32_t wpId,
                     const char16_t* name);
  // The order range applies when orderFrom is not 0 and orderTo not negative.
  uint32_t SearchWayPoints(PtrList_C* list, uint8_t userType, uint32_t parentId, uint32_t mapId, const IntRect_C* box,
                           const GeoBox_C* geo, int32_t orderFrom, int32_t orderTo);
  uint32_t SearchLines(PtrList_C* list, uint8_t userType, uint32_t parentId, uint32_t vpId, bool groupsOnly,
                       uint32_t mapId, const char16_t* name);
  // Selector 1: fMapGlobal (fBeCal) = 0; 2: = 1; anything else: no condition.
  uint32_t SearchMaps(PtrList_C* list, uint8_t userType, int globalSel, int calibratedSel, const char16_t* name,
                      uint32_t parentId);

  // The slot of a user type; null when the type is not in the table.
  Slot* FindSlot(uint8_t userType);
  tgvObjIndex_C* GetIndex(uint8_t userType);
  uint32_t GetTypeCount() const { return m_typeCount; }
  bool IsIndexed() const { return m_indexed; }
  tgvSqlDB_C* GetSqlDB() { return m_sql.get(); }
  // The links by their ends: SelectLinks and value look-ups are answered
  // from it (the link tables have no index on their ends).
  tgvLinkIndex_C& GetLinkIndex() { return m_links; }
  // Records the searches of the store have looked at since the open.
  uint64_t GetVisits() const { return m_walkVisits + m_links.GetVisits(); }

 private:
  bool OpenFile(const char16_t* path, bool* isNew, tgvOpenMode mode);
  bool BuildSlots(const tgvRecordTypeEntry* recordTypeTable);
  bool CreateTables(const tgvRecordTypeEntry* recordTypeTable, const char16_t* path);
  bool CheckAndLoad(const tgvRecordTypeEntry* recordTypeTable);
  bool LoadTables();
  // Before a write: a file read in place moves to its private copy, and the
  // transaction is open. False when the write cannot go anywhere.
  bool PrepareWrite();
  bool WriteTableCounters(Slot& s);
  bool WriteRow(tgvRecord_C* record, Slot& slot, bool insert);
  uint32_t RunSelect(PtrList_C* list, uint8_t userType, const std::string& sql, const tgvCondition_C* params,
                     const int32_t* ints, int intCount);
  void ReleaseIndexes();

  bool m_indexed;
  bool m_inTransaction;
  uint32_t m_typeCount;
  tgvDatabase_C* m_owner;
  std::vector<Slot> m_slots;  // slot 0: the version row
  std::unique_ptr<tgvSqlDB_C> m_sql;
  tgvCachedStatement m_countersStmt;
  tgvLinkIndex_C m_links;
  uint64_t m_walkVisits = 0;
  bool m_withSensors = true;  // false: the waypoints' sensor values are not read
};
