// Text placed into the XML of the KML and GPX files and the XHTML map page.
//
// Characters that XML 1.0 does not allow (U+0000-U+001F other than TAB, LF
// and CR, and U+FFFE, U+FFFF) are dropped everywhere: no escaping can carry
// them and one of them makes the whole file unreadable. Surrogate pairs are
// kept and become one four-byte UTF-8 sequence when the file is saved; an
// unpaired surrogate becomes U+FFFD, so that the text is valid in UTF-16 files
// too. A null text appends nothing.
#pragma once

#include <string>

// Element content: & < > as entities.
void AppendXmlText(std::u16string& out, const char16_t* text);
// A double-quoted attribute value: & < > " as entities, and TAB, LF and CR
// as character references, which attribute normalisation would otherwise
// turn into spaces.
void AppendXmlAttr(std::u16string& out, const char16_t* text);
// A whole CDATA section. A "]]>" in the text is split across two sections
// ("]]" ends one, ">" starts the next), so the reader gets the text back.
void AppendCData(std::u16string& out, const char16_t* text);
