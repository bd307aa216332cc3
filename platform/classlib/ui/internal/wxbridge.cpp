#include "platform/classlib/ui/internal/wxbridge.h"

#include "platform/win32/utf.h"

namespace afxui {

wxString ToWx(const char16_t* s) {
  if (s == nullptr) return wxString();
  std::u32string u = Utf16ToUtf32(s);
  return wxString(std::wstring(u.begin(), u.end()));
}

std::u16string FromWx(const wxString& s) {
  std::wstring w = s.ToStdWstring();
  return Utf32ToUtf16(std::u32string(w.begin(), w.end()));
}

wxColour ToColour(COLORREF c) { return wxColour(GetRValue(c), GetGValue(c), GetBValue(c)); }
COLORREF FromColour(const wxColour& c) { return c.IsOk() ? RGB(c.Red(), c.Green(), c.Blue()) : 0; }

}  // namespace afxui
