// The stand-in web service driven the way the program drives the real one:
// multipart POSTs from CPostMethod, login fields from EncryptPayload, replies
// read with JsonReader_C.
#include "tests/common/standin.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/utf.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"
#include "tools/standin-service/StandinService.h"
#include "tools/standin-service/StandinSetup.h"
#include "webclient/HttpClient.h"
#include "webclient/JsonReader.h"
#include "webclient/LoginCipher.h"
#include "webclient/deploy.h"

namespace {

typedef std::vector<std::pair<std::string, std::string>> FieldList;

std::unique_ptr<CJsonValue> Post(const std::string& url, const FieldList& fields,
                                 const FieldList& files = FieldList()) {
  CPostMethod post(Utf8ToUtf16(url).c_str());
  for (const auto& [name, value] : fields) post.AddField(Utf8ToUtf16(name).c_str(), Utf8ToUtf16(value).c_str());
  for (const auto& [name, path] : files)
    post.AddFile(Utf8ToUtf16(name).c_str(), Utf8ToUtf16(path).c_str(), u"application/octet-stream");
  if (post.Execute() != 0) return std::make_unique<CJsonValue>();
  CString text = post.GetResponse();
  JsonReader_C reader;
  return std::unique_ptr<CJsonValue>(reader.Parse(text.GetString(), text.GetLength()));
}

std::string Text(CJsonValue* v) { return v && v->GetString() ? Utf16ToUtf8(v->GetString()) : "<none>"; }
// The reply's "code"; -1 when it has none.
int64_t Code(const std::unique_ptr<CJsonValue>& reply) { return reply->GetMember("code")->GetInt64(-1); }

class StandinTest : public StandinServiceTest {
 protected:
  void SetUp() override {
    StandinServiceTest::SetUp();
    if (HasFatalFailure()) return;
    StandinAccount rider;
    rider.email = "rider@example.org";
    rider.password = "p\xC3\xA4ss:word";
    rider.name = "\xE4\xBD\x90\xE8\x97\xA4 \xF0\x9F\x8F\x81";
    rider.gender = 1;
    rider.country = "Japan";
    rider.language = "ja";
    m_uid = m_service->AddAccount(rider);
    ASSERT_GT(m_uid, 0);
  }

  std::string Url(const std::string& page) const { return m_service->BaseUrl() + "/API/" + page; }

  std::unique_ptr<CJsonValue> Login(const std::string& email, const std::string& password,
                                    std::string key = DeployCipherKey(), int32_t app = DeployAppNumber()) {
    const std::string iv = "Zx9Yw8Vu7Ts6Rq5P";
    DeployValues v = GetDeployValues();
    v.cipherKey = key;
    SetDeployValuesForTest(v);
    std::u16string token =
        EncryptPayload(Utf8ToUtf16(std::to_string(app) + ":" + key).c_str(), reinterpret_cast<const BYTE*>(iv.data()));
    std::u16string user =
        EncryptPayload(Utf8ToUtf16(email + ":" + password).c_str(), reinterpret_cast<const BYTE*>(iv.data()));
    ResetDeployValues();
    return Post(Url("login.php"), {{"Client_id", std::to_string(app)},
                                   {"Client_token", Utf16ToUtf8(token)},
                                   {"State", iv},
                                   {"User", Utf16ToUtf8(user)}});
  }

  FieldList Auth(const std::string& token) const {
    return {{"Client_id", std::to_string(DeployAppNumber())},
            {"Access_Token", token},
            {"State", DeployStateText()},
            {"UserID", std::to_string(m_uid)}};
  }

  int64_t m_uid = 0;
};

}  // namespace

