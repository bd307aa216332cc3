#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/win32/utf.h"
#include "tests/common/files.h"
#include "tests/common/standin.h"
#include "tests/common/temp_dir.h"
#include "tests/webclient/test_util.h"
#include "tools/standin-service/StandinService.h"
#include "webclient/HttpClient.h"
#include "webclient/deploy.h"

namespace {

class HttpClientTest : public StandinServiceTest {
 protected:
  void TearDown() override {
    StandinServiceTest::TearDown();
    ResetDeployValues();
  }

  std::u16string Url(const std::string& path) const { return Utf8ToUtf16(m_service->BaseUrl() + path); }

  // Posts one text field to `path` and returns Execute's result and the reply.
  int PostOne(const std::string& path, CString* reply = nullptr) {
    CPostMethod post(Url(path).c_str());
    post.SetReplyLimit(m_replyLimit);
    post.AddField(u"a", u"1");
    int rc = post.Execute();
    if (reply) *reply = post.GetResponse();
    return rc;
  }

  std::string Reply(const std::string& body, int status = 200) {
    m_service->AddFault(OneFault(StandinFault::Raw, "", status, body));
    CString reply;
    EXPECT_EQ(PostOne("/API/Info.php", &reply), 0);
    return reply.ToUtf8();
  }

  size_t m_replyLimit = 0;  // the built-in limit
};

}  // namespace

TEST_F(HttpClientTest, TextFieldsComeFirstThenFilesInTheOrderAdded) {
  WriteBytes(m_dir.File("one.db"), "first file");
  WriteBytes(m_dir.File("two.db"), std::string("second\0file\r\n--x", 17));
  const std::u16string one = Utf8ToUtf16(m_dir.File("one.db")), two = Utf8ToUtf16(m_dir.File("two.db"));
  CPostMethod post(Url("/API/UploadSession.php").c_str());
  post.AddFile(u"qSess", one.c_str(), u"application/octet-stream");
  post.AddField(u"Client_id", u"402517");
  post.AddFile(u"qSana", two.c_str(), u"application/x-test");
  post.AddField(u"Vals", u" { \"Note\" : \"caf\u00e9 \U0001F3C1\" } ");
  post.AddField(u"Empty", u"");
  ASSERT_EQ(post.Execute(), 0);

  auto requests = m_service->Requests();
  ASSERT_EQ(requests.size(), 1u);
  const StandinRequest& r = requests[0];
  EXPECT_EQ(r.method, "POST");
  EXPECT_EQ(r.path, "/API/UploadSession.php");
  ASSERT_TRUE(r.multipart);
  // Each part as name|file name|content type|content.
  std::vector<std::string> parts;
  for (const auto& p : r.parts) parts.push_back(p.name + "|" + p.filename + "|" + p.contentType + "|" + p.content);
  EXPECT_EQ(parts,
            (std::vector<std::string>{"Client_id|||402517", "Vals||| { \"Note\" : \"caf\xC3\xA9 \xF0\x9F\x8F\x81\" } ",
                                      "Empty|||", "qSess|qSess|application/octet-stream|first file",
                                      "qSana|qSana|application/x-test|" + std::string("second\0file\r\n--x", 17)}));
  // No header beyond what the transfer itself needs.
  EXPECT_EQ(r.headers.count("User-Agent"), 0u);
  EXPECT_EQ(r.headers.count("Authorization"), 0u);
  EXPECT_EQ(r.headers.find("Content-Type")->second.rfind("multipart/form-data; boundary=", 0), 0u);
}

TEST_F(HttpClientTest, FieldsOnlyAndAFiveMegabyteFileArriveIntact) {
  CPostMethod fieldsOnly(Url("/API/Info.php").c_str());
  fieldsOnly.AddField(u"b", u"2");
  fieldsOnly.AddField(u"a", u"1");
  ASSERT_EQ(fieldsOnly.Execute(), 0);
  auto requests = m_service->Requests();
  ASSERT_EQ(requests.size(), 1u);
  ASSERT_EQ(requests[0].parts.size(), 2u);
  EXPECT_EQ(requests[0].parts[0].name, "b");
  EXPECT_EQ(requests[0].parts[1].name, "a");

  std::string big(5 * 1024 * 1024, '\0');
  std::mt19937 rng(7);
  for (char& c : big) c = static_cast<char>(rng());
  WriteBytes(m_dir.File("big.db"), big);
  const std::u16string path = Utf8ToUtf16(m_dir.File("big.db"));
  CPostMethod upload(Url("/API/UploadSession.php").c_str());
  upload.AddField(u"Client_id", u"1");
  upload.AddFile(u"qSess", path.c_str(), u"application/octet-stream");
  ASSERT_EQ(upload.Execute(), 0);
  requests = m_service->Requests();
  ASSERT_EQ(requests.size(), 2u);
  ASSERT_EQ(requests[1].parts.size(), 2u);
  EXPECT_TRUE(requests[1].parts[1].content == big);
}

