// char16_t string primitives. Every function takes null as the empty text.
#pragma once

#include <cstddef>

// Length in UTF-16 units; 0 for null.
size_t WStrLen(const char16_t* s);
// Compare unit by unit as unsigned numbers; <0, 0 or >0.
int WStrCmp(const char16_t* a, const char16_t* b);
// As WStrCmp with A-Z folded to a-z (other units compared as they are).
int WStrICmp(const char16_t* a, const char16_t* b);
// At most n units.
int WStrNCmp(const char16_t* a, const char16_t* b, size_t n);
int WStrNICmp(const char16_t* a, const char16_t* b, size_t n);
// Copy into dst of `capacity` units (terminator included). Always terminates
// when capacity > 0; false when the text was cut (or capacity is 0).
bool WStrCopy(char16_t* dst, size_t capacity, const char16_t* src);
// Append src to the text already in dst, within `capacity`; false when cut.
bool WStrCat(char16_t* dst, size_t capacity, const char16_t* src);
// First occurrence of needle in hay; null when absent or either is null;
// an empty needle matches at the start of hay.
const char16_t* WStrFind(const char16_t* hay, const char16_t* needle);
// First / last occurrence of unit c; null when absent. c = 0 finds the terminator.
const char16_t* WStrChr(const char16_t* s, char16_t c);
const char16_t* WStrRChr(const char16_t* s, char16_t c);
// atoi / atof meaning: leading blanks, optional sign, longest valid prefix;
// 0 for null or no number. '.' is the decimal point whatever the locale.
// WStrToInt saturates at the int range.
int WStrToInt(const char16_t* s);
double WStrToDouble(const char16_t* s);
// Narrow (char) forms of the two readers with the same rules.
int StrToIntC(const char* s);
double StrToDoubleC(const char* s);
// ASCII case mapping of one unit.
inline char16_t WCharLowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }
inline char16_t WCharUpperAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }
