#include "platform/win32/utf.h"

#include <cstring>

namespace {

constexpr UTF32 kSurHighStart = 0xD800;
constexpr UTF32 kSurHighEnd = 0xDBFF;
constexpr UTF32 kSurLowStart = 0xDC00;
constexpr UTF32 kSurLowEnd = 0xDFFF;

inline bool IsSurrogate(UTF32 c) { return c >= kSurHighStart && c <= kSurLowEnd; }
inline bool IsHigh(UTF32 c) { return c >= kSurHighStart && c <= kSurHighEnd; }
inline bool IsLow(UTF32 c) { return c >= kSurLowStart && c <= kSurLowEnd; }

enum class DecodeStatus { ok, illegal, truncated };

struct Decoded {
  UTF32 cp;
  int len;  // units consumed: the character, or the maximal invalid subpart
  DecodeStatus st;
};

// Number of bytes a lead byte announces (0 for a byte that cannot lead).
inline int Utf8SeqLen(UTF8 b) {
  if (b < 0x80) return 1;
  if (b < 0xC2) return 0;
  if (b < 0xE0) return 2;
  if (b < 0xF0) return 3;
  if (b < 0xF5) return 4;
  return 0;
}

// Decodes one UTF-8 character by the well-formed byte ranges of the Unicode
// standard (no overlongs, no surrogates, nothing above U+10FFFF).
Decoded DecodeUtf8(const UTF8* p, const UTF8* end) {
  UTF8 b0 = p[0];
  int n = Utf8SeqLen(b0);
  if (n == 1) return {b0, 1, DecodeStatus::ok};
  if (n == 0) return {0, 1, DecodeStatus::illegal};
  UTF8 lo = 0x80, hi = 0xBF;
  if (b0 == 0xE0)
    lo = 0xA0;
  else if (b0 == 0xED)
    hi = 0x9F;
  else if (b0 == 0xF0)
    lo = 0x90;
  else if (b0 == 0xF4)
    hi = 0x8F;
  UTF32 cp = (n == 2) ? (b0 & 0x1F) : (n == 3) ? (b0 & 0x0F) : (b0 & 0x07);
  for (int i = 1; i < n; ++i) {
    if (p + i >= end) return {0, i, DecodeStatus::truncated};
    UTF8 b = p[i];
    UTF8 l = (i == 1) ? lo : 0x80, h = (i == 1) ? hi : 0xBF;
    if (b < l || b > h) return {0, i, DecodeStatus::illegal};
    cp = (cp << 6) | (b & 0x3F);
  }
  return {cp, n, DecodeStatus::ok};
}

// Bytes needed to write cp (cp already checked to be a scalar value).
inline int Utf8Len(UTF32 cp) { return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4; }

inline UTF8* WriteUtf8(UTF8* t, UTF32 cp) {
  switch (Utf8Len(cp)) {
    case 1:
      *t++ = static_cast<UTF8>(cp);
      break;
    case 2:
      *t++ = static_cast<UTF8>(0xC0 | (cp >> 6));
      *t++ = static_cast<UTF8>(0x80 | (cp & 0x3F));
      break;
    case 3:
      *t++ = static_cast<UTF8>(0xE0 | (cp >> 12));
      *t++ = static_cast<UTF8>(0x80 | ((cp >> 6) & 0x3F));
      *t++ = static_cast<UTF8>(0x80 | (cp & 0x3F));
      break;
    default:
      *t++ = static_cast<UTF8>(0xF0 | (cp >> 18));
      *t++ = static_cast<UTF8>(0x80 | ((cp >> 12) & 0x3F));
      *t++ = static_cast<UTF8>(0x80 | ((cp >> 6) & 0x3F));
      *t++ = static_cast<UTF8>(0x80 | (cp & 0x3F));
      break;
  }
  return t;
}

// Reads one code point from UTF-16. Returns the units consumed (0 = need more
// input) and sets `bad` for an unpaired surrogate.
inline int ReadUtf16(const UTF16* s, const UTF16* end, UTF32& cp, bool& bad) {
  bad = false;
  UTF32 c = s[0];
  if (IsHigh(c)) {
    if (s + 1 >= end) return 0;
    UTF32 c2 = s[1];
    if (IsLow(c2)) {
      cp = ((c - kSurHighStart) << 10) + (c2 - kSurLowStart) + 0x10000;
      return 2;
    }
    bad = true;
    cp = c;
    return 1;
  }
  if (IsLow(c)) bad = true;
  cp = c;
  return 1;
}

// As ReadUtf16, for the replacing conversions: an unpaired surrogate, also a
// high one cut off at the end, reads as U+FFFD (one unit) and sets `bad`.
inline int ReadUtf16Replacing(const UTF16* s, const UTF16* end, UTF32& cp, bool& bad) {
  int n = ReadUtf16(s, end, cp, bad);
  if (n == 0) {
    n = 1;
    bad = true;
  }
  if (bad) cp = kUniReplacementChar;
  return n;
}

// Shared driver for every converter that writes UTF-8 or UTF-16 from a code
// point. Returns false when the target has no room.
inline bool PutUtf16(UTF16*& t, UTF16* tEnd, UTF32 cp) {
  if (cp >= 0x10000) {
    if (tEnd - t < 2) return false;
    cp -= 0x10000;
    *t++ = static_cast<UTF16>((cp >> 10) + kSurHighStart);
    *t++ = static_cast<UTF16>((cp & 0x3FF) + kSurLowStart);
    return true;
  }
  if (t >= tEnd) return false;
  *t++ = static_cast<UTF16>(cp);
  return true;
}

inline bool PutUtf8(UTF8*& t, UTF8* tEnd, UTF32 cp) {
  if (tEnd - t < Utf8Len(cp)) return false;
  t = WriteUtf8(t, cp);
  return true;
}

inline bool PutUtf32(UTF32*& t, UTF32* tEnd, UTF32 cp) {
  if (t >= tEnd) return false;
  *t++ = cp;
  return true;
}

// One character read from the source: its code point and units, or what
// stops the conversion before it.
struct Step {
  UTF32 cp;
  int len;
  ConversionResult stop;  // conversionOK: go on
};

// Malformed UTF-8 stops both modes. Only a character that runs past the end
// of the input is cut short; anything else is malformed.
Step StepUtf8(const UTF8* s, const UTF8* end, ConversionFlags) {
  const Decoded d = DecodeUtf8(s, end);
  if (d.st == DecodeStatus::ok) return {d.cp, d.len, conversionOK};
  return {0, 0, d.st == DecodeStatus::truncated ? sourceExhausted : sourceIllegal};
}

// An unpaired surrogate or a value outside Unicode: a strict conversion stops
// at it, a lenient one writes U+FFFD for it.
Step Checked(UTF32 cp, int len, bool bad, ConversionFlags flags) {
  if (!bad) return {cp, len, conversionOK};
  if (flags == strictConversion) return {0, 0, sourceIllegal};
  return {kUniReplacementChar, len, conversionOK};
}

Step StepUtf16(const UTF16* s, const UTF16* end, ConversionFlags flags) {
  UTF32 cp;
  bool bad;
  const int n = ReadUtf16(s, end, cp, bad);
  if (n == 0) return {0, 0, sourceExhausted};
  return Checked(cp, n, bad, flags);
}

Step StepUtf32(const UTF32* s, const UTF32*, ConversionFlags flags) {
  return Checked(*s, 1, IsSurrogate(*s) || *s > kUniMaxLegalUtf32, flags);
}

// The loop of every range converter: reads with `read`, writes with `put`,
// and leaves both pointers where the conversion got.
template <typename S, typename T, typename Read, typename Put>
ConversionResult ConvertRange(const S** sourceStart, const S* sourceEnd, T** targetStart, T* targetEnd,
                              ConversionFlags flags, Read read, Put put) {
  ConversionResult result = conversionOK;
  const S* s = *sourceStart;
  T* t = *targetStart;
  while (s < sourceEnd) {
    const Step step = read(s, sourceEnd, flags);
    if (step.stop != conversionOK) {
      result = step.stop;
      break;
    }
    if (!put(t, targetEnd, step.cp)) {
      result = targetExhausted;
      break;
    }
    s += step.len;
  }
  *sourceStart = s;
  *targetStart = t;
  return result;
}

}  // namespace

