#include "trackdb/tgvLine.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "icbase/src/icutil/unistring.h"
#include "icbase/src/icutil/utdm/unifile.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvGeometry.h"
#include "trackdb/tgvGroup.h"
#include "trackdb/tgvRecordList.h"

namespace {

using DbLock = std::unique_lock<std::recursive_mutex>;

// A point is picked by the simplification only when it lies farther than
// this from the chord (degrees).
constexpr double kMinDeviation = 4e-5;
constexpr int kSamples = 100;

tgvDocument_C* DocumentOf(tgvDatabase_C* db) { return db ? db->GetOwner() : nullptr; }

// The bound of a walk along waypoints: one step per waypoint record.
uint32_t PointBound(tgvDatabase_C* db) { return db->GetObjectCount(tgvUT_WP) + 1; }

// The line's points from first to last along the chain; the walk stops at
// the last point, at a broken link or at a point met twice.
std::vector<tgvWayPoint_C*> ChainOf(tgvDatabase_C* db, const tgvLine_C* line) {
  std::vector<tgvWayPoint_C*> out;
  tgvWayPoint_C* last = tgvLive<tgvWayPoint_C>(db, tgvUT_WP, line->GetLstWPID());
  tgvWayPoint_C* p = tgvLive<tgvWayPoint_C>(db, tgvUT_WP, line->Get1stWPID());
  const uint32_t bound = PointBound(db);
  // Ids are dense, so a point met before is told by its id.
  std::vector<bool> seen(bound + 1, false);
  for (uint32_t steps = bound; p && steps; --steps) {
    const uint32_t id = p->GetId();
    if (id >= seen.size() || seen[id]) break;
    seen[id] = true;
    out.push_back(p);
    if (p == last) break;
    p = tgvLive<tgvWayPoint_C>(db, tgvUT_WP, p->GetNextID());
  }
  return out;
}

bool ShownAt(const tgvWayPoint_C* p, int level) {
  const int l = p->GetLevel();
  return l != -1 && l <= level;
}

double Distance(const tgvWayPoint_C* a, const tgvWayPoint_C* b) {
  return GeoPointDistanceKm(a->GetGeoPoint(), b->GetGeoPoint());
}

GeoPoint_C Shifted(const tgvWayPoint_C* p, int shift) {
  const GeoPoint_C g = p->GetGeoPoint();
  return shift == 1 ? ChinaMapShift(g) : g;
}

// The points of the encodings: those with a level that is not negative,
// and always the first and the last.
std::vector<tgvWayPoint_C*> KeptPoints(tgvDatabase_C* db, const tgvLine_C* line) {
  std::vector<tgvWayPoint_C*> chain = ChainOf(db, line);
  std::vector<tgvWayPoint_C*> kept;
  for (size_t i = 0; i < chain.size(); ++i) {
    if (i == 0 || i + 1 == chain.size() || chain[i]->GetLevel() >= 0) kept.push_back(chain[i]);
  }
  return kept;
}

// Degrees in the units of the encoding (floor of degrees x 1e5), held within
// +-2^30 so that the difference of two of them fits an int32: a value beyond
// that is no position on the earth anyway.
int32_t PolylineUnits(double degrees) {
  constexpr double kLimit = 1073741823.0;
  return static_cast<int32_t>(std::clamp(std::floor(degrees * 100000.0), -kLimit, kLimit));
}

// Into a std::u16string, which grows geometrically: appending to a
// UniString_C copies it whole each time, quadratic over a long line.
void AppendEncoded(std::u16string* text, const char* encoded) {
  UniString_C part(encoded);
  part.EscapeJs();
  *text += part.GetText();
}

// 17 - level in the unsigned encoding; a negative value (a point below
// every threshold, level 18) is one character, value + 63.
void AppendLevel(std::u16string* text, int value) {
  if (value < 0) {
    const char single[2] = {static_cast<char>(value + 63), 0};
    AppendEncoded(text, single);
    return;
  }
  AppendEncoded(text, EncodePolylineUnsigned(value));
}

bool AppendPair(WStrBuilder_C* out, const char16_t* format, const GeoPoint_C& g) {
  UniString_C item;
  item.Format(format, g.y, g.x);
  return out->Append(item.GetText(), item.GetLength());
}

// A stored time as seconds since 1970.
double Seconds(const IntPair_C& t) {
  int64_t seconds = 0;
  int32_t ms = 0;
  FileTimeToUnix(t, &seconds, &ms);
  return static_cast<double>(seconds) + ms / 1000.0;
}

// The GPS time of a point as seconds since 1970.
std::optional<double> PointSeconds(const tgvWayPoint_C* p) {
  IntPair_C t;
  if (!p->GetLogTimeSpeed(&t.first, &t.second, nullptr)) return std::nullopt;
  return Seconds(t);
}

int CompareOptionalTimes(const std::optional<IntPair_C>& a, const std::optional<IntPair_C>& b) {
  if (!a && !b) return 0;
  if (!a) return 1;
  if (!b) return -1;
  return CompareTime64(a->first, a->second, b->first, b->second);
}

std::optional<IntPair_C> LineTime(tgvLine_C* line) {
  IntPair_C t;
  if (!line || !line->GetTime(&t.first, &t.second)) return std::nullopt;
  return t;
}

}  // namespace

