#include "webclient/JsonReader.h"

#include <locale.h>

#include <charconv>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <new>
#include <stdexcept>

#include "platform/win32/utf.h"

namespace {

// Beyond this many recorded errors further ones are dropped: a hostile text
// cannot make the list grow without bound.
constexpr size_t kMaxErrors = 10000;

const char16_t* const kMessages[] = {
    u"Invalid Unicode escape sequence",
    u"Tried to read past End of File",
    u"Error reading Array, ] expected",
    u"Unquoted object names not allowed",
    u"Error reading Object, : expected after name",
    u"Error reading Object, } expected",
    u"Could not find a valid Object value",
    u"Invalid unquoted string, or misspelled literal",
    u"Duplicate value name in Object",
};

bool IsWhitespace(char16_t c) {
  switch (c) {
    case 0x0009:
    case 0x000B:
    case 0x000C:
    case 0x0020:
    case 0x00A0:
    case 0x1680:
    case 0x180E:
    case 0x202F:
    case 0x205F:
    case 0x3000:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200A;
  }
}

bool IsLineTerminator(char16_t c) { return c == 0x000A || c == 0x000D || c == 0x2028 || c == 0x2029; }

// The wide space test that ends an unquoted member name.
bool IsSpaceW(char16_t c) { return IsWhitespace(c) || IsLineTerminator(c) || c == 0x0085; }

bool IsNumberChar(char16_t c) {
  return (c >= u'0' && c <= u'9') || c == u'-' || c == u'+' || c == u'.' || c == u'e' || c == u'E';
}

// Run tests for RunAhead: a character inside a quoted text that needs no
// second look (no closing quote, no escape), and a number character. A raw
// U+0000 is a character of the text like any other: the text's length, not
// a zero, tells where it ends.
bool IsPlainQuotedChar(char16_t c, char16_t quote) { return c != quote && c != u'\\'; }
bool IsNumberRunChar(char16_t c, char16_t) { return IsNumberChar(c); }

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Base-10 signed 64-bit conversion of the longest leading number; saturates
// and sets `overflow` when the number lies beyond the 64-bit range.
int64_t TextToInt64(const std::string& s, bool& overflow) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  uint64_t value = 0;
  const uint64_t limit = negative ? uint64_t(1) << 63 : (uint64_t(1) << 63) - 1;
  overflow = false;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    unsigned digit = static_cast<unsigned>(s[i] - '0');
    if (value > (limit - digit) / 10) {
      overflow = true;
      value = limit;
    } else if (!overflow) {
      value = value * 10 + digit;
    }
  }
  if (negative)
    return value == (uint64_t(1) << 63) ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(value);
  return static_cast<int64_t>(value);
}

// Text-to-double conversion of the longest leading number, '.' whatever the locale.
double TextToDouble(const std::string& s) {
  double d = 0.0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), d, std::chars_format::general);
  if (r.ec == std::errc()) return d;
  if (r.ec == std::errc::result_out_of_range) {
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (cLocale) return strtod_l(s.c_str(), nullptr, cLocale);
  }
  return 0.0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Source

char16_t JsonReader_C::NextChar() {
  if (m_pos < 0) {
    m_pos = 0;
    m_line = 1;
    m_column = 0;
    return m_length > 0 ? m_text[0] : 0;
  }
  if (m_pos < m_length && m_text[m_pos] == u'\n') {
    ++m_line;
    m_column = 0;
  }
  ++m_pos;
  ++m_column;
  if (m_pos > m_length) {
    m_pos = m_length + 1;
    m_end = true;
    return 0;
  }
  return m_pos < m_length ? m_text[m_pos] : 0;  // the end itself reads as 0, without touching memory
}

char16_t JsonReader_C::BackUp(int32_t n) {
  if (n > 0) m_end = false;
  m_pos -= n;
  m_column -= n;
  if (m_column <= 0) {
    m_column = 1;
    if (m_line > 1) --m_line;
  }
  if (m_pos < 0) {
    m_pos = -1;
    return 0;
  }
  return m_pos < m_length ? m_text[m_pos] : 0;
}

void JsonReader_C::ReadRaw() {
  if (m_end)
    AddError(JSON_ERR_PAST_END);
  else
    m_raw = NextChar();
}

