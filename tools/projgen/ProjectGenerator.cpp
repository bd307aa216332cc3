#include "tools/projgen/ProjectGenerator.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <thread>

#include "platform/win32/timeutil.h"
#include "platform/win32/utf.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvProject.h"

namespace projgen {

namespace {

constexpr double kKmPerDegree = 111.195;
constexpr double kPi = 3.141592653589793;

}  // namespace

uint64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second) {
  return static_cast<uint64_t>(UnixToFileTime100ns(UtcToUnix(year, month, day, hour, minute, second)));
}

CircuitPlace CircuitPlaceAt(const Circuit& c, double angle) {
  const double cosLat = std::cos(c.centerLat * kPi / 180.0);
  CircuitPlace p;
  p.lat = c.centerLat + c.radiusNorthKm * std::sin(angle) / kKmPerDegree;
  p.lon = c.centerLon + c.radiusEastKm * std::cos(angle) / (kKmPerDegree * cosLat);
  const double north = c.radiusNorthKm * std::cos(angle), east = -c.radiusEastKm * std::sin(angle);
  p.course = std::fmod(std::atan2(east, north) * 180.0 / kPi + 360.0, 360.0);
  return p;
}

std::vector<Sample> CircuitSamples(const Circuit& c, int hz, double seconds, uint64_t start) {
  std::vector<Sample> out;
  const auto n = static_cast<size_t>(seconds * hz) + 1;
  out.reserve(n);
  const double cosLat = std::cos(c.centerLat * kPi / 180.0);
  const double perimeterKm =
      kPi * (3 * (c.radiusNorthKm + c.radiusEastKm) -
             std::sqrt((3 * c.radiusNorthKm + c.radiusEastKm) * (c.radiusNorthKm + 3 * c.radiusEastKm)));
  for (size_t k = 0; k < n; ++k) {
    const double t = static_cast<double>(k) / hz + c.phaseSeconds;
    const double angle = 2.0 * kPi * t / c.lapSeconds;
    Sample s;
    s.lat = c.centerLat + c.radiusNorthKm * std::sin(angle) / kKmPerDegree;
    s.lon = c.centerLon + c.radiusEastKm * std::cos(angle) / (kKmPerDegree * cosLat);
    s.alt = c.baseAltitude + c.altitudeSwing * std::sin(angle);
    s.speed = perimeterKm / c.lapSeconds * 3600.0;
    s.time = start + static_cast<uint64_t>(k) * (10000000ULL / static_cast<uint64_t>(hz));
    out.push_back(s);
  }
  return out;
}

std::vector<Sample> LaunchSamples(double lat, double lon, int hz, double standSeconds, double accel,
                                  double driveSeconds, uint64_t start) {
  std::vector<Sample> out;
  const auto n = static_cast<size_t>((standSeconds + driveSeconds) * hz) + 1;
  for (size_t k = 0; k < n; ++k) {
    const double t = static_cast<double>(k) / hz;
    const double moving = t > standSeconds ? t - standSeconds : 0.0;
    Sample s;
    s.lat = lat + 0.5 * accel * moving * moving / 1000.0 / kKmPerDegree;
    s.lon = lon;
    s.alt = 10.0;
    s.speed = accel * moving * 3.6;
    s.time = start + static_cast<uint64_t>(k) * (10000000ULL / static_cast<uint64_t>(hz));
    out.push_back(s);
  }
  return out;
}

ProjectDb::ProjectDb() = default;

ProjectDb::~ProjectDb() { Close(); }

bool ProjectDb::Create(const std::u16string& path) {
  if (m_db || std::filesystem::exists(Utf16ToUtf8(path))) return false;
  m_db = std::make_unique<tgvDatabase_C>();
  if (m_db->Open(RecordTypeTable, path.c_str(), nullptr)) return true;
  m_db.reset();
  return false;
}

bool ProjectDb::Close() {
  if (!m_db) return true;
  const bool ok = m_db->Flush();
  m_db->Close();
  m_db.reset();
  m_types.clear();
  m_fields.clear();
  return ok;
}

tgvType_C* ProjectDb::Type(uint8_t kind, const std::u16string& name) {
  tgvType_C*& type = m_types[{kind, name}];
  if (!type) type = tgvType_C::Create(m_db.get(), name.c_str(), name.c_str(), nullptr, nullptr, kind, true);
  return type;
}

tgvValueDef_C* ProjectDb::Field(tgvType_C* type, const std::u16string& key) {
  tgvValueDef_C*& def = m_fields[{type, key}];
  if (!def) def = tgvValueDef_C::Create(m_db.get(), key.c_str(), type, 1, nullptr, false);
  return def;
}

bool ProjectDb::SetFields(tgvRecord_C* object, tgvType_C* type, const Fields& fields) {
  if (!object || !type) return false;
  for (const auto& [key, text] : fields) {
    tgvValueDef_C* def = Field(type, key);
    if (!def || !tgvVal_C::Create(m_db.get(), text.c_str(), object, def)) return false;
  }
  return true;
}

tgvPOI_C* ProjectDb::AddUser(const std::u16string& name, const Fields& fields) {
  tgvType_C* type = Type(9, u"TypeUser");
  tgvPOI_C* poi =
      tgvPOI_C::Create(m_db.get(), name.c_str(), type, IntPoint_C(0, 0), GeoPoint_C(0.0, 0.0, 0.0), nullptr, false);
  return SetFields(poi, type, fields) ? poi : nullptr;
}