// --- creation and accessors ---

tgvLine_C* tgvLine_C::Create(tgvDocument_C* doc, const char16_t* name, const tgvType_C* type, const tgvMap_C* map,
                             tgvLine_C* parent, bool isGroup) {
  tgvDatabase_C* db = doc ? doc->GetDatabase() : nullptr;
  if (!db || !type) return nullptr;
  DbLock lock = db->Lock();
  const tgvMap_C* onMap = map ? map : doc->GetRootMap();
  tgvLine_C* line = db->CreateLine(tgvUT_Line, name, parent ? parent->GetId() : 0, 0, type->GetId(),
                                   onMap ? onMap->GetId() : 0, isGroup ? 1 : 0);
  if (line && !doc->AddLineGroup(line)) {
    db->DeleteRecord(line, false);
    return nullptr;
  }
  return line;
}

tgvType_C* tgvLine_C::GetType() const { return tgvLive<tgvType_C>(GetManager(), tgvUT_TypeD, m_typeId); }
tgvMap_C* tgvLine_C::GetMap() const { return tgvLive<tgvMap_C>(GetManager(), tgvUT_Map, m_mapId); }
tgvWayPoint_C* tgvLine_C::GetFirstPoint() const { return tgvLive<tgvWayPoint_C>(GetManager(), tgvUT_WP, m_firstWpId); }
tgvWayPoint_C* tgvLine_C::GetLastPoint() const { return tgvLive<tgvWayPoint_C>(GetManager(), tgvUT_WP, m_lastWpId); }
tgvVP_C* tgvLine_C::GetFirstVP() const { return tgvLive<tgvVP_C>(GetManager(), tgvUT_VP, m_startId); }
tgvVP_C* tgvLine_C::GetLastVP() const { return tgvLive<tgvVP_C>(GetManager(), tgvUT_VP, m_endId); }
tgvVP_C* tgvLine_C::GetVP() const { return tgvLive<tgvVP_C>(GetManager(), tgvUT_VP, m_vpId); }
tgvLine_C* tgvLine_C::GetParentLine() const { return tgvLive<tgvLine_C>(GetManager(), tgvUT_Line, m_parentId); }

uint32_t tgvLine_C::GetChildLines(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  if (!db || !list || !IsGroup()) return 0;
  return db->SearchLines(list, tgvUT_Line, m_id, 0, false, 0, nullptr);
}

uint32_t tgvLine_C::GetVPs(PtrList_C* list) const {
  tgvDatabase_C* db = GetManager();
  return db && list ? db->SearchVPs(list, tgvUT_VP, m_id, 0, 0, nullptr) : 0;
}

uint32_t tgvLine_C::GetValues(PtrList_C* list, const tgvType_C* type) const {
  tgvDatabase_C* db = GetManager();
  if (!db || !list) return 0;
  DbLock lock = db->Lock();
  PtrList_C values;
  db->SelectLinks(&values, tgvUT_Val, tgvUT_Line, m_id, 0, 0);
  std::unordered_set<uint32_t> defs;
  if (type) {
    PtrList_C own;
    type->GetValueDefs(&own, false);
    for (tgvRecord_C* r : tgvItems(own)) defs.insert(r->GetId());
  }
  uint32_t added = 0;
  for (tgvRecord_C* r : tgvItems(values)) {
    if (type && !defs.count(static_cast<tgvVal_C*>(r)->GetEndID())) continue;
    if (list->AddTail(r)) ++added;
  }
  return added;
}

tgvStyle_C* tgvLine_C::GetStyle() const {
  tgvDocument_C* doc = DocumentOf(GetManager());
  return doc ? doc->GetStyleOf(this) : nullptr;
}

tgvWayPoint_C* tgvLine_C::AppendPoint(const GeoPoint_C& position, const IntPoint_C& pixel, int32_t order,
                                      const tgvWayPointSensors& sensors, const tgvGPSSample* sample) {
  tgvDatabase_C* db = GetManager();
  if (!db) return nullptr;
  DbLock lock = db->Lock();
  tgvWayPoint_C* last = GetLastPoint();
  tgvGPSLog_C* log = nullptr;
  if (sample) {
    log = db->CreateGPSLog(tgvUT_GPSLog, sample->time.first, sample->time.second, sample->speed, sample->gx, sample->gy,
                           sample->gz);
    if (!log) return nullptr;
  }
  tgvWayPoint_C* point =
      db->CreateWayPoint(tgvUT_WP, this, pixel, position, order, sensors, m_mapId, 0, log ? log->GetId() : 0);
  if (!point) {
    if (log) db->DeleteRecord(log, false);
    return nullptr;
  }
  if (last)
    last->SetNextID(point->GetId(), 1);
  else
    Set1stWPID(point->GetId(), 1);
  SetLstWPID(point->GetId(), 1);
  if (m_group) InsertPoint(point, last);
  return point;
}

