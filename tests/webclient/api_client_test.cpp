// The web-service client against the stand-in service, which checks every
// request as the real service would (parts and their order, the login fields
// deciphered, every member of the upload summary by name and kind).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "appcore/UserInfoDb.h"
#include "platform/win32/utf.h"
#include "tests/common/files.h"
#include "tests/common/standin_user.h"
#include "webclient/ApiClient.h"
#include "webclient/HttpClient.h"
#include "webclient/JsonReader.h"
#include "webclient/SessionSummary.h"
#include "webclient/deploy.h"

namespace {

class ApiClientTest : public StandinUserTest {
 protected:
  void SetUp() override {
    StandinUserTest::SetUp();
    if (HasFatalFailure()) return;
    std::filesystem::create_directories(m_dir.File("workspace/TransferDb"));
    m_host.SetWorkspace(m_workspace);
    m_uid = m_service->AddAccount(kRider);
    ASSERT_GT(m_uid, 0);
  }

  bool Login(const StandinAccount& a = kRider) {
    return ApiLogin(m_state, CString(a.email.c_str()), CString(a.password.c_str()));
  }
  UserInfoRecord Stored() {
    UserInfoRecord r;
    m_users.GetLastUser(r);
    return r;
  }
  // The next reply of `path` is `body` as it is.
  void Answer(const std::string& path, const std::string& body, StandinFault kind = StandinFault::Raw) {
    m_service->AddFault(OneFault(kind, "/API/" + path, 200, body));
  }
  // The summary of session `id` with its two files in the workspace.
  SessionSummary Session(int32_t id, int32_t start) {
    SessionSummary s;
    s.id = id;
    s.mapId = 12;
    s.startTime = start;
    s.mName = u"\u9234\u9e7f";
    s.desc = u"wet \"quoted\"";
    s.duration = 1234.5;
    s.laps = 7;
    WriteBytes(m_dir.File("workspace/TransferDb/sess_" + std::to_string(id) + ".db"), "sess");
    WriteBytes(m_dir.File("workspace/TransferDb/sana_" + std::to_string(id) + ".db"), "sana");
    return s;
  }
  // Waits until the service has received `n` requests (at most 10 s).
  bool ReceivedRequests(size_t n) {
    for (int i = 0; i < 1000 && m_service->Requests().size() < n; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return m_service->Requests().size() >= n;
  }
  // The names of the parts of each request the service received.
  std::vector<std::vector<std::string>> PartNames() {
    std::vector<std::vector<std::string>> out;
    for (const StandinRequest& r : m_service->Requests()) {
      out.emplace_back();
      for (const StandinPart& p : r.parts) out.back().push_back(p.name);
    }
    return out;
  }

  inline static const StandinAccount kRider = {
      "rider@example.org", "p\xC3\xA4ss:word", "\xE4\xBD\x90\xE8\x97\xA4 \xF0\x9F\x8F\x81", 1, "Japan", "ja", true};
  std::atomic<int32_t> m_state{kLoginNone};
  int64_t m_uid = 0;
  const std::u16string m_workspace = m_dir.WFile("workspace");
};

TEST_F(ApiClientTest, EveryCallIsAcceptedByTheServiceWithItsFieldsInOrder) {
  ASSERT_TRUE(Login());
  EXPECT_EQ(m_state.load(), kLoginVerified);
  EXPECT_EQ(Stored().uid, m_uid);
  EXPECT_EQ(Stored().token.ToUtf8(), m_service->TokenOf(m_uid));
  EXPECT_EQ(Stored().email.ToUtf8(), kRider.email);

  ASSERT_TRUE(ApiGetInfo());
  const UserInfoRecord user = Stored();
  EXPECT_EQ(user.name.ToUtf8(), kRider.name);  // non-ASCII both ways
  EXPECT_EQ(user.gender, 1);
  EXPECT_EQ(user.country.ToUtf8(), "Japan");
  EXPECT_EQ(user.language.ToUtf8(), "ja");

  ASSERT_TRUE(m_service->AddTrackMap({5, "Circuit", "Fuji", 1700000000}, MakeBeaconFile({})));
  ASSERT_TRUE(m_service->AddTrackMap({12, "Circuit", "\xE9\x88\xB4\xE9\xB9\xBF", 1700000001}, MakeBeaconFile({})));
  EXPECT_EQ(ApiGetTrackCount(), 2);
  TrackListItem items[2];
  ASSERT_EQ(ApiGetTrackList(items, 2), 2);
  EXPECT_EQ(items[1].mapId, 12);
  EXPECT_EQ(items[1].uDate, 1700000001);
  EXPECT_EQ(items[1].Label.Str(), u"\u9234\u9e7f");
  EXPECT_EQ(items[1].BCNXFile.ToUtf8(), m_service->BaseUrl() + "/bcnx/12.bcnx");

  int32_t code = -1;
  const int32_t id = ApiUploadSession(Session(3, 1700000500), code);
  EXPECT_EQ(code, 0);
  EXPECT_GT(id, 0);
  ApiLogout();
  EXPECT_EQ(m_service->TokenOf(m_uid), "");
  EXPECT_FALSE(Stored().token.IsEmpty());  // kept: the next start logs out again

  const std::vector<std::string> account = {"Client_id", "Access_Token", "State", "UserID"};
  std::vector<std::string> tracks = account, upload = account;
  tracks.push_back("Filter");
  upload.insert(upload.end(), {"Vals", "qSess", "qSana"});
  EXPECT_EQ(PartNames(),
            (std::vector<std::vector<std::string>>{
                {"Client_id", "Client_token", "State", "User"}, account, tracks, tracks, upload, account}));
  const std::vector<StandinRequest> requests = m_service->Requests();
  const std::string state = requests[0].parts[2].content;
  EXPECT_EQ(state.size(), 16u);
  EXPECT_EQ(state.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"),
            std::string::npos);
  EXPECT_EQ(requests[1].parts[3].content, std::to_string(m_uid));
  EXPECT_EQ(requests[1].parts[2].content, DeployStateText());

  ASSERT_TRUE(Login());  // each login draws a State of its own
  EXPECT_NE(m_service->Requests().back().parts[2].content, state);
}

TEST_F(ApiClientTest, ARequestGivesUpWhenItsTimeLimitRunsOut) {
  // A limit of 1 s, which only the bytes the request sends lengthen.
  struct Case {
    const char* what;
    StandinFault kind;
    int delayMs;
    std::string reply;  // trickled 256 bytes every delayMs
    size_t bodyBytes;   // of a file part, none when 0
    int result;
  } cases[] = {
      {"a stall", StandinFault::Delay, 2500, "", 0, 1},
      {"a reply that announces 16 KiB and comes at 2.5 KiB/s", StandinFault::Trickle, 100,
       "{\"pad\":\"" + std::string(16 * 1024, 'x') + "\"}", 0, 1},
      {"an answer after 2.5 s to 200 KiB sent", StandinFault::Delay, 2500, "", 200 * 1024, 0},
  };
  for (const Case& c : cases) {
    StandinFaultSpec slow = OneFault(c.kind, "/API/Info.php", 200, c.reply);
    slow.delayMs = c.delayMs;
    slow.trickleBytes = 256;
    m_service->AddFault(slow);
    CPostMethod post(Utf8ToUtf16(m_service->BaseUrl() + "/API/Info.php").c_str());
    post.SetTimeLimit(1);
    post.AddField(u"a", u"1");
    const std::u16string file = m_dir.WFile("body.db");
    ASSERT_TRUE(WriteBytes(m_dir.File("body.db"), std::string(c.bodyBytes, 'b')));
    if (c.bodyBytes) post.AddFile(u"qSess", file.c_str(), u"application/octet-stream");
    EXPECT_EQ(post.Execute(), c.result) << c.what;
  }
}

TEST_F(ApiClientTest, LoginRepliesDecideTheLoginState) {
  struct Case {
    std::string body;
    StandinFault kind;
    bool accepted;
    int32_t state;
  } cases[] = {
      {"\xEF\xBB\xBF"
       R"({"code":0,"access_token":"tb","user_id":"40"})",
       StandinFault::Raw, true, kLoginUnverified},
      {R"({"code":0,"access_token":"t0","user_id":"41","VerifyAcc":"1"})", StandinFault::Raw, true, kLoginVerified},
      {R"({"code":216,"access_token":"t1","user_id":42})", StandinFault::Raw, true, kLoginUnverified},
      {R"({"code":0,"access_token":"t2","user_id":"43","VerifyAcc":1})", StandinFault::Raw, true, kLoginUnverified},
      {R"({"code":203})", StandinFault::Raw, false, kLoginNone},
      {R"({"access_token":"t","user_id":"44"})", StandinFault::Raw, false, kLoginNone},
      {R"({"code":"0","access_token":"t","user_id":"44"})", StandinFault::Raw, false, kLoginNone},
      {R"({"code":0,"access_token":"","user_id":"44"})", StandinFault::Raw, false, kLoginNone},
      // A token cut at its U+0000 would be another token.
      {R"({"code":0,"access_token":"tok\u0000en","user_id":"44"})", StandinFault::Raw, false, kLoginNone},
      {R"({"code":0,"access_token":"t","user_id":"0"})", StandinFault::Raw, false, kLoginNone},
      {R"([{"code":0,"access_token":"t","user_id":"44"}])", StandinFault::Raw, false, kLoginNone},
      {"", StandinFault::Html, false, kLoginNone},
      {"", StandinFault::EmptyBody, false, kLoginNone},
      {"", StandinFault::CutShort, false, kLoginNone},
      {R"({"code":0,"access_token":"t9","user_id":"49")", StandinFault::Raw, false, kLoginNone},
  };
  for (const Case& c : cases) {
    const UserInfoRecord before = Stored();
    m_state = 9;
    Answer("login.php", c.body, c.kind);
    EXPECT_EQ(Login(), c.accepted) << c.body;
    EXPECT_EQ(m_state.load(), c.state) << c.body;
    if (!c.accepted) {
      EXPECT_EQ(Stored().token, before.token) << c.body;
    }
  }
  EXPECT_EQ(Stored().uid, 43);
  EXPECT_EQ(Stored().token.ToUtf8(), "t2");
  m_service->Stop();
  EXPECT_FALSE(Login());
}

TEST_F(ApiClientTest, AnotherAccountDoesNotInheritTheStoredProfile) {
  ASSERT_TRUE(Login());
  ASSERT_TRUE(ApiGetInfo());
  StandinAccount other = {"other@example.org", "x", "Other", 2, "Germany", "de", false};
  ASSERT_GT(m_service->AddAccount(other), 0);
  ASSERT_TRUE(Login(other));
  EXPECT_EQ(m_state.load(), kLoginUnverified);
  UserInfoRecord user = Stored();
  EXPECT_EQ(user.email.ToUtf8(), "other@example.org");
  EXPECT_TRUE(user.name.IsEmpty() && user.country.IsEmpty() && user.language.IsEmpty());
  EXPECT_EQ(user.gender, 0);
}

TEST_F(ApiClientTest, InfoWithoutAProfileKeepsTheStoredUser) {
  ASSERT_TRUE(Login());
  ASSERT_TRUE(ApiGetInfo());
  struct Case {
    std::string body;
    bool read;
    std::string name;
    int32_t gender;
  } cases[] = {
      {R"({"code":0,"data":{"1":{"gender":2,"Account":"a@b","Name":"\u00e9t\u00e9","locate":"FR","language":"fr"}}})",
       true, "\xC3\xA9t\xC3\xA9", 2},
      {R"({"code":77,"data":{"1":{"gender":"1","Name":"Code Ignored"}}})", true, "Code Ignored", 1},
      {R"({"code":0,"data":{}})", false, "Code Ignored", 1},
      {R"({"code":0,"data":{"1":"text"}})", false, "Code Ignored", 1},
      {R"({"code":0,"data":[{"Name":"x"}]})", false, "Code Ignored", 1},
      {R"(<html><body>502</body></html>)", false, "Code Ignored", 1},
      {R"({"code":0,"data":{"1":{"gender":2,"Name":"Half)", false, "Code Ignored", 1},
      {R"({"code":0,"data":{"1":{"gender":2,"Name":"Cut\u0000Here"}}})", false, "Code Ignored", 1},
  };
  for (const Case& c : cases) {
    Answer("Info.php", c.body);
    EXPECT_EQ(ApiGetInfo(), c.read) << c.body;
    EXPECT_EQ(Stored().name.ToUtf8(), c.name) << c.body;
    EXPECT_EQ(Stored().gender, c.gender) << c.body;
    EXPECT_EQ(Stored().uid, m_uid) << c.body;
  }
}

TEST_F(ApiClientTest, TrackListsFillOnlyTheItemsTheReplyHolds) {
  ASSERT_TRUE(Login());
  const std::string item = R"({"id":"%","type":"Circuit","Label":"T%","uDate":"100","BCNXFile":"http://x/%.bcnx"})";
  auto Item = [&item](int n) {
    std::string s = item;
    for (size_t p; (p = s.find('%')) != std::string::npos;) s.replace(p, 1, std::to_string(n));
    return s;
  };
  struct Case {
    std::string body;
    int32_t count;  // what ApiGetTrackCount gives
    int32_t asked;
    int32_t filled;
  } cases[] = {
      {R"({"code":0,"data":{"1":)" + Item(1) + R"(,"2":)" + Item(2) + R"(,"3":)" + Item(3) + "}}", 3, 3, 3},
      {R"({"code":0,"data":{"1":)" + Item(1) + R"(,"2":)" + Item(2) + R"(,"3":)" + Item(3) + "}}", 3, 2, 2},
      {R"({"code":0,"data":{"1":)" + Item(1) + R"(,"3":)" + Item(3) + "}}", 2, 2, 1},
      {R"({"code":0,"data":{"1":{"id":5,"uDate":7,"Label":"N"},"2":{"id":"6"}}})", 2, 2, 1},
      {R"({"code":0,"data":{"1":{"Label":"no id"}}})", 1, 1, 0},
      // A name or file name holding U+0000 leaves that map out; the others stay.
      {R"({"code":0,"data":{"1":{"id":5,"Label":"A\u0000B"},"2":)" + Item(2) + "}}", 2, 2, 1},
      {R"({"code":0,"data":{"1":{"id":5,"Label":"A","BCNXFile":"u\u0000"},"2":)" + Item(2) + "}}", 2, 2, 1},
      {R"({"code":0,"data":[1,2]})", 0, 2, 0},
      {R"({"code":0})", 0, 2, 0},
      {"[]", 0, 2, 0},
      // A repeated member is valid text: the first one is kept.
      {R"({"code":0,"data":{"1":)" + Item(1) + R"(,"1":{"id":"9"}},"code":1})", 1, 2, 1},
      // Cut inside a name with status 200: nothing of it is taken.
      {R"({"code":0,"data":{"1":)" + Item(1) + R"(,"2":{"id":"2","type":"Circuit","Label":"Harb)", 0, 2, 0},
  };
  for (const Case& c : cases) {
    Answer("TrackList.php", c.body);
    EXPECT_EQ(ApiGetTrackCount(), c.count) << c.body;
    TrackListItem items[3];
    Answer("TrackList.php", c.body);
    EXPECT_EQ(ApiGetTrackList(items, c.asked), c.filled) << c.body;
    for (int32_t i = 0; i < c.filled; ++i) EXPECT_GT(items[i].mapId, 0) << c.body;
    for (int32_t i = c.filled; i < 3; ++i) EXPECT_EQ(items[i].mapId, 0) << c.body;
  }
  TrackListItem items[1];
  Answer("TrackList.php", R"({"code":0,"data":{"1":{"id":5,"uDate":7,"type":"Oval","Label":"N","BCNXFile":"u"}}})");
  ASSERT_EQ(ApiGetTrackList(items, 1), 1);
  EXPECT_EQ(items[0].mapId, 5);
  EXPECT_EQ(items[0].uDate, 7);
  EXPECT_EQ(items[0].type.ToUtf8(), "Oval");
}

TEST_F(ApiClientTest, UploadRepliesGiveTheSessionIdAndCode) {
  ASSERT_TRUE(Login());
  int32_t code = -1;
  const int32_t id = ApiUploadSession(Session(1, 1700000100), code);
  ASSERT_EQ(code, 0);
  ASSERT_GT(id, 0);
  EXPECT_EQ(ApiUploadSession(Session(1, 1700000100), code), id);  // the same session again
  EXPECT_EQ(code, 304);
  struct Case {
    std::string body;
    StandinFault kind;
    int32_t result;
    int32_t code;
  } cases[] = {
      {R"({"code":304})", StandinFault::Raw, 0, 304},
      {R"({"code":0,"data":{"id":"78"}})", StandinFault::Raw, 78, 0},
      {R"({"code":0,"data":{}})", StandinFault::Raw, 0, 0},
      {R"({"code":301})", StandinFault::Raw, 0, 301},
      {R"({"code":305})", StandinFault::Raw, 0, 305},
      {R"({"code":500,"id":9})", StandinFault::Raw, 0, 500},
      {R"({"id":9,"data":{"id":9}})", StandinFault::Raw, 0, 301},
      {R"({"code":"0","data":{"id":9}})", StandinFault::Raw, 0, 301},
      {R"([0])", StandinFault::Raw, 0, 301},
      {"", StandinFault::Html, 0, 301},
      {"", StandinFault::EmptyBody, 0, 301},
      {"", StandinFault::CutShort, 0, 301},
      // Replies that end early with status 200 are failures, however far they read.
      {R"({"code":0,"data":{"id":78})", StandinFault::Raw, 0, 301},
      {R"({"code":0,"data":{"id":78)", StandinFault::Raw, 0, 301},
      {R"({"code":304,"id":7)", StandinFault::Raw, 0, 301},
      {R"({"code":0,"data":{"id":78},"note":"abc)", StandinFault::Raw, 0, 301},
      {R"({"code":0,"data":{"id":78},"laps":[1,)", StandinFault::Raw, 0, 301},
      {R"({"code":0,"data":{"id":78},"ok":tr)", StandinFault::Raw, 0, 301},
  };
  for (const Case& c : cases) {
    Answer("UploadSession.php", c.body, c.kind);
    code = -1;
    EXPECT_EQ(ApiUploadSession(Session(1, 1700000100), code), c.result) << c.body;
    EXPECT_EQ(code, c.code) << c.body;
  }
  m_service->Stop();
  EXPECT_EQ(ApiUploadSession(Session(1, 1700000100), code), 0);
  EXPECT_EQ(code, 301);
}

TEST_F(ApiClientTest, AnUploadWaitsForItsAnswerButNotForAReplyThatTrickles) {
  ASSERT_TRUE(Login());
  // 200 KiB whose service stores them and answers 40 s later: longer than
  // the low-speed rule allows a transfer, but no longer than a service may
  // take to answer.
  StandinFaultSpec late = OneFault(StandinFault::Delay, "/API/UploadSession.php");
  late.delayMs = 40000;
  m_service->AddFault(late);
  SessionSummary stored = Session(1, 1700000100);
  ASSERT_TRUE(WriteBytes(m_dir.File("workspace/TransferDb/sess_1.db"), std::string(100 * 1024, 's')));
  ASSERT_TRUE(WriteBytes(m_dir.File("workspace/TransferDb/sana_1.db"), std::string(100 * 1024, 'a')));
  int32_t storedCode = -1, storedId = 0;
  std::thread upload([&] { storedId = ApiUploadSession(stored, storedCode); });
  EXPECT_TRUE(ReceivedRequests(2));  // the login and that upload, which took the fault

  // Meanwhile two bytes a second: above any stall, but the whole reply would
  // take minutes. The transfer ends when it has been slower than 1 KiB/s for 30 s.
  StandinFaultSpec trickle = OneFault(StandinFault::Trickle, "/API/UploadSession.php", 200,
                                      R"({"code":0,"data":{"id":5},"note":")" + std::string(300, 'x') + "\"}");
  trickle.delayMs = 500;
  m_service->AddFault(trickle);
  int32_t code = -1;
  EXPECT_EQ(ApiUploadSession(Session(2, 1700000200), code), 0);
  EXPECT_EQ(code, 301);

