// Text placed into XML files and into HTML (pages and their fragments).
//
// The characters & < > always become entities; the flags name what else a
// place needs. A null text is empty.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum XmlEscape : uint32_t {
  kXmlQuote = 1u << 0,       // " as &quot;: a double-quoted attribute value
  kXmlApostrophe = 1u << 1,  // ' as &#39;: HTML that may stand between single quotes
  // TAB and LF as &#9; and &#10;, which attribute-value normalisation would
  // turn into spaces.
  kXmlTabLf = 1u << 2,
  // CR as &#13;, which line-end normalisation would turn into LF (into a
  // space in an attribute value): the text reads back with its CR.
  kXmlCr = 1u << 3,
  // Characters that XML 1.0 does not allow (U+0000-U+001F other than TAB, LF
  // and CR, and U+FFFE, U+FFFF) dropped: no reference can carry them and one
  // of them makes the whole file unreadable. An unpaired surrogate becomes
  // U+FFFD, so that the text is valid in UTF-16 files too; pairs are kept.
  kXmlCharsOnly = 1u << 4,
  // A double-quoted attribute value that reads back as it was.
  kXmlAttribute = kXmlQuote | kXmlTabLf | kXmlCr,
};

void AppendXmlEscaped(std::u16string& out, std::u16string_view text, uint32_t flags);
void AppendXmlEscaped(std::u16string& out, const char16_t* text, uint32_t flags);
std::u16string XmlEscaped(const char16_t* text, uint32_t flags);

// A whole CDATA section of the text's XML characters (as kXmlCharsOnly). A
// "]]>" in the text is split across two sections ("]]" ends one, ">" starts
// the next), so the reader gets the text back. A null text gives an empty
// section.
void AppendXmlCData(std::u16string& out, const char16_t* text);
