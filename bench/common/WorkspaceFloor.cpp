#include "bench/common/WorkspaceFloor.h"

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32/utf.h"
#include "tools/projgen/SampleWorkspace.h"

namespace {

struct Sums {
  double distance = 0.0, maxSpeed = 0.0, ascent = 0.0, minLat = 180.0, maxLat = -180.0;
  long long points = 0, values = 0;
};

void Run(sqlite3* db, const char* sql, const auto& row) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) std::abort();
  while (sqlite3_step(st) == SQLITE_ROW) row(st);
  sqlite3_finalize(st);
}

}  // namespace

void ReadWorkspaceFloor(const std::string& ws) {
  Sums sums;
  std::vector<std::string> tracks;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2((ws + "/db.v5/SportProjIndex/bruser.poi").c_str(), &db, SQLITE_OPEN_READONLY, nullptr))
    std::abort();
  // Every field value, and the point database of each track by its key.
  Run(db, "SELECT v.fValue, d.fName FROM Val v JOIN ValD d ON d.fID = v.fEndID;", [&](sqlite3_stmt* st) {
    ++sums.values;
    const char* name = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
    if (name && std::string(name) == "FieldTrackFile")
      tracks.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  });
  sqlite3_close(db);
  for (const std::string& track : tracks) {
    if (sqlite3_open_v2((ws + "/db.v5/" + track + "/bruser.poi").c_str(), &db, SQLITE_OPEN_READONLY, nullptr))
      std::abort();
    double lat0 = 0.0, lon0 = 0.0, alt0 = 0.0;
    bool first = true;
    Run(db,
        "SELECT w.fLatitude, w.fLongitude, w.fAltitude, g.fGPSTime1, g.fGPSTime2, g.fGPSSpeed FROM WP w "
        "LEFT JOIN GPSLog g ON g.fID = w.fGPSLogID ORDER BY w.fID;",
        [&](sqlite3_stmt* st) {
          const double lat = sqlite3_column_double(st, 0), lon = sqlite3_column_double(st, 1);
          const double alt = sqlite3_column_double(st, 2), speed = sqlite3_column_double(st, 5);
          if (!first) {
            const double dLat = (lat - lat0) * M_PI / 180.0, dLon = (lon - lon0) * M_PI / 180.0;
            const double a = std::sin(dLat / 2) * std::sin(dLat / 2) + std::cos(lat0 * M_PI / 180.0) *
                                                                           std::cos(lat * M_PI / 180.0) *
                                                                           std::sin(dLon / 2) * std::sin(dLon / 2);
            sums.distance += 2 * 6371.0 * std::atan2(std::sqrt(a), std::sqrt(1 - a));
            if (alt > alt0) sums.ascent += alt - alt0;
          }
          sums.maxSpeed = std::max(sums.maxSpeed, speed);
          sums.minLat = std::min(sums.minLat, lat);
          sums.maxLat = std::max(sums.maxLat, lat);
          lat0 = lat, lon0 = lon, alt0 = alt, first = false;
          ++sums.points;
        });
    sqlite3_close(db);
  }
  if (sums.points == 0 || sums.distance <= 0.0) std::abort();
}

double BenchNow() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

std::pair<double, double> BestOfEach(int repeats, const std::function<double()>& ours,
                                     const std::function<double()>& floor) {
  std::pair<double, double> best{1e300, 1e300};
  for (int i = 0; i < repeats; ++i) {
    best.first = std::min(best.first, ours());
    best.second = std::min(best.second, floor());
  }
  return best;
}

std::vector<int> BenchSizes(int argc, char** argv, std::vector<int> defaults) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i)
    if (argv[i][0] != '-') sizes.push_back(std::atoi(argv[i]));
  return sizes.empty() ? defaults : sizes;
}

std::string MakeBenchHome(const std::string& name) {
  std::string base = (std::filesystem::temp_directory_path() / (name + "_XXXXXX")).string();
  if (!::mkdtemp(base.data())) return std::string();
  setenv("HOME", base.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (base + "/.config").c_str(), 1);
  return base;
}

double PeakResidentMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

BenchWorkspace GeneratedWorkspace(int sessions) {
  const std::string folder = std::string(PM_BENCH_WORKSPACES) + "/ws" + std::to_string(sessions);
  BenchWorkspace ws{folder + "/workspace", folder + "/documents"};
  const std::string done = folder + "/complete";
  if (std::filesystem::exists(done)) return ws;
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  std::printf("generating %d sessions...\n", sessions);
  std::fflush(stdout);
  const double t0 = BenchNow();
  projgen::SampleOptions options;
  options.sessions = sessions;
  options.seconds = 60.0;
  options.documents = Utf8ToUtf16(ws.documents);
  if (!projgen::WriteSampleWorkspace(Utf8ToUtf16(ws.root), options)) std::abort();
  std::FILE* f = std::fopen(done.c_str(), "w");
  if (!f) std::abort();
  std::fclose(f);
  std::printf("generated in %.1f s\n", BenchNow() - t0);
  return ws;
}

namespace {

std::string SelfPath() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : self.string();
}

// The figures a size's process prints on its last line.
constexpr const char* kResultTag = "@figures";

}  // namespace

int RunSizesApart(int argc, char** argv, std::vector<int> defaults, const char* floorName,
                  const std::function<SizeFigures(int sessions)>& measure) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) != "--size") continue;
    const SizeFigures f = measure(std::atoi(argv[i + 1]));
    std::printf("%s %.6f %.6f %.3f\n", kResultTag, f.ours, f.floor, PeakResidentMb());
    return 0;
  }
  const std::vector<int> sizes = BenchSizes(argc, argv, defaults);
  for (int size : sizes) GeneratedWorkspace(size);
  const std::string self = SelfPath();
  if (self.empty()) return 1;
  std::printf("\nsessions  ours ms/session  %s ms/session  ours/%s  peak resident MB\n", floorName, floorName);
  double first = 0.0, last = 0.0;
  for (int size : sizes) {
    const std::string command = "'" + self + "' --size " + std::to_string(size);
    std::FILE* child = ::popen(command.c_str(), "r");
    if (!child) return 1;
    char line[512];
    SizeFigures f;
    double peak = 0.0;
    bool found = false;
    while (std::fgets(line, sizeof line, child))
      if (std::sscanf(line, "@figures %lf %lf %lf", &f.ours, &f.floor, &peak) == 3) found = true;
    if (::pclose(child) != 0 || !found) {
      std::printf("%8d  failed\n", size);
      return 1;
    }
    std::printf("%8d  %15.3f  %*.3f  %*.2f  %16.1f\n", size, f.ours, static_cast<int>(std::strlen(floorName)) + 11,
                f.floor, static_cast<int>(std::strlen(floorName)) + 5, f.ours / f.floor, peak);
    std::fflush(stdout);
    if (size == sizes.front()) first = f.ours;
    last = f.ours;
  }
  std::printf("time per session, %d / %d sessions: %.2f (goal: at most 1.3)\n", sizes.back(), sizes.front(),
              last / first);
  return 0;
}
