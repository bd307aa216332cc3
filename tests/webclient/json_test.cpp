#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/utf.h"
#include "tests/common/locale.h"
#include "webclient/JsonReader.h"
#include "webclient/JsonValue.h"

namespace {

struct Parsed {
  std::unique_ptr<CJsonValue> value;
  std::vector<JsonReadErrorRec> errors;
  std::vector<int> codes() const {
    std::vector<int> c;
    for (const auto& e : errors) c.push_back(e.code);
    return c;
  }
};

Parsed ParseText(std::string_view utf8) {
  JsonReader_C reader;
  Parsed p;
  p.value.reset(reader.Parse(utf8.data(), static_cast<int32_t>(utf8.size())));
  p.errors = reader.GetErrors();
  return p;
}

std::string Text(const CJsonValue& v, bool quote = true) { return Utf16ToUtf8(v.Stringify(u"", quote)); }

std::string Str(const CJsonValue* v) { return v && v->GetString() ? Utf16ToUtf8(v->GetString()) : "<none>"; }

}  // namespace

// --- value tree -------------------------------------------------------------

TEST(JsonValue, GetMemberAddsMissingMembersAndOnlyWorksOnObjects) {
  CJsonValue obj(JSON_OBJECT);
  CJsonValue* x = obj.GetMember(u"x");
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->GetType(), JSON_EMPTY);
  EXPECT_EQ(obj.GetObject()->size(), 1u);
  EXPECT_EQ(obj.GetMember("x"), x);

  CJsonValue arr(JSON_ARRAY), str(u"s"), empty;
  EXPECT_EQ(arr.GetMember(u"x"), nullptr);
  EXPECT_EQ(str.GetMember(u"x"), nullptr);
  EXPECT_EQ(empty.GetMember(u"x"), nullptr);

  EXPECT_TRUE(obj.AddMember(u"y", CJsonValue(int32_t(1))));
  EXPECT_FALSE(obj.AddMember(u"y", CJsonValue(int32_t(2))));
  EXPECT_EQ(obj.GetMember(u"y")->GetInt64(), 1);
  EXPECT_TRUE(obj.RemoveMember(u"y"));
  EXPECT_FALSE(obj.RemoveMember(u"y"));
  EXPECT_FALSE(arr.AddMember(u"z", CJsonValue(int32_t(1))));
  EXPECT_FALSE(obj.Append(CJsonValue(int32_t(1))));
}

