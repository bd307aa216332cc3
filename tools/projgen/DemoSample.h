// The sample a newcomer meets through scripts/run, and the stand-in web
// service that goes with it, made in one place so that they always agree:
// two circuits driven at different paces and lengths with their track maps
// and beacon files, a circuit the service has no map of, drag, data-log and
// rally sessions, the drag types the drag sessions need, and the setup file
// that starts the stand-in with the demo account and the circuits' maps.
#pragma once

#include <string>
#include <vector>

namespace projgen {

struct DemoFolders {
  std::u16string workspace;  // must not hold a workspace yet
  std::u16string documents;  // the track maps go to <documents>/Pelmora/TrackMap
  std::u16string service;    // the stand-in's setup file and beacon files
};

// The stand-in's setup file in the service folder (tools/standin-service/StandinSetup.h).
inline constexpr char kDemoSetupFile[] = "standin.txt";

// A circuit session of the sample and what the lap engine cuts it into at
// its map's beacon lines.
struct DemoCircuitSession {
  std::u16string trackFile;  // the session's folder in the workspace
  std::u16string map;
  bool mapOnService = false;
  int laps = 0;  // whole laps from the first start/finish crossing on
  double lapSeconds = 0.0;
  int sectorsPerLap = 0;
};

// Writes the workspace, its track maps and the service folder, and stores
// the drag types of its drag sessions in the current user's settings, as the
// logger program's settings hold them. False when anything cannot be written.
bool WriteDemoSample(const DemoFolders& folders);

// The sample's circuit sessions (race types 0 to 3), in workspace order.
std::vector<DemoCircuitSession> DemoCircuitSessions();

}  // namespace projgen
