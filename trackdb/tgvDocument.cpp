#include "trackdb/tgvDocument.h"

#include <array>
#include <new>
#include <vector>

#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvGroup.h"
#include "trackdb/tgvRecord.h"
#include "trackdb/tgvRecordList.h"

namespace {

using DbLock = std::unique_lock<std::recursive_mutex>;

// The pool's rule makes 128 groups a block of this request.
constexpr uint32_t kGroupsRequested = 64;

struct Rgb {
  uint8_t red, green, blue;
};
constexpr Rgb kPalette[tgvDocument_C::kPaletteSize] = {
    {0x55, 0x00, 0xFF}, {0xFF, 0x00, 0x7F}, {0x55, 0x55, 0x00}, {0xAA, 0x55, 0xFF}, {0x00, 0xAA, 0x7F},
    {0xAA, 0xAA, 0x00}, {0x55, 0xFF, 0xFF}, {0xFF, 0xFF, 0x7F}, {0x55, 0x00, 0x00}, {0x00, 0x55, 0x7F},
};

constexpr std::array<double, tgvDocument_C::kLevelCount> Thresholds(double k) {
  std::array<double, tgvDocument_C::kLevelCount> t{};
  double step = k * 4e-5;
  for (int level = tgvDocument_C::kLevelCount - 1; level >= 0; --level) {
    t[level] = step;
    step *= 2.0;
  }
  return t;
}

constexpr std::array<double, tgvDocument_C::kLevelCount> kThresholdsK1 = Thresholds(1.0);
constexpr std::array<double, tgvDocument_C::kLevelCount> kThresholdsK2 = Thresholds(2.0);
constexpr std::array<double, tgvDocument_C::kLevelCount> kThresholdsK3 = Thresholds(3.0);

uint32_t IdOf(const tgvRecord_C* r) { return r ? r->GetId() : 0; }

// Appends the records of `from` that pass the test; the count appended.
template <class Keep>
uint32_t AppendIf(PtrList_C* list, const PtrList_C& from, Keep keep) {
  uint32_t added = 0;
  for (tgvRecord_C* r : tgvItems(from)) {
    if (keep(r) && list->AddTail(r)) ++added;
  }
  return added;
}

// Moves every record of `from` to the list; the count.
uint32_t AppendAll(PtrList_C* list, const PtrList_C& from) {
  return AppendIf(list, from, [](tgvRecord_C*) { return true; });
}

}  // namespace

tgvDocument_C::tgvDocument_C(void* owner)
    : m_owner(owner),
      m_state(kNew),
      m_rootMap(nullptr),
      m_lineList(nullptr),
      m_groupPool(sizeof(tgvGroup_C), kGroupsRequested) {}

tgvDocument_C::~tgvDocument_C() {
  // The records point into the groups: the database goes first.
  m_database.reset();
}

bool tgvDocument_C::Open(const char16_t* path, tgvOpenMode mode) {
  // A second open would orphan the first database and its records' groups.
  if (!path || m_state != kNew) return false;
  m_database.reset(new (std::nothrow) tgvDatabase_C());
  if (!m_database || !m_database->Open(RecordTypeTable, path, this, mode)) {
    m_state = kFailed;
    return false;
  }
  m_state = kOpen;
  m_rootMap = FindGlobalMap();
  if (!m_rootMap) m_rootMap = CreateGlobalMap();
  if (!m_rootMap || !BuildLineGroups()) {
    m_state = kFailed;
    return false;
  }
  return true;
}

bool tgvDocument_C::Save() { return m_state == kOpen && !IsReadOnly() && m_database->Flush(); }

bool tgvDocument_C::IsReadOnly() const { return m_database && m_database->IsReadOnly(); }

tgvDatabase_C* tgvDocument_C::GetDatabase() const { return m_state == kOpen ? m_database.get() : nullptr; }

tgvGroup_C* tgvDocument_C::AllocGroup(bool hasChildren, bool ownsChildren) {
  std::lock_guard<std::mutex> guard(m_poolLock);
  void* item = m_groupPool.Alloc();
  return item ? new (item) tgvGroup_C(hasChildren, ownsChildren) : nullptr;
}

void tgvDocument_C::FreeGroup(tgvGroup_C* group) {
  if (!group) return;
  std::lock_guard<std::mutex> guard(m_poolLock);
  group->~tgvGroup_C();
  m_groupPool.Free(group);
}

