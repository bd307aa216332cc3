#include "export/tgvMapPageExport.h"

#include "export/driverrules.h"
#include "export/tgvGMapHtmlWriter.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvLine.h"
#include "trackdb/tgvMapPage.h"

namespace {

constexpr uint8_t kRegionChina = 2;

tgvMapLine_C MapLine(const TimedLine_C& item, int shift) {
  tgvLine_C* line = item.line;
  tgvMapLine_C out;
  out.id = static_cast<int32_t>(line->GetId());
  out.name = line->GetName();
  line->EncodePolyline(&out.points, &out.levels, shift);
  const tgvStyle_C* style = line->GetStyle();
  out.color = MapLineColor(style).c_str();
  out.width = style ? style->GetVSWidth() : 0;
  out.distance = line->GetLength();
  line->GetGeoRect(&out.box);
  const tgvWayPoint_C* first = line->GetFirstPoint();
  out.start = MapPagePosition(first->GetLongitude(), first->GetLatitude(), shift);
  if (item.start) out.startTime = *item.start;
  return out;
}

}  // namespace

bool ExportGMapHtml(tgvDocument_C* doc, const char16_t* path, const PtrList_C* pois, const PtrList_C* lines,
                    MapPageOptions_C* options, const char16_t* photoFolder, const char16_t* programFolder) {
  tgvDatabase_C* db = doc ? doc->GetDatabase() : nullptr;
  if (!db || !path) return false;
  auto lock = db->Lock();
  tgvGMapHtmlWriter_C page(programFolder);
  page.Begin(options);
  const int shift = options && options->region == kRegionChina ? 1 : 0;

  const std::vector<tgvPOI_C*> sortedPOIs = POIsInTimeOrder(pois);
  page.BeginMarkers(static_cast<int32_t>(sortedPOIs.size()));
  for (const tgvPOI_C* poi : sortedPOIs) {
    if (!ValidPosition(poi->GetRealLong(), poi->GetRealLati())) continue;
    std::u16string marker;
    AppendMarkerJson(poi, &marker, photoFolder, shift, 0, nullptr);
    const GeoPoint_C p = MapPagePosition(poi->GetRealLong(), poi->GetRealLati(), shift);
    page.AddMarker(p.x, p.y, marker.c_str());
  }
  page.EndMarkers();

  page.BeginLines();
  for (const TimedLine_C& item : LinesInTimeOrder(lines)) {
    if (item.line->GetFirstPoint()) page.AddLine(MapLine(item, shift));
  }
  page.EndLines();
  return page.End(path);
}
