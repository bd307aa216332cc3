// Writes the seeds of the project-database target into a folder: an empty
// project and one with a few records of most kinds, both on 512-byte pages so
// that the fuzzer's inputs stay small; and the records again in a file of
// UTF-16 texts, as the other program writes them, where one POI's name is a
// damaged cell of an odd number of bytes.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/win32/utf.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvRecordTypes.h"

namespace {

// An existing file without tables is a new project to the store; the pages
// keep the size this file was made with, and its texts their encoding.
bool MakeSmallPagedFile(const std::string& path, bool utf16) {
  std::filesystem::remove(path);
  sqlite3* db = nullptr;
  const int opened = utf16 ? sqlite3_open16(Utf8ToUtf16(path).c_str(), &db) : sqlite3_open(path.c_str(), &db);
  bool ok = opened == SQLITE_OK && sqlite3_exec(db, "PRAGMA page_size = 512; CREATE TABLE x(a); DROP TABLE x; VACUUM;",
                                                nullptr, nullptr, nullptr) == SQLITE_OK;
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

// Gives the first POI's name its bytes and one stray byte more.
bool MakeOddNameCell(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_stmt* st = nullptr;
  const char name[] = {'P', 0, 'i', 0, 't', 0, 'x'};
  bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
            sqlite3_prepare_v2(db, "UPDATE POI SET fName = ? WHERE fID = 1;", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_bind_text16(st, 1, name, sizeof name, SQLITE_STATIC) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_DONE;
  sqlite3_finalize(st);
  sqlite3_close(db);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_projectdb_seeds <folder>\n");
    return 2;
  }
  const std::string dir = argv[1];
  const struct {
    const char* name;
    bool records, utf16;
  } seeds[] = {{"empty.tgv", false, false}, {"records.tgv", true, false}, {"oddtext.tgv", true, true}};
  for (const auto& seed : seeds) {
    const std::string path = dir + "/" + seed.name;
    if (!MakeSmallPagedFile(path, seed.utf16)) return 1;
    tgvDatabase_C db;
    const std::u16string path16 = Utf8ToUtf16(path);
    if (!db.Open(RecordTypeTable, path16.c_str(), nullptr)) return 1;
    if (seed.records && !Fill(db)) return 1;
    db.Close();
  }
  return MakeOddNameCell(dir + "/oddtext.tgv") ? 0 : 1;
}
