#include "icbase/src/icutil/utils.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/win32/wstr.h"

// ---------------------------------------------------------------------------
// Memory

namespace {
std::atomic<MemFailHook> g_failHook{nullptr};

bool InjectedFailure(size_t size) {
  MemFailHook hook = g_failHook.load(std::memory_order_acquire);
  return hook && hook(size);
}
}  // namespace

void MemSetFailHook(MemFailHook hook) { g_failHook.store(hook, std::memory_order_release); }

void* MemAlloc(size_t size, bool zeroFill) {
  if (size == 0 || InjectedFailure(size)) return nullptr;
  return zeroFill ? std::calloc(1, size) : std::malloc(size);
}

void* MemRealloc(void* p, size_t size, bool zeroFill) {
  if (!p) return MemAlloc(size, zeroFill);
  if (size == 0) {
    std::free(p);
    return nullptr;
  }
  if (InjectedFailure(size)) return nullptr;
  return std::realloc(p, size);
}

void MemSetSafe(void* dst, int value, size_t n) {
  if (dst && n) std::memset(dst, value, n);
}

void MemCopySafe(void* dst, const void* src, size_t n) {
  if (dst && src && n) std::memmove(dst, src, n);
}

void MemFree(void* p) { std::free(p); }

// ---------------------------------------------------------------------------
// Numbers and lengths

int AtoiSafe(const char* text) { return StrToIntC(text); }
double AtofSafe(const char* text) { return StrToDoubleC(text); }
int WtoiSafe(const char16_t* text) { return WStrToInt(text); }
double WtofSafe(const char16_t* text) { return WStrToDouble(text); }
size_t StrLenSafe(const char* text) { return text ? std::strlen(text) : 0; }
size_t SafeWcsLen(const char16_t* text) { return WStrLen(text); }