TEST(JsonValue, ReadersConvertByKind) {
  EXPECT_EQ(CJsonValue("12").GetInt64(7), 7);
  EXPECT_EQ(CJsonValue(3.9).GetInt64(7), 3);
  EXPECT_EQ(CJsonValue(-3.9).GetInt64(7), -3);
  CJsonValue t, n, other;
  t.SetBool(true);
  n.SetLiteral(JSON_NULL);
  other.SetLiteral(9);
  EXPECT_EQ(t.GetInt64(7), 1);
  EXPECT_EQ(n.GetInt64(7), 0);
  EXPECT_EQ(other.GetInt64(7), 7);
  EXPECT_EQ(t.GetDouble(1.5), 1.5);
  EXPECT_EQ(CJsonValue(int64_t(1) << 40).GetDouble(), 1099511627776.0);
  // Doubles out of the integer range saturate instead of being undefined.
  EXPECT_EQ(CJsonValue(1e300).GetInt64(), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(CJsonValue(-1e300).GetInt64(), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(CJsonValue(std::nan("")).GetInt64(5), 5);
  // Both 32-bit overloads sign-extend.
  EXPECT_EQ(CJsonValue(uint32_t(0xFFFFFFFF)).GetInt64(), -1);
  EXPECT_EQ(CJsonValue(int32_t(-2)).GetInt64(), -2);
  EXPECT_EQ(CJsonValue(u"a").GetString(), std::u16string(u"a"));
  EXPECT_EQ(CJsonValue(int32_t(1)).GetString(), nullptr);
  EXPECT_EQ(Str(&*std::make_unique<CJsonValue>("caf\xC3\xA9")), "caf\xC3\xA9");
}

TEST(JsonValue, MembersAreKeptInCodeUnitOrderAndCopiesAreDeep) {
  CJsonValue obj(JSON_OBJECT);
  obj.AddMember(u"b", CJsonValue(int32_t(1)));
  obj.AddMember(u"a", CJsonValue(int32_t(2)));
  obj.AddMember(u"C", CJsonValue(int32_t(3)));
  std::string names;
  for (const auto& [name, v] : *obj.GetObject()) names += Utf16ToUtf8(name);
  EXPECT_EQ(names, "Cab");

  CJsonValue* list = new CJsonValue(JSON_ARRAY);
  list->Append(CJsonValue(int32_t(1)));
  obj.AddMember(u"list", list);
  CJsonValue copy;
  ASSERT_TRUE(copy.CopyFrom(obj));
  copy.GetMember(u"list")->Append(CJsonValue(int32_t(2)));
  copy.GetMember(u"a")->SetString(u"changed");
  EXPECT_EQ(obj.GetMember(u"list")->GetArray()->size(), 1u);
  EXPECT_EQ(obj.GetMember(u"a")->GetInt64(), 2);
  EXPECT_EQ(Text(copy), " { \"C\" : 3 , \"a\" : \"changed\" , \"b\" : 1 , \"list\" :  [ 1 , 2 ]  } ");

  // Copying an empty value fails and keeps the old contents.
  CJsonValue empty;
  EXPECT_FALSE(copy.CopyFrom(empty));
  EXPECT_EQ(copy.GetType(), JSON_OBJECT);

  // Moving hands the tree over.
  CJsonValue moved(std::move(copy));
  EXPECT_EQ(moved.GetType(), JSON_OBJECT);
  EXPECT_EQ(copy.GetType(), JSON_EMPTY);
}

TEST(JsonValue, LiftingAMemberIntoItsOwnContainerIsSafe) {
  Parsed p = ParseText(R"({"code":0,"data":{"list":[1,{"x":"y"}],"n":"v"}})");
  CJsonValue& root = *p.value;
  root = std::move(*root.GetMember(u"data"));  // frees the old tree only after taking the member out
  EXPECT_EQ(Text(root), R"( { "list" :  [ 1 ,  { "x" : "y" }  ]  , "n" : "v" } )");
  root = std::move(*(*root.GetMember(u"list")->GetArray())[1]);
  EXPECT_EQ(Text(root), R"( { "x" : "y" } )");

  CJsonValue& alias = root;
  root = std::move(alias);  // self-move keeps the value
  EXPECT_TRUE(root.CopyFrom(alias));
  EXPECT_EQ(Text(root), R"( { "x" : "y" } )");
  EXPECT_TRUE(root.CopyFrom(*root.GetMember(u"x")));
  EXPECT_EQ(Text(root), "\"y\"");
}

// --- writer -----------------------------------------------------------------

TEST(JsonWriter, UploadSummaryTextIsExact) {
  CJsonValue vals(JSON_OBJECT);
  vals.AddMember(u"track_id", CJsonValue(int32_t(17)));
  vals.AddMember(u"track_name", CJsonValue(u"Suzuka \"East\""));
  vals.AddMember(u"unit", CJsonValue(int32_t(0)));
  vals.AddMember(u"timezone", CJsonValue(int32_t(-480)));
  vals.AddMember(u"Note", CJsonValue(u"wet\tline\nlap 3"));
  vals.AddMember(u"start", CJsonValue(int32_t(1700000000)));
  vals.AddMember(u"duration", CJsonValue(1234.5));
  vals.AddMember(u"distance", CJsonValue(42.125));
  vals.AddMember(u"MaxSpd", CJsonValue(201.25));
  vals.AddMember(u"MinSpd", CJsonValue(0.0));
  vals.AddMember(u"AvgSpd", CJsonValue(122.8));
  vals.AddMember(u"MaxAlti", CJsonValue(55.0));
  vals.AddMember(u"MinAlti", CJsonValue(-3.5));
  vals.AddMember(u"AvgAlti", CJsonValue(12.5));
  vals.AddMember(u"MaxG", CJsonValue(1.75));
  vals.AddMember(u"MinG", CJsonValue(-1.25));
  vals.AddMember(u"AvgG", CJsonValue(0.5));
  vals.AddMember(u"Laps", CJsonValue(int32_t(9)));
  vals.AddMember(u"BestLap", CJsonValue(int32_t(4)));
  vals.AddMember(u"BestLapTime", CJsonValue(83.456));
  vals.AddMember(u"type", CJsonValue(u"Circuit"));
  EXPECT_EQ(Text(vals),
            " { \"AvgAlti\" : 12.5000000000000000 , \"AvgG\" : 0.5000000000000000 , "
            "\"AvgSpd\" : 122.7999999999999972 , \"BestLap\" : 4 , \"BestLapTime\" : 83.4560000000000031 , "
            "\"Laps\" : 9 , \"MaxAlti\" : 55.0000000000000000 , \"MaxG\" : 1.7500000000000000 , "
            "\"MaxSpd\" : 201.2500000000000000 , \"MinAlti\" : -3.5000000000000000 , "
            "\"MinG\" : -1.2500000000000000 , \"MinSpd\" : 0.0000000000000000 , "
            "\"Note\" : \"wet\\u0009line\\nlap 3\" , \"distance\" : 42.1250000000000000 , "
            "\"duration\" : 1234.5000000000000000 , \"start\" : 1700000000 , \"timezone\" : -480 , "
            "\"track_id\" : 17 , \"track_name\" : \"Suzuka \\\"East\\\"\" , \"type\" : \"Circuit\" , "
            "\"unit\" : 0 } ");
}

TEST(JsonWriter, NumbersStringsAndDefaults) {
  EXPECT_EQ(Text(CJsonValue(2.5)), "2.5000000000000000");
  EXPECT_EQ(Text(CJsonValue(int32_t(-7))), "-7");
  EXPECT_EQ(Text(CJsonValue(int64_t(-9223372036854775807 - 1))), "-9223372036854775808");
  // Wider than any fixed buffer: written in full.
  EXPECT_EQ(Text(CJsonValue(1e14)), "100000000000000.0000000000000000");
  EXPECT_EQ(Text(CJsonValue(-1e13)), "-10000000000000.0000000000000000");
  EXPECT_EQ(Text(CJsonValue(1e300)).size(), 301u + 17u);
  // Non-finite numbers have no JSON text.
  EXPECT_EQ(Text(CJsonValue(std::numeric_limits<double>::infinity())), "null");
  EXPECT_EQ(Text(CJsonValue(std::nan(""))), "null");

  CJsonValue quoted(u"say \"hi\"\\\r\x01\x1f");
  EXPECT_EQ(Text(quoted), "\"say \\\"hi\\\"\\\\\\r\\u0001\\u001f\"");
  EXPECT_EQ(Text(quoted, false), "say \"hi\"\\\r\x01\x1f");
  EXPECT_EQ(Text(CJsonValue("\xE6\x97\xA5\xF0\x9F\x8F\x81")), "\"\xE6\x97\xA5\xF0\x9F\x8F\x81\"");

  CJsonValue empty, odd;
  odd.SetLiteral(7);
  EXPECT_EQ(Utf16ToUtf8(empty.Stringify(u"DEF", true)), "DEF");
  EXPECT_EQ(Utf16ToUtf8(odd.Stringify(u"DEF", true)), "DEF");
  CJsonValue arr(JSON_ARRAY);
  arr.Append(CJsonValue());  // an empty element writes the container's empty default
  arr.Append(CJsonValue(JSON_OBJECT));
  EXPECT_EQ(Utf16ToUtf8(arr.Stringify(u"DEF", true)), " [  ,  {  }  ] ");
  arr.SetLineBreaks(true);
  EXPECT_EQ(Text(arr), " [  , \n {  }  ] ");
}

TEST(JsonWriter, NumbersUseAPointUnderADecimalCommaLocale) {
  CommaLocale locale;
  if (!locale.ok()) GTEST_SKIP() << "no locale with a decimal comma";
  EXPECT_EQ(Text(CJsonValue(1.5)), "1.5000000000000000");
  Parsed p = ParseText("[1.25, 3e2, -0.5]");
  ASSERT_EQ(p.value->GetType(), JSON_ARRAY);
  EXPECT_EQ((*p.value->GetArray())[0]->GetDouble(), 1.25);
  EXPECT_EQ((*p.value->GetArray())[1]->GetDouble(), 300.0);
  EXPECT_EQ((*p.value->GetArray())[2]->GetDouble(), -0.5);
}

TEST(JsonWriter, RoundTripThroughTheReader) {
  Parsed p = ParseText(
      "{\"name\":\"Fuji \\u00e9\\ud83c\\udfc1 \\\"x\\\"\",\"n\":-12,\"d\":0.1,\"big\":1e200,"
      "\"list\":[true,false,null,[],{}],\"nested\":{\"tab\":\"a\\tb\"}}");
  ASSERT_EQ(p.value->GetType(), JSON_OBJECT);
  std::u16string first = p.value->Stringify(u"", true);
  JsonReader_C reader;
  std::unique_ptr<CJsonValue> again(reader.Parse(first.c_str(), static_cast<int32_t>(first.size())));
  EXPECT_EQ(again->Stringify(u"", true), first);
  EXPECT_EQ(Str(again->GetMember("name")), "Fuji \xC3\xA9\xF0\x9F\x8F\x81 \"x\"");
  EXPECT_EQ(again->GetMember("d")->GetDouble(), 0.1);
  EXPECT_EQ(again->GetMember("big")->GetDouble(), 1e200);
  EXPECT_EQ(Str(again->GetMember("nested")->GetMember("tab")), "a\tb");
}

TEST(JsonWriter, DoublesAreWrittenWithSixteenDecimalsUnlessTheyWouldShowAsZero) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {2.5, "2.5000000000000000"},
      {-0.0, "-0.0000000000000000"},
      {0.1, "0.1000000000000000"},
      {0.004285277120560583, "0.0042852771205606"},
      {0.30000000000000004, "0.3000000000000000"},
      {1e-16, "0.0000000000000001"},
      {1e21, "1000000000000000000000.0000000000000000"},
      // Shown as zero by "%.16f": the shortest exact text instead.
      {1e-17, "1e-17"},
      {-1e-78, "-1e-78"},
      {5e-324, "5e-324"},
  };
  for (const auto& c : cases) EXPECT_EQ(Text(CJsonValue(c.value)), c.text) << c.value;

  // Any finite double: the "%.16f" text, or, where that shows only zeros for
  // a value that is not zero, a text that reads back as the same bits.
  std::mt19937_64 random(20261207);
  for (int i = 0; i < 20000; ++i) {
    uint64_t bits = random();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    if (!std::isfinite(d)) continue;
    char fixed[400];
    std::snprintf(fixed, sizeof fixed, "%.16f", d);
    const std::string text = Text(CJsonValue(d));
    if (d == 0.0 || std::string(fixed).find_first_not_of("-0.") != std::string::npos) {
      ASSERT_EQ(text, fixed);
      continue;
    }
    Parsed back = ParseText(text);
    ASSERT_EQ(back.value->GetType(), JSON_DOUBLE) << text;
    const double r = back.value->GetDouble();
    ASSERT_EQ(std::memcmp(&r, &d, sizeof d), 0) << text;
  }
}