// --- segments ---

tgvGroup_C* tgvLine_C::GetFirstSegment() const { return m_group ? m_group->GetFirstChild() : nullptr; }

uint32_t tgvLine_C::GetPointCount() const {
  uint32_t count = 0;
  for (tgvGroup_C* s = GetFirstSegment(); s; s = s->GetNextSibling())
    count += s == GetFirstSegment() ? s->GetCount() : s->GetCount() - 1;
  return count;
}

void tgvLine_C::ClearSegments() {
  tgvDocument_C* doc = DocumentOf(GetManager());
  if (!m_group || !doc) return;
  for (tgvGroup_C* s = m_group->GetFirstChild(); s;) {
    tgvGroup_C* next = s->GetNextSibling();
    PtrList_C points;
    s->CollectPoints(&points, -1);
    for (tgvRecord_C* r : tgvItems(points)) {
      auto* p = static_cast<tgvWayPoint_C*>(r);
      if (p->GetSegment() == s) p->SetSegment(nullptr);
    }
    doc->FreeGroup(s);
    s = next;
  }
  m_group->Clear();
  m_group->InvalidateBoxUp();
}

void tgvLine_C::BuildSegments() {
  tgvDatabase_C* db = GetManager();
  tgvDocument_C* doc = DocumentOf(db);
  if (!db || !doc || !m_group) return;
  DbLock lock = db->Lock();
  const std::vector<tgvWayPoint_C*> chain = ChainOf(db, this);
  SegmentChain(doc, chain.data(), chain.size());
}

void tgvLine_C::BuildSegmentsAndLevels(int mode) {
  tgvDatabase_C* db = GetManager();
  tgvDocument_C* doc = DocumentOf(db);
  if (!db || !doc) return;
  DbLock lock = db->Lock();
  const std::vector<tgvWayPoint_C*> chain = ChainOf(db, this);
  if (m_group) SegmentChain(doc, chain.data(), chain.size());
  LevelChain(chain.data(), chain.size(), mode);
}

void tgvLine_C::SegmentChain(tgvDocument_C* doc, tgvWayPoint_C* const* chain, size_t count) {
  ClearSegments();
  tgvGroup_C* segment = nullptr;
  tgvWayPoint_C* previous = nullptr;
  for (size_t i = 0; i < count; ++i) {
    tgvWayPoint_C* p = chain[i];
    if (!segment || segment->GetCount() >= kSegmentPoints) {
      tgvGroup_C* next = doc->AllocGroup(false, true);
      if (!next) break;
      m_group->InsertChild(next, segment ? segment : m_group->GetLastChild());
      if (previous) next->AddPoint(previous, nullptr);
      segment = next;
    }
    segment->AddPoint(p, segment->GetLastPoint());
    previous = p;
  }
  // Each run's boxes grew from empty by every one of its points: they are
  // whole, and only the line's own box waits to be made from them.
  for (tgvGroup_C* s = m_group->GetFirstChild(); s; s = s->GetNextSibling()) s->SetBoxValid(true);
}

int tgvLine_C::FindSegment(const tgvWayPoint_C* point) const {
  const tgvGroup_C* s = point ? point->GetSegment() : nullptr;
  if (!s) return 0;
  return s->GetFirstPoint() == point && s->GetPrevSibling() ? 2 : 1;
}

bool tgvLine_C::InsertPoint(tgvWayPoint_C* point, tgvWayPoint_C* after) {
  tgvDocument_C* doc = DocumentOf(GetManager());
  if (!doc || !m_group || !point) return false;
  tgvGroup_C* segment = after ? after->GetSegment() : nullptr;
  if (segment && segment->GetParent() == m_group) {
    if (segment->GetCount() >= kSegmentPoints) {
      const bool atEnd = after == segment->GetLastPoint() && !segment->GetNextSibling();
      tgvGroup_C* added = doc->AllocGroup(false, true);
      if (!added) return false;
      m_group->InsertChild(added, segment);
      if (atEnd)
        added->AddPoint(after, nullptr);  // a new last segment starts at `after`
      else
        segment->SplitHalf(added);
      segment = after->GetSegment();
    }
    return segment->AddPoint(point, after);
  }
  tgvGroup_C* first = m_group->GetFirstChild();
  if (!after && first && first->GetCount() < kSegmentPoints) return first->AddPoint(point, nullptr);
  tgvGroup_C* added = doc->AllocGroup(false, true);
  if (!added) return false;
  m_group->InsertChild(added, after ? m_group->GetLastChild() : nullptr);
  return added->AddPoint(point, nullptr);
}