TEST_F(StandinTest, LoginChecksTheCipheredFieldsAndHandsOutAToken) {
  auto r = Login("rider@example.org", "p\xC3\xA4ss:word");
  EXPECT_EQ(Code(r), 0);
  const std::string token = Text(r->GetMember("access_token"));
  EXPECT_EQ(token, m_service->TokenOf(m_uid));
  EXPECT_EQ(token.size(), 32u);
  EXPECT_EQ(Text(r->GetMember("user_id")), std::to_string(m_uid));
  EXPECT_NE(r->GetMember("VerifyAcc")->GetString(), nullptr);

  // Logging in again while logged in: code 216 with the same token.
  r = Login("rider@example.org", "p\xC3\xA4ss:word");
  EXPECT_EQ(Code(r), 216);
  EXPECT_EQ(Text(r->GetMember("access_token")), token);

  EXPECT_EQ(Code(Login("rider@example.org", "wrong")), 203);
  EXPECT_EQ(Code(Login("nobody@example.org", "x")), 203);
  EXPECT_EQ(Code(Login("rider@example.org", "p\xC3\xA4ss:word", "A-different-key-of-32-characters")), 202);
  EXPECT_EQ(Code(Login("rider@example.org", "p\xC3\xA4ss:word", DeployCipherKey(), 111111)), 201);

  StandinAccount fresh;
  fresh.email = "new@example.org";
  fresh.password = "x";
  fresh.verified = false;
  ASSERT_GT(m_service->AddAccount(fresh), 0);
  EXPECT_EQ(m_service->AddAccount(fresh), 0);  // e-mail taken
  r = Login("new@example.org", "x");
  EXPECT_EQ(Code(r), 0);
  EXPECT_EQ(r->GetMember("VerifyAcc")->GetString(), nullptr);

  // The login's fields arrive in the order sent.
  auto requests = m_service->Requests();
  ASSERT_FALSE(requests.empty());
  std::vector<std::string> names;
  for (const auto& p : requests[0].parts) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Client_id", "Client_token", "State", "User"}));
}

TEST_F(StandinTest, AccountTrackListAndLogout) {
  const std::string token = Text(Login("rider@example.org", "p\xC3\xA4ss:word")->GetMember("access_token"));

  auto info = Post(Url("Info.php"), Auth(token));
  EXPECT_EQ(Code(info), 0);
  CJsonValue* one = info->GetMember("data")->GetMember("1");
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(Text(one->GetMember("Account")), "rider@example.org");
  EXPECT_EQ(Text(one->GetMember("Name")), "\xE4\xBD\x90\xE8\x97\xA4 \xF0\x9F\x8F\x81");
  EXPECT_EQ(Text(one->GetMember("gender")), "1");
  EXPECT_EQ(Text(one->GetMember("locate")), "Japan");
  EXPECT_EQ(Text(one->GetMember("language")), "ja");

  const std::string beacon =
      MakeBeaconFile({{0, "SF", 34.8431, 136.5407, 359.5f, 20, 0xFF}, {3, "x", 34.84, 136.54, 90.0f, 15, 0}});
  ASSERT_EQ(beacon.size(), 180u + 2 * 64u);
  ASSERT_TRUE(m_service->AddTrackMap({12, "Circuit", "\xE9\x88\xB4\xE9\xB9\xBF", 1700000001}, beacon));
  ASSERT_TRUE(m_service->AddTrackMap({5, "Circuit", "Fuji", 1700000000}, beacon.substr(0, 244)));

  FieldList list = Auth(token);
  list.push_back({"Filter", "All"});
  auto tracks = Post(Url("TrackList.php"), list);
  EXPECT_EQ(Code(tracks), 0);
  CJsonValue* data = tracks->GetMember("data");
  ASSERT_EQ(data->GetObject()->size(), 2u);
  EXPECT_EQ(Text(data->GetMember("1")->GetMember("id")), "5");
  EXPECT_EQ(Text(data->GetMember("1")->GetMember("Label")), "Fuji");
  EXPECT_EQ(Text(data->GetMember("1")->GetMember("uDate")), "1700000000");
  EXPECT_EQ(Text(data->GetMember("2")->GetMember("Label")), "\xE9\x88\xB4\xE9\xB9\xBF");
  const std::string bcnx = Text(data->GetMember("2")->GetMember("BCNXFile"));
  ASSERT_EQ(bcnx, m_service->BaseUrl() + "/bcnx/12.bcnx");

  // Beacon and update files are served as static files.
  ASSERT_TRUE(m_service->PutStaticFile("public/PelmoraUploader/auto_update.txt", "version\r\n101\r\n"));
  httplib::Client web(m_service->BaseUrl());
  auto got = web.Get("/bcnx/12.bcnx");
  ASSERT_TRUE(got);
  EXPECT_EQ(got->status, 200);
  EXPECT_TRUE(got->body == beacon);
  got = web.Get("/public/PelmoraUploader/auto_update.txt?rand=77");
  ASSERT_TRUE(got);
  EXPECT_EQ(got->body, "version\r\n101\r\n");
  EXPECT_EQ(m_service->Requests().back().target, "/public/PelmoraUploader/auto_update.txt?rand=77");
  got = web.Get("/public/PelmoraUploader/Pelmora_Uploader_installer.exe");
  ASSERT_TRUE(got);
  EXPECT_EQ(got->status, 404);
  EXPECT_FALSE(m_service->PutStaticFile("../escape.txt", "x"));

  // A wrong filter or token is refused; after the logout the token is dead.
  list.back().second = "Mine";
  EXPECT_EQ(Code(Post(Url("TrackList.php"), list)), 211);
  EXPECT_EQ(Code(Post(Url("Info.php"), Auth("not-a-token"))), 210);
  EXPECT_EQ(Code(Post(Url("logout.php"), Auth(token))), 0);
  EXPECT_EQ(m_service->TokenOf(m_uid), "");
  EXPECT_EQ(Code(Post(Url("Info.php"), Auth(token))), 210);
}

