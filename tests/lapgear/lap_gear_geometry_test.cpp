// Distance, beacon lines, segment intersection and the direction test.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "lap_gear_test_util.h"

using GeoPoint = CircuitLapGear::GeoPoint;
using lgtest::makeBeacon;
using lgtest::refChordKm;

namespace {

LogRec At(double lat, double lon) {
  LogRec r{};
  r.lat = lat;
  r.lon = lon;
  return r;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST(LapGearDistance, ChordOnTheWgs84Ellipsoid) {
  // Pole to pole: twice the semi-minor axis b = a (1 - f).
  const double b = 6378137.0 * (1.0 - 0.0033528106647474805);
  EXPECT_NEAR(LapGear::calcDistance(90.0, 0.0, -90.0, 0.0), 2.0 * b / 1000.0, 1e-6);
  // One degree along the equator: chord 2 a sin(0.5 degree).
  EXPECT_NEAR(LapGear::calcDistance(0.0, 10.0, 0.0, 11.0), 2.0 * 6378.137 * std::sin(0.5 * M_PI / 180.0), 1e-6);
  // Short distances at mid latitude agree with an independent computation.
  EXPECT_NEAR(LapGear::calcDistance(35.37215, 138.92705, 35.37631, 138.93389),
              refChordKm(35.37215, 138.92705, 35.37631, 138.93389), 1e-9);
  EXPECT_EQ(LapGear::calcDistance(35.1, 139.2, 35.1, 139.2), 0.0);
}

TEST(LapGearDistance, SymmetricToTheBitAndEcefConsistent) {
  const double pairs[][4] = {{35.36472, 138.92007, 35.37631, 138.93389},
                             {-33.9, 151.2, -33.900001, 151.200002},
                             {51.5, -0.12, 48.85, 2.35},
                             {0.0, 179.9999, 0.0, -179.9999}};
  for (const auto& p : pairs) {
    const double d1 = LapGear::calcDistance(p[0], p[1], p[2], p[3]);
    const double d2 = LapGear::calcDistance(p[2], p[3], p[0], p[1]);
    EXPECT_TRUE(SameBits(d1, d2)) << d1 << " " << d2;
    const double dx = LapGear::getEcefX(p[0], p[1]) - LapGear::getEcefX(p[2], p[3]);
    const double dy = LapGear::getEcefY(p[0], p[1]) - LapGear::getEcefY(p[2], p[3]);
    const double dz = LapGear::getEcefZ(p[0], p[1]) - LapGear::getEcefZ(p[2], p[3]);
    EXPECT_TRUE(SameBits(d1, std::sqrt(dx * dx + dy * dy + dz * dz) / 1000.0));
  }
  // The squared eccentricity 2f - f^2 is the double the application also uses.
  const double f = 0.0033528106647474805;
  EXPECT_EQ(2.0 * f - f * f, 0.0066943799901413165);
}

TEST(LapGearBeaconLine, PerpendicularToHeadingAndWidthLong) {
  // Heading north: the line runs east (heading + 90) to west.
  const BeaconRec north = makeBeacon(3, "S1", 35.0, 139.0, 0.0, 40);
  const auto line = CircuitLapGear::getBeaconLine(north);
  EXPECT_GT(line.first.lon, 139.0);
  EXPECT_LT(line.second.lon, 139.0);
  EXPECT_NEAR(line.first.lat, 35.0, 1e-9);
  EXPECT_NEAR(line.second.lat, 35.0, 1e-9);
  EXPECT_NEAR(refChordKm(35.0, 139.0, line.first.lat, line.first.lon), 0.020, 1e-4);
  EXPECT_NEAR(refChordKm(35.0, 139.0, line.second.lat, line.second.lon), 0.020, 1e-4);

  // Heading east: the line runs south (heading + 90 = 180) to north.
  const auto east = CircuitLapGear::getBeaconLine(makeBeacon(0, "SF", 35.0, 139.0, 90.0, 30));
  EXPECT_LT(east.first.lat, 35.0);
  EXPECT_GT(east.second.lat, 35.0);
  EXPECT_NEAR(east.first.lon, 139.0, 1e-9);
  EXPECT_NEAR(refChordKm(east.first.lat, east.first.lon, east.second.lat, east.second.lon), 0.030, 1e-4);
}

TEST(LapGearIntersection, CrossingPointOfTwoSegments) {
  GeoPoint c{};
  // Segment along lat 1 from lon 0 to lon 2; line lat = lon + 1 from (0, -1) to (2, 1).
  ASSERT_TRUE(CircuitLapGear::getIntersection({1.0, -2.0}, {1.0, 2.0}, {0.0, -1.0}, {2.0, 1.0}, &c));
  EXPECT_DOUBLE_EQ(c.lat, 1.0);
  EXPECT_DOUBLE_EQ(c.lon, 0.0);
  // The line stops short of the segment.
  EXPECT_FALSE(CircuitLapGear::getIntersection({1.0, -2.0}, {1.0, 2.0}, {0.0, -1.0}, {0.9, -0.1}, &c));
  EXPECT_EQ(c.lat, 0.0);
  EXPECT_EQ(c.lon, 0.0);
  // Parallel segments never cross.
  EXPECT_FALSE(CircuitLapGear::getIntersection({0.0, 0.0}, {1.0, 1.0}, {0.0, 0.5}, {1.0, 1.5}, &c));
  // A segment of no extent does not cross.
  EXPECT_FALSE(CircuitLapGear::getIntersection({0.5, 0.5}, {0.5, 0.5}, {0.0, 0.0}, {1.0, 1.0}, &c));
}

TEST(LapGearIntersection, RangeChecksIncludeTheirBounds) {
  GeoPoint c{};
  // The crossing is the segment's end point B exactly.
  ASSERT_TRUE(CircuitLapGear::getIntersection({1.0, -1.0}, {1.0, 0.0}, {0.0, -1.0}, {2.0, 1.0}, &c));
  EXPECT_EQ(c.lat, 1.0);
  EXPECT_EQ(c.lon, 0.0);
  // ... and its start point A.
  ASSERT_TRUE(CircuitLapGear::getIntersection({1.0, 0.0}, {1.0, 1.0}, {0.0, -1.0}, {2.0, 1.0}, &c));
  // ... and the end of the line.
  ASSERT_TRUE(CircuitLapGear::getIntersection({0.0, -1.0}, {0.0, 1.0}, {0.0, 0.0}, {2.0, 2.0}, &c));
  EXPECT_EQ(c.lat, 0.0);
  EXPECT_EQ(c.lon, 0.0);
  // Short of the end by about a centimetre, beyond the few millimetres of
  // tolerance: no crossing.
  EXPECT_FALSE(CircuitLapGear::getIntersection({1.0, -1.0}, {1.0, -1e-7}, {0.0, -1.0}, {2.0, 1.0}, &c));
}

TEST(LapGearIntersection, CrossingJustPastAnEndCountsOnItsSide) {
  // A 1 m segment east along 35 N, from 0.0 s to 0.3 s, and a 30 m line
  // facing east at `past` metres from the segment's end B (negative: before
  // B), centred on the segment or ending `gap` metres short of it.
  struct Case {
    double past;
    bool lineEnd;
    double gap;
    bool crossed;
  };
  const Case cases[] = {
      {-0.5, false, 0.0, true},   {0.0, false, 0.0, true},    {0.002, false, 0.0, true},
      {-1.002, false, 0.0, true}, {0.010, false, 0.0, false}, {-1.010, false, 0.0, false},
      {-0.5, true, 0.0, true},    {-0.5, true, 0.002, true},  {-0.5, true, 0.010, false},
  };
  const double lat = 35.0, lonA = 139.0, lonB = lonA + lgtest::metresToLon(1.0, lat);
  LogRec a = At(lat, lonA), b = At(lat, lonB);
  a.time = 0.0;
  b.time = 0.3;
  b.distance = LapGear::calcDistance(lat, lonA, lat, lonB);
  for (const Case& k : cases) {
    const double lineLon = lonB + lgtest::metresToLon(k.past, lat);
    // Facing east, the line runs from south to north.
    const double halfLat = CircuitLapGear::getBeaconLine(makeBeacon(3, "S1", lat, lineLon, 90.0, 30)).second.lat - lat;
    const double lineLat = k.lineEnd ? lat - halfLat - lgtest::metresToLat(k.gap) : lat;
    const auto line = CircuitLapGear::getBeaconLine(makeBeacon(3, "S1", lineLat, lineLon, 90.0, 30));
    GeoPoint c{};
    ASSERT_EQ(CircuitLapGear::getIntersection({a.lat, a.lon}, {b.lat, b.lon}, line.first, line.second, &c), k.crossed)
        << k.past << " " << k.gap;
    if (!k.crossed) continue;
    // The crossing's time, taken back from B, lies where the crossing is.
    const double exact = b.time * (1.0 + k.past);
    EXPECT_NEAR(b.time - CircuitLapGear::fromCrossing(a, b, c).seconds, exact, 1e-6) << k.past;
  }
}

TEST(LapGearIntersection, NoCrossingIsMissedAtAnyHeading) {
  // Random crossings of short segments over beacon lines everywhere on earth
  // at every heading, many of them exactly or nearly east, west, north or
  // south, some through an end of the line or a point of the segment: every
  // one is found, in the beacon's direction, and timed within 1 ms of the
  // time of the exact crossing (long double).
  std::mt19937_64 rng(20261207);
  auto uniform = [&rng](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  constexpr int kCrossings = 1'000'000;
  int missed = 0, mistimed = 0;
  for (int i = 0; i < kCrossings; ++i) {
    const double quarter = 90.0 * static_cast<double>(rng() % 4);
    const double sign = rng() % 2 ? 1.0 : -1.0;
    double heading = uniform(0.0, 360.0);
    if (i % 4 == 1) heading = quarter;
    if (i % 4 == 2) heading = quarter + sign * std::pow(10.0, uniform(-12.0, -1.0));
    if (i % 4 == 3) heading = quarter + uniform(-5.0, 5.0);

    const BeaconRec beacon =
        makeBeacon(3, "S", uniform(-65.0, 65.0), uniform(-180.0, 180.0), heading, 5 + static_cast<int32_t>(rng() % 56));
    const auto line = CircuitLapGear::getBeaconLine(beacon);
    // Where the crossing lies along the line (u) and the segment (s); each
    // end of both is taken exactly now and then.
    const int place = static_cast<int>(rng() % 20);
    const long double u = place == 0 ? 0.0L : place == 1 ? 1.0L : uniform(0.0, 1.0);
    const double s = place == 2 || place == 3 ? 0.0 : place == 4 || place == 5 ? 1.0 : uniform(0.0, 1.0);
    const GeoPoint p{
        static_cast<double>(line.first.lat + u * (static_cast<long double>(line.second.lat) - line.first.lat)),
        static_cast<double>(line.first.lon + u * (static_cast<long double>(line.second.lon) - line.first.lon))};

    const double bearing = (heading + uniform(-80.0, 80.0)) * M_PI / 180.0;
    const double length = uniform(0.5, 5.0);
    const double dLat = std::cos(bearing) * length / 111320.0;
    const double dLon = std::sin(bearing) * length / (111320.0 * std::cos(p.lat * M_PI / 180.0));
    LogRec a = At(p.lat - s * dLat, p.lon - s * dLon), b = At(p.lat + (1.0 - s) * dLat, p.lon + (1.0 - s) * dLon);
    a.time = uniform(0.0, 5000.0);
    b.time = a.time + uniform(0.04, 0.34);
    b.distance = LapGear::calcDistance(a.lat, a.lon, b.lat, b.lon);

    GeoPoint c{};
    if (!CircuitLapGear::getIntersection({a.lat, a.lon}, {b.lat, b.lon}, line.first, line.second, &c) ||
        !CircuitLapGear::isSameDirection(a, b, heading)) {
      if (++missed <= 5)
        ADD_FAILURE() << "missed: heading " << heading << " u " << static_cast<double>(u) << " s " << s;
      continue;
    }
    // The exact crossing: a + t (b - a) on the line e-f.
    const long double rLat = static_cast<long double>(b.lat) - a.lat, rLon = static_cast<long double>(b.lon) - a.lon;
    const long double qLat = static_cast<long double>(line.second.lat) - line.first.lat;
    const long double qLon = static_cast<long double>(line.second.lon) - line.first.lon;
    const long double wLat = static_cast<long double>(line.first.lat) - a.lat;
    const long double wLon = static_cast<long double>(line.first.lon) - a.lon;
    const long double t = (wLat * qLon - wLon * qLat) / (rLat * qLon - rLon * qLat);
    const long double exact = a.time + t * (static_cast<long double>(b.time) - a.time);
    const double found = b.time - CircuitLapGear::fromCrossing(a, b, c).seconds;
    if (std::fabs(static_cast<long double>(found) - exact) > 1e-3L && ++mistimed <= 5)
      ADD_FAILURE() << "mistimed: heading " << heading << " by " << static_cast<double>(found - exact) << " s";
  }
  EXPECT_EQ(missed, 0);
  EXPECT_EQ(mistimed, 0);
}

TEST(LapGearIntersection, LineAlongAMeridian) {
  GeoPoint c{};
  // The line's two ends share their longitude exactly.
  ASSERT_TRUE(CircuitLapGear::getIntersection({0.0, 0.0}, {2.0, 4.0}, {0.0, 2.0}, {3.0, 2.0}, &c));
  EXPECT_EQ(c.lon, 2.0);
  EXPECT_DOUBLE_EQ(c.lat, 1.0);
  // Crossing at the segment's end, bound included.
  ASSERT_TRUE(CircuitLapGear::getIntersection({1.0, 0.0}, {1.0, 2.0}, {0.0, 2.0}, {2.0, 2.0}, &c));
  EXPECT_EQ(c.lon, 2.0);
  EXPECT_EQ(c.lat, 1.0);
  // Beyond the line's extent in latitude.
  EXPECT_FALSE(CircuitLapGear::getIntersection({0.0, 0.0}, {2.0, 4.0}, {1.5, 2.0}, {3.0, 2.0}, &c));
  // Both along meridians: parallel.
  EXPECT_FALSE(CircuitLapGear::getIntersection({0.0, 2.0}, {1.0, 2.0}, {0.0, 2.0}, {3.0, 2.0}, &c));
}

TEST(LapGearIntersection, LineFacingExactlyEastOrWestIsCrossedWhereTheTrackIs) {
  // Such a line leans from its meridian by only about 1e-10: its slope must
  // not turn rounding of the longitude into metres of latitude.
  for (const double heading : {90.0, 270.0, -90.0}) {
    const auto line = CircuitLapGear::getBeaconLine(makeBeacon(0, "SF", 35.0, 139.0, heading, 30));
    int found = 0;
    for (int k = -100; k <= 100; ++k) {
      // Short, slightly slanted segments over the line, within its width.
      const GeoPoint a{35.0 + k * 1e-6 - 3e-7, 139.0 - 1e-5};
      const GeoPoint b{35.0 + k * 1e-6 + 3e-7, 139.0 + 1.2e-5};
      GeoPoint c{};
      if (!CircuitLapGear::getIntersection(a, b, line.first, line.second, &c)) continue;
      ++found;
      const double expectedLat = a.lat + (b.lat - a.lat) * (139.0 - a.lon) / (b.lon - a.lon);
      EXPECT_NEAR(c.lat, expectedLat, 1e-11) << heading << " " << k;
      EXPECT_NEAR(c.lon, 139.0, 1e-11);
    }
    EXPECT_EQ(found, 201) << heading;
  }
}

TEST(LapGearIntersection, FarAwayOrNonFiniteCrossingIsNoCrossing) {
  GeoPoint c{};
  // Nearly parallel, overlapping boxes: the computed crossing lies about
  // 1e15 degrees away, beyond any 64-bit fixed-point value.
  const double eps = 1e-15;
  EXPECT_FALSE(CircuitLapGear::getIntersection({0.0, 0.0}, {1.0, 1.0}, {0.0, 0.5}, {1.0, 1.5 + eps}, &c));
  EXPECT_FALSE(CircuitLapGear::getIntersection({0.0, 0.0}, {1.0, 1.0 + eps}, {0.0, 0.5}, {1.0, 1.5}, &c));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(CircuitLapGear::getIntersection({nan, 0.0}, {1.0, 1.0}, {0.0, 1.0}, {1.0, 0.0}, &c));
  EXPECT_FALSE(CircuitLapGear::getIntersection({0.0, 0.0}, {1.0, 1.0}, {0.0, 1.0}, {nan, nan}, &c));
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(CircuitLapGear::getIntersection({0.0, 0.0}, {1.0, inf}, {0.0, 1.0}, {1.0, 0.0}, &c));
}

TEST(LapGearDirection, WithinNinetyDegreesOfTheHeading) {
  const LogRec south = At(35.0, 139.0), north = At(35.001, 139.0);
  const LogRec west = At(35.0, 138.999), east = At(35.0, 139.001);
  EXPECT_EQ(CircuitLapGear::travelBearing(south, north), 0);
  EXPECT_EQ(CircuitLapGear::travelBearing(north, south), 179);  // just short of 180, truncated
  EXPECT_EQ(CircuitLapGear::travelBearing(west, east), 89);
  EXPECT_EQ(CircuitLapGear::travelBearing(east, west), 271);  // -89.99 truncated to -89
  EXPECT_EQ(CircuitLapGear::travelBearing(south, south), 0);

  EXPECT_TRUE(CircuitLapGear::isSameDirection(south, north, 0.0));
  EXPECT_TRUE(CircuitLapGear::isSameDirection(south, north, 359.0));
  EXPECT_FALSE(CircuitLapGear::isSameDirection(north, south, 0.0));
  EXPECT_TRUE(CircuitLapGear::isSameDirection(west, east, 90.0));
  EXPECT_FALSE(CircuitLapGear::isSameDirection(east, west, 90.0));
  // Negative headings, as some loggers give them, work the same.
  EXPECT_TRUE(CircuitLapGear::isSameDirection(east, west, -90.0));
}

TEST(LapGearDirection, ExactlyNinetyDegreesOffDoesNotCount) {
  // Travel a little south of east: bearing 90.
  const LogRec a = At(35.0, 139.0), b = At(35.0 - 0.0001, 139.01);
  ASSERT_EQ(CircuitLapGear::travelBearing(a, b), 90);
  EXPECT_FALSE(CircuitLapGear::isSameDirection(a, b, 0.0));
  EXPECT_FALSE(CircuitLapGear::isSameDirection(a, b, 180.0));
  EXPECT_TRUE(CircuitLapGear::isSameDirection(a, b, 0.5));
  EXPECT_TRUE(CircuitLapGear::isSameDirection(a, b, 179.5));
  EXPECT_TRUE(CircuitLapGear::isSameDirection(a, b, 1.0));
}
