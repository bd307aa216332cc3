#include "platform/win32/files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/win32/filehandle.h"
#include "platform/win32/threads.h"
#include "platform/win32/utf.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
#include "tests/common/no_file_locks.h"
#include "tests/common/temp_dir.h"

namespace fs = std::filesystem;

TEST(Files, StatusOfFilesAndFolders) {
  TempDir t;
  std::u16string dir = t.WFile("sub \u00E9t\u00E9");  // non-ASCII name
  EXPECT_EQ(GetFileAttributesW(dir.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(CreateDirectoryW(dir.c_str()));
  EXPECT_FALSE(CreateDirectoryW(dir.c_str()));  // exists already
  EXPECT_FALSE(CreateDirectoryW(t.WFile("missing/child").c_str()));
  EXPECT_TRUE(fs::is_directory(t.File("sub \xC3\xA9t\xC3\xA9")));
  EXPECT_EQ(GetFileAttributesW(dir.c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY));

  std::u16string file = dir + u"/a.txt";
  FileHandle f(file.c_str(), "wb");
  ASSERT_TRUE(f);
  std::fputs("hello", f.get());
  ASSERT_TRUE(f.Close());
  EXPECT_TRUE(PathFileExistsW(file.c_str()));
  EXPECT_EQ(GetFileAttributesW(file.c_str()), DWORD(FILE_ATTRIBUTE_NORMAL));
  uint64_t size = 99;
  EXPECT_TRUE(GetFileSize64(file.c_str(), &size));
  EXPECT_EQ(size, 5u);
  EXPECT_TRUE(GetFileSize64(dir.c_str(), &size));
  EXPECT_EQ(size, 0u);

  ::chmod(PathToNative(file.c_str()).c_str(), 0444);
  EXPECT_TRUE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY);

  EXPECT_FALSE(DeleteFileW(dir.c_str()));  // not a folder
  EXPECT_TRUE(DeleteFileW(file.c_str()));
  EXPECT_FALSE(PathFileExistsW(file.c_str()));
  EXPECT_FALSE(DeleteFileW(file.c_str()));
  EXPECT_TRUE(RemoveDirectoryW(dir.c_str()));
  EXPECT_FALSE(PathFileExistsW(dir.c_str()));

  EXPECT_FALSE(PathFileExistsW(nullptr));
  EXPECT_FALSE(PathFileExistsW(u""));
  EXPECT_EQ(WFopen(nullptr, "rb"), nullptr);
  EXPECT_EQ(PathToNative(nullptr), "");
}

namespace {

// An id in no process's name: what a maker in another PID namespace that
// shares the folder for temporary files shows to kill().
constexpr const char* kUnseenId = "999999999";

// Another process that makes a private temporary folder, puts a copy of the
// user's data in it and runs until killed, which removes nothing. Given an
// id, it renames the folder to carry that id instead of its own.
class FolderMaker {
 public:
  explicit FolderMaker(const char* id = nullptr) {
    int made[2];
    if (::pipe(made) != 0) return;
    if (::pipe(m_running) != 0) m_running[0] = m_running[1] = -1;
    if (m_running[0] >= 0 && (m_pid = ::fork()) == 0) {
      ::close(m_running[1]);
      const PrivateTempFolder folder = MakePrivateTempFolder();
      std::string path = PathToNative(folder.Path().c_str());
      if (id) {
        const std::string renamed = std::string(::getenv("TMPDIR")) + "/pelmora-" + id + path.substr(path.rfind('-'));
        path = ::rename(path.c_str(), renamed.c_str()) == 0 ? renamed : "";
      }
      if (!path.empty() && WriteBytes(path + "/copy.db", "the user's sessions"))
        (void)!::write(made[1], path.data(), path.size());
      ::close(made[1]);
      char c;
      (void)!::read(m_running[0], &c, 1);  // returns when the test ends
      ::_exit(0);
    }
    ::close(made[1]);
    char buf[4096];
    const ssize_t n = m_pid > 0 ? ::read(made[0], buf, sizeof buf) : 0;
    ::close(made[0]);
    if (n > 0) m_folder.assign(buf, static_cast<size_t>(n));
  }
  ~FolderMaker() {
    Kill();
    for (int fd : m_running)
      if (fd >= 0) ::close(fd);
  }
  FolderMaker(const FolderMaker&) = delete;
  FolderMaker& operator=(const FolderMaker&) = delete;

  // The folder as the maker named it; empty when it failed.
  const std::string& Folder() const { return m_folder; }
  // Kills the maker and waits for it to end.
  void Kill() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
  }

 private:
  int m_running[2] = {-1, -1};
  pid_t m_pid = -1;
  std::string m_folder;
};

}  // namespace

// A process killed while it held a private temporary folder leaves it, with
// the copy of the user's data inside; the next folder made goes only after
// it is removed. A folder whose maker runs stays, though its name carries an
// id that kill() cannot see; so do this process's own, until it lets them go.
TEST(Files, PrivateFoldersGoOnceTheirMakerEnded) {
  TempDir t;
  ScopedEnv tmpdir("TMPDIR", t.Path().c_str());
  ASSERT_NE(::kill(static_cast<pid_t>(std::stol(kUnseenId)), 0), 0);
  FolderMaker killed, unseen(kUnseenId);
  ASSERT_FALSE(killed.Folder().empty());
  ASSERT_NE(unseen.Folder().find(kUnseenId), std::string::npos);
  killed.Kill();

  PrivateTempFolder mine = MakePrivateTempFolder();
  ASSERT_TRUE(mine);
  EXPECT_FALSE(fs::exists(killed.Folder()));
  EXPECT_TRUE(fs::exists(unseen.Folder() + "/copy.db"));
  const std::string own = PathToNative(mine.Path().c_str());
  ASSERT_TRUE(WriteBytes(own + "/copy.db", "the user's sessions"));
  RemoveLeftoverTempFolders();
  EXPECT_TRUE(fs::exists(own + "/copy.db"));

  unseen.Kill();
  RemoveLeftoverTempFolders();
  EXPECT_FALSE(fs::exists(unseen.Folder()));
  EXPECT_TRUE(fs::exists(own + "/copy.db"));
  mine = PrivateTempFolder();
  EXPECT_FALSE(fs::exists(own));
}