TEST_F(HttpClientTest, RequestsThatCannotBeMadeSendNothing) {
  // A file part that cannot be read fails before anything is sent.
  const std::u16string missing = Utf8ToUtf16(m_dir.File("missing.db"));
  const std::u16string folder = Utf8ToUtf16(m_dir.Path());
  for (const std::u16string& path : {missing, folder}) {
    CPostMethod post(Url("/API/UploadSession.php").c_str());
    post.AddField(u"Client_id", u"1");
    post.AddFile(u"qSess", path.c_str(), u"application/octet-stream");
    EXPECT_EQ(post.Execute(), 1);
  }
  // Only http and https are spoken.
  for (const std::string& url :
       {"ftp://127.0.0.1:" + std::to_string(m_service->Port()) + "/API/Info.php", std::string("file:///etc/hostname"),
        std::string("127.0.0.1/API/Info.php"), std::string()}) {
    CPostMethod post(Utf8ToUtf16(url).c_str());
    post.AddField(u"a", u"1");
    EXPECT_EQ(post.Execute(), 1) << url;
  }
  EXPECT_TRUE(m_service->Requests().empty());

  // Upper-case schemes are still http.
  std::string base = m_service->BaseUrl();
  CPostMethod upper(Utf8ToUtf16("HTTP" + base.substr(4) + "/API/Info.php").c_str());
  upper.AddField(u"a", u"1");
  EXPECT_EQ(upper.Execute(), 0);
}

TEST_F(HttpClientTest, ErrorStatusesReturnTheirBodies) {
  EXPECT_EQ(Reply("{\"code\":404}", 404), "{\"code\":404}");
  EXPECT_EQ(Reply("<html>Internal error</html>", 500), "<html>Internal error</html>");
  EXPECT_EQ(Reply("", 200), "");

  m_service->AddFault(OneFault(StandinFault::Html, "", 503));
  CString reply;
  EXPECT_EQ(PostOne("/API/login.php", &reply), 0);
  EXPECT_NE(reply.ToUtf8().find("<html>"), std::string::npos);
}

TEST_F(HttpClientTest, RepliesAreDecodedFromUtf8) {
  // Multi-byte characters and an emoji arrive as UTF-16 with a surrogate pair.
  CString reply;
  m_service->AddFault(
      OneFault(StandinFault::Raw, "", 200, "{\"Label\":\"\xE9\x88\xB4\xE9\xB9\xBF \xC3\xA9 \xF0\x9F\x8F\x8E\"}"));
  ASSERT_EQ(PostOne("/API/TrackList.php", &reply), 0);
  EXPECT_EQ(std::u16string(reply.GetString()), u"{\"Label\":\"\u9234\u9e7f \u00e9 \xD83C\xDFCE\"}");

  // Invalid UTF-8 is refused as a whole.
  EXPECT_EQ(Reply("{\"a\":\"\xC3\x28\"}"), "UTF Conversion Failure");
  EXPECT_EQ(Reply("\xED\xA0\x80"), "UTF Conversion Failure");  // an encoded surrogate
  // The text ends at its first zero character.
  EXPECT_EQ(Reply(std::string("{\"a\":1}\0tail", 12)), "{\"a\":1}");
}

