// Long texts through the JSON reader and writer. The reader takes the plain
// characters of quoted texts, quoted names and numbers as whole runs; these
// tests pin what must not change with that: the text read, the escapes and
// line feeds inside runs, and the line and column of each error.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/utf.h"
#include "webclient/JsonReader.h"
#include "webclient/JsonValue.h"

namespace {

struct Read {
  std::unique_ptr<CJsonValue> value;
  std::string errors;  // the reader's error text, as UTF-8
};

Read ReadNarrow(const std::string& utf8) {
  JsonReader_C reader;
  Read r;
  r.value.reset(reader.Parse(utf8.data(), static_cast<int32_t>(utf8.size())));
  r.errors = Utf16ToUtf8(reader.GetErrorText());
  return r;
}

// Reads a wide text from a buffer of exactly its length, so that a read past
// its end is caught by the address sanitizer.
Read ReadExactWide(const std::u16string& text) {
  std::unique_ptr<char16_t[]> exact(new char16_t[text.size()]);
  std::copy(text.begin(), text.end(), exact.get());
  JsonReader_C reader;
  Read r;
  r.value.reset(reader.Parse(exact.get(), static_cast<int32_t>(text.size())));
  r.errors = Utf16ToUtf8(reader.GetErrorText());
  return r;
}

std::string Written(const CJsonValue* v) { return v ? Utf16ToUtf8(v->Stringify(u"<none>", true)) : "<null>"; }

// The tree read, written back, and the reader's error text are the ones given.
::testing::AssertionResult Reads(const Read& r, const std::string& written, const std::string& errors) {
  if (Written(r.value.get()) == written && r.errors == errors) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "read " << Written(r.value.get()) << " with errors \"" << r.errors << "\"";
}

}  // namespace

TEST(JsonLongText, LongTextsAndNamesAreReadWhole) {
  // Runs of plain characters, non-ASCII text, escapes and the other quote
  // character, repeated into texts of some 60000 characters.
  std::string json = "{\"double \\\"quoted\\\" 'name' ";
  std::u16string doubleName = u"double \"quoted\" 'name' ";
  std::string singleName = "'single \"quoted\" \\u0027name\\u0027 ";
  std::u16string singleNameText = u"single \"quoted\" 'name' ";
  std::string value = "\"";
  std::u16string valueText;
  for (int i = 0; i < 2000; ++i) {
    json += "ab\xC3\xA9";
    doubleName += u"ab\u00E9";
    singleName += "cd\xE6\x97\xA5";
    singleNameText += u"cd\u65E5";
    value += "plain text \\\"q\\\" \\\\ 'x' \\u00e9\\n\xF0\x9F\x8F\x81/";
    valueText += u"plain text \"q\" \\ 'x' \u00E9\n\U0001F3C1/";
  }
  json +=
      "\":" + value + "\"," + singleName + "':[" + std::string(300, '0') + "42," + "1" + std::string(299, '0') + ".5]}";
  Read r = ReadNarrow(json);
  ASSERT_EQ(r.value->GetType(), JSON_OBJECT);
  EXPECT_EQ(r.errors, "");
  ASSERT_EQ(r.value->GetObject()->size(), 2u);
  const CJsonValue* text = r.value->GetMember(doubleName.c_str());
  ASSERT_NE(text->GetString(), nullptr);
  EXPECT_TRUE(text->GetString() == valueText);
  const CJsonValue* numbers = r.value->GetMember(singleNameText.c_str());
  ASSERT_NE(numbers->GetArray(), nullptr);
  ASSERT_EQ(numbers->GetArray()->size(), 2u);
  EXPECT_EQ((*numbers->GetArray())[0]->GetType(), JSON_INT64);
  EXPECT_EQ((*numbers->GetArray())[0]->GetInt64(), 42);
  EXPECT_EQ((*numbers->GetArray())[1]->GetType(), JSON_DOUBLE);
  EXPECT_EQ((*numbers->GetArray())[1]->GetDouble(), 1e299);

  // What the writer makes of it reads back to the same tree.
  const std::u16string written = r.value->Stringify(u"", true);
  JsonReader_C again;
  std::unique_ptr<CJsonValue> back(again.Parse(written.c_str(), static_cast<int32_t>(written.size())));
  EXPECT_TRUE(again.GetErrors().empty());
  EXPECT_TRUE(back->Stringify(u"", true) == written);
}

