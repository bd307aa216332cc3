// The flat records of a project database. Every record starts with the common
// header of tgvRecord_C; the fields of its schema kind follow. Records have no
// constructors and no virtual operations: the record store allocates them
// zero-filled (size from RecordTypeTable) and fills them from a row or from a
// creator. The classes below are views of the same flat record.
//
// Setters take the new value and a mark flag. When the value does not change
// nothing happens. Otherwise the value is stored and, when marked, the record
// writes its row at once through its database manager (found by the registry
// slot). A setter returns false only when that write was tried and failed;
// without an open manager the value stays in memory and the result is true.
//
// Text fields hold texts pooled in the database's string pool (null = none).
// Text setters pool the text first; null stays null. Without a registered
// manager there is no pool, and a text setter changes nothing and returns false.
#pragma once

#include <cstdint>

#include "icbase/src/icutil/geometry.h"
#include "icbase/src/icutil/times.h"
#include "icbase/src/icutil/utils.h"
#include "trackdb/tgvRecordTypes.h"
#include "trackdb/tgvRegistry.h"

class tgvDatabase_C;
class tgvGroup_C;
class tgvType_C;
class tgvValueDef_C;
class tgvVal_C;
class tgvVP_C;
class tgvLine_C;
class tgvMap_C;
class tgvPOI_C;
class tgvStyle_C;
class tgvWayPoint_C;
class tgvDocument_C;
class PtrList_C;
class UniString_C;
class WStrBuilder_C;
struct tgvWayPointSensors;
struct tgvGPSSample;
struct tgvSchemaAccess;

class tgvRecord_C {
 public:
  // --- header ---
  uint8_t GetUserType() const { return m_userType; }
  uint8_t GetSchemaKind() const { return tgvSchemaKindOf(m_userType); }
  uint32_t GetRegSlot() const { return m_regSlot; }
  // The database manager registered under the record's slot, or null.
  tgvRecordHost_I* GetDatabase() const;
  // The id (while deleted, the id word holds the free-list link instead).
  uint32_t GetId() const { return m_id; }
  bool IsDeleted() const { return m_deleted != 0; }
  uint8_t GetUserFlag() const { return m_userFlag; }
  // Stored as fUserFlag by TypeD and ValD; memory only for other kinds.
  bool SetUserFlag(uint8_t flag, uint8_t mark);

  // Writes the row through the database manager; true when there is no open
  // manager (nothing to write), false when the write failed.
  bool Save();

  // The name of kinds that have one (null for the others).
  const char16_t* GetName() const;
  // Pools the text and sets the name (written at once when mark is set);
  // false for kinds without a name.
  bool SetName(const char16_t* text, uint8_t mark = 1);

  // The open database manager of the record; null when none is registered
  // under its slot or it is not open.
  tgvDatabase_C* GetManager() const;
  // The record's PropText "tgvAnnotate": an empty or null text deletes it,
  // otherwise it is set (saved) or created. False when that failed.
  bool SetAnnotation(const char16_t* text);

  // --- object operations ---
  // The record's PropText of the name: set (saved) or created; a null text
  // deletes it. The text of one, or null.
  bool SetPropText(const char16_t* name, const char16_t* text);
  const char16_t* GetPropText(const char16_t* name) const;
  // The record's PropInt of the name: set (saved) or created / read.
  bool SetPropInt(const char16_t* name, int32_t value);
  bool GetPropInt(const char16_t* name, int32_t* value) const;
  // Photo references: PropTexts "flickrID", "flickrSrc" / "fbID", "fbSrc", "fbThumb".
  bool SetFlickrRef(const char16_t* id, const char16_t* source);
  bool SetFacebookRef(const char16_t* id, const char16_t* source, const char16_t* thumbnail);
  // Removes the record's style links, and each style no other record links to.
  bool RemoveStyle();

  // --- used by the record store ---
  void StampHeader(uint32_t regSlot, uint8_t userType, uint32_t id) {
    m_regSlot = regSlot;
    m_userType = userType;
    m_id = id;
  }
  void SetIdWord(uint32_t word) { m_id = word; }
  void SetDeletedFlag(uint8_t deleted) { m_deleted = deleted; }

 protected:
  friend struct tgvSchemaAccess;

  // Setters hold the database's record lock, so that a change and its
  // write-through are one step for other threads.
  template <class T>
  bool Assign(T& field, T value, uint8_t mark) {
    tgvHostLock lock(GetDatabase());
    if (field == value) return true;
    field = value;
    return mark ? Save() : true;
  }
  // The same for a link column (start or end of a link row, owner of a
  // property): the database is told, so that its link index follows.
  template <class T>
  bool AssignLink(T& field, T value, uint8_t mark) {
    tgvRecordHost_I* host = GetDatabase();
    tgvHostLock lock(host);
    if (field == value) return true;
    field = value;
    if (host) host->OnLinkChanged(this);
    return mark ? Save() : true;
  }
  bool AssignText(const char16_t*& field, const char16_t* text, uint8_t mark);

  // The id index is an exact array, so the header needs no chain link.
  uint32_t m_regSlot;  // registry slot of the owning database, 0 = none
  uint8_t m_userFlag;
  uint8_t m_userType;  // 1..19
  uint8_t m_deleted;   // 0 live, 1 deleted
  uint32_t m_id;       // fID (free-list link while deleted)
};

// Kind 1: a type definition (TypeD).
class tgvType_C : public tgvRecord_C {
 public:
  const char16_t* GetName() const { return m_name; }
  const char16_t* GetIcon() const { return m_icon; }
  bool SetIcon(const char16_t* text, uint8_t mark = 1) { return AssignText(m_icon, text, mark); }
  uint32_t GetParentID() const { return m_parentId; }
  bool SetParentID(uint32_t v, uint8_t mark) { return Assign(m_parentId, v, mark); }
  uint32_t GetValID() const { return m_valId; }
  bool SetValID(uint32_t v, uint8_t mark) { return Assign(m_valId, v, mark); }
  int32_t GetOrder() const { return m_order; }
  bool SetOrder(int32_t v, uint8_t mark) { return Assign(m_order, v, mark); }
  uint32_t GetVStyleID() const { return m_styleId; }
  bool SetVStyleID(uint32_t v, uint8_t mark) { return Assign(m_styleId, v, mark); }

