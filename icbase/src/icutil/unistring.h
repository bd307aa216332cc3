// The track library's own string type: a counted, heap-held UTF-16 string
// (UniString_C) with the small set of edit operations the exporters need;
// UniPath_C adds path building; FileName_C asks the file system about a path
// and cuts it into folder, name and extension; ProjectPathSet_C derives a
// project's folder, database and picture paths from a root.
//
// Null texts are taken as empty everywhere. Every operation copies its source
// before it lets go of its own buffer, so a string may be given parts of
// itself (s.AppendString(s), s.Assign(s.GetText() + 2)).
#pragma once

#include <cstdint>

#include "icbase/src/icutil/utils.h"
#include "platform/win32/files.h"  // PATH_SEP

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
  // not changed (the caller sets it). False (string unchanged) when memory
  // runs out.
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

// A path with the platform's separator ('/').
class UniPath_C : public UniString_C {
 public:
  UniPath_C() = default;
  UniPath_C(const char16_t* text) : UniString_C(text) {}  // NOLINT
  UniPath_C(const UniPath_C& other) = default;
  UniPath_C& operator=(const UniPath_C& other) = default;
  UniPath_C& operator=(const char16_t* text) {
    Assign(text);
    return *this;
  }

  // Appends the name and a separator; returns the text.
  const char16_t* AppendFolder(const char16_t* name);
  const char16_t* AppendPath(const char16_t* sub);
  // Mode 0 adds a separator when the last unit is not one; mode 1 removes a
  // trailing separator. An empty path and other modes are left alone.
  const char16_t* SetTrailingBackslash(int mode);
  bool FolderExists() const;
  bool FileExists() const;
};

class FileName_C {
 public:
  explicit FileName_C(const char16_t* path, char16_t separator = PATH_SEP);
  ~FileName_C();
  FileName_C(const FileName_C&) = delete;
  FileName_C& operator=(const FileName_C&) = delete;

  bool IsFolder() const;
  bool IsFile() const;
  // The size of a file in bytes; 0 when the path is missing or a folder.
  uint64_t FileSize() const;
  // Index just after the last separator (0 without one); -1 when requireFile
  // is set and the path is not a file.
  int32_t NameStart(bool requireFile) const;
  // The file name; with cutExtension cut at the first '.' that is not its
  // first unit (a.b.c gives a, .cfg stays .cfg). Empty for an empty path.
  UniString_C Title(bool cutExtension) const;
  // The folder with its trailing separator; empty when NameStart gives -1.
  UniString_C Folder(bool requireFile) const;
  const char16_t* GetPath() const { return path; }

 private:
  char16_t separator;
  char16_t* path;
};

class ProjectPathSet_C {
 public:
  // root/doc/ when withDocFolder is 1, else root/; then <name>.db and pic/ in it.
  ProjectPathSet_C(const char16_t* root, const char16_t* name, int withDocFolder);
  ProjectPathSet_C(const ProjectPathSet_C&) = default;
  ProjectPathSet_C& operator=(const ProjectPathSet_C&) = default;

  const char16_t* GetDbPath() const { return dbPath.GetText(); }
  const char16_t* GetDocFolder() const { return docFolder.GetText(); }
  const char16_t* GetName() const { return name.GetText(); }
  // The picture folder, then sub as a folder and file as the last part when given.
  UniPath_C GetPicturePath(const char16_t* sub, const char16_t* file) const;

 private:
  UniString_C name;
  UniPath_C docFolder;
  UniPath_C dbPath;
  UniPath_C picFolder;
};
