// The program's four UI languages, each with its own name, which the settings
// offer, and the tag by which the web service's pages and the update
// description name it.
#pragma once

#include "platform/win32/langids.h"

struct UiLanguage {
  LANGID id;
  const char16_t* name;  // in the language itself
  const char16_t* tag;
};

// In the order the settings list them.
inline constexpr UiLanguage kUiLanguages[] = {
    {kLangEnglish, u"English", u"EN"},
    {kLangJapanese, u"日本語", u"JA"},
    {kLangGerman, u"Deutsch", u"DE"},
    {kLangChineseTraditional, u"繁體中文", u"ZH_TW"},
};

// One of the four; any other value is refused.
bool IsUiLanguage(LANGID lang);
// The tag of `lang`: "EN", "JA", "DE", "ZH_TW"; "EN" for any other value.
const char16_t* UiLanguageTag(LANGID lang);
