// Operations on the smaller record kinds: named properties, POI times and
// styles, maps, attachments, display styles, tags and file definitions.
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvRecord.h"
#include "trackdb/tgvRecordList.h"

namespace {

using DbLock = std::unique_lock<std::recursive_mutex>;

void SplitColor(uint32_t word, uint8_t* red, uint8_t* green, uint8_t* blue, uint8_t* alpha) {
  if (red) *red = static_cast<uint8_t>(word & 0xFF);
  if (green) *green = static_cast<uint8_t>((word >> 8) & 0xFF);
  if (blue) *blue = static_cast<uint8_t>((word >> 16) & 0xFF);
  if (alpha) *alpha = 255;
}

// The link table of a definition: NTag rows for tags, FTag rows for files.
uint8_t LinkTypeOf(const tgvRecord_C* def) { return def->GetUserType() == tgvUT_TagD ? tgvUT_NTag : tgvUT_FTag; }

}  // namespace

// --- properties ---

bool tgvRecord_C::SetPropText(const char16_t* name, const char16_t* text) {
  tgvDatabase_C* db = GetManager();
  if (!db || !name) return false;
  DbLock lock = db->Lock();
  auto* prop = static_cast<tgvPropText_C*>(db->FindProperty(tgvUT_PropText, this, name));
  if (!text) return prop ? db->DeleteRecord(prop, false) : true;
  if (prop) return prop->SetValue(text);
  return db->CreatePropText(tgvUT_PropText, name, this, text, 0) != nullptr;
}

const char16_t* tgvRecord_C::GetPropText(const char16_t* name) const {
  tgvDatabase_C* db = GetManager();
  if (!db || !name) return nullptr;
  auto* prop = static_cast<tgvPropText_C*>(db->FindProperty(tgvUT_PropText, this, name));
  return prop ? prop->GetValue() : nullptr;
}

bool tgvRecord_C::SetPropInt(const char16_t* name, int32_t value) {
  tgvDatabase_C* db = GetManager();
  if (!db || !name) return false;
  DbLock lock = db->Lock();
  auto* prop = static_cast<tgvPropInt_C*>(db->FindProperty(tgvUT_PropInt, this, name));
  if (prop) return prop->SetValue(value, 1);
  return db->CreatePropInt(tgvUT_PropInt, name, this, value, 0) != nullptr;
}

bool tgvRecord_C::GetPropInt(const char16_t* name, int32_t* value) const {
  tgvDatabase_C* db = GetManager();
  if (!db || !name) return false;
  auto* prop = static_cast<tgvPropInt_C*>(db->FindProperty(tgvUT_PropInt, this, name));
  if (!prop) return false;
  if (value) *value = prop->GetValue();
  return true;
}

bool tgvRecord_C::SetFlickrRef(const char16_t* id, const char16_t* source) {
  const bool a = SetPropText(u"flickrID", id);
  return SetPropText(u"flickrSrc", source) && a;
}

bool tgvRecord_C::SetFacebookRef(const char16_t* id, const char16_t* source, const char16_t* thumbnail) {
  const bool a = SetPropText(u"fbID", id);
  const bool b = SetPropText(u"fbSrc", source);
  return SetPropText(u"fbThumb", thumbnail) && a && b;
}

// --- POIs ---

tgvType_C* tgvPOI_C::GetType() const { return tgvLive<tgvType_C>(GetManager(), tgvUT_TypeD, m_typeId); }

tgvMap_C* tgvPOI_C::GetMap() const { return tgvLive<tgvMap_C>(GetManager(), tgvUT_Map, m_mapId); }

tgvStyle_C* tgvPOI_C::GetStyle() const {
  tgvDatabase_C* db = GetManager();
  tgvDocument_C* doc = db ? db->GetOwner() : nullptr;
  return doc ? doc->GetStyleOf(this) : nullptr;
}

bool tgvPOI_C::SetTime(uint32_t t1, uint32_t t2) {
  const bool a = SetPropInt(u"t1", static_cast<int32_t>(t1));
  return SetPropInt(u"t2", static_cast<int32_t>(t2)) && a;
}

