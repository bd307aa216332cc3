#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <thread>

#include "appcore/TrackMapDb.h"
#include "appcore/UserInfoDb.h"
#include "platform/win32/utf.h"
#include "tests/appcore/sqlite_probe.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
#include "tests/common/standin.h"

namespace {

class TrackMapDbTest : public StandinServiceTest {
 protected:
  void SetUp() override {
    StandinServiceTest::SetUp();
    if (HasFatalFailure()) return;
    std::filesystem::create_directories(m_dir.File("Documents/Pelmora"));
    ASSERT_TRUE(m_maps.Create(m_dir.WFile("Documents/Pelmora")));
    ASSERT_TRUE(m_users.Create(m_dir.WFile("Documents/Pelmora")));
  }

  // A map published by the service: its list item and its beacon file, whose
  // single beacon's width tells the versions apart.
  TrackListItem Publish(int32_t mapId, const char16_t* label, int32_t uDate, int32_t width) {
    StandinBeacon beacon;
    beacon.width = width;
    m_service->AddTrackMap({mapId, "O", Utf16ToUtf8(label), uDate}, MakeBeaconFile({beacon}));
    TrackListItem item;
    item.mapId = mapId;
    item.uDate = uDate;
    item.type = u"O";
    item.Label = label;
    item.BCNXFile = CString((m_service->BaseUrl() + "/bcnx/" + std::to_string(mapId) + ".bcnx").c_str());
    return item;
  }
  std::string BeaconFile(const std::string& name) { return m_dir.File("Documents/Pelmora/TransferDb/bcnx/" + name); }
  // The beacon files fetched since the last call.
  std::set<std::string> Fetched() {
    std::set<std::string> paths;
    for (const StandinRequest& r : m_service->Requests()) paths.insert(r.path);
    m_service->ClearRequests();
    return paths;
  }
  SqlRows Rows() {
    return QueryFile(Utf16ToUtf8(m_maps.Path()), "SELECT mapId, type, sName, uDate FROM TrackMap ORDER BY mapId;");
  }

  // The last user as the next run reads it from the file.
  int32_t LastUidReadByTheNextRun() {
    UserInfoDb later;
    if (!later.Create(m_dir.WFile("Documents/Pelmora"))) return -1;
    UserInfoRecord read;
    later.GetLastUser(read);
    return read.uid;
  }

