// A lenient JSON reader: accepts comments, single-quoted and unquoted member
// names and trailing commas. It never rejects a document as a whole; what it
// cannot read is recorded in an error list (code, line, column) and parsing
// goes on. Containers nested deeper than kMaxDepth are refused: the parse
// then yields an empty value. A byte-order mark that opens the text is
// skipped; an integer beyond the signed 64-bit range is read as a double.
// A U+0000 inside a text or a member name, escaped or raw, is a character of
// it: the given length, not a zero, ends the input.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "webclient/JsonValue.h"

enum JsonReadError : int32_t {
  JSON_ERR_UNICODE_ESCAPE = 0,
  JSON_ERR_PAST_END = 1,
  JSON_ERR_ARRAY_END = 2,
  JSON_ERR_UNQUOTED_NAME = 3,
  JSON_ERR_COLON = 4,
  JSON_ERR_OBJECT_END = 5,
  JSON_ERR_NO_VALUE = 6,
  JSON_ERR_LITERAL = 7,
  JSON_ERR_DUPLICATE = 8,
};

struct JsonReadErrorRec {
  int32_t line;
  int32_t column;
  int32_t code;
};

class JsonReader_C {
 public:
  static constexpr int kMaxDepth = 512;

  JsonReader_C() = default;
  JsonReader_C(const JsonReader_C&) = delete;
  JsonReader_C& operator=(const JsonReader_C&) = delete;

  // Each entry returns a new value owned by the caller holding the first
  // value of the input; what follows it is not examined. When memory runs out
  // during the parse the result is an empty value (kind 0), or null when not
  // even that can be made; no exception leaves the reader.
  CJsonValue* Parse(const char16_t* text, int32_t length);
  CJsonValue* Parse(const char* text, int32_t length);  // UTF-8
  CJsonValue* ParseNarrow(const char* text);            // UTF-8, zero-terminated
  CJsonValue* Parse(std::istream& in);                  // UTF-8 stream, read to its end

  // One line per error: message, " on line ", line, ", column ", column, ".".
  // Empty also when memory runs out.
  std::u16string GetErrorText() const;
  const std::vector<JsonReadErrorRec>& GetErrors() const { return m_errors; }

  void SetAllowUnquotedNames(bool on) { m_allowUnquoted = on; }
  void SetRejectVerticalTabEscape(bool on) { m_rejectVt = on; }

 private:
  CJsonValue* ParseText(const char16_t* text, int32_t length);
  CJsonValue* Failed();  // the result of a parse that ran out of memory
  std::u16string ErrorText() const;

  // Source
  char16_t NextChar();
  // Whether the reading has reached the end of the text: the end itself
  // reads as 0, as does a U+0000 inside it, which is a character.
  bool AtEnd() const { return m_end || m_pos >= m_length; }
  char16_t BackUp(int32_t n);
  void ReadRaw();
  void AddError(int32_t code);
  // Runs: how many characters after the current one `accept` takes (stopping
  // before a line feed and the end of the text), and moving over that many as
  // single reads would, which returns the first of them.
  int64_t RunAhead(bool (*accept)(char16_t c, char16_t quote), char16_t quote) const;
  const char16_t* TakeRun(int64_t n);

  // Scanner
  void Advance(bool skipWs, bool escapes, bool comments, bool keepCurrent = false);
  bool DecodeEscape(char16_t& result);
  bool SkipComment();

  // Parser
  // atValue: the current character is already the first one after the
  // blanks and comments before the value.
  std::unique_ptr<CJsonValue> ParseValue(int depth, bool atValue = false);
  void ParseString(CJsonValue* v);
  void ParseLiteral(CJsonValue* v);
  void ParseNumber(CJsonValue* v);
  void ParseArray(CJsonValue* v, int depth);
  void ParseObject(CJsonValue* v, int depth);
  std::u16string ReadName();

  int32_t m_column = 0;
  int32_t m_line = 1;
  bool m_end = false;
  const char16_t* m_text = nullptr;
  int64_t m_pos = -1;  // index of the character last read; -1 before the first read
  int64_t m_length = 0;
  bool m_escaped = false;
  char16_t m_raw = 0;
  char16_t m_cur = 0;
  bool m_allowUnquoted = true;
  bool m_rejectVt = false;
  bool m_tooDeep = false;
  std::vector<JsonReadErrorRec> m_errors;
};