bool tgvLine_C::RemovePoint(tgvWayPoint_C* point) {
  tgvDocument_C* doc = DocumentOf(GetManager());
  tgvGroup_C* segment = point ? point->GetSegment() : nullptr;
  if (!doc || !segment || segment->GetParent() != m_group) return false;
  auto drop = [&](tgvGroup_C* s) {
    m_group->RemoveChild(s);
    doc->FreeGroup(s);
  };
  if (FindSegment(point) == 2) {
    // The previous segment ends at the point's next one instead.
    tgvGroup_C* previous = segment->GetPrevSibling();
    tgvWayPoint_C* next = point->GetNext();
    if (next)
      previous->SetLastPoint(next);
    else
      previous->SetLastPoint(nullptr);
    if (previous->GetCount() <= 1) {
      if (previous->GetFirstPoint() && previous->GetFirstPoint()->GetSegment() == previous)
        previous->GetFirstPoint()->SetSegment(nullptr);
      drop(previous);
    }
  }
  segment->RemovePoint(point);
  if (segment->GetCount() == 0) {
    drop(segment);
  } else if (segment->GetCount() == 1 && m_group->GetCount() > 1) {
    tgvWayPoint_C* alone = segment->GetFirstPoint();
    tgvGroup_C* neighbour = segment->GetPrevSibling() ? segment->GetPrevSibling() : segment->GetNextSibling();
    if (alone->GetSegment() == segment) alone->SetSegment(neighbour);
    drop(segment);
  }
  return true;
}

bool tgvLine_C::ComputeBoxes() {
  if (!m_group) return false;
  for (tgvGroup_C* s = m_group->GetFirstChild(); s; s = s->GetNextSibling()) {
    if (s->IsBoxValid()) continue;
    s->ResetBoxes();
    PtrList_C points;
    s->CollectPoints(&points, -1);
    for (tgvRecord_C* r : tgvItems(points)) {
      auto* p = static_cast<tgvWayPoint_C*>(r);
      s->ExtendGeoBox(p->GetLongitude(), p->GetLatitude(), true);
      s->ExtendPixelBox(p->GetPosX(), p->GetPosY(), true);
    }
    s->SetBoxValid(true);
  }
  m_group->ResetBoxes();
  for (tgvGroup_C* s = m_group->GetFirstChild(); s; s = s->GetNextSibling()) m_group->ExtendByGroup(s, true);
  m_group->SetBoxValid(true);
  return m_group->GetGeoRect(nullptr);
}

bool tgvLine_C::GetGeoRect(GeoBox_C* box) {
  if (!m_group) return false;
  if (!m_group->IsBoxValid()) ComputeBoxes();
  return m_group->GetGeoRect(box);
}

bool tgvLine_C::GetPixelRect(IntRect_C* rect) {
  if (!m_group) return false;
  if (!m_group->IsBoxValid()) ComputeBoxes();
  return m_group->GetPixelRect(rect);
}

uint32_t tgvLine_C::GetSegmentsInBox(PtrList_C* list, const GeoBox_C& box) {
  if (!m_group || !list) return 0;
  if (!m_group->IsBoxValid()) ComputeBoxes();
  uint32_t added = 0;
  for (tgvGroup_C* s = m_group->GetFirstChild(); s; s = s->GetNextSibling()) {
    GeoBox_C own;
    const bool keep = !box.IsValid() || (s->GetGeoRect(&own) && own.Intersects(box));
    if (keep && list->AddTail(s)) ++added;
  }
  return added;
}

uint32_t tgvLine_C::GetSegmentsInRect(PtrList_C* list, const IntRect_C& rect) {
  if (!m_group || !list) return 0;
  if (!m_group->IsBoxValid()) ComputeBoxes();
  const bool all = !rect.GetMin().IsValid() || !rect.GetMax().IsValid();
  uint32_t added = 0;
  for (tgvGroup_C* s = m_group->GetFirstChild(); s; s = s->GetNextSibling()) {
    IntRect_C own;
    const bool keep = all || (s->GetPixelRect(&own) && own.Intersects(rect));
    if (keep && list->AddTail(s)) ++added;
  }
  return added;
}

// --- levels ---

void tgvLine_C::ComputeLevels(int mode) {
  tgvDatabase_C* db = GetManager();
  if (!db || !DocumentOf(db)) return;
  DbLock lock = db->Lock();
  const std::vector<tgvWayPoint_C*> chain = ChainOf(db, this);
  LevelChain(chain.data(), chain.size(), mode);
}