int32_t TruncateToInt32(double d) {
  if (std::isnan(d)) return 0;
  if (d >= 2147483647.0) return INT32_MAX;
  if (d <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(d);
}

// ---------------------------------------------------------------------------
// Copies

namespace {

template <typename C>
size_t LengthOf(const C* s) {
  size_t n = 0;
  if (s)
    while (s[n]) ++n;
  return n;
}

template <typename C>
C* DupText(const C* text) {
  if (!text) return nullptr;
  size_t n = LengthOf(text);
  C* copy = static_cast<C*>(MemAlloc((n + 1) * sizeof(C), false));
  if (!copy) return nullptr;
  std::memcpy(copy, text, n * sizeof(C));
  copy[n] = 0;
  return copy;
}

// Copies at most `count` units of src to dst[at...] within capacity.
template <typename C>
bool CopyAt(C* dst, size_t capacity, size_t at, const C* src, size_t count) {
  size_t i = 0;
  bool whole = true;
  if (src) {
    for (; i < count && src[i]; ++i) {
      if (at + i + 1 >= capacity) {
        whole = false;
        break;
      }
      dst[at + i] = src[i];
    }
  }
  dst[at + i] = 0;
  return whole;
}

template <typename C>
bool CopyN(C* dst, size_t capacity, const C* src, size_t count) {
  if (!dst || capacity == 0) return false;
  return CopyAt(dst, capacity, 0, src, count);
}

template <typename C>
bool CatN(C* dst, size_t capacity, const C* src, size_t count) {
  if (!dst || capacity == 0) return false;
  size_t len = 0;
  while (len < capacity && dst[len]) ++len;
  if (len == capacity) {  // unterminated destination: terminate it, append nothing
    dst[capacity - 1] = 0;
    return false;
  }
  return CopyAt(dst, capacity, len, src, count);
}

}  // namespace

char16_t* SafeWcsDup(const char16_t* text) { return DupText(text); }
bool SafeWcsCpy(char16_t* dst, size_t capacity, const char16_t* src) { return CopyN(dst, capacity, src, SIZE_MAX); }
bool SafeWcsNCpy(char16_t* dst, size_t capacity, const char16_t* src, size_t count) {
  return CopyN(dst, capacity, src, count);
}
bool SafeWcsCat(char16_t* dst, size_t capacity, const char16_t* src) { return CatN(dst, capacity, src, SIZE_MAX); }
bool SafeWcsNCat(char16_t* dst, size_t capacity, const char16_t* src, size_t count) {
  return CatN(dst, capacity, src, count);
}
char* StrDupSafe(const char* text) { return DupText(text); }
bool StrCpySafe(char* dst, size_t capacity, const char* src) { return CopyN(dst, capacity, src, SIZE_MAX); }
bool StrNCpySafe(char* dst, size_t capacity, const char* src, size_t count) { return CopyN(dst, capacity, src, count); }

// ---------------------------------------------------------------------------
// Searches

namespace {

template <typename C>
const C* FindChar(const C* text, C c) {
  if (!text || !*text || c == 0) return nullptr;
  for (; *text; ++text)
    if (*text == c) return text;
  return nullptr;
}

template <typename C>
const C* FindCharBack(const C* text, C c, ptrdiff_t position) {
  if (!text || !*text || c == 0 || position < 0) return nullptr;
  size_t len = LengthOf(text);
  size_t i = static_cast<size_t>(position) < len ? static_cast<size_t>(position) : len - 1;
  for (;; --i) {
    if (text[i] == c) return text + i;
    if (i == 0) return nullptr;
  }
}

// Candidates are found by the first unit; the last unit and then the whole
// substring are compared. Positions with fewer than len(sub) units left are
// never looked at.
template <typename C>
const C* FindSub(const C* text, const C* sub) {
  if (!text || !*text || !sub || !*sub) return nullptr;
  size_t n = LengthOf(sub);
  size_t len = LengthOf(text);
  if (n > len) return nullptr;
  for (size_t i = 0; i + n <= len; ++i) {
    if (text[i] != sub[0] || text[i + n - 1] != sub[n - 1]) continue;
    if (std::memcmp(text + i, sub, n * sizeof(C)) == 0) return text + i;
  }
  return nullptr;
}

template <typename C>
const C* FindLastSub(const C* text, const C* sub) {
  if (!text || !*text || !sub || !*sub) return nullptr;
  size_t n = LengthOf(sub);
  size_t len = LengthOf(text);
  if (n > len) return nullptr;
  for (size_t i = len - n + 1; i-- > 0;)
    if (std::memcmp(text + i, sub, n * sizeof(C)) == 0) return text + i;
  return nullptr;
}

}  // namespace

const char16_t* WcsFindChar(const char16_t* text, char16_t c) { return FindChar(text, c); }
const char16_t* WcsFindCharBack(const char16_t* text, char16_t c, ptrdiff_t position) {
  return FindCharBack(text, c, position);
}
const char16_t* WcsFindSub(const char16_t* text, const char16_t* sub) { return FindSub(text, sub); }
const char16_t* WcsFindLastSub(const char16_t* text, const char16_t* sub) { return FindLastSub(text, sub); }
const char* StrFindChar(const char* text, char c) { return FindChar(text, c); }
const char* StrFindCharBack(const char* text, char c, ptrdiff_t position) { return FindCharBack(text, c, position); }
const char* StrFindSub(const char* text, const char* sub) { return FindSub(text, sub); }
const char* StrFindLastSub(const char* text, const char* sub) { return FindLastSub(text, sub); }

bool WcsEqual(const char16_t* a, const char16_t* b, bool ignoreCase) {
  if (!a || !b) return false;
  size_t n = LengthOf(a);
  if (n != LengthOf(b)) return false;
  for (size_t i = 0; i < n; ++i) {
    char16_t x = ignoreCase ? ToLowerAscii(a[i]) : a[i];
    char16_t y = ignoreCase ? ToLowerAscii(b[i]) : b[i];
    if (x != y) return false;
  }
  return true;
}

bool StrEqual(const char* a, const char* b) {
  if (!a || !b) return false;
  return std::strcmp(a, b) == 0;
}

const char* SkipBlanks(const char* text, int mode) {
  if (!text) return nullptr;
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  if (mode == 1) {
    while (*text && blank(*text)) ++text;
  } else {
    while (*text && !blank(*text)) ++text;
  }
  return text;
}

// ---------------------------------------------------------------------------
// Character maps

char16_t FoldAccent(char16_t c) {
  if (c < 0xC0 || c > 0xFF) return c;
  if (c <= 0xC5) return u'A';
  if (c == 0xC7) return u'C';
  if (c >= 0xC8 && c <= 0xCB) return u'E';
  if (c >= 0xCC && c <= 0xCF) return u'I';
  if (c == 0xD1) return u'N';
  if (c >= 0xD2 && c <= 0xD6) return u'O';
  if (c >= 0xD9 && c <= 0xDC) return u'U';
  if (c == 0xDD) return u'Y';
  if (c >= 0xE0 && c <= 0xE5) return u'a';
  if (c == 0xE7) return u'c';
  if (c >= 0xE8 && c <= 0xEB) return u'e';
  if (c >= 0xEC && c <= 0xEF) return u'i';
  if (c == 0xF1) return u'n';
  if (c >= 0xF2 && c <= 0xF6) return u'o';
  if (c >= 0xF9 && c <= 0xFC) return u'u';
  if (c == 0xFD || c == 0xFF) return u'y';
  return c;
}

char16_t ToLowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

char16_t CharToKeyLetter(char16_t c) {
  c = ToLowerAscii(FoldAccent(c));
  return (c >= u'a' && c <= u'z') ? c : u' ';
}

char WideToNarrowChar(char16_t c) { return static_cast<char>(static_cast<unsigned char>(FoldAccent(c) & 0xFF)); }

char16_t IdentityWChar(char16_t c) { return c; }
uint32_t WCharToUInt(char16_t c) { return c; }

std::u16string StrToWideStatic(const char* text) {
  std::u16string out;
  if (text)
    for (; *text; ++text) out.push_back(WidenByte(*text));
  return out;
}

std::u16string FoldAccentsStatic(const char16_t* text) {
  std::u16string out;
  if (text)
    for (; *text; ++text) out.push_back(FoldAccent(*text));
  return out;
}

std::string WideToNarrowStatic(const char16_t* text) {
  std::string out;
  if (text)
    for (; *text; ++text) out.push_back(WideToNarrowChar(*text));
  return out;
}
