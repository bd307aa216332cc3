#include "platform/win32/format.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/win32/utf.h"

namespace {

// va_list wrapped so that it can be passed by reference portably.
struct Args {
  va_list ap;
};

enum class Size { none, hh, h, l, ll, ptr, wide, longDouble };

struct Spec {
  bool left = false, plus = false, space = false, alt = false, zero = false;
  int width = 0;
  int precision = -1;  // -1: none given
  Size size = Size::none;
  bool forceNarrow = false;  // h on s/c
  bool forceWide = false;    // l or w on s/c
};

template <typename C>
void AppendAscii(std::basic_string<C>& out, std::string_view s) {
  for (char ch : s) out.push_back(static_cast<C>(static_cast<unsigned char>(ch)));
}

template <typename C>
void Pad(std::basic_string<C>& out, size_t n, C ch) {
  out.append(n, ch);
}

// Appends text of `n` units with the width and '-' flag of `sp`.
template <typename C>
void AppendField(std::basic_string<C>& out, const C* s, size_t n, const Spec& sp) {
  size_t w = sp.width > 0 ? static_cast<size_t>(sp.width) : 0;
  size_t fill = w > n ? w - n : 0;
  if (!sp.left) Pad(out, fill, C(' '));
  out.append(s, n);
  if (sp.left) Pad(out, fill, C(' '));
}

// Appends a number made of a prefix (sign, 0x) and a body, padded to the width:
// zeros go between prefix and body when `zeroPad` is set.
template <typename C>
void AppendNumber(std::basic_string<C>& out, std::string_view prefix, std::string_view body, const Spec& sp,
                  bool zeroPad) {
  size_t n = prefix.size() + body.size();
  size_t w = sp.width > 0 ? static_cast<size_t>(sp.width) : 0;
  size_t fill = w > n ? w - n : 0;
  if (sp.left) {
    AppendAscii(out, prefix);
    AppendAscii(out, body);
    Pad(out, fill, C(' '));
  } else if (zeroPad) {
    AppendAscii(out, prefix);
    Pad(out, fill, C('0'));
    AppendAscii(out, body);
  } else {
    Pad(out, fill, C(' '));
    AppendAscii(out, prefix);
    AppendAscii(out, body);
  }
}

int64_t ReadSigned(Args& a, Size size) {
  switch (size) {
    case Size::ll:
      return static_cast<int64_t>(va_arg(a.ap, long long));
    case Size::ptr:
      return static_cast<int64_t>(va_arg(a.ap, intptr_t));
    case Size::hh:
      return static_cast<signed char>(va_arg(a.ap, int));
    case Size::h:
      return static_cast<short>(va_arg(a.ap, int));
    default:  // none, l (32 bits as on Windows)
      return va_arg(a.ap, int);
  }
}

uint64_t ReadUnsigned(Args& a, Size size) {
  switch (size) {
    case Size::ll:
      return static_cast<uint64_t>(va_arg(a.ap, unsigned long long));
    case Size::ptr:
      return static_cast<uint64_t>(va_arg(a.ap, uintptr_t));
    case Size::hh:
      return static_cast<unsigned char>(va_arg(a.ap, unsigned int));
    case Size::h:
      return static_cast<unsigned short>(va_arg(a.ap, unsigned int));
    default:
      return va_arg(a.ap, unsigned int);
  }
}

template <typename C>
void FormatInteger(std::basic_string<C>& out, C conv, const Spec& sp, Args& a) {
  bool isSigned = (conv == C('d') || conv == C('i'));
  bool neg = false;
  uint64_t mag;
  if (isSigned) {
    int64_t v = ReadSigned(a, sp.size);
    neg = v < 0;
    mag = neg ? (0 - static_cast<uint64_t>(v)) : static_cast<uint64_t>(v);
  } else {
    mag = ReadUnsigned(a, sp.size);
  }
  unsigned base = 10;
  const char* digits = "0123456789abcdef";
  if (conv == C('o')) base = 8;
  if (conv == C('x')) base = 16;
  if (conv == C('X')) {
    base = 16;
    digits = "0123456789ABCDEF";
  }
  char tmp[24];
  int n = 0;
  for (uint64_t v = mag; v != 0; v /= base) tmp[n++] = digits[v % base];
  std::string body;
  size_t minDigits = sp.precision >= 0 ? static_cast<size_t>(sp.precision) : 1;
  if (static_cast<size_t>(n) < minDigits) body.assign(minDigits - n, '0');
  for (int i = n - 1; i >= 0; --i) body.push_back(tmp[i]);
  if (base == 8 && sp.alt && (body.empty() || body[0] != '0')) body.insert(body.begin(), '0');
  std::string prefix;
  if (isSigned) {
    if (neg)
      prefix = "-";
    else if (sp.plus)
      prefix = "+";
    else if (sp.space)
      prefix = " ";
  }
  if (base == 16 && sp.alt && mag != 0) prefix += (conv == C('X')) ? "0X" : "0x";
  AppendNumber(out, prefix, body, sp, sp.zero && !sp.left && sp.precision < 0);
}

std::string ToCharsFixed(double v, int prec) {
  std::vector<char> buf(static_cast<size_t>(prec) + 400);
  auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, prec);
  return std::string(buf.data(), r.ptr);
}