ConversionResult ConvertUTF8toUTF16(const UTF8** sourceStart, const UTF8* sourceEnd, UTF16** targetStart,
                                    UTF16* targetEnd, ConversionFlags flags) {
  return ConvertRange(sourceStart, sourceEnd, targetStart, targetEnd, flags, StepUtf8, PutUtf16);
}

ConversionResult ConvertUTF8toUTF32(const UTF8** sourceStart, const UTF8* sourceEnd, UTF32** targetStart,
                                    UTF32* targetEnd, ConversionFlags flags) {
  return ConvertRange(sourceStart, sourceEnd, targetStart, targetEnd, flags, StepUtf8, PutUtf32);
}

ConversionResult ConvertUTF16toUTF8(const UTF16** sourceStart, const UTF16* sourceEnd, UTF8** targetStart,
                                    UTF8* targetEnd, ConversionFlags flags) {
  return ConvertRange(sourceStart, sourceEnd, targetStart, targetEnd, flags, StepUtf16, PutUtf8);
}

ConversionResult ConvertUTF16toUTF32(const UTF16** sourceStart, const UTF16* sourceEnd, UTF32** targetStart,
                                     UTF32* targetEnd, ConversionFlags flags) {
  return ConvertRange(sourceStart, sourceEnd, targetStart, targetEnd, flags, StepUtf16, PutUtf32);
}

