// The in-memory form of a JSON document: a tree of CJsonValue. Containers own
// their elements and members; member names are kept in ascending UTF-16
// code-unit order. A value is never copied implicitly: CopyFrom makes a deep
// copy, and moving hands over the whole tree. A call that runs out of memory
// fails as its result says (false, null, an empty text) and leaves the value
// as it was; no exception leaves a value (a constructor then gives an empty
// value).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/win32/wintypes.h"

enum JsonKind : int32_t {
  JSON_EMPTY = 0,
  JSON_STRING = 1,
  JSON_LITERAL = 3,
  JSON_DOUBLE = 4,
  JSON_INT64 = 5,
  JSON_ARRAY = 6,
  JSON_OBJECT = 7,
};

enum JsonLiteral : int32_t { JSON_TRUE = 0, JSON_FALSE = 1, JSON_NULL = 2 };

class CJsonValue;
typedef std::vector<std::unique_ptr<CJsonValue>> CJsonArray;
typedef std::map<std::u16string, std::unique_ptr<CJsonValue>> CJsonObject;

class CJsonValue {
 public:
  CJsonValue() = default;
  explicit CJsonValue(const char16_t* s) { SetString(s); }
  explicit CJsonValue(const std::u16string& s) { SetString(s); }
  explicit CJsonValue(const char* s) { SetString(s); }
  explicit CJsonValue(int32_t v) { SetInt(v); }
  explicit CJsonValue(uint32_t v) { SetInt(static_cast<int32_t>(v)); }
  explicit CJsonValue(float v) { SetDouble(v); }
  explicit CJsonValue(double v) { SetDouble(v); }
  explicit CJsonValue(int64_t v) { SetInt64(v); }
  explicit CJsonValue(JsonKind kind);
  ~CJsonValue() = default;

  CJsonValue(const CJsonValue&) = delete;
  CJsonValue& operator=(const CJsonValue&) = delete;
  CJsonValue(CJsonValue&& other) noexcept;
  CJsonValue& operator=(CJsonValue&& other) noexcept;

  static void Delete(CJsonValue* value) { delete value; }

  // Setters: each drops the current payload first; all return true unless
  // memory runs out.
  bool SetString(const char16_t* s);  // null = empty text
  bool SetString(const std::u16string& s);
  bool SetString(std::u16string&& s) noexcept;
  bool SetString(const char* s);  // UTF-8 (ASCII is taken as it is)
  bool SetInt64(int64_t v);
  bool SetInt(int32_t v) { return SetInt64(v); }
  bool SetDouble(double v);
  bool SetLiteral(int32_t code);
  bool SetBool(bool b) { return SetLiteral(b ? JSON_TRUE : JSON_FALSE); }
  bool SetArray();
  bool SetObject();

  CJsonValue& operator=(int32_t v) {
    SetInt(v);
    return *this;
  }
  CJsonValue& operator=(uint32_t v) {
    SetInt(static_cast<int32_t>(v));
    return *this;
  }
  CJsonValue& operator=(float v) {
    SetDouble(v);
    return *this;
  }
  CJsonValue& operator=(double v) {
    SetDouble(v);
    return *this;
  }
  CJsonValue& operator=(const char* s) {
    SetString(s);
    return *this;
  }
  CJsonValue& operator=(const char16_t* s) {
    SetString(s);
    return *this;
  }
  CJsonValue& operator=(const std::u16string& s) {
    SetString(s);
    return *this;
  }

  // Arrays: false (nothing added, nothing adopted) when this is not an array.
  bool Append(const CJsonValue& value);  // deep copy
  bool Append(CJsonValue* value);        // adopts the pointer (on true)

  // Objects: false when this is not an object or the name is already present
  // (the existing member stays; an adopted value is then not taken).
  bool AddMember(const std::u16string& name, const CJsonValue& value);
  bool AddMember(const std::u16string& name, CJsonValue* value);
  bool AddMember(const char16_t* name, const CJsonValue& value);
  bool AddMember(const char16_t* name, CJsonValue* value);
  bool RemoveMember(const char16_t* name);
  // Null when this is not an object. A missing member is added as an empty
  // value and returned, so reading a member of an object fails only when
  // memory runs out.
  CJsonValue* GetMember(const char16_t* name);
  CJsonValue* GetMember(const char* name);  // UTF-8 name

  int32_t GetType() const { return m_kind; }
  const char16_t* GetString() const;  // null unless a string
  // The whole text with its length, U+0000 included (the reader keeps an
  // escaped one); empty unless a string.
  std::u16string_view GetStringView() const;
  int64_t GetInt64(int64_t def = 0) const;
  double GetDouble(double def = 0.0) const;
  CJsonArray* GetArray();
  const CJsonArray* GetArray() const;
  CJsonObject* GetObject();
  const CJsonObject* GetObject() const;

  // Deep copy of `other`; false (and nothing changed) when `other` is empty.
  // The line-break flag is not copied.
  bool CopyFrom(const CJsonValue& other);
  // Drops the payload; the value becomes empty.
  bool Clear();

  // When set on an array or object, the writer puts a line feed after each separator.
  void SetLineBreaks(bool on) { m_lineBreaks = on; }
  bool GetLineBreaks() const { return m_lineBreaks; }

  // The JSON text of the value. `defaultText` stands for an empty value or an
  // unknown literal; strings are escaped and quoted when `quoteStrings` is set
  // (a half of a surrogate pair without its partner as a \udXXX escape). A
  // double is written with "%.16f" (0.004285277120560583 as 0.0042852771205606),
  // except that a value other than zero that it would show as zero (below
  // 5e-17) gets the shortest text that reads back as it; one that is not
  // finite is written as null. Empty when memory runs out.
  std::u16string Stringify(const char16_t* defaultText, bool quoteStrings) const;

 private:
  // CopyFrom's deep copy; throws when memory runs out.
  bool CopyTree(const CJsonValue& other);
  void StringifyTo(std::u16string& out, const char16_t* defaultText, bool quoteStrings) const;

  int32_t m_kind = JSON_EMPTY;
  std::variant<std::monostate, std::u16string, int32_t, double, int64_t, CJsonArray, CJsonObject> m_payload;
  bool m_lineBreaks = false;
};

// Converts a zero-terminated narrow text (UTF-8; ASCII maps to itself) into at
// most size - 1 UTF-16 units, never splitting a surrogate pair, and
// terminates it. Returns the number of units written.
int AsciiToWide(char16_t* dest, const char* src, int size);

// Appends `text` to `out` escaped and wrapped in double quotes.
void JsonQuote(std::u16string& out, const std::u16string& text);
