#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "appcore/SelfUpdate.h"
#include "tests/common/files.h"
#include "tests/common/standin.h"
#include "webclient/LoginCipher.h"
#include "webclient/deploy.h"

namespace {

constexpr UpdateCheck kReady = UpdateCheck::kInstallerReady;
constexpr UpdateCheck kNothing = UpdateCheck::kNothingToInstall;

class SelfUpdateTest : public StandinServiceTest {
 protected:
  void SetUp() override {
    StandinServiceTest::SetUp();
    if (HasFatalFailure()) return;
    DeployValues values = BuiltInDeployValues();
    values.updateBase = m_service->UpdateStoreUrl();
    ASSERT_TRUE(SetDeployValuesForTest(values));
    std::filesystem::create_directories(m_dir.File("userdata"));
  }
  void TearDown() override {
    ResetDeployValues();
    StandinServiceTest::TearDown();
  }

  UpdateCheck Check() { return CheckSelfUpdate(m_dir.WFile("userdata")); }
  std::string Local(const std::string& name) const { return m_dir.File("userdata/TransferDb/" + name); }
  // The request targets of the store, in order.
  std::vector<std::string> StoreTargets() const {
    std::vector<std::string> out;
    for (const StandinRequest& r : m_service->Requests()) out.push_back(r.target);
    return out;
  }
};

std::string Utf16Description(std::u16string_view text) {
  std::vector<uint8_t> b = Utf16LeBytes(text, true);
  return std::string(b.begin(), b.end());
}

TEST_F(SelfUpdateTest, ANewerVersionIsDownloadedAndVerifiedByItsChecksum) {
  const std::string installer = std::string(200000, 'i') + "end";  // several hashing blocks
  const std::string md5 = Md5Hex(installer.data(), installer.size());
  std::string lower = md5;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  struct Case {
    const char* what;
    std::string description;
    bool installerPublished;
    UpdateCheck result;
    bool installerFetched;
  } cases[] = {
      {"newer, checksum upper case", "version\n101\nchksum\n" + md5 + "\n", true, kReady, true},
      {"newer, checksum lower case", "version\r\n101\r\nchksum\r\n" + lower + "\r\n", true, kReady, true},
      {"chksum before version", "EN\nnotes\nINFOEND\nchksum\n" + md5 + "\nversion\n250\n", true, kReady, true},
      {"UTF-16LE description", Utf16Description(u"version\r\n101\r\nchksum\r\n" + Utf8ToUtf16(md5)), true, kReady,
       true},
      {"same version", "version\n100\nchksum\n" + md5 + "\n", true, kNothing, false},
      {"no version", "chksum\n" + md5 + "\n", true, kNothing, false},
      {"checksum with a trailing space", "version\n101\nchksum\n" + md5 + " \n", true, kNothing, true},
      {"checksum of another file", "version\n101\nchksum\nD41D8CD98F00B204E9800998ECF8427E\n", true, kNothing, true},
      {"no chksum", "version\n101\n", true, kNothing, true},
      {"installer missing on the store", "version\n101\nchksum\n" + md5 + "\n", false, kNothing, true},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(Local("Pelmora_Uploader_installer.exe"));
    ASSERT_TRUE(m_service->PublishUpdate(c.description, c.installerPublished ? installer : std::string()));
    m_service->ClearRequests();
    EXPECT_EQ(Check(), c.result) << c.what;
    const std::vector<std::string> targets = StoreTargets();
    ASSERT_EQ(targets.size(), c.installerFetched ? 2u : 1u) << c.what;
    const std::string query = targets[0].substr(targets[0].find('?'));
    EXPECT_EQ(targets[0], "/public/PelmoraUploader/auto_update.txt" + query) << c.what;
    EXPECT_EQ(query.rfind("?rand=", 0), 0u) << c.what;
    EXPECT_GT(query.size(), 6u) << c.what;
    EXPECT_EQ(query.find_first_not_of("0123456789-", 6), std::string::npos) << c.what;
    if (targets.size() == 2) {
      EXPECT_EQ(targets[1], "/public/PelmoraUploader/Pelmora_Uploader_installer.exe" + query) << c.what;
    }
    // A downloaded installer stays, matching or not; one the store lacks is not made up.
    EXPECT_EQ(std::filesystem::exists(Local("Pelmora_Uploader_installer.exe")),
              c.installerFetched && c.installerPublished)
        << c.what;
    // Only an installer that matches its checksum can be run.
    std::error_code ec;
    const std::filesystem::file_status st = std::filesystem::status(Local("Pelmora_Uploader_installer.exe"), ec);
    const bool runnable = std::filesystem::exists(st) &&
                          (st.permissions() & std::filesystem::perms::owner_exec) != std::filesystem::perms::none;
    EXPECT_EQ(runnable, c.result == kReady) << c.what;
  }
}

TEST_F(SelfUpdateTest, NoStoreOrNoDescriptionChecksNothingFurther) {
  EXPECT_EQ(Check(), kNothing);  // nothing published: the description answers 404
  EXPECT_EQ(StoreTargets().size(), 1u);

  // A plain-http store that is not named as this machine is not asked, even
  // when it offers a sound update (this one is the stand-in in disguise).
  ASSERT_TRUE(m_service->PublishUpdate("version\n101\nchksum\nD41D8CD98F00B204E9800998ECF8427E\n", "x"));
  DeployValues values = GetDeployValues();
  values.updateBase = "http://0x7f000001:" + std::to_string(m_service->Port()) + "/public/PelmoraUploader";
  ASSERT_TRUE(SetDeployValuesForTest(values));
  m_service->ClearRequests();
  EXPECT_EQ(Check(), kNothing);
  EXPECT_EQ(StoreTargets().size(), 0u);

  values.updateBase = m_service->UpdateStoreUrl();
  ASSERT_TRUE(SetDeployValuesForTest(values));
  m_service->Stop();
  EXPECT_EQ(Check(), kNothing);
  EXPECT_FALSE(std::filesystem::exists(Local("auto_update.txt")));
  EXPECT_TRUE(std::filesystem::is_directory(m_dir.File("userdata/TransferDb")));
}

TEST_F(SelfUpdateTest, TheDescriptionIsGivenUpAfterThirtySecondsWhenTheStoreStallsOrTrickles) {
  // A sound offer whose description announces 80 KiB and comes at 2 KiB/s,
  // above the low-speed rule (40 s in all); or one the store sits on for 35 s.
  const std::string installer = "installer";
  const std::string md5 = Md5Hex(installer.data(), installer.size());
  const std::string notes = "EN\n" + std::string(80 * 1024, 'n') + "\nINFOEND\n";
  ASSERT_TRUE(m_service->PublishUpdate("version\n101\nchksum\n" + md5 + "\n" + notes, installer));
  const std::string description = "/public/PelmoraUploader/auto_update.txt";
  StandinFaultSpec trickle = OneFault(StandinFault::Trickle, description);
  trickle.delayMs = 125;
  trickle.trickleBytes = 256;
  m_service->AddFault(trickle);
  UpdateCheck trickled = kReady;
  std::thread check([&] { trickled = Check(); });
  for (int i = 0; i < 1000 && m_service->Requests().empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));  // the trickle is taken first

  StandinFaultSpec stall = OneFault(StandinFault::Delay, description);
  stall.delayMs = 35000;
  m_service->AddFault(stall);
  std::filesystem::create_directories(m_dir.File("stalled"));
  EXPECT_EQ(CheckSelfUpdate(m_dir.WFile("stalled")), kNothing);
  check.join();
  EXPECT_EQ(trickled, kNothing);
  EXPECT_EQ(StoreTargets().size(), 2u);  // the installer was never asked for
  EXPECT_FALSE(std::filesystem::exists(Local("auto_update.txt")));
}

TEST(VerifyFileMd5, UpperCasesTheExpectedTextAndRefusesAnUnreadableFile) {
  TempDir dir;
  ASSERT_TRUE(WriteBytes(dir.File("empty"), std::string()));
  CString expected(u"d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_TRUE(VerifyFileMd5(dir.WFile("empty").c_str(), expected));
  EXPECT_EQ(expected.Str(), u"D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_FALSE(VerifyFileMd5(dir.WFile("missing").c_str(), expected));
  EXPECT_FALSE(VerifyFileMd5(Utf8ToUtf16(dir.Path()).c_str(), expected));  // a folder
}

}  // namespace
