#include "icbase/src/icutil/unistring.h"

#include <gtest/gtest.h>

#include <clocale>
#include <initializer_list>
#include <string>
#include <utility>

#include "tests/icutil/fail_hook.h"

namespace {
std::u16string S(const UniString_C& s) { return std::u16string(s.GetText(), size_t(s.GetLength())); }

// Each input through op on a string of its own, against the text expected.
void ExpectEach(void (UniString_C::*op)(), std::initializer_list<std::pair<const char16_t*, const char16_t*>> cases) {
  for (const auto& [in, out] : cases) {
    UniString_C s(in);
    (s.*op)();
    EXPECT_EQ(S(s), out) << ::testing::PrintToString(std::u16string(in));
  }
}
}  // namespace

TEST(UniString, EmptyTextIsNeverNull) {
  UniString_C a;
  ASSERT_NE(a.GetText(), nullptr);
  EXPECT_EQ(a.GetText()[0], 0);
  a.Assign(u"");
  ASSERT_NE(a.GetText(), nullptr);
  EXPECT_EQ(a.GetLength(), 0);
  a.Assign(nullptr);
  EXPECT_EQ(a.GetText()[0], 0);
  UniString_C b(static_cast<const char16_t*>(nullptr));
  EXPECT_EQ(b.GetLength(), 0);
  a.AssignN(nullptr, 5);  // null counts as empty, never read
  EXPECT_EQ(a.GetLength(), 0);
  a.Mid(0, 0, b);
  EXPECT_EQ(b.GetText()[0], 0);
}

TEST(UniString, NarrowTextIsZeroExtendedWithoutLimit) {
  UniString_C e("caf\xE9");
  EXPECT_EQ(S(e), std::u16string(u"caf\u00E9"));
  std::string longText(3000, 'x');
  longText += "END";
  UniString_C l(longText.c_str());
  EXPECT_EQ(l.GetLength(), 3003);
  EXPECT_EQ(l.GetAt(3002), u'D');
}

TEST(UniString, CopyAndAssignmentOwnTheirBuffers) {
  UniString_C a(u"alpha");
  UniString_C b(a);
  UniString_C c;
  c = a;
  a.Assign(u"changed");
  EXPECT_EQ(S(b), u"alpha");
  EXPECT_EQ(S(c), u"alpha");
  c = c;  // self-assignment keeps the text
  EXPECT_EQ(S(c), u"alpha");
  UniString_C d(std::move(c));
  EXPECT_EQ(S(d), u"alpha");
}

TEST(UniString, AliasedSourcesAreCopiedBeforeTheBufferGoes) {
  UniString_C s(u"abc");
  s.AppendString(s);
  EXPECT_EQ(S(s), u"abcabc");
  s.AppendCString(s.GetText() + 4);
  EXPECT_EQ(S(s), u"abcabcbc");
  s.Assign(s.GetText() + 3);
  EXPECT_EQ(S(s), u"abcbc");
  s.AssignN(s.GetText() + 1, 3);
  EXPECT_EQ(S(s), u"bcb");
  s.Mid(1, 1, s);
  EXPECT_EQ(S(s), u"c");
}

TEST(UniString, ReserveNeverLeavesTheLengthPastTheBuffer) {
  UniString_C s(u"hello world");
  ASSERT_TRUE(s.Reserve(2, false));
  EXPECT_LE(s.GetLength(), 2);
  s.AppendCString(u"x");  // reads the old length's worth of units
  EXPECT_EQ(S(s).back(), u'x');
  EXPECT_EQ(S(s).size(), size_t(s.GetLength()));

  UniString_C kept(u"abc");
  ASSERT_TRUE(kept.Reserve(10, true));
  EXPECT_EQ(S(kept), u"abc");
}

TEST(UniString, MidGetAtFindBounds) {
  UniString_C abc(u"abc"), out(u"junk");
  abc.Mid(5, 3, out);
  EXPECT_EQ(S(out), u"");
  abc.Mid(3, 1, out);
  EXPECT_EQ(S(out), u"");
  abc.Mid(-2, 0, out);
  EXPECT_EQ(S(out), u"abc");
  abc.Mid(1, 10, out);
  EXPECT_EQ(S(out), u"bc");
  abc.Mid(1, 1, out);
  EXPECT_EQ(S(out), u"b");
  EXPECT_EQ(abc.GetAt(99), u'c');
  EXPECT_EQ(abc.GetAt(-5), u'a');
  EXPECT_EQ(UniString_C().GetAt(0), 0);
  UniString_C t(u"abcabc");
  EXPECT_EQ(t.Find(u"bc", 0), 1);
  EXPECT_EQ(t.Find(u"bc", 2), 4);
  EXPECT_EQ(t.Find(u"bc", -3), 1);
  EXPECT_EQ(t.Find(u"bc", 6), -1);
  EXPECT_EQ(t.Find(u"cab", 3), -1);
  EXPECT_EQ(t.Find(nullptr, 0), -1);
  EXPECT_EQ(UniString_C().Find(u"a", 0), -1);
  EXPECT_EQ(UniString_C(u" 42x").ToInt(), 42);
  EXPECT_EQ(UniString_C().ToInt(), 0);
}

TEST(UniString, AppendAndTrim) {
  UniString_C s;
  s.AppendChar(0);
  EXPECT_EQ(s.GetLength(), 0);
  s.AppendChar(u'x');
  s.AppendCString(nullptr);
  s.AppendString(UniString_C());
  EXPECT_EQ(S(s), u"x");
  s.Assign(u"--ab--");
  s.Trim(u'-');
  EXPECT_EQ(S(s), u"ab");
  s.Assign(u"----");
  s.TrimLeft(u'-');
  EXPECT_EQ(s.GetLength(), 0);
  s.Assign(u"////");
  s.TrimRight(u'/');
  EXPECT_EQ(s.GetLength(), 0);
  s.Assign(u"AbZ\u00C9");
  s.MakeLowerAscii();
  EXPECT_EQ(S(s), u"abz\u00C9");
  s.Assign(u"\u00C9t\u00E9 9!");
  s.ToKeyLetters();
  EXPECT_EQ(S(s), u"ete   ");
}

