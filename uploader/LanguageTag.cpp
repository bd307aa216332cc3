#include "uploader/LanguageTag.h"

#include "platform/classlib/ui/afxres.h"

const char16_t* UiLanguageTag(LANGID lang) {
  switch (lang) {
    case kLangChineseTraditional:
      return u"ZH_TW";
    case kLangGerman:
      return u"DE";
    case kLangJapanese:
      return u"JA";
    default:
      return u"EN";
  }
}
