// A generated workspace of the logger program in a temporary folder, with
// HOME and XDG pointed there, opened by the sport project manager. Its
// tracks: a sprint on a closed circuit (20 Hz, two whole laps between three
// crossings of the start/finish line, a sector line half way round), the
// other circuit kinds, a drag run between 0 and 100 km/h and one to 100 m
// (standing start, 5 m/s^2), for the driver; a rally in January for the
// second user.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "platform/win32/utf.h"
#include "sport/SportProjMgr.h"
#include "sport/SportTrack.h"
#include "tests/common/env.h"
#include "tests/common/temp_dir.h"
#include "tools/projgen/ProjectGenerator.h"
#include "tools/projgen/SampleWorkspace.h"
#include "trackdb/tgvRecord.h"

namespace sportws {

inline const projgen::Circuit kCircuit = [] {
  projgen::Circuit c;
  c.phaseSeconds = 0.025;  // crossings fall between samples
  return c;
}();
constexpr double kAccel = 5.0;  // m/s^2
inline const uint64_t kDay = projgen::FileTimeOf(2024, 6, 1, 9, 0, 0);
constexpr uint64_t kHour = 36000000000ULL;

inline projgen::WorkspaceTrack Track(const char16_t* name, const char16_t* racing, std::vector<projgen::Sample> samples,
                                     projgen::Fields extra = {}) {
  projgen::Fields fields = {{u"SportType", u"Car Racing"},
                            {u"RacingType", racing},
                            {u"FieldStartTime", projgen::TimeHalves(samples.front().time)},
                            {u"FieldEndTime", projgen::TimeHalves(samples.back().time)}};
  fields.insert(fields.end(), extra.begin(), extra.end());
  return projgen::WorkspaceTrack{name, fields, std::move(samples)};
}

inline bool WriteSample(const std::u16string& root) {
  using namespace projgen;
  WorkspaceUser driver{u"Driver",
                       {{u"FieldNickName", u"driver"},
                        {u"ActiveUser", u"1"},
                        {u"FieldGender", u"ValueFemale"},
                        {u"FieldWeight", u"72.5"},
                        {u"FieldBirth", u"1990 5 17"},
                        {u"FieldPassword", u"secret"}},
                       {}};
  const double lap = kCircuit.lapSeconds;
  driver.tracks.push_back(Track(u"Sprint", u"Sprint", CircuitSamples(kCircuit, 20, 3.5 * lap, kDay + 2 * kHour)));
  driver.tracks.push_back(Track(u"Endurance", u"Endurance", CircuitSamples(kCircuit, 10, 4.5 * lap, kDay)));
  driver.tracks.push_back(Track(u"Qualify", u"Qualify", CircuitSamples(kCircuit, 10, 1.5 * lap, kDay + kHour)));
  driver.tracks.push_back(Track(u"Other", u"CircuitOhter", CircuitSamples(kCircuit, 10, 1.5 * lap, kDay + 3 * kHour)));
  const double dragLat = kCircuit.centerLat + 0.02;
  driver.tracks.push_back(Track(u"DragSpeed", u"DragRacing",
                                LaunchSamples(dragLat, kCircuit.centerLon, 10, 2.0, kAccel, 10.0, kDay + 4 * kHour),
                                {{u"FieldDragIsDistance", u"0"},
                                 {u"FieldDragDistanceStart", u"0.000000"},
                                 {u"FieldDragDistance", u"100.000000"}}));
  driver.tracks.push_back(Track(u"DragDistance", u"DragRacing",
                                LaunchSamples(dragLat, kCircuit.centerLon, 10, 2.0, kAccel, 10.0, kDay + 5 * kHour),
                                {{u"FieldDragIsDistance", u"1"}, {u"FieldDragDistance", u"0.100000"}}));
  driver.tracks.push_back(Track(u"DataLog", u"DataLog", CircuitSamples(kCircuit, 10, 20.0, kDay + 6 * kHour)));
  WorkspaceUser second{u"Second", {}, {}};
  second.tracks.push_back(
      Track(u"Rally", u"RallyRacing", CircuitSamples(kCircuit, 10, 20.0, projgen::FileTimeOf(2024, 1, 15, 2, 0, 0))));
  return WriteWorkspace(root, {driver, second},
                        {CircuitLine(kCircuit, 0, 0.0), CircuitLine(kCircuit, 3, std::numbers::pi)});
}

// The manager is process-wide: each test closes the workspace it opened and
// puts the lock pause back, so that the next finds the manager as it was.
class SportWorkspaceTest : public ::testing::Test {
 protected:
  void TearDown() override {
    m_mgr->CloseWorkspace();
    m_mgr->SetLockPause(nullptr);
  }
  std::u16string Root() const { return Utf8ToUtf16(m_dir.File("ws")); }
  void Open() {
    ASSERT_TRUE(WriteSample(Root()));
    ASSERT_EQ(m_mgr->OpenWorkspace(Root().c_str()), kWorkspaceOk);
  }
  CSportTrack* FindTrack(const char16_t* name) const {
    for (CSportTrack* t : m_mgr->GetTracks())
      if (t->m_pLine && CString(t->m_pLine->GetName()) == name) return t;
    return nullptr;
  }

  TempDir m_dir;
  ScopedUserFolders m_folders{m_dir.Path()};
  CSportProjMgr* m_mgr = CSportProjMgr::GetInstance();
};

}  // namespace sportws
