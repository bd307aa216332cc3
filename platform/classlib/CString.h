// The class library's wide string: UTF-16 text (char16_t) with value
// semantics. Indexes and counts are UTF-16 units; out-of-range arguments are
// clamped as the class library does, never trusted.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/win32/wintypes.h"

class CString {
 public:
  // Looks a string up in the UI layer's string table; false when `id` is unknown.
  using LoadStringHook = bool (*)(UINT id, std::u16string& out);

  CString() = default;
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  CString(const char16_t* s);              // null gives an empty string
  CString(const char16_t* s, int length);  // at most `length` units (stops at none)
  CString(const char* utf8);               // narrow text is UTF-8 here
  CString(char16_t ch, int repeat = 1);
  CString(const std::u16string& s) : m_s(s) {}
  CString(std::u16string&& s) noexcept : m_s(std::move(s)) {}
  ~CString() = default;

  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(const char16_t* s);
  CString& operator=(const char* utf8);
  CString& operator=(char16_t ch);

  CString& operator+=(const CString& s);
  CString& operator+=(const char16_t* s);
  CString& operator+=(const char* utf8);
  CString& operator+=(char16_t ch);

  // Access.
  operator const char16_t*() const { return m_s.c_str(); }
  const char16_t* GetString() const { return m_s.c_str(); }
  const std::u16string& Str() const { return m_s; }
  int GetLength() const { return static_cast<int>(m_s.size()); }
  bool IsEmpty() const { return m_s.empty(); }
  void Empty() { m_s.clear(); }
  // Index outside the text: GetAt and operator[] give 0, SetAt does nothing.
  char16_t GetAt(int index) const;
  char16_t operator[](int index) const { return GetAt(index); }
  void SetAt(int index, char16_t ch);

  // Direct buffer access: room for at least `minLength` units plus a
  // terminator. After writing, ReleaseBuffer(len) sets the length (-1: up to
  // the first 0 unit within the buffer).
  char16_t* GetBuffer(int minLength = 0);
  char16_t* GetBufferSetLength(int length);
  void ReleaseBuffer(int newLength = -1);
  void ReleaseBufferSetLength(int newLength) { ReleaseBuffer(newLength); }
  void Preallocate(int length);
  void FreeExtra() { m_s.shrink_to_fit(); }

  // Formatting through the one printf engine (Windows meanings, '.' decimal point).
  void Format(const char16_t* fmt, ...);
  void FormatV(const char16_t* fmt, va_list ap);
  void AppendFormat(const char16_t* fmt, ...);
  void AppendFormatV(const char16_t* fmt, va_list ap);

  void Append(const char16_t* s) { *this += s; }
  void Append(const char16_t* s, int length);
  void Append(const CString& s) { *this += s; }
  void AppendChar(char16_t ch) { m_s.push_back(ch); }

  // Substrings (clamped to the text).
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Left(int count) const;
  CString Right(int count) const;
  CString SpanIncluding(const char16_t* charSet) const;
  CString SpanExcluding(const char16_t* charSet) const;

  // Searches: index of the match, or -1.
  int Find(char16_t ch, int start = 0) const;
  int Find(const char16_t* sub, int start = 0) const;
  int ReverseFind(char16_t ch) const;
  int FindOneOf(const char16_t* charSet) const;

  // Editing; each returns what the class library returns.
  int Replace(char16_t oldCh, char16_t newCh);                    // count replaced
  int Replace(const char16_t* oldText, const char16_t* newText);  // count replaced
  int Remove(char16_t ch);                                        // count removed
  int Insert(int index, char16_t ch);                             // new length
  int Insert(int index, const char16_t* s);                       // new length
  int Delete(int index, int count = 1);                           // new length

  // Trimming: whitespace, one unit, or any unit of a set.
  CString& Trim();
  CString& Trim(char16_t ch);
  CString& Trim(const char16_t* set);
  CString& TrimLeft();
  CString& TrimLeft(char16_t ch);
  CString& TrimLeft(const char16_t* set);
  CString& TrimRight();
  CString& TrimRight(char16_t ch);
  CString& TrimRight(const char16_t* set);

  // Case mapping of ASCII, Latin-1, Greek and Cyrillic letters.
  CString& MakeLower();
  CString& MakeUpper();
  CString& MakeReverse();

  // <0, 0 or >0. CompareNoCase folds case the way MakeLower does.
  int Compare(const char16_t* s) const;
  int CompareNoCase(const char16_t* s) const;

  // Next token after `start` (runs of delimiters are skipped); when none is
  // left, returns an empty string and sets start to -1.
  CString Tokenize(const char16_t* delimiters, int& start) const;

  // Loads string `id` of the string table through the installed hook; FALSE
  // (and the string unchanged) when no table is installed or the id is unknown.
  BOOL LoadString(UINT id);
  static void SetLoadStringHook(LoadStringHook hook);

  std::string ToUtf8() const;
  static CString FromUtf8(std::string_view s);

  friend CString operator+(const CString& a, const CString& b);
  friend CString operator+(const CString& a, const char16_t* b);
  friend CString operator+(const char16_t* a, const CString& b);
  friend CString operator+(const CString& a, char16_t b);
  friend CString operator+(char16_t a, const CString& b);

  friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
  friend bool operator==(const CString& a, const char16_t* b) { return a.Compare(b) == 0; }
  friend bool operator==(const char16_t* a, const CString& b) { return b.Compare(a) == 0; }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const char16_t* b) { return !(a == b); }
  friend bool operator!=(const char16_t* a, const CString& b) { return !(a == b); }
  friend bool operator<(const CString& a, const CString& b) { return a.Compare(b.GetString()) < 0; }
  friend bool operator>(const CString& a, const CString& b) { return a.Compare(b.GetString()) > 0; }
  friend bool operator<=(const CString& a, const CString& b) { return a.Compare(b.GetString()) <= 0; }
  friend bool operator>=(const CString& a, const CString& b) { return a.Compare(b.GetString()) >= 0; }

 private:
  void trimLeftIf(bool (*pred)(char16_t, const void*), const void* ctx);
  void trimRightIf(bool (*pred)(char16_t, const void*), const void* ctx);

  std::u16string m_s;
};

template <>
struct std::hash<CString> {
  size_t operator()(const CString& s) const noexcept { return std::hash<std::u16string>()(s.Str()); }
};