void JsonReader_C::AddError(int32_t code) {
  if (m_errors.size() < kMaxErrors) m_errors.push_back({m_line, m_column, code});
}

int64_t JsonReader_C::RunAhead(bool (*accept)(char16_t c, char16_t quote), char16_t quote) const {
  // Leaving a line feed moves the line count: such a step is left to NextChar.
  if (m_end || m_pos < 0 || m_pos >= m_length || m_text[m_pos] == u'\n') return 0;
  int64_t i = m_pos + 1;
  while (i < m_length && m_text[i] != u'\n' && accept(m_text[i], quote)) ++i;
  return i - (m_pos + 1);
}

const char16_t* JsonReader_C::TakeRun(int64_t n) {
  const char16_t* run = m_text + m_pos + 1;
  m_pos += n;
  m_column += static_cast<int32_t>(n);
  m_raw = m_text[m_pos];
  m_cur = m_raw;
  m_escaped = false;
  return run;
}

// ---------------------------------------------------------------------------
// Scanner

void JsonReader_C::Advance(bool skipWs, bool escapes, bool comments, bool keepCurrent) {
  if (!keepCurrent) ReadRaw();
  m_escaped = false;
  for (;;) {
    if (m_end) break;
    if (skipWs && (IsWhitespace(m_raw) || IsLineTerminator(m_raw))) {
      ReadRaw();
      continue;
    }
    if (comments && m_raw == u'/' && SkipComment()) continue;
    if (escapes && m_raw == u'\\') {
      // A decoded escape is taken whatever its value: "\u0000" is U+0000,
      // which ends no text because it is marked escaped.
      char16_t c = 0;
      if (DecodeEscape(c)) {
        m_cur = c;
        m_escaped = true;
        return;
      }
    }
    break;
  }
  m_cur = m_raw;
}

bool JsonReader_C::DecodeEscape(char16_t& result) {
  if (m_end) return false;
  const int64_t backslash = m_pos;
  ReadRaw();
  switch (m_raw) {
    case u'"':
      result = u'"';
      return true;
    case u'/':
      result = u'/';
      return true;
    case u'\\':
      result = u'\\';
      return true;
    case u'b':
      result = 0x08;
      return true;
    case u'f':
      result = 0x0C;
      return true;
    case u'n':
      result = 0x0A;
      return true;
    case u'r':
      result = 0x0D;
      return true;
    case u't':
      result = 0x09;
      return true;
    case u'v':
      if (!m_rejectVt) {
        result = 0x0B;
        return true;
      }
      break;
    case u'u': {
      char16_t value = 0;
      for (int i = 0; i < 4; ++i) {
        ReadRaw();
        int h = m_end ? -1 : HexValue(m_raw);
        if (h < 0) {
          AddError(JSON_ERR_UNICODE_ESCAPE);
          m_raw = BackUp(static_cast<int32_t>(m_pos - backslash));
          result = u'\\';
          return true;
        }
        value = static_cast<char16_t>(value * 16 + h);
      }
      result = value;
      return true;
    }
    default:
      break;
  }
  // Unknown escape: the backslash stands for itself.
  m_raw = BackUp(static_cast<int32_t>(m_pos - backslash));
  return false;
}

bool JsonReader_C::SkipComment() {
  if (m_end) return false;
  const int64_t slash = m_pos;
  ReadRaw();
  if (m_raw == u'*' && !m_end) {
    char16_t prev = u'*';  // the opening asterisk may close the comment: "/*/"
    for (;;) {
      ReadRaw();
      if (m_end) return true;
      if (prev == u'*' && m_raw == u'/') break;
      prev = m_raw;
    }
    ReadRaw();
    return true;
  }
  if (m_raw == u'/' && !m_end) {
    while (!m_end && !IsLineTerminator(m_raw)) ReadRaw();
    while (!m_end && IsLineTerminator(m_raw)) ReadRaw();
    return true;
  }
  m_raw = BackUp(static_cast<int32_t>(m_pos - slash));
  return false;
}

// ---------------------------------------------------------------------------
// Parser

CJsonValue* JsonReader_C::Parse(const char16_t* text, int32_t length) {
  try {
    return ParseText(text, length);
  } catch (const std::exception&) {  // memory ran out
    return Failed();
  }
}

CJsonValue* JsonReader_C::Failed() {
  m_text = nullptr;
  m_length = 0;
  m_pos = -1;
  m_end = false;
  return new (std::nothrow) CJsonValue();
}

