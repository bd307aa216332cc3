#include "export/driverrules.h"

#include <algorithm>
#include <cmath>

#include "platform/win32/format.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvLine.h"
#include "trackdb/tgvMapPage.h"
#include "trackdb/tgvRecordList.h"

namespace {

bool Before(const std::optional<IntPair_C>& a, const std::optional<IntPair_C>& b) {
  if (!a || !b) return a.has_value() && !b.has_value();
  return CompareTime64(a->first, a->second, b->first, b->second) < 0;
}

}  // namespace

std::vector<TimedLine_C> LinesInTimeOrder(const PtrList_C* lines) {
  std::vector<TimedLine_C> out;
  if (!lines) return out;
  for (tgvRecord_C* r : tgvItems(*lines)) {
    TimedLine_C item{static_cast<tgvLine_C*>(r), std::nullopt};
    IntPair_C t;
    if (item.line->GetTime(&t.first, &t.second)) item.start = t;
    out.push_back(item);
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const TimedLine_C& a, const TimedLine_C& b) { return Before(a.start, b.start); });
  return out;
}

std::vector<tgvPOI_C*> POIsInTimeOrder(const PtrList_C* pois) {
  std::vector<tgvPOI_C*> out;
  if (!pois) return out;
  PtrList_C copy;
  for (tgvRecord_C* r : tgvItems(*pois)) copy.AddTail(r);
  SortPOIsByTime(&copy);
  for (tgvRecord_C* r : tgvItems(copy)) out.push_back(static_cast<tgvPOI_C*>(r));
  return out;
}

std::vector<tgvWayPoint_C*> LinePoints(const tgvLine_C* line, bool levelFilter) {
  std::vector<tgvWayPoint_C*> out;
  tgvDatabase_C* db = line ? line->GetManager() : nullptr;
  if (!db) return out;
  uint64_t steps = uint64_t(db->GetObjectCount(tgvUT_WP)) + 1;
  for (tgvWayPoint_C* p = line->GetFirstPoint(); p && steps-- > 0; p = p->GetNext()) {
    if (!levelFilter || p->GetLevel() >= 0) out.push_back(p);
  }
  return out;
}

FirstAttachments_C::FirstAttachments_C(const tgvLine_C* line) {
  tgvDatabase_C* db = line ? line->GetManager() : nullptr;
  if (!db) return;
  m_lineId = line->GetId();
  // As many steps as the database has attachments: a cycle ends the walk.
  uint64_t steps = uint64_t(db->GetObjectCount(tgvUT_VP)) + 1;
  for (const tgvVP_C* vp = line->GetFirstVP(); vp && steps-- > 0; vp = vp->GetNext())
    if (vp->GetWPID() != 0) m_byPoint.emplace(vp->GetWPID(), vp);
}

const tgvVP_C* FirstAttachments_C::Of(const tgvWayPoint_C* point) const {
  if (!point) return nullptr;
  if (point->GetParentID() != m_lineId || m_lineId == 0) return point->GetFirstVP();
  auto it = m_byPoint.find(point->GetId());
  return it == m_byPoint.end() ? nullptr : it->second;
}

PointLog_C ReadPointLog(const tgvWayPoint_C* point) {
  PointLog_C log;
  if (point && point->GetLogTimeSpeed(&log.time.first, &log.time.second, &log.speed)) {
    log.logged = true;
  } else {
    log = PointLog_C();
  }
  return log;
}

GSensor_C ReadGSensor(const tgvWayPoint_C* point) {
  GSensor_C g;
  if (!point || !point->GetGSensor(&g.x, &g.y, &g.z)) g = GSensor_C();
  return g;
}

IntPair_C ReadPOITime(const tgvPOI_C* poi) {
  IntPair_C t;
  if (!poi || !poi->GetTime(&t.first, &t.second)) t = IntPair_C();
  return t;
}

int64_t UnixSeconds(IntPair_C time) {
  int64_t seconds = 0;
  int32_t ms = 0;
  FileTimeToUnix(time, &seconds, &ms);
  return seconds;
}

std::u16string StyleId(const tgvStyle_C* style) {
  return style ? FormatW(u"%s_%u", style->GetName() ? style->GetName() : u"", style->GetId()) : std::u16string();
}

std::u16string StyleRef(const tgvStyle_C* style) { return style ? u"#" + StyleId(style) : std::u16string(); }

double KmlAltitude(double altitude) { return altitude <= -3000.0 || !std::isfinite(altitude) ? 0.0 : altitude; }

bool ValidPosition(double longitude, double latitude) { return GeoPoint_C(longitude, latitude).IsValid(); }
