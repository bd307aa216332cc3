#include "icbase/src/icutil/unistring.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "icbase/src/icutil/utils.h"
#include "icbase/src/icutil/xmlescape.h"
#include "platform/win32/format.h"
#include "platform/win32/wstr.h"

namespace {

const char16_t kEmpty[1] = {0};

char16_t* AllocUnits(size_t n) {  // n + 1 units, the first set to 0
  if (n >= size_t(INT32_MAX)) return nullptr;
  auto* p = static_cast<char16_t*>(MemAlloc((n + 1) * sizeof(char16_t), false));
  if (p) p[0] = 0;
  return p;
}

int32_t ClampLength(size_t n) { return n > size_t(INT32_MAX - 1) ? INT32_MAX - 1 : static_cast<int32_t>(n); }

}  // namespace

// ---------------------------------------------------------------------------
// Construction and assignment

UniString_C::UniString_C(const char16_t* text) {
  if (text && *text) Assign(text);
}

UniString_C::UniString_C(const char* text) {
  if (!text || !*text) return;
  size_t n = std::strlen(text);
  char16_t* p = AllocUnits(n);
  if (!p) return;
  for (size_t i = 0; i < n; ++i) p[i] = WidenByte(text[i]);
  p[n] = 0;
  Adopt(p, static_cast<int32_t>(n));
}

UniString_C::UniString_C(const UniString_C& other) {
  if (other.length > 0) AssignN(other.buffer, other.length);
}

UniString_C::UniString_C(UniString_C&& other) noexcept : buffer(other.buffer), length(other.length) {
  other.buffer = nullptr;
  other.length = 0;
}

UniString_C& UniString_C::operator=(const UniString_C& other) {
  AssignString(other);
  return *this;
}

UniString_C& UniString_C::operator=(UniString_C&& other) noexcept {
  if (this != &other) {
    Empty();
    buffer = other.buffer;
    length = other.length;
    other.buffer = nullptr;
    other.length = 0;
  }
  return *this;
}

UniString_C& UniString_C::operator=(const char16_t* text) {
  Assign(text);
  return *this;
}

void UniString_C::Empty() {
  MemFree(buffer);
  buffer = nullptr;
  length = 0;
}

void UniString_C::Adopt(char16_t* newBuffer, int32_t n) {
  MemFree(buffer);
  buffer = newBuffer;
  length = n;
}

void UniString_C::Assign(const char16_t* text) { AssignN(text, ClampLength(WStrLen(text))); }

void UniString_C::AssignString(const UniString_C& other) {
  if (&other == this) return;
  AssignN(other.buffer, other.length);
}

void UniString_C::AssignN(const char16_t* p, int32_t n) {
  if (!p || n < 0) n = 0;
  char16_t* fresh = AllocUnits(size_t(n));
  if (!fresh) return;
  if (n > 0) std::memcpy(fresh, p, size_t(n) * sizeof(char16_t));  // p may lie in our own buffer
  fresh[n] = 0;
  Adopt(fresh, n);
}

bool UniString_C::Reserve(int32_t n, bool keep) {
  if (n < 0) n = 0;
  char16_t* fresh = AllocUnits(size_t(n));
  if (!fresh) return false;
  if (keep && n > length && length > 0) {
    std::memcpy(fresh, buffer, size_t(length) * sizeof(char16_t));
    fresh[length] = 0;
  } else {
    // The text is gone: the units the length still covers read as zeros,
    // and the length never reaches past the new buffer.
    std::memset(fresh, 0, (size_t(n) + 1) * sizeof(char16_t));
    if (length > n) length = n;
  }
  MemFree(buffer);
  buffer = fresh;
  return true;
}

// ---------------------------------------------------------------------------
// Reading

const char16_t* UniString_C::GetText() const { return (length > 0 && buffer) ? buffer : kEmpty; }

char16_t UniString_C::GetAt(int32_t i) const {
  if (length <= 0) return 0;
  if (i < 0) i = 0;
  if (i >= length) i = length - 1;
  return buffer[i];
}