TEST(JsonWriter, LoneSurrogatesAreWrittenAsEscapes) {
  const struct {
    std::u16string text;
    const char* json;
  } cases[] = {
      {u"a\xD800"
       u"b",
       "\"a\\ud800b\""},
      {u"\xDC00", "\"\\udc00\""},
      {u"\xDFC1\xD83C", "\"\\udfc1\\ud83c\""},                 // a pair in the wrong order
      {u"\xD800\xD83C\xDFC1", "\"\\ud800\xF0\x9F\x8F\x81\""},  // a lone high before a pair
      {u"\xD83C\xDFC1\xDFC1", "\"\xF0\x9F\x8F\x81\\udfc1\""},  // a lone low after a pair
  };
  for (const auto& c : cases) {
    CJsonValue v(c.text);
    EXPECT_EQ(Text(v), c.json);
    std::u16string json = v.Stringify(u"", true);
    JsonReader_C reader;
    std::unique_ptr<CJsonValue> back(reader.Parse(json.c_str(), static_cast<int32_t>(json.size())));
    ASSERT_NE(back->GetString(), nullptr);
    EXPECT_EQ(std::u16string(back->GetString()), c.text);
  }
  // Member names too.
  CJsonValue obj(JSON_OBJECT);
  obj.AddMember(u"\xDBFF", CJsonValue(int32_t(1)));
  EXPECT_EQ(Text(obj), " { \"\\udbff\" : 1 } ");
}

