#include "platform/classlib/CString.h"

#include <algorithm>
#include <atomic>

#include "platform/win32/format.h"
#include "platform/win32/utf.h"
#include "platform/win32/wstr.h"

namespace {

std::atomic<CString::LoadStringHook> g_loadStringHook{nullptr};

inline size_t ClampIndex(int i, size_t size) {
  if (i < 0) return 0;
  return std::min(static_cast<size_t>(i), size);
}

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f'; }

char16_t ToLower(char16_t c) {
  if (c < 0x80) return WCharLowerAscii(c);
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 0x20);   // Latin-1
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 0x20);  // Greek
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 0x20);                // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
  return c;
}

char16_t ToUpper(char16_t c) {
  if (c < 0x80) return WCharUpperAscii(c);
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  return c;
}

bool PredSpace(char16_t c, const void*) { return IsSpace(c); }
bool PredChar(char16_t c, const void* ctx) { return c == *static_cast<const char16_t*>(ctx); }
bool PredSet(char16_t c, const void* ctx) {
  const auto* set = static_cast<const char16_t*>(ctx);
  return c != 0 && set && WStrChr(set, c) != nullptr;
}

}  // namespace

CString::CString(const char16_t* s) {
  if (s) m_s.assign(s);
}

CString::CString(const char16_t* s, int length) {
  if (s && length > 0) {
    size_t n = 0;
    while (n < static_cast<size_t>(length) && s[n]) ++n;
    m_s.assign(s, n);
  }
}

CString::CString(const char* utf8) {
  if (utf8) m_s = Utf8ToUtf16(utf8);
}

CString::CString(char16_t ch, int repeat) {
  if (repeat > 0 && ch != 0) m_s.assign(static_cast<size_t>(repeat), ch);
}

CString& CString::operator=(const char16_t* s) {
  if (!s)
    m_s.clear();
  else if (s >= m_s.data() && s <= m_s.data() + m_s.size())
    m_s = std::u16string(s);  // aliasing
  else
    m_s.assign(s);
  return *this;
}

CString& CString::operator=(const char* utf8) {
  m_s = utf8 ? Utf8ToUtf16(utf8) : std::u16string();
  return *this;
}

CString& CString::operator=(char16_t ch) {
  m_s.assign(ch ? 1 : 0, ch);
  return *this;
}

CString& CString::operator+=(const CString& s) {
  m_s += s.m_s;
  return *this;
}

CString& CString::operator+=(const char16_t* s) {
  if (s) m_s += std::u16string(s);  // a copy first: s may point into this string
  return *this;
}

CString& CString::operator+=(const char* utf8) {
  if (utf8) m_s += Utf8ToUtf16(utf8);
  return *this;
}

CString& CString::operator+=(char16_t ch) {
  if (ch) m_s.push_back(ch);
  return *this;
}

void CString::Append(const char16_t* s, int length) { *this += CString(s, length); }

char16_t CString::GetAt(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= m_s.size()) return 0;
  return m_s[static_cast<size_t>(index)];
}

void CString::SetAt(int index, char16_t ch) {
  if (index < 0 || static_cast<size_t>(index) >= m_s.size()) return;
  m_s[static_cast<size_t>(index)] = ch;
}

char16_t* CString::GetBuffer(int minLength) {
  if (minLength > 0 && static_cast<size_t>(minLength) > m_s.size()) m_s.resize(static_cast<size_t>(minLength));
  return m_s.data();
}

char16_t* CString::GetBufferSetLength(int length) {
  m_s.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return m_s.data();
}

void CString::ReleaseBuffer(int newLength) {
  size_t n;
  if (newLength < 0) {
    n = 0;
    while (n < m_s.size() && m_s[n]) ++n;
  } else {
    n = std::min(static_cast<size_t>(newLength), m_s.size());
  }
  m_s.resize(n);
}

void CString::Preallocate(int length) {
  if (length > 0) m_s.reserve(static_cast<size_t>(length));
}

