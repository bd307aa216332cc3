#include "platform/win32/download.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/win32/uniquefd.h"
#include "platform/win32/utf.h"
#include "tests/common/files.h"
#include "tests/common/lock_holder.h"
#include "tests/common/no_file_locks.h"
#include "tests/common/standin.h"

namespace {

class DownloadTest : public StandinServiceTest {
 protected:
  void SetUp() override {
    StandinServiceTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(m_service->PutStaticFile("bcnx/7.bcnx", kNewBytes));
    ASSERT_TRUE(WriteBytes(m_dir.File("7.bcnx"), kOldBytes));
  }

  HRESULT Fetch(const std::string& url) {
    return URLDownloadToFileW(nullptr, Utf8ToUtf16(url).c_str(), m_dir.WFile("7.bcnx").c_str(), 0, nullptr);
  }
  std::string Url(const std::string& path) const { return m_service->BaseUrl() + path; }
  void Fault(StandinFault kind, int status = 500) { m_service->AddFault(OneFault(kind, "/bcnx/7.bcnx", status)); }

  static constexpr const char* kOldBytes = "previous beacons";
  const std::string kNewBytes = std::string(100000, 'b') + "end";
};

TEST_F(DownloadTest, ACompleteTransferReplacesTheFileAndLeavesNothingElse) {
  EXPECT_EQ(Fetch(Url("/bcnx/7.bcnx")), S_OK);
  EXPECT_EQ(ReadBytes(m_dir.File("7.bcnx")), kNewBytes);
  EXPECT_EQ(m_dir.Entries().size(), 2u);  // the service's folder and the file
}

// Where the lock cannot be taken, the part file goes unlocked; the sweep of
// a download of the same file meanwhile, whose locks work, leaves it.
TEST_F(DownloadTest, ATransferWorksWhereFilesCannotBeLocked) {
  StandinFaultSpec hold = OneFault(StandinFault::Hold, "/bcnx/7.bcnx");
  hold.times = 1;
  hold.delayMs = 60000;  // a bound, should the transfer without locks never come
  m_service->AddFault(hold);
  HRESULT unlocked = E_FAIL;
  std::thread transfer([&] { ASSERT_TRUE(RunWithoutFileLocks([&] { unlocked = Fetch(Url("/bcnx/7.bcnx")); })); });
  // The part file is made before the request, which the service holds.
  for (int i = 0; i < 6000 && m_service->Requests().empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(Fetch(Url("/bcnx/7.bcnx")), S_OK);
  m_service->ReleaseHeld();
  transfer.join();
  EXPECT_EQ(unlocked, S_OK);
  EXPECT_EQ(ReadBytes(m_dir.File("7.bcnx")), kNewBytes);
  EXPECT_EQ(m_dir.Entries().size(), 2u);
}

TEST_F(DownloadTest, EveryFailureKeepsThePreviousFileWhole) {
  struct Case {
    const char* what;
    StandinFault fault;
    int status;  // 0: no fault, the service answers as usual
    std::string url;
    HRESULT expected;
  };
  const std::string good = Url("/bcnx/7.bcnx");
  const Case cases[] = {
      {"cut short", StandinFault::CutShort, 200, good, INET_E_DOWNLOAD_FAILURE},
      {"server error", StandinFault::Html, 503, good, INET_E_DOWNLOAD_FAILURE},
      {"missing file", StandinFault::Delay, 0, Url("/bcnx/8.bcnx"), INET_E_DOWNLOAD_FAILURE},
      {"not http", StandinFault::Delay, 0, "file://" + m_dir.File("service/www/bcnx/7.bcnx"), E_INVALIDARG},
      {"nobody listening", StandinFault::Delay, 0, "http://127.0.0.1:1/bcnx/7.bcnx", INET_E_DOWNLOAD_FAILURE},
  };
  for (const Case& c : cases) {
    if (c.status) Fault(c.fault, c.status);
    EXPECT_EQ(Fetch(c.url), c.expected) << c.what;
    EXPECT_EQ(ReadBytes(m_dir.File("7.bcnx")), kOldBytes) << c.what;
    EXPECT_EQ(m_dir.Entries().size(), 2u) << c.what << ": a temporary file was left behind";
    m_service->ClearFaults();
  }
}

TEST_F(DownloadTest, ATrickleOrABodyTheCallerRefusesKeepsThePreviousFile) {
  // 300 bytes, one every 200 ms: a minute, where 1 s is allowed.
  ASSERT_TRUE(m_service->PutStaticFile("bcnx/9.bcnx", std::string(300, 'b')));
  StandinFaultSpec trickle = OneFault(StandinFault::Trickle, "/bcnx/9.bcnx");
  trickle.delayMs = 200;
  m_service->AddFault(trickle);
  DownloadRules rules;
  rules.timeLimitSeconds = 1;
  EXPECT_EQ(DownloadToFile(Utf8ToUtf16(Url("/bcnx/9.bcnx")).c_str(), m_dir.WFile("7.bcnx").c_str(), rules),
            INET_E_DOWNLOAD_FAILURE);
  EXPECT_EQ(ReadBytes(m_dir.File("7.bcnx")), kOldBytes);

  rules.accept = [](const char16_t*) { return false; };
  EXPECT_EQ(DownloadToFile(Utf8ToUtf16(Url("/bcnx/7.bcnx")).c_str(), m_dir.WFile("7.bcnx").c_str(), rules),
            INET_E_DOWNLOAD_FAILURE);
  EXPECT_EQ(ReadBytes(m_dir.File("7.bcnx")), kOldBytes);
  EXPECT_EQ(m_dir.Entries().size(), 2u);
}

TEST_F(DownloadTest, AFailedFirstDownloadCreatesNoFile) {
  std::remove(m_dir.File("7.bcnx").c_str());
  Fault(StandinFault::CutShort, 200);
  EXPECT_NE(Fetch(Url("/bcnx/7.bcnx")), S_OK);
  EXPECT_EQ(m_dir.Entries().size(), 1u);
  EXPECT_EQ(URLDownloadToFileW(nullptr, u"", m_dir.WFile("7.bcnx").c_str(), 0, nullptr), E_INVALIDARG);
  EXPECT_EQ(URLDownloadToFileW(nullptr, Utf8ToUtf16(Url("/bcnx/7.bcnx")).c_str(), u"", 0, nullptr), E_INVALIDARG);
}

// A download of the same target that starts while another checks its body
// (written and closed, not yet in place) leaves the other's file alone.
TEST_F(DownloadTest, ASecondDownloadOfTheTargetLeavesTheFirstOneWhole) {
  DownloadRules rules;
  rules.accept = [](const char16_t* path) {
    const std::u16string part(path), target = part.substr(0, part.rfind(u".part-"));
    return URLDownloadToFileW(nullptr, u"http://127.0.0.1:1/bcnx/7.bcnx", target.c_str(), 0, nullptr) ==
           INET_E_DOWNLOAD_FAILURE;
  };
  EXPECT_EQ(DownloadToFile(Utf8ToUtf16(Url("/bcnx/7.bcnx")).c_str(), m_dir.WFile("7.bcnx").c_str(), rules), S_OK);
  EXPECT_EQ(ReadBytes(m_dir.File("7.bcnx")), kNewBytes);
}

// A download killed half-way leaves its temporary file beside the target;
// the next download of that target removes it. The files of downloads that
// still run stay: one in this process, and one whose name carries an id that
// kill() cannot see (a download in another PID namespace), until it ends.
// The user's files stay, whatever their names, and so do other targets'.
TEST_F(DownloadTest, WhatADownloadKilledHalfWayLeftGoesBeforeTheNextOfItsTarget) {
  const pid_t ended = ::fork();
  ASSERT_GE(ended, 0);
  if (ended == 0) ::_exit(0);
  ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
  const std::string dead = std::to_string(ended);
  const std::string left = "7.bcnx.part-" + dead + "-3", unseen = "7.bcnx.part-999999999-0",
                    own = "7.bcnx.part-" + std::to_string(::getpid()) + "-99";
  ASSERT_TRUE(WriteBytes(m_dir.File(left), "half"));
  LockHolder unseenDownload(m_dir.File(unseen));
  ASSERT_TRUE(unseenDownload.Held());
  const UniqueFd ownDownload(::open(m_dir.File(own).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
  ASSERT_TRUE(ownDownload && ::flock(ownDownload.get(), LOCK_EX) == 0);
  const std::string users[] = {"8.bcnx.part-" + dead + "-0", "7.bcnx.part-x-0", "7.bcnx.part-1-0.txt"};
  for (const std::string& name : users) ASSERT_TRUE(WriteBytes(m_dir.File(name), "the user's"));
  const std::string folder = "7.bcnx.part-2-0", link = "7.bcnx.part-3-0", pipe = "7.bcnx.part-4-0";
  ASSERT_TRUE(std::filesystem::create_directory(m_dir.File(folder)));
  ASSERT_TRUE(WriteBytes(m_dir.File("notes"), "the user's"));
  std::filesystem::create_symlink(m_dir.File("notes"), m_dir.File(link));
  ASSERT_EQ(::mkfifo(m_dir.File(pipe).c_str(), 0600), 0);

  EXPECT_EQ(Fetch(Url("/bcnx/7.bcnx")), S_OK);
  EXPECT_FALSE(std::filesystem::exists(m_dir.File(left)));
  for (const std::string& name : {unseen, own, folder, link, pipe})
    EXPECT_TRUE(std::filesystem::exists(m_dir.File(name))) << name;
  for (const std::string& name : users) EXPECT_EQ(ReadBytes(m_dir.File(name)), "the user's") << name;

  ASSERT_TRUE(unseenDownload.Release());
  EXPECT_EQ(Fetch(Url("/bcnx/7.bcnx")), S_OK);
  EXPECT_FALSE(std::filesystem::exists(m_dir.File(unseen)));
  EXPECT_TRUE(std::filesystem::exists(m_dir.File(own)));
}

}  // namespace