bool tgvDocument_C::AddLineGroup(tgvLine_C* line) {
  if (!line || !m_lineList) return false;
  tgvGroup_C* group = AllocGroup(true, false);
  if (!group) return false;
  m_lineList->InsertChild(group, m_lineList->GetLastChild());
  line->SetGroup(group);
  line->BuildSegmentsAndLevels(0);
  return true;
}

void tgvDocument_C::RemoveLineGroup(tgvLine_C* line) {
  tgvGroup_C* group = line ? line->GetGroup() : nullptr;
  if (!group) return;
  line->ClearSegments();
  if (m_lineList) m_lineList->RemoveChild(group);
  line->SetGroup(nullptr);
  FreeGroup(group);
}

tgvMap_C* tgvDocument_C::FindGlobalMap() const {
  PtrList_C maps;
  if (!m_database->SearchMaps(&maps, tgvUT_Map, 2, 0, nullptr, 0)) return nullptr;
  return static_cast<tgvMap_C*>(maps.RemoveHead());
}

tgvMap_C* tgvDocument_C::CreateGlobalMap() { return m_database->CreateMap(tgvUT_Map, u"GLOBAL", u"", 0, 1); }

bool tgvDocument_C::BuildLineGroups() {
  DbLock lock = m_database->Lock();
  m_lineList = AllocGroup(true, false);
  if (!m_lineList) return false;
  for (tgvRecord_C* r = m_database->FirstOfType(tgvUT_Line); r; r = m_database->NextOfType(r)) {
    if (!AddLineGroup(static_cast<tgvLine_C*>(r))) return false;
  }
  ComputeGlobalBox();
  return true;
}

void tgvDocument_C::ComputeGlobalBox() {
  if (!m_rootMap || !m_lineList || !m_database) return;
  DbLock lock = m_database->Lock();
  GeoBox_C box;
  for (tgvRecord_C* r = m_database->FirstOfType(tgvUT_Map); r; r = m_database->NextOfType(r)) {
    auto* map = static_cast<tgvMap_C*>(r);
    if (!map->IsGlobal()) {
      const GeoBox_C corners = map->GetBox();
      box.ExtendToPoint(corners.GetMin().x, corners.GetMin().y);
      box.ExtendToPoint(corners.GetMax().x, corners.GetMax().y);
    }
  }
  for (tgvRecord_C* r = m_database->FirstOfType(tgvUT_Line); r; r = m_database->NextOfType(r)) {
    GeoBox_C lineBox;
    if (static_cast<tgvLine_C*>(r)->GetGeoRect(&lineBox)) {
      box.ExtendToPoint(lineBox.GetMin().x, lineBox.GetMin().y);
      box.ExtendToPoint(lineBox.GetMax().x, lineBox.GetMax().y);
    }
  }
  for (tgvRecord_C* r = m_database->FirstOfType(tgvUT_POI); r; r = m_database->NextOfType(r)) {
    auto* poi = static_cast<tgvPOI_C*>(r);
    if (poi->GetRealLong() != 0.0 && poi->GetRealLati() != 0.0)
      box.ExtendToPoint(poi->GetRealLong(), poi->GetRealLati());
  }
  m_lineList->SetGeoBox(box.GetMin(), box.GetMax(), true);
  // Memory only: the root map counts as calibrated once its box is known.
  m_rootMap->SetBeCal(1, 0);
}

bool tgvDocument_C::GetGlobalBox(GeoBox_C* box) {
  if (!m_rootMap || !m_lineList) return false;
  if (!m_lineList->IsBoxValid()) ComputeGlobalBox();
  return m_lineList->GetGeoRect(box);
}

tgvRecord_C* tgvDocument_C::FindRecord(uint8_t userType, uint32_t id) const {
  tgvDatabase_C* db = GetDatabase();
  return db ? db->FindRecord(userType, id) : nullptr;
}

int tgvDocument_C::GetRecordType(const tgvRecord_C* record) { return record ? record->GetUserType() : 0; }

bool tgvDocument_C::IsRecordOfType(const tgvRecord_C* record, uint8_t userType) {
  return record && record->GetUserType() == userType;
}