  // A new type; name and icon are required. Object type 0 takes the
  // parent's. With an insert-after sibling the new type is ordered right
  // after it (siblings renumbered 1, 2, ...), otherwise it comes last.
  static tgvType_C* Create(tgvDatabase_C* db, const char16_t* name, const char16_t* icon, tgvType_C* parent,
                           tgvType_C* insertAfter, uint8_t objType, bool system);
  tgvType_C* GetParent() const;
  // The user type of the objects the type classifies (9 POI, 11 line, 16 attachment).
  uint8_t GetObjType() const { return m_userFlag & 0x7F; }
  bool IsSystem() const { return (m_userFlag & 0x80) != 0; }
  // Child types by fOrder; POIs, lines and attachments of the type by id.
  uint32_t GetChildren(PtrList_C* list) const;
  uint32_t GetPOIs(PtrList_C* list) const;
  uint32_t GetLines(PtrList_C* list) const;
  uint32_t GetVPs(PtrList_C* list) const;
  // Proper ancestry; false for null. Walks stop after as many steps as
  // there are types, so a cycle in a file ends the walk.
  bool IsDescendantOf(const tgvType_C* other) const;
  bool IsAncestorOf(const tgvType_C* other) const;
  // The type's own definitions along its chain; with inherited ones, those
  // of every ancestor first (root first, each in id order).
  uint32_t GetValueDefs(PtrList_C* list, bool withInherited) const;
  // Orders the type right after a sibling, or first without one.
  bool MoveAfter(tgvType_C* after);
  // Deletes the type's objects (or, without deleteObjects, their values,
  // and moves them to the surviving ancestor), its definitions, its child
  // types (their objects moved to the surviving ancestor), its properties
  // and the type. Objects are deleted as their own Delete does.
  bool Delete(bool deleteObjects);

 protected:
  friend struct tgvSchemaAccess;
  const char16_t* m_name;
  uintptr_t m_memWord;
  const char16_t* m_icon;
  uint32_t m_parentId;
  uint32_t m_valId;
  int32_t m_order;
  uint32_t m_styleId;
};

// Kind 2: a tag or file definition (TagD, FileD).
class tgvTagDef_C : public tgvRecord_C {
 public:
  const char16_t* GetName() const { return m_name; }
  uint8_t GetObjType() const { return m_objType; }
  bool SetObjType(uint8_t v, uint8_t mark) { return Assign(m_objType, v, mark); }
  const char16_t* GetDescription() const { return m_description; }
  bool SetDescription(const char16_t* text, uint8_t mark = 1) { return AssignText(m_description, text, mark); }
  const char16_t* GetUserText() const { return m_userText; }
  bool SetUserText(const char16_t* text, uint8_t mark = 1) { return AssignText(m_userText, text, mark); }

  // --- object operations ---
  // A tag (TagD) with its PropTexts "_CAShowName" and "_CAAppStr" when given.
  static tgvTagDef_C* CreateTag(tgvDatabase_C* db, const char16_t* name, const char16_t* showName,
                                const char16_t* appString);
  // A file definition (FileD).
  static tgvTagDef_C* CreateFileDef(tgvDatabase_C* db, const char16_t* name, const char16_t* description,
                                    uint8_t objType, const char16_t* userText);
  // Links an object to the definition (an NTag row for a tag, an FTag row
  // for a file definition) unless it is linked already.
  bool LinkObject(const tgvRecord_C* object);
  // Deletes the links of one object, or of every object for null.
  bool UnlinkObject(const tgvRecord_C* object);
  // The POIs linked to the definition, by link id.
  uint32_t GetLinkedPOIs(PtrList_C* list) const;
  // A tag's display name and application string (PropTexts); null when not set.
  const char16_t* GetShowName() const { return GetPropText(u"_CAShowName"); }
  bool SetShowName(const char16_t* text) { return SetPropText(u"_CAShowName", text); }
  bool HasShowName() const { return GetShowName() != nullptr; }
  const char16_t* GetAppString() const { return GetPropText(u"_CAAppStr"); }
  bool SetAppString(const char16_t* text) { return SetPropText(u"_CAAppStr", text); }
  // Deletes its links, its properties and the record.
  bool Delete();

 protected:
  friend struct tgvSchemaAccess;
  const char16_t* m_name;
  uintptr_t m_memWord;
  uint8_t m_objType;
  const char16_t* m_description;
  const char16_t* m_userText;
};

// Kind 3: a value (attribute) definition of a type (ValD).
class tgvValueDef_C : public tgvRecord_C {
 public:
  const char16_t* GetName() const { return m_name; }
  uint8_t GetValueType() const { return m_valueType; }
  bool SetValueType(uint8_t v, uint8_t mark) { return Assign(m_valueType, v, mark); }
  uint32_t GetParentID() const { return m_parentId; }
  bool SetParentID(uint32_t v, uint8_t mark) { return Assign(m_parentId, v, mark); }
  uint32_t GetNextID() const { return m_nextId; }
  bool SetNextID(uint32_t v, uint8_t mark) { return Assign(m_nextId, v, mark); }
  uint32_t GetPrevID() const { return m_prevId; }
  bool SetPrevID(uint32_t v, uint8_t mark) { return Assign(m_prevId, v, mark); }

