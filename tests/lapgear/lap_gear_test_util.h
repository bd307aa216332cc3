// Helpers of the lap engine tests: a recorder of the callbacks, beacons, and
// drives that turn a route into 20 Hz track points.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "lapgear/CircuitLapGear.h"
#include "lapgear/LapGear.h"

namespace lgtest {

inline constexpr double kDt = 0.05;  // 20 Hz

// Everything the engine reported, in order.
struct Recorder {
  std::vector<LapRec> laps;
  std::vector<SectorRec> sectors;
  std::vector<BeaconRec> beacons;
  std::vector<int32_t> aborts;
  std::vector<std::string> events;  // "lap 1", "sector 1/2", "beacon SF", "abort 3"

  static void onLap(LapRec lap, void* context) {
    auto* r = static_cast<Recorder*>(context);
    r->laps.push_back(lap);
    r->events.push_back("lap " + std::to_string(lap.id));
  }
  static void onSector(SectorRec sector, void* context) {
    auto* r = static_cast<Recorder*>(context);
    r->sectors.push_back(sector);
    r->events.push_back("sector " + std::to_string(sector.lap_id) + "/" + std::to_string(sector.id));
  }
  static void onBeacon(BeaconRec beacon, void* context) {
    auto* r = static_cast<Recorder*>(context);
    r->beacons.push_back(beacon);
    r->events.push_back(std::string("beacon ") + beacon.name);
  }
  static void onAbort(int32_t lapCounter, void* context) {
    auto* r = static_cast<Recorder*>(context);
    r->aborts.push_back(lapCounter);
    r->events.push_back("abort " + std::to_string(lapCounter));
  }
  static LapGearCallbacks callbacks() { return LapGearCallbacks{onLap, onSector, onBeacon, onAbort}; }

  std::vector<SectorRec> sectorsOfLap(int32_t lapId) const {
    std::vector<SectorRec> out;
    for (const auto& s : sectors)
      if (s.lap_id == lapId) out.push_back(s);
    return out;
  }
};

// An engine of type Gear over the beacons, started, every callback recorded in rec.
template <class Gear = CircuitLapGear>
struct Recording {
  Recording(const BeaconRec* beacons, int32_t count) : gear(beacons, count, &rec) {
    gear.setCallbacks(Recorder::callbacks());
    gear.start();
  }
  Recorder rec;
  Gear gear;
};

inline BeaconRec makeBeacon(int32_t type, const char* name, double lat, double lon, double heading,
                            int32_t width = 30) {
  BeaconRec b{};
  b.type = type;
  std::strncpy(b.name, name, sizeof b.name - 1);
  b.lat = lat;
  b.lon = lon;
  b.heading = heading;
  b.width = width;
  b.color = 0x00FF00;
  return b;
}

inline double refChordKm(double lat1, double lon1, double lat2, double lon2);

// Metres to degrees near 35 N (to well under a millimetre per 100 m).
inline double metresToLat(double m) { return m / (refChordKm(34.9995, 139.0, 35.0005, 139.0) * 1e6); }
inline double metresToLon(double m, double lat) { return m / (refChordKm(lat, 138.9995, lat, 139.0005) * 1e6); }

// A drive: straight legs between waypoints, sampled every 0.05 s at the given
// speed. Point ids are 1-based; distance is the chord from the previous point.
class Drive {
 public:
  Drive(double lat, double lon, double speedKmh = 100.0) : m_lat(lat), m_lon(lon) { add(lat, lon, speedKmh, 0.0); }

  // Drives to (lat, lon); speedKmh is the speed of the points and of the motion.
  Drive& to(double lat, double lon, double speedKmh = 100.0) {
    const double len = LapGear::calcDistance(m_lat, m_lon, lat, lon) * 1000.0;
    const int n = std::max(1, static_cast<int>(std::ceil(len / (speedKmh / 3.6 * kDt))));
    const double east = (lon - m_lon) * std::cos(m_lat * 3.14159265358979 / 180.0);
    const double heading = std::atan2(east, lat - m_lat) * 180.0 / 3.14159265358979;
    const double lat0 = m_lat, lon0 = m_lon;
    for (int i = 1; i <= n; ++i) {
      const double f = static_cast<double>(i) / n;
      add(lat0 + (lat - lat0) * f, lon0 + (lon - lon0) * f, speedKmh, heading < 0 ? heading + 360.0 : heading);
    }
    m_lat = lat;
    m_lon = lon;
    return *this;
  }
  // Moves by metres north and east.
  Drive& by(double north, double east, double speedKmh = 100.0) {
    return to(m_lat + metresToLat(north), m_lon + metresToLon(east, m_lat), speedKmh);
  }
  // Stays at the current position for the given seconds at the given speed value.
  Drive& wait(double seconds, double speedKmh) {
    const int n = static_cast<int>(std::lround(seconds / kDt));
    for (int i = 0; i < n; ++i) add(m_lat, m_lon, speedKmh, 0.0);
    return *this;
  }

  std::vector<LogRec>& points() { return m_points; }
  const std::vector<LogRec>& points() const { return m_points; }
  double lat() const { return m_lat; }
  double lon() const { return m_lon; }

