#include "export/tgvLineExport.h"

#include <algorithm>
#include <climits>

#include "export/driverrules.h"
#include "export/tgvCsvWriter.h"
#include "export/tgvNmeaWriter.h"
#include "export/tgvPcx5Writer.h"
#include "export/tgvTrackPointWriter.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvGeometry.h"
#include "trackdb/tgvLine.h"
#include "trackdb/tgvRecordList.h"

namespace {

using DbLock = std::unique_lock<std::recursive_mutex>;

tgvDatabase_C* Usable(tgvDocument_C* doc, const char16_t* path, const PtrList_C* lines) {
  return doc && path && lines && lines->GetCount() > 0 ? doc->GetDatabase() : nullptr;
}

double Course(const tgvWayPoint_C* from, const tgvWayPoint_C* to) {
  return InitialBearingDeg(from->GetLongitude(), from->GetLatitude(), to->GetLongitude(), to->GetLatitude());
}

bool WriteCsv(tgvDocument_C* doc, const char16_t* path, PtrList_C* lines, int32_t offsetMinutes, int32_t layout) {
  tgvDatabase_C* db = Usable(doc, path, lines);
  if (!db) return false;
  DbLock lock = db->Lock();
  tgvCsvWriter_C csv;
  csv.Begin(offsetMinutes, layout);
  SortLinesByTime(lines);
  csv.WriteHeader();
  int32_t number = 0;
  for (tgvRecord_C* r : tgvItems(*lines)) {
    ++number;
    const auto* line = static_cast<tgvLine_C*>(r);
    const std::vector<tgvWayPoint_C*> chain = LinePoints(line, false);
    const FirstAttachments_C attachments(line);
    double course = 0.0;
    for (size_t i = 0; i < chain.size(); ++i) {
      const tgvWayPoint_C* p = chain[i];
      if (i + 1 < chain.size()) course = Course(p, chain[i + 1]);
      const PointLog_C log = ReadPointLog(p);
      if (!log.logged) continue;
      const GSensor_C g = ReadGSensor(p);
      const auto lap = static_cast<int32_t>(std::min<uint32_t>(p->GetLapID(), INT32_MAX));
      csv.AddRow(number, 0, p->GetLatitude(), p->GetLongitude(), p->GetAltitude(), log.time, log.speed, course, lap,
                 g.x, g.y, g.z, attachments.Of(p) != nullptr);
    }
  }
  return csv.End(path);
}

}  // namespace

bool ExportNmea(tgvDocument_C* doc, const char16_t* path, const PtrList_C* lines) {
  tgvDatabase_C* db = Usable(doc, path, lines);
  if (!db) return false;
  DbLock lock = db->Lock();
  tgvNmeaWriter_C nmea;
  nmea.Begin();
  for (const TimedLine_C& item : LinesInTimeOrder(lines)) {
    const tgvWayPoint_C* previous = nullptr;
    for (const tgvWayPoint_C* p : LinePoints(item.line, false)) {
      const PointLog_C log = ReadPointLog(p);
      if (log.logged)
        nmea.AddPoint(p->GetLatitude(), p->GetLongitude(), p->GetAltitude(), log.speed,
                      previous ? Course(previous, p) : 0.0, log.time, nullptr);
      previous = p;
    }
  }
  return nmea.End(path);
}

bool ExportTrackPointFile(tgvDocument_C* doc, const char16_t* path, const PtrList_C* lines) {
  tgvDatabase_C* db = Usable(doc, path, lines);
  if (!db) return false;
  DbLock lock = db->Lock();
  tgvTrackPointWriter_C file;
  file.Begin();
  file.WriteCount(0);
  for (const TimedLine_C& item : LinesInTimeOrder(lines)) {
    for (const tgvWayPoint_C* p : LinePoints(item.line, false)) {
      const PointLog_C log = ReadPointLog(p);
      if (log.logged) file.AddPoint(p->GetLatitude(), p->GetLongitude(), p->GetAltitude(), log.time);
    }
  }
  return file.End(path);
}

bool ExportPcx5(tgvDocument_C* doc, const char16_t* path, const PtrList_C* lines) {
  tgvDatabase_C* db = Usable(doc, path, lines);
  if (!db) return false;
  DbLock lock = db->Lock();
  tgvPcx5Writer_C pcx;
  pcx.Begin();
  for (const TimedLine_C& item : LinesInTimeOrder(lines)) {
    pcx.BeginTrack(item.line->GetName());
    for (const tgvWayPoint_C* p : LinePoints(item.line, false)) {
      const PointLog_C log = ReadPointLog(p);
      if (log.logged) pcx.AddPoint(p->GetLatitude(), p->GetLongitude(), p->GetAltitude(), log.time);
    }
  }
  return pcx.End(path);
}

bool ExportCsv(tgvDocument_C* doc, const char16_t* path, PtrList_C* lines, int32_t offsetMinutes) {
  return WriteCsv(doc, path, lines, offsetMinutes, 0);
}

bool ExportCsvAlt(tgvDocument_C* doc, const char16_t* path, PtrList_C* lines, int32_t offsetMinutes) {
  return WriteCsv(doc, path, lines, offsetMinutes, 1);
}
