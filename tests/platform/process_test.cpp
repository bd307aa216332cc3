#include "platform/win32/process.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win32/utf.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The line the script wrote into `ran` of the folder it ran in, once it has
// run.
std::string Ran(const std::string& folder) { return ReadOnceALineEnds(folder + "/ran"); }

TEST(StartProgram, StartsWhatCanRunWithItsArgumentsWholeAndRefusesWhatCannot) {
  TempDir dir;
  fs::create_directories(dir.File("bin"));
  fs::create_directories(dir.File("work"));
  ASSERT_TRUE(WriteBytes(dir.File("bin/noter"), "#!/bin/sh\nprintf '%s|' \"$@\" > ran; echo >> ran\n"));
  fs::permissions(dir.File("bin/noter"), fs::perms::owner_all);
  ASSERT_TRUE(WriteBytes(dir.File("bin/plain"), "#!/bin/sh\ntouch ran\n"));  // not executable
  ScopedEnv path("PATH", (dir.File("bin") + ":/usr/bin:/bin").c_str());
  const std::u16string noter = dir.WFile("bin/noter");

  const struct {
    std::u16string program;
    std::u16string folder;
    ProgramLookup lookup;
    bool starts;
  } cases[] = {
      {noter, dir.WFile("work"), ProgramLookup::kAsGiven, true},
      {u"noter", dir.WFile("work"), ProgramLookup::kSearchPath, true},
      {u"noter", dir.WFile("work"), ProgramLookup::kAsGiven, false},  // not in the current folder
      {dir.WFile("bin/missing"), dir.WFile("work"), ProgramLookup::kSearchPath, false},
      {dir.WFile("bin/plain"), dir.WFile("work"), ProgramLookup::kAsGiven, false},
      {noter, dir.WFile("no such folder"), ProgramLookup::kAsGiven, false},
      {u"", dir.WFile("work"), ProgramLookup::kSearchPath, false},
  };
  for (const auto& c : cases) {
    fs::remove(dir.File("work/ran"));
    EXPECT_EQ(StartProgram(c.program, {u"two words", u"\"quoted\"", u""}, c.folder, c.lookup) == TRUE, c.starts)
        << Utf16ToUtf8(c.program);
    if (c.starts) {
      EXPECT_EQ(Ran(dir.File("work")), "two words|\"quoted\"||\n") << Utf16ToUtf8(c.program);
    }
  }
  EXPECT_TRUE(fs::is_empty(dir.File("work"))) << "nothing that was refused ran";
}

}  // namespace