TEST_F(HttpClientTest, TransferFailuresAreReported) {
  // A reply cut short.
  m_service->AddFault(OneFault(StandinFault::CutShort));
  EXPECT_EQ(PostOne("/API/Info.php"), 1);

  // A reply beyond the size limit.
  m_replyLimit = 1000;
  EXPECT_EQ(Reply(std::string(1000, 'x')).size(), 1000u);
  m_service->AddFault(OneFault(StandinFault::Raw, "", 200, std::string(1001, 'x')));
  EXPECT_EQ(PostOne("/API/Info.php"), 1);

  // A connection reset while the request's file arrives: only its field got through.
  WriteBytes(m_dir.File("file.db"), std::string(1 << 20, 'x'));
  const std::u16string file = Utf8ToUtf16(m_dir.File("file.db"));
  m_service->AddFault(OneFault(StandinFault::Reset));
  CPostMethod upload(Url("/API/UploadSession.php").c_str());
  upload.AddField(u"Client_id", u"1");
  upload.AddFile(u"qSess", file.c_str(), u"application/octet-stream");
  EXPECT_EQ(upload.Execute(), 1);
  EXPECT_TRUE(upload.GetResponse().IsEmpty());
  ASSERT_FALSE(m_service->Requests().empty());
  EXPECT_EQ(m_service->Requests().back().parts.size(), 1u);

  // A refused connection.
  const std::u16string url = Url("/API/Info.php");
  m_service->Stop();
  CPostMethod post(url.c_str());
  post.AddField(u"a", u"1");
  EXPECT_EQ(post.Execute(), 1);
  EXPECT_TRUE(post.GetResponse().IsEmpty());
}

TEST(HttpClientTls, PeerAndHostAreVerified) {
  TempDir dir;
  ASSERT_TRUE(MakeTestCertificates(dir.Path()));
  StandinOptions options;
  options.dataDir = dir.File("service");
  options.certFile = dir.File("server.pem");
  options.keyFile = dir.File("server.key");
  StandinService service(options);
  ASSERT_TRUE(service.Start());
  ASSERT_EQ(service.BaseUrl().rfind("https://", 0), 0u);
  const std::u16string url = Utf8ToUtf16(service.BaseUrl() + "/API/Info.php");
  auto post = [&url]() {
    CPostMethod p(url.c_str());
    p.AddField(u"a", u"1");
    return p.Execute();
  };

  // Not trusted: the request fails and the service sees nothing of it.
  EXPECT_EQ(post(), 1);
  EXPECT_TRUE(service.Requests().empty());

  // Trusted through the test hook: it succeeds.
  DeployValues values = GetDeployValues();
  values.caFile = dir.File("ca.pem");
  ASSERT_TRUE(SetDeployValuesForTest(values));
  EXPECT_EQ(post(), 0);
  EXPECT_EQ(service.Requests().size(), 1u);
  service.Stop();

  // A certificate of the trusted CA for another host name is refused.
  StandinOptions other = options;
  other.dataDir = dir.File("other");
  other.certFile = dir.File("otherhost.pem");
  other.keyFile = dir.File("otherhost.key");
  StandinService wrongHost(other);
  ASSERT_TRUE(wrongHost.Start());
  CPostMethod p(Utf8ToUtf16(wrongHost.BaseUrl() + "/API/Info.php").c_str());
  p.AddField(u"a", u"1");
  EXPECT_EQ(p.Execute(), 1);
  EXPECT_TRUE(wrongHost.Requests().empty());
  ResetDeployValues();
}

TEST(DeployValues, TestHookRefusesBadValuesAndResets) {
  DeployValues built = BuiltInDeployValues();
  EXPECT_EQ(built.cipherKey.size(), 32u);
  EXPECT_GE(built.appNumber, 100000);
  EXPECT_LE(built.appNumber, 999999);
  EXPECT_EQ(built.stateText.size(), 5u);
  EXPECT_EQ(built.serviceBase.rfind("http://127.0.0.1:", 0), 0u);

  DeployValues v = built;
  v.cipherKey = "short";
  EXPECT_FALSE(SetDeployValuesForTest(v));
  v = built;
  v.serviceBase = "ftp://example.invalid";
  EXPECT_FALSE(SetDeployValuesForTest(v));
  EXPECT_EQ(DeployServiceBase(), built.serviceBase);

  v = built;
  v.serviceBase = "https://127.0.0.1:1";
  v.appNumber = 123456;
  ASSERT_TRUE(SetDeployValuesForTest(v));
  EXPECT_EQ(DeployServiceBase(), "https://127.0.0.1:1");
  EXPECT_EQ(DeployAppNumber(), 123456);
  ResetDeployValues();
  EXPECT_EQ(DeployAppNumber(), built.appNumber);
}