bool tgvPOI_C::GetTime(uint32_t* t1, uint32_t* t2) const {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  int32_t v1 = 0, v2 = 0;
  if (GetPropInt(u"t1", &v1) && GetPropInt(u"t2", &v2)) {
    if (t1) *t1 = static_cast<uint32_t>(v1);
    if (t2) *t2 = static_cast<uint32_t>(v2);
    return true;
  }
  PtrList_C vps;
  if (!db->SelectByOwner(&vps, tgvUT_VP, tgvUT_POI, m_id)) return false;
  const auto* vp = static_cast<tgvVP_C*>(vps.RemoveHead());
  const auto* wp = tgvLive<tgvWayPoint_C>(db, tgvUT_WP, vp->GetWPID());
  return wp && wp->GetLogTimeSpeed(t1, t2, nullptr);
}

// --- maps ---

GeoBox_C tgvMap_C::GetBox() const {
  return GeoBox_C(m_lbLong, m_lbLati, m_luLong, m_luLati, m_ruLong, m_ruLati, m_rbLong, m_rbLati);
}

uint32_t tgvMap_C::GetChildMaps(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  return db && list ? db->SelectByOwner(list, tgvUT_Map, tgvUT_Map, m_id) : 0;
}

namespace {

// A map already on the path (a parent cycle in a file) is not entered
// again, and depth bounds the recursion.
bool DeleteMapTree(tgvDatabase_C* db, tgvMap_C* map, bool deleteObjects, uint32_t depth,
                   std::unordered_set<uint32_t>& path) {
  if (!map || depth == 0) return false;
  if (map->IsGlobal() || !path.insert(map->GetId()).second) return true;
  bool ok = true;
  PtrList_C cps;
  db->SelectByOwner(&cps, tgvUT_CP, tgvUT_Map, map->GetId());
  for (tgvRecord_C* r : tgvItems(cps)) ok = db->DeleteRecord(r, false) && ok;
  auto* parent = tgvLive<tgvMap_C>(db, tgvUT_Map, map->GetParentID());
  const bool move = !deleteObjects && map->GetBeCal() == 1 && parent;
  PtrList_C pois;
  db->SearchPOIs(&pois, tgvUT_POI, nullptr, nullptr, map->GetId(), nullptr);
  for (tgvRecord_C* r : tgvItems(pois)) {
    auto* poi = static_cast<tgvPOI_C*>(r);
    ok = (move ? poi->SetMapID(parent->GetId(), 1) : poi->Delete()) && ok;
  }
  PtrList_C lines;
  db->SearchLines(&lines, tgvUT_Line, 0, 0, false, map->GetId(), nullptr);
  for (tgvRecord_C* r : tgvItems(lines)) {
    auto* line = static_cast<tgvLine_C*>(r);
    if (line->IsDeleted()) continue;  // gone with a group line deleted before it
    ok = (move ? line->SetMapID(parent->GetId(), 1) : line->Delete(false)) && ok;
  }
  PtrList_C children;
  map->GetChildMaps(&children);
  for (tgvRecord_C* r : tgvItems(children)) {
    if (!r->IsDeleted()) ok = DeleteMapTree(db, static_cast<tgvMap_C*>(r), deleteObjects, depth - 1, path) && ok;
  }
  ok = db->DeleteProperties(map) && ok;
  return db->DeleteRecord(map, false) && ok;
}

}  // namespace

bool tgvMap_C::DeleteTree(bool deleteObjects) {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  std::unordered_set<uint32_t> path;
  return DeleteMapTree(db, this, deleteObjects, db->GetObjectCount(tgvUT_Map) + 1, path);
}

// --- attachments ---

tgvVP_C* tgvVP_C::Create(tgvDatabase_C* db, const char16_t* name, const tgvType_C* type, tgvLine_C* line,
                         const tgvPOI_C* poi, const tgvWayPoint_C* point) {
  if (!db || !line || line->GetManager() != db) return nullptr;
  DbLock lock = db->Lock();
  // The last attachment of each waypoint along the line's chain.
  std::unordered_map<uint32_t, tgvVP_C*> lastOfPoint;
  auto* vp = tgvLive<tgvVP_C>(db, tgvUT_VP, line->GetStartID());
  for (uint32_t steps = db->GetObjectCount(tgvUT_VP); vp && steps; --steps) {
    if (vp->GetWPID()) lastOfPoint[vp->GetWPID()] = vp;
    vp = tgvLive<tgvVP_C>(db, tgvUT_VP, vp->GetVPID());
  }
  tgvVP_C* after = nullptr;
  if (point) {
    const tgvWayPoint_C* p = point->GetPrev();
    for (uint32_t steps = db->GetObjectCount(tgvUT_WP); p && !after && steps; --steps, p = p->GetPrev()) {
      auto it = lastOfPoint.find(p->GetId());
      if (it != lastOfPoint.end()) after = it->second;
    }
  }
  const uint32_t next = after ? after->GetVPID() : line->GetStartID();
  tgvVP_C* created = db->CreateVP(tgvUT_VP, name, 0, type ? type->GetId() : 0, line->GetId(), poi ? poi->GetId() : 0,
                                  point ? point->GetId() : 0, next);
  if (!created) return nullptr;
  if (after)
    after->SetVPID(created->GetId(), 1);
  else
    line->SetStartID(created->GetId(), 1);
  if (!next) line->SetEndID(created->GetId(), 1);
  return created;
}