void tgvLine_C::LevelChain(tgvWayPoint_C* const* chain, size_t count, int mode) {
  // Two points (or a chain that ends after the first) keep their levels.
  if (count < 3) return;
  // The chain is walked once; the simplification works on its indexes, over
  // a copy of the positions, and leaves each inner point's deviation (0 for
  // a point no stretch picked).
  std::vector<PlanarPoint> at(count);
  for (size_t i = 0; i < count; ++i) at[i] = PlanarPoint{chain[i]->GetLongitude(), chain[i]->GetLatitude()};
  std::vector<double> deviation(count, 0.0);
  std::vector<std::pair<size_t, size_t>> stack{{0, count - 1}};
  while (!stack.empty()) {
    const auto [a, b] = stack.back();
    stack.pop_back();
    const double lengthSq = PlanarDistanceSq(at[a], at[b]);
    size_t candidate = 0;
    double largest = -1.0;
    // The squared offset rules out, without a hypot, the points that cannot
    // be farther than the farthest so far: its rounding is far below the
    // margin, so the farthest point is the one the hypots alone would pick.
    double below = -1.0;
    for (size_t i = a + 1; i < b; ++i) {
      const PlanarOffset o = PlanarPointSegmentOffset(at[i], at[a], at[b], lengthSq);
      if (o.dx * o.dx + o.dy * o.dy < below) continue;
      const double d = std::hypot(o.dx, o.dy);
      if (d > largest) {
        largest = d;
        candidate = i;
        const double square = largest * largest * (1.0 - 1e-12);
        below = square > 1e-280 ? square : -1.0;
      }
    }
    if (candidate && largest > kMinDeviation) {
      deviation[candidate] = largest;
      stack.push_back({a, candidate});
      stack.push_back({candidate, b});
    }
  }
  bool baro = false, rpm = false, rpmSpeed = false, heart = false;
  chain[0]->SetLevel(0);
  chain[count - 1]->SetLevel(0);
  const double* thresholds = tgvDocument_C::GetLevelThresholds(mode);
  for (size_t i = 0; i < count; ++i) {
    tgvWayPoint_C* p = chain[i];
    baro = baro || p->GetMBarAlti() != 0.0;
    rpm = rpm || p->GetRPM() != 0.0;
    rpmSpeed = rpmSpeed || p->GetRPMSpeed() != 0.0;
    heart = heart || p->GetBPM() != 0.0;
    if (i == 0 || i + 1 == count) continue;
    const tgvGroup_C* s = p->GetSegment();
    if (s && s->GetFirstPoint() == p) {
      p->SetLevel(0);  // a segment's first point, the previous one's last
      continue;
    }
    const double dev = deviation[i];
    if (dev > 0.0) {
      int n = 0;
      while (n < tgvDocument_C::kLevelCount && thresholds[n] > dev) ++n;
      p->SetLevel(n);
    } else {
      p->SetLevel(-1);
    }
  }
  SetSensorFlags(baro, rpm, rpmSpeed, heart);
}

// --- points, length, time ---

uint32_t tgvLine_C::CollectPoints(PtrList_C* list, bool onMapOnly, int level) {
  tgvDatabase_C* db = GetManager();
  if (!db || !list) return 0;
  DbLock lock = db->Lock();
  const std::vector<tgvWayPoint_C*> chain = ChainOf(db, this);
  if (chain.empty()) return 0;
  const bool filter = level >= 0 && level <= 17;
  const uint32_t map = onMapOnly ? m_mapId : 0;
  tgvWayPoint_C* last = GetLastPoint();
  uint32_t added = 0;
  for (size_t i = 0; i < chain.size(); ++i) {
    tgvWayPoint_C* p = chain[i];
    const bool end = i == 0 || p == last;
    if (map && p->GetMapID() != map) continue;
    if (!end && filter && !ShownAt(p, level)) continue;
    if (list->AddTail(p)) ++added;
  }
  return added;
}

double tgvLine_C::GetLength() {
  double sum = 0.0;
  for (tgvGroup_C* s = GetFirstSegment(); s; s = s->GetNextSibling()) sum += s->GetLength();
  return sum;
}

double tgvLine_C::GetLengthTo(const tgvWayPoint_C* point) {
  tgvDatabase_C* db = GetManager();
  if (!db || !point || point->GetParentID() != m_id || point->GetId() == m_firstWpId) return 0.0;
  if (point->GetId() == m_lastWpId) return GetLength();
  DbLock lock = db->Lock();
  const tgvGroup_C* own = point->GetSegment();
  if (!own || own->GetParent() != m_group) return 0.0;
  double sum = 0.0;
  for (tgvGroup_C* s = GetFirstSegment(); s && s != own; s = s->GetNextSibling()) sum += s->GetLength();
  const tgvWayPoint_C* p = own->GetFirstPoint();
  for (uint32_t steps = own->GetCount(); p && p != point && steps; --steps) {
    const tgvWayPoint_C* next = p->GetNext();
    if (!next) break;
    sum += Distance(p, next);
    p = next;
  }
  return sum;
}

bool tgvLine_C::GetTime(uint32_t* t1, uint32_t* t2) {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  auto* p1 = static_cast<tgvPropInt_C*>(db->FindProperty(tgvUT_PropInt, this, u"t1"));
  auto* p2 = static_cast<tgvPropInt_C*>(db->FindProperty(tgvUT_PropInt, this, u"t2"));
  if (!p1 || !p2) return false;
  uint32_t v1 = static_cast<uint32_t>(p1->GetValue());
  uint32_t v2 = static_cast<uint32_t>(p2->GetValue());
  IntPair_C logged;
  const tgvWayPoint_C* first = GetFirstPoint();
  if (first && first->GetLogTimeSpeed(&logged.first, &logged.second, nullptr)) {
    // The first point's time wins; the properties are brought in step.
    if (logged.first != v1) p1->SetValue(static_cast<int32_t>(v1 = logged.first), 1);
    if (logged.second != v2) p2->SetValue(static_cast<int32_t>(v2 = logged.second), 1);
  }
  if (t1) *t1 = v1;
  if (t2) *t2 = v2;
  return true;
}

