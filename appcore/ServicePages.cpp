#include "appcore/ServicePages.h"

#include "appcore/UiLanguages.h"
#include "webclient/deploy.h"

namespace {

CString ServicePage(const char16_t* page) { return CString(DeployServiceBase().c_str()) + page; }

}  // namespace

CString ServiceWebAddress() { return ServicePage(u"/Web/"); }

CString TermsOfUseAddress(LANGID lang) { return ServicePage(u"/Web/UsageTerms.php?l=") + UiLanguageTag(lang); }

CString CreateAccountAddress() { return ServicePage(u"/Web/register"); }

CString ForgotPasswordAddress() { return ServicePage(u"/Web/auth/forgetpwd"); }