// --- reader -----------------------------------------------------------------

TEST(JsonReader, ContainersCommasAndNames) {
  Parsed p = ParseText("{}");
  EXPECT_EQ(p.value->GetType(), JSON_OBJECT);
  EXPECT_TRUE(p.errors.empty());

  // An empty array, and a comma after the last element, are no errors.
  for (const char* text : {"[]", "[ /* none */ ]", "{\"a\":[]}", "[[],[[]]]"}) {
    p = ParseText(text);
    EXPECT_TRUE(p.errors.empty()) << text;
  }
  p = ParseText("[]");
  EXPECT_EQ(p.value->GetType(), JSON_ARRAY);
  EXPECT_TRUE(p.value->GetArray()->empty());

  p = ParseText("[1,]");
  EXPECT_EQ(p.value->GetArray()->size(), 1u);
  EXPECT_TRUE(p.errors.empty());

  p = ParseText("[,1]");
  EXPECT_EQ(p.value->GetArray()->size(), 1u);
  EXPECT_EQ(p.codes(), (std::vector<int>{6, 6}));

  p = ParseText("{\"a\":1,}");
  EXPECT_EQ(p.value->GetObject()->size(), 1u);
  EXPECT_TRUE(p.errors.empty());

  p = ParseText("{'single':1, bare :2, other:3}");
  EXPECT_EQ(p.value->GetMember("single")->GetInt64(), 1);
  EXPECT_EQ(p.value->GetMember("bare")->GetInt64(), 2);
  EXPECT_EQ(p.value->GetMember("other")->GetInt64(), 3);
  EXPECT_TRUE(p.errors.empty());

  p = ParseText("{\"code\":0,\"code\":1}");
  EXPECT_EQ(p.value->GetMember("code")->GetInt64(), 0);
  EXPECT_EQ(p.codes(), (std::vector<int>{8}));

  p = ParseText("{\"a\" 1}");
  EXPECT_EQ(p.codes(), (std::vector<int>{4}));
  p = ParseText("{\"a\":1 \"b\":2}");
  EXPECT_EQ(p.codes(), (std::vector<int>{5}));
  p = ParseText("[1 2]");
  EXPECT_EQ(p.codes(), (std::vector<int>{2}));

  JsonReader_C strict;
  strict.SetAllowUnquotedNames(false);
  std::unique_ptr<CJsonValue> v(strict.ParseNarrow("{a:1}"));
  EXPECT_EQ(v->GetMember("a")->GetInt64(), 1);
  ASSERT_EQ(strict.GetErrors().size(), 1u);
  EXPECT_EQ(strict.GetErrors()[0].code, 3);
}

