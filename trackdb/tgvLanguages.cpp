#include "trackdb/tgvLanguages.h"

#include <string_view>

namespace {

constexpr const char16_t* kNames[kTgvLanguageCount] = {
    u"EN",      u"SimplifiedChinese", u"TraditionalChinese", u"Dutch",   u"French",  u"German",
    u"Italian", u"Japanese",          u"Portuguese",         u"Russian", u"Spanish", u"Korean",
};

}  // namespace

const char16_t* tgvLanguageName(int32_t index) {
  return index >= 0 && index < kTgvLanguageCount ? kNames[index] : kNames[0];
}

int32_t tgvLanguageIndex(const char16_t* name) {
  if (!name) return -1;
  for (int32_t i = 0; i < kTgvLanguageCount; ++i) {
    if (std::u16string_view(name) == kNames[i]) return i;
  }
  return -1;
}