  // Appended to the type's chain (after insertAfter when given); user flag
  // 128 for a system definition.
  static tgvValueDef_C* Create(tgvDatabase_C* db, const char16_t* name, tgvType_C* type, uint8_t valueType,
                               tgvValueDef_C* insertAfter, bool system);
  tgvType_C* GetType() const;
  bool IsSystem() const { return m_userFlag == 0x80; }
  // The same record, or the same value type and the same (pooled) name.
  bool SameAs(const tgvValueDef_C* other) const;
  // The live value of this definition for an object: lowest id first.
  tgvVal_C* FindPOIValue(const tgvRecord_C* poi) const;
  tgvVal_C* FindLineValue(const tgvRecord_C* line) const;
  tgvVal_C* FindVPValue(const tgvRecord_C* vp) const;
  // Moves the definition after another of its type, or first without one.
  bool MoveAfter(tgvValueDef_C* after);
  // Deletes its values, unlinks it from its type's chain and deletes it.
  bool Delete();

 protected:
  friend struct tgvSchemaAccess;
  const char16_t* m_name;
  uintptr_t m_memWord;
  uint8_t m_valueType;  // fObjType
  uint32_t m_parentId;
  uint32_t m_nextId;
  uint32_t m_prevId;
};

// Kind 4: a link row (NTag, FTag, VSTag) from a start object to an end object.
class tgvLink_C : public tgvRecord_C {
 public:
  uint8_t GetStartType() const { return m_startType; }
  bool SetStartType(uint8_t v, uint8_t mark) { return AssignLink(m_startType, v, mark); }
  uint8_t GetEndType() const { return m_endType; }
  bool SetEndType(uint8_t v, uint8_t mark) { return AssignLink(m_endType, v, mark); }
  uint32_t GetStartID() const { return m_startId; }
  bool SetStartID(uint32_t v, uint8_t mark) { return AssignLink(m_startId, v, mark); }
  uint32_t GetEndID() const { return m_endId; }
  bool SetEndID(uint32_t v, uint8_t mark) { return AssignLink(m_endId, v, mark); }

  // --- object operations ---
  // Moves an end of the link to another record (written); a null record
  // deletes the link.
  bool SetStart(const tgvRecord_C* object);
  bool SetEnd(const tgvRecord_C* object);
  // The POI at the start and the tag at the end of a tag link, or null.
  tgvPOI_C* GetPOI() const;
  tgvTagDef_C* GetTag() const;
  bool Delete();

 protected:
  friend struct tgvSchemaAccess;
  uint8_t m_startType;
  uint8_t m_endType;
  uint32_t m_startId;
  uint32_t m_endId;
};

// Kind 5: an attribute value (Val): a link row with a text.
class tgvVal_C : public tgvRecord_C {
 public:
  uint8_t GetStartType() const { return m_startType; }
  bool SetStartType(uint8_t v, uint8_t mark) { return AssignLink(m_startType, v, mark); }
  uint8_t GetEndType() const { return m_endType; }
  bool SetEndType(uint8_t v, uint8_t mark) { return AssignLink(m_endType, v, mark); }
  uint32_t GetStartID() const { return m_startId; }
  bool SetStartID(uint32_t v, uint8_t mark) { return AssignLink(m_startId, v, mark); }
  uint32_t GetEndID() const { return m_endId; }
  bool SetEndID(uint32_t v, uint8_t mark) { return AssignLink(m_endId, v, mark); }
  const char16_t* GetValue() const { return m_value; }
  bool SetValue(const char16_t* text, uint8_t mark = 1) { return AssignText(m_value, text, mark); }

  // A value of the object for the definition; null unless all are given.
  static tgvVal_C* Create(tgvDatabase_C* db, const char16_t* text, const tgvRecord_C* object,
                          const tgvValueDef_C* definition);
  bool SetDefinition(const tgvValueDef_C* definition);
  tgvRecord_C* GetObject() const;
  tgvValueDef_C* GetDefinition() const;
  bool Delete();

 protected:
  friend struct tgvSchemaAccess;
  uint8_t m_startType;
  uint8_t m_endType;
  uint32_t m_startId;
  uint32_t m_endId;
  const char16_t* m_value;
};

// Kind 6: a control point of a map (CP).
class tgvControlPoint_C : public tgvRecord_C {
 public:
  const char16_t* GetName() const { return m_name; }
  uint32_t GetParentID() const { return m_parentId; }
  bool SetParentID(uint32_t v, uint8_t mark) { return Assign(m_parentId, v, mark); }
  int32_t GetPosX() const { return m_posX; }
  bool SetPosX(int32_t v, uint8_t mark) { return Assign(m_posX, v, mark); }
  int32_t GetPosY() const { return m_posY; }
  bool SetPosY(int32_t v, uint8_t mark) { return Assign(m_posY, v, mark); }
  double GetLongitude() const { return m_longitude; }
  bool SetLongitude(double v, uint8_t mark) { return Assign(m_longitude, v, mark); }
  double GetLatitude() const { return m_latitude; }
  bool SetLatitude(double v, uint8_t mark) { return Assign(m_latitude, v, mark); }

  // --- object operations ---
  static tgvControlPoint_C* Create(tgvDatabase_C* db, const char16_t* name, const tgvMap_C* map,
                                   const IntPoint_C& pixel, const GeoPoint_C& position);
  bool Delete();
  // Pixel point and position together; one write when any changed.
  bool SetPoints(const IntPoint_C& pixel, const GeoPoint_C& position);
  tgvMap_C* GetMap() const;
  IntPoint_C GetPixel() const { return IntPoint_C(m_posX, m_posY); }
  GeoPoint_C GetPosition() const { return GeoPoint_C(m_longitude, m_latitude); }

 protected:
  friend struct tgvSchemaAccess;
  const char16_t* m_name;
  uintptr_t m_memWord;
  uint32_t m_parentId;
  int32_t m_posX;
  int32_t m_posY;
  double m_longitude;
  double m_latitude;
};

