// The one printf engine, for narrow (UTF-8) and wide (UTF-16) formats, with
// the Windows meaning of every conversion:
//   - in a wide format %s/%c take wide text/characters and %S/%C narrow ones;
//     in a narrow format the reverse; %hs/%hc are always narrow and
//     %ls/%lc/%ws/%wc always wide. Narrow text is UTF-8 (the ANSI code page
//     here) and is converted to the output's encoding;
//   - %d %i %u %o %x %X with h/hh (short/char), l (32 bits, as Windows' long),
//     ll/I64 (64 bits), I32, I/z/t/j (pointer-sized); %e %E %f %F %g %G %a %A
//     (double; L also reads a double, as long double is double on Windows);
//     %p (16 upper-case hex digits); %n writes nothing and is skipped; %%;
//   - flags - + space # 0, width and precision, '*' for both (a negative '*'
//     width means left alignment, a negative '*' precision none);
//   - '.' is the decimal point whatever the process locale;
//   - a null string argument prints as empty.
// The output is sized exactly: nothing is truncated.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

std::u16string FormatW(const char16_t* fmt, ...);
std::u16string FormatWV(const char16_t* fmt, va_list ap);
std::string FormatA(const char* fmt, ...);
std::string FormatAV(const char* fmt, va_list ap);

// snprintf-style forms for fixed buffers: write at most capacity - 1 units and
// a terminator (nothing when capacity is 0) and return the length of the whole
// formatted text, so a result >= capacity means that the text was cut.
size_t FormatBufW(char16_t* dst, size_t capacity, const char16_t* fmt, ...);
size_t FormatBufWV(char16_t* dst, size_t capacity, const char16_t* fmt, va_list ap);
size_t FormatBufA(char* dst, size_t capacity, const char* fmt, ...);
size_t FormatBufAV(char* dst, size_t capacity, const char* fmt, va_list ap);