tgvLine_C* tgvVP_C::GetLine() const { return tgvLive<tgvLine_C>(GetManager(), tgvUT_Line, m_parentId); }

tgvPOI_C* tgvVP_C::GetPOI() const { return tgvLive<tgvPOI_C>(GetManager(), tgvUT_POI, m_poiId); }

tgvWayPoint_C* tgvVP_C::GetWayPoint() const { return tgvLive<tgvWayPoint_C>(GetManager(), tgvUT_WP, m_wpId); }

tgvVP_C* tgvVP_C::GetNext() const { return tgvLive<tgvVP_C>(GetManager(), tgvUT_VP, m_vpId); }

// --- styles ---

tgvStyle_C* tgvStyle_C::CreateOwn(tgvDatabase_C* db, tgvRecord_C* record) {
  if (!db) return nullptr;
  DbLock lock = db->Lock();
  UniString_C name(u"system");
  uint8_t defineType = 0;
  if (record) {
    if (record->GetManager() != db) return nullptr;
    record->RemoveStyle();
    const char16_t* table = db->GetTableName(record->GetUserType());
    if (!table) return nullptr;
    name.Format(u"%s_%d", table, static_cast<int>(record->GetId()));
    defineType = record->GetUserType();
  }
  tgvStyle_C* style =
      db->CreateStyle(tgvUT_VStyle, name.GetText(), defineType, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr);
  if (!style || !record) return style;
  if (!db->CreateLink(tgvUT_VSTag, record, style)) {
    db->DeleteRecord(style, false);
    return nullptr;
  }
  return style;
}

void tgvStyle_C::GetFillColor(uint8_t* red, uint8_t* green, uint8_t* blue, uint8_t* alpha) const {
  SplitColor(m_fillColor, red, green, blue, alpha);
}

void tgvStyle_C::GetOutlineColor(uint8_t* red, uint8_t* green, uint8_t* blue, uint8_t* alpha) const {
  SplitColor(m_outlineColor, red, green, blue, alpha);
}

// --- tags and file definitions ---

tgvTagDef_C* tgvTagDef_C::CreateTag(tgvDatabase_C* db, const char16_t* name, const char16_t* showName,
                                    const char16_t* appString) {
  if (!db || !name) return nullptr;
  DbLock lock = db->Lock();
  tgvTagDef_C* tag = db->CreateTag(tgvUT_TagD, name, nullptr, 0, nullptr);
  if (!tag) return nullptr;
  if (showName) tag->SetPropText(u"_CAShowName", showName);
  if (appString) tag->SetPropText(u"_CAAppStr", appString);
  return tag;
}

tgvTagDef_C* tgvTagDef_C::CreateFileDef(tgvDatabase_C* db, const char16_t* name, const char16_t* description,
                                        uint8_t objType, const char16_t* userText) {
  return db && name ? db->CreateTag(tgvUT_FileD, name, description, objType, userText) : nullptr;
}

bool tgvTagDef_C::LinkObject(const tgvRecord_C* object) {
  tgvDatabase_C* db = GetManager();
  if (!db || !object) return false;
  DbLock lock = db->Lock();
  PtrList_C existing;
  if (db->SelectLinks(&existing, LinkTypeOf(this), object->GetUserType(), object->GetId(), m_userType, m_id))
    return true;
  return db->CreateLink(LinkTypeOf(this), object, this) != nullptr;
}

