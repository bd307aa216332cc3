#include "platform/win32/findfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32/files.h"
#include "platform/win32/lasterror.h"
#include "platform/win32/utf.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

// The names FindFirstFileW/FindNextFileW give for the pattern, in their order;
// the last error is left for the caller when nothing is found.
std::vector<std::string> Scan(const std::u16string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(pattern.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return names;
  do names.push_back(Utf16ToUtf8(data.cFileName));
  while (FindNextFileW(h, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(h));
  return names;
}

TEST(FindFile, MasksIgnoreCaseAndEntriesComeInOrdinalOrder) {
  TempDir dir;
  for (const char* name : {"b.txt", "A.txt", "X.BIN", "y.bin", "z.binx", "noext", "\xC3\x84rger.dat"})
    WriteBytes(dir.File(name), "12345");
  std::filesystem::create_directory(dir.File("c"));
  using V = std::vector<std::string>;
  const struct {
    const char* mask;
    V names;
  } cases[] = {
      {"*", {"A.txt", "X.BIN", "b.txt", "c", "noext", "y.bin", "z.binx", "\xC3\x84rger.dat"}},
      {"*.*", {"A.txt", "X.BIN", "b.txt", "c", "noext", "y.bin", "z.binx", "\xC3\x84rger.dat"}},
      {"*.bin", {"X.BIN", "y.bin"}},
      {"?.TXT", {"A.txt", "b.txt"}},
      {"*b*n*", {"X.BIN", "y.bin", "z.binx"}},
      {"\xC3\xA4*", {"\xC3\x84rger.dat"}},  // non-ASCII letters fold too
      {"b.txt", {"b.txt"}},
      {"B.TXT", {}},  // a name without wildcards is exact: names are case-sensitive here
      {"*.none", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(dir.WFile(c.mask)), c.names) << c.mask;
}

TEST(FindFile, FindDataDescribesTheEntryAndFailuresSayWhy) {
  TempDir dir;
  WriteBytes(dir.File("data.bin"), std::string(70000, 'x'));
  std::filesystem::create_directory(dir.File("sub"));
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(dir.WFile("*").c_str(), &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 70000u);
  EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  ASSERT_TRUE(FindNextFileW(h, &data));
  EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_TRUE(FindClose(h));
  EXPECT_FALSE(FindClose(h));

  EXPECT_EQ(FindFirstFileW(dir.WFile("*.txt").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(FindFirstFileW(dir.WFile("missing/*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(FindFile, MaskMatcherBacktracksOverStars) {
  EXPECT_TRUE(MatchFileMask(u"aXbYbZc", u"a*b*c"));
  EXPECT_FALSE(MatchFileMask(u"aXbYbZ", u"a*b*c"));
  EXPECT_TRUE(MatchFileMask(u"abc", u"a?c"));
  EXPECT_FALSE(MatchFileMask(u"ac", u"a?c"));
  EXPECT_FALSE(MatchFileMask(u"abc", u""));
}

}  // namespace