std::string ToCharsSci(double v, int prec) {
  std::vector<char> buf(static_cast<size_t>(prec) + 64);
  auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::scientific, prec);
  return std::string(buf.data(), r.ptr);
}

// Removes trailing zeros of the fraction, and the point when nothing follows it
// (the %g rule without '#').
void StripFractionZeros(std::string& s) {
  size_t e = s.find_first_of("eE");
  std::string exp = e == std::string::npos ? std::string() : s.substr(e);
  std::string mant = e == std::string::npos ? s : s.substr(0, e);
  if (mant.find('.') != std::string::npos) {
    while (!mant.empty() && mant.back() == '0') mant.pop_back();
    if (!mant.empty() && mant.back() == '.') mant.pop_back();
  }
  s = mant + exp;
}

template <typename C>
void FormatFloat(std::basic_string<C>& out, C conv, const Spec& sp, Args& a) {
  double v = va_arg(a.ap, double);
  bool upper = (conv == C('E') || conv == C('F') || conv == C('G') || conv == C('A'));
  char lc = static_cast<char>(conv | 0x20);
  bool neg = std::signbit(v);
  double mag = std::fabs(v);
  std::string prefix = neg ? "-" : sp.plus ? "+" : sp.space ? " " : "";
  std::string body;
  if (std::isinf(mag) || std::isnan(mag)) {
    body = std::isinf(mag) ? "inf" : "nan";
    if (upper)
      for (char& ch : body) ch = static_cast<char>(ch - 32);
    AppendNumber(out, prefix, body, sp, false);
    return;
  }
  int prec = sp.precision >= 0 ? sp.precision : 6;
  if (lc == 'f') {
    body = ToCharsFixed(mag, prec);
    if (sp.alt && prec == 0) body += '.';
  } else if (lc == 'e') {
    body = ToCharsSci(mag, prec);
    if (sp.alt && prec == 0) body.insert(1, ".");
  } else if (lc == 'g') {
    int p = prec == 0 ? 1 : prec;
    std::string sci = ToCharsSci(mag, p - 1);
    int x = std::atoi(sci.c_str() + sci.find('e') + 1);
    if (p > x && x >= -4)
      body = ToCharsFixed(mag, p - 1 - x);
    else
      body = sci;
    if (!sp.alt)
      StripFractionZeros(body);
    else if (body.find('.') == std::string::npos) {
      size_t e = body.find('e');
      body.insert(e == std::string::npos ? body.size() : e, ".");
    }
  } else {  // 'a'
    std::vector<char> buf(static_cast<size_t>(prec) + 64);
    auto r = sp.precision >= 0 ? std::to_chars(buf.data(), buf.data() + buf.size(), mag, std::chars_format::hex, prec)
                               : std::to_chars(buf.data(), buf.data() + buf.size(), mag, std::chars_format::hex);
    body.assign(buf.data(), r.ptr);
    prefix += "0x";
  }
  if (upper)
    for (char& ch : body)
      if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
  if (upper && lc == 'a') prefix.back() = 'X';
  AppendNumber(out, prefix, body, sp, sp.zero && !sp.left);
}