bool tgvTagDef_C::UnlinkObject(const tgvRecord_C* object) {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  PtrList_C links;
  // Links end at the definition: a look-up by end finds them all.
  db->SelectLinks(&links, LinkTypeOf(this), object ? object->GetUserType() : 0, object ? object->GetId() : 0,
                  m_userType, m_id);
  bool ok = true;
  for (tgvRecord_C* r : tgvItems(links)) ok = db->DeleteRecord(r, false) && ok;
  return ok;
}

uint32_t tgvTagDef_C::GetLinkedPOIs(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  if (!db || !list) return 0;
  DbLock lock = db->Lock();
  PtrList_C links;
  db->SelectLinks(&links, LinkTypeOf(this), 0, 0, m_userType, m_id);
  uint32_t added = 0;
  for (tgvRecord_C* r : tgvItems(links)) {
    const auto* link = static_cast<tgvLink_C*>(r);
    if (link->GetStartType() != tgvUT_POI) continue;
    if (auto* poi = tgvLive<tgvPOI_C>(db, tgvUT_POI, link->GetStartID()); poi && list->AddTail(poi)) ++added;
  }
  return added;
}

bool tgvTagDef_C::Delete() {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  bool ok = UnlinkObject(nullptr);
  ok = db->DeleteProperties(this) && ok;
  return db->DeleteRecord(this, false) && ok;
}

// --- link rows ---

bool tgvLink_C::SetStart(const tgvRecord_C* object) {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  if (!object) return db->DeleteRecord(this, false);
  // Through the link setters, so that the link index follows the move.
  SetStartType(object->GetUserType(), 0);
  SetStartID(object->GetId(), 0);
  return Save();
}

bool tgvLink_C::SetEnd(const tgvRecord_C* object) {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  if (!object) return db->DeleteRecord(this, false);
  // Through the link setters, so that the link index follows the move.
  SetEndType(object->GetUserType(), 0);
  SetEndID(object->GetId(), 0);
  return Save();
}

tgvPOI_C* tgvLink_C::GetPOI() const {
  return m_startType == tgvUT_POI ? tgvLive<tgvPOI_C>(GetManager(), tgvUT_POI, m_startId) : nullptr;
}

tgvTagDef_C* tgvLink_C::GetTag() const {
  return m_endType == tgvUT_TagD ? tgvLive<tgvTagDef_C>(GetManager(), tgvUT_TagD, m_endId) : nullptr;
}

bool tgvLink_C::Delete() {
  tgvDatabase_C* db = GetManager();
  return db && db->DeleteRecord(this, false);
}

// --- control points ---

tgvControlPoint_C* tgvControlPoint_C::Create(tgvDatabase_C* db, const char16_t* name, const tgvMap_C* map,
                                             const IntPoint_C& pixel, const GeoPoint_C& position) {
  return db && map ? db->CreateControlPoint(tgvUT_CP, name, map, pixel, position) : nullptr;
}

bool tgvControlPoint_C::Delete() {
  tgvDatabase_C* db = GetManager();
  return db && db->DeleteRecord(this, false);
}

bool tgvControlPoint_C::SetPoints(const IntPoint_C& pixel, const GeoPoint_C& position) {
  tgvHostLock lock(GetDatabase());
  if (m_posX == pixel.x && m_posY == pixel.y && m_longitude == position.x && m_latitude == position.y) return true;
  m_posX = pixel.x;
  m_posY = pixel.y;
  m_longitude = position.x;
  m_latitude = position.y;
  return Save();
}

tgvMap_C* tgvControlPoint_C::GetMap() const { return tgvLive<tgvMap_C>(GetManager(), tgvUT_Map, m_parentId); }

// --- maps ---

tgvMap_C* tgvMap_C::Create(tgvDatabase_C* db, const char16_t* name, const char16_t* file, const tgvMap_C* parent,
                           tgvMap_C* insertAfter) {
  if (!db || !name) return nullptr;
  DbLock lock = db->Lock();
  PtrList_C siblings;
  db->SearchMaps(&siblings, tgvUT_Map, 0, 0, nullptr, parent ? parent->GetId() : 0);
  std::vector<tgvRecord_C*> items;
  // A top-level map's siblings are the maps without a parent.
  for (tgvRecord_C* r : tgvItems(siblings)) {
    if (static_cast<tgvMap_C*>(r)->GetParentID() == (parent ? parent->GetId() : 0)) items.push_back(r);
  }
  tgvMap_C* map = db->CreateMap(tgvUT_Map, name, file ? file : u"", parent ? parent->GetId() : 0, 0);
  if (map) tgvPlaceNewSibling(items, insertAfter, map);
  return map;
}

