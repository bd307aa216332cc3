#include "tools/projgen/DemoSample.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string_view>

#include "platform/win32/registry.h"
#include "platform/win32/utf.h"
#include "tools/projgen/ProjectGenerator.h"
#include "tools/projgen/SampleWorkspace.h"
#include "tools/standin-service/StandinService.h"

namespace projgen {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
// Where the lines cross each circuit, as angles of its ellipse (0 at the east
// end): the start/finish line, then the splits; three sectors a lap.
constexpr double kLineAngles[] = {0.3, 0.3 + kTwoPi / 3.0, 0.3 + 2.0 * kTwoPi / 3.0};
constexpr int32_t kLineWidthM = 40;
// The maps' update date on the service (2024-06-01): later than any date an
// earlier sample's maps had, so that a program that kept those fetches these.
constexpr int32_t kMapDate = 1717200000;
constexpr uint64_t kTicksPerHour = 36000000000ULL;  // FILETIME units

struct DemoCircuit {
  const char16_t* map;
  const char16_t* displayName;
  int32_t mapId;  // 0: the service has no map of it
  Circuit shape;
};

// An ellipse around (lat, lon) with its radii, climbing and falling by
// `swing` around `altitude` each lap.
Circuit Shape(double lat, double lon, double northKm, double eastKm, double altitude, double swing) {
  Circuit c;
  c.centerLat = lat, c.centerLon = lon, c.radiusNorthKm = northKm, c.radiusEastKm = eastKm;
  c.baseAltitude = altitude, c.altitudeSwing = swing;
  return c;
}

const DemoCircuit kFuji{u"Fuji", u"Fuji Speedway", 1, Shape(35.3700, 138.9270, 0.6, 0.9, 550.0, 15.0)};
const DemoCircuit kTsukuba{u"Tsukuba", u"Tsukuba Circuit", 2, Shape(36.1505, 139.9195, 0.25, 0.45, 25.0, 3.0)};
const DemoCircuit kSugo{u"Sugo", u"Sportsland SUGO", 0, Shape(38.1410, 140.7770, 0.5, 0.7, 200.0, 30.0)};
const DemoCircuit* const kCircuits[] = {&kFuji, &kTsukuba, &kSugo};

enum class Drive { Circuit, DragDistance, DragSpeed };

struct DemoSession {
  const char16_t* file;
  int user;  // 0 or 1
  const char16_t* racing;
  const DemoCircuit* circuit;
  Drive drive;
  int hz;
  double lapSeconds;  // for Drive::Circuit: the pace
  double phaseSeconds;
  double seconds;
  int day, hour, minute;  // June 2024, local time (UTC+9)
  const char16_t* note;
};

// A day at two tracks: qualifying, sprints and an endurance at different
// paces, drag runs, a logged drive and a rally stage.
const DemoSession kSessions[] = {
    {u"Demo01", 0, u"Qualify", &kFuji, Drive::Circuit, 20, 98.4, 21.0, 330, 1, 9, 10, u"New tyres"},
    {u"Demo02", 0, u"Sprint", &kFuji, Drive::Circuit, 10, 100.9, 64.0, 720, 1, 11, 30, u""},
    {u"Demo03", 1, u"Endurance", &kFuji, Drive::Circuit, 10, 104.2, 40.0, 1560, 1, 14, 0, u"Stint 1"},
    {u"Demo04", 0, u"Sprint", &kTsukuba, Drive::Circuit, 10, 61.8, 12.0, 480, 2, 9, 40, u""},
    {u"Demo05", 1, u"CircuitOhter", &kTsukuba, Drive::Circuit, 20, 64.5, 30.0, 300, 2, 10, 30, u"Wet track"},
    {u"Demo06", 0, u"Sprint", &kSugo, Drive::Circuit, 10, 83.0, 5.0, 420, 2, 13, 0, u""},
    {u"Demo07", 0, u"DragRacing", &kFuji, Drive::DragDistance, 20, 0.0, 0.0, 0, 1, 16, 0, u""},
    {u"Demo08", 1, u"DragRacing", &kFuji, Drive::DragSpeed, 20, 0.0, 0.0, 0, 1, 16, 20, u""},
    {u"Demo09", 1, u"DataLog", &kFuji, Drive::Circuit, 10, 140.0, 0.0, 300, 1, 8, 30, u"Track walk"},
    {u"Demo10", 0, u"RallyRacing", &kSugo, Drive::Circuit, 10, 150.0, 0.0, 300, 2, 15, 0, u""},
};

// The drag types of the logger's settings ("<kind> <first> <second> <imperial>"):
// 0 to 100 m, and 0 to 100 km/h.
const char16_t* const kDragTypes[] = {u"0 0 100 0", u"1 0 100 0"};

const char16_t kSettingsKey[] = u"Software\\Morvek Applications\\Pelmora\\OptionsSetting";

std::u16string Text(double v) { return Utf8ToUtf16(std::to_string(v)); }

Circuit PacedShape(const DemoSession& s) {
  Circuit c = s.circuit->shape;
  c.lapSeconds = s.lapSeconds;
  c.phaseSeconds = s.phaseSeconds;
  return c;
}

// Race types 0 to 3, the ones the uploader sends.
bool IsCircuitRace(const DemoSession& s) {
  for (std::u16string_view racing : {u"Endurance", u"Sprint", u"Qualify", u"CircuitOhter"})
    if (racing == s.racing) return true;
  return false;
}

// The times (seconds from the first sample) at which the session crosses the
// line at `angle`, up to its end.
std::vector<double> CrossingTimes(const DemoSession& s, double angle) {
  std::vector<double> out;
  double t = std::fmod(angle / kTwoPi * s.lapSeconds - s.phaseSeconds, s.lapSeconds);
  if (t <= 0.0) t += s.lapSeconds;
  for (; t <= s.seconds; t += s.lapSeconds) out.push_back(t);
  return out;
}

std::vector<Sample> SamplesOf(const DemoSession& s, uint64_t start) {
  const Circuit& c = s.circuit->shape;
  switch (s.drive) {
    case Drive::DragDistance:
      return LaunchSamples(c.centerLat + 0.02, c.centerLon, s.hz, 2.0, 6.0, 8.0, start);
    case Drive::DragSpeed:
      return LaunchSamples(c.centerLat + 0.02, c.centerLon + 0.002, s.hz, 2.0, 7.5, 6.0, start);
    case Drive::Circuit:
      break;
  }
  return CircuitSamples(PacedShape(s), s.hz, s.seconds, start);
}

Fields FieldsOf(const DemoSession& s, const std::vector<Sample>& samples) {
  Fields f = {{u"FieldTrackFile", s.file},
              {u"SportType", u"Car Racing"},
              {u"RacingType", s.racing},
              {u"FieldTrackName", s.circuit->map},
              {u"UsedBcn", s.circuit->map},
              {u"FieldStartTime", TimeHalves(samples.front().time)},
              {u"FieldEndTime", TimeHalves(samples.back().time)},
              {u"FieldTimeZone", u"-540"},
              {u"FieldNote", s.note}};
  if (s.drive == Drive::DragDistance)
    f.insert(f.end(), {{u"FieldDragIsDistance", u"1"}, {u"FieldDragDistance", Text(0.1)}});
  if (s.drive == Drive::DragSpeed)
    f.insert(f.end(), {{u"FieldDragIsDistance", u"0"}, {u"FieldDragDistance", Text(100.0)}});
  return f;
}

std::string BeaconFileOf(const DemoCircuit& circuit) {
  std::vector<StandinBeacon> beacons;
  for (double angle : kLineAngles) {
    const CircuitPlace place = CircuitPlaceAt(circuit.shape, angle);
    StandinBeacon b;
    b.type = beacons.empty() ? 0 : 3;
    b.name = beacons.empty() ? "Start/Finish" : "S" + std::to_string(beacons.size());
    b.latitude = place.lat;
    b.longitude = place.lon;
    b.heading = static_cast<float>(place.course);
    b.width = kLineWidthM;
    beacons.push_back(b);
  }
  return MakeBeaconFile(beacons);
}

// The beacon file of each circuit the service has and the setup file that
// hands them and the demo account to the stand-in.
bool WriteServiceFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  std::ofstream setup(folder / kDemoSetupFile, std::ios::binary | std::ios::trunc);
  setup << "# The stand-in web service of the sample workspace: the demo account and\n"
           "# the track maps of the circuits its sessions were driven on.\n"
           "account demo@pelmora.test:demo1234:Demo Driver\n";
  for (const DemoCircuit* c : kCircuits) {
    if (c->mapId <= 0) continue;
    const std::string map = Utf16ToUtf8(c->map), file = map + ".bcnx";
    std::ofstream beacons(folder / file, std::ios::binary | std::ios::trunc);
    beacons << BeaconFileOf(*c);
    if (!beacons.flush()) return false;
    setup << "track " << c->mapId << ':' << map << ":Circuit:" << kMapDate << ':' << file << '\n';
  }
  return static_cast<bool>(setup.flush());
}