  upload.join();
  EXPECT_EQ(storedCode, 0);
  ASSERT_EQ(m_service->Uploads().size(), 1u);
  EXPECT_EQ(storedId, m_service->Uploads()[0].id);
  EXPECT_EQ(m_service->Uploads()[0].qSess.size(), 100u * 1024);
}

TEST_F(ApiClientTest, TheSmallCallsGiveUpAfterThirtySecondsInAll) {
  ASSERT_TRUE(Login());
  ASSERT_TRUE(ApiGetInfo());
  // Replies that announce 80 KiB and come at 2 KiB/s, above the low-speed
  // rule: each would take 40 s. The login sends more than 20 KiB.
  const std::string pad = R"(,"pad":")" + std::string(80 * 1024, 'x') + "\"}";
  const std::pair<const char*, std::string> replies[] = {
      {"login.php", R"({"code":0,"access_token":"late","user_id":"77")"},
      {"Info.php", R"({"code":0,"data":{"1":{"gender":2,"Name":"Late"}})"},
      {"TrackList.php", R"({"code":0,"data":{"1":{"id":"5","Label":"Late"}})"},
  };
  for (const auto& [page, reply] : replies) {
    StandinFaultSpec slow = OneFault(StandinFault::Trickle, std::string("/API/") + page, 200, reply + pad);
    slow.delayMs = 125;
    slow.trickleBytes = 256;
    m_service->AddFault(slow);
  }
  const UserInfoRecord before = Stored();
  std::atomic<int32_t> lateState{kLoginVerified};
  bool loggedIn = true, infoRead = true;
  std::thread login([&] {
    loggedIn = ApiLogin(lateState, CString(u"late@example.org"), CString(std::u16string(16 * 1024, u'p').c_str()));
  });
  std::thread info([&] { infoRead = ApiGetInfo(); });
  EXPECT_EQ(ApiGetTrackCount(), 0);
  login.join();
  info.join();
  EXPECT_FALSE(loggedIn);
  EXPECT_EQ(lateState.load(), kLoginNone);
  EXPECT_FALSE(infoRead);
  EXPECT_EQ(Stored().uid, before.uid);
  EXPECT_EQ(Stored().name.ToUtf8(), before.name.ToUtf8());
}

