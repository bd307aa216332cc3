// Writes the seeds of the project-database target into a folder: an empty
// project and one with a few records of most kinds, both on 512-byte pages so
// that the fuzzer's inputs stay small.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/win32/utf.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvRecordTypes.h"

namespace {

// An existing file without tables is a new project to the store; the pages
// keep the size this file was made with.
bool MakeSmallPagedFile(const std::string& path) {
  std::filesystem::remove(path);
  sqlite3* db = nullptr;
  bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
            sqlite3_exec(db, "PRAGMA page_size = 512; CREATE TABLE x(a); DROP TABLE x; VACUUM;", nullptr, nullptr,
                         nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

bool Fill(tgvDatabase_C& db) {
  tgvType_C* type = db.CreateType(tgvUT_TypeD, u"Track", u"flag", 0, nullptr);
  tgvMap_C* map = db.CreateMap(tgvUT_Map, u"Fuji", u"fuji.png", 0, 1);
  if (!type || !map) return false;
  tgvPOI_C* poi = db.CreatePOI(tgvUT_POI, u"Pit \u00E9", IntPoint_C(3, 4), GeoPoint_C(138.92, 35.37), 0, type->GetId(),
                               map->GetId());
  tgvLine_C* line = db.CreateLine(tgvUT_Line, u"Lap 1", 0, 0, type->GetId(), map->GetId(), 0);
  if (!poi || !line) return false;
  for (int i = 0; i < 3; ++i) {
    tgvWayPointSensors sensors;
    sensors.rpm = 5000 + i;
    if (!db.CreateWayPoint(tgvUT_WP, line, IntPoint_C(i, i), GeoPoint_C(138.92 + i * 1e-4, 35.37), i, sensors,
                           map->GetId(), 0, 0))
      return false;
  }
  tgvValueDef_C* def = db.CreateValueDef(tgvUT_ValD, u"Driver", 1, 0, type, nullptr);
  return def && db.CreateValue(tgvUT_Val, line, def, u"A. Driver") &&
         db.CreatePropText(tgvUT_PropText, u"note", poi, u"text", 0) &&
         db.CreatePropInt(tgvUT_PropInt, u"laps", line, 12, 0) &&
         db.CreatePropDouble(tgvUT_PropDouble, u"best", line, 91.25, 0) &&
         db.CreateGPSLog(tgvUT_GPSLog, 1, 2, 120.5, 0.1, 0.2, 0.3) &&
         db.CreateTag(tgvUT_TagD, u"wet", u"rain", tgvUT_Line, u"") &&
         db.CreateControlPoint(tgvUT_CP, u"cp", map, IntPoint_C(1, 2), GeoPoint_C(138.9, 35.3)) && db.Flush();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_projectdb_seeds <folder>\n");
    return 2;
  }
  const std::string dir = argv[1];
  for (const char* name : {"empty.tgv", "records.tgv"}) {
    const std::string path = dir + "/" + name;
    if (!MakeSmallPagedFile(path)) return 1;
    tgvDatabase_C db;
    const std::u16string path16 = Utf8ToUtf16(path);
    if (!db.Open(RecordTypeTable, path16.c_str(), nullptr)) return 1;
    if (std::string(name) == "records.tgv" && !Fill(db)) return 1;
    db.Close();
  }
  return 0;
}