uint32_t tgvMap_C::GetControlPoints(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  return db && list ? db->SelectByOwner(list, tgvUT_CP, tgvUT_Map, m_id) : 0;
}

uint32_t tgvMap_C::GetPOIs(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  return db && list ? db->SearchPOIs(list, tgvUT_POI, nullptr, nullptr, m_id, nullptr) : 0;
}

uint32_t tgvMap_C::GetLines(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  return db && list ? db->SearchLines(list, tgvUT_Line, 0, 0, false, m_id, nullptr) : 0;
}

// --- attachments, beyond creation ---

tgvType_C* tgvVP_C::GetType() const { return tgvLive<tgvType_C>(GetManager(), tgvUT_TypeD, m_typeId); }

IntPoint_C tgvVP_C::GetIntPoint() const {
  if (const tgvWayPoint_C* p = GetWayPoint()) return p->GetIntPoint();
  if (const tgvPOI_C* poi = GetPOI()) return IntPoint_C(poi->GetMapLongitude(), poi->GetMapLatitude());
  return IntPoint_C();
}

GeoPoint_C tgvVP_C::GetPosition() const {
  if (const tgvWayPoint_C* p = GetWayPoint()) return p->GetGeoPoint();
  if (const tgvPOI_C* poi = GetPOI()) return GeoPoint_C(poi->GetRealLong(), poi->GetRealLati(), poi->GetAltitude());
  return GeoPoint_C();
}

bool tgvVP_C::MoveAfter(tgvVP_C* after) {
  tgvDatabase_C* db = GetManager();
  if (!db || after == this || (after && after->m_parentId != m_parentId)) return false;
  DbLock lock = db->Lock();
  tgvLine_C* line = GetLine();
  if (!line) return false;
  // Out of the chain: the predecessor (or the line) takes its next.
  tgvVP_C* before = nullptr;
  tgvVP_C* vp = line->GetFirstVP();
  for (uint32_t steps = db->GetObjectCount(tgvUT_VP); vp && vp != this && steps; --steps) {
    before = vp;
    vp = vp->GetNext();
  }
  if (vp != this) return false;
  bool ok = before ? before->SetVPID(m_vpId, 1) : line->SetStartID(m_vpId, 1);
  if (line->GetEndID() == m_id) ok = line->SetEndID(before ? before->GetId() : 0, 1) && ok;
  // Back in after `after`, or first.
  if (after) {
    ok = SetVPID(after->m_vpId, 1) && after->SetVPID(m_id, 1) && ok;
    if (line->GetEndID() == after->m_id) ok = line->SetEndID(m_id, 1) && ok;
  } else {
    ok = SetVPID(line->GetStartID(), 1) && line->SetStartID(m_id, 1) && ok;
    if (!m_vpId) ok = line->SetEndID(m_id, 1) && ok;
  }
  return ok;
}

// --- POI lists ---

uint32_t tgvPOI_C::GetValues(PtrList_C* list, const tgvType_C* type) const {
  tgvDatabase_C* db = GetManager();
  if (!db || !list) return 0;
  DbLock lock = db->Lock();
  PtrList_C values;
  db->SelectLinks(&values, tgvUT_Val, tgvUT_POI, m_id, 0, 0);
  uint32_t added = 0;
  for (tgvRecord_C* r : tgvItems(values)) {
    const tgvValueDef_C* def = static_cast<tgvVal_C*>(r)->GetDefinition();
    if (type && (!def || def->GetParentID() != type->GetId())) continue;
    if (list->AddTail(r)) ++added;
  }
  return added;
}

uint32_t tgvPOI_C::GetTagLinks(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  return db && list ? db->SelectLinks(list, tgvUT_NTag, tgvUT_POI, m_id, 0, 0) : 0;
}

uint32_t tgvPOI_C::GetFileLinks(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  return db && list ? db->SelectLinks(list, tgvUT_FTag, tgvUT_POI, m_id, 0, 0) : 0;
}

uint32_t tgvPOI_C::GetVPs(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  return db && list ? db->SelectByOwner(list, tgvUT_VP, tgvUT_POI, m_id) : 0;
}
