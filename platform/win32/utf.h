// The one UTF-8 <-> UTF-16 (and UTF-32) conversion module.
//
// (a) Range converters: source and target pointer ranges, both advanced in
//     place as far as the conversion got. Strict mode reports unpaired
//     surrogates and out-of-range code points as sourceIllegal; lenient mode
//     writes U+FFFD for them. Malformed UTF-8 is sourceIllegal in both modes.
// (b) Whole-string helpers.
// (c) MultiByteToWideChar / WideCharToMultiByte stand-ins: the ANSI code page
//     is UTF-8 on this platform, so every code page converts as UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win32/wintypes.h"

typedef uint8_t UTF8;
typedef char16_t UTF16;
typedef char32_t UTF32;

enum ConversionResult {
  conversionOK = 0,     // whole source converted
  sourceExhausted = 1,  // partial character at the end of the source
  targetExhausted = 2,  // no room for the next character in the target
  sourceIllegal = 3     // invalid input found (the pointer stops before it)
};

enum ConversionFlags { strictConversion = 0, lenientConversion };

constexpr UTF32 kUniReplacementChar = 0xFFFD;
constexpr UTF32 kUniMaxLegalUtf32 = 0x10FFFF;

ConversionResult ConvertUTF8toUTF16(const UTF8** sourceStart, const UTF8* sourceEnd, UTF16** targetStart,
                                    UTF16* targetEnd, ConversionFlags flags);
ConversionResult ConvertUTF16toUTF8(const UTF16** sourceStart, const UTF16* sourceEnd, UTF8** targetStart,
                                    UTF8* targetEnd, ConversionFlags flags);
ConversionResult ConvertUTF8toUTF32(const UTF8** sourceStart, const UTF8* sourceEnd, UTF32** targetStart,
                                    UTF32* targetEnd, ConversionFlags flags);
ConversionResult ConvertUTF32toUTF8(const UTF32** sourceStart, const UTF32* sourceEnd, UTF8** targetStart,
                                    UTF8* targetEnd, ConversionFlags flags);
ConversionResult ConvertUTF16toUTF32(const UTF16** sourceStart, const UTF16* sourceEnd, UTF32** targetStart,
                                     UTF32* targetEnd, ConversionFlags flags);
ConversionResult ConvertUTF32toUTF16(const UTF32** sourceStart, const UTF32* sourceEnd, UTF16** targetStart,
                                     UTF16* targetEnd, ConversionFlags flags);

// True when [source, sourceEnd) starts with one complete, well-formed UTF-8 character.
bool isLegalUTF8Sequence(const UTF8* source, const UTF8* sourceEnd);

// Replacing conversions: each maximal invalid subsequence becomes one U+FFFD;
// surrogate pairs are kept whole.
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);
// The same for a zero-terminated text; null gives an empty text.
std::string Utf16ToUtf8(const char16_t* s);
// Strict conversions: false (and `out` cleared) on any invalid input.
bool Utf8ToUtf16Strict(std::string_view s, std::u16string& out);
bool Utf16ToUtf8Strict(std::u16string_view s, std::string& out);
// UTF-16 <-> UTF-32, replacing: an unpaired surrogate, and in UTF-32 a
// surrogate or a value above U+10FFFF, becomes U+FFFD.
std::u32string Utf16ToUtf32(std::u16string_view s);
std::u16string Utf32ToUtf16(std::u32string_view s);

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_MACCP 2
#define CP_THREAD_ACP 3
#define CP_UTF8 65001
#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_ERR_INVALID_CHARS 0x00000080
#define WC_NO_BEST_FIT_CHARS 0x00000400

// Win32 meaning: a length of -1 means "zero-terminated, terminator included";
// an output capacity of 0 asks for the needed size; 0 is returned on failure
// (invalid arguments, output too small, or invalid input with the
// *_ERR_INVALID_CHARS flag). Without that flag, invalid input becomes U+FFFD.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByteStr, int cbMultiByte, LPWSTR wideCharStr,
                        int cchWideChar);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideCharStr, int cchWideChar, LPSTR multiByteStr,
                        int cbMultiByte, LPCSTR defaultChar, LPBOOL usedDefaultChar);
