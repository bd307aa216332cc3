#include "export/xmlescape.h"

#include "platform/win32/utf.h"

namespace {

bool IsXmlChar(char32_t c) {
  if (c < 0x20) return c == U'\t' || c == U'\n' || c == U'\r';
  return c != 0xFFFE && c != 0xFFFF;
}

// The characters an XML 1.0 file can carry in any encoding: forbidden ones
// dropped, an unpaired surrogate replaced by U+FFFD (by the UTF module).
std::u16string XmlChars(const char16_t* text) {
  std::u32string kept = Utf16ToUtf32(text ? text : u"");
  std::erase_if(kept, [](char32_t c) { return !IsXmlChar(c); });
  return Utf32ToUtf16(kept);
}

void AppendEscaped(std::u16string& out, const char16_t* text, bool attribute) {
  for (char16_t c : XmlChars(text)) {
    const char16_t* entity = nullptr;
    switch (c) {
      case u'&':
        entity = u"&amp;";
        break;
      case u'<':
        entity = u"&lt;";
        break;
      case u'>':
        entity = u"&gt;";
        break;
      case u'"':
        entity = attribute ? u"&quot;" : nullptr;
        break;
      case u'\t':
        entity = attribute ? u"&#9;" : nullptr;
        break;
      case u'\n':
        entity = attribute ? u"&#10;" : nullptr;
        break;
      case u'\r':
        entity = attribute ? u"&#13;" : nullptr;
        break;
      default:
        break;
    }
    if (entity)
      out += entity;
    else
      out.push_back(c);
  }
}

}  // namespace

void AppendXmlText(std::u16string& out, const char16_t* text) { AppendEscaped(out, text, false); }

void AppendXmlAttr(std::u16string& out, const char16_t* text) { AppendEscaped(out, text, true); }

void AppendCData(std::u16string& out, const char16_t* text) {
  // Filtered first, so that a dropped character cannot join a "]]" and a ">".
  const std::u16string kept = XmlChars(text);
  out += u"<![CDATA[";
  size_t from = 0;
  for (size_t at = kept.find(u"]]>"); at != std::u16string::npos; at = kept.find(u"]]>", from)) {
    out.append(kept, from, at + 2 - from);
    out += u"]]><![CDATA[";
    from = at + 2;
  }
  out.append(kept, from, std::u16string::npos);
  out += u"]]>";
}