// Kind 7: a named point (POI). The map point is held as two integers; the
// file keeps them in DOUBLE columns (read truncated toward zero). The header
// user flag of a POI is not stored.
class tgvPOI_C : public tgvRecord_C {
 public:
  const char16_t* GetName() const { return m_name; }
  uint32_t GetTypeID() const { return m_typeId; }
  bool SetTypeID(uint32_t v, uint8_t mark) { return Assign(m_typeId, v, mark); }
  uint32_t GetMapID() const { return m_mapId; }
  bool SetMapID(uint32_t v, uint8_t mark) { return Assign(m_mapId, v, mark); }
  int32_t GetMapLongitude() const { return m_mapLong; }
  bool SetMapLongitude(int32_t v, uint8_t mark) { return Assign(m_mapLong, v, mark); }
  int32_t GetMapLatitude() const { return m_mapLat; }
  bool SetMapLatitude(int32_t v, uint8_t mark) { return Assign(m_mapLat, v, mark); }
  // Both map coordinates; written once when either changed.
  bool SetMapPoint(int32_t lon, int32_t lat, uint8_t mark);
  double GetRealLong() const { return m_realLong; }
  bool SetRealLong(double v, uint8_t mark) { return Assign(m_realLong, v, mark); }
  double GetRealLati() const { return m_realLati; }
  bool SetRealLati(double v, uint8_t mark) { return Assign(m_realLati, v, mark); }
  double GetAltitude() const { return m_altitude; }
  bool SetAltitude(double v, uint8_t mark) { return Assign(m_altitude, v, mark); }
  // Longitude, latitude and altitude; written once when any changed.
  bool SetRealPoint(double lon, double lat, double alt, uint8_t mark);

  // A POI of a type; null without a name or a type. 0x80 marks a system POI.
  static tgvPOI_C* Create(tgvDatabase_C* db, const char16_t* name, const tgvType_C* type, const IntPoint_C& mapPoint,
                          const GeoPoint_C& realPoint, const tgvMap_C* map, bool system);
  // Deletes its style link, values, tag and file links, attachments,
  // properties ("t1"/"t2", the annotation ...) and itself.
  bool Delete();
  // Moves the POI to another type, keeping the values that the new type's
  // definitions (or inherited ones) still give.
  bool SetType(tgvType_C* newType);
  // Deletes its values of one type's own definitions, or all for null.
  bool DeleteValues(const tgvType_C* type);

  // --- object operations ---
  tgvType_C* GetType() const;
  tgvMap_C* GetMap() const;
  tgvStyle_C* GetStyle() const;
  // Values (all, or of one type's own definitions), tag links, file links
  // and attachments of the POI, by id.
  uint32_t GetValues(PtrList_C* list, const tgvType_C* type) const;
  uint32_t GetTagLinks(PtrList_C* list) const;
  uint32_t GetFileLinks(PtrList_C* list) const;
  uint32_t GetVPs(PtrList_C* list) const;
  // The time from the PropInts "t1"/"t2" (written, updating or creating
  // each); without them the GPS sample of the waypoint of the POI's first
  // attachment. False without either.
  bool SetTime(uint32_t t1, uint32_t t2);
  bool GetTime(uint32_t* t1, uint32_t* t2) const;

 protected:
  friend struct tgvSchemaAccess;
  const char16_t* m_name;
  uintptr_t m_memWord;
  uint32_t m_typeId;
  uint32_t m_mapId;
  int32_t m_mapLong;
  int32_t m_mapLat;
  double m_realLong;
  double m_realLati;
  double m_altitude;
};

// Kind 8: a track point of a line (WP).
class tgvWayPoint_C : public tgvRecord_C {
 public:
  uint32_t GetParentID() const { return m_parentId; }
  bool SetParentID(uint32_t v, uint8_t mark) { return Assign(m_parentId, v, mark); }
  uint32_t GetNextID() const { return m_nextId; }
  bool SetNextID(uint32_t v, uint8_t mark) { return Assign(m_nextId, v, mark); }
  uint32_t GetGPSLogID() const { return m_gpsLogId; }
  bool SetGPSLogID(uint32_t v, uint8_t mark) { return Assign(m_gpsLogId, v, mark); }
  uint32_t GetMapID() const { return m_mapId; }
  bool SetMapID(uint32_t v, uint8_t mark) { return Assign(m_mapId, v, mark); }
  int32_t GetPosX() const { return m_posX; }
  bool SetPosX(int32_t v, uint8_t mark) { return Assign(m_posX, v, mark); }
  int32_t GetPosY() const { return m_posY; }
  bool SetPosY(int32_t v, uint8_t mark) { return Assign(m_posY, v, mark); }
  double GetLongitude() const { return m_longitude; }
  bool SetLongitude(double v, uint8_t mark) { return Assign(m_longitude, v, mark); }
  double GetLatitude() const { return m_latitude; }
  bool SetLatitude(double v, uint8_t mark) { return Assign(m_latitude, v, mark); }
  double GetAltitude() const { return m_altitude; }
  bool SetAltitude(double v, uint8_t mark) { return Assign(m_altitude, v, mark); }
  // fOrder; a negative value carries a lap mark.
  int32_t GetOrder() const { return m_order; }
  bool SetOrder(int32_t v, uint8_t mark) { return Assign(m_order, v, mark); }
  double GetTemperature() const { return m_temperature; }
  bool SetTemperature(double v, uint8_t mark) { return Assign(m_temperature, v, mark); }
  double GetMBar() const { return m_mbar; }
  bool SetMBar(double v, uint8_t mark) { return Assign(m_mbar, v, mark); }
  double GetBPM() const { return m_bpm; }
  bool SetBPM(double v, uint8_t mark) { return Assign(m_bpm, v, mark); }
  double GetRPM() const { return m_rpm; }
  bool SetRPM(double v, uint8_t mark) { return Assign(m_rpm, v, mark); }
  double GetMBarAlti() const { return m_mbarAlti; }
  bool SetMBarAlti(double v, uint8_t mark) { return Assign(m_mbarAlti, v, mark); }
  double GetRPMSpeed() const { return m_rpmSpeed; }
  bool SetRPMSpeed(double v, uint8_t mark) { return Assign(m_rpmSpeed, v, mark); }

