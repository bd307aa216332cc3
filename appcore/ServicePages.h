// The web service's pages that the program opens in the browser, under the
// service's base address (a deployment value, webclient/deploy.h).
#pragma once

#include "platform/classlib/CString.h"
#include "platform/win32/wintypes.h"

// <service>/Web/
CString ServiceWebAddress();
// <service>/Web/UsageTerms.php?l=<the tag of lang> (appcore/UiLanguages.h).
CString TermsOfUseAddress(LANGID lang);
// <service>/Web/register
CString CreateAccountAddress();
// <service>/Web/auth/forgetpwd
CString ForgotPasswordAddress();
