// The tag by which the web service and the update description name a UI
// language: "ZH_TW", "DE", "JA", and "EN" for English and any other value.
#pragma once

#include "platform/win32/wintypes.h"

const char16_t* UiLanguageTag(LANGID lang);
