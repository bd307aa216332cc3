// Bottom layer of the track library: null-tolerant memory and string helpers,
// accent folding for search keys and colours. Record times are in times.h,
// the program folder and system information in sysinfo.h, the fatal
// assertion in fatal.h.
//
// Every function accepts null where a text or buffer is expected and answers
// with null, 0, an empty text or false.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/win32/utf.h"  // ConvertUTF* routines, Utf8ToUtf16, Utf16ToUtf8
#include "platform/win32/wintypes.h"

// ---------------------------------------------------------------------------
// Memory

// Null for size 0 or when the allocation fails; zero-filled when asked.
void* MemAlloc(size_t size, bool zeroFill);
// Null p: MemAlloc (size, zeroFill). Size 0: frees p and returns null.
// Otherwise re-allocates (the grown part is not zeroed); on failure p is left
// as it was and null is returned.
void* MemRealloc(void* p, size_t size, bool zeroFill);
void MemSetSafe(void* dst, int value, size_t n);
void MemCopySafe(void* dst, const void* src, size_t n);
void MemFree(void* p);

// Allocation-failure injection for tests: while a hook is installed, every
// MemAlloc / MemRealloc asks it first and fails when it returns true.
typedef bool (*MemFailHook)(size_t size);
void MemSetFailHook(MemFailHook hook);

// ---------------------------------------------------------------------------
// Numbers and lengths (0 for null)

int AtoiSafe(const char* text);
double AtofSafe(const char* text);
int WtoiSafe(const char16_t* text);
double WtofSafe(const char16_t* text);
size_t StrLenSafe(const char* text);
size_t SafeWcsLen(const char16_t* text);
// Truncated toward zero and clamped to the 32-bit range; NaN gives 0.
int32_t TruncateToInt32(double d);

// ---------------------------------------------------------------------------
// Copies. Destinations take their capacity in units (terminator included);
// the text is always terminated and never written past the capacity. The
// copies return false when the text had to be cut or the destination is
// unusable (null or capacity 0).

// Null gives null; otherwise a copy to be given back with MemFree.
char16_t* SafeWcsDup(const char16_t* text);
// A null source leaves an empty destination.
bool SafeWcsCpy(char16_t* dst, size_t capacity, const char16_t* src);
// At most `count` units of src; a null source or a count of 0 leaves an empty destination.
bool SafeWcsNCpy(char16_t* dst, size_t capacity, const char16_t* src, size_t count);
// A null source appends nothing.
bool SafeWcsCat(char16_t* dst, size_t capacity, const char16_t* src);
bool SafeWcsNCat(char16_t* dst, size_t capacity, const char16_t* src, size_t count);
char* StrDupSafe(const char* text);
bool StrCpySafe(char* dst, size_t capacity, const char* src);
bool StrNCpySafe(char* dst, size_t capacity, const char* src, size_t count);

// ---------------------------------------------------------------------------
// Searches: a pointer into the text, or null (also for null or empty inputs).

const char16_t* WcsFindChar(const char16_t* text, char16_t c);
// Last occurrence at or before `position`; a position past the end is taken
// as the last unit, a negative one finds nothing.
const char16_t* WcsFindCharBack(const char16_t* text, char16_t c, ptrdiff_t position);
const char16_t* WcsFindSub(const char16_t* text, const char16_t* sub);
const char16_t* WcsFindLastSub(const char16_t* text, const char16_t* sub);
const char* StrFindChar(const char* text, char c);
const char* StrFindCharBack(const char* text, char c, ptrdiff_t position);
const char* StrFindSub(const char* text, const char* sub);
const char* StrFindLastSub(const char* text, const char* sub);

// False for a null argument or different lengths; with ignoreCase only A-Z
// are folded to a-z.
bool WcsEqual(const char16_t* a, const char16_t* b, bool ignoreCase);
bool StrEqual(const char* a, const char* b);
// Mode 1: the first byte above the blank (or the terminator); other modes:
// the first byte at or below the blank. Bytes 0x80-0xFF count as text.
const char* SkipBlanks(const char* text, int mode);

// ---------------------------------------------------------------------------
// Character maps

// Latin-1 accented letters to their ASCII base letter; others unchanged.
char16_t FoldAccent(char16_t c);
// FoldAccent, then A-Z to a-z; a-z kept, anything else a blank.
char16_t CharToKeyLetter(char16_t c);
char16_t ToLowerAscii(char16_t c);
// FoldAccent, then the low 8 bits.
char WideToNarrowChar(char16_t c);
char16_t IdentityWChar(char16_t c);
uint32_t WCharToUInt(char16_t c);
// Each byte zero-extended (0xE9 becomes U+00E9).
inline char16_t WidenByte(char c) { return static_cast<char16_t>(static_cast<unsigned char>(c)); }

// Whole-text converters; the result belongs to the caller. Null or empty
// input gives an empty text.
std::u16string StrToWideStatic(const char* text);
std::u16string FoldAccentsStatic(const char16_t* text);
std::string WideToNarrowStatic(const char16_t* text);

// ---------------------------------------------------------------------------
// Colours

inline uint32_t PackColor(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
  return uint32_t(b0) | (uint32_t(b1) << 8) | (uint32_t(b2) << 16) | (uint32_t(b3) << 24);
}
inline uint32_t ColorShift16(uint32_t c) { return c >> 16; }
inline uint32_t ColorShift8(uint32_t c) { return c >> 8; }
inline uint8_t ByteOf(uint32_t c) { return static_cast<uint8_t>(c & 0xFF); }