// Length of a zero-terminated text, reading at most `limit` units.
template <typename T>
size_t BoundedLen(const T* s, size_t limit) {
  size_t n = 0;
  while (n < limit && s[n]) ++n;
  return n;
}

// Cut of converted text to at most `limit` units without splitting a character.
size_t CutUnits(const std::u16string& s, size_t limit) {
  if (s.size() <= limit) return s.size();
  size_t n = limit;
  if (n > 0 && s[n - 1] >= 0xD800 && s[n - 1] <= 0xDBFF) --n;
  return n;
}

size_t CutUnits(const std::string& s, size_t limit) {
  if (s.size() <= limit) return s.size();
  size_t n = limit;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return n;
}

// Narrow source bounded to `limit` bytes: drop a character cut by the bound.
size_t TrimIncompleteUtf8(const char* s, size_t n) {
  size_t back = 0;
  while (back < n && back < 4 && (static_cast<unsigned char>(s[n - 1 - back]) & 0xC0) == 0x80) ++back;
  if (back == n) return n;
  auto lead = static_cast<unsigned char>(s[n - 1 - back]);
  size_t want = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (want > back + 1 && lead >= 0xC0) return n - 1 - back;
  return n;
}

template <typename C>
void FormatString(std::basic_string<C>& out, bool argWide, const Spec& sp, Args& a) {
  size_t limit = sp.precision >= 0 ? static_cast<size_t>(sp.precision) : SIZE_MAX;
  constexpr bool outWide = sizeof(C) == 2;
  if (argWide) {
    const char16_t* s = va_arg(a.ap, const char16_t*);
    if (!s) s = u"";
    if constexpr (outWide) {
      AppendField(out, s, BoundedLen(s, limit), sp);
    } else {
      size_t n = BoundedLen(s, limit);
      std::string t = Utf16ToUtf8(std::u16string_view(s, n));
      AppendField(out, t.data(), CutUnits(t, limit), sp);
    }
  } else {
    const char* s = va_arg(a.ap, const char*);
    if (!s) s = "";
    if constexpr (!outWide) {
      AppendField(out, s, BoundedLen(s, limit), sp);
    } else {
      size_t n = BoundedLen(s, limit);
      if (limit != SIZE_MAX && n == limit) n = TrimIncompleteUtf8(s, n);
      std::u16string t = Utf8ToUtf16(std::string_view(s, n));
      AppendField(out, t.data(), CutUnits(t, limit), sp);
    }
  }
}

template <typename C>
void FormatChar(std::basic_string<C>& out, bool argWide, const Spec& sp, Args& a) {
  unsigned v = va_arg(a.ap, unsigned int);
  char32_t cp = argWide ? static_cast<char16_t>(v) : static_cast<unsigned char>(v);
  if constexpr (sizeof(C) == 2) {
    C ch = static_cast<C>(cp);
    AppendField(out, &ch, 1, sp);
  } else {
    if (cp < 0x80) {
      C ch = static_cast<C>(cp);
      AppendField(out, &ch, 1, sp);
    } else {
      std::string t = Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(cp)));
      AppendField(out, t.data(), t.size(), sp);
    }
  }
}