TEST_F(ApiClientTest, TheSummaryNamesTheRaceGroupAndKeepsItsTexts) {
  ASSERT_TRUE(Login());
  const std::pair<int32_t, const char16_t*> types[] = {{0, u"Circuit"}, {3, u"Circuit"}, {4, u"Drag"},
                                                       {5, u""},        {6, u"Rally"},   {9, u""}};
  int32_t start = 1700000000;
  for (const auto& [raceType, name] : types) {
    SessionSummary s = Session(2, ++start);
    s.raceType = raceType;
    int32_t code = -1;
    EXPECT_GT(ApiUploadSession(s, code), 0) << raceType;
  }
  const std::vector<StandinUpload> uploads = m_service->Uploads();
  ASSERT_EQ(uploads.size(), std::size(types));
  for (size_t i = 0; i < uploads.size(); ++i) {
    JsonReader_C reader;
    std::unique_ptr<CJsonValue> vals(reader.ParseNarrow(uploads[i].vals.c_str()));
    EXPECT_EQ(std::u16string(vals->GetMember("type")->GetString()), types[i].second);
    EXPECT_EQ(std::u16string(vals->GetMember("track_name")->GetString()), u"\u9234\u9e7f");
    EXPECT_EQ(std::u16string(vals->GetMember("Note")->GetString()), u"wet \"quoted\"");
    EXPECT_EQ(vals->GetMember("duration")->GetDouble(), 1234.5);
    EXPECT_EQ(uploads[i].qSess, "sess");
    EXPECT_EQ(uploads[i].qSana, "sana");
  }
}

TEST_F(ApiClientTest, NothingIsSentWithoutATokenOrTheSessionFiles) {
  int32_t code = -1;
  TrackListItem items[1];
  EXPECT_FALSE(ApiGetInfo());
  ApiLogout();
  EXPECT_EQ(ApiGetTrackCount(), 0);
  EXPECT_EQ(ApiGetTrackList(items, 1), 0);
  EXPECT_EQ(ApiUploadSession(Session(1, 1), code), 0);
  EXPECT_EQ(code, -1);
  EXPECT_TRUE(m_service->Requests().empty());

  ASSERT_TRUE(Login());
  m_host.SetWorkspace(m_dir.WFile("elsewhere"));  // no TransferDb there
  EXPECT_EQ(ApiUploadSession(Session(1, 1), code), 0);
  EXPECT_EQ(code, -1);
  m_host.SetWorkspace(m_workspace);
  SessionSummary s = Session(5, 1);
  s.id = 4;  // no files of session 4: the request cannot be made
  EXPECT_EQ(ApiUploadSession(s, code), 0);
  EXPECT_EQ(code, 301);
  EXPECT_EQ(m_service->Requests().size(), 1u);  // the login alone
}

}  // namespace