TEST(UniString, FormatIsSizedExactly) {
  UniString_C s;
  s.Format(u"%s-%d-%S", u"wide", 42, "narrow");
  EXPECT_EQ(S(s), u"wide-42-narrow");
  s.Format(u"%f", 1e200);
  EXPECT_EQ(s.GetLength(), 207);  // 200 digits, the point and 6 decimals
  EXPECT_EQ(s.GetAt(0), u'9');
  EXPECT_EQ(s.GetAt(200), u'.');
  std::u16string big(5000, u'q');
  s.Format(u"[%s]", big.c_str());
  EXPECT_EQ(s.GetLength(), 5002);
  s.Format(u"%s|%lld|%I64d|%s", static_cast<const char16_t*>(nullptr), 1234567890123LL, -5LL, u"end");
  EXPECT_EQ(S(s), u"|1234567890123|-5|end");
  s.Format(u"%.2f", 2.5);
  EXPECT_EQ(S(s), u"2.50");
  s.Format(u"");
  EXPECT_EQ(s.GetLength(), 0);
}

TEST(UniString, Replace) {
  UniString_C s(u"aXbXXc");
  s.Replace(u"X", u"yy");
  EXPECT_EQ(S(s), u"ayybyyyyc");
  s.Replace(u"yy", nullptr);
  EXPECT_EQ(S(s), u"abc");
  s.Replace(u"", u"z");
  EXPECT_EQ(S(s), u"abc");
  s.Assign(u"aaa");
  s.Replace(u"aa", u"b");  // non-overlapping, from the start
  EXPECT_EQ(S(s), u"ba");
  s.Replace(u"ba", u"");
  EXPECT_EQ(s.GetLength(), 0);
}

TEST(UniString, Split) {
  char16_t** tokens = nullptr;
  UniString_C s(u";;a;;b;");
  ASSERT_EQ(s.Split(u";", tokens), 2);
  EXPECT_EQ(std::u16string(tokens[0]), u"a");
  EXPECT_EQ(std::u16string(tokens[1]), u"b");
  EXPECT_EQ(tokens[2], nullptr);
  UniString_C::FreeSplit(tokens);
  EXPECT_EQ(tokens, nullptr);

  UniString_C only(u";;;");
  ASSERT_EQ(only.Split(u";", tokens), 0);
  ASSERT_NE(tokens, nullptr);
  EXPECT_EQ(tokens[0], nullptr);
  UniString_C::FreeSplit(tokens);

  char16_t* sentinel[1] = {nullptr};
  char16_t** keep = sentinel;
  EXPECT_EQ(UniString_C().Split(u";", keep), 0);
  EXPECT_EQ(UniString_C(u"a;b").Split(u"", keep), 0);
  EXPECT_EQ(UniString_C(u"a;b").Split(nullptr, keep), 0);
  EXPECT_EQ(keep, sentinel);

  UniString_C multi(u"k=v, w\tz");
  ASSERT_EQ(multi.Split(u"=, \t", tokens), 4);
  EXPECT_EQ(std::u16string(tokens[3]), u"z");
  UniString_C::FreeSplit(tokens);

  std::u16string many;
  for (int i = 0; i < 5000; ++i) many += u"t;";
  UniString_C m(many.c_str());
  EXPECT_EQ(m.Split(u";", tokens), UniString_C::kMaxSplitTokens);
  EXPECT_EQ(tokens[UniString_C::kMaxSplitTokens], nullptr);
  UniString_C::FreeSplit(tokens);
}

TEST(UniString, SplitUnderAllocationFailureLeavesOutAlone) {
  char16_t** tokens = nullptr;
  UniString_C s(u"a b c");
  FailAllocs fail(2);  // the array and one token, then nothing
  EXPECT_EQ(s.Split(u" ", tokens), 0);
  EXPECT_EQ(tokens, nullptr);
}

TEST(UniString, EscapeJs) {
  ExpectEach(&UniString_C::EscapeJs, {{u"x\"y\r\n", u"x\\\"y"},
                                      {u"a\n\r", u"a\\n"},
                                      {u"t\tb\\q'", u"t\\tb\\\\q\\'"},
                                      {u"</script>\x01\u2028", u"<\\/script>\\u0001\\u2028"},
                                      {u"\n\n", u""}});
  UniString_C s(u"plain");
  const char16_t* before = s.GetText();
  s.EscapeJs();
  EXPECT_EQ(s.GetText(), before);  // nothing to change: left exactly as it was
}

TEST(UniString, StripTags) {
  ExpectEach(&UniString_C::StripTags,
             {{u"a<b>c", u"a\r\nc"}, {u"a<b", u"a<b"}, {u"<p>x</p>", u"\r\nx\r\n"}, {u"x>y", u"x\r\ny"}});
}

TEST(UniString, ToHtml) {
  ExpectEach(&UniString_C::ToHtml, {{u"a<b>\r\nc & \"d\"", u"a&lt;b&gt;<br />c &amp; &quot;d&quot;"},
                                    {u"&lt;", u"&amp;lt;"},  // shows as typed, not as '<'
                                    {u"\r\r\r", u"\r\r\r"},  // the result would be empty: unchanged
                                    {u"plain", u"plain"}});
}
