#include "icbase/src/icutil/sysinfo.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "platform/win32/files.h"

TEST(ProgramFolder, IsTheFolderOfThisTestProgram) {
  std::u16string folder = GetProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), PATH_SEP);
  DWORD attrs = GetFileAttributesW(folder.c_str());
  ASSERT_NE(attrs, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(attrs & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(SysInfo, SplitsTheModulePathAndMayBeMadeAgainAfterItWent) {
  {
    SysInfo_C info;
    std::u16string folder = info.GetModuleFolder();
    std::u16string name = info.GetModuleName();
    EXPECT_EQ(folder, GetProgramFolder());
    EXPECT_EQ(name, u"icutil_test");
    EXPECT_NE(std::u16string(info.GetBannerText()), u"");
    EXPECT_NE(std::u16string(info.GetDateText()), u"");
  }
  SysInfo_C again;  // the first one is gone: no assertion
  EXPECT_EQ(std::u16string(again.GetModuleName()), u"icutil_test");
}

TEST(FatalDeathTest, SecondLiveSysInfoIsFatal) {
  EXPECT_EXIT(
      {
        SysInfo_C first;
        SysInfo_C second;
      },
      ::testing::KilledBySignal(SIGABRT), "Assertion failed in file sys, line 41\\.");
}
