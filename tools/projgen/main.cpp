// projgen FOLDER: writes a sample workspace into FOLDER (which must not hold
// one yet): one driver with a sprint and an endurance session on a closed
// circuit logged at 20 and 10 Hz, a drag run, and the circuit's start/finish
// line.
#include <cstdio>
#include <string>

#include "platform/win32/utf.h"
#include "tools/projgen/ProjectGenerator.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: projgen FOLDER\n");
    return 2;
  }
  using namespace projgen;
  const Circuit circuit;
  const uint64_t day = FileTimeOf(2024, 6, 1, 9, 0, 0);
  const uint64_t hour = 36000000000ULL;
  auto track = [](const char16_t* name, const char16_t* racing, std::vector<Sample> samples) {
    return WorkspaceTrack{
        name, {{u"SportType", u"Car Racing"}, {u"RacingType", racing}, {u"DeviceModel", u"1"}}, std::move(samples)};
  };
  std::vector<Sample> drag =
      CircuitSamples(Circuit{circuit.centerLat, circuit.centerLon, 100.0, 100.0, 400.0}, 20, 15.0, day + 3 * hour);
  WorkspaceUser driver{u"Driver", {{u"FieldNickName", u"driver"}, {u"ActiveUser", u"1"}}, {}};
  driver.tracks.push_back(track(u"Sprint", u"Sprint", CircuitSamples(circuit, 20, 3 * circuit.lapSeconds, day)));
  driver.tracks.push_back(
      track(u"Endurance", u"Endurance", CircuitSamples(circuit, 10, 6 * circuit.lapSeconds, day + hour)));
  driver.tracks.push_back(track(u"Drag", u"DragRacing", drag));
  // Each track's first and last sample give its stored start and end.
  for (WorkspaceTrack& t : driver.tracks) {
    auto halves = [](uint64_t ft) {
      return Utf8ToUtf16(std::to_string(static_cast<int32_t>(ft >> 32)) + " " +
                         std::to_string(static_cast<int32_t>(static_cast<uint32_t>(ft))));
    };
    t.fields.push_back({u"FieldStartTime", halves(t.samples.front().time)});
    t.fields.push_back({u"FieldEndTime", halves(t.samples.back().time)});
  }
  const Sample line = CircuitSamples(circuit, 1, 0.0, day).front();
  const std::u16string lat = Utf8ToUtf16(std::to_string(line.lat));
  const std::vector<Fields> lapPoints = {{{u"LapPointFieldLapType", u"0"},
                                          {u"POSITION1", lat + u" " + Utf8ToUtf16(std::to_string(line.lon - 0.0002))},
                                          {u"POSITION2", lat + u" " + Utf8ToUtf16(std::to_string(line.lon + 0.0002))}}};
  if (!WriteWorkspace(Utf8ToUtf16(argv[1]), {driver}, lapPoints)) {
    std::fprintf(stderr, "projgen: the workspace could not be written in %s\n", argv[1]);
    return 1;
  }
  return 0;
}