// Where the lock cannot be taken, the folder is still made and used; no
// sweep takes it, neither one there nor one of another copy whose locks
// work, and it goes with its owner.
TEST(Files, APrivateFolderIsMadeWhereFilesCannotBeLocked) {
  TempDir t;
  ScopedEnv tmpdir("TMPDIR", t.Path().c_str());
  PrivateTempFolder folder;
  std::string own;
  ASSERT_TRUE(RunWithoutFileLocks([&] {
    folder = MakePrivateTempFolder();
    own = PathToNative(folder.Path().c_str());
    ASSERT_TRUE(folder);
    ASSERT_TRUE(WriteBytes(own + "/copy.db", "the user's sessions"));
    RemoveLeftoverTempFolders();
    EXPECT_TRUE(fs::exists(own + "/copy.db"));
  }));
  RemoveLeftoverTempFolders();  // as another copy, whose locks work
  EXPECT_TRUE(fs::exists(own + "/copy.db"));
  folder = PrivateTempFolder();
  EXPECT_FALSE(own.empty());
  EXPECT_FALSE(fs::exists(own));
}

// Only a folder as the program makes it goes, once no one holds its lock:
// what else the user keeps in the folder for temporary files stays, whatever
// its name.
TEST(Files, WhatIsNotTheProgramsPrivateFolderStaysWhateverItsName) {
  TempDir t;
  ScopedEnv tmpdir("TMPDIR", t.Path().c_str());
  enum Shape { kAsMade, kNoLockFile, kLockIsAFolder, kHoldsAFolder, kLinkToOneAsMade };
  const struct {
    const char* name;
    mode_t mode;
    Shape shape;
    bool removed;
  } cases[] = {
      {"pelmora-7-abcdef", 0700, kAsMade, true},  // its maker ended
      {"pelmora-2023-season", 0755, kNoLockFile, false},   {"pelmora-2024-season", 0700, kNoLockFile, false},
      {"pelmora-1-abcdeg", 0755, kAsMade, false},          {"pelmora-1-abcdefg", 0700, kAsMade, false},
      {"pelmora-1x-abcdef", 0700, kAsMade, false},         {"pelmora-1-abc.ef", 0700, kAsMade, false},
      {"pelmora-3-abcdef", 0700, kLockIsAFolder, false},   {"pelmora-4-abcdef", 0700, kHoldsAFolder, false},
      {"pelmora-5-abcdef", 0700, kLinkToOneAsMade, false},
  };
  for (const auto& c : cases) {
    std::string folder = t.File(c.name);
    if (c.shape == kLinkToOneAsMade) {
      ASSERT_EQ(::symlink((folder + ".linked").c_str(), folder.c_str()), 0);
      folder += ".linked";
    }
    const std::string lock = folder + "/" + kPrivateFolderLockName;
    const bool made = fs::create_directory(folder) && WriteBytes(folder + "/notes", "the user's notes") &&
                      (c.shape != kLockIsAFolder || fs::create_directory(lock)) &&
                      (c.shape != kHoldsAFolder || fs::create_directory(folder + "/photos")) &&
                      (c.shape == kNoLockFile || c.shape == kLockIsAFolder || WriteBytes(lock, ""));
    ASSERT_TRUE(made) << c.name;
    ASSERT_EQ(::chmod(folder.c_str(), c.mode), 0);
  }

  RemoveLeftoverTempFolders();
  for (const auto& c : cases) EXPECT_EQ(fs::exists(t.File(c.name) + "/notes"), !c.removed) << c.name;
}

TEST(Files, SizesBeyond32Bits) {
  TempDir t;
  std::string p = t.File("big.bin");
  ASSERT_TRUE(WriteBytes(p, ""));
  const uint64_t big = (uint64_t(1) << 32) + 17;  // sparse: takes no disk space
  if (::truncate(p.c_str(), static_cast<off_t>(big)) != 0) GTEST_SKIP() << "no sparse files here";
  uint64_t size = 0;
  EXPECT_TRUE(GetFileSize64(Utf8ToUtf16(p).c_str(), &size));
  EXPECT_EQ(size, big);
}

TEST(Files, ProgramLocation) {
  std::u16string exe = GetProgramPath();
  ASSERT_FALSE(exe.empty());
  EXPECT_TRUE(fs::equivalent(fs::path(PathToNative(exe.c_str())), fs::read_symlink("/proc/self/exe")));
  std::u16string folder = GetProgramFolderPath();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), PATH_SEP);
  EXPECT_EQ(exe.substr(0, folder.size()), folder);
  EXPECT_EQ(exe.find(PATH_SEP, folder.size()), std::u16string::npos);

  char16_t buf[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 4);
  EXPECT_EQ(std::u16string(buf, n), exe);
  char16_t small[4];
  EXPECT_EQ(GetModuleFileNameW(nullptr, small, 4), 4u);  // cut: returns the capacity
  EXPECT_EQ(small[3], 0);
  EXPECT_EQ(GetModuleFileNameW(nullptr, small, 0), 0u);
}

TEST(Threads, SleepPausesAtLeastTheTime) {
  // Only a lower bound is checked: sleeping never returns early.
  auto t0 = std::chrono::steady_clock::now();
  Sleep(20);
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(20));
  Sleep(0);
}
