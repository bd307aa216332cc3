#include "icbase/src/icutil/xmlescape.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/utf.h"

namespace {

std::string Escaped(const char16_t* text, uint32_t flags) { return Utf16ToUtf8(XmlEscaped(text, flags)); }

std::string CData(const char16_t* text) {
  std::u16string out;
  AppendXmlCData(out, text);
  return Utf16ToUtf8(out);
}

}  // namespace

TEST(XmlEscape, EachFlagAddsItsReferencesToTheMarkupOnes) {
  const char16_t kAll[] = u"&<>\"'\t\n\r";
  const struct {
    uint32_t flags;
    const char* escaped;
  } cases[] = {
      {0, "&amp;&lt;&gt;\"'\t\n\r"},
      {kXmlQuote, "&amp;&lt;&gt;&quot;'\t\n\r"},
      {kXmlQuote | kXmlApostrophe, "&amp;&lt;&gt;&quot;&#39;\t\n\r"},
      {kXmlTabLf, "&amp;&lt;&gt;\"'&#9;&#10;\r"},
      {kXmlCr, "&amp;&lt;&gt;\"'\t\n&#13;"},
      {kXmlAttribute, "&amp;&lt;&gt;&quot;'&#9;&#10;&#13;"},
  };
  for (const auto& c : cases) EXPECT_EQ(Escaped(kAll, c.flags), c.escaped) << c.flags;
  EXPECT_EQ(Escaped(nullptr, kXmlAttribute), "");
  EXPECT_EQ(Escaped(u"plain caf\u00e9", kXmlAttribute), "plain caf\xC3\xA9");
}

TEST(XmlEscape, OnlyXmlCharactersAreKeptWhenAsked) {
  const char16_t kText[] = u"a\x01<\x1f\xFFFE\xFFFF b\xD800 \U0001F3C1\xDC00";
  EXPECT_EQ(Escaped(kText, kXmlCharsOnly), "a&lt; b\xEF\xBF\xBD \xF0\x9F\x8F\x81\xEF\xBF\xBD");
  // Without the flag every unit stays (an HTML fragment bound for a script string).
  EXPECT_EQ(XmlEscaped(kText, 0), u"a\x01&lt;\x1f\xFFFE\xFFFF b\xD800 \U0001F3C1\xDC00");
  // A CDATA section keeps the XML characters and splits around "]]>", also
  // one that a dropped character stood in.
  EXPECT_EQ(CData(u"x]]>y]]\x01>z<&"), "<![CDATA[x]]]]><![CDATA[>y]]]]><![CDATA[>z<&]]>");
  EXPECT_EQ(CData(nullptr), "<![CDATA[]]>");
}
