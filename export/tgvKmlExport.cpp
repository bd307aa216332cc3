#include "export/tgvKmlExport.h"

#include <vector>

#include "export/driverrules.h"
#include "export/tgvKmlWriter.h"
#include "platform/win32/format.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvLine.h"
#include "trackdb/tgvMapPage.h"
#include "trackdb/tgvRecordList.h"

namespace {

constexpr int32_t kRange = 6000;
constexpr int32_t kTilt = 45;
constexpr int32_t kHeading = 0;
// Public icons of the map service: a square for waypoints, a yellow pushpin
// for timed points.
constexpr const char16_t* kWayPointIcon = u"http://maps.google.com/mapfiles/kml/shapes/placemark_square.png";
constexpr const char16_t* kTimedPointIcon = u"http://maps.google.com/mapfiles/kml/pushpin/ylw-pushpin.png";

using DbLock = std::unique_lock<std::recursive_mutex>;

void WriteStyles(tgvKmlWriter_C& kml, tgvDocument_C* doc, const char16_t* iconFolder, bool withIcons) {
  PtrList_C styles;
  doc->GetStyles(&styles);
  for (tgvRecord_C* r : tgvItems(styles)) {
    const auto* style = static_cast<tgvStyle_C*>(r);
    kml.BeginStyle(StyleId(style).c_str());
    const char16_t* icon = style->GetVSIconName();
    if (withIcons && icon && *icon) {
      std::u16string href = iconFolder && *iconFolder ? std::u16string(iconFolder) + u"/" + icon : icon;
      kml.AddIconStyle(href.c_str(), 0.7);
    }
    if (style->GetVSFColor() != 0 || style->GetVSWidth() > 0)
      kml.AddLineStyle(tgvKmlWriter_C::FormatColor(style->GetVSFColor()).c_str(), style->GetVSWidth());
    kml.EndStyle();
  }
}

void AddPOIPlacemark(tgvKmlWriter_C& kml, const tgvPOI_C* poi, const char16_t* photoFolder) {
  std::u16string popup;
  AppendPopupHtml(poi, photoFolder, &popup, nullptr);
  kml.AddPlacemark(poi->GetName(), StyleRef(poi->GetStyle()).c_str(), popup.c_str(), poi->GetRealLong(),
                   poi->GetRealLati(), KmlAltitude(poi->GetAltitude()), kRange, kTilt, kHeading);
}

bool Valid(const tgvWayPoint_C* p) { return ValidPosition(p->GetLongitude(), p->GetLatitude()); }

// Which points of the walked lines lie inside the ranges (all without ranges).
class RangeFilter {
 public:
  explicit RangeFilter(const PtrList_C* ranges) : m_all(!ranges) {
    if (ranges) {
      for (tgvRecord_C* r : tgvItems(*ranges)) m_bounds.push_back(r);
    }
  }
  bool Take(const tgvWayPoint_C* p) {
    if (m_all) return true;
    if (!m_inside && m_next < m_bounds.size() && m_bounds[m_next] == p) m_inside = true;
    if (!m_inside) return false;
    if (m_next + 1 < m_bounds.size() && m_bounds[m_next + 1] == p) EndRange();
    return true;
  }
  // A range still open at the end of its line ends there.
  void EndLine() {
    if (m_inside) EndRange();
  }

