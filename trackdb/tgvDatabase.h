// The face of one open project database: it owns the string pool, the
// record store and the last-error text, and offers the record operations
// that the rest of the library uses (create a record of each kind, save,
// delete, find by id, walk a type, the typed queries). Records find their
// manager through the process registry of open databases (tgvDBRegistry_C).
//
// Every public operation holds the manager's lock for its whole run, so the
// manager and its records may be used from several threads. A failed open
// leaves the file as it was, the manager closed and the state kOpenFailed.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "icbase/src/icutil/icutil.h"
#include "trackdb/tgvRecord.h"
#include "trackdb/tgvRecordStore.h"
#include "trackdb/tgvRecordTypes.h"
#include "trackdb/tgvRegistry.h"

class tgvDocument_C;

// The sensor values of a waypoint, in column order.
struct tgvWayPointSensors {
  double temperature = 0.0;
  double mbar = 0.0;
  double bpm = 0.0;
  double rpm = 0.0;
  double mbarAlti = 0.0;
  double rpmSpeed = 0.0;
};

class tgvDatabase_C final : public tgvRecordHost_I {
 public:
  enum State : uint8_t { kClosed = 0, kOpen = 1, kOpenFailed = 2 };

  tgvDatabase_C();
  ~tgvDatabase_C();
  tgvDatabase_C(const tgvDatabase_C&) = delete;
  tgvDatabase_C& operator=(const tgvDatabase_C&) = delete;

  // Registers, opens the store (creating, upgrading and loading the file).
  // On any failure everything is released and the state is kOpenFailed;
  // also when the registry has no free slot. Read-only: see tgvOpenMode.
  bool Open(const tgvRecordTypeEntry* recordTypeTable, const char16_t* path, tgvDocument_C* owner,
            tgvOpenMode mode = tgvOpen_ReadWrite);
  // Opened read-only (tgvOpenMode): nothing it does reaches the file.
  bool IsReadOnly() const { return m_readOnly; }
  // Commits and writes the counters with synchronous writes; false when the
  // COMMIT or a counter write failed (the transaction stays open).
  bool Flush();
  // Saving under another path is not provided.
  bool SaveAs(const char16_t* path);
  // Leaves the registry, closes the store (committing), releases the pool.
  void Close();

  uint8_t GetState() const;
  uint32_t GetRegSlot() const { return m_slot; }
  const char16_t* GetPath() const { return m_path; }
  // A copy, as the text may change under another thread.
  UniString_C GetLastError() const;
  void SetLastError(const char16_t* text);
  tgvDocument_C* GetOwner() const { return m_owner; }
  // The table name and schema kind of a user type; null / 0 when not open.
  const char16_t* GetTableName(uint8_t userType);
  uint8_t GetSchemaKind(uint8_t userType);

  // tgvRecordHost_I
  bool IsOpen() const override { return GetState() == kOpen; }
  bool SaveRecord(tgvRecord_C* record) override;
  const char16_t* InternString(const char16_t* text) override;
  std::recursive_mutex* GetRecordLock() override { return &m_lock; }
  tgvDatabase_C* GetManager() override { return this; }
  void OnLinkChanged(tgvRecord_C* record) override;