CJsonValue* JsonReader_C::ParseText(const char16_t* text, int32_t length) {
  m_text = text ? text : u"";
  m_length = text && length > 0 ? length : 0;
  // A byte-order mark that opens the text marks its encoding, not its content.
  if (m_length > 0 && m_text[0] == 0xFEFF) {
    ++m_text;
    --m_length;
  }
  m_pos = -1;
  m_end = false;
  m_raw = 0;
  m_cur = 0;
  m_escaped = false;
  m_tooDeep = false;
  std::unique_ptr<CJsonValue> value = ParseValue(0);
  if (m_tooDeep) value->Clear();
  m_text = nullptr;
  m_length = 0;
  m_pos = -1;
  return value.release();
}

CJsonValue* JsonReader_C::Parse(const char* text, int32_t length) {
  const std::string_view bytes(text ? text : "", text && length > 0 ? static_cast<size_t>(length) : 0);
  try {
    const std::u16string wide = Utf8ToUtf16(bytes);
    return ParseText(wide.c_str(), static_cast<int32_t>(wide.size()));
  } catch (const std::exception&) {  // memory ran out
    return Failed();
  }
}

CJsonValue* JsonReader_C::ParseNarrow(const char* text) {
  size_t n = text ? std::strlen(text) : 0;
  if (n > static_cast<size_t>(std::numeric_limits<int32_t>::max())) n = std::numeric_limits<int32_t>::max();
  return Parse(text, static_cast<int32_t>(n));
}

CJsonValue* JsonReader_C::Parse(std::istream& in) {
  std::string bytes;
  try {
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::exception&) {  // memory ran out
    return Failed();
  }
  if (bytes.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) bytes.clear();
  return Parse(bytes.c_str(), static_cast<int32_t>(bytes.size()));
}

std::unique_ptr<CJsonValue> JsonReader_C::ParseValue(int depth, bool atValue) {
  Advance(true, false, true, atValue);
  auto value = std::make_unique<CJsonValue>();
  const char16_t c = m_cur;
  if (c == u'"') {
    ParseString(value.get());
  } else if (c == u'[' || c == u'{') {
    if (depth >= kMaxDepth) {
      AddError(JSON_ERR_NO_VALUE);
      m_tooDeep = true;
    } else if (c == u'[') {
      ParseArray(value.get(), depth + 1);
    } else {
      ParseObject(value.get(), depth + 1);
    }
  } else if ((c >= u'0' && c <= u'9') || c == u'-') {
    ParseNumber(value.get());
  } else if (c == u't' || c == u'f' || c == u'n') {
    ParseLiteral(value.get());
  } else {
    AddError(JSON_ERR_NO_VALUE);
  }
  return value;
}

void JsonReader_C::ParseString(CJsonValue* value) {
  std::u16string text;
  for (;;) {
    // Plain characters go in as one run; Advance sees the quotes, escapes,
    // line feeds and the end.
    if (int64_t n = RunAhead(IsPlainQuotedChar, u'"')) text.append(TakeRun(n), static_cast<size_t>(n));
    Advance(false, true, false);
    if (AtEnd()) break;
    if (!m_escaped && m_cur == u'"') break;
    text.push_back(m_cur);
  }
  Advance(true, true, true);
  value->SetString(std::move(text));
}

void JsonReader_C::ParseLiteral(CJsonValue* value) {
  const char16_t first = m_cur;
  const char16_t* rest = first == u't' ? u"rue" : first == u'f' ? u"alse" : u"ull";
  for (const char16_t* p = rest; *p; ++p) {
    Advance(false, true, true);
    if (m_cur != *p) {
      AddError(JSON_ERR_LITERAL);
      return;
    }
  }
  Advance(true, false, true);
  value->SetLiteral(first == u't' ? JSON_TRUE : first == u'f' ? JSON_FALSE : JSON_NULL);
}