  // Memory only. The display level (-1 = not shown at any level); the raw
  // double holds the simplification deviation while levels are computed.
  int GetLevel() const;
  void SetLevel(int level) { m_level = static_cast<double>(level); }
  double GetLevelValue() const { return m_level; }
  void SetLevelValue(double v) { m_level = v; }
  // Memory only: the segment group that holds the point.
  tgvGroup_C* GetSegment() const { return m_segment; }
  void SetSegment(tgvGroup_C* g) { m_segment = g; }

  // A level outside 0..17 means any level.
  static constexpr int kAnyLevel = -2;
  tgvLine_C* GetLine() const;
  tgvMap_C* GetMap() const;
  // The next point (at most level L: the first after it whose level is not
  // -1 and at most L); null at the end of the line.
  tgvWayPoint_C* GetNext(int level = kAnyLevel) const;
  // The point before it (at most level L); null for the first point.
  tgvWayPoint_C* GetPrev(int level = kAnyLevel) const;
  GeoPoint_C GetGeoPoint() const { return GeoPoint_C(m_longitude, m_latitude, m_altitude); }
  IntPoint_C GetIntPoint() const { return IntPoint_C(m_posX, m_posY); }
  // From the point's GPS sample; false without one.
  bool GetLogTimeSpeed(uint32_t* time1, uint32_t* time2, double* speed) const;
  // False without a sample, or when all three values are 0.0.
  bool GetGSensor(double* x, double* y, double* z) const;
  // The lap number of a lap point (fOrder < 0), else 0.
  uint32_t GetLapID() const;
  bool IsLapStart() const;
  // The attachments of the point: the first run of its line's chain that
  // belongs to it.
  uint32_t GetVPs(PtrList_C* list) const;
  tgvVP_C* GetFirstVP() const;
  // Deletes the point's GPS sample and the point, without relinking.
  bool DeleteWithLog(tgvDatabase_C* db);

 protected:
  friend struct tgvSchemaAccess;
  uint32_t m_parentId;
  uint32_t m_nextId;
  uint32_t m_gpsLogId;
  uint32_t m_mapId;
  int32_t m_posX;
  int32_t m_posY;
  double m_longitude;
  double m_latitude;
  double m_altitude;
  int32_t m_order;
  double m_temperature;
  double m_mbar;
  double m_bpm;
  double m_rpm;
  double m_mbarAlti;
  double m_rpmSpeed;
  double m_level;
  tgvGroup_C* m_segment;
};

// Kind 9: a track or route (Line). In memory the is-group flag precedes the
// type id; the columns have fTypeID first.
class tgvLine_C : public tgvRecord_C {
 public:
  const char16_t* GetName() const { return m_name; }
  // Memory only: the line's segment group (not owned by the record).
  tgvGroup_C* GetGroup() const { return m_group; }
  void SetGroup(tgvGroup_C* g) { m_group = g; }
  uint8_t GetIsGroup() const { return m_isGroup; }
  bool SetIsGroup(uint8_t v, uint8_t mark) { return Assign(m_isGroup, v, mark); }
  uint32_t GetTypeID() const { return m_typeId; }
  bool SetTypeID(uint32_t v, uint8_t mark) { return Assign(m_typeId, v, mark); }
  uint32_t GetParentID() const { return m_parentId; }
  bool SetParentID(uint32_t v, uint8_t mark) { return Assign(m_parentId, v, mark); }
  uint32_t GetVPID() const { return m_vpId; }
  bool SetVPID(uint32_t v, uint8_t mark) { return Assign(m_vpId, v, mark); }
  uint32_t GetStartID() const { return m_startId; }
  bool SetStartID(uint32_t v, uint8_t mark) { return Assign(m_startId, v, mark); }
  uint32_t GetEndID() const { return m_endId; }
  bool SetEndID(uint32_t v, uint8_t mark) { return Assign(m_endId, v, mark); }
  uint32_t Get1stWPID() const { return m_firstWpId; }
  bool Set1stWPID(uint32_t v, uint8_t mark) { return Assign(m_firstWpId, v, mark); }
  uint32_t GetLstWPID() const { return m_lastWpId; }
  bool SetLstWPID(uint32_t v, uint8_t mark) { return Assign(m_lastWpId, v, mark); }
  uint32_t GetMapID() const { return m_mapId; }
  bool SetMapID(uint32_t v, uint8_t mark) { return Assign(m_mapId, v, mark); }

  // Memory only, set when levels are computed: which sensor values the
  // line's points carry.
  bool HasBaroAltitude() const { return m_hasBaroAlt != 0; }
  bool HasRPM() const { return m_hasRpm != 0; }
  bool HasRPMSpeed() const { return m_hasRpmSpeed != 0; }
  bool HasHeartRate() const { return m_hasHeartRate != 0; }
  void SetSensorFlags(bool baroAlt, bool rpm, bool rpmSpeed, bool heartRate) {
    m_hasBaroAlt = baroAlt;
    m_hasRpm = rpm;
    m_hasRpmSpeed = rpmSpeed;
    m_hasHeartRate = heartRate;
  }

  // --- line operations (see tgvLine.h) ---
  // A line of a type (required) on a map (the root map for null), a child
  // of a parent line when given; its group is made and its row written.
  static tgvLine_C* Create(tgvDocument_C* doc, const char16_t* name, const tgvType_C* type, const tgvMap_C* map,
                           tgvLine_C* parent, bool isGroup);
  tgvType_C* GetType() const;
  tgvMap_C* GetMap() const;
  tgvWayPoint_C* GetFirstPoint() const;
  tgvWayPoint_C* GetLastPoint() const;
  tgvVP_C* GetFirstVP() const;
  tgvVP_C* GetLastVP() const;
  tgvVP_C* GetVP() const;
  tgvLine_C* GetParentLine() const;
  bool IsGroup() const { return m_isGroup == 1; }
  uint32_t GetChildLines(PtrList_C* list) const;
  // Attachments whose line is this one, by fOrder.
  uint32_t GetVPs(PtrList_C* list) const;
  // Values of the line; with a type only those of that type's own definitions.
  uint32_t GetValues(PtrList_C* list, const tgvType_C* type) const;
  bool DeleteValues(const tgvType_C* type);
  tgvStyle_C* GetStyle() const;
  // Moves the line to another type, keeping the values the new type can hold.
  bool SetType(tgvType_C* type);