bool tgvLine_C::SetTime(uint32_t t1, uint32_t t2) {
  const bool a = SetPropInt(u"t1", static_cast<int32_t>(t1));
  return SetPropInt(u"t2", static_cast<int32_t>(t2)) && a;
}

bool tgvLine_C::GetEndTime(uint32_t* t1, uint32_t* t2) const {
  const tgvWayPoint_C* last = GetLastPoint();
  return last && last->GetLogTimeSpeed(t1, t2, nullptr);
}

// --- split, join, delete ---

namespace {

// Copies what a split line's own style shows.
void CopyStyle(const tgvStyle_C* from, tgvStyle_C* to) {
  to->SetVSFColor(from->GetVSFColor() & 0xFFFFFF, 1);
  to->SetVSBColor(from->GetVSBColor() & 0xFFFFFF, 1);
  to->SetVSWidth(from->GetVSWidth(), 1);
  to->SetVSHeight(from->GetVSHeight(), 1);
  to->SetVSPattern(from->GetVSPattern(), 1);
  to->SetVSFontSize(from->GetVSFontSize(), 1);
  if (from->GetVSIconName()) to->SetVSIconName(from->GetVSIconName());
  if (from->GetVSPatternName()) to->SetVSPatternName(from->GetVSPatternName());
  if (from->GetVSFontName()) to->SetVSFontName(from->GetVSFontName());
}

// The line's attachment chain from its first attachment.
std::vector<tgvVP_C*> AttachmentChain(tgvDatabase_C* db, const tgvLine_C* line) {
  std::vector<tgvVP_C*> out;
  std::unordered_set<const tgvVP_C*> seen;
  tgvVP_C* vp = tgvLive<tgvVP_C>(db, tgvUT_VP, line->GetStartID());
  for (uint32_t steps = db->GetObjectCount(tgvUT_VP) + 1; vp && steps; --steps) {
    if (!seen.insert(vp).second) break;
    out.push_back(vp);
    vp = tgvLive<tgvVP_C>(db, tgvUT_VP, vp->GetVPID());
  }
  return out;
}

bool DeleteLine(tgvDatabase_C* db, tgvLine_C* line, bool withPoints, bool deletePOIs, uint32_t depth) {
  if (!line || line->IsDeleted() || depth == 0) return false;
  tgvDocument_C* doc = DocumentOf(db);
  bool ok = line->RemoveStyle();
  PtrList_C vps;
  line->GetVPs(&vps);
  for (tgvRecord_C* r : tgvItems(vps)) {
    auto* vp = static_cast<tgvVP_C*>(r);
    tgvPOI_C* poi = vp->GetPOI();
    ok = vp->Delete() && ok;
    if (deletePOIs && poi) ok = poi->Delete() && ok;
  }
  // The segments point at the points: they go before the points do.
  const std::vector<tgvWayPoint_C*> points = ChainOf(db, line);
  if (doc) doc->RemoveLineGroup(line);
  if (withPoints) {
    for (tgvWayPoint_C* p : points) ok = p->DeleteWithLog(db) && ok;
  }
  PtrList_C children;
  line->GetChildLines(&children);
  for (tgvRecord_C* r : tgvItems(children)) {
    if (r != line) ok = DeleteLine(db, static_cast<tgvLine_C*>(r), withPoints, false, depth - 1) && ok;
  }
  ok = line->DeleteValues(nullptr) && ok;
  ok = db->DeleteProperties(line) && ok;
  return db->DeleteRecord(line, false) && ok;
}

}  // namespace

