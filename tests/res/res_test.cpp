// The program's string table and dialog templates, registered with the UI
// layer, without a display.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/classlib/ui/afxwin.h"
#include "res/resources.h"

namespace {

class ResourcesEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { RegisterResources(); }
};
[[maybe_unused]] auto* const g_env = ::testing::AddGlobalTestEnvironment(new ResourcesEnvironment);

std::vector<std::u16string> Placeholders(const std::u16string& s) {
  std::vector<std::u16string> out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != u'%') continue;
    if (i + 1 < s.size() && s[i + 1] == u'%') {
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < s.size() && std::u16string(u"-+ #0123456789.*hlI").find(s[j]) != std::u16string::npos) ++j;
    out.push_back(s.substr(i, j - i + 1));
    i = j;
  }
  return out;
}

TEST(StringTable, EveryStringOfTheDialogsIsThereInFourLanguagesWithTheSamePlaceholders) {
  size_t count = 0;
  const ResString* table = ResStringTable(&count);
  std::set<UINT> ids;
  for (size_t i = 0; i < count; ++i) {
    const ResString& s = table[i];
    ids.insert(s.id);
    for (const char16_t* text : {s.ja, s.de, s.zhTW}) {
      ASSERT_NE(text, nullptr);
      EXPECT_NE(std::u16string(text), u"") << s.id;
      EXPECT_EQ(Placeholders(text), Placeholders(s.en)) << s.id;
    }
  }
  for (UINT id = 101; id <= 156; ++id) {
    bool unused = id == 133 || id == 142 || id == 144 || id == 145;
    EXPECT_EQ(ids.count(id) == 1, !unused) << id;
  }
  EXPECT_EQ(std::u16string(AfxFindString(124, 1033)), u"Open database\nPlease wait\u2026");
  EXPECT_EQ(std::u16string(AfxFindString(123, 1033)).find(u"don\u2019t") != std::u16string::npos, true);
}

TEST(StringTable, LoadStringFollowsTheUiLanguage) {
  CString s;
  EXPECT_EQ(SetThreadUILanguage(1041), 1041);
  EXPECT_EQ(GetThreadUILanguage(), 1041);
  ASSERT_TRUE(s.LoadString(106));
  EXPECT_EQ(s, CString(u"ログイン"));
  SetThreadUILanguage(1031);
  ASSERT_TRUE(AfxLoadString(112, s));
  EXPECT_EQ(s, CString(u"Hochladen"));
  ASSERT_TRUE(s.LoadString(152));
  EXPECT_EQ(s, CString(u"Software-Aktualisierung in %d Sekunden..."));
  SetThreadUILanguage(1028);
  ASSERT_TRUE(s.LoadString(108));
  EXPECT_EQ(s, CString(u"取消"));
  // Any other language reads English.
  SetThreadUILanguage(2052);
  ASSERT_TRUE(s.LoadString(121));
  EXPECT_EQ(s, CString(u"Login Failed!"));
  SetThreadUILanguage(1033);
  EXPECT_FALSE(s.LoadString(133));
  EXPECT_FALSE(s.LoadString(999));
  char16_t buf[8];
  EXPECT_EQ(LoadStringW(nullptr, 113, buf, 8), 7);  // truncated, terminated
  EXPECT_EQ(std::u16string(buf), u"Circuit");
}

TEST(DialogTemplates, EveryDialogHasItsSizeAndItsControls) {
  struct Expect {
    int id, cx, cy;
    std::vector<int> controls;
  };
  const Expect expects[] = {
      {102,
       661,
       270,
       {1009, 1010, 1014, 1015, 1016, 1017, 1011, 1012, 1013, 1018, 1034, 1020, 1021, 1019, 1022, 1033, 1023}},
      {129, 302, 133, {1000, 1002, 1001, 1003, 1005, 1007, 1008, IDCANCEL}},
      {133, 289, 85, {1023, 1024, 1025, 1028, 1026, IDOK, IDCANCEL}},
      {140, 211, 48, {1035, 1036, 1038, 1039, 1040, 1042}},
      {100, 251, 120, {1029, 1030, 1031, 1032}},
      {142, 301, 171, {1041, 1040, IDOK}},
  };
  for (const Expect& e : expects) {
    const ResDialog* d = AfxFindDialog(e.id);
    ASSERT_NE(d, nullptr) << e.id;
    EXPECT_EQ(d->cx, e.cx);
    EXPECT_EQ(d->cy, e.cy);
    for (int id : e.controls) {
      bool found = false;
      for (size_t i = 0; i < d->controlCount; ++i) {
        const ResControl& c = d->controls[i];
        if (c.id != id) continue;
        found = true;
        EXPECT_GE(c.x, 0);
        EXPECT_GE(c.y, 0);
        EXPECT_LE(c.x + c.cx, d->cx) << e.id << "/" << id;
        EXPECT_LE(c.y + c.cy, d->cy) << e.id << "/" << id;
      }
      EXPECT_TRUE(found) << e.id << "/" << id;
    }
  }
  EXPECT_EQ(AfxFindDialog(1), nullptr);
  EXPECT_NE(AfxFindXpm(128), nullptr);
  EXPECT_NE(AfxFindXpm(139), nullptr);
}

}  // namespace