TEST_F(StandinTest, UploadsAreStoredOnceAndDuplicatesAnswered304) {
  const std::string token = Text(Login("rider@example.org", "p\xC3\xA4ss:word")->GetMember("access_token"));
  WriteBytes(m_dir.File("sess_1.db"), std::string("SQLite format 3\0sess", 20));
  WriteBytes(m_dir.File("sana_1.db"), std::string("SQLite format 3\0sana", 20));
  CJsonValue vals(JSON_OBJECT);
  vals.AddMember(u"track_id", CJsonValue(int32_t(12)));
  vals.AddMember(u"start", CJsonValue(int32_t(1700000500)));
  vals.AddMember(u"Note", CJsonValue(u"tab\there \"quoted\""));
  for (const char16_t* name : {u"unit", u"timezone", u"Laps", u"BestLap"}) vals.AddMember(name, CJsonValue(int32_t(1)));
  for (const char16_t* name : {u"AvgAlti", u"AvgG", u"AvgSpd", u"BestLapTime", u"MaxAlti", u"MaxG", u"MaxSpd",
                               u"MinAlti", u"MinG", u"MinSpd", u"distance", u"duration"})
    vals.AddMember(name, CJsonValue(2.5));
  vals.AddMember(u"track_name", CJsonValue(u"Fuji"));
  vals.AddMember(u"type", CJsonValue(u"Circuit"));
  FieldList fields = Auth(token);
  fields.push_back({"Vals", Utf16ToUtf8(vals.Stringify(u"", true))});
  const FieldList files = {{"qSess", m_dir.File("sess_1.db")}, {"qSana", m_dir.File("sana_1.db")}};

  auto r = Post(Url("UploadSession.php"), fields, files);
  EXPECT_EQ(Code(r), 0);
  const int64_t id = r->GetMember("data")->GetMember("id")->GetInt64();
  EXPECT_GT(id, 0);
  auto uploads = m_service->Uploads();
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(uploads[0].trackId, 12);
  EXPECT_EQ(uploads[0].qSess, std::string("SQLite format 3\0sess", 20));
  EXPECT_EQ(uploads[0].qSana, std::string("SQLite format 3\0sana", 20));

  r = Post(Url("UploadSession.php"), fields, files);
  EXPECT_EQ(Code(r), 304);
  EXPECT_EQ(r->GetMember("id")->GetInt64(), id);
  EXPECT_EQ(m_service->Uploads().size(), 1u);

  EXPECT_EQ(Code(Post(Url("UploadSession.php"), fields, {files[0]})), 212);
  EXPECT_EQ(Code(Post(Url("UploadSession.php"), fields, {files[1], files[0]})), 213);
  FieldList reordered = fields;
  std::swap(reordered[2], reordered[3]);
  EXPECT_EQ(Code(Post(Url("UploadSession.php"), reordered, files)), 213);
  vals.RemoveMember(u"track_id");
  vals.AddMember(u"track_id", CJsonValue(u"12"));  // a text where the service takes a number
  FieldList retyped = Auth(token);
  retyped.push_back({"Vals", Utf16ToUtf8(vals.Stringify(u"", true))});
  EXPECT_EQ(Code(Post(Url("UploadSession.php"), retyped, files)), 211);
  FieldList bad = Auth(token);
  bad.push_back({"Vals", "{not json"});
  EXPECT_EQ(Code(Post(Url("UploadSession.php"), bad, files)), 211);
}

TEST_F(StandinTest, FaultsApplyToTheirPathAndCount) {
  StandinFaultSpec code;
  code.path = "/API/Info.php";
  code.kind = StandinFault::Code;
  code.code = 42;
  code.times = 2;
  m_service->AddFault(code);
  StandinFaultSpec delay;
  delay.path = "/API/TrackList.php";
  delay.kind = StandinFault::Delay;
  delay.delayMs = 50;
  m_service->AddFault(delay);

  const std::string token = Text(Login("rider@example.org", "p\xC3\xA4ss:word")->GetMember("access_token"));
  EXPECT_EQ(Code(Post(Url("Info.php"), Auth(token))), 42);
  EXPECT_EQ(Code(Post(Url("Info.php"), Auth(token))), 42);
  EXPECT_EQ(Code(Post(Url("Info.php"), Auth(token))), 0);
  FieldList list = Auth(token);
  list.push_back({"Filter", "All"});
  EXPECT_EQ(Code(Post(Url("TrackList.php"), list)), 0);  // late but sound

  m_service->ClearFaults();
  EXPECT_EQ(Code(Post(Url("TrackList.php"), list)), 0);
}

