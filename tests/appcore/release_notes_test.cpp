// The release notes of the offered update, by UI language, from the update
// description the check keeps.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "appcore/ReleaseNotes.h"
#include "platform/win32/langids.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

TEST(ReleaseNotes, AreTheBlockOfTheLanguagesTagUpToItsEndMark) {
  using namespace std::string_literals;
  TempDir dir;
  const std::u16string userData = dir.WFile("userdata");
  EXPECT_EQ(ReleaseNotes(userData, 1033).Str(), u"");  // no description
  std::filesystem::create_directories(dir.File("userdata/TransferDb"));
  // Only a line that is the tag itself opens a block (not one that goes on
  // after a zero); a line that holds INFOEND anywhere, or the end of the
  // file, closes it.
  const std::string description = "version\n101\nEN notes\nnot a block\nEN\nLap list.\n\nINFOEND\n" +
                                  "JA\0 hidden\nnot a block\n"s +
                                  "ZH_TW\n\xE6\x9B\xB4\xE5\xBF\xAB\n-- INFOEND --\nDE\nBis zum Ende.\n";
  const struct {
    LANGID lang;
    const char16_t* notes;
  } cases[] = {
      {kLangEnglish, u"Lap list.\n\n"},              // the empty line is kept
      {kLangChineseTraditional, u"\u66F4\u5FEB\n"},  // beyond ASCII
      {kLangGerman, u"Bis zum Ende.\n"},             // up to the end of the file
      {kLangJapanese, u""},                          // no block for this language
      {2052, u"Lap list.\n\n"},                      // any other language reads English
  };
  for (bool utf16 : {false, true}) {
    const std::string path = dir.File("userdata/TransferDb/auto_update.txt");
    ASSERT_TRUE(utf16 ? WriteBytes(path, Utf16LeBytes(CString::FromUtf8(description).Str(), true))
                      : WriteBytes(path, description));
    for (const auto& c : cases) EXPECT_EQ(ReleaseNotes(userData, c.lang).Str(), c.notes) << c.lang << " " << utf16;
  }
}

}  // namespace