  ScopedUserFolders m_folders{m_dir.Path()};
  TrackMapDb m_maps;
  UserInfoDb m_users;
};

TEST_F(TrackMapDbTest, TheFileHoldsBothTablesAsCreatedAndOnlyItsOwnerMayReadIt) {
  const std::string path = Utf16ToUtf8(m_maps.Path());
  EXPECT_EQ(path, m_dir.File("Documents/Pelmora/TransferDb/transferDbTool.db"));
  EXPECT_EQ(Utf16ToUtf8(m_users.Path()), path);
  EXPECT_EQ(
      TableInfo(path, "TrackMap"),
      ReferenceTableInfo(m_dir.File("ref1.db"),
                         "CREATE TABLE TrackMap (mapId INTEGER, type TEXT, sName TEXT, uDate INTEGER);", "TrackMap"));
  EXPECT_EQ(
      TableInfo(path, "UserInfo"),
      ReferenceTableInfo(m_dir.File("ref2.db"),
                         "CREATE TABLE UserInfo (id INTEGER PRIMARY KEY AUTOINCREMENT, uid INTEGER, gender "
                         "INTEGER, token TEXT, email TEXT, name TEXT, country TEXT, language TEXT, lastTime TEXT);",
                         "UserInfo"));
  EXPECT_EQ(QueryFile(path, "PRAGMA encoding;"), SqlRows{{"UTF-16le"}});
  EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(TrackMapDbTest, TheMergeFollowsTheServiceListAndFetchesOnlyWhatIsNewChangedOrMissing) {
  TrackListItem fuji = Publish(1, u"Fuji", 100, 10);
  TrackListItem suzuka = Publish(2, u"Suzuka 鈴鹿", 100, 10);
  TrackListItem okayama = Publish(3, u"Okayama", 100, 10);
  TrackListItem evil = Publish(4, u"../../escape", 100, 10);
  TrackListItem ftp = Publish(5, u"Motegi", 100, 10);
  ftp.BCNXFile = u"file:///etc/passwd";
  TrackListItem zero = Publish(7, u"Tsukuba", 100, 10);  // an address that goes on after a zero
  zero.BCNXFile = CString(zero.BCNXFile.Str() + std::u16string(1, u'\0') + u"/other");
  TrackListItem unfilled;  // an item the list reply did not fill
  std::vector<TrackListItem> first = {fuji, suzuka, okayama, evil, ftp, zero, unfilled};
  ASSERT_TRUE(m_maps.Update(first.data(), static_cast<int32_t>(first.size())));
  EXPECT_EQ(Rows(), (SqlRows{{"1", "O", "Fuji", "100"},
                             {"2", "O", "Suzuka 鈴鹿", "100"},
                             {"3", "O", "Okayama", "100"},
                             {"4", "O", "../../escape", "100"},
                             {"5", "O", "Motegi", "100"},
                             {"7", "O", "Tsukuba", "100"}}));
  EXPECT_EQ(Fetched(), (std::set<std::string>{"/bcnx/1.bcnx", "/bcnx/2.bcnx", "/bcnx/3.bcnx"}));
  EXPECT_TRUE(std::filesystem::exists(BeaconFile("Suzuka 鈴鹿.bcnx")));
  EXPECT_FALSE(std::filesystem::exists(BeaconFile("Motegi.bcnx")));
  EXPECT_FALSE(std::filesystem::exists(BeaconFile("Tsukuba.bcnx")));
  EXPECT_FALSE(std::filesystem::exists(m_dir.File("Documents/escape.bcnx")));

  // The next list: Fuji changed, Suzuka unchanged but its file lost, Okayama
  // unchanged, Sepang new; Motegi no longer listed.
  std::filesystem::remove(BeaconFile("Suzuka 鈴鹿.bcnx"));
  const std::string okayamaBefore = ReadBytes(BeaconFile("Okayama.bcnx"));
  Publish(3, u"Okayama", 100, 99);  // the same stamp: not fetched again
  std::vector<TrackListItem> second = {Publish(1, u"Fuji GP", 200, 20), suzuka, okayama, evil,
                                       Publish(6, u"Sepang", 50, 10)};
  ASSERT_TRUE(m_maps.Update(second.data(), static_cast<int32_t>(second.size())));
  EXPECT_EQ(Rows(), (SqlRows{{"1", "O", "Fuji GP", "200"},
                             {"2", "O", "Suzuka 鈴鹿", "100"},
                             {"3", "O", "Okayama", "100"},
                             {"4", "O", "../../escape", "100"},
                             {"5", "O", "Motegi", "100"},
                             {"6", "O", "Sepang", "50"},
                             {"7", "O", "Tsukuba", "100"}}));
  EXPECT_EQ(Fetched(), (std::set<std::string>{"/bcnx/1.bcnx", "/bcnx/2.bcnx", "/bcnx/6.bcnx"}));
  StandinBeacon changed;
  changed.width = 20;
  EXPECT_EQ(ReadBytes(BeaconFile("Fuji GP.bcnx")), MakeBeaconFile({changed}));
  EXPECT_TRUE(std::filesystem::exists(BeaconFile("Suzuka 鈴鹿.bcnx")));
  EXPECT_EQ(ReadBytes(BeaconFile("Okayama.bcnx")), okayamaBefore);
}

TEST_F(TrackMapDbTest, AChangedMapTakesItsNewDateOnlyWithAWholeNewBeaconFile) {
  TrackListItem fuji = Publish(1, u"Fuji", 100, 10);
  ASSERT_TRUE(m_maps.Update(&fuji, 1));
  const std::string before = ReadBytes(BeaconFile("Fuji.bcnx"));
  fuji = Publish(1, u"Fuji", 200, 20);
  const std::string after = ReadBytes(m_dir.File("service/www/bcnx/1.bcnx"));

  // A page served with status 200 in place of the file, a cut transfer, or
  // the file followed by 10 MB of blanks: the old file and date stay, so the
  // next list fetches it again.
  const std::string padded = after + std::string(10 << 20, ' ');
  const std::pair<StandinFault, std::string> replies[] = {
      {StandinFault::Html, ""}, {StandinFault::CutShort, ""}, {StandinFault::Raw, padded}};
  for (const auto& [fault, body] : replies) {
    m_service->AddFault(OneFault(fault, "/bcnx/1.bcnx", 200, body));
    ASSERT_TRUE(m_maps.Update(&fuji, 1));
    EXPECT_EQ(Rows(), (SqlRows{{"1", "O", "Fuji", "100"}}));
    EXPECT_TRUE(ReadBytes(BeaconFile("Fuji.bcnx")) == before) << body.size();  // no 10 MB in the message
  }
  ASSERT_TRUE(m_maps.Update(&fuji, 1));
  EXPECT_EQ(Rows(), (SqlRows{{"1", "O", "Fuji", "200"}}));
  EXPECT_TRUE(ReadBytes(BeaconFile("Fuji.bcnx")) == after);

  // A local file that is not a whole beacon file is fetched again, though
  // the map has not changed.
  std::string overcounted = after;
  overcounted[176] = 2;
  const std::string bad[] = {"<html><body>Not Found</body></html>",
                             "<!DOCTYPE html><html>" + std::string(400, ' ') + "</html>", overcounted, padded};
  for (const std::string& b : bad) {
    ASSERT_TRUE(WriteBytes(BeaconFile("Fuji.bcnx"), b));
    ASSERT_TRUE(m_maps.Update(&fuji, 1));
    EXPECT_TRUE(ReadBytes(BeaconFile("Fuji.bcnx")) == after) << b.substr(0, 20);
  }
  EXPECT_EQ(Fetched().size(), 1u);
}

TEST_F(TrackMapDbTest, FindByNameGivesTheLargestMapIdOfTheName) {
  EXPECT_EQ(m_maps.FindByName(u"Fuji").mapId, 0) << "empty table";
  std::vector<TrackListItem> list = {Publish(3, u"Fuji", 30, 1), Publish(8, u"Fuji", 10, 1), Publish(5, u"Fuji", 50, 1),
                                     Publish(9, u"Suzuka", 90, 1)};
  ASSERT_TRUE(m_maps.Update(list.data(), static_cast<int32_t>(list.size())));
  const struct {
    const char16_t* name;
    int32_t mapId, uDate;
  } cases[] = {{u"Fuji", 8, 10}, {u"Suzuka", 9, 90}, {u"fuji", 0, 0}, {u"", 0, 0}};
  for (const auto& c : cases) {
    TrackListItem found = m_maps.FindByName(c.name);
    EXPECT_EQ(std::make_pair(found.mapId, found.uDate), std::make_pair(c.mapId, c.uDate)) << Utf16ToUtf8(c.name);
    EXPECT_TRUE(found.BCNXFile.IsEmpty());
    if (c.mapId) {
      EXPECT_EQ(found.Label.Str(), c.name);
    }
  }
}

TEST_F(TrackMapDbTest, TheLastSavedUserComesBackFromTheCacheOrTheFile) {
  UserInfoRecord nobody;
  m_users.GetLastUser(nobody);
  EXPECT_EQ(nobody.uid, 0);
  EXPECT_TRUE(nobody.token.IsEmpty());

  UserInfoRecord user;
  user.uid = 42, user.gender = 1, user.token = u"tok'en\"1", user.email = u"a@b.example", user.name = u"Jürgen 太郎";
  user.country = u"DE", user.language = u"de";
  ASSERT_TRUE(m_users.Save(user));
  user.token = u"second token";
  ASSERT_TRUE(m_users.Save(user));
  EXPECT_EQ(QueryFile(Utf16ToUtf8(m_users.Path()), "SELECT uid, token, name FROM UserInfo;"),
            (SqlRows{{"42", "second token", "Jürgen 太郎"}}));

  UserInfoDb later;  // the next run reads the file
  ASSERT_TRUE(later.Create(m_dir.WFile("Documents/Pelmora")));
  UserInfoRecord read;
  later.GetLastUser(read);
  EXPECT_EQ(std::make_tuple(read.uid, read.gender, read.token.Str(), read.email.Str(), read.name.Str()),
            std::make_tuple(42, 1, user.token.Str(), user.email.Str(), user.name.Str()));

  std::filesystem::remove(Utf16ToUtf8(m_users.Path()));
  UserInfoRecord cached;
  m_users.GetLastUser(cached);
  EXPECT_EQ(cached.token.Str(), u"second token") << "after a save the cache answers";
}

TEST_F(TrackMapDbTest, AStoredTokenThatHoldsAZeroIsNoToken) {
  UserInfoRecord user;
  user.uid = 42, user.token = std::u16string(u"tok\0en", 6), user.email = u"a@b.example";
  ASSERT_TRUE(m_users.Save(user));
  UserInfoDb later;
  ASSERT_TRUE(later.Create(m_dir.WFile("Documents/Pelmora")));
  UserInfoRecord read;
  later.GetLastUser(read);
  EXPECT_EQ(std::make_tuple(read.uid, read.token.Str(), read.email.Str()), std::make_tuple(42, u"", user.email.Str()));
}

TEST_F(TrackMapDbTest, OfUsersSavedWithinOneSecondTheLastSavedComesBackFromTheFile) {
  // The time text has whole seconds: these saves share it (or are ordered by it).
  for (const int32_t uid : {1, 2, 1, 3, 2}) {
    UserInfoRecord user;
    user.uid = uid;
    ASSERT_TRUE(m_users.Save(user));
    EXPECT_EQ(LastUidReadByTheNextRun(), uid);
  }
}

// Saved in Tokyo, then after the computer moved to Los Angeles: the later
// save is the last user, whatever the clock's local text says.
TEST_F(TrackMapDbTest, TheLastUserIsTheLastSavedAcrossAChangeOfZone) {
  for (const auto& [uid, zone] : {std::pair{7, "Asia/Tokyo"}, std::pair{8, "America/Los_Angeles"}}) {
    ScopedTz tz(zone);
    UserInfoRecord user;
    user.uid = uid;
    ASSERT_TRUE(m_users.Save(user));
  }
  EXPECT_EQ(LastUidReadByTheNextRun(), 8);
}

TEST_F(TrackMapDbTest, TheTwoTablesOfTheFileAreWrittenAtOnceWithoutLosingAWrite) {
  constexpr int kRounds = 15;
  std::thread maps([&] {
    for (int i = 1; i <= kRounds; ++i) {
      TrackListItem item;
      item.mapId = i, item.uDate = i, item.Label = u"Fuji";  // no address: nothing is fetched
      if (!m_maps.Update(&item, 1)) ADD_FAILURE() << "update " << i;
    }
  });
  std::thread users([&] {
    for (int i = 1; i <= kRounds; ++i) {
      UserInfoRecord user;
      user.uid = i;
      if (!m_users.Save(user)) ADD_FAILURE() << "save " << i;
    }
  });
  maps.join(), users.join();
  const std::string path = Utf16ToUtf8(m_maps.Path());
  EXPECT_EQ(QueryFile(path, "SELECT COUNT(*) FROM TrackMap;"), SqlRows{{std::to_string(kRounds)}});
  EXPECT_EQ(QueryFile(path, "SELECT COUNT(*) FROM UserInfo;"), SqlRows{{std::to_string(kRounds)}});
}

}  // namespace
