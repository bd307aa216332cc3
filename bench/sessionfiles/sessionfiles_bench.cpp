// Writing the two upload files of one session (72,000 points, 100 laps of 4
// sectors, 4 beacons) through SessionFileWriter, against the same schemas and
// rows inserted with plain SQLite calls in one transaction per file, in the
// same run and the same folder. After the table it prints both times and the
// ratio writer / plain (goal: at most 1.5).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "appcore/SessionFileWriter.h"
#include "bench/common/ThroughputReporter.h"
#include "platform/win32/utf.h"

namespace {

constexpr int kPoints = 72000;
constexpr int kLaps = 100;
constexpr int kSectors = 4;
constexpr int kBeacons = 4;

struct Session {
  std::vector<WayPointRow> points;
  std::vector<BeaconRec> beacons;
  std::vector<LapRec> laps;
  std::vector<SectorRec> sectors;
};

const Session& TheSession() {
  static const Session s = [] {
    Session s;
    s.points.resize(kPoints);
    for (int i = 0; i < kPoints; ++i) {
      WayPointRow& p = s.points[i];
      p.id = i + 1;
      std::strcpy(p.rcr, "A");
      p.time = 1700000000 + i / 10, p.ms = (i % 10) * 100;
      p.lat = 35.37 + (i % 720) * 1e-5, p.lon = 138.92 + (i % 720) * 1e-5, p.altitude = 550.0 + i % 7;
      p.heading = (i * 0.5) - static_cast<int>(i * 0.5 / 360) * 360, p.speed = 120.0 + i % 60;
      p.Gx = 0.1, p.Gy = -0.2, p.Gz = 1.0, p.distance = 0.0033, p.AccDec = 0.05, p.Inclination = 0.01;
    }
    for (int b = 0; b < kBeacons; ++b) {
      BeaconRec r{};
      r.type = b == 0 ? kBeaconStartFinish : kBeaconSplit;
      std::snprintf(r.name, sizeof r.name, b == 0 ? "Start/Finish" : "S%d", b);
      r.lat = 35.37 + b * 1e-3, r.lon = 138.92, r.heading = 90.0, r.width = 30;
      s.beacons.push_back(r);
    }
    for (int lap = 1; lap <= kLaps; ++lap) {
      for (int k = 1; k <= kSectors; ++k) {
        SectorRec r{};
        r.id = k, r.lap_id = lap, r.start_wp = lap * 720 + (k - 1) * 180, r.finish_wp = r.start_wp + 180;
        r.duration = 25.0, r.distance = 1.1, r.MaxSpd = 180.0, r.MinSpd = 80.0, r.AvgSpd = 130.0;
        s.sectors.push_back(r);
      }
      LapRec l{};
      l.id = lap, l.start_wp = lap * 720, l.finish_wp = lap * 720 + 720, l.duration = 100.0, l.distance = 4.4;
      l.MaxSpd = 180.0, l.MinSpd = 80.0, l.AvgSpd = 130.0, l.MaxG = 1.2, l.MinG = -1.1, l.AvgG = 0.3;
      s.laps.push_back(l);
    }
    return s;
  }();
  return s;
}

SessionTrackInfo Track() {
  SessionTrackInfo t;
  t.id = u"12", t.name = u"Fuji Speedway", t.uDate = u"1700000000", t.raceType = u"Circuit", t.type = u"O";
  return t;
}

std::string Folder() {
  static const std::string folder = [] {
    std::string f = (std::filesystem::temp_directory_path() / "pm_bench_sessionfiles").string();
    std::filesystem::create_directories(f + "/ours");
    std::filesystem::create_directories(f + "/plain/TransferDb");
    return f;
  }();
  return folder;
}

// The session as the upload pipeline writes it.
bool WriteOurs() {
  const Session& s = TheSession();
  SessionFileWriter w;
  bool ok = w.Create(Utf8ToUtf16(Folder() + "/ours"), 1, u"GPS-10", Track());
  for (const BeaconRec& b : s.beacons) ok = w.WriteBeacon(b) && ok;
  for (int lap = 0; lap < kLaps; ++lap) {
    for (int k = 0; k < kSectors; ++k) ok = w.WriteSector(s.sectors[lap * kSectors + k]) && ok;
    ok = w.WriteLap(s.laps[lap]) && ok;
  }
  ok = w.WriteWayPoints(s.points.data(), kPoints) && ok;
  return w.WriteBoundary(138.875, 35.375, 35.5, 139.0) && ok;
}

// --- the reference: plain SQLite calls, one transaction per file ---

void Exec(sqlite3* db, const char* sql) { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

sqlite3* OpenFresh(const std::string& path) {
  std::filesystem::remove(path);
  std::u16string wide = Utf8ToUtf16(path);
  sqlite3* db = nullptr;
  sqlite3_open16(wide.c_str(), &db);
  return db;
}

struct InfoPair {
  const char* name;
  const char* value;
};

void Info(sqlite3* db, const char* name, const char* value) {
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO info (name, value) VALUES (?, ?);", -1, &st, nullptr);
  sqlite3_bind_text(st, 1, name, -1, SQLITE_STATIC);
  sqlite3_bind_text(st, 2, value, -1, SQLITE_STATIC);
  sqlite3_step(st);
  sqlite3_finalize(st);
}

void WritePlainSess(const std::string& path) {
  const Session& s = TheSession();
  sqlite3* db = OpenFresh(path);
  Exec(db, "BEGIN;");
  Exec(db,
       "CREATE TABLE POI (id integer PRIMARY KEY AUTOINCREMENT, name text, wp_id int);"
       "CREATE TABLE WayPoints(id INTEGER PRIMARY KEY AUTOINCREMENT,rcr char(1),time INTEGER,ms INTEGER,lat REAL,lon "
       "REAL,altitude REAL,heading REAL,speed REAL,Gx REAL,Gy REAL,Gz REAL,distance REAL,AccDec REAL,Inclination "
       "REAL);"
       "CREATE TABLE info (name text PRIMARY KEY NOT NULL, value text);");
  const InfoPair info[] = {{"version", "1.0"}, {"type", "kdbSession"}, {"serial", ""},
                           {"frequency", ""},  {"CreateBy", "KRX"},    {"model", "GPS-10"}};
  for (const InfoPair& row : info) Info(db, row.name, row.value);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO WayPoints(id,rcr,time,ms,lat,lon,altitude,heading,speed,Gx,Gy,Gz,distance,AccDec,"
                     "Inclination) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);",
                     -1, &st, nullptr);
  for (const WayPointRow& p : s.points) {
    sqlite3_bind_int(st, 1, p.id);
    sqlite3_bind_text(st, 2, p.rcr, -1, SQLITE_STATIC);
    sqlite3_bind_int(st, 3, p.time);
    sqlite3_bind_int(st, 4, p.ms);
    const double values[] = {p.lat, p.lon, p.altitude, p.heading, p.speed,      p.Gx,
                             p.Gy,  p.Gz,  p.distance, p.AccDec,  p.Inclination};
    for (int i = 0; i < 11; ++i) sqlite3_bind_double(st, 5 + i, values[i]);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  Info(db, "boundary",
       " { \"LBLat\" : 35.3750000000000000 , \"LBLon\" : 138.8750000000000000 , \"RTLat\" : 35.5000000000000000 , "
       "\"RTLon\" : 139.0000000000000000 } ");
  Exec(db, "COMMIT;");
  sqlite3_close(db);
}

void BindStats(sqlite3_stmt* st, int first, const double* values, int n) {
  for (int i = 0; i < n; ++i) sqlite3_bind_double(st, first + i, values[i]);
}

// Binds what a lap and a sector row share, from the name at parameter
// `first` to the last statistic, and inserts the row.
template <class Rec>
void InsertRun(sqlite3_stmt* st, int first, const Rec& r) {
  sqlite3_bind_text(st, first, r.name, -1, SQLITE_STATIC);
  sqlite3_bind_int(st, first + 1, r.bFailed);
  sqlite3_bind_int64(st, first + 2, r.start_wp);
  const double start[] = {r.start_inter_lat, r.start_inter_lon};
  BindStats(st, first + 3, start, 2);
  sqlite3_bind_int64(st, first + 5, r.finish_wp);
  const double rest[] = {r.finish_inter_lat, r.finish_inter_lon, r.duration, r.distance, r.MaxSpd,
                         r.MinSpd,           r.AvgSpd,           r.MaxG,     r.MinG,     r.AvgG};
  BindStats(st, first + 6, rest, 10);
  sqlite3_step(st);
  sqlite3_reset(st);
}

void WritePlainSana(const std::string& path) {
  const Session& s = TheSession();
  sqlite3* db = OpenFresh(path);
  Exec(db, "BEGIN;");
  Exec(db,
       "CREATE TABLE beacon(name TEXT, type INTEGER, lat REAL, lon REAL, heading REAL, width INTEGER, color INTEGER);"
       "CREATE TABLE condition(name TEXT, type INTEGER, unit INTEGER, bOfficial INTEGER, condi_1 REAL, condi_2 REAL, "
       "condi_3 REAL);"
       "CREATE TABLE info (name text PRIMARY KEY NOT NULL, value text);"
       "CREATE TABLE lap(id INTEGER PRIMARY KEY AUTOINCREMENT,name TEXT,bFailed boolean,start_wp "
       "INTEGER,start_inter_lat REAL,start_inter_lon REAL,finish_wp INTEGER,finish_inter_lat REAL,finish_inter_lon "
       "REAL,duration REAL,distance REAL,MaxSpd REAL,MinSpd REAL,AvgSpd REAL,MaxG REAL,MinG REAL,AvgG REAL);"
       "CREATE TABLE sector(id INTEGER,lap_id INTEGER,name TEXT,bFailed boolean,start_wp INTEGER,start_inter_lat "
       "REAL,start_inter_lon REAL,finish_wp INTEGER,finish_inter_lat REAL,finish_inter_lon REAL,duration "
       "REAL,distance REAL,MaxSpd REAL,MinSpd REAL,AvgSpd REAL,MaxG REAL,MinG REAL,AvgG REAL);");
  const InfoPair info[] = {
      {"version", "1.0"},          {"C/B_bOfficial", "1"},  {"C/B_id", "12"},  {"C/B_name", "Fuji Speedway"},
      {"C/B_uDate", "1700000000"}, {"RaceType", "Circuit"}, {"C/B_type", "O"}, {"LapGearVer", "1573516800"}};
  for (const InfoPair& row : info) Info(db, row.name, row.value);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO beacon(name,type,lat,lon,heading,width,color) VALUES(?,?,?,?,?,?,?);", -1, &st,
                     nullptr);
  for (const BeaconRec& b : s.beacons) {
    sqlite3_bind_text(st, 1, b.name, -1, SQLITE_STATIC);
    sqlite3_bind_int(st, 2, b.type);
    const double values[] = {b.lat, b.lon, b.heading};
    BindStats(st, 3, values, 3);
    sqlite3_bind_int(st, 6, b.width);
    sqlite3_bind_int(st, 7, b.color);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_stmt* lapSt = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO lap(id,name,bFailed,start_wp,start_inter_lat,start_inter_lon,finish_wp,"
                     "finish_inter_lat,finish_inter_lon,duration,distance,MaxSpd,MinSpd,AvgSpd,MaxG,MinG,AvgG) "
                     "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);",
                     -1, &lapSt, nullptr);
  sqlite3_stmt* secSt = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO sector(id,lap_id,name,bFailed,start_wp,start_inter_lat,start_inter_lon,finish_wp,"
                     "finish_inter_lat,finish_inter_lon,duration,distance,MaxSpd,MinSpd,AvgSpd,MaxG,MinG,AvgG) "
                     "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);",
                     -1, &secSt, nullptr);
  for (int lap = 0; lap < kLaps; ++lap) {
    for (int k = 0; k < kSectors; ++k) {
      const SectorRec& r = s.sectors[lap * kSectors + k];
      sqlite3_bind_int(secSt, 1, r.id);
      sqlite3_bind_int(secSt, 2, r.lap_id);
      InsertRun(secSt, 3, r);
    }
    const LapRec& l = s.laps[lap];
    sqlite3_bind_int(lapSt, 1, l.id);
    InsertRun(lapSt, 2, l);
  }
  sqlite3_finalize(lapSt);
  sqlite3_finalize(secSt);
  Exec(db, "COMMIT;");
  sqlite3_close(db);
}

void WritePlain() {
  WritePlainSess(Folder() + "/plain/TransferDb/sess_1.db");
  WritePlainSana(Folder() + "/plain/TransferDb/sana_1.db");
}

void BM_SessionFileWriter(benchmark::State& state) {
  for (auto _ : state)
    if (!WriteOurs()) state.SkipWithError("a write failed");
}

void BM_PlainSqlite(benchmark::State& state) {
  for (auto _ : state) WritePlain();
}

BENCHMARK(BM_SessionFileWriter)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PlainSqlite)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Both ways must leave the same rows, or the comparison means nothing.
std::string Dump(const std::string& path) {
  std::string out;
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  for (const char* table : {"info", "POI", "WayPoints", "beacon", "condition", "lap", "sector"}) {
    sqlite3_stmt* st = nullptr;
    std::string sql = std::string("SELECT * FROM ") + table + " ORDER BY rowid;";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) continue;
    while (sqlite3_step(st) == SQLITE_ROW)
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const unsigned char* t = sqlite3_column_text(st, i);
        out += t ? reinterpret_cast<const char*>(t) : "NULL";
        out += '|';
      }
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return out;
}

bool SameFiles() {
  if (!WriteOurs()) return false;
  WritePlain();
  for (const char* name : {"/TransferDb/sess_1.db", "/TransferDb/sana_1.db"})
    if (Dump(Folder() + "/ours" + name) != Dump(Folder() + "/plain" + name)) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!SameFiles()) {
    std::fprintf(stderr, "the writer and the plain SQLite calls leave different files\n");
    return 1;
  }
  std::printf("one session: %d points, %d laps of %d sectors, %d beacons; folder %s\n", kPoints, kLaps, kSectors,
              kBeacons, Folder().c_str());
  ThroughputReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::filesystem::remove_all(Folder());
  const double ours = reporter.RealTime("BM_SessionFileWriter"), plain = reporter.RealTime("BM_PlainSqlite");
  if (ours > 0.0 && plain > 0.0)
    std::printf("SessionFileWriter %.1f ms, plain SQLite %.1f ms, ratio writer/plain %.2f (goal <= 1.5)\n", ours, plain,
                ours / plain);
  return 0;
}
