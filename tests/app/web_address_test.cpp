// The pages the main window opens on the service: the web site and the terms
// of use in the window's language.
#include <gtest/gtest.h>

#include "uploader/CtessilarDlg.h"
#include "webclient/deploy.h"

namespace {

TEST(WebAddresses, TheTermsOfUseFollowTheLanguageAndTheServiceBase) {
  const std::string base = DeployServiceBase();
  EXPECT_EQ(ServiceWebAddress().ToUtf8(), base + "/Web/");
  const struct {
    LANGID lang;
    const char* tag;
  } cases[] = {{1028, "ZH_TW"}, {1031, "DE"}, {1041, "JA"}, {1033, "EN"}, {2052, "EN"}, {0, "EN"}};
  for (const auto& c : cases) {
    EXPECT_EQ(TermsOfUseAddress(c.lang).ToUtf8(), base + "/Web/UsageTerms.php?l=" + c.tag) << c.lang;
  }
  EXPECT_TRUE(IsUiLanguage(1041));
  EXPECT_FALSE(IsUiLanguage(2052));
}

}  // namespace
