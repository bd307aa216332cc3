// The service's pages the program opens and the UI languages they are
// named in.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "appcore/ServicePages.h"
#include "appcore/UiLanguages.h"
#include "webclient/deploy.h"

namespace {

TEST(ServicePages, LieUnderTheServiceBaseAndTheTermsFollowTheLanguage) {
  const std::string base = DeployServiceBase();
  EXPECT_EQ(ServiceWebAddress().ToUtf8(), base + "/Web/");
  EXPECT_EQ(CreateAccountAddress().ToUtf8(), base + "/Web/register");
  EXPECT_EQ(ForgotPasswordAddress().ToUtf8(), base + "/Web/auth/forgetpwd");
  const struct {
    LANGID lang;
    const char* tag;
  } cases[] = {{1028, "ZH_TW"}, {1031, "DE"}, {1041, "JA"}, {1033, "EN"}, {2052, "EN"}, {0, "EN"}};
  for (const auto& c : cases) {
    EXPECT_EQ(TermsOfUseAddress(c.lang).ToUtf8(), base + "/Web/UsageTerms.php?l=" + c.tag) << c.lang;
  }
}

TEST(UiLanguages, AreTheFourOfTheStringTableEachWithItsOwnTag) {
  std::set<LANGID> ids;
  std::set<std::u16string> tags;
  for (const UiLanguage& language : kUiLanguages) {
    EXPECT_TRUE(IsUiLanguage(language.id)) << language.id;
    EXPECT_EQ(std::u16string(UiLanguageTag(language.id)), language.tag) << language.id;
    ids.insert(language.id);
    tags.insert(language.tag);
  }
  EXPECT_EQ(ids, (std::set<LANGID>{1033, 1041, 1031, 1028}));
  EXPECT_EQ(tags.size(), 4u);
  EXPECT_EQ(kUiLanguages[0].id, 1033);  // the settings offer English first
  EXPECT_FALSE(IsUiLanguage(2052));
  EXPECT_FALSE(IsUiLanguage(0));
}

}  // namespace