bool SetValue(HKEY key, const char16_t* name, DWORD type, const void* data, size_t bytes) {
  return RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
}

bool StoreDragTypes() {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const DWORD count = std::size(kDragTypes);
  bool ok = SetValue(key, u"DragRacingTypeNum", REG_DWORD, &count, sizeof count);
  for (DWORD i = 0; i < count; ++i) {
    const std::u16string name = u"DragRacingType_" + Utf8ToUtf16(std::to_string(i + 1));
    const std::u16string text = kDragTypes[i];
    ok = ok && SetValue(key, name.c_str(), REG_SZ, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  }
  RegCloseKey(key);
  return ok;
}

}  // namespace

bool WriteDemoSample(const DemoFolders& folders) {
  std::vector<WorkspaceUser> users = {
      {u"Aki Mori", {{u"FieldNickName", u"aki"}, {u"ActiveUser", u"1"}}, {}},
      {u"Ben Carter", {{u"FieldNickName", u"ben"}}, {}},
  };
  for (const DemoSession& s : kSessions) {
    // The stored times are UTC: 9 hours before the local times of the table.
    const uint64_t start = FileTimeOf(2024, 6, s.day, s.hour, s.minute, 0) - 9 * kTicksPerHour;
    std::vector<Sample> samples = SamplesOf(s, start);
    Fields fields = FieldsOf(s, samples);
    users[static_cast<size_t>(s.user)].tracks.push_back({s.file, std::move(fields), std::move(samples)});
  }
  if (!WriteWorkspace(folders.workspace, users, {})) return false;
  for (const DemoCircuit* c : kCircuits)
    if (!WriteTrackMap(folders.documents, c->map, c->displayName)) return false;
  return WriteServiceFolder(std::filesystem::path(Utf16ToUtf8(folders.service))) && StoreDragTypes();
}

std::vector<DemoCircuitSession> DemoCircuitSessions() {
  std::vector<DemoCircuitSession> out;
  for (const DemoSession& s : kSessions) {
    if (!IsCircuitRace(s)) continue;
    const std::vector<double> finishes = CrossingTimes(s, kLineAngles[0]);
    DemoCircuitSession d;
    d.trackFile = s.file;
    d.map = s.circuit->map;
    d.mapOnService = s.circuit->mapId > 0;
    d.laps = finishes.empty() ? 0 : static_cast<int>(finishes.size()) - 1;
    d.lapSeconds = s.lapSeconds;
    d.sectorsPerLap = static_cast<int>(std::size(kLineAngles));
    out.push_back(d);
  }
  return out;
}

}  // namespace projgen