 private:
  void EndRange() {
    m_inside = false;
    m_next += 2;
  }
  bool m_all;
  std::vector<const tgvRecord_C*> m_bounds;
  size_t m_next = 0;
  bool m_inside = false;
};

bool FullExport(tgvDocument_C* doc, const char16_t* path, const PtrList_C* lines, uint8_t waypoints,
                uint8_t levelFilter, uint8_t points, const KmlProgress_F& progress, const PtrList_C* ranges) {
  tgvDatabase_C* db = doc ? doc->GetDatabase() : nullptr;
  if (!db || !path || !lines || lines->GetCount() == 0) return false;
  DbLock lock = db->Lock();
  tgvKmlWriter_C kml;
  kml.Begin();
  WriteStyles(kml, doc, nullptr, false);
  if (waypoints) {
    kml.BeginStyle(u"wpIcon");
    kml.AddIconStyle(kWayPointIcon, 0.7);
    kml.EndStyle();
  }
  if (points) {
    kml.BeginStyle(u"taIcon");
    kml.AddIconStyle(kTimedPointIcon, 1.0);
    kml.EndStyle();
  }
  const std::vector<TimedLine_C> sorted = LinesInTimeOrder(lines);
  const bool filter = levelFilter != 0;

  if (waypoints) {
    kml.BeginFolder(u"WayPoints");
    RangeFilter range(ranges);
    for (size_t i = 0; i < sorted.size(); ++i) {
      for (const tgvWayPoint_C* p : LinePoints(sorted[i].line, filter)) {
        if (!range.Take(p)) continue;
        const PointLog_C log = ReadPointLog(p);
        if (!log.logged || !Valid(p)) continue;
        int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
        TimeToLocalFields(log.time, &y, &mo, &d, &h, &mi, &s);
        const std::u16string text =
            FormatW(u"Time: %d/%02d/%02d %02d:%02d:%02d \nSpeed: %f", y, mo, d, h, mi, s, log.speed);
        kml.AddPlacemark(nullptr, u"#wpIcon", text.c_str(), p->GetLongitude(), p->GetLatitude(),
                         KmlAltitude(p->GetAltitude()), kRange, kTilt, kHeading);
      }
      range.EndLine();
      if (progress) progress(static_cast<int>((i + 1) * 100 / sorted.size()));
    }
    kml.EndFolder();
  }

  for (const TimedLine_C& item : sorted) {
    if (!item.line->GetFirstPoint()) continue;
    PtrList_C vps;
    item.line->GetVPs(&vps);
    for (tgvRecord_C* r : tgvItems(vps)) {
      const tgvPOI_C* poi = static_cast<tgvVP_C*>(r)->GetPOI();
      if (poi && ValidPosition(poi->GetRealLong(), poi->GetRealLati())) AddPOIPlacemark(kml, poi, nullptr);
    }
  }

  kml.BeginFolder(u"Tracks");
  RangeFilter range(ranges);
  for (const TimedLine_C& item : sorted) {
    tgvLine_C* line = item.line;
    if (!line->GetFirstPoint()) continue;
    if (points) kml.BeginFolder(line->GetName());
    const std::vector<tgvWayPoint_C*> chain = LinePoints(line, filter);
    if (!chain.empty()) {
      // Both walks of the line see the ranges as they stood at its start.
      RangeFilter atStart = range;
      if (points) {
        kml.BeginFolder(u"Points");
        for (const tgvWayPoint_C* p : chain) {
          if (!range.Take(p)) continue;
          const PointLog_C log = ReadPointLog(p);
          if (log.logged && Valid(p))
            kml.AddTimedPlacemark(u"#taIcon", UnixSeconds(log.time), p->GetLongitude(), p->GetLatitude(),
                                  KmlAltitude(p->GetAltitude()));
        }
        range.EndLine();
        kml.EndFolder();
      }
      kml.BeginLinePlacemark(line->GetName(), StyleRef(line->GetStyle()).c_str(), nullptr);
      for (const tgvWayPoint_C* p : chain) {
        if (atStart.Take(p) && Valid(p))
          kml.AddCoord(p->GetLongitude(), p->GetLatitude(), KmlAltitude(p->GetAltitude()));
      }
      atStart.EndLine();
      range = atStart;
      kml.EndLinePlacemark();
    }
    if (points) kml.EndFolder();
  }
  kml.EndFolder();
  return kml.End(path);
}

}  // namespace

bool ExportKmlLines(tgvDocument_C* doc, const char16_t* path, const char16_t* photoFolder, const char16_t* iconFolder) {
  tgvDatabase_C* db = doc ? doc->GetDatabase() : nullptr;
  if (!db || !path) return false;
  DbLock lock = db->Lock();
  tgvKmlWriter_C kml;
  kml.Begin();
  WriteStyles(kml, doc, iconFolder, true);
  PtrList_C pois;
  doc->GetPOIs(&pois, nullptr, GeoBox_C());
  for (tgvRecord_C* r : tgvItems(pois)) {
    const auto* poi = static_cast<tgvPOI_C*>(r);
    if (ValidPosition(poi->GetRealLong(), poi->GetRealLati())) AddPOIPlacemark(kml, poi, photoFolder);
  }
  PtrList_C lines;
  if (doc->GetLines(&lines, nullptr, true) > 0) {
    kml.BeginFolder(u"Tracks");
    for (tgvRecord_C* r : tgvItems(lines)) {
      auto* line = static_cast<tgvLine_C*>(r);
      PtrList_C collected;
      if (!line->GetFirstPoint() || line->CollectPoints(&collected, false, -1) == 0) continue;
      kml.BeginLinePlacemark(line->GetName(), StyleRef(line->GetStyle()).c_str(), nullptr);
      for (tgvRecord_C* q : tgvItems(collected)) {
        const auto* p = static_cast<tgvWayPoint_C*>(q);
        if (Valid(p)) kml.AddCoord(p->GetLongitude(), p->GetLatitude(), KmlAltitude(p->GetAltitude()));
      }
      kml.EndLinePlacemark();
    }
    kml.EndFolder();
  }
  return kml.End(path);
}

bool ExportKmlFull(tgvDocument_C* doc, const char16_t* path, const PtrList_C* lines, uint8_t waypoints,
                   uint8_t levelFilter, uint8_t points, const KmlProgress_F& progress) {
  return FullExport(doc, path, lines, waypoints, levelFilter, points, progress, nullptr);
}

bool ExportKmlFullAlt(tgvDocument_C* doc, const char16_t* path, const PtrList_C* lines, uint8_t waypoints,
                      uint8_t levelFilter, uint8_t points, const KmlProgress_F& progress, const PtrList_C* ranges) {
  return FullExport(doc, path, lines, waypoints, levelFilter, points, progress, ranges);
}
