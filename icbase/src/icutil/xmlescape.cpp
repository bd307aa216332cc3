#include "icbase/src/icutil/xmlescape.h"

#include "platform/win32/utf.h"

namespace {

bool IsXmlChar(char32_t c) {
  if (c < 0x20) return c == U'\t' || c == U'\n' || c == U'\r';
  return c != 0xFFFE && c != 0xFFFF;
}

// The characters an XML 1.0 file can carry in any encoding: forbidden ones
// dropped, an unpaired surrogate replaced by U+FFFD (by the UTF module).
std::u16string XmlChars(std::u16string_view text) {
  std::u32string kept = Utf16ToUtf32(text);
  std::erase_if(kept, [](char32_t c) { return !IsXmlChar(c); });
  return Utf32ToUtf16(kept);
}

// The reference that stands for c under the flags; null when c stands as itself.
const char16_t* Reference(char16_t c, uint32_t flags) {
  struct Rule {
    char16_t c;
    uint32_t flag;  // 0: always
    const char16_t* reference;
  };
  static constexpr Rule kRules[] = {{u'&', 0, u"&amp;"},
                                    {u'<', 0, u"&lt;"},
                                    {u'>', 0, u"&gt;"},
                                    {u'"', kXmlQuote, u"&quot;"},
                                    {u'\'', kXmlApostrophe, u"&#39;"},
                                    {u'\t', kXmlTabLf, u"&#9;"},
                                    {u'\n', kXmlTabLf, u"&#10;"},
                                    {u'\r', kXmlCr, u"&#13;"}};
  if (c > u'>') return nullptr;
  for (const Rule& rule : kRules) {
    if (rule.c == c) return rule.flag == 0 || (flags & rule.flag) ? rule.reference : nullptr;
  }
  return nullptr;
}

}  // namespace

void AppendXmlEscaped(std::u16string& out, std::u16string_view text, uint32_t flags) {
  std::u16string kept;
  if (flags & kXmlCharsOnly) {
    kept = XmlChars(text);
    text = kept;
  }
  size_t run = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t* reference = Reference(text[i], flags);
    if (!reference) continue;
    out.append(text.substr(run, i - run));
    out += reference;
    run = i + 1;
  }
  out.append(text.substr(run));
}

void AppendXmlEscaped(std::u16string& out, const char16_t* text, uint32_t flags) {
  if (text) AppendXmlEscaped(out, std::u16string_view(text), flags);
}

std::u16string XmlEscaped(const char16_t* text, uint32_t flags) {
  std::u16string out;
  AppendXmlEscaped(out, text, flags);
  return out;
}

void AppendXmlCData(std::u16string& out, const char16_t* text) {
  // Filtered first, so that a dropped character cannot join a "]]" and a ">".
  const std::u16string kept = XmlChars(text ? text : u"");
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
