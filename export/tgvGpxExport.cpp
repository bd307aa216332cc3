#include "export/tgvGpxExport.h"

#include "export/driverrules.h"
#include "export/geofields.h"
#include "export/tgvGpxWriter.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvLine.h"

namespace {

// The text of the object's value for the definition; null when none.
const char16_t* ValueText(const tgvValueDef_C* def, const tgvRecord_C* object) {
  const tgvVal_C* value = def && object ? def->FindPOIValue(object) : nullptr;
  return value ? value->GetValue() : nullptr;
}

IntPair_C Moved(IntPair_C time, int32_t offsetMinutes) {
  if (offsetMinutes == 0) return time;
  int64_t seconds = 0;
  int32_t ms = 0;
  FileTimeToUnix(time, &seconds, &ms);
  return UnixToFileTime(seconds + int64_t(offsetMinutes) * 60, ms);
}

}  // namespace

bool ExportGpx(tgvDocument_C* doc, const char16_t* path, const PtrList_C* pois, const PtrList_C* lines,
               const tgvValueDef_C* descriptionDef, const tgvValueDef_C* typeDef, int32_t mode, uint8_t route,
               uint8_t levelFilter, int32_t offsetMinutes) {
  tgvDatabase_C* db = doc ? doc->GetDatabase() : nullptr;
  if (!db || !path) return false;
  auto lock = db->Lock();
  tgvGpxWriter_C gpx;
  gpx.Begin(mode, offsetMinutes);
  for (const tgvPOI_C* poi : POIsInTimeOrder(pois)) {
    gpx.AddWayPoint(poi->GetName(), poi->GetRealLati(), poi->GetRealLong(), poi->GetAltitude(), ReadPOITime(poi),
                    ValueText(descriptionDef, poi), ValueText(typeDef, poi));
  }
  for (const TimedLine_C& item : LinesInTimeOrder(lines)) {
    const tgvLine_C* line = item.line;
    if (route)
      gpx.BeginRoute(line->GetName());
    else
      gpx.BeginTrack(line->GetName());
    const FirstAttachments_C attachments(line);
    for (const tgvWayPoint_C* p : LinePoints(line, levelFilter != 0)) {
      const tgvVP_C* vp = attachments.Of(p);
      const tgvPOI_C* poi = vp ? vp->GetPOI() : nullptr;
      const char16_t* name = poi ? poi->GetName() : nullptr;
      const char16_t* description = ValueText(descriptionDef, poi);
      const PointLog_C log = ReadPointLog(p);
      const IntPair_C time = log.logged ? Moved(log.time, offsetMinutes) : IntPair_C();
      if (route)
        gpx.AddRoutePoint(p->GetLatitude(), p->GetLongitude(), p->GetAltitude(), log.speed, time, name, description);
      else
        gpx.AddTrackPoint(p->GetLatitude(), p->GetLongitude(), p->GetAltitude(), log.speed, time, name, description,
                          TruncToInt32(p->GetBPM()));
    }
    if (route)
      gpx.EndRoute();
    else
      gpx.EndTrack();
  }
  return gpx.End(path);
}
