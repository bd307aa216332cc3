// Phase 1 of the upload for one session of 72,000 points (an hour at 20 Hz
// on a closed circuit, a start/finish line and three splits: 35 laps of 4
// sectors), pauses set to zero: the points loaded from the workspace, turned
// into rows, fed to the lap engine and both files written, statistics stored.
// The reference, in the same run, is the floor: the very rows that phase 1
// left in the two files written with plain SQLite calls, one transaction per
// file, with the pipeline's settings for these files (no sync, journal in
// memory). After the table it prints both times and the ratio ours / floor
// (goal: at most 2), and how much of phase 1 is the loading of the points.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>
#include <variant>
#include <vector>

#include "appcore/SessionListDb.h"
#include "appcore/TrackMapDb.h"
#include "appcore/UploadPipeline.h"
#include "bench/common/ThroughputReporter.h"
#include "platform/win32/sqlitestatement.h"
#include "platform/win32/utf.h"
#include "sport/SportProjMgr.h"
#include "sport/SportTrack.h"
#include "tools/projgen/ProjectGenerator.h"
#include "tools/standin-service/StandinService.h"

namespace {

constexpr size_t kPoints = 72000;
const projgen::Circuit kCircuit;

std::string Folder() {
  static const std::string folder = (std::filesystem::temp_directory_path() / "pm_bench_upload").string();
  return folder;
}
std::u16string Workspace() { return Utf8ToUtf16(Folder() + "/ws"); }
std::u16string UserData() { return Utf8ToUtf16(Folder() + "/Documents/Pelmora"); }

StandinBeacon Line(int32_t type, double angle) {
  const projgen::CircuitPlace place = projgen::CircuitPlaceAt(kCircuit, angle);
  StandinBeacon b;
  b.type = type, b.latitude = place.lat, b.longitude = place.lon, b.heading = static_cast<float>(place.course);
  b.width = 40;
  return b;
}

struct Setup {
  SessionListDb sessions;
  TrackMapDb trackMaps;
  SessionSummary record;
};

Setup& TheSetup() {
  static Setup* setup = [] {
    auto* s = new Setup;
    std::filesystem::remove_all(Folder());
    std::filesystem::create_directories(Folder() + "/ws");
    std::filesystem::create_directories(Folder() + "/Documents/Pelmora/TransferDb/bcnx");
    std::vector<projgen::Sample> samples =
        projgen::CircuitSamples(kCircuit, 20, 3600.0, projgen::FileTimeOf(2024, 6, 1, 9, 0, 0));
    samples.resize(kPoints);
    projgen::WorkspaceUser driver{u"Driver", {{u"ActiveUser", u"1"}}, {}};
    driver.tracks.push_back({u"Hour", {{u"SportType", u"Car Racing"}, {u"RacingType", u"Endurance"}}, samples});
    if (!projgen::WriteWorkspace(Workspace(), {driver}, {}) ||
        CSportProjMgr::GetInstance()->OpenWorkspace(Workspace().c_str()) != kWorkspaceOk)
      std::abort();
    const std::string beacons =
        MakeBeaconFile({Line(0, 0.3), Line(3, 0.3 + std::numbers::pi / 2), Line(3, 0.3 + std::numbers::pi),
                        Line(3, 0.3 + 1.5 * std::numbers::pi)});
    std::FILE* f = std::fopen((Folder() + "/Documents/Pelmora/TransferDb/bcnx/Fuji.bcnx").c_str(), "wb");
    if (!f || std::fwrite(beacons.data(), 1, beacons.size(), f) != beacons.size()) std::abort();
    std::fclose(f);
    TrackListItem map;
    map.mapId = 7, map.uDate = 1700000000, map.type = u"Circuit", map.Label = u"Fuji";
    s->record.raceType = kRaceEndurance, s->record.mName = u"Fuji", s->record.folder = u"Track1";
    if (!s->trackMaps.Create(UserData()) || !s->trackMaps.Update(&map, 1) ||
        !s->sessions.Create(Workspace(), UserData()) || !s->sessions.Insert(s->record) ||
        !s->sessions.GetById(1, s->record))
      std::abort();
    return s;
  }();
  return *setup;
}

bool PrepareOnce() {
  Setup& s = TheSetup();
  std::atomic<int32_t> state{1}, done{0}, ok{0}, fail{0}, duplicate{0}, cannot{0};
  std::atomic<double> fraction{0.0};
  UploadPipeline pipeline({Workspace(), UserData(), &s.sessions, &s.trackMaps, CSportProjMgr::GetInstance()},
                          {state, done, fraction, ok, fail, duplicate, cannot},
                          {std::chrono::milliseconds(0), std::chrono::milliseconds(0)});
  SessionSummary record = s.record;
  return pipeline.Prepare(record) == UploadPipeline::Prepared::kWritten && record.laps > 0;
}

// --- the floor: the rows of both files, written back with plain SQLite ---

using Value = std::variant<std::monostate, int64_t, double, std::u16string>;
struct Table {
  std::string create;
  std::string insert;
  std::vector<std::vector<Value>> rows;
};
struct File {
  std::string name;
  std::vector<Table> tables;
};

// A new file gets the UTF-16 text encoding, as the pipeline's files have.
SqliteHandle OpenFile(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open16(Utf8ToUtf16(path).c_str(), &db);
  return SqliteHandle(db);
}

std::vector<Table> ReadTables(const std::string& path) {
  std::vector<Table> tables;
  SqliteHandle db = OpenFile(path);
  SqliteStatement list(db.get(),
                       "SELECT name, sql FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%';");
  while (list.NextRow()) {
    Table t;
    const std::string name = Utf16ToUtf8(list.Text16(0));
    t.create = Utf16ToUtf8(list.Text16(1));
    SqliteStatement rows(db.get(), "SELECT * FROM \"" + name + "\" ORDER BY rowid;");
    const int columns = sqlite3_column_count(rows.get());
    t.insert = "INSERT INTO \"" + name + "\" VALUES(?";
    for (int i = 1; i < columns; ++i) t.insert += ",?";
    t.insert += ");";
    while (rows.NextRow()) {
      std::vector<Value> row;
      for (int i = 0; i < columns; ++i) {
        switch (sqlite3_column_type(rows.get(), i)) {
          case SQLITE_INTEGER:
            row.emplace_back(rows.Int64(i));
            break;
          case SQLITE_FLOAT:
            row.emplace_back(rows.Double(i));
            break;
          case SQLITE_NULL:
            row.emplace_back();
            break;
          default:
            row.emplace_back(rows.Text16(i));
        }
      }
      t.rows.push_back(std::move(row));
    }
    tables.push_back(std::move(t));
  }
  return tables;
}

std::vector<File>& TheFloorFiles() {
  static std::vector<File> files = [] {
    if (!PrepareOnce()) std::abort();
    std::vector<File> out;
    for (const char* name : {"sess_1.db", "sana_1.db"})
      out.push_back({name, ReadTables(Folder() + "/ws/TransferDb/" + name)});
    std::filesystem::create_directories(Folder() + "/floor");
    return out;
  }();
  return files;
}

void WriteFloor() {
  for (const File& file : TheFloorFiles()) {
    const std::string path = Folder() + "/floor/" + file.name;
    std::filesystem::remove(path);
    SqliteHandle db = OpenFile(path);
    // The settings the pipeline's own files are written with.
    sqlite3_exec(db.get(), "PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY; BEGIN;", nullptr, nullptr, nullptr);
    for (const Table& t : file.tables) {
      sqlite3_exec(db.get(), t.create.c_str(), nullptr, nullptr, nullptr);
      SqliteStatement insert(db.get(), t.insert);
      for (const std::vector<Value>& row : t.rows) {
        for (size_t i = 0; i < row.size(); ++i) {
          const int at = static_cast<int>(i) + 1;
          if (const auto* n = std::get_if<int64_t>(&row[i]))
            insert.Bind(at, *n);
          else if (const auto* d = std::get_if<double>(&row[i]))
            insert.Bind(at, *d);
          else if (const auto* text = std::get_if<std::u16string>(&row[i]))
            insert.Bind(at, std::u16string_view(*text));
          else
            sqlite3_bind_null(insert.get(), at);
        }
        insert.Run();
      }
    }
    sqlite3_exec(db.get(), "COMMIT;", nullptr, nullptr, nullptr);
  }
}

void BM_UploadPhase1(benchmark::State& state) {
  for (auto _ : state)
    if (!PrepareOnce()) state.SkipWithError("the session was not prepared");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPoints));
}