TEST(JsonReader, NumbersLiteralsAndComments) {
  Parsed p = ParseText("/* lead */ 42 // trail\n");
  EXPECT_EQ(p.value->GetType(), JSON_INT64);
  EXPECT_EQ(p.value->GetInt64(), 42);
  EXPECT_TRUE(p.errors.empty());

  p = ParseText("/*/ 7");
  EXPECT_EQ(p.value->GetInt64(), 7);

  p = ParseText("1.0");
  EXPECT_EQ(p.value->GetType(), JSON_DOUBLE);
  p = ParseText("10");
  EXPECT_EQ(p.value->GetType(), JSON_INT64);
  p = ParseText("1e3");
  EXPECT_EQ(p.value->GetType(), JSON_DOUBLE);
  EXPECT_EQ(p.value->GetDouble(), 1000.0);
  p = ParseText("-0");
  EXPECT_EQ(p.value->GetType(), JSON_INT64);
  EXPECT_EQ(p.value->GetInt64(), 0);
  p = ParseText("1-2");
  EXPECT_EQ(p.value->GetInt64(), 1);
  p = ParseText("99999999999999999999");
  EXPECT_EQ(p.value->GetInt64(), std::numeric_limits<int64_t>::max());
  p = ParseText("[1e999]");
  EXPECT_TRUE(std::isinf((*p.value->GetArray())[0]->GetDouble()));

  p = ParseText("[true, false, null]");
  ASSERT_EQ(p.value->GetArray()->size(), 3u);
  EXPECT_EQ((*p.value->GetArray())[0]->GetInt64(9), 1);
  EXPECT_EQ((*p.value->GetArray())[2]->Stringify(u"", true), u"null");
  EXPECT_TRUE(p.errors.empty());

  p = ParseText("tru");
  EXPECT_EQ(p.value->GetType(), JSON_EMPTY);
  EXPECT_EQ(p.codes().front(), 7);
  p = ParseText("+1");
  EXPECT_EQ(p.value->GetType(), JSON_EMPTY);
  EXPECT_EQ(p.codes(), (std::vector<int>{6}));
}

