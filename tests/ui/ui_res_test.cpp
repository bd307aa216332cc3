// The layer's resource lookups on tables of this test, without a display.
#include <gtest/gtest.h>

#include <iterator>

#include "platform/classlib/ui/afxwin.h"

namespace {

const ResString kStrings[] = {
    {7, u"Seven", u"七", u"Sieben", u"柒"},
};
const ResControl kControls[] = {{IDOK, ResControlKind::Button, u"OK", 4, 4, 40, 14, kResDefault}};
const ResDialog kDialogs[] = {{20, u"Box", 50, 24, 0, u"", 0, kControls, std::size(kControls)}};
const char* const kXpm[] = {"1 1 1 1", ". c #000000", "."};
const ResImage kImages[] = {{30, kXpm}};
const AfxResourceTables kTables = {kStrings, std::size(kStrings), kDialogs, std::size(kDialogs),
                                   kImages,  std::size(kImages)};

TEST(UiResources, LookupsFindOnlyWhatIsRegisteredAndStringsFollowTheLanguage) {
  CString s;
  AfxSetResources(nullptr);
  EXPECT_FALSE(s.LoadString(7));
  EXPECT_EQ(AfxFindDialog(20), nullptr);

  AfxSetResources(&kTables);
  EXPECT_EQ(AfxFindDialog(20), &kDialogs[0]);
  EXPECT_EQ(AfxFindDialog(21), nullptr);
  EXPECT_EQ(AfxFindXpm(30), kXpm);
  EXPECT_EQ(AfxFindXpm(31), nullptr);
  const struct {
    LANGID lang;
    const char16_t* text;
  } cases[] = {{kLangEnglish, u"Seven"},
               {kLangJapanese, u"七"},
               {kLangGerman, u"Sieben"},
               {kLangChineseTraditional, u"柒"},
               {2052, u"Seven"}};
  for (const auto& c : cases) {
    SetThreadUILanguage(c.lang);
    ASSERT_TRUE(s.LoadString(7)) << c.lang;
    EXPECT_EQ(s, CString(c.text)) << c.lang;
  }
  SetThreadUILanguage(kLangEnglish);
  EXPECT_FALSE(AfxLoadString(8, s));
  EXPECT_TRUE(s.IsEmpty());
}

}  // namespace