template <typename C>
int ReadDecimal(const C*& p) {
  int64_t v = 0;
  while (*p >= C('0') && *p <= C('9')) {
    v = v * 10 + (*p - C('0'));
    if (v > INT_MAX) v = INT_MAX;
    ++p;
  }
  return static_cast<int>(v);
}

// Flags: - + blank # 0, in any order.
template <typename C>
void ParseFlags(const C*& p, Spec& sp) {
  for (;; ++p) {
    if (*p == C('-'))
      sp.left = true;
    else if (*p == C('+'))
      sp.plus = true;
    else if (*p == C(' '))
      sp.space = true;
    else if (*p == C('#'))
      sp.alt = true;
    else if (*p == C('0'))
      sp.zero = true;
    else
      return;
  }
}

// Width and precision, decimal or '*' (taken from the arguments).
template <typename C>
void ParseWidthAndPrecision(const C*& p, Spec& sp, Args& a) {
  if (*p == C('*')) {
    int w = va_arg(a.ap, int);
    if (w < 0) {
      sp.left = true;
      w = (w == INT_MIN) ? INT_MAX : -w;
    }
    sp.width = w;
    ++p;
  } else {
    sp.width = ReadDecimal(p);
  }
  if (*p != C('.')) return;
  ++p;
  if (*p == C('*')) {
    int pr = va_arg(a.ap, int);
    sp.precision = pr < 0 ? -1 : pr;
    ++p;
  } else {
    sp.precision = ReadDecimal(p);
  }
}

// Size prefixes: h hh l ll w L I I32 I64 z t j.
template <typename C>
void ParseSize(const C*& p, Spec& sp) {
  if (*p == C('h')) {
    ++p;
    sp.forceNarrow = true;
    sp.size = Size::h;
    if (*p == C('h')) {
      sp.size = Size::hh;
      ++p;
    }
  } else if (*p == C('l')) {
    ++p;
    sp.forceWide = true;
    sp.size = Size::l;
    if (*p == C('l')) {
      sp.size = Size::ll;
      sp.forceWide = false;
      ++p;
    }
  } else if (*p == C('w')) {
    ++p;
    sp.forceWide = true;
    sp.size = Size::wide;
  } else if (*p == C('L')) {
    ++p;
    sp.size = Size::longDouble;
  } else if (*p == C('I')) {
    ++p;
    if (p[0] == C('6') && p[1] == C('4')) {
      sp.size = Size::ll;
      p += 2;
    } else if (p[0] == C('3') && p[1] == C('2')) {
      sp.size = Size::none;
      p += 2;
    } else {
      sp.size = Size::ptr;
    }
  } else if (*p == C('z') || *p == C('t') || *p == C('j')) {
    sp.size = (*p == C('j')) ? Size::ll : Size::ptr;
    ++p;
  }
}

// Everything between '%' and the conversion letter; p is left on the letter.
template <typename C>
Spec ParseSpec(const C*& p, Args& a) {
  Spec sp;
  ParseFlags(p, sp);
  ParseWidthAndPrecision(p, sp, a);
  ParseSize(p, sp);
  return sp;
}

template <typename C>
void FormatPointer(std::basic_string<C>& out, const Spec& sp, Args& a) {
  auto v = reinterpret_cast<uintptr_t>(va_arg(a.ap, void*));
  char tmp[2 * sizeof(uintptr_t) + 1];
  for (int i = static_cast<int>(2 * sizeof(uintptr_t)) - 1; i >= 0; --i, v >>= 4) tmp[i] = "0123456789ABCDEF"[v & 0xF];
  AppendNumber(out, "", std::string_view(tmp, 2 * sizeof(uintptr_t)), sp, false);
}

// Whether a %s/%S or %c/%C argument is wide: the letter's natural width for
// the output, unless a size prefix says otherwise.
template <typename C>
bool ArgIsWide(C conv, C naturalLetter, const Spec& sp) {
  constexpr bool outWide = sizeof(C) == 2;
  bool natural = (conv == naturalLetter) == outWide;
  return sp.forceNarrow ? false : sp.forceWide ? true : natural;
}