  // A new point after the last one, on the line's map, with a GPS-log
  // record when a sample is given; segments follow. Null when a record
  // could not be written (nothing is left behind then).
  tgvWayPoint_C* AppendPoint(const GeoPoint_C& position, const IntPoint_C& pixel, int32_t order,
                             const tgvWayPointSensors& sensors, const tgvGPSSample* sample);

  // Segments: runs of up to 512 points, neighbours sharing their boundary point.
  tgvGroup_C* GetFirstSegment() const;
  uint32_t GetPointCount() const;
  void BuildSegments();
  void ClearSegments();
  // 0 when the point has no segment, 2 when it is its segment's first point
  // and a segment comes before (it is also that segment's last), else 1.
  int FindSegment(const tgvWayPoint_C* point) const;
  // Keep the segments in step when a point was linked after `after` / is
  // about to be unlinked.
  bool InsertPoint(tgvWayPoint_C* point, tgvWayPoint_C* after);
  bool RemovePoint(tgvWayPoint_C* point);
  // Boxes of the segments that are not valid, then of the line; the
  // validity of the lon/lat box.
  bool ComputeBoxes();
  bool GetGeoRect(GeoBox_C* box);
  bool GetPixelRect(IntRect_C* rect);
  uint32_t GetSegmentsInBox(PtrList_C* list, const GeoBox_C& box);
  uint32_t GetSegmentsInRect(PtrList_C* list, const IntRect_C& rect);
  // Simplification: gives every point its display level (see tgvLine.h).
  void ComputeLevels(int mode);
  // BuildSegments, then ComputeLevels, from one walk along the points.
  void BuildSegmentsAndLevels(int mode);

  // The first point, the points shown at the level (-1 or a level outside
  // 0..17: all) and the last point; with onMapOnly only those on the
  // line's map.
  uint32_t CollectPoints(PtrList_C* list, bool onMapOnly, int level);
  // km along the line.
  double GetLength();
  double GetLengthTo(const tgvWayPoint_C* point);

  // Start time from the PropInts "t1"/"t2", brought in step with the first
  // point's GPS time (written back); false without both properties.
  bool GetTime(uint32_t* t1, uint32_t* t2);
  bool SetTime(uint32_t t1, uint32_t t2);
  // The last point's GPS time; false without one.
  bool GetEndTime(uint32_t* t1, uint32_t* t2) const;

  // Cuts the line after the point; the rest becomes a new line "<name>-2".
  bool SplitAt(tgvWayPoint_C* point, tgvLine_C** newLine);
  // Joins the lines in time order into the first; the others are deleted
  // and leave the list, which ends holding only the joined line.
  static tgvLine_C* Join(PtrList_C* lines);
  // Deletes the style, attachments (and their POIs when asked), points,
  // child lines, the group and the record. DeleteShell keeps the points'
  // records and the POIs.
  bool Delete(bool deletePOIs);
  bool DeleteShell();

  // Encodings for map pages (see tgvLine.h).
  bool EncodePolyline(UniString_C* points, UniString_C* levels, int shift);
  bool CoordinatesJson(int* count, UniString_C* text, int shift);
  bool PathSampleJson(WStrBuilder_C* builder, int shift);

 protected:
  friend struct tgvSchemaAccess;
  // The bodies of BuildSegments and ComputeLevels over the line's points in
  // chain order; the database lock is held.
  void SegmentChain(tgvDocument_C* doc, tgvWayPoint_C* const* chain, size_t count);
  void LevelChain(tgvWayPoint_C* const* chain, size_t count, int mode);

  const char16_t* m_name;
  tgvGroup_C* m_group;
  uint8_t m_isGroup;
  uint32_t m_typeId;
  uint32_t m_parentId;
  uint32_t m_vpId;
  uint32_t m_startId;
  uint32_t m_endId;
  uint32_t m_firstWpId;
  uint32_t m_lastWpId;
  uint32_t m_mapId;
  uint8_t m_hasBaroAlt;
  uint8_t m_hasRpm;
  uint8_t m_hasRpmSpeed;
  uint8_t m_hasHeartRate;
};

// Kind 16: a map sheet (Map).
class tgvMap_C : public tgvRecord_C {
 public:
  // Corner order of the corner coordinates.
  enum Corner { LeftBottom = 0, LeftTop = 1, RightTop = 2, RightBottom = 3 };

  const char16_t* GetName() const { return m_name; }
  const char16_t* GetFile() const { return m_file; }
  bool SetFile(const char16_t* text, uint8_t mark = 1) { return AssignText(m_file, text, mark); }
  uint32_t GetParentID() const { return m_parentId; }
  bool SetParentID(uint32_t v, uint8_t mark) { return Assign(m_parentId, v, mark); }
  uint8_t GetBeCal() const { return m_beCal; }
  bool SetBeCal(uint8_t v, uint8_t mark) { return Assign(m_beCal, v, mark); }
  uint8_t GetMapGlobal() const { return m_global; }
  bool SetMapGlobal(uint8_t v, uint8_t mark) { return Assign(m_global, v, mark); }
  int32_t GetOrder() const { return m_order; }
  bool SetOrder(int32_t v, uint8_t mark) { return Assign(m_order, v, mark); }
  uint8_t GetMapLevel() const { return m_level; }
  bool SetMapLevel(uint8_t v, uint8_t mark) { return Assign(m_level, v, mark); }
  uint16_t GetMapGSize() const { return m_gridSize; }
  bool SetMapGSize(uint16_t v, uint8_t mark) { return Assign(m_gridSize, v, mark); }
  int32_t GetMapWidth() const { return m_width; }
  bool SetMapWidth(int32_t v, uint8_t mark) { return Assign(m_width, v, mark); }
  int32_t GetMapHeight() const { return m_height; }
  bool SetMapHeight(int32_t v, uint8_t mark) { return Assign(m_height, v, mark); }
  // Corner coordinates; a corner out of 0..3 reads 0.0 and is not set.
  double GetCornerLong(int corner) const;
  double GetCornerLati(int corner) const;
  bool SetCorner(int corner, double lon, double lat, uint8_t mark);

