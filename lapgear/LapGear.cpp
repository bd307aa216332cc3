#include "lapgear/LapGear.h"

#include <cmath>
#include <cstdio>

#include "lapgear/LapGearMath.h"

using namespace lapgear;

LapGear::LapGear(void* context) : m_context(context) {}

LapGear::~LapGear() { release(); }

void LapGear::release() {
  m_onLap = nullptr;
  m_onSector = nullptr;
  m_onBeacon = nullptr;
  m_onAbort = nullptr;
  std::vector<SectorRec>().swap(m_sectors);
  m_sectorCount = 0;
  m_sectorCapacity = 0;
}

void LapGear::setCallbacks(LapGearCallbacks callbacks) {
  if (callbacks.onLap) m_onLap = callbacks.onLap;
  if (callbacks.onSector) m_onSector = callbacks.onSector;
  if (callbacks.onBeacon) m_onBeacon = callbacks.onBeacon;
  if (callbacks.onAbort) m_onAbort = callbacks.onAbort;
}

void LapGear::start() { m_running = true; }

namespace {

double RadiansOf(double degrees) { return degrees / 360.0 * 2.0 * kPi; }

double PrimeVerticalRadius(double phi) {
  const double s = std::sin(phi);
  return kWgs84A / std::sqrt(1.0 - kWgs84E2 * (s * s));
}

}  // namespace

double LapGear::getEcefX(double lat, double lon) {
  const double phi = RadiansOf(lat);
  const double lambda = RadiansOf(lon);
  return PrimeVerticalRadius(phi) * std::cos(phi) * std::cos(lambda);
}

double LapGear::getEcefY(double lat, double lon) {
  const double phi = RadiansOf(lat);
  const double lambda = RadiansOf(lon);
  return PrimeVerticalRadius(phi) * std::cos(phi) * std::sin(lambda);
}

double LapGear::getEcefZ(double lat, double lon) {
  const double phi = RadiansOf(lat);
  return PrimeVerticalRadius(phi) * (1.0 - kWgs84E2) * std::sin(phi);
}

// The three coordinates with one evaluation of each sine and cosine; each is
// the very expression of its single-coordinate getter.
LapGear::Ecef LapGear::getEcef(double lat, double lon) {
  const double phi = RadiansOf(lat);
  const double lambda = RadiansOf(lon);
  const double n = PrimeVerticalRadius(phi);
  const double cosPhi = std::cos(phi);
  return Ecef{n * cosPhi * std::cos(lambda), n * cosPhi * std::sin(lambda), n * (1.0 - kWgs84E2) * std::sin(phi)};
}

double LapGear::calcDistance(const Ecef& a, const Ecef& b) {
  const double dx = a.x - b.x;
  const double dy = a.y - b.y;
  const double dz = a.z - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz) / kMetresPerKm;
}

double LapGear::calcDistance(double lat1, double lon1, double lat2, double lon2) {
  return calcDistance(getEcef(lat1, lon1), getEcef(lat2, lon2));
}

double LapGear::pointG(const LogRec& point) {
  return std::sqrt(point.Gx * point.Gx + point.Gy * point.Gy + point.Gz * point.Gz);
}

double LapGear::timeByDistance(double d, const LogRec& prev, const LogRec& point) {
  if (point.distance > 0.0) return d / point.distance * (point.time - prev.time);
  return 0.0;
}

void LapGear::PointStats::take(double speed, double g) {
  ++count;
  if (speed > maxSpeed) maxSpeed = speed;
  if (minSpeed == 0.0 || minSpeed > speed) minSpeed = speed;
  if (g > maxG) maxG = g;
  if (minG == 0.0 || minG > g) minG = g;
  gSum += g;
}

void LapGear::updateLapStats(const LogRec& point) { m_lapStats.take(point.speed, pointG(point)); }

void LapGear::updateSectorStats(const LogRec& point) { m_sectorStats.take(point.speed, pointG(point)); }

void LapGear::resetLapStats() {
  m_lapStartId = 0;
  m_lapStartLat = 0.0;
  m_lapStartLon = 0.0;
  m_lapDuration = 0.0;
  m_lapDistance = 0.0;
  m_lapStats = PointStats{};
}

void LapGear::resetSectorStats() { m_sectorStats = PointStats{}; }

void LapGear::printError(const char* file, int line, const char* text) {
  std::printf("[%s:%d][ERR] %s\n", file, line, text);
  std::fflush(stdout);
}
