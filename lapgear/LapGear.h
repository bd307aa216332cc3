// Lap engine: the records that pass between the engine and its user, and the
// base part of the engine (callbacks, state, previous point, sector table and
// the running lap and sector statistics).
#pragma once

#include <cstdint>
#include <vector>

// One track point as the engine takes it.
struct LogRec {
  int64_t id;       // 1-based number of the point in the session
  double lat;       // degrees
  double lon;       // degrees
  double altitude;  // metres (not read by the engine)
  double heading;   // course in degrees (used only for the self-made line)
  double speed;     // km/h
  double time;      // seconds; only differences are used
  double Gx;        // g
  double Gy;        // g
  double Gz;        // g
  double distance;  // km from the previous point to this one
};

// Beacon types.
enum : int32_t {
  kBeaconStartFinish = 0,
  kBeaconStart = 1,
  kBeaconFinish = 2,
  kBeaconSplit = 3,
};

// One beacon line.
struct BeaconRec {
  int32_t type;    // 0 start/finish, 1 start, 2 finish, 3 split; others ignored
  char name[32];   // NUL-terminated
  double lat;      // centre of the line, degrees
  double lon;      // centre of the line, degrees
  double heading;  // direction of travel in which the line counts, degrees
  int32_t width;   // full length of the line, metres
  int32_t color;   // not read by the engine
};

// One finished lap.
struct LapRec {
  int32_t id;        // completed laps, this one included
  char name[32];     // all zero
  int32_t bFailed;   // always 0
  int64_t start_wp;  // first point after the start crossing
  double start_inter_lat;
  double start_inter_lon;
  int64_t finish_wp;  // first point after the finish crossing
  double finish_inter_lat;
  double finish_inter_lon;
  double duration;  // s, crossing to crossing
  double distance;  // km, crossing to crossing
  double MaxSpd;
  double MinSpd;
  double AvgSpd;  // km/h
  double MaxG;
  double MinG;
  double AvgG;  // g
};

// One finished sector. A blank sector (its split was missed) is all zero
// except id and lap_id.
struct SectorRec {
  int32_t id;       // 1-based number of the sector within its lap
  int32_t lap_id;   // started-lap counter of the engine
  char name[32];    // all zero
  int32_t bFailed;  // always 0
  int64_t start_wp;
  double start_inter_lat;
  double start_inter_lon;
  int64_t finish_wp;
  double finish_inter_lat;
  double finish_inter_lon;
  double duration;  // s
  double distance;  // km
  double MaxSpd;
  double MinSpd;
  double AvgSpd;  // km/h
  double MaxG;
  double MinG;
  double AvgG;  // g
};

using LapGearLapFunc = void (*)(LapRec lap, void* context);
using LapGearSectorFunc = void (*)(SectorRec sector, void* context);
using LapGearBeaconFunc = void (*)(BeaconRec beacon, void* context);
using LapGearAbortFunc = void (*)(int32_t lapCounter, void* context);

// The four callbacks, handed over in one piece. A null member is "not set".
struct LapGearCallbacks {
  LapGearLapFunc onLap;
  LapGearSectorFunc onSector;
  LapGearBeaconFunc onBeacon;
  LapGearAbortFunc onAbort;
};

class LapGear {
 public:
  enum : int32_t { kStateIdle = 0, kStateArmed = 1, kStateInLap = 2 };

  explicit LapGear(void* context);
  ~LapGear();

  LapGear(const LapGear&) = delete;
  LapGear& operator=(const LapGear&) = delete;

  // Each non-null member replaces the stored callback; a null member leaves it.
  void setCallbacks(LapGearCallbacks callbacks);
  void start();

  int32_t getState() const { return m_state; }
  double getDuration() const { return m_lapDuration; }  // current lap, s
  double getDistance() const { return m_lapDistance; }  // current lap, km

  // Straight-line (chord) distance in km between two positions on the
  // WGS-84 ellipsoid at height 0. The application's point-to-point distance
  // uses this very function, so both agree to the last bit.
  static double calcDistance(double lat1, double lon1, double lat2, double lon2);
  // Earth-centred coordinates in metres of a position on the ellipsoid.
  struct Ecef {
    double x = 0.0, y = 0.0, z = 0.0;
  };
  static Ecef getEcef(double lat, double lon);
  // calcDistance of two positions whose coordinates are already known: the
  // same value, for callers that measure each point against two neighbours.
  static double calcDistance(const Ecef& a, const Ecef& b);
  static double getEcefX(double lat, double lon);
  static double getEcefY(double lat, double lon);
  static double getEcefZ(double lat, double lon);

  // G of a point: the length of its acceleration vector.
  static double pointG(const LogRec& point);

 protected:
  // Clears the callbacks and frees the sector table.
  void release();

  // Seconds from a crossing at distance d (km) before point to point, in
  // proportion to point's own distance field; prev is the point before it.
  static double timeByDistance(double d, const LogRec& prev, const LogRec& point);

  void updateLapStats(const LogRec& point);
  void updateSectorStats(const LogRec& point);
  void resetLapStats();
  void resetSectorStats();

  // Prints one error line "[file:line][ERR] text" on standard output.
  static void printError(const char* file, int line, const char* text);

  void* m_context;
  LapGearLapFunc m_onLap = nullptr;
  LapGearSectorFunc m_onSector = nullptr;
  LapGearBeaconFunc m_onBeacon = nullptr;
  LapGearAbortFunc m_onAbort = nullptr;
  bool m_running = false;
  int32_t m_state = kStateIdle;

  // The previous point fed while running; all zero until the first one.
  LogRec m_lastLog{};

  // Sector table: m_sectors holds m_sectorCapacity entries, of which the
  // first m_sectorCount are the sectors stored for the current lap.
  std::vector<SectorRec> m_sectors;
  int32_t m_sectorCount = 0;
  int32_t m_sectorCapacity = 0;

  int32_t m_completedLaps = 0;

  // Speed and G extremes and the G sum over the points of a lap or a sector.
  struct PointStats {
    double maxSpeed = 0.0;
    double minSpeed = 0.0;  // 0.0 = no value taken yet
    double maxG = 0.0;
    double minG = 0.0;  // 0.0 = no value taken yet
    double gSum = 0.0;
    int64_t count = 0;

    void take(double speed, double g);
  };

  // Current lap.
  int64_t m_lapStartId = 0;
  double m_lapStartLat = 0.0;
  double m_lapStartLon = 0.0;
  double m_lapDuration = 0.0;
  double m_lapDistance = 0.0;
  PointStats m_lapStats;

  // Current sector.
  PointStats m_sectorStats;
};
