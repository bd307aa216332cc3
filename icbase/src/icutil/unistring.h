// The track library's own string type: a counted, heap-held UTF-16 string
// (UniString_C) with the small set of edit operations the exporters need.
// The path classes built on it are in paths.h.
//
// Null texts are taken as empty everywhere. Every operation copies its source
// before it lets go of its own buffer, so a string may be given parts of
// itself (s.AppendString(s), s.Assign(s.GetText() + 2)).
#pragma once

#include <cstdint>

class UniString_C {
 public:
  UniString_C() = default;
  UniString_C(const char16_t* text);  // NOLINT: implicit, as a text type
  // Each byte is widened by zero extension (0xE9 becomes U+00E9); no length limit.
  explicit UniString_C(const char* text);
  UniString_C(const UniString_C& other);
  UniString_C(UniString_C&& other) noexcept;
  UniString_C& operator=(const UniString_C& other);  // AssignString
  UniString_C& operator=(UniString_C&& other) noexcept;
  UniString_C& operator=(const char16_t* text);  // Assign
  ~UniString_C() { Empty(); }

  // Frees the buffer; the string is empty.
  void Empty();
  void Assign(const char16_t* text);
  void AssignString(const UniString_C& other);
  // n units of p (a null p counts as empty); n = 0 leaves an empty string.
  void AssignN(const char16_t* p, int32_t n);
  // A new buffer of n + 1 units whose first unit is 0; the old text is
  // kept when `keep` is set and n is greater than the length. The length is
  // left for the caller to set, but never beyond n; a buffer that does not
  // keep the text is zero-filled. False (string unchanged) when memory runs
  // out.
  bool Reserve(int32_t n, bool keep);

  // Never null: the shared empty literal when the string is empty.
  const char16_t* GetText() const;
  int32_t GetLength() const { return length; }
  bool IsEmpty() const { return length == 0; }
  // i is clamped into the text; 0 for an empty string.
  char16_t GetAt(int32_t i) const;
  // Index of the first occurrence at or after start, or -1.
  int32_t Find(const char16_t* text, int32_t start) const;
  // Substring into out (out may be this string): a start past the end gives
  // an empty out; a negative start is 0; a count below 1, or one that runs
  // past the end, means to the end.
  void Mid(int32_t start, int32_t count, UniString_C& out) const;
  int ToInt() const;

  void AppendChar(char16_t c);  // c = 0 is ignored
  void AppendCString(const char16_t* s);
  void AppendString(const UniString_C& other);

  // printf-style wide formatting (the Windows meaning of the conversions),
  // sized exactly.
  void Format(const char16_t* fmt, ...);
  // Every non-overlapping occurrence of oldText, from the start, by newText
  // (null newText deletes).
  void Replace(const char16_t* oldText, const char16_t* newText);
  // Tokens between runs of any of the delimiter units (never empty tokens),
  // at most 4095. Returns the count and stores in `out` a null-terminated
  // array of newly allocated tokens (free with FreeSplit). An empty string or
  // an empty delimiter set gives 0 and leaves `out` untouched.
  int Split(const char16_t* delims, char16_t**& out) const;
  static void FreeSplit(char16_t**& out);
  void Trim(char16_t c);
  void TrimLeft(char16_t c);
  void TrimRight(char16_t c);
  void MakeLowerAscii();
  // Every unit through CharToKeyLetter (a-z kept, anything else a blank).
  void ToKeyLetters();
  // For HTML text: & " < > escaped, LF becomes <br />, CR dropped.
  void ToHtml();
  // Drops tags; every '>' becomes CR LF. Left as it is when there is no '>'.
  void StripTags();
  // For a JavaScript string literal: trailing LF then CR trimmed; quotes,
  // backslash, TAB, LF, CR, other control characters, U+2028/U+2029 and "</"
  // escaped.
  void EscapeJs();

  static constexpr int kMaxSplitTokens = 4095;

 protected:
  // Takes ownership of a buffer of n + 1 units holding the text and its terminator.
  void Adopt(char16_t* newBuffer, int32_t n);

  char16_t* buffer = nullptr;
  int32_t length = 0;
};