TEST(JsonReader, IntegersBeyondSixtyFourBitsKeepTheirMagnitude) {
  const struct {
    const char* json;
    JsonKind kind;
    int64_t integer;  // when kind 5
    double real;      // when kind 4
  } cases[] = {
      {"9223372036854775807", JSON_INT64, std::numeric_limits<int64_t>::max(), 0},
      {"-9223372036854775808", JSON_INT64, std::numeric_limits<int64_t>::min(), 0},
      {"9223372036854775808", JSON_DOUBLE, 0, 9223372036854775808.0},
      {"-9223372036854775809", JSON_DOUBLE, 0, -9223372036854775809.0},
      {"100000000000000000000", JSON_DOUBLE, 0, 1e20},
      {"-237462374673276894279832749832423479823246327846", JSON_DOUBLE, 0,
       -237462374673276894279832749832423479823246327846.0},
  };
  for (const auto& c : cases) {
    Parsed p = ParseText(c.json);
    ASSERT_EQ(p.value->GetType(), c.kind) << c.json;
    if (c.kind == JSON_INT64)
      EXPECT_EQ(p.value->GetInt64(), c.integer) << c.json;
    else
      EXPECT_EQ(p.value->GetDouble(), c.real) << c.json;
    EXPECT_TRUE(p.errors.empty()) << c.json;
  }
}

TEST(JsonReader, OneByteOrderMarkAtTheStartIsSkipped) {
  const struct {
    std::string json;
    const char* written;  // empty: no value
    std::vector<int> codes;
  } cases[] = {
      {"\xEF\xBB\xBF{\"code\":0}", " { \"code\" : 0 } ", {}},
      {"\xEF\xBB\xBF\n[1]", " [ 1 ] ", {}},
      {"\xEF\xBB\xBF", "", {6}},
      {" \xEF\xBB\xBF{}", "", {6}},
      {"\xEF\xBB\xBF\xEF\xBB\xBF{}", "", {6}},
  };
  for (const auto& c : cases) {
    Parsed p = ParseText(c.json);
    EXPECT_EQ(Text(*p.value), c.written) << c.json;
    EXPECT_EQ(p.codes(), c.codes) << c.json;
  }
}

TEST(JsonReader, StringsAndEscapes) {
  Parsed p = ParseText("\"caf\\u00e9\"");
  EXPECT_EQ(Str(p.value.get()), "caf\xC3\xA9");
  p = ParseText("\"\\x41\"");
  EXPECT_EQ(Str(p.value.get()), "\\x41");
  p = ParseText("\"say \\\"hi\\\"\"");
  EXPECT_EQ(Str(p.value.get()), "say \"hi\"");
  p = ParseText("\"\\u12G4\"");
  EXPECT_EQ(Str(p.value.get()), "\\u12G4");
  EXPECT_EQ(p.codes(), (std::vector<int>{0}));
  p = ParseText("\"a\\/b\\b\\f\\n\\r\\t\\v\"");
  EXPECT_EQ(Str(p.value.get()), "a/b\b\f\n\r\t\v");
  p = ParseText("\"no end");
  EXPECT_EQ(Str(p.value.get()), "no end");
  // UTF-8 text arrives as UTF-16, with pairs for characters beyond the BMP.
  p = ParseText("\"\xE5\xA4\xA7\xE9\x98\xAA \xF0\x9F\x98\x80\"");
  ASSERT_NE(p.value->GetString(), nullptr);
  EXPECT_EQ(std::u16string(p.value->GetString()), u"\u5927\u962a \xD83D\xDE00");
}