void CString::Format(const char16_t* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  FormatV(fmt, ap);
  va_end(ap);
}

void CString::FormatV(const char16_t* fmt, va_list ap) { m_s = FormatWV(fmt, ap); }

void CString::AppendFormat(const char16_t* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  AppendFormatV(fmt, ap);
  va_end(ap);
}

void CString::AppendFormatV(const char16_t* fmt, va_list ap) { m_s += FormatWV(fmt, ap); }

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  size_t f = ClampIndex(first, m_s.size());
  size_t c = count < 0 ? 0 : static_cast<size_t>(count);
  return CString(m_s.substr(f, std::min(c, m_s.size() - f)));
}

CString CString::Left(int count) const { return Mid(0, count); }

CString CString::Right(int count) const {
  size_t c = std::min(count < 0 ? size_t(0) : static_cast<size_t>(count), m_s.size());
  return CString(m_s.substr(m_s.size() - c));
}

CString CString::SpanIncluding(const char16_t* charSet) const {
  size_t n = 0;
  while (n < m_s.size() && PredSet(m_s[n], charSet)) ++n;
  return CString(m_s.substr(0, n));
}

CString CString::SpanExcluding(const char16_t* charSet) const {
  size_t n = 0;
  while (n < m_s.size() && !PredSet(m_s[n], charSet)) ++n;
  return CString(m_s.substr(0, n));
}

