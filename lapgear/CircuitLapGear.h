// The lap engine: cuts a time-ordered stream of track points into laps and
// sectors at beacon lines and hands each finished lap and sector to the
// callbacks of its user.
//
// Calling order: construct, setCallbacks, start, feedLog once per point in
// time order, stop, destroy. Callbacks run synchronously inside feedLog and
// stop, on the caller's thread.
#pragma once

#include <cstdint>
#include <vector>

#include "lapgear/LapGear.h"

class CircuitLapGear : public LapGear {
 public:
  // Tag of the constructor that asks for auto mode: the engine makes its own
  // start/finish line through the first point above the auto start speed.
  struct AutoLine {};
  static constexpr AutoLine autoLine{};

  // A position in degrees.
  struct GeoPoint {
    double lat;
    double lon;
  };
  // A beacon line, from its first end (heading + 90) to its second.
  struct BeaconLine {
    GeoPoint first;
    GeoPoint second;
  };

  // Beacon mode: the count beacons of the array (null or count <= 0: no
  // beacons, so no lap is ever started).
  CircuitLapGear(const BeaconRec* beacons, int32_t count, void* context);
  // Auto mode.
  CircuitLapGear(AutoLine, void* context);
  ~CircuitLapGear();

  // Processes one point while running; a null point is ignored. The engine
  // keeps a copy of the point, never the pointer.
  void feedLog(const LogRec* point);
  // Ends the stream; a lap still open is reported to onAbort.
  void stop();

  void setAutoLineWidth(int32_t metres) { m_autoLineWidth = metres; }
  void setAutoStartSpeed(double kmh) { m_autoStartSpeed = kmh; }

  // Geometry.
  static BeaconLine getBeaconLine(const BeaconRec& beacon);
  // Planar intersection of the track segment a-b with the line e-f. The range
  // checks include their bounds and a few millimetres beyond them, so rounding
  // never loses a crossing at the end of the segment or of the line.
  static bool getIntersection(GeoPoint a, GeoPoint b, GeoPoint e, GeoPoint f, GeoPoint* crossing);
  // Distance (km) and time (s) from a crossing found on the segment prev-point
  // to point, in proportion to point's distance field. Both are negative for
  // a crossing accepted just past point, so its time stays after point's.
  struct ToPoint {
    double km;
    double seconds;
  };
  static ToPoint fromCrossing(const LogRec& prev, const LogRec& point, GeoPoint crossing);
  // Whether travel from prev to cur lies strictly within 90 degrees of heading.
  static bool isSameDirection(const LogRec& prev, const LogRec& cur, double heading);
  // Whole-degree travel bearing from prev to cur, 0..359.
  static int32_t travelBearing(const LogRec& prev, const LogRec& cur);

 protected:
  // A beacon with its line, computed once.
  struct Beacon {
    BeaconRec rec;
    BeaconLine line;
  };

  void stateTransfer(const LogRec& point);
  void onIdle(const LogRec& point);
  void onArmed(const LogRec& point);
  void onLapRunning(const LogRec& point);

  // Whether the segment from the previous point to point crosses the beacon
  // in its direction; the crossing point is handed back. A held line (below)
  // is not crossed again.
  bool isCrossed(const Beacon& beacon, const LogRec& point, GeoPoint* crossing);
  // Holds a line crossed on this segment; false when it was held before.
  bool holdLine(const BeaconLine& line);
  // Releases the held lines that point lies away from.
  void releaseLines(GeoPoint point);

  void startLap(const LogRec& point, GeoPoint crossing);
  void closeSector(const LogRec& point, GeoPoint crossing);
  void addBlankSector();
  void checkSplits(const LogRec& point);
  void closeLap(const LogRec& point, GeoPoint crossing);

  int32_t m_startedLaps = 0;
  int32_t m_autoLineWidth = 30;
  double m_autoStartSpeed = 30.0;
  bool m_autoMode = false;
  bool m_autoLineMade = false;
  std::vector<Beacon> m_splits;
  Beacon m_startBeacon{};
  Beacon m_finishBeacon{};

  // Lines crossed while every point since has stayed within a few millimetres
  // of them. The segments that meet at such a point all find the line within
  // the range tolerance; it is one crossing, counted on the first segment only
  // (where two beacons share a line, both count there). Room for every beacon
  // is reserved at construction: nothing is allocated per point.
  struct HeldLine {
    BeaconLine line;
    bool thisSegment;  // crossed on the segment being processed
  };
  std::vector<HeldLine> m_heldLines;
};