bool tgvLine_C::SplitAt(tgvWayPoint_C* point, tgvLine_C** newLine) {
  if (newLine) *newLine = nullptr;
  tgvDatabase_C* db = GetManager();
  tgvDocument_C* doc = DocumentOf(db);
  if (!db || !doc || !point || point->GetParentID() != m_id || point->GetId() == m_lastWpId) return false;
  DbLock lock = db->Lock();
  tgvWayPoint_C* firstMoved = point->GetNext();
  if (!firstMoved) return false;
  // The new line is made before anything changes, so that a failure leaves
  // this line as it was.
  UniString_C name;
  name.Format(u"%s-2", m_name ? m_name : u"");
  tgvLine_C* second = Create(doc, name.GetText(), GetType(), GetMap(), nullptr, false);
  if (!second) return false;
  if (const tgvStyle_C* style = GetStyle()) {
    if (tgvStyle_C* own = tgvStyle_C::CreateOwn(db, second)) CopyStyle(style, own);
  }
  ClearSegments();
  std::unordered_set<uint32_t> moved;
  tgvWayPoint_C* p = firstMoved;
  tgvWayPoint_C* lastMoved = nullptr;
  for (uint32_t steps = PointBound(db); p && steps; --steps) {
    if (!moved.insert(p->GetId()).second) break;
    p->SetParentID(second->GetId(), 1);
    lastMoved = p;
    if (p->GetId() == m_lastWpId) break;
    p = p->GetNext();
  }
  second->Set1stWPID(firstMoved->GetId(), 1);
  second->SetLstWPID(lastMoved->GetId(), 1);
  IntPair_C start;
  if (firstMoved->GetLogTimeSpeed(&start.first, &start.second, nullptr)) second->SetTime(start.first, start.second);
  // The attachment chain follows the points: it is cut at the first
  // attachment of a moved point, and every attachment from there on moves.
  tgvVP_C* endOfFirst = nullptr;
  bool cut = false;
  for (tgvVP_C* vp : AttachmentChain(db, this)) {
    if (!cut && vp->GetWPID() && moved.count(vp->GetWPID())) {
      cut = true;
      second->SetStartID(vp->GetId(), 1);
    }
    if (cut) {
      vp->SetParentID(second->GetId(), 1);
      second->SetEndID(vp->GetId(), 1);
    } else {
      endOfFirst = vp;
    }
  }
  if (cut) {
    if (endOfFirst) {
      endOfFirst->SetVPID(0, 1);
      SetEndID(endOfFirst->GetId(), 1);
    } else {
      SetStartID(0, 1);
      SetEndID(0, 1);
    }
  }
  point->SetNextID(0, 1);
  SetLstWPID(point->GetId(), 1);
  BuildSegmentsAndLevels(0);
  second->BuildSegmentsAndLevels(0);
  if (newLine) *newLine = second;
  return true;
}

tgvLine_C* tgvLine_C::Join(PtrList_C* lines) {
  if (!lines || lines->IsEmpty()) return nullptr;
  if (lines->GetCount() == 1) return static_cast<tgvLine_C*>(lines->GetHeadPosition()->value);
  SortLinesByTime(lines);
  std::vector<tgvRecord_C*> all = tgvItems(*lines);
  auto* joined = static_cast<tgvLine_C*>(all.front());
  tgvDatabase_C* db = joined->GetManager();
  if (!db) return nullptr;
  DbLock lock = db->Lock();
  joined->ClearSegments();
  for (size_t i = 1; i < all.size(); ++i) {
    auto* other = static_cast<tgvLine_C*>(all[i]);
    if (other == joined || other->GetManager() != db || other->IsDeleted()) continue;
    other->ClearSegments();
    const std::vector<tgvWayPoint_C*> points = ChainOf(db, other);
    for (tgvWayPoint_C* p : points) p->SetParentID(joined->GetId(), 1);
    if (!points.empty()) {
      if (tgvWayPoint_C* last = joined->GetLastPoint())
        last->SetNextID(points.front()->GetId(), 1);
      else
        joined->Set1stWPID(points.front()->GetId(), 1);
      points.back()->SetNextID(0, 1);
      joined->SetLstWPID(points.back()->GetId(), 1);
    }
    const std::vector<tgvVP_C*> vps = AttachmentChain(db, other);
    if (!vps.empty()) {
      const std::vector<tgvVP_C*> own = AttachmentChain(db, joined);
      if (!own.empty())
        own.back()->SetVPID(vps.front()->GetId(), 1);
      else
        joined->SetStartID(vps.front()->GetId(), 1);
      // The attachments belong to the joined line now, so that the
      // deletion of the other line leaves them.
      for (tgvVP_C* vp : vps) vp->SetParentID(joined->GetId(), 1);
      joined->SetEndID(vps.back()->GetId(), 1);
    }
    other->Set1stWPID(0, 1);
    other->SetLstWPID(0, 1);
    other->SetStartID(0, 1);
    other->SetEndID(0, 1);
    other->DeleteShell();
  }
  joined->BuildSegmentsAndLevels(0);
  lines->RemoveAll();
  lines->AddTail(joined);
  return joined;
}

bool tgvLine_C::Delete(bool deletePOIs) {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  return DeleteLine(db, this, true, deletePOIs, db->GetObjectCount(tgvUT_Line) + 1);
}

bool tgvLine_C::DeleteShell() {
  tgvDatabase_C* db = GetManager();
  if (!db) return false;
  DbLock lock = db->Lock();
  return DeleteLine(db, this, false, false, db->GetObjectCount(tgvUT_Line) + 1);
}

// --- encodings ---