  // --- object operations ---
  // A map under a parent (top level for null), ordered right after a
  // sibling (siblings renumbered 1, 2, ...) or last.
  static tgvMap_C* Create(tgvDatabase_C* db, const char16_t* name, const char16_t* file, const tgvMap_C* parent,
                          tgvMap_C* insertAfter);
  uint32_t GetControlPoints(PtrList_C* list) const;
  uint32_t GetPOIs(PtrList_C* list) const;
  uint32_t GetLines(PtrList_C* list) const;
  bool IsGlobal() const { return m_global == 1; }
  bool IsGlobalOrCalibrated() const { return m_global == 1 || m_beCal == 1; }
  // The box of the four corners.
  GeoBox_C GetBox() const;
  uint32_t GetChildMaps(PtrList_C* list) const;
  // Deletes the map, its control points, child maps and properties; its POIs
  // and lines move to the parent map when the map is calibrated and objects
  // are kept, else they are deleted. Nothing for a global map.
  bool DeleteTree(bool deleteObjects);

 protected:
  friend struct tgvSchemaAccess;
  const char16_t* m_name;
  uintptr_t m_memWord;
  const char16_t* m_file;
  uint32_t m_parentId;
  uint8_t m_beCal;
  uint8_t m_global;
  int32_t m_order;
  uint8_t m_level;
  uint16_t m_gridSize;
  int32_t m_width;
  int32_t m_height;
  double m_lbLong;
  double m_lbLati;
  double m_luLong;
  double m_luLati;
  double m_ruLong;
  double m_ruLati;
  double m_rbLong;
  double m_rbLati;
};

// Kinds 17..19: a named property of an object (PropInt, PropDouble, PropText).
template <class V>
class tgvPropBase_C : public tgvRecord_C {
 public:
  const char16_t* GetName() const { return m_name; }
  uint8_t GetObjType() const { return m_objType; }
  bool SetObjType(uint8_t v, uint8_t mark) { return AssignLink(m_objType, v, mark); }
  uint32_t GetObjID() const { return m_objId; }
  bool SetObjID(uint32_t v, uint8_t mark) { return AssignLink(m_objId, v, mark); }
  // fUserFlag of a property is a word of its own, not the header byte.
  int32_t GetPropFlag() const { return m_propFlag; }
  bool SetPropFlag(int32_t v, uint8_t mark) { return Assign(m_propFlag, v, mark); }

 protected:
  friend struct tgvSchemaAccess;
  const char16_t* m_name;
  uintptr_t m_memWord;
  uint8_t m_objType;
  uint32_t m_objId;
  int32_t m_propFlag;
  V m_value;
};

class tgvPropInt_C : public tgvPropBase_C<int32_t> {
 public:
  int32_t GetValue() const { return m_value; }
  bool SetValue(int32_t v, uint8_t mark) { return Assign(m_value, v, mark); }
};

class tgvPropDouble_C : public tgvPropBase_C<double> {
 public:
  double GetValue() const { return m_value; }
  bool SetValue(double v, uint8_t mark) { return Assign(m_value, v, mark); }
};

class tgvPropText_C : public tgvPropBase_C<const char16_t*> {
 public:
  const char16_t* GetValue() const { return m_value; }
  bool SetValue(const char16_t* text, uint8_t mark = 1) { return AssignText(m_value, text, mark); }
};

// Kind 20: an attachment (view point) of a POI or a waypoint (VP).
class tgvVP_C : public tgvRecord_C {
 public:
  const char16_t* GetName() const { return m_name; }
  uint32_t GetTypeID() const { return m_typeId; }
  bool SetTypeID(uint32_t v, uint8_t mark) { return Assign(m_typeId, v, mark); }
  uint32_t GetParentID() const { return m_parentId; }
  bool SetParentID(uint32_t v, uint8_t mark) { return Assign(m_parentId, v, mark); }
  uint32_t GetPOIID() const { return m_poiId; }
  uint32_t GetWPID() const { return m_wpId; }
  // With clearOther set, setting the POI id clears the waypoint id and the
  // other way round; one write when either word changed.
  bool SetPOIID(uint32_t v, uint8_t clearOther, uint8_t mark);
  bool SetWPID(uint32_t v, uint8_t clearOther, uint8_t mark);
  uint32_t GetVPID() const { return m_vpId; }
  bool SetVPID(uint32_t v, uint8_t mark) { return Assign(m_vpId, v, mark); }
  int32_t GetOrder() const { return m_order; }
  bool SetOrder(int32_t v, uint8_t mark) { return Assign(m_order, v, mark); }

  // --- object operations ---
  // An attachment of a line at a POI or a waypoint, placed in the line's
  // chain after the attachments of the nearest earlier waypoint that has
  // any (first when there is none).
  static tgvVP_C* Create(tgvDatabase_C* db, const char16_t* name, const tgvType_C* type, tgvLine_C* line,
                         const tgvPOI_C* poi, const tgvWayPoint_C* point);
  // Unlinks it from its line's chain, deletes its values, its properties and it.
  bool Delete();
  tgvLine_C* GetLine() const;
  tgvPOI_C* GetPOI() const;
  tgvWayPoint_C* GetWayPoint() const;
  tgvVP_C* GetNext() const;
  tgvType_C* GetType() const;
  // The point of its POI or waypoint.
  IntPoint_C GetIntPoint() const;
  GeoPoint_C GetPosition() const;
  // Moves it within its line's chain right after another attachment of the
  // line, or first without one.
  bool MoveAfter(tgvVP_C* after);
  // Moves it to another type, keeping the values the new type can hold.
  bool SetType(tgvType_C* type);
  bool DeleteValues(const tgvType_C* type);

