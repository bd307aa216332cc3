// Whole sample workspaces of the logger program, built on the project
// generator: sessions of every race type on a real-shaped closed circuit,
// the lap points of the circuit, the track-map folders of the user-data
// folder, and a real logger session turned into a track.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/projgen/ProjectGenerator.h"

namespace projgen {

// The samples of a logger's CSV extract (columns time_s, speed_kmh,
// heading_deg, altitude_m, lat_deg, lon_deg, ...; one header line), the
// first row at start. Empty when the file cannot be read or holds no row.
std::vector<Sample> ReadLoggerCsv(const std::string& path, uint64_t start);

// A start/finish line (lap type 0) across the samples' path where it comes
// nearest to (lat, lon): square to the travel there, halfWidthKm each side.
// Empty when there are fewer than two samples.
Fields TimingLine(const std::vector<Sample>& samples, double lat, double lon, double halfWidthKm);

// The display-name file of the track map `map` (TrackMapNameFile) in the
// per-user data folder of `documents`, in UTF-16LE with a byte-order mark,
// whose line after "name" is the display name. False for a map name that is
// not a plain name.
bool WriteTrackMap(const std::u16string& documents, const std::u16string& map, const std::u16string& displayName);

struct SampleOptions {
  int sessions = 7;          // cycling through the race types 0 to 6
  double seconds = 240;      // per circuit session
  std::u16string documents;  // where the track maps go; none when empty
  std::string loggerCsv;     // a real session to add as one more track; none when empty
};

// A stored time as the workspace writes it: its two 32-bit halves as signed
// numbers, high first ("30819912 -1234567890").
std::u16string TimeHalves(uint64_t fileTime);

// The lap-point fields of a line of lap type `type` across the circuit at
// `angle` of its ellipse (0 east).
Fields CircuitLine(const Circuit& c, int type, double angle);

// The map every sample session is recorded on.
inline constexpr const char16_t* kSampleMap = u"Fuji";

// Writes a workspace into root: one driver (the active user) whose sessions
// alternate 20 and 10 Hz, a second user, the start/finish, sector and drag
// lines, and the track map of the circuit.
bool WriteSampleWorkspace(const std::u16string& root, const SampleOptions& options);

}  // namespace projgen
