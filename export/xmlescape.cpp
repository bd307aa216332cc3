#include "export/xmlescape.h"

namespace {

bool IsXmlChar(char16_t c) {
  if (c < 0x20) return c == u'\t' || c == u'\n' || c == u'\r';
  return c != 0xFFFE && c != 0xFFFF;
}

}  // namespace

namespace {

void AppendEscaped(std::u16string& out, const char16_t* text, bool attribute) {
  for (const char16_t* p = text; p && *p; ++p) {
    const char16_t* entity = nullptr;
    switch (*p) {
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
    else if (IsXmlChar(*p))
      out.push_back(*p);
  }
}

}  // namespace

void AppendXmlText(std::u16string& out, const char16_t* text) { AppendEscaped(out, text, false); }

void AppendXmlAttr(std::u16string& out, const char16_t* text) { AppendEscaped(out, text, true); }

void AppendCData(std::u16string& out, const char16_t* text) {
  // Filtered first, so that a dropped character cannot join a "]]" and a ">".
  std::u16string kept;
  for (const char16_t* p = text; p && *p; ++p) {
    if (IsXmlChar(*p)) kept.push_back(*p);
  }
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
