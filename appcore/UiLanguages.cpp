#include "appcore/UiLanguages.h"

namespace {

const UiLanguage* Find(LANGID lang) {
  for (const UiLanguage& language : kUiLanguages)
    if (language.id == lang) return &language;
  return nullptr;
}

}  // namespace

bool IsUiLanguage(LANGID lang) { return Find(lang) != nullptr; }

const char16_t* UiLanguageTag(LANGID lang) {
  const UiLanguage* language = Find(lang);
  return language != nullptr ? language->tag : u"EN";
}
