#include "platform/win32/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/win32/filehandle.h"
#include "platform/win32/threads.h"
#include "platform/win32/utf.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
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

// A process killed while it held a private temporary folder leaves it, with
// the copy of the user's data inside; the next folder made goes only after
// it is removed. The folders of processes that run, and other names, stay.
TEST(Files, PrivateFoldersOfEndedProcessesAreRemovedBeforeTheNextIsMade) {
  TempDir t;
  ScopedEnv tmpdir("TMPDIR", t.Path().c_str());
  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::string folder = PathToNative(MakePrivateTempFolder().c_str());
    const bool kept = WriteBytes(folder + "/copy.db", "the user's sessions") &&
                      ::write(channel[1], folder.data(), folder.size()) == static_cast<ssize_t>(folder.size());
    ::_exit(kept ? 0 : 1);  // as if killed: nothing removed
  }
  ::close(channel[1]);
  char buf[4096];
  const ssize_t n = ::read(channel[0], buf, sizeof buf);
  ::close(channel[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string left(buf, static_cast<size_t>(n > 0 ? n : 0));
  ASSERT_TRUE(fs::exists(left + "/copy.db"));
  for (const char* other : {"pelmora-1-init", "pelmora-abc", "pelmora-", "other"}) fs::create_directory(t.File(other));

  const std::u16string mine = MakePrivateTempFolder();
  ASSERT_FALSE(mine.empty());
  EXPECT_FALSE(fs::exists(left));
  for (const char* other : {"pelmora-1-init", "pelmora-abc", "pelmora-", "other"})
    EXPECT_TRUE(fs::exists(t.File(other))) << other;
  RemoveLeftoverTempFolders();
  EXPECT_TRUE(fs::is_directory(PathToNative(mine.c_str())));
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
