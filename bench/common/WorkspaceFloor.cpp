#include "bench/common/WorkspaceFloor.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

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
