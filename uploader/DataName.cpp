#include "uploader/DataName.h"

bool IsPlainDataName(std::u16string_view name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  for (char16_t c : name)
    if (c < 0x20 || c == 0x7F || c == u'/' || c == u'\\' || c == u':') return false;
  return true;
}
