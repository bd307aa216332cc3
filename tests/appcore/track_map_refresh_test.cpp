// The refresh of the track maps after a login against the stand-in service.
#include <gtest/gtest.h>

#include <filesystem>
#include <stop_token>

#include "appcore/TrackMapDb.h"
#include "appcore/TrackMapRefresh.h"
#include "tests/common/standin_user.h"

namespace {

class TrackMapRefreshTest : public StandinUserTest {
 protected:
  void SetUp() override {
    StandinUserTest::SetUp();
    if (HasFatalFailure()) return;
    const StandinAccount rider{"rider@example.org", "s3cret pass", "Rin Rider", 1, "JP", "ja", true};
    ASSERT_GT(m_service->AddAccount(rider), 0);
    ASSERT_TRUE(m_service->AddTrackMap({1, "O", "Fuji", 100}, MakeBeaconFile({StandinBeacon{}})));
    ASSERT_TRUE(m_service->AddTrackMap({2, "O", "Suzuka", 100}, MakeBeaconFile({StandinBeacon{}})));
    ASSERT_TRUE(ApiLogin(GetLoginState(), CString(rider.email.c_str()), CString(rider.password.c_str())));
    ASSERT_TRUE(m_maps.Create(m_userData));
    m_service->ClearRequests();
  }
  int TrackListRequests() const {
    int n = 0;
    for (const StandinRequest& r : m_service->Requests()) n += r.path == "/API/TrackList.php";
    return n;
  }

  TrackMapDb m_maps;
};

TEST_F(TrackMapRefreshTest, MergesTheListAndItsBeaconsAndReportsTheCountWhateverFollows) {
  const struct {
    const char* what;
    bool table;
    bool stopped;
    int32_t state;  // after the run
    int32_t maps;   // in the table
    int requests;   // to the track list
  } cases[] = {
      {"no table", false, false, kTrackMapsRetrieving, 0, 1},
      {"a stop", true, true, kTrackMapsRetrieving, 0, 1},
      {"a refresh", true, false, kTrackMapsDone, 2, 2},
  };
  for (const auto& c : cases) {
    m_service->ClearRequests();
    std::atomic<int32_t> state{kTrackMapsRetrieving}, count{0};
    std::stop_source stop;
    if (c.stopped) stop.request_stop();
    TrackMapRefresh refresh({c.table ? &m_maps : nullptr}, {state, count});
    refresh.Run(stop.get_token());
    EXPECT_EQ(state.load(), c.state) << c.what;
    EXPECT_EQ(count.load(), 2) << c.what;
    EXPECT_EQ(m_maps.Count(), c.maps) << c.what;
    EXPECT_EQ(TrackListRequests(), c.requests) << c.what;
  }
  EXPECT_TRUE(std::filesystem::is_regular_file(m_dir.File("Documents/Pelmora/TransferDb/bcnx/Suzuka.bcnx")));
}

}  // namespace