ConversionResult ConvertUTF32toUTF8(const UTF32** sourceStart, const UTF32* sourceEnd, UTF8** targetStart,
                                    UTF8* targetEnd, ConversionFlags flags) {
  return ConvertRange(sourceStart, sourceEnd, targetStart, targetEnd, flags, StepUtf32, PutUtf8);
}

ConversionResult ConvertUTF32toUTF16(const UTF32** sourceStart, const UTF32* sourceEnd, UTF16** targetStart,
                                     UTF16* targetEnd, ConversionFlags flags) {
  return ConvertRange(sourceStart, sourceEnd, targetStart, targetEnd, flags, StepUtf32, PutUtf16);
}

bool isLegalUTF8Sequence(const UTF8* source, const UTF8* sourceEnd) {
  if (!source || source >= sourceEnd) return false;
  return DecodeUtf8(source, sourceEnd).st == DecodeStatus::ok;
}

namespace {

// Decodes all of s; `bad` counts the invalid subsequences replaced by U+FFFD.
std::u16string Utf8To16(std::string_view s, size_t& bad) {
  // A byte never yields more than one unit (a four-byte character yields a
  // pair, an invalid subsequence one U+FFFD), so the input length bounds the
  // output: it is written in place and cut to size at the end.
  std::u16string out(s.size(), u'\0');
  UTF16* t = out.data();
  bad = 0;
  const UTF8* p = reinterpret_cast<const UTF8*>(s.data());
  const UTF8* end = p + s.size();
  while (p < end) {
    if (*p < 0x80) {
      *t++ = *p++;
      continue;
    }
    Decoded d = DecodeUtf8(p, end);
    UTF32 cp = d.cp;
    if (d.st != DecodeStatus::ok) {
      cp = kUniReplacementChar;
      ++bad;
    }
    if (cp >= 0x10000) {
      UTF32 v = cp - 0x10000;
      *t++ = static_cast<UTF16>((v >> 10) + kSurHighStart);
      *t++ = static_cast<UTF16>((v & 0x3FF) + kSurLowStart);
    } else {
      *t++ = static_cast<UTF16>(cp);
    }
    p += d.len;
  }
  out.resize(static_cast<size_t>(t - out.data()));
  return out;
}

// Bytes of the UTF-8 form of s: one per unit below U+0080, two below U+0800,
// three above (an unpaired surrogate becomes U+FFFD, also three); a surrogate
// pair takes four, two less than its units count alone. Written without
// branches, so that the compiler can take several units per step.
size_t Utf8Size(std::u16string_view s) {
  size_t n = 0;
  for (const UTF16 c : s) n += 1 + (c >= 0x80) + (c >= 0x800);
  size_t pairs = 0;
  for (size_t i = 1; i < s.size(); ++i)
    pairs += static_cast<size_t>((s[i - 1] & 0xFC00) == 0xD800) & static_cast<size_t>((s[i] & 0xFC00) == 0xDC00);
  return n - 2 * pairs;
}

std::string Utf16To8(std::u16string_view s, size_t& bad) {
  std::string out(Utf8Size(s), '\0');
  UTF8* t = reinterpret_cast<UTF8*>(out.data());
  bad = 0;
  const UTF16* p = s.data();
  const UTF16* end = p + s.size();
  while (p < end) {
    if (*p < 0x80) {
      *t++ = static_cast<UTF8>(*p++);
      continue;
    }
    UTF32 cp;
    bool isBad;
    int n = ReadUtf16Replacing(p, end, cp, isBad);
    if (isBad) ++bad;
    t = WriteUtf8(t, cp);
    p += n;
  }
  return out;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view s) {
  size_t bad;
  return Utf8To16(s, bad);
}

std::string Utf16ToUtf8(std::u16string_view s) {
  size_t bad;
  return Utf16To8(s, bad);
}

std::string Utf16ToUtf8(const char16_t* s) { return s ? Utf16ToUtf8(std::u16string_view(s)) : std::string(); }

bool Utf8ToUtf16Strict(std::string_view s, std::u16string& out) {
  size_t bad;
  out = Utf8To16(s, bad);
  if (bad) out.clear();
  return bad == 0;
}

bool Utf16ToUtf8Strict(std::u16string_view s, std::string& out) {
  size_t bad;
  out = Utf16To8(s, bad);
  if (bad) out.clear();
  return bad == 0;
}

std::u32string Utf16ToUtf32(std::u16string_view s) {
  std::u32string out;
  out.reserve(s.size());
  const UTF16* p = s.data();
  const UTF16* end = p + s.size();
  while (p < end) {
    UTF32 cp;
    bool bad;
    int n = ReadUtf16Replacing(p, end, cp, bad);
    out.push_back(cp);
    p += n;
  }
  return out;
}

std::u16string Utf32ToUtf16(std::u32string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (UTF32 cp : s) {
    if (IsSurrogate(cp) || cp > kUniMaxLegalUtf32) cp = kUniReplacementChar;
    UTF16 pair[2];
    UTF16* t = pair;
    PutUtf16(t, pair + 2, cp);
    out.append(pair, t);
  }
  return out;
}

int MultiByteToWideChar(UINT, DWORD flags, LPCSTR multiByteStr, int cbMultiByte, LPWSTR wideCharStr, int cchWideChar) {
  if (!multiByteStr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 || (cchWideChar > 0 && !wideCharStr))
    return 0;
  size_t n = (cbMultiByte == -1) ? std::strlen(multiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
  size_t bad;
  std::u16string w = Utf8To16(std::string_view(multiByteStr, n), bad);
  if (bad && (flags & MB_ERR_INVALID_CHARS)) return 0;
  if (w.size() > 0x7FFFFFFF) return 0;
  int need = static_cast<int>(w.size());
  if (cchWideChar == 0) return need;
  if (need > cchWideChar) return 0;
  std::memcpy(wideCharStr, w.data(), w.size() * sizeof(char16_t));
  return need;
}

int WideCharToMultiByte(UINT, DWORD flags, LPCWSTR wideCharStr, int cchWideChar, LPSTR multiByteStr, int cbMultiByte,
                        LPCSTR, LPBOOL usedDefaultChar) {
  if (usedDefaultChar) *usedDefaultChar = FALSE;
  if (!wideCharStr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 || (cbMultiByte > 0 && !multiByteStr))
    return 0;
  size_t n = 0;
  if (cchWideChar == -1) {
    while (wideCharStr[n]) ++n;
    ++n;
  } else {
    n = static_cast<size_t>(cchWideChar);
  }
  size_t bad;
  std::string s = Utf16To8(std::u16string_view(wideCharStr, n), bad);
  if (bad && (flags & WC_ERR_INVALID_CHARS)) return 0;
  if (bad && usedDefaultChar) *usedDefaultChar = TRUE;
  if (s.size() > 0x7FFFFFFF) return 0;
  int need = static_cast<int>(s.size());
  if (cbMultiByte == 0) return need;
  if (need > cbMultiByte) return 0;
  std::memcpy(multiByteStr, s.data(), s.size());
  return need;
}