uint32_t tgvDocument_C::GetTypes(PtrList_C* list, const tgvRecord_C* parent) const {
  tgvDatabase_C* db = GetDatabase();
  return db && list ? db->SelectByOwner(list, tgvUT_TypeD, tgvUT_TypeD, IdOf(parent)) : 0;
}

uint32_t tgvDocument_C::GetMaps(PtrList_C* list, const tgvRecord_C* parent, bool calibratedOnly, bool global) const {
  tgvDatabase_C* db = GetDatabase();
  return db && list ? db->SearchMaps(list, tgvUT_Map, global ? 2 : 1, calibratedOnly ? 2 : 0, nullptr, IdOf(parent))
                    : 0;
}

uint32_t tgvDocument_C::GetMapsInBox(PtrList_C* list, const GeoBox_C& box) const {
  tgvDatabase_C* db = GetDatabase();
  if (!db || !list || !m_rootMap) return 0;
  PtrList_C maps;
  db->SearchMaps(&maps, tgvUT_Map, 1, 0, nullptr, 0);
  return AppendIf(list, maps, [&](tgvRecord_C* r) { return static_cast<tgvMap_C*>(r)->GetBox().Intersects(box); });
}

uint32_t tgvDocument_C::GetTags(PtrList_C* list) const {
  tgvDatabase_C* db = GetDatabase();
  return db && list ? db->SelectAll(list, tgvUT_TagD) : 0;
}

uint32_t tgvDocument_C::GetFileDefs(PtrList_C* list, uint8_t objType) const {
  tgvDatabase_C* db = GetDatabase();
  if (!db || !list) return 0;
  PtrList_C all;
  db->SelectAll(&all, tgvUT_FileD);
  return AppendIf(
      list, all, [&](tgvRecord_C* r) { return objType == 0 || static_cast<tgvTagDef_C*>(r)->GetObjType() == objType; });
}

uint32_t tgvDocument_C::GetStyles(PtrList_C* list) const {
  tgvDatabase_C* db = GetDatabase();
  return db && list ? db->SelectAll(list, tgvUT_VStyle) : 0;
}

uint32_t tgvDocument_C::GetPOIs(PtrList_C* list, const tgvRecord_C* map, const GeoBox_C& box) const {
  tgvDatabase_C* db = GetDatabase();
  if (!db || !list) return 0;
  return db->SearchPOIs(list, tgvUT_POI, nullptr, box.IsValid() ? &box : nullptr, IdOf(map), nullptr);
}

uint32_t tgvDocument_C::GetPOIsInRect(PtrList_C* list, const tgvRecord_C* map, const IntRect_C& rect) const {
  tgvDatabase_C* db = GetDatabase();
  if (!db || !list) return 0;
  const bool valid = rect.GetMin().IsValid() && rect.GetMax().IsValid();
  return db->SearchPOIs(list, tgvUT_POI, valid ? &rect : nullptr, nullptr, IdOf(map), nullptr);
}

uint32_t tgvDocument_C::GetSystemPOIs(PtrList_C* list) const {
  tgvDatabase_C* db = GetDatabase();
  if (!db || !list) return 0;
  DbLock lock = db->Lock();
  uint32_t added = 0;
  for (tgvRecord_C* r = db->FirstOfType(tgvUT_POI); r; r = db->NextOfType(r)) {
    if (r->GetUserFlag() == 0x80 && list->AddTail(r)) ++added;
  }
  return added;
}

uint32_t tgvDocument_C::GetLines(PtrList_C* list, const char16_t* name, bool all) const {
  tgvDatabase_C* db = GetDatabase();
  return db && list ? db->SearchLines(list, tgvUT_Line, 0, 0, !all, 0, name) : 0;
}