// Formats one conversion; false for an unknown letter (nothing consumed).
template <typename C>
bool FormatConversion(std::basic_string<C>& out, C conv, const Spec& sp, Args& a) {
  switch (conv) {
    case C('d'):
    case C('i'):
    case C('u'):
    case C('o'):
    case C('x'):
    case C('X'):
      FormatInteger(out, conv, sp, a);
      return true;
    case C('e'):
    case C('E'):
    case C('f'):
    case C('F'):
    case C('g'):
    case C('G'):
    case C('a'):
    case C('A'):
      FormatFloat(out, conv, sp, a);
      return true;
    case C('s'):
    case C('S'):
      FormatString(out, ArgIsWide(conv, C('s'), sp), sp, a);
      return true;
    case C('c'):
    case C('C'):
      FormatChar(out, ArgIsWide(conv, C('c'), sp), sp, a);
      return true;
    case C('p'):
      FormatPointer(out, sp, a);
      return true;
    case C('n'):
      (void)va_arg(a.ap, void*);  // never written (as on Windows by default)
      return true;
    default:
      return false;
  }
}

template <typename C>
std::basic_string<C> FormatImpl(const C* fmt, Args& a) {
  std::basic_string<C> out;
  if (!fmt) return out;
  const C* p = fmt;
  while (*p) {
    if (*p != C('%')) {
      const C* q = p;
      while (*q && *q != C('%')) ++q;
      out.append(p, static_cast<size_t>(q - p));
      p = q;
      continue;
    }
    const C* start = p++;
    if (*p == C('%')) {
      out.push_back(C('%'));
      ++p;
      continue;
    }
    Spec sp = ParseSpec(p, a);
    C conv = *p;
    if (conv == 0) {  // format ends inside a conversion: keep it as text
      out.append(start, static_cast<size_t>(p - start));
      break;
    }
    ++p;
    // An unknown conversion is printed as it stands.
    if (!FormatConversion(out, conv, sp, a)) out.append(start, static_cast<size_t>(p - start));
  }
  return out;
}

template <typename C>
size_t CopyOut(const std::basic_string<C>& s, C* dst, size_t capacity) {
  if (dst && capacity > 0) {
    size_t n = s.size() < capacity - 1 ? s.size() : capacity - 1;
    std::memcpy(dst, s.data(), n * sizeof(C));
    dst[n] = 0;
  }
  return s.size();
}

}  // namespace

std::u16string FormatWV(const char16_t* fmt, va_list ap) {
  Args a;
  va_copy(a.ap, ap);
  std::u16string s = FormatImpl(fmt, a);
  va_end(a.ap);
  return s;
}

std::string FormatAV(const char* fmt, va_list ap) {
  Args a;
  va_copy(a.ap, ap);
  std::string s = FormatImpl(fmt, a);
  va_end(a.ap);
  return s;
}

std::u16string FormatW(const char16_t* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::u16string s = FormatWV(fmt, ap);
  va_end(ap);
  return s;
}

std::string FormatA(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string s = FormatAV(fmt, ap);
  va_end(ap);
  return s;
}

size_t FormatBufWV(char16_t* dst, size_t capacity, const char16_t* fmt, va_list ap) {
  return CopyOut(FormatWV(fmt, ap), dst, capacity);
}

size_t FormatBufAV(char* dst, size_t capacity, const char* fmt, va_list ap) {
  return CopyOut(FormatAV(fmt, ap), dst, capacity);
}

size_t FormatBufW(char16_t* dst, size_t capacity, const char16_t* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  size_t n = FormatBufWV(dst, capacity, fmt, ap);
  va_end(ap);
  return n;
}

size_t FormatBufA(char* dst, size_t capacity, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  size_t n = FormatBufAV(dst, capacity, fmt, ap);
  va_end(ap);
  return n;
}
