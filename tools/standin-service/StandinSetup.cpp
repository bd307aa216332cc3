#include "tools/standin-service/StandinSetup.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t p = s.find(sep, start);
    out.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
    if (p == std::string::npos) return out;
    start = p + 1;
  }
}

bool ParseInt(const std::string& text, int32_t& out) {
  const char* end = text.data() + text.size();
  return !text.empty() && std::from_chars(text.data(), end, out).ptr == end;
}

bool ReadWhole(const std::filesystem::path& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

bool ParseStandinAccount(const std::string& spec, StandinAccount& out) {
  const std::vector<std::string> f = Split(spec, ':');
  if (f.size() < 2 || f.size() > 3 || f[0].empty() || f[1].empty()) return false;
  out = StandinAccount{};
  out.email = f[0];
  out.password = f[1];
  out.name = f.size() > 2 ? f[2] : f[0];
  return true;
}

bool ParseStandinTrack(const std::string& spec, const std::string& folder, StandinSetupTrack& out) {
  const std::vector<std::string> f = Split(spec, ':');
  if (f.size() < 2 || f.size() > 5 || f[1].empty()) return false;
  out = StandinSetupTrack{};
  out.map.label = f[1];
  out.map.type = f.size() > 2 ? f[2] : "Circuit";
  out.map.uDate = 1;
  if (!ParseInt(f[0], out.map.mapId) || (f.size() > 3 && !ParseInt(f[3], out.map.uDate))) return false;
  // The file is opened by a zero-terminated name: a name that holds a zero
  // would open another file.
  if (f.size() > 4)
    return f[4].find('\0') == std::string::npos && ReadWhole(std::filesystem::path(folder) / f[4], out.beaconFile);
  out.beaconFile = MakeBeaconFile({StandinBeacon{0, "Start/Finish", 0.0, 0.0, 0.0f, 20, 0}});
  return true;
}

bool ReadStandinSetup(const std::string& path, StandinSetup& out, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  const std::string folder = std::filesystem::path(path).parent_path().string();
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const size_t blank = line.find(' ');
    const std::string kind = line.substr(0, blank);
    const std::string spec = blank == std::string::npos ? std::string() : line.substr(blank + 1);
    bool ok = false;
    if (kind == "account") {
      ok = ParseStandinAccount(spec, out.accounts.emplace_back());
    } else if (kind == "track") {
      ok = ParseStandinTrack(spec, folder, out.tracks.emplace_back());
    }
    if (!ok) {
      error = path + ": " + line;
      return false;
    }
  }
  return true;
}

std::vector<std::string> ApplyStandinSetup(StandinService& service, const StandinSetup& setup) {
  std::vector<std::string> refused;
  for (const StandinAccount& account : setup.accounts)
    if (service.AddAccount(account) <= 0) refused.push_back("account " + account.email + " exists");
  for (const StandinSetupTrack& track : setup.tracks)
    if (!service.AddTrackMap(track.map, track.beaconFile))
      refused.push_back("track map " + std::to_string(track.map.mapId) + " could not be added");
  return refused;
}
