// Writes project databases the way the sibling logger program does, with the
// track library itself: users (POIs of "TypeUser"), tracks (lines of
// "TypeTrack") and lap points (POIs of "LapPointTypeName") with their named
// text fields, and point databases whose line carries GPS-log records at the
// logger's rate and the start time in the properties "t1"/"t2". Tests, the
// benchmarks and the demo build their workspaces with it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class tgvDatabase_C;
class tgvLine_C;
class tgvPOI_C;
class tgvRecord_C;
class tgvType_C;
class tgvValueDef_C;

namespace projgen {

// Field key and stored text, in writing order.
using Fields = std::vector<std::pair<std::u16string, std::u16string>>;

// One logged point of a track.
struct Sample {
  double lat = 0.0, lon = 0.0;  // degrees
  double alt = 0.0;             // m
  double speed = 0.0;           // km/h
  uint64_t time = 0;            // FILETIME
  bool logged = true;           // false: the point has no GPS-log record
};

// A closed circuit: an ellipse around a centre, driven at a steady pace with
// a climb and a descent per lap.
struct Circuit {
  double centerLat = 35.37, centerLon = 138.93;
  double radiusNorthKm = 0.6, radiusEastKm = 0.9;
  double lapSeconds = 100.0;
  double baseAltitude = 550.0, altitudeSwing = 15.0;  // m
  // Seconds into the lap at the first sample: the first sample lies at the
  // east end of the ellipse when 0, and the lap starts there.
  double phaseSeconds = 0.0;
};

// The place of the circuit at `angle` (radians) of its ellipse, 0 at the east
// end, and the course of the cars there in degrees (0 north, 90 east): they
// drive counter-clockwise, as the samples do. For beacon lines.
struct CircuitPlace {
  double lat = 0.0, lon = 0.0;
  double course = 0.0;
};
CircuitPlace CircuitPlaceAt(const Circuit& circuit, double angle);

// Samples at hz per second for the given seconds from start (FILETIME).
std::vector<Sample> CircuitSamples(const Circuit& circuit, int hz, double seconds, uint64_t start);

// A standing start northwards from (lat, lon): standSeconds at rest, then a
// constant acceleration (m/s^2) for driveSeconds, at hz per second.
std::vector<Sample> LaunchSamples(double lat, double lon, int hz, double standSeconds, double accel,
                                  double driveSeconds, uint64_t start);

// FILETIME of a UTC date and time.
uint64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second);

// One project database file, created new and open until Close.
class ProjectDb {
 public:
  ProjectDb();
  ~ProjectDb();
  ProjectDb(const ProjectDb&) = delete;
  ProjectDb& operator=(const ProjectDb&) = delete;

  // Creates the database file (its folder must exist); false when it exists.
  bool Create(const std::u16string& path);
  // Commits and closes; false when the commit failed.
  bool Close();
  tgvDatabase_C* Db() { return m_db.get(); }

  tgvPOI_C* AddUser(const std::u16string& name, const Fields& fields);
  tgvLine_C* AddTrack(const std::u16string& name, const Fields& fields);
  tgvPOI_C* AddLapPoint(const std::u16string& name, const Fields& fields);
  // A line of the samples: waypoints chained in order, each with its GPS-log
  // record (unless not logged), the first sample's time in "t1"/"t2" when
  // withTime is set. Null when a record could not be written.
  tgvLine_C* AddPointLine(const std::u16string& name, const std::vector<Sample>& samples, bool withTime);
  // Writes the field texts of an object of a type.
  bool SetFields(tgvRecord_C* object, tgvType_C* type, const Fields& fields);

  tgvType_C* Type(uint8_t kind, const std::u16string& name);

 private:
  tgvValueDef_C* Field(tgvType_C* type, const std::u16string& key);

  std::unique_ptr<tgvDatabase_C> m_db;
  std::map<std::pair<uint8_t, std::u16string>, tgvType_C*> m_types;
  std::map<std::pair<tgvType_C*, std::u16string>, tgvValueDef_C*> m_fields;
};

// Writes the descriptor "bruser.brx" of a project folder whose database
// (a closed ProjectDb) is already in it, as the logger program leaves it.
bool FinishProject(const std::u16string& folder);

struct WorkspaceTrack {
  std::u16string name;
  Fields fields;  // "FieldTrackFile" names the point database
  std::vector<Sample> samples;
};

struct WorkspaceUser {
  std::u16string name;
  Fields fields;
  std::vector<WorkspaceTrack> tracks;
};

// Writes a workspace: root/db.v5/SportProjIndex holding the users, their
// tracks (each with "FieldUserID" set to its user's record id) and the lap
// points, and for every track a project root/db.v5/<FieldTrackFile>/ whose
// one line carries the track's samples. A track without "FieldTrackFile" gets
// "Track<n>", n counting the workspace's tracks from 1.
bool WriteWorkspace(const std::u16string& root, const std::vector<WorkspaceUser>& users,
                    const std::vector<Fields>& lapPoints);

}  // namespace projgen
