#include "export/exporttext.h"

#include <climits>
#include <cstdarg>

#include "platform/win32/format.h"

void ExportText_C::Clear() {
  m_text.Clear();
  m_failed = false;
}

void ExportText_C::Put(const char16_t* text) {
  if (text && *text && !m_text.Append(text)) m_failed = true;
}

void ExportText_C::Put(const std::u16string& text) {
  if (text.empty()) return;
  if (text.size() > static_cast<size_t>(INT32_MAX / 2) ||
      !m_text.Append(text.c_str(), static_cast<int32_t>(text.size()))) {
    m_failed = true;
  }
}

void ExportText_C::Putf(const char16_t* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::u16string text = FormatWV(fmt, ap);
  va_end(ap);
  Put(text);
}

bool ExportText_C::Save(const char16_t* path, int32_t encoding) const {
  // An empty text is no file: the save would replace the target with an
  // empty one and still report failure.
  return !m_failed && m_text.GetLength() > 0 && m_text.SaveToFile(path, encoding);
}