void JsonReader_C::ParseNumber(CJsonValue* value) {
  std::string text;
  bool isDouble = false;
  while (!m_end && IsNumberChar(m_cur)) {
    if (m_cur == u'.' || m_cur == u'e' || m_cur == u'E') isDouble = true;
    text.push_back(static_cast<char>(m_cur));
    if (int64_t n = RunAhead(IsNumberRunChar, 0)) {
      const char16_t* run = TakeRun(n);
      for (int64_t i = 0; i < n; ++i) {
        if (run[i] == u'.' || run[i] == u'e' || run[i] == u'E') isDouble = true;
        text.push_back(static_cast<char>(run[i]));
      }
    }
    Advance(false, true, false);
  }
  // An integer beyond the 64-bit range keeps its magnitude as a double;
  // readers of integers still get the saturated value from it.
  bool overflow = false;
  const int64_t integer = isDouble ? 0 : TextToInt64(text, overflow);
  if (isDouble || overflow)
    value->SetDouble(TextToDouble(text));
  else
    value->SetInt64(integer);
  Advance(true, false, true, true);
}

void JsonReader_C::ParseArray(CJsonValue* value, int depth) {
  value->SetArray();
  for (;;) {
    if (m_end) {
      Advance(true, false, true);
      return;
    }
    // A bracket where an element would start closes the array: an empty one,
    // or one with a comma after its last element, as an object allows.
    Advance(true, false, true);
    if (m_cur == u']') break;
    std::unique_ptr<CJsonValue> element = ParseValue(depth, true);
    if (m_tooDeep) return;
    if (element->GetType() == JSON_EMPTY) {
      AddError(JSON_ERR_NO_VALUE);
    } else {
      if (!value->Append(element.get())) throw std::bad_alloc();  // memory ran out: the parse fails
      element.release();                                          // the array owns it now
    }
    if (m_cur != u',') break;
  }
  if (m_cur == u']')
    Advance(true, false, true);
  else
    AddError(JSON_ERR_ARRAY_END);
}

void JsonReader_C::ParseObject(CJsonValue* value, int depth) {
  value->SetObject();
  for (;;) {
    if (m_end) return;
    Advance(true, true, true);
    if (m_cur == u'}') {
      Advance(true, false, true);
      return;
    }
    std::u16string name = ReadName();
    if (m_cur != u':') {
      AddError(JSON_ERR_COLON);
      return;
    }
    std::unique_ptr<CJsonValue> member = ParseValue(depth);
    if (m_tooDeep) return;
    if (value->GetObject()->count(name)) {
      AddError(JSON_ERR_DUPLICATE);
    } else {
      if (!value->AddMember(name, member.get())) throw std::bad_alloc();  // memory ran out: the parse fails
      member.release();                                                   // the object owns it now
    }
    if (m_cur != u',') break;
  }
  if (m_cur != u'}') AddError(JSON_ERR_OBJECT_END);
  Advance(true, false, true);
}

std::u16string JsonReader_C::ReadName() {
  std::u16string name;
  if (m_cur == u'"' || m_cur == u'\'') {
    const char16_t quote = m_cur;
    for (;;) {
      if (int64_t n = RunAhead(IsPlainQuotedChar, quote)) name.append(TakeRun(n), static_cast<size_t>(n));
      Advance(false, true, false);
      if (AtEnd()) return name;
      if (!m_escaped && m_cur == quote) break;
      name.push_back(m_cur);
    }
    Advance(true, true, true);
    return name;
  }
  if (!m_allowUnquoted) AddError(JSON_ERR_UNQUOTED_NAME);
  for (;;) {
    if (AtEnd()) return name;
    if (m_cur == u':') return name;
    if (IsSpaceW(m_cur)) {
      Advance(true, true, true);
      return name;
    }
    name.push_back(m_cur);
    Advance(false, true, false);
  }
}

std::u16string JsonReader_C::GetErrorText() const {
  try {
    return ErrorText();
  } catch (const std::exception&) {  // memory ran out
    return std::u16string();
  }
}

std::u16string JsonReader_C::ErrorText() const {
  std::u16string text;
  for (size_t i = 0; i < m_errors.size(); ++i) {
    const JsonReadErrorRec& e = m_errors[i];
    if (i) text.push_back(u'\n');
    if (e.code >= 0 && e.code <= JSON_ERR_DUPLICATE) text += kMessages[e.code];
    text += u" on line ";
    for (char ch : std::to_string(e.line)) text.push_back(static_cast<char16_t>(ch));
    text += u", column ";
    for (char ch : std::to_string(e.column)) text.push_back(static_cast<char16_t>(ch));
    text.push_back(u'.');
  }
  return text;
}
