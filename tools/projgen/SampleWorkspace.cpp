#include "tools/projgen/SampleWorkspace.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "datafiles/DataFiles.h"
#include "platform/win32/utf.h"

namespace projgen {

namespace {

const char16_t* const kRacingTypes[] = {u"Endurance",  u"Sprint",  u"Qualify",    u"CircuitOhter",
                                        u"DragRacing", u"DataLog", u"RallyRacing"};

std::u16string Num(double v) { return Utf8ToUtf16(std::to_string(v)); }

// Fields of a session recorded on the sample map.
Fields SessionFields(const char16_t* racing, const std::vector<Sample>& samples) {
  return {{u"SportType", u"Car Racing"},
          {u"RacingType", racing},
          {u"FieldTrackName", kSampleMap},
          {u"UsedBcn", kSampleMap},
          {u"FieldStartTime", TimeHalves(samples.front().time)},
          {u"FieldEndTime", TimeHalves(samples.back().time)},
          {u"FieldTimeZone", u"-540"}};
}

bool ParseDouble(const std::string& text, double* out) {
  const char* end = text.data() + text.size();
  return std::from_chars(text.data(), end, *out).ptr == end;
}

}  // namespace

std::u16string TimeHalves(uint64_t ft) {
  return Utf8ToUtf16(std::to_string(static_cast<int32_t>(ft >> 32)) + " " +
                     std::to_string(static_cast<int32_t>(static_cast<uint32_t>(ft))));
}

Fields CircuitLine(const Circuit& c, int type, double angle) {
  const double lat = c.centerLat + c.radiusNorthKm * std::sin(angle) / 111.195;
  const double lon = c.centerLon + c.radiusEastKm * std::cos(angle) / (111.195 * std::cos(c.centerLat * M_PI / 180.0));
  return {{u"LapPointFieldLapType", Num(type)},
          {u"POSITION1", Num(lat) + u" " + Num(lon - 0.0003)},
          {u"POSITION2", Num(lat) + u" " + Num(lon + 0.0003)}};
}

std::vector<Sample> ReadLoggerCsv(const std::string& path, uint64_t start) {
  std::vector<Sample> out;
  std::ifstream in(path);
  std::string line;
  if (!std::getline(in, line)) return out;  // the header
  double first = 0.0;
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    size_t from = 0;
    for (size_t comma; (comma = line.find(',', from)) != std::string::npos; from = comma + 1)
      cells.push_back(line.substr(from, comma - from));
    cells.push_back(line.substr(from));
    double t, speed, alt, lat, lon;
    if (cells.size() < 6 || !ParseDouble(cells[0], &t) || !ParseDouble(cells[1], &speed) ||
        !ParseDouble(cells[3], &alt) || !ParseDouble(cells[4], &lat) || !ParseDouble(cells[5], &lon))
      continue;
    if (out.empty()) first = t;
    Sample s;
    s.lat = lat, s.lon = lon, s.alt = alt, s.speed = speed;
    s.time = start + static_cast<uint64_t>(std::llround((t - first) * 1e7));
    out.push_back(s);
  }
  return out;
}

Fields TimingLine(const std::vector<Sample>& samples, double lat, double lon, double halfWidthKm) {
  if (samples.size() < 2) return {};
  size_t near = 0;
  double best = INFINITY;
  for (size_t i = 0; i < samples.size(); ++i) {
    const double d = std::hypot(samples[i].lat - lat, samples[i].lon - lon);
    if (d < best) best = d, near = i;
  }
  const Sample& a = samples[near == samples.size() - 1 ? near - 1 : near];
  const Sample& b = samples[near == samples.size() - 1 ? near : near + 1];
  const double cosLat = std::cos(lat * M_PI / 180.0);
  const double north = (b.lat - a.lat) * 111.195, east = (b.lon - a.lon) * 111.195 * cosLat;
  const double length = std::hypot(north, east);
  if (length == 0.0) return {};
  // Square to the travel: (north, east) turned by 90 degrees.
  const double dLat = -east / length * halfWidthKm / 111.195;
  const double dLon = north / length * halfWidthKm / (111.195 * cosLat);
  return {{u"LapPointFieldLapType", u"0"},
          {u"POSITION1", Num(lat + dLat) + u" " + Num(lon + dLon)},
          {u"POSITION2", Num(lat - dLat) + u" " + Num(lon - dLon)}};
}

bool WriteTrackMap(const std::u16string& documents, const std::u16string& map, const std::u16string& displayName) {
  const std::u16string file = TrackMapNameFile(UserDataFolderIn(documents), map);
  if (file.empty()) return false;
  const std::filesystem::path path(Utf16ToUtf8(file));
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary);
  const std::u16string text = u"\uFEFF" + map + u"\r\nname\r\n" + displayName + u"\r\n";
  for (char16_t c : text) out.put(static_cast<char>(c & 0xFF)).put(static_cast<char>(c >> 8));
  return static_cast<bool>(out);
}

bool WriteSampleWorkspace(const std::u16string& root, const SampleOptions& options) {
  const Circuit circuit;
  const uint64_t day = FileTimeOf(2024, 6, 1, 0, 0, 0);
  const uint64_t step = 36000000000ULL / 4;  // sessions a quarter hour apart
  WorkspaceUser driver{u"Driver", {{u"FieldNickName", u"driver"}, {u"ActiveUser", u"1"}}, {}};
  for (int i = 0; i < options.sessions; ++i) {
    const int racing = i % 7;
    const int hz = i % 2 ? 10 : 20;
    const uint64_t start = day + static_cast<uint64_t>(i) * step;
    std::vector<Sample> samples =
        racing == 4 ? LaunchSamples(circuit.centerLat + 0.02, circuit.centerLon, hz, 2.0, 5.0, 12.0, start)
                    : CircuitSamples(circuit, hz, options.seconds, start);
    Fields fields = SessionFields(kRacingTypes[racing], samples);
    if (racing == 4) fields.insert(fields.end(), {{u"FieldDragIsDistance", u"1"}, {u"FieldDragDistance", u"0.100000"}});
    driver.tracks.push_back(
        WorkspaceTrack{Utf8ToUtf16("Session " + std::to_string(i + 1)), std::move(fields), std::move(samples)});
  }
  if (!options.loggerCsv.empty()) {
    std::vector<Sample> real = ReadLoggerCsv(options.loggerCsv, FileTimeOf(2025, 12, 16, 2, 51, 10));
    if (real.empty()) return false;
    driver.tracks.push_back(WorkspaceTrack{u"Fuji practice", SessionFields(u"Sprint", real), std::move(real)});
  }
  WorkspaceUser second{u"Second", {{u"FieldNickName", u"second"}}, {}};
  const std::vector<Fields> lapPoints = {CircuitLine(circuit, 0, 0.0), CircuitLine(circuit, 3, M_PI),
                                         CircuitLine(circuit, 3, M_PI / 2)};
  if (!WriteWorkspace(root, {driver, second}, lapPoints)) return false;
  return options.documents.empty() || WriteTrackMap(options.documents, kSampleMap, u"Fuji Speedway");
}

}  // namespace projgen