 protected:
  // Sets one of the two ids, optionally clearing the other; one write at most.
  bool SetLinkId(uint32_t& id, uint32_t& other, uint32_t v, uint8_t clearOther, uint8_t mark);

  friend struct tgvSchemaAccess;
  const char16_t* m_name;
  uintptr_t m_memWord;
  uint32_t m_typeId;
  uint32_t m_parentId;
  uint32_t m_poiId;
  uint32_t m_wpId;
  uint32_t m_vpId;
  int32_t m_order;
};

// Kind 21: a logged GPS sample of a waypoint (GPSLog). The two time words are
// the FILETIME halves, high word first.
class tgvGPSLog_C : public tgvRecord_C {
 public:
  uint32_t GetGPSTime1() const { return m_time1; }
  bool SetGPSTime1(uint32_t v, uint8_t mark) { return Assign(m_time1, v, mark); }
  uint32_t GetGPSTime2() const { return m_time2; }
  bool SetGPSTime2(uint32_t v, uint8_t mark) { return Assign(m_time2, v, mark); }
  // Both words as a record time (first = high word); one write when either changed.
  IntPair_C GetGPSTime() const { return IntPair_C{m_time1, m_time2}; }
  bool SetGPSTime(IntPair_C t, uint8_t mark);
  double GetGPSSpeed() const { return m_speed; }
  bool SetGPSSpeed(double v, uint8_t mark) { return Assign(m_speed, v, mark); }
  double GetGSensorX() const { return m_gx; }
  bool SetGSensorX(double v, uint8_t mark) { return Assign(m_gx, v, mark); }
  double GetGSensorY() const { return m_gy; }
  bool SetGSensorY(double v, uint8_t mark) { return Assign(m_gy, v, mark); }
  double GetGSensorZ() const { return m_gz; }
  bool SetGSensorZ(double v, uint8_t mark) { return Assign(m_gz, v, mark); }

 protected:
  friend struct tgvSchemaAccess;
  uint32_t m_time1;
  uint32_t m_time2;
  double m_speed;
  double m_gx;
  double m_gy;
  double m_gz;
};

// Kind 22: a display style (VStyle). Colours are 0x00BBGGRR words.
class tgvStyle_C : public tgvRecord_C {
 public:
  const char16_t* GetName() const { return m_name; }
  uint8_t GetVSDefineType() const { return m_defineType; }
  bool SetVSDefineType(uint8_t v, uint8_t mark) { return Assign(m_defineType, v, mark); }
  uint16_t GetVSStyleType() const { return m_styleType; }
  bool SetVSStyleType(uint16_t v, uint8_t mark) { return Assign(m_styleType, v, mark); }
  int32_t GetVSPattern() const { return m_pattern; }
  bool SetVSPattern(int32_t v, uint8_t mark) { return Assign(m_pattern, v, mark); }
  bool SetVSPattern(int32_t v) { return Assign(m_pattern, v, 1); }
  int32_t GetVSWidth() const { return m_width; }
  bool SetVSWidth(int32_t v, uint8_t mark) { return Assign(m_width, v, mark); }
  bool SetVSWidth(int32_t v) { return Assign(m_width, v, 1); }
  int32_t GetVSHeight() const { return m_height; }
  bool SetVSHeight(int32_t v, uint8_t mark) { return Assign(m_height, v, mark); }
  uint32_t GetVSFColor() const { return m_fillColor; }
  bool SetVSFColor(uint32_t v, uint8_t mark) { return Assign(m_fillColor, v, mark); }
  uint32_t GetVSBColor() const { return m_backColor; }
  bool SetVSBColor(uint32_t v, uint8_t mark) { return Assign(m_backColor, v, mark); }
  uint32_t GetVSOColor() const { return m_outlineColor; }
  bool SetVSOColor(uint32_t v, uint8_t mark) { return Assign(m_outlineColor, v, mark); }
  int32_t GetVSFontSize() const { return m_fontSize; }
  bool SetVSFontSize(int32_t v, uint8_t mark) { return Assign(m_fontSize, v, mark); }
  const char16_t* GetVSFontName() const { return m_fontName; }
  bool SetVSFontName(const char16_t* text, uint8_t mark = 1) { return AssignText(m_fontName, text, mark); }
  const char16_t* GetVSPatternName() const { return m_patternName; }
  bool SetVSPatternName(const char16_t* text, uint8_t mark = 1) { return AssignText(m_patternName, text, mark); }
  const char16_t* GetVSIconName() const { return m_iconName; }
  bool SetVSIconName(const char16_t* text, uint8_t mark = 1) { return AssignText(m_iconName, text, mark); }

  // --- object operations ---
  // Gives a record its own style "<table>_<id>" (define type = its user
  // type), replacing the one it had; without a record a style "system".
  static tgvStyle_C* CreateOwn(tgvDatabase_C* db, tgvRecord_C* record);
  // Colour words split into bytes; alpha 255.
  void GetFillColor(uint8_t* red, uint8_t* green, uint8_t* blue, uint8_t* alpha) const;
  void GetOutlineColor(uint8_t* red, uint8_t* green, uint8_t* blue, uint8_t* alpha) const;

 protected:
  friend struct tgvSchemaAccess;
  const char16_t* m_name;
  uintptr_t m_memWord;
  uint8_t m_defineType;
  uint16_t m_styleType;
  int32_t m_pattern;
  int32_t m_width;
  int32_t m_height;
  uint32_t m_fillColor;
  uint32_t m_backColor;
  uint32_t m_outlineColor;
  int32_t m_fontSize;
  const char16_t* m_fontName;
  const char16_t* m_patternName;
  const char16_t* m_iconName;
};