TEST(JsonReader, NulIsKeptInTextsAndNamesEscapedOrRaw) {
  using namespace std::string_view_literals;
  const struct {
    std::string_view json;
    const char* written;  // the value as the writer gives it back
  } cases[] = {
      {R"("a\u0000b")", R"("a\u0000b")"},
      {R"("\u0000")", R"("\u0000")"},
      {R"(["\u0000", "x\u0000"])", R"( [ "\u0000" , "x\u0000" ] )"},
      {R"({"foo\u0000bar": 42})", R"( { "foo\u0000bar" : 42 } )"},
      {R"({'\u0000': 1, q\u0000r: 2})", R"( { "\u0000" : 1 , "q\u0000r" : 2 } )"},
      {"\"a\0b\""sv, R"("a\u0000b")"},
      {"[\"\0\", \"x\0\"]"sv, R"( [ "\u0000" , "x\u0000" ] )"},
      {"{\"a\0b\": 1, 'c\0': 2, d\0e: 3}"sv, R"( { "a\u0000b" : 1 , "c\u0000" : 2 , "d\u0000e" : 3 } )"},
  };
  for (const auto& c : cases) {
    Parsed p = ParseText(c.json);
    EXPECT_TRUE(p.errors.empty()) << c.json;
    EXPECT_EQ(Text(*p.value), c.written) << c.json;
  }
  Parsed p = ParseText(R"({"foo\u0000bar": "\u0000"})");
  ASSERT_EQ(p.value->GetType(), JSON_OBJECT);
  auto member = p.value->GetObject()->find(std::u16string(u"foo\0bar", 7));
  ASSERT_NE(member, p.value->GetObject()->end());
  EXPECT_EQ(member->second->Stringify(u"", false), std::u16string(1, u'\0'));
  // A raw U+0000 closes no text: the member after it is not taken for one.
  Parsed cut = ParseText("{\"x\": \"a\0, \"y\": \"z\"}"sv);
  EXPECT_FALSE(cut.errors.empty());
  EXPECT_EQ(cut.value->GetObject()->count(u"y"), 0u);
}

TEST(JsonReader, ErrorTextListsEachError) {
  JsonReader_C reader;
  std::unique_ptr<CJsonValue> v(reader.ParseNarrow("{\n\n  \"a\" : [1 2]}"));
  ASSERT_FALSE(reader.GetErrors().empty());
  EXPECT_EQ(reader.GetErrors()[0].code, 2);
  EXPECT_EQ(reader.GetErrors()[0].line, 3);
  std::string text = Utf16ToUtf8(reader.GetErrorText());
  EXPECT_EQ(text.substr(0, text.find('\n')), "Error reading Array, ] expected on line 3, column 12.");
  JsonReader_C two;
  v.reset(two.ParseNarrow("[,]"));
  EXPECT_EQ(Utf16ToUtf8(two.GetErrorText()),
            "Could not find a valid Object value on line 1, column 1.\n"
            "Could not find a valid Object value on line 1, column 1.");
  JsonReader_C none;
  v.reset(none.ParseNarrow("1"));
  EXPECT_TRUE(none.GetErrorText().empty());
}

TEST(JsonReader, DeepNestingIsRefused) {
  auto nested = [](int depth, char open, char close) { return std::string(depth, open) + std::string(depth, close); };
  Parsed ok = ParseText(nested(JsonReader_C::kMaxDepth, '[', ']'));
  EXPECT_EQ(ok.value->GetType(), JSON_ARRAY);

  Parsed deep = ParseText(nested(JsonReader_C::kMaxDepth + 1, '[', ']'));
  EXPECT_EQ(deep.value->GetType(), JSON_EMPTY);
  EXPECT_EQ(deep.codes(), (std::vector<int>{6}));

  std::string objects;
  for (int i = 0; i < 100000; ++i) objects += "{\"a\":";
  Parsed hostile = ParseText(objects);
  EXPECT_EQ(hostile.value->GetType(), JSON_EMPTY);
  EXPECT_EQ(hostile.codes(), (std::vector<int>{6}));
}

TEST(JsonReader, CutTextsEndWithoutReadingPastTheirEnd) {
  // Each text sits in a buffer of exactly its length with no terminator, so
  // a read past its end is caught by the address sanitizer.
  for (const std::string s : {"[1,", "{\"a\":", "/*", "//", "\"abc\\u12", "{'a", "tr", "-", "[\"x\\", "{a b", "/",
                              "[1 /", "\"\\", "{\"a\":[{\"b\":tru"}) {
    std::u16string wide = Utf8ToUtf16(s);
    std::unique_ptr<char16_t[]> exact(new char16_t[wide.size()]);
    std::copy(wide.begin(), wide.end(), exact.get());
    JsonReader_C reader;
    std::unique_ptr<CJsonValue> v(reader.Parse(exact.get(), static_cast<int32_t>(wide.size())));
    EXPECT_LT(reader.GetErrors().size(), 50u) << s;
  }
  // The narrow and stream entries read the same text.
  std::istringstream in("{\"k\":[1,2]} trailing");
  JsonReader_C reader;
  std::unique_ptr<CJsonValue> v(reader.Parse(in));
  EXPECT_EQ(v->GetMember("k")->GetArray()->size(), 2u);
  std::unique_ptr<CJsonValue> w(reader.Parse("[5]xyz", 3));
  EXPECT_EQ(w->GetArray()->size(), 1u);
}