// Ends the child process when the test ends, whatever its outcome.
struct ChildGuard {
  pid_t pid = -1;
  int Stop() {
    int status = -1;
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, &status, 0);
      pid = -1;
    }
    return status;
  }
  ~ChildGuard() { Stop(); }
};

TEST(StandinProgram, ServesTheApiAsAProgram) {
  TempDir dir;
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const std::string exe = std::string(PM_BINARY_DIR) + "/tools/standin-service/standin-service";
  ChildGuard child;
  child.pid = fork();
  ASSERT_GE(child.pid, 0);
  if (child.pid == 0) {
    dup2(out[1], 1);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 2);
    close(out[0]);
    execl(exe.c_str(), exe.c_str(), "--data", dir.Path().c_str(), "--port", "0", "--account", "demo@example.org:demo",
          "--track", "3:Demo Ring", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  std::string line;
  char c;
  while (read(out[0], &c, 1) == 1 && c != '\n') line.push_back(c);
  close(out[0]);
  // Port 0: the system picks a free one, and the program says which.
  const std::string base = "http://127.0.0.1:";
  ASSERT_EQ(line.substr(0, base.size()), base);
  ASSERT_GT(std::atoi(line.c_str() + base.size()), 0) << line;

  const std::string iv = "0123456789abcdef";
  const std::string app = std::to_string(DeployAppNumber());
  std::u16string token =
      EncryptPayload(Utf8ToUtf16(app + ":" + DeployCipherKey()).c_str(), reinterpret_cast<const BYTE*>(iv.data()));
  std::u16string user = EncryptPayload(u"demo@example.org:demo", reinterpret_cast<const BYTE*>(iv.data()));
  auto r = Post(line + "/API/login.php",
                {{"Client_id", app}, {"Client_token", Utf16ToUtf8(token)}, {"State", iv}, {"User", Utf16ToUtf8(user)}});
  ASSERT_EQ(r->GetType(), JSON_OBJECT);
  EXPECT_EQ(Code(r), 0);
  httplib::Client web(line);
  auto got = web.Get("/bcnx/3.bcnx");
  ASSERT_TRUE(got);
  EXPECT_EQ(got->body.size(), 244u);

  int status = child.Stop();
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(StandinSetupFile, ReadsAccountsAndTracksAndRefusesAMalformedEntry) {
  TempDir dir;
  const std::string beacons = MakeBeaconFile({StandinBeacon{0, "Start/Finish", 35.1, 139.2, 90.0f, 40, 0}});
  ASSERT_TRUE(WriteBytes(dir.File("ring.bcnx"), beacons));
  using namespace std::string_view_literals;
  const struct {
    std::string_view text;
    bool ok;
  } cases[] = {
      {"# a comment\n\naccount demo@example.org:pw:Demo Driver\r\ntrack 5:Ring:Circuit:7:ring.bcnx\n", true},
      {"account demo@example.org\n", false},                  // no password
      {"track x:Ring\n", false},                              // no map id
      {"track 5:Ring:Circuit:7:missing.bcnx\n", false},       // no such beacon file
      {"track 5:Ring:Circuit:7:ring.bcnx\0.old\n"sv, false},  // a zero in the file name
      {"server 127.0.0.1\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_TRUE(WriteBytes(dir.File("setup.txt"), std::string(c.text)));
    StandinSetup setup;
    std::string error;
    EXPECT_EQ(ReadStandinSetup(dir.File("setup.txt"), setup, error), c.ok);
    EXPECT_EQ(error.empty(), c.ok);
    if (!c.ok) continue;
    ASSERT_EQ(setup.accounts.size(), 1u);
    EXPECT_EQ(setup.accounts[0].name, "Demo Driver");
    ASSERT_EQ(setup.tracks.size(), 1u);
    EXPECT_EQ(setup.tracks[0].map.mapId, 5);
    EXPECT_EQ(setup.tracks[0].map.uDate, 7);
    EXPECT_EQ(setup.tracks[0].beaconFile, beacons);
  }
}
