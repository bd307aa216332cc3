#include "platform/classlib/CString.h"

#include <gtest/gtest.h>

#include <map>
#include <unordered_set>

TEST(CString, ConstructionAndConversions) {
  CString empty;
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_NE(empty.GetString(), nullptr);
  EXPECT_EQ(CString(static_cast<const char16_t*>(nullptr)).GetLength(), 0);
  EXPECT_EQ(CString(static_cast<const char*>(nullptr)).GetLength(), 0);
  CString narrow("caf\xC3\xA9");  // UTF-8
  EXPECT_EQ(narrow, u"caf\u00E9");
  EXPECT_EQ(narrow.ToUtf8(), "caf\xC3\xA9");
  EXPECT_EQ(CString::FromUtf8("\xF0\x9D\x84\x9E").GetLength(), 2);  // a surrogate pair
  EXPECT_EQ(CString(u'x', 3), u"xxx");
  EXPECT_EQ(CString(u"abcdef", 3), u"abc");
  const char16_t raw[2] = {u'a', u'b'};  // no terminator: the count bounds the read
  EXPECT_EQ(CString(raw, 2), u"ab");
  LPCWSTR p = narrow;
  EXPECT_EQ(p[3], u'\u00E9');
}

TEST(CString, ConcatenationAndComparison) {
  CString a(u"ab");
  a += u"cd";
  a += u'e';
  a += CString(u"f");
  EXPECT_EQ(a, u"abcdef");
  EXPECT_EQ(u"<" + a + u">", u"<abcdef>");
  EXPECT_EQ(a + u'!', u"abcdef!");
  EXPECT_TRUE(u"abcdef" == a);
  EXPECT_TRUE(a != u"abc");
  EXPECT_TRUE(CString(u"abc") < CString(u"abd"));
  EXPECT_LT(CString(u"B").Compare(u"a"), 0);
  EXPECT_EQ(CString(u"HeLLo \u00C9").CompareNoCase(u"hello \u00E9"), 0);
  a += a.GetString() + 2;  // appending a tail of itself
  EXPECT_EQ(a, u"abcdefcdef");
  std::map<CString, int> ordered{{CString(u"b"), 2}, {CString(u"a"), 1}};
  EXPECT_EQ(ordered.begin()->second, 1);
  std::unordered_set<CString> set{CString(u"x")};
  EXPECT_EQ(set.count(CString(u"x")), 1u);
}

TEST(CString, IndexingIsClamped) {
  CString s(u"abc");
  EXPECT_EQ(s.GetAt(1), u'b');
  EXPECT_EQ(s[2], u'c');
  EXPECT_EQ(s.GetAt(3), 0);
  EXPECT_EQ(s.GetAt(-1), 0);
  s.SetAt(5, u'z');
  s.SetAt(0, u'A');
  EXPECT_EQ(s, u"Abc");
}

TEST(CString, BufferAccess) {
  CString s;
  char16_t* buf = s.GetBuffer(10);
  buf[0] = u'h';
  buf[1] = u'i';
  buf[2] = 0;
  s.ReleaseBuffer();
  EXPECT_EQ(s, u"hi");
  EXPECT_EQ(s.GetLength(), 2);
  buf = s.GetBufferSetLength(4);
  buf[2] = u'!';
  buf[3] = u'?';
  s.ReleaseBuffer(3);
  EXPECT_EQ(s, u"hi!");
  s.GetBuffer(2);
  s.ReleaseBuffer(99);  // longer than the buffer: clamped
  EXPECT_EQ(s, u"hi!");
}

TEST(CString, FormatUsesTheEngine) {
  CString s;
  s.Format(u"%s=%d (%S) %.2f %I64d", u"n", 42, "utf8 \xC3\xA9", 2.5, int64_t(1) << 40);
  EXPECT_EQ(s, u"n=42 (utf8 \u00E9) 2.50 1099511627776");
  s.AppendFormat(u"|%05.1f|%lu", -1.25, DWORD(4000000000u));
  EXPECT_EQ(s, u"n=42 (utf8 \u00E9) 2.50 1099511627776|-01.2|4000000000");
  CString big;
  big.Format(u"%f", 1e200);
  EXPECT_EQ(big.GetLength(), 207);
  CString self(u"abc");
  self.Format(u"[%s]", self.GetString());  // formatting from itself
  EXPECT_EQ(self, u"[abc]");
}