uint32_t tgvDocument_C::FindObjects(PtrList_C* list, const tgvRecord_C* map, const GeoBox_C& box, const uint8_t* kinds,
                                    const char16_t* name, int level) const {
  tgvDatabase_C* db = GetDatabase();
  if (!db || !list || !kinds) return 0;
  DbLock lock = db->Lock();
  const GeoBox_C* geo = box.IsValid() ? &box : nullptr;
  uint32_t added = 0;
  if (kinds[tgvUT_Line - 1]) {
    PtrList_C lines;
    db->SearchLines(&lines, tgvUT_Line, 0, 0, false, IdOf(map), name);
    added += AppendIf(list, lines, [&](tgvRecord_C* r) {
      GeoBox_C lineBox;
      return !geo || (static_cast<tgvLine_C*>(r)->GetGeoRect(&lineBox) && lineBox.Intersects(box));
    });
  }
  if (kinds[tgvUT_POI - 1]) {
    PtrList_C pois;
    db->SearchPOIs(&pois, tgvUT_POI, nullptr, geo, IdOf(map), name);
    added += AppendAll(list, pois);
  }
  if (kinds[tgvUT_CP - 1]) {
    PtrList_C cps;
    db->SearchControlPoints(&cps, tgvUT_CP, nullptr, geo, IdOf(map), name);
    added += AppendAll(list, cps);
  }
  if (kinds[tgvUT_WP - 1]) {
    PtrList_C points;
    db->SearchWayPoints(&points, tgvUT_WP, 0, IdOf(map), nullptr, geo, 0, -1);
    const bool filter = level >= 0 && level < kLevelCount;
    added += AppendIf(list, points, [&](tgvRecord_C* r) {
      const int l = static_cast<tgvWayPoint_C*>(r)->GetLevel();
      return !filter || (l != -1 && l <= level);
    });
  }
  return added;
}

uint32_t tgvDocument_C::FindObjectsInRect(PtrList_C* list, const tgvRecord_C* map, const IntRect_C& rect,
                                          const uint8_t* kinds, const char16_t* name) const {
  tgvDatabase_C* db = GetDatabase();
  if (!db || !list || !kinds) return 0;
  DbLock lock = db->Lock();
  const bool valid = rect.GetMin().IsValid() && rect.GetMax().IsValid();
  const IntRect_C* box = valid ? &rect : nullptr;
  uint32_t added = 0;
  if (kinds[tgvUT_Line - 1]) {
    PtrList_C lines;
    db->SearchLines(&lines, tgvUT_Line, 0, 0, false, IdOf(map), name);
    added += AppendIf(list, lines, [&](tgvRecord_C* r) {
      IntRect_C lineRect;
      return !box || (static_cast<tgvLine_C*>(r)->GetPixelRect(&lineRect) && lineRect.Intersects(rect));
    });
  }
  if (kinds[tgvUT_POI - 1]) {
    PtrList_C pois;
    db->SearchPOIs(&pois, tgvUT_POI, box, nullptr, IdOf(map), name);
    added += AppendAll(list, pois);
  }
  if (kinds[tgvUT_CP - 1]) {
    PtrList_C cps;
    db->SearchControlPoints(&cps, tgvUT_CP, box, nullptr, IdOf(map), name);
    added += AppendAll(list, cps);
  }
  if (kinds[tgvUT_WP - 1]) {
    PtrList_C points;
    db->SearchWayPoints(&points, tgvUT_WP, 0, IdOf(map), box, nullptr, 0, -1);
    added += AppendAll(list, points);
  }
  return added;
}

tgvStyle_C* tgvDocument_C::GetStyleOf(const tgvRecord_C* record) const {
  tgvDatabase_C* db = GetDatabase();
  if (!db || !record) return nullptr;
  DbLock lock = db->Lock();
  PtrList_C links;
  db->SelectLinks(&links, tgvUT_VSTag, record->GetUserType(), record->GetId(), 0, 0);
  for (tgvRecord_C* r : tgvItems(links)) {
    tgvRecord_C* style = db->FindRecord(tgvUT_VStyle, static_cast<tgvLink_C*>(r)->GetEndID());
    if (style && !style->IsDeleted()) return static_cast<tgvStyle_C*>(style);
  }
  return nullptr;
}

const double* tgvDocument_C::GetLevelThresholds(int mode) {
  if (mode == 1) return kThresholdsK2.data();
  if (mode == 2) return kThresholdsK3.data();
  return kThresholdsK1.data();
}

bool tgvDocument_C::GetPaletteColor(int n, uint8_t* red, uint8_t* green, uint8_t* blue, uint8_t* alpha) {
  const int i = ((n % kPaletteSize) + kPaletteSize) % kPaletteSize;
  if (red) *red = kPalette[i].red;
  if (green) *green = kPalette[i].green;
  if (blue) *blue = kPalette[i].blue;
  if (alpha) *alpha = 255;
  return true;
}
