#include "platform/win32/wstr.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

namespace {

const char16_t kEmpty[1] = {0};

inline const char16_t* OrEmpty(const char16_t* s) { return s ? s : kEmpty; }

template <typename C>
inline bool IsBlank(C c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

template <typename C>
int ToIntImpl(const C* s) {
  if (!s) return 0;
  while (IsBlank(*s)) ++s;
  bool neg = false;
  if (*s == '+' || *s == '-') {
    neg = (*s == '-');
    ++s;
  }
  int64_t v = 0;
  bool saturated = false;
  while (*s >= '0' && *s <= '9') {
    if (!saturated) {
      v = v * 10 + (*s - '0');
      if (v > int64_t(INT_MAX) + 1) saturated = true;
    }
    ++s;
  }
  if (neg) v = -v;
  if (saturated || v > INT_MAX) return neg ? INT_MIN : INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

template <typename C>
double ToDoubleImpl(const C* s) {
  if (!s) return 0.0;
  while (IsBlank(*s)) ++s;
  // Collect the ASCII characters a number can be made of; from_chars then takes
  // the longest valid prefix in the C locale.
  std::string buf;
  bool neg = false;
  if (*s == '+' || *s == '-') {
    neg = (*s == '-');
    ++s;
  }
  for (; *s; ++s) {
    auto c = static_cast<uint32_t>(static_cast<std::make_unsigned_t<C>>(*s));
    if (c >= 0x80) break;
    char ch = static_cast<char>(c);
    if ((ch >= '0' && ch <= '9') || ch == '.' || ch == 'e' || ch == 'E' || ch == '+' || ch == '-' ||
        (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'))
      buf.push_back(ch);
    else
      break;
    if (buf.size() > 400) break;
  }
  if (buf.empty() || buf[0] == '+' || buf[0] == '-') return 0.0;
  double v = 0.0;
  auto r = std::from_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // Overflow gives +-HUGE_VAL and underflow 0, as strtod does.
    bool tiny = false;
    for (size_t i = 0; i < buf.size(); ++i)
      if ((buf[i] == 'e' || buf[i] == 'E') && i + 1 < buf.size() && buf[i + 1] == '-') tiny = true;
    v = tiny ? 0.0 : HUGE_VAL;
  } else if (r.ec != std::errc()) {
    v = 0.0;
  }
  return neg ? -v : v;
}

}  // namespace

size_t WStrLen(const char16_t* s) {
  if (!s) return 0;
  const char16_t* p = s;
  while (*p) ++p;
  return static_cast<size_t>(p - s);
}

int WStrCmp(const char16_t* a, const char16_t* b) { return WStrNCmp(a, b, SIZE_MAX); }

int WStrICmp(const char16_t* a, const char16_t* b) { return WStrNICmp(a, b, SIZE_MAX); }

int WStrNCmp(const char16_t* a, const char16_t* b, size_t n) {
  a = OrEmpty(a);
  b = OrEmpty(b);
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (a[i] == 0) break;
  }
  return 0;
}

int WStrNICmp(const char16_t* a, const char16_t* b, size_t n) {
  a = OrEmpty(a);
  b = OrEmpty(b);
  for (size_t i = 0; i < n; ++i) {
    char16_t ca = WCharLowerAscii(a[i]), cb = WCharLowerAscii(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) break;
  }
  return 0;
}

bool WStrCopy(char16_t* dst, size_t capacity, const char16_t* src) {
  if (!dst || capacity == 0) return false;
  src = OrEmpty(src);
  size_t i = 0;
  for (; i + 1 < capacity && src[i]; ++i) dst[i] = src[i];
  dst[i] = 0;
  return src[i] == 0;
}

bool WStrCat(char16_t* dst, size_t capacity, const char16_t* src) {
  if (!dst || capacity == 0) return false;
  size_t n = 0;
  while (n < capacity && dst[n]) ++n;
  if (n == capacity) {  // not terminated within capacity: terminate it
    dst[capacity - 1] = 0;
    return false;
  }
  return WStrCopy(dst + n, capacity - n, src);
}

const char16_t* WStrFind(const char16_t* hay, const char16_t* needle) {
  if (!hay || !needle) return nullptr;
  size_t nl = WStrLen(needle);
  if (nl == 0) return hay;
  size_t hl = WStrLen(hay);
  if (nl > hl) return nullptr;
  for (size_t i = 0; i + nl <= hl; ++i) {
    if (hay[i] == needle[0] && WStrNCmp(hay + i, needle, nl) == 0) return hay + i;
  }
  return nullptr;
}

const char16_t* WStrChr(const char16_t* s, char16_t c) {
  if (!s) return nullptr;
  for (;; ++s) {
    if (*s == c) return s;
    if (*s == 0) return nullptr;
  }
}

const char16_t* WStrRChr(const char16_t* s, char16_t c) {
  if (!s) return nullptr;
  const char16_t* found = nullptr;
  for (;; ++s) {
    if (*s == c) found = s;
    if (*s == 0) return found;
  }
}

int WStrToInt(const char16_t* s) { return ToIntImpl(s); }
double WStrToDouble(const char16_t* s) { return ToDoubleImpl(s); }
int StrToIntC(const char* s) { return ToIntImpl(s); }
double StrToDoubleC(const char* s) { return ToDoubleImpl(s); }