TEST(CString, Substrings) {
  CString s(u"abcdef");
  EXPECT_EQ(s.Mid(2), u"cdef");
  EXPECT_EQ(s.Mid(2, 2), u"cd");
  EXPECT_EQ(s.Mid(-3, 2), u"ab");
  EXPECT_EQ(s.Mid(10), u"");
  EXPECT_EQ(s.Mid(4, 100), u"ef");
  EXPECT_EQ(s.Mid(1, -1), u"");
  EXPECT_EQ(s.Left(3), u"abc");
  EXPECT_EQ(s.Left(99), u"abcdef");
  EXPECT_EQ(s.Right(2), u"ef");
  EXPECT_EQ(s.Right(-2), u"");
  EXPECT_EQ(CString(u"123abc").SpanIncluding(u"0123456789"), u"123");
  EXPECT_EQ(CString(u"key=val").SpanExcluding(u"=;"), u"key");
}

TEST(CString, Searches) {
  CString s(u"a.b.c");
  EXPECT_EQ(s.Find(u'.'), 1);
  EXPECT_EQ(s.Find(u'.', 2), 3);
  EXPECT_EQ(s.Find(u'.', 99), -1);
  EXPECT_EQ(s.Find(u"b.c"), 2);
  EXPECT_EQ(s.Find(u"c.d"), -1);
  EXPECT_EQ(s.Find(static_cast<const char16_t*>(nullptr)), -1);
  EXPECT_EQ(s.ReverseFind(u'.'), 3);
  EXPECT_EQ(s.ReverseFind(u'x'), -1);
  EXPECT_EQ(s.FindOneOf(u"cb"), 2);
}

TEST(CString, Editing) {
  CString s(u"one two two");
  EXPECT_EQ(s.Replace(u"two", u"2"), 2);
  EXPECT_EQ(s, u"one 2 2");
  EXPECT_EQ(s.Replace(u"", u"x"), 0);
  EXPECT_EQ(s.Replace(u"2", nullptr), 2);
  EXPECT_EQ(s, u"one  ");
  CString aa(u"aaa");
  EXPECT_EQ(aa.Replace(u"aa", u"b"), 1);  // non-overlapping, from the start
  EXPECT_EQ(aa, u"ba");
  EXPECT_EQ(aa.Replace(u'a', u'c'), 1);
  CString r(u"a-b-c");
  EXPECT_EQ(r.Remove(u'-'), 2);
  EXPECT_EQ(r.Insert(1, u'X'), 4);
  EXPECT_EQ(r.Insert(99, u"YZ"), 6);
  EXPECT_EQ(r, u"aXbcYZ");
  EXPECT_EQ(r.Delete(1, 2), 4);
  EXPECT_EQ(r, u"acYZ");
  EXPECT_EQ(r.Delete(3, 10), 3);
  EXPECT_EQ(r.Delete(10), 3);
}

TEST(CString, TrimAndCase) {
  CString s(u" \t text \r\n");
  EXPECT_EQ(s.Trim(), u"text");
  CString c(u"xxaxx");
  EXPECT_EQ(c.TrimLeft(u'x'), u"axx");
  EXPECT_EQ(c.TrimRight(u"x"), u"a");
  CString all(u"    ");
  EXPECT_TRUE(all.Trim().IsEmpty());
  CString mixed(u"AbC \u00C9\u00E9 \u0416");
  EXPECT_EQ(CString(mixed).MakeLower(), u"abc \u00E9\u00E9 \u0436");
  EXPECT_EQ(CString(mixed).MakeUpper(), u"ABC \u00C9\u00C9 \u0416");
  EXPECT_EQ(CString(u"a\U0001D11Eb").MakeReverse(), u"b\U0001D11Ea");
}

TEST(CString, Tokenize) {
  CString s(u";;a;;bc;");
  int pos = 0;
  EXPECT_EQ(s.Tokenize(u";", pos), u"a");
  EXPECT_EQ(s.Tokenize(u";", pos), u"bc");
  EXPECT_EQ(s.Tokenize(u";", pos), u"");
  EXPECT_EQ(pos, -1);
  EXPECT_EQ(s.Tokenize(u";", pos), u"");
  EXPECT_EQ(pos, -1);
  int p2 = 0;
  EXPECT_EQ(CString(u"x y").Tokenize(u" ", p2), u"x");
  EXPECT_EQ(CString(u"x y").Tokenize(u" ", p2), u"y");
}

namespace {
bool TestTable(UINT id, std::u16string& out) {
  if (id != 121) return false;
  out = u"Login Failed!";
  return true;
}
}  // namespace

TEST(CString, LoadStringGoesThroughTheHook) {
  CString s(u"keep");
  CString::SetLoadStringHook(nullptr);
  EXPECT_FALSE(s.LoadString(121));
  EXPECT_EQ(s, u"keep");
  CString::SetLoadStringHook(TestTable);
  EXPECT_TRUE(s.LoadString(121));
  EXPECT_EQ(s, u"Login Failed!");
  EXPECT_FALSE(s.LoadString(9999));
  EXPECT_EQ(s, u"Login Failed!");
  CString::SetLoadStringHook(nullptr);
}
