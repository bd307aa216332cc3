// The release notes of the offered update, by UI language, from the update
// description the check keeps.
#include <gtest/gtest.h>

#include <filesystem>

#include "appcore/ReleaseNotes.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

TEST(ReleaseNotes, AreTheBlockOfTheLanguagesTagUpToItsEndMark) {
  TempDir dir;
  const std::u16string userData = dir.WFile("userdata");
  EXPECT_EQ(ReleaseNotes(userData, 1033).Str(), u"");  // no description
  std::filesystem::create_directories(dir.File("userdata/TransferDb"));
  const std::string description =
      "version\n101\nchksum\n0123\n"
      "EN\nFaster uploads.\nFixed the lap list.\nINFOEND\n"
      "DE\nSchnellere Uploads.\nINFOEND trailing\nnot shown\n"
      "JA\n\xE9\xAB\x98\xE9\x80\x9F\xE5\x8C\x96\n\nlast line without an end mark\n";
  const struct {
    LANGID lang;
    const char16_t* notes;
  } cases[] = {
      {1033, u"Faster uploads.\nFixed the lap list.\n"},
      {1031, u"Schnellere Uploads.\n"},
      {1041, u"\u9AD8\u901F\u5316\n\nlast line without an end mark\n"},
      {1028, u""},                                        // no block for this language
      {2052, u"Faster uploads.\nFixed the lap list.\n"},  // any other language reads English
  };
  for (bool utf16 : {false, true}) {
    const std::string path = dir.File("userdata/TransferDb/auto_update.txt");
    ASSERT_TRUE(utf16 ? WriteBytes(path, Utf16LeBytes(CString::FromUtf8(description).Str(), true))
                      : WriteBytes(path, description));
    for (const auto& c : cases) EXPECT_EQ(ReleaseNotes(userData, c.lang).Str(), c.notes) << c.lang << " " << utf16;
  }
}

}  // namespace