int32_t UniString_C::Find(const char16_t* text, int32_t start) const {
  if (!text || length <= 0) return -1;
  if (start < 0) start = 0;
  if (start >= length) return -1;
  const char16_t* hit = WcsFindSub(buffer + start, text);
  return hit ? static_cast<int32_t>(hit - buffer) : -1;
}

void UniString_C::Mid(int32_t start, int32_t count, UniString_C& out) const {
  if (start < 0) start = 0;
  if (start >= length) {
    out.AssignN(nullptr, 0);
    return;
  }
  int32_t rest = length - start;
  if (count < 1 || count > rest) count = rest;
  out.AssignN(buffer + start, count);
}

int UniString_C::ToInt() const { return length > 0 ? WtoiSafe(buffer) : 0; }

// ---------------------------------------------------------------------------
// Appending

void UniString_C::AppendChar(char16_t c) {
  if (c == 0) return;
  char16_t* fresh = AllocUnits(size_t(length) + 1);
  if (!fresh) return;
  if (length > 0) std::memcpy(fresh, buffer, size_t(length) * sizeof(char16_t));
  fresh[length] = c;
  fresh[length + 1] = 0;
  Adopt(fresh, length + 1);
}

void UniString_C::AppendCString(const char16_t* s) {
  size_t add = WStrLen(s);
  if (add == 0) return;
  size_t total = size_t(length) + add;
  char16_t* fresh = AllocUnits(total);
  if (!fresh) return;
  if (length > 0) std::memcpy(fresh, buffer, size_t(length) * sizeof(char16_t));
  std::memcpy(fresh + length, s, add * sizeof(char16_t));  // s may lie in our own buffer
  fresh[total] = 0;
  Adopt(fresh, static_cast<int32_t>(total));
}

void UniString_C::AppendString(const UniString_C& other) {
  if (other.length <= 0) return;
  AppendCString(other.buffer);
}

// ---------------------------------------------------------------------------
// Formatting and editing

void UniString_C::Format(const char16_t* fmt, ...) {
  if (!fmt) {
    Empty();
    return;
  }
  va_list ap;
  va_start(ap, fmt);
  std::u16string text = FormatWV(fmt, ap);
  va_end(ap);
  // The text ends at its first terminator, as a C string would.
  AssignN(text.c_str(), ClampLength(WStrLen(text.c_str())));
}

void UniString_C::Replace(const char16_t* oldText, const char16_t* newText) {
  size_t oldLen = WStrLen(oldText);
  if (oldLen == 0 || length <= 0) return;
  size_t newLen = WStrLen(newText);
  std::u16string out;
  bool found = false;
  const char16_t* p = buffer;
  while (const char16_t* hit = WcsFindSub(p, oldText)) {
    found = true;
    out.append(p, size_t(hit - p));
    if (newLen) out.append(newText, newLen);
    p = hit + oldLen;
  }
  if (!found) return;
  out.append(p);
  if (out.empty())
    Empty();
  else
    AssignN(out.c_str(), ClampLength(out.size()));
}

int UniString_C::Split(const char16_t* delims, char16_t**& out) const {
  if (length <= 0 || !delims || !*delims) return 0;
  auto isDelim = [delims](char16_t c) { return WcsFindChar(delims, c) != nullptr; };
  std::vector<std::pair<int32_t, int32_t>> spans;  // start, end (inclusive)
  int32_t i = 0;
  while (i < length && spans.size() < size_t(kMaxSplitTokens)) {
    while (i < length && isDelim(buffer[i])) ++i;
    if (i >= length) break;
    int32_t start = i;
    while (i < length && !isDelim(buffer[i])) ++i;
    spans.emplace_back(start, i - 1);
  }
  auto** array = static_cast<char16_t**>(MemAlloc((spans.size() + 1) * sizeof(char16_t*), true));
  if (!array) return 0;
  for (size_t t = 0; t < spans.size(); ++t) {
    size_t n = size_t(spans[t].second - spans[t].first + 1);
    char16_t* token = AllocUnits(n);
    if (!token) {
      FreeSplit(array);
      return 0;
    }
    std::memcpy(token, buffer + spans[t].first, n * sizeof(char16_t));
    token[n] = 0;
    array[t] = token;
  }
  out = array;
  return static_cast<int>(spans.size());
}