 private:
  void add(double lat, double lon, double speed, double heading) {
    LogRec p{};
    p.id = static_cast<int64_t>(m_points.size()) + 1;
    p.lat = lat;
    p.lon = lon;
    p.heading = heading;
    p.speed = speed;
    p.time = 1000.0 + static_cast<double>(m_points.size()) * kDt;
    p.Gx = 0.5;
    if (!m_points.empty()) {
      const LogRec& q = m_points.back();
      p.distance = LapGear::calcDistance(q.lat, q.lon, lat, lon);
    }
    m_points.push_back(p);
  }

  double m_lat, m_lon;
  std::vector<LogRec> m_points;
};

// Feeds points [first, last) to the engine.
inline void feed(CircuitLapGear& gear, const std::vector<LogRec>& points, size_t first = 0, size_t last = SIZE_MAX) {
  last = std::min(last, points.size());
  for (size_t i = first; i < last; ++i) gear.feedLog(&points[i]);
}

// Independent chord distance in km on the WGS-84 ellipsoid (true pi: the
// engine's rounded pi shifts positions by far less than the tolerances used).
inline double refChordKm(double lat1, double lon1, double lat2, double lon2) {
  const double a = 6378137.0, f = 1.0 / 298.257223563, e2 = f * (2.0 - f);
  auto ecef = [&](double lat, double lon, double out[3]) {
    const double p = lat * M_PI / 180.0, l = lon * M_PI / 180.0;
    const double n = a / std::sqrt(1.0 - e2 * std::pow(std::sin(p), 2));
    out[0] = n * std::cos(p) * std::cos(l);
    out[1] = n * std::cos(p) * std::sin(l);
    out[2] = n * (1.0 - e2) * std::sin(p);
  };
  double u[3], v[3];
  ecef(lat1, lon1, u);
  ecef(lat2, lon2, v);
  return std::hypot(u[0] - v[0], u[1] - v[1], u[2] - v[2]) / 1000.0;
}

// A rectangular closed circuit driven counter-clockwise from its south-west
// corner: east, north, west, south. Positions are a function of the sample
// index s (one sample every 0.05 s); edge e takes samples[e] samples, so one
// lap takes period() samples.
struct RectCircuit {
  double lat0 = 35.0, lon0 = 139.0;  // south-west corner
  double dLat = 0.005, dLon = 0.01;  // about 555 m by 911 m
  double samples[4] = {400.0, 200.0, 400.0, 200.0};

  static constexpr double kHeading[4] = {90.0, 0.0, 270.0, 180.0};

  double period() const { return samples[0] + samples[1] + samples[2] + samples[3]; }

  // Position at edge e, fraction f of its length.
  CircuitLapGear::GeoPoint onEdge(int e, double f) const {
    switch (e) {
      case 0:
        return {lat0, lon0 + dLon * f};
      case 1:
        return {lat0 + dLat * f, lon0 + dLon};
      case 2:
        return {lat0 + dLat, lon0 + dLon - dLon * f};
      default:
        return {lat0 + dLat - dLat * f, lon0};
    }
  }
  CircuitLapGear::GeoPoint corner(int i) const { return onEdge(i % 4, 0.0); }

  // Edge and fraction at sample position s.
  void locate(double s, int* edge, double* fraction) const {
    s = std::fmod(s, period());
    int e = 0;
    while (e < 3 && s >= samples[e]) s -= samples[e++];
    *edge = e;
    *fraction = s / samples[e];
  }
  CircuitLapGear::GeoPoint at(double s) const {
    int e;
    double f;
    locate(s, &e, &f);
    return onEdge(e, f);
  }
  // Sample position (within a lap) of edge e, fraction f.
  double sampleOf(int e, double f) const {
    double s = 0.0;
    for (int i = 0; i < e; ++i) s += samples[i];
    return s + f * samples[e];
  }
  // A beacon across the circuit at sample position s, facing the travel.
  BeaconRec beaconAt(int32_t type, const char* name, double s, int32_t width = 30) const {
    int e;
    double f;
    locate(s, &e, &f);
    const auto p = onEdge(e, f);
    return makeBeacon(type, name, p.lat, p.lon, kHeading[e], width);
  }

  // count points, sample k at position k, time 1000 + k * 0.05.
  std::vector<LogRec> sample(int count, const std::function<double(int)>& speed,
                             const std::function<double(int)>& gx) const {
    std::vector<LogRec> out;
    out.reserve(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
      int e;
      double f;
      locate(k, &e, &f);
      const auto p = onEdge(e, f);
      LogRec r{};
      r.id = k + 1;
      r.lat = p.lat;
      r.lon = p.lon;
      r.heading = kHeading[e];
      r.speed = speed(k);
      r.time = 1000.0 + k * kDt;
      r.Gx = gx(k);
      r.Gy = 0.1;
      r.Gz = -1.0;
      if (k > 0) r.distance = LapGear::calcDistance(out.back().lat, out.back().lon, p.lat, p.lon);
      out.push_back(r);
    }
    return out;
  }
  // The same at one speed and one longitudinal G throughout.
  std::vector<LogRec> steady(int count, double speed, double gx) const {
    return sample(
        count, [=](int) { return speed; }, [=](int) { return gx; });
  }
};

}  // namespace lgtest