int CString::Find(char16_t ch, int start) const {
  if (start < 0) start = 0;
  if (static_cast<size_t>(start) >= m_s.size()) return -1;
  size_t p = m_s.find(ch, static_cast<size_t>(start));
  return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const char16_t* sub, int start) const {
  if (!sub) return -1;
  if (start < 0) start = 0;
  if (static_cast<size_t>(start) > m_s.size()) return -1;
  size_t p = m_s.find(sub, static_cast<size_t>(start));
  return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(char16_t ch) const {
  size_t p = m_s.rfind(ch);
  return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

int CString::FindOneOf(const char16_t* charSet) const {
  for (size_t i = 0; i < m_s.size(); ++i)
    if (PredSet(m_s[i], charSet)) return static_cast<int>(i);
  return -1;
}

int CString::Replace(char16_t oldCh, char16_t newCh) {
  int n = 0;
  for (char16_t& c : m_s)
    if (c == oldCh) {
      c = newCh;
      ++n;
    }
  return n;
}

int CString::Replace(const char16_t* oldText, const char16_t* newText) {
  size_t ol = WStrLen(oldText);
  if (ol == 0) return 0;
  std::u16string from(oldText, ol);
  std::u16string to = newText ? std::u16string(newText) : std::u16string();
  std::u16string out;
  int n = 0;
  size_t pos = 0;
  for (;;) {
    size_t p = m_s.find(from, pos);
    if (p == std::u16string::npos) break;
    out.append(m_s, pos, p - pos);
    out += to;
    pos = p + ol;
    ++n;
  }
  if (n) {
    out.append(m_s, pos, std::u16string::npos);
    m_s.swap(out);
  }
  return n;
}

int CString::Remove(char16_t ch) {
  size_t before = m_s.size();
  m_s.erase(std::remove(m_s.begin(), m_s.end(), ch), m_s.end());
  return static_cast<int>(before - m_s.size());
}

int CString::Insert(int index, char16_t ch) {
  if (ch) m_s.insert(ClampIndex(index, m_s.size()), 1, ch);
  return GetLength();
}

int CString::Insert(int index, const char16_t* s) {
  if (s) m_s.insert(ClampIndex(index, m_s.size()), std::u16string(s));
  return GetLength();
}

int CString::Delete(int index, int count) {
  if (index < 0) index = 0;
  if (count > 0 && static_cast<size_t>(index) < m_s.size())
    m_s.erase(static_cast<size_t>(index), static_cast<size_t>(count));
  return GetLength();
}

void CString::trimLeftIf(bool (*pred)(char16_t, const void*), const void* ctx) {
  size_t n = 0;
  while (n < m_s.size() && pred(m_s[n], ctx)) ++n;
  m_s.erase(0, n);
}

void CString::trimRightIf(bool (*pred)(char16_t, const void*), const void* ctx) {
  size_t n = m_s.size();
  while (n > 0 && pred(m_s[n - 1], ctx)) --n;
  m_s.resize(n);
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char16_t ch) { return TrimRight(ch).TrimLeft(ch); }
CString& CString::Trim(const char16_t* set) { return TrimRight(set).TrimLeft(set); }
CString& CString::TrimLeft() {
  trimLeftIf(PredSpace, nullptr);
  return *this;
}
CString& CString::TrimLeft(char16_t ch) {
  trimLeftIf(PredChar, &ch);
  return *this;
}
CString& CString::TrimLeft(const char16_t* set) {
  trimLeftIf(PredSet, set);
  return *this;
}
CString& CString::TrimRight() {
  trimRightIf(PredSpace, nullptr);
  return *this;
}
CString& CString::TrimRight(char16_t ch) {
  trimRightIf(PredChar, &ch);
  return *this;
}
CString& CString::TrimRight(const char16_t* set) {
  trimRightIf(PredSet, set);
  return *this;
}

CString& CString::MakeLower() {
  for (char16_t& c : m_s) c = ToLower(c);
  return *this;
}

CString& CString::MakeUpper() {
  for (char16_t& c : m_s) c = ToUpper(c);
  return *this;
}

CString& CString::MakeReverse() {
  std::reverse(m_s.begin(), m_s.end());
  // Keep surrogate pairs in their order.
  for (size_t i = 0; i + 1 < m_s.size(); ++i)
    if (m_s[i] >= 0xDC00 && m_s[i] <= 0xDFFF && m_s[i + 1] >= 0xD800 && m_s[i + 1] <= 0xDBFF) {
      std::swap(m_s[i], m_s[i + 1]);
      ++i;
    }
  return *this;
}

int CString::Compare(const char16_t* s) const { return WStrCmp(m_s.c_str(), s); }

int CString::CompareNoCase(const char16_t* s) const {
  const char16_t* a = m_s.c_str();
  const char16_t* b = s ? s : u"";
  for (;; ++a, ++b) {
    char16_t ca = ToLower(*a), cb = ToLower(*b);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

CString CString::Tokenize(const char16_t* delimiters, int& start) const {
  if (start < 0 || static_cast<size_t>(start) >= m_s.size()) {
    start = -1;
    return CString();
  }
  size_t p = static_cast<size_t>(start);
  while (p < m_s.size() && PredSet(m_s[p], delimiters)) ++p;
  if (p >= m_s.size()) {
    start = -1;
    return CString();
  }
  size_t e = p;
  while (e < m_s.size() && !PredSet(m_s[e], delimiters)) ++e;
  start = static_cast<int>(e < m_s.size() ? e + 1 : e);
  return CString(m_s.substr(p, e - p));
}

BOOL CString::LoadString(UINT id) {
  LoadStringHook hook = g_loadStringHook.load();
  if (!hook) return FALSE;
  std::u16string text;
  if (!hook(id, text)) return FALSE;
  m_s.swap(text);
  return TRUE;
}

void CString::SetLoadStringHook(LoadStringHook hook) { g_loadStringHook.store(hook); }

std::string CString::ToUtf8() const { return Utf16ToUtf8(m_s); }

CString CString::FromUtf8(std::string_view s) { return CString(Utf8ToUtf16(s)); }

CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
CString operator+(const CString& a, const char16_t* b) {
  CString r(a);
  r += b;
  return r;
}
CString operator+(const char16_t* a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}
CString operator+(const CString& a, char16_t b) {
  CString r(a);
  r += b;
  return r;
}
CString operator+(char16_t a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}