tgvPOI_C* ProjectDb::AddLapPoint(const std::u16string& name, const Fields& fields) {
  tgvType_C* type = Type(9, u"LapPointTypeName");
  tgvPOI_C* poi =
      tgvPOI_C::Create(m_db.get(), name.c_str(), type, IntPoint_C(0, 0), GeoPoint_C(0.0, 0.0, 0.0), nullptr, false);
  return SetFields(poi, type, fields) ? poi : nullptr;
}

tgvLine_C* ProjectDb::AddTrack(const std::u16string& name, const Fields& fields) {
  tgvType_C* type = Type(11, u"TypeTrack");
  if (!type) return nullptr;
  tgvLine_C* line = m_db->CreateLine(tgvUT_Line, name.c_str(), 0, 0, type->GetId(), 0, 0);
  return SetFields(line, type, fields) ? line : nullptr;
}

tgvLine_C* ProjectDb::AddPointLine(const std::u16string& name, const std::vector<Sample>& samples, bool withTime) {
  tgvType_C* type = Type(11, u"Route");
  if (!type) return nullptr;
  tgvLine_C* line = m_db->CreateLine(tgvUT_Line, name.c_str(), 0, 0, type->GetId(), 0, 0);
  if (!line) return nullptr;
  tgvWayPoint_C* prev = nullptr;
  int32_t order = 0;
  for (const Sample& s : samples) {
    uint32_t logId = 0;
    if (s.logged) {
      tgvGPSLog_C* log = m_db->CreateGPSLog(tgvUT_GPSLog, static_cast<uint32_t>(s.time >> 32),
                                            static_cast<uint32_t>(s.time), s.speed, 0.0, 0.0, 0.0);
      if (!log) return nullptr;
      logId = log->GetId();
    }
    tgvWayPoint_C* wp = m_db->CreateWayPoint(tgvUT_WP, line, IntPoint_C(0, 0), GeoPoint_C(s.lon, s.lat, s.alt), ++order,
                                             tgvWayPointSensors(), 0, 0, logId);
    if (!wp) return nullptr;
    if (prev)
      prev->SetNextID(wp->GetId(), 1);
    else
      line->Set1stWPID(wp->GetId(), 1);
    prev = wp;
  }
  if (prev) line->SetLstWPID(prev->GetId(), 1);
  if (withTime && !samples.empty()) {
    const uint64_t t = samples.front().time;
    if (!m_db->CreatePropInt(tgvUT_PropInt, u"t1", line, static_cast<int32_t>(t >> 32), 0) ||
        !m_db->CreatePropInt(tgvUT_PropInt, u"t2", line, static_cast<int32_t>(static_cast<uint32_t>(t)), 0))
      return nullptr;
  }
  return line;
}

bool FinishProject(const std::u16string& folder) {
  tgvProject_C project;
  return project.Create(folder.c_str(), 0) && project.Save();
}

namespace {

bool MakeFolder(const std::u16string& path) {
  std::error_code ec;
  std::filesystem::create_directories(Utf16ToUtf8(path), ec);
  return !ec;
}

const std::u16string* FieldOf(const Fields& fields, const std::u16string& key) {
  for (const auto& field : fields)
    if (field.first == key) return &field.second;
  return nullptr;
}

bool WritePoints(const std::u16string& folder, const WorkspaceTrack& track) {
  ProjectDb db;
  return MakeFolder(folder) && db.Create(folder + u"/bruser.poi") && db.AddPointLine(track.name, track.samples, true) &&
         db.Close() && FinishProject(folder);
}

}  // namespace

bool WriteWorkspace(const std::u16string& root, const std::vector<WorkspaceUser>& users,
                    const std::vector<Fields>& lapPoints) {
  const std::u16string db5 = root + u"/db.v5";
  const std::u16string main = db5 + u"/SportProjIndex";
  ProjectDb db;
  if (!MakeFolder(main) || !db.Create(main + u"/bruser.poi")) return false;
  std::vector<std::pair<std::u16string, const WorkspaceTrack*>> pointDbs;
  int n = 0;
  for (const WorkspaceUser& user : users) {
    tgvPOI_C* poi = db.AddUser(user.name, user.fields);
    if (!poi) return false;
    for (const WorkspaceTrack& track : user.tracks) {
      Fields fields = track.fields;
      fields.push_back({u"FieldUserID", Utf8ToUtf16(std::to_string(poi->GetId()))});
      ++n;
      if (!FieldOf(fields, u"FieldTrackFile"))
        fields.push_back({u"FieldTrackFile", u"Track" + Utf8ToUtf16(std::to_string(n))});
      if (!db.AddTrack(track.name, fields)) return false;
      pointDbs.emplace_back(db5 + u"/" + *FieldOf(fields, u"FieldTrackFile"), &track);
    }
  }
  for (const Fields& lapPoint : lapPoints)
    if (!db.AddLapPoint(u"LapPoint", lapPoint)) return false;
  if (!db.Close() || !FinishProject(main)) return false;
  // The point databases are files of their own: written side by side.
  std::atomic<size_t> next{0};
  std::atomic<bool> ok{true};
  std::vector<std::thread> writers(std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 8));
  for (std::thread& w : writers)
    w = std::thread([&] {
      for (size_t i; ok && (i = next++) < pointDbs.size();)
        if (!WritePoints(pointDbs[i].first, *pointDbs[i].second)) ok = false;
    });
  for (std::thread& w : writers) w.join();
  return ok;
}

}  // namespace projgen
