#include "res/resources.h"

const char16_t* ResFindString(UINT id, LANGID lang) {
  size_t count = 0;
  const ResString* table = ResStringTable(&count);
  for (size_t i = 0; i < count; ++i) {
    const ResString& s = table[i];
    if (s.id != id) continue;
    switch (lang) {
      case kLangJapanese: return s.ja;
      case kLangGerman: return s.de;
      case kLangChineseTraditional: return s.zhTW;
      default: return s.en;
    }
  }
  return nullptr;
}

const ResDialog* ResFindDialog(int id) {
  size_t count = 0;
  const ResDialog* table = ResDialogTable(&count);
  for (size_t i = 0; i < count; ++i) {
    if (table[i].id == id) return &table[i];
  }
  return nullptr;
}