  // The lock of this database, for callers that make several calls as one
  // step (it is recursive).
  std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock<std::recursive_mutex>(m_lock); }

  // --- records (0, null or false when not open or the type is unknown) ---
  // A freed id first (reused = true), else the next id; counters written.
  // A reused link, value or property joins the link index with the ends it
  // has when the index is next read.
  tgvRecord_C* NewRecord(uint8_t userType, bool* reused);
  bool InsertRecord(tgvRecord_C* record);
  // Clears the fields; unless memoryOnly also marks the row deleted and
  // writes it; then frees the id and writes the counters.
  bool DeleteRecord(tgvRecord_C* record, bool memoryOnly);
  // Null for id 0 and above the highest id; may be a deleted record.
  tgvRecord_C* FindRecord(uint8_t userType, uint32_t id);
  // The live record with the lowest id / the next live one after a record.
  tgvRecord_C* FirstOfType(uint8_t userType);
  tgvRecord_C* NextOfType(tgvRecord_C* record);
  // How many records the look-ups of this database have reached since it
  // opened (by id, or met by a search): the cost of a look-up, which stays
  // with what it finds when the look-up is answered from an index.
  uint64_t GetRecordVisits() const;
  // How many ids a type has issued (its object number); 0 when unknown.
  uint32_t GetObjectCount(uint8_t userType);

  uint32_t SelectAll(PtrList_C* list, uint8_t userType);
  uint32_t SelectByOwner(PtrList_C* list, uint8_t userType, uint8_t ownerType1, uint32_t ownerId1,
                         uint8_t ownerType2 = 0, uint32_t ownerId2 = 0);
  // Live link records (kinds 4, 5) in id order whose start matches and,
  // when endType is not 0, whose end matches too.
  uint32_t SelectLinksInMemory(PtrList_C* list, uint8_t userType, uint8_t startType, uint32_t startId, uint8_t endType,
                               uint32_t endId);
  uint32_t SelectLinks(PtrList_C* list, uint8_t userType, uint8_t startType, uint32_t startId, uint8_t endType,
                       uint32_t endId);

  uint32_t SearchMaps(PtrList_C* list, uint8_t userType, int globalSel, int calibratedSel, const char16_t* name,
                      uint32_t parentId);
  uint32_t SearchPOIs(PtrList_C* list, uint8_t userType, const IntRect_C* box, const GeoBox_C* geo, uint32_t mapId,
                      const char16_t* name);
  uint32_t SearchControlPoints(PtrList_C* list, uint8_t userType, const IntRect_C* box, const GeoBox_C* geo,
                               uint32_t parentId, const char16_t* name);
  uint32_t SearchWayPoints(PtrList_C* list, uint8_t userType, uint32_t parentId, uint32_t mapId, const IntRect_C* box,
                           const GeoBox_C* geo, int32_t orderFrom, int32_t orderTo);
  uint32_t SearchVPs(PtrList_C* list, uint8_t userType, uint32_t parentId, uint32_t poiId, uint32_t wpId,
                     const char16_t* name);
  uint32_t SearchLines(PtrList_C* list, uint8_t userType, uint32_t parentId, uint32_t vpId, bool groupsOnly,
                       uint32_t mapId, const char16_t* name);

  // The first live property of the owner with the name (same interned text),
  // answered from the link index.
  tgvRecord_C* FindProperty(uint8_t userType, const tgvRecord_C* owner, const char16_t* name);
  // Deletes every property (PropInt, PropDouble, PropText) the record owns;
  // each object delete calls it, since a property left behind would pass to
  // the next object that takes the id. False when a delete failed.
  bool DeleteProperties(const tgvRecord_C* owner);
  // The live value (Val) with the lowest id from (startType, startId) to
  // (endType, endId), answered from the value index.
  tgvVal_C* FindValue(uint8_t startType, uint32_t startId, uint8_t endType, uint32_t endId);

  // --- creators: the new record, or null (nothing left behind) ---
  tgvType_C* CreateType(uint8_t userType, const char16_t* name, const char16_t* icon, uint8_t userFlag,
                        const tgvRecord_C* parent);
  tgvTagDef_C* CreateTag(uint8_t userType, const char16_t* name, const char16_t* description, uint8_t objType,
                         const char16_t* userText);
  tgvValueDef_C* CreateValueDef(uint8_t userType, const char16_t* name, uint8_t valueType, uint8_t userFlag,
                                tgvType_C* parent, tgvValueDef_C* insertAfter);
  tgvLink_C* CreateLink(uint8_t userType, const tgvRecord_C* start, const tgvRecord_C* end);
  tgvVal_C* CreateValue(uint8_t userType, const tgvRecord_C* object, const tgvRecord_C* definition,
                        const char16_t* text);
  tgvControlPoint_C* CreateControlPoint(uint8_t userType, const char16_t* name, const tgvRecord_C* map,
                                        const IntPoint_C& pixel, const GeoPoint_C& position);
  tgvPOI_C* CreatePOI(uint8_t userType, const char16_t* name, const IntPoint_C& mapPoint, const GeoPoint_C& realPoint,
                      uint8_t userFlag, uint32_t typeId, uint32_t mapId);
  tgvWayPoint_C* CreateWayPoint(uint8_t userType, const tgvRecord_C* line, const IntPoint_C& pixel,
                                const GeoPoint_C& position, int32_t order, const tgvWayPointSensors& sensors,
                                uint32_t mapId, uint32_t nextId, uint32_t gpsLogId);
  tgvGPSLog_C* CreateGPSLog(uint8_t userType, uint32_t time1, uint32_t time2, double speed, double gx, double gy,
                            double gz);
  tgvStyle_C* CreateStyle(uint8_t userType, const char16_t* name, uint8_t defineType, uint16_t styleType,
                          int32_t pattern, int32_t width, int32_t height, uint32_t fillColor, uint32_t backColor,
                          uint32_t outlineColor, int32_t fontSize, const char16_t* fontName,
                          const char16_t* patternName, const char16_t* iconName);
  tgvLine_C* CreateLine(uint8_t userType, const char16_t* name, uint32_t parentId, uint32_t vpId, uint32_t typeId,
                        uint32_t mapId, uint8_t isGroup);
  tgvMap_C* CreateMap(uint8_t userType, const char16_t* name, const char16_t* file, uint32_t parentId, uint8_t global);
  tgvPropInt_C* CreatePropInt(uint8_t userType, const char16_t* name, const tgvRecord_C* owner, int32_t value,
                              int32_t userFlag);
  tgvPropDouble_C* CreatePropDouble(uint8_t userType, const char16_t* name, const tgvRecord_C* owner, double value,
                                    int32_t userFlag);
  tgvPropText_C* CreatePropText(uint8_t userType, const char16_t* name, const tgvRecord_C* owner, const char16_t* value,
                                int32_t userFlag);
  tgvVP_C* CreateVP(uint8_t userType, const char16_t* name, int32_t order, uint32_t typeId, uint32_t parentId,
                    uint32_t poiId, uint32_t wpId, uint32_t nextVpId);

  // The store, for the record accessors of this library.
  tgvRecordStore_C* GetStore() { return m_store.get(); }

 private:
  // The creator pattern: a record of the kind, filled, its row written; on
  // a failed write the id allocation is undone and nothing is written.
  template <class T, class Fill>
  T* Create(uint8_t userType, uint8_t kind, Fill fill);
  bool Usable(uint8_t userType);

  mutable std::recursive_mutex m_lock;
  std::atomic<uint8_t> m_state;
  uint64_t m_visits = 0;  // FindRecord calls
  uint32_t m_slot;
  bool m_readOnly = false;
  const char16_t* m_path;
  UniString_C m_lastError;
  tgvDocument_C* m_owner;
  std::unique_ptr<StrPool_C> m_pool;
  std::unique_ptr<tgvRecordStore_C> m_store;
};