void UniString_C::FreeSplit(char16_t**& out) {
  if (!out) return;
  for (char16_t** p = out; *p; ++p) MemFree(*p);
  MemFree(out);
  out = nullptr;
}

void UniString_C::Trim(char16_t c) {
  TrimLeft(c);
  TrimRight(c);
}

void UniString_C::TrimLeft(char16_t c) {
  if (length <= 0) return;
  int32_t i = 0;
  while (i < length && buffer[i] == c) ++i;
  if (i == 0) return;
  if (i == length)
    Empty();
  else
    AssignN(buffer + i, length - i);
}

void UniString_C::TrimRight(char16_t c) {
  if (length <= 0) return;
  int32_t n = length;
  while (n > 0 && buffer[n - 1] == c) --n;
  if (n == length) return;
  if (n == 0) {
    Empty();
    return;
  }
  buffer[n] = 0;
  length = n;
}

void UniString_C::MakeLowerAscii() {
  for (int32_t i = 0; i < length; ++i) buffer[i] = ToLowerAscii(buffer[i]);
}

void UniString_C::ToKeyLetters() {
  for (int32_t i = 0; i < length; ++i) buffer[i] = CharToKeyLetter(buffer[i]);
}

void UniString_C::ToHtml() {
  if (length <= 0) return;
  const std::u16string_view text(buffer, static_cast<size_t>(length));
  std::u16string out;
  for (size_t from = 0; from <= text.size();) {
    const size_t end = std::min(text.find_first_of(u"\r\n", from), text.size());
    AppendXmlEscaped(out, text.substr(from, end - from), kXmlQuote);
    if (end < text.size() && text[end] == u'\n') out += u"<br />";
    from = end + 1;
  }
  if (out.empty() || out == text) return;
  AssignN(out.c_str(), ClampLength(out.size()));
}

void UniString_C::StripTags() {
  if (length <= 0 || !WcsFindChar(buffer, u'>')) return;
  std::u16string out;
  bool inTag = false;
  for (int32_t i = 0; i < length; ++i) {
    char16_t c = buffer[i];
    if (c == u'<') {
      inTag = true;
    } else if (c == u'>') {
      inTag = false;
      out += u"\r\n";
    } else if (!inTag) {
      out.push_back(c);
    }
  }
  if (out.empty()) return;
  AssignN(out.c_str(), ClampLength(out.size()));
}

void UniString_C::EscapeJs() {
  TrimRight(u'\n');
  TrimRight(u'\r');
  if (length <= 0) return;
  struct Escape {
    char16_t c;
    const char16_t* text;
  };
  static constexpr Escape kEscapes[] = {{u'\t', u"\\t"}, {u'\n', u"\\n"}, {u'\r', u"\\r"},
                                        {u'"', u"\\\""}, {u'\'', u"\\'"}, {u'\\', u"\\\\"}};
  static const char16_t kHex[] = u"0123456789abcdef";
  const std::u16string_view text(buffer, static_cast<size_t>(length));
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const Escape* escape =
        std::find_if(std::begin(kEscapes), std::end(kEscapes), [c](const Escape& e) { return e.c == c; });
    if (escape != std::end(kEscapes)) {
      out += escape->text;
    } else if (c < 0x20 || c == 0x2028 || c == 0x2029) {
      out += u"\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(c >> shift) & 0xF]);
    } else if (c == u'/' && i > 0 && text[i - 1] == u'<') {
      out += u"\\/";  // keeps "</script>" from ending the page's script
    } else {
      out.push_back(c);
    }
  }
  if (out.empty() || out == text) return;
  AssignN(out.c_str(), ClampLength(out.size()));
}