void BM_PlainSqliteFloor(benchmark::State& state) {
  TheFloorFiles();
  for (auto _ : state) WriteFloor();
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPoints));
}

// The share of phase 1 that is the sport model's: the session's points
// loaded from its point database and let go again.
void BM_TrackPointsLoad(benchmark::State& state) {
  TheSetup();
  CSportTrack* track = CSportProjMgr::GetInstance()->GetTracks().front();
  for (auto _ : state) {
    int32_t n = 0;
    if (track->GetTrackPoints(n) == nullptr || n != static_cast<int32_t>(kPoints))
      state.SkipWithError("the points were not loaded");
    track->ReleaseTrackPoints();
  }
}

BENCHMARK(BM_UploadPhase1)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_TrackPointsLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PlainSqliteFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::size_t laps = 0, sectors = 0;
  for (const File& f : TheFloorFiles())
    for (const Table& t : f.tables) {
      if (t.create.find("TABLE lap") != std::string::npos) laps = t.rows.size();
      if (t.create.find("TABLE sector") != std::string::npos) sectors = t.rows.size();
    }
  std::printf("one session: %zu points, %zu laps, %zu sectors; folder %s\n", kPoints, laps, sectors, Folder().c_str());
  ThroughputReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  CSportProjMgr::GetInstance()->CloseWorkspace();
  std::filesystem::remove_all(Folder());
  const double ours = reporter.RealTime("BM_UploadPhase1"), floor = reporter.RealTime("BM_PlainSqliteFloor");
  if (ours > 0.0 && floor > 0.0)
    std::printf("phase 1 %.1f ms, plain SQLite floor %.1f ms, ratio phase 1/floor %.2f (goal <= 2)\n", ours, floor,
                ours / floor);
  const double load = reporter.RealTime("BM_TrackPointsLoad");
  if (ours > 0.0 && load > 0.0)
    std::printf("of phase 1, loading the points %.1f ms (%.0f%%), the rest %.1f ms (ratio rest/floor %.2f)\n", load,
                100.0 * load / ours, ours - load, floor > 0.0 ? (ours - load) / floor : 0.0);
  return 0;
}