bool tgvLine_C::EncodePolyline(UniString_C* points, UniString_C* levels, int shift) {
  tgvDatabase_C* db = GetManager();
  if (!db || !points || !levels || !GetFirstPoint() || !GetLastPoint()) return false;
  DbLock lock = db->Lock();
  std::u16string encodedPoints, encodedLevels;
  int32_t prevLat = 0, prevLon = 0;
  for (const tgvWayPoint_C* p : KeptPoints(db, this)) {
    const GeoPoint_C g = Shifted(p, shift);
    if (!std::isfinite(g.x) || !std::isfinite(g.y)) continue;  // nothing to draw
    const int32_t lat = PolylineUnits(g.y);
    const int32_t lon = PolylineUnits(g.x);
    AppendEncoded(&encodedPoints, EncodePolylineValue(lat - prevLat));
    AppendEncoded(&encodedPoints, EncodePolylineValue(lon - prevLon));
    AppendLevel(&encodedLevels, 17 - p->GetLevel());
    prevLat = lat;
    prevLon = lon;
  }
  *points = encodedPoints.c_str();
  *levels = encodedLevels.c_str();
  return true;
}

bool tgvLine_C::CoordinatesJson(int* count, UniString_C* text, int shift) {
  if (count) *count = 0;
  if (text) *text = u"[]";
  tgvDatabase_C* db = GetManager();
  if (!db || !text || !GetFirstPoint() || !GetLastPoint()) return false;
  DbLock lock = db->Lock();
  WStrBuilder_C out;
  out.Append(u"[");
  int written = 0;
  for (const tgvWayPoint_C* p : KeptPoints(db, this)) {
    if (written) out.Append(u",");
    AppendPair(&out, u"[%f,%f]", Shifted(p, shift));
    ++written;
  }
  out.Append(u"]");
  *text = out.GetText();
  if (count) *count = written;
  return true;
}

bool tgvLine_C::PathSampleJson(WStrBuilder_C* builder, int shift) {
  tgvDatabase_C* db = GetManager();
  if (!db || !builder) return false;
  DbLock lock = db->Lock();
  const std::vector<tgvWayPoint_C*> chain = ChainOf(db, this);
  const size_t count = chain.size();
  if (count < 2) return false;
  // From the line's start time (its stored one, which the first point's GPS
  // time keeps in step) to the last point's GPS time.
  const std::optional<IntPair_C> stored = LineTime(this);
  const std::optional<double> end = PointSeconds(chain.back());
  // Plain values: GCC 12 cannot follow optionals through `byTime` and takes
  // the start for one that may be unset.
  const double first = stored ? Seconds(*stored) : 0.0, last = end.value_or(0.0);
  const bool byTime = stored && end && last > first;
  const double step = byTime ? (last - first) / kSamples : static_cast<double>(count) / kSamples;
  AppendPair(builder, u"[%f,%f]", Shifted(chain.front(), shift));
  double target = byTime ? first : 0.0;
  size_t index = 0;
  for (int k = 1; k < kSamples - 1; ++k) {
    target += step;
    if (byTime) {
      while (index + 1 < count) {
        const std::optional<double> t = PointSeconds(chain[index + 1]);
        if (!t || *t >= target) break;
        ++index;
      }
    } else {
      index = std::min(static_cast<size_t>(target), count - 1);
    }
    AppendPair(builder, u",[%f,%f]", Shifted(chain[index], shift));
  }
  AppendPair(builder, u",[%f,%f]", Shifted(chain.back(), shift));
  return true;
}

// --- time order ---

int CompareLinesByStartTime(tgvLine_C* a, tgvLine_C* b) { return CompareOptionalTimes(LineTime(a), LineTime(b)); }

int CompareLinesByTime(tgvLine_C* a, tgvLine_C* b) { return CompareLinesByStartTime(a, b); }

int ComparePOIsByTime(const tgvPOI_C* a, const tgvPOI_C* b) {
  auto timeOf = [](const tgvPOI_C* p) -> std::optional<IntPair_C> {
    IntPair_C t;
    if (!p || !p->GetTime(&t.first, &t.second) || (t.first == 0 && t.second == 0)) return std::nullopt;
    return t;
  };
  return CompareOptionalTimes(timeOf(a), timeOf(b));
}

int CompareWayPointsByTime(const tgvWayPoint_C* a, const tgvWayPoint_C* b) {
  auto timeOf = [](const tgvWayPoint_C* p) -> std::optional<IntPair_C> {
    IntPair_C t;
    if (!p || !p->GetLogTimeSpeed(&t.first, &t.second, nullptr)) return std::nullopt;
    return t;
  };
  return CompareOptionalTimes(timeOf(a), timeOf(b));
}

void SortLinesByTime(PtrList_C* list) {
  if (!list || list->GetCount() < 2) return;
  struct Keyed {
    tgvLine_C* line;
    std::optional<IntPair_C> time;
  };
  std::vector<Keyed> keyed;
  for (tgvRecord_C* r : tgvItems(*list)) {
    auto* line = static_cast<tgvLine_C*>(r);
    keyed.push_back({line, LineTime(line)});
  }
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const Keyed& a, const Keyed& b) { return CompareOptionalTimes(a.time, b.time) < 0; });
  list->RemoveAll();
  for (const Keyed& k : keyed) list->AddTail(k.line);
}
