// One open project database seen as a document: it owns the database
// manager, knows the root map record "GLOBAL", and keeps for every line a
// group that cuts the line's waypoints into segments (the line list). It
// answers the typed queries of the sport model, the project, the line
// operations and the exporters, and holds the level thresholds and the
// palette.
//
// A document opens once: Open is refused unless the document is new. While
// it is not open every query returns 0 and Save false. Opened read-only,
// nothing it does reaches the file (see tgvOpenMode): the root map it
// creates on open, a line time it writes back, all stay in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "icbase/src/icutil/geometry.h"
#include "icbase/src/icutil/mempool.h"
#include "trackdb/tgvSqlDB.h"

class tgvDatabase_C;
class tgvGroup_C;
class tgvLine_C;
class tgvMap_C;
class tgvRecord_C;
class tgvStyle_C;

class tgvDocument_C {
 public:
  enum State : int32_t { kNew = 0, kOpen = 1, kFailed = 2 };
  static constexpr int kLevelCount = 18;
  static constexpr int kPaletteSize = 10;

  // owner: the object that holds the document; stored, never used here.
  explicit tgvDocument_C(void* owner);
  ~tgvDocument_C();
  tgvDocument_C(const tgvDocument_C&) = delete;
  tgvDocument_C& operator=(const tgvDocument_C&) = delete;

  // Opens or creates the database file at path, finds or creates the root
  // map and builds the line groups. False (state kFailed) on failure; false
  // with nothing changed for a null path or a document that is not new.
  bool Open(const char16_t* path, tgvOpenMode mode = tgvOpen_ReadWrite);
  // Commits the database; false unless open, and always false read-only
  // (nothing is ever saved to the file then).
  bool Save();

  int32_t GetState() const { return m_state; }
  bool IsOpen() const { return m_state == kOpen; }
  bool IsReadOnly() const;
  void* GetOwner() const { return m_owner; }
  // Null unless open.
  tgvDatabase_C* GetDatabase() const;
  tgvMap_C* GetRootMap() const { return m_rootMap; }
  tgvGroup_C* GetLineList() const { return m_lineList; }

  // Groups from the document's pool; null when no memory is left.
  tgvGroup_C* AllocGroup(bool hasChildren, bool ownsChildren);
  void FreeGroup(tgvGroup_C* group);
  // A line's own group, appended to the line list, with its segments and
  // levels built. False when no group can be had.
  bool AddLineGroup(tgvLine_C* line);
  // Gives a line's segments and group back and takes it off the line list.
  void RemoveLineGroup(tgvLine_C* line);

  // --- records (null / 0 / false unless open) ---
  tgvRecord_C* FindRecord(uint8_t userType, uint32_t id) const;
  // Any state; 0 / false for null.
  static int GetRecordType(const tgvRecord_C* record);
  static bool IsRecordOfType(const tgvRecord_C* record, uint8_t userType);

  // Each query appends to the list and returns how many it appended.
  // Types of a parent (top level for null), by order.
  uint32_t GetTypes(PtrList_C* list, const tgvRecord_C* parent) const;
  // Maps with fMapGlobal = global, calibrated ones only when asked, of a
  // parent when given; by order.
  uint32_t GetMaps(PtrList_C* list, const tgvRecord_C* parent, bool calibratedOnly, bool global) const;
  // The maps other than global ones whose corner box meets the box.
  uint32_t GetMapsInBox(PtrList_C* list, const GeoBox_C& box) const;
  uint32_t GetTags(PtrList_C* list) const;
  // File definitions of an object type (all for 0), by id.
  uint32_t GetFileDefs(PtrList_C* list, uint8_t objType) const;
  uint32_t GetStyles(PtrList_C* list) const;
  // POIs on a map (all for null), inside the box when it is valid (limits
  // included).
  uint32_t GetPOIs(PtrList_C* list, const tgvRecord_C* map, const GeoBox_C& box) const;
  uint32_t GetPOIsInRect(PtrList_C* list, const tgvRecord_C* map, const IntRect_C& rect) const;
  // POIs whose user flag is exactly 0x80, by id.
  uint32_t GetSystemPOIs(PtrList_C* list) const;
  // Group lines (all lines with `all`), whose name contains the name when given.
  uint32_t GetLines(PtrList_C* list, const char16_t* name, bool all) const;
  // kinds: 19 flags indexed by user type - 1 (lines, POIs, control points
  // and waypoints are searched). A level of 0..17 filters waypoints.
  uint32_t FindObjects(PtrList_C* list, const tgvRecord_C* map, const GeoBox_C& box, const uint8_t* kinds,
                       const char16_t* name, int level) const;
  uint32_t FindObjectsInRect(PtrList_C* list, const tgvRecord_C* map, const IntRect_C& rect, const uint8_t* kinds,
                             const char16_t* name) const;
  // The style at the end of the record's style link; null when none.
  tgvStyle_C* GetStyleOf(const tgvRecord_C* record) const;

  // The box of everything in the document (recomputed when not valid);
  // false when it is not a valid box.
  bool GetGlobalBox(GeoBox_C* box);
  void ComputeGlobalBox();

  // 18 thresholds, index = level: k * 4e-5 * 2^(17 - level), k = 2 for
  // mode 1, 3 for mode 2, 1 for any other mode. Each mode has its own
  // constant table.
  static const double* GetLevelThresholds(int mode);
  // Palette entry n mod 10 (n < 0 counts from the end); alpha is 255.
  static bool GetPaletteColor(int n, uint8_t* red, uint8_t* green, uint8_t* blue, uint8_t* alpha);
  static int GetPaletteSize() { return kPaletteSize; }

 private:
  tgvMap_C* FindGlobalMap() const;
  tgvMap_C* CreateGlobalMap();
  bool BuildLineGroups();

  void* m_owner;
  int32_t m_state;
  std::unique_ptr<tgvDatabase_C> m_database;
  tgvMap_C* m_rootMap;
  tgvGroup_C* m_lineList;
  std::mutex m_poolLock;
  BlockPool_C m_groupPool;
};