TEST(JsonLongText, ErrorsAfterLineFeedsInsideTextsKeepTheirLineAndColumn) {
  // A raw line feed inside a text moves the line like any other.
  EXPECT_TRUE(Reads(ReadNarrow("[\"x\ny\nz\", 12 13]"), " [ \"x\\ny\\nz\" , 12 ] ",
                    "Error reading Array, ] expected on line 3, column 8."));

  EXPECT_TRUE(Reads(ReadNarrow("{\"a\":\"line one\nline two\" \"b\":1}"), " { \"a\" : \"line one\\nline two\" } ",
                    "Error reading Object, } expected on line 2, column 11."));

  // An unknown escape keeps its backslash; the line feed after it still counts.
  EXPECT_TRUE(Reads(ReadNarrow("[\"ab\\\ncd\", 1 2]"), " [ \"ab\\\\\\ncd\" , 1 ] ",
                    "Error reading Array, ] expected on line 2, column 8."));

  // A long first line: the column counts every character of it.
  Read r = ReadNarrow("{\"" + std::string(5000, 'k') + "\":\"" + std::string(5000, 'v') + "\" 1}");
  EXPECT_EQ(r.errors, "Error reading Object, } expected on line 1, column 10007.");
  r = ReadNarrow("[\n" + std::string(5000, '7') + " 8]");
  EXPECT_EQ(r.errors, "Error reading Array, ] expected on line 2, column 5002.");
}

TEST(JsonLongText, EscapesAndQuotesEndRunsWhereSingleReadsWould) {
  // An escaped digit or point continues a number; an unknown escape ends it.
  EXPECT_TRUE(Reads(ReadNarrow("[1\\u0032, 3\\u002e5, 7\\x]"), " [ 12 , 3.5000000000000000 , 7 ] ",
                    "Error reading Array, ] expected on line 1, column 21."));

  EXPECT_TRUE(Reads(ReadNarrow("{\"n\\u0061me\":\"v\\u0061lue\", 'it\"s':\"x\", \"q\\\"\":1}"),
                    " { \"it\\\"s\" : \"x\" , \"name\" : \"value\" , \"q\\\"\" : 1 } ", ""));

  // A cut escape inside a long text gives its backslash back and reads on.
  Read r = ReadNarrow("\"" + std::string(1000, 'a') + "\\u12G4" + std::string(1000, 'b') + "\"");
  EXPECT_EQ(Utf16ToUtf8(r.value->GetString()), std::string(1000, 'a') + "\\u12G4" + std::string(1000, 'b'));
  EXPECT_EQ(r.errors, "Invalid Unicode escape sequence on line 1, column 1005.");

  // A 0 unit inside a wide text is a character of it; a run goes over it.
  EXPECT_TRUE(Reads(ReadExactWide(std::u16string(u"[\"ab\0cd\", 1]", 12)), " [ \"ab\\u0000cd\" , 1 ] ", ""));
}

TEST(JsonLongText, LongCutTextsEndWithoutReadingPastTheirEnd) {
  Read r = ReadExactWide(u"\"" + std::u16string(3000, u'x'));
  EXPECT_EQ(Utf16ToUtf8(r.value->GetString()), std::string(3000, 'x'));
  EXPECT_EQ(r.errors, "");

  EXPECT_TRUE(Reads(ReadExactWide(u"{'" + std::u16string(3000, u'x')), " {  } ",
                    "Error reading Object, : expected after name on line 1, column 3002."));

  // Beyond any double: infinite, which JSON writes as null.
  EXPECT_TRUE(Reads(ReadExactWide(u"[" + std::u16string(3000, u'7')), " [ null ] ",
                    "Error reading Array, ] expected on line 1, column 3001."));

  r = ReadExactWide(u"{\"a\":\"" + std::u16string(3000, u'x'));
  EXPECT_EQ(r.value->GetMember("a")->GetString(), u"" + std::u16string(3000, u'x'));
  EXPECT_EQ(r.errors,
            "Error reading Object, } expected on line 1, column 3007.\n"
            "Tried to read past End of File on line 1, column 3007.");
}
