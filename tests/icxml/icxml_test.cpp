#include "icbase/src/icxml/xml/icxml.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "icbase/src/icutil/utdm/unifile.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

// The project descriptor's table: one root tag with three text attributes.
const icXDtdRecord_C kDescriptorTable[] = {
    {u"brPROJECT", 0, nullptr, 3, u"name:S;language:S;poi:S", 0},
    {nullptr, 0, nullptr, 0, nullptr, 0},
};

const char16_t kDescriptor[] =
    u"<brPROJECT\n"
    u"    name=\"bruser\"\n"
    u"    language=\"EN\"\n"
    u"    poi=\"bruser.poi\"\n"
    u"    >\n"
    u"\n"
    u"</brPROJECT>\n";

std::u16string Log(const icXParser_C& p) { return std::u16string(p.GetLog().GetText()); }

class XmlFiles : public ::testing::Test {
 protected:
  // Writes the text as UTF-16LE (with the mark unless told otherwise) and
  // returns the file's path.
  std::u16string Put(const std::string& name, std::u16string_view text, bool mark = true) {
    WriteBytes(dir.File(name), Utf16LeBytes(text, mark));
    return dir.WFile(name);
  }
  std::u16string PutBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    WriteBytes(dir.File(name), bytes);
    return dir.WFile(name);
  }
  // Parses the text, written as `name`, with the table; the parse must fail.
  // The log is then expected to be `error` and the failure line.
  std::unique_ptr<icXParser_C> Refused(const std::string& name, std::u16string_view text, const icXDtdRecord_C* table,
                                       const std::u16string& error) {
    const std::u16string path = Put(name, text);
    auto p = std::make_unique<icXParser_C>(nullptr, table);
    EXPECT_FALSE(p->ParseFile(path.c_str()));
    EXPECT_EQ(Log(*p), error + u"\n--- Parsing " + path + u" failed. \n");
    return p;
  }
  TempDir dir;
};

const icXAttribute_C* FindAttr(const icXElement_C* e, const char16_t* name) {
  for (const icXAttribute_C* a = e->firstAttr; a; a = a->Next()) {
    if (std::u16string(a->name) == name) return a;
  }
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// The descriptor and its refusals

TEST_F(XmlFiles, DescriptorParsesIntoTheTree) {
  std::u16string path = Put("bruser.brx", kDescriptor);
  StrPool_C pool(1024);
  icXParser_C p(&pool, kDescriptorTable);
  ASSERT_FALSE(p.IsDtdInitFailed());
  ASSERT_TRUE(p.ParseFile(path.c_str()));
  EXPECT_EQ(Log(p), u"--- Parsing " + path + u" successed. \n");

  const icXElement_C* root = p.GetRoot();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->kind, kXNodeElement);
  EXPECT_EQ(root->depth, 0);
  EXPECT_EQ(root->parent, nullptr);
  // Names come from the given pool: equal names are equal pointers.
  EXPECT_EQ(root->name, pool.Intern(u"brPROJECT"));
  EXPECT_EQ(root->attrCount, 3);
  EXPECT_EQ(root->childCount, 0);
  EXPECT_EQ(root->textCount, 0);  // the blank lines are no text
  std::vector<std::u16string> names, values;
  for (const icXAttribute_C* a = root->firstAttr; a; a = a->Next()) {
    EXPECT_EQ(a->kind, kXNodeAttribute);
    EXPECT_EQ(a->depth, 1);
    EXPECT_EQ(a->parent, root);
    names.emplace_back(a->name);
    values.emplace_back(a->value);
  }
  EXPECT_EQ(names, (std::vector<std::u16string>{u"name", u"language", u"poi"}));
  EXPECT_EQ(values, (std::vector<std::u16string>{u"bruser", u"EN", u"bruser.poi"}));
  EXPECT_EQ(root->lastAttr->name, pool.Intern(u"poi"));
}

TEST(XmlBuild, HeaderAndLibraryAgreeOnUtf16Units) {
  static_assert(sizeof(XML_Char) == 2, "XML_UNICODE must be seen by every user of the reader");
  bool unicode = false, wideChar = false;
  for (const XML_Feature* f = XML_GetFeatureList(); f->feature != XML_FEATURE_END; ++f) {
    unicode = unicode || f->feature == XML_FEATURE_UNICODE;
    wideChar = wideChar || f->feature == XML_FEATURE_UNICODE_WCHAR_T;
  }
  EXPECT_TRUE(unicode);
  EXPECT_FALSE(wideChar);
}

TEST_F(XmlFiles, NonAsciiAttributeValueIsReadBackIntact) {
  // Proves that the expat header and the library agree on 16-bit units.
  std::u16string value = u"Z\u00FCrich \u6771\u4EAC \U0001F600";
  std::u16string path = Put("u.brx", u"<brPROJECT name=\"" + value + u"\" poi=\"p\"/>");
  icXParser_C p(nullptr, kDescriptorTable);
  ASSERT_TRUE(p.ParseFile(path.c_str())) << std::string(Utf16ToUtf8(Log(p)));
  const icXAttribute_C* name = FindAttr(p.GetRoot(), u"name");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(std::u16string(name->value), value);
}

TEST_F(XmlFiles, ExtraAttributeIsRefused) {
  Refused("x.brx", u"<brPROJECT name=\"a\" color=\"red\" poi=\"p\"/>", kDescriptorTable,
          u"Error: Invalid tag (brPROJECT) attribute color=red (ln:1, col:0).");
}

TEST_F(XmlFiles, ChildElementIsRefused) {
  const auto p = Refused("c.brx", u"<brPROJECT name=\"a\">\n  <child/>\n</brPROJECT>", kDescriptorTable,
                         u"Error: Invalid tag name child (ln:2, col:2).");
  EXPECT_EQ(p->GetRoot()->childCount, 0);
}

TEST_F(XmlFiles, UnknownRootIsRefused) {
  const auto p = Refused("r.brx", u"<other/>", kDescriptorTable, u"Error: Invalid tag name other (ln:1, col:0).");
  EXPECT_EQ(p->GetRoot(), nullptr);
}

TEST_F(XmlFiles, TextInTheRootIsRefusedWithExactlyItsUnits) {
  // The message shows the text that was delivered, nothing past it.
  Refused("t.brx", u"<brPROJECT name=\"a\">hello</brPROJECT>", kDescriptorTable,
          u"Error: invalid characters hello in tag (brPROJECT) (ln:1, col:20).");

  // A CR (written as a character reference, since line ends are normalised)
  // is text, not white space.
  std::u16string crPath = Put("cr.brx", u"<brPROJECT name=\"a\">&#13;</brPROJECT>");
  icXParser_C q(nullptr, kDescriptorTable);
  EXPECT_FALSE(q.ParseFile(crPath.c_str()));
  EXPECT_EQ(Log(q).substr(0, 28), u"Error: invalid characters \r ");
}

TEST_F(XmlFiles, FilesWithoutTheUtf16MarkAreRefusedAtTheOpenStep) {
  std::u16string noMark = Put("nomark.brx", kDescriptor, false);
  icXParser_C p(nullptr, kDescriptorTable);
  EXPECT_FALSE(p.ParseFile(noMark.c_str()));
  EXPECT_EQ(Log(p), u"Error: open " + noMark + u" file failed.\n");

  std::string utf8 = Utf16ToUtf8(kDescriptor);
  std::u16string u8 = PutBytes("utf8.brx", std::vector<uint8_t>(utf8.begin(), utf8.end()));
  icXParser_C q(nullptr, kDescriptorTable);
  EXPECT_FALSE(q.ParseFile(u8.c_str()));
  EXPECT_EQ(Log(q), u"Error: open " + u8 + u" file failed.\n");

  std::u16string missing = dir.WFile("missing.brx");
  EXPECT_FALSE(q.ParseFile(missing.c_str()));
  EXPECT_EQ(Log(q), u"Error: open " + missing + u" file failed.\n");
}

TEST_F(XmlFiles, MalformedFileGivesTheParserMessage) {
  Refused("m.xml", u"<a>\n<b></a>", nullptr, u"Error: mismatched tag (ln:2, col:5).");

  std::u16string unclosed = Put("u.xml", u"<a>");
  icXParser_C q(nullptr, nullptr);
  EXPECT_FALSE(q.ParseFile(unclosed.c_str()));
  EXPECT_EQ(Log(q).substr(0, 24), u"Error: no element found ");
}

TEST_F(XmlFiles, ZeroUnitAndOddByteAreRefusedNotTreatedAsTheEnd) {
  // Content after a zero unit used to be dropped and the parse reported
  // as a success.
  std::u16string zero = u"<a/>";
  zero.push_back(0);
  zero += u"<junk";
  std::u16string path = Put("z.xml", zero);
  icXParser_C p(nullptr, nullptr);
  EXPECT_FALSE(p.ParseFile(path.c_str()));
  EXPECT_EQ(Log(p).substr(0, 40), u"Error: not well-formed (invalid token) (");

  std::vector<uint8_t> odd = Utf16LeBytes(u"<a/>", true);
  odd.push_back(0x20);
  std::u16string oddPath = PutBytes("odd.xml", odd);
  icXParser_C q(nullptr, nullptr);
  EXPECT_FALSE(q.ParseFile(oddPath.c_str()));
  EXPECT_NE(Log(q).find(u" failed. \n"), std::u16string::npos);
}

// ---------------------------------------------------------------------------
// Stopping at the first error

TEST_F(XmlFiles, FirstValidationErrorStopsAndKeepsItsMessage) {
  // The error lies in the first chunk; the file is longer than one chunk and
  // never closes its root. Nothing after the error may change the tree or
  // replace the message (no "no element found" from the end of the file).
  const std::u16string text = u"<brPROJECT name=\"a\"><bad/>after" + std::u16string(9000, u' ') + u"<more/>";
  const auto p = Refused("stop.brx", text, kDescriptorTable, u"Error: Invalid tag name bad (ln:1, col:20).");
  const icXElement_C* root = p->GetRoot();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->childCount, 0);
  EXPECT_EQ(root->textCount, 0);
}

TEST_F(XmlFiles, ErrorStopsTheTreeWithinTheSameChunk) {
  // Without a tag table nothing is refused; with text refused in <a>, the
  // end tags and texts after the error must not move `current` or add nodes.
  const icXDtdRecord_C table[] = {
      {u"a", 0, nullptr, 0, nullptr, 0},
      {u"b", 1, u"a", 0, nullptr, 1},
      {nullptr, 0, nullptr, 0, nullptr, 0},
  };
  const auto p = Refused("s.xml", u"<a><b>ok</b>bad<b>late</b></a>", table,
                         u"Error: invalid characters bad in tag (a) (ln:1, col:12).");
  const icXElement_C* a = p->GetRoot();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->childCount, 1);
  EXPECT_EQ(a->textCount, 0);
  ASSERT_NE(a->firstChild, nullptr);
  EXPECT_EQ(a->firstChild->textCount, 1);
  EXPECT_EQ(std::u16string(a->firstChild->firstText->text), u"ok");
}

// ---------------------------------------------------------------------------
// The tree without a tag table

TEST_F(XmlFiles, TreeKeepsThreeListsInDocumentOrder) {
  std::u16string path = Put("tree.xml",
                            u"<r k=\"1\">\n"
                            u"  <c1 a=\"x\" b=\"y\">t1</c1>\n"
                            u"  mid\n"
                            u"  <c2><g/></c2>\n"
                            u"</r>\n");
  icXParser_C p(nullptr, nullptr);
  ASSERT_TRUE(p.ParseFile(path.c_str())) << std::string(Utf16ToUtf8(Log(p)));
  const icXElement_C* r = p.GetRoot();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(std::u16string(r->name), u"r");
  EXPECT_EQ(r->attrCount, 1);
  EXPECT_EQ(r->childCount, 2);
  EXPECT_EQ(r->textCount, 1);
  EXPECT_EQ(std::u16string(r->firstText->text), u"mid");
  EXPECT_EQ(r->firstText->depth, 1);
  const icXElement_C* c1 = r->firstChild;
  const icXElement_C* c2 = c1->Next();
  EXPECT_EQ(std::u16string(c1->name), u"c1");
  EXPECT_EQ(std::u16string(c2->name), u"c2");
  EXPECT_EQ(c2, r->lastChild);
  EXPECT_EQ(c2->Next(), nullptr);
  EXPECT_EQ(c1->depth, 1);
  EXPECT_EQ(c1->parent, r);
  EXPECT_EQ(c1->attrCount, 2);
  EXPECT_EQ(c1->firstAttr->depth, 2);
  EXPECT_EQ(std::u16string(c1->lastAttr->value), u"y");
  EXPECT_EQ(std::u16string(c1->firstText->text), u"t1");
  EXPECT_EQ(c1->firstText->depth, 2);
  const icXElement_C* g = c2->firstChild;
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->depth, 2);
  EXPECT_EQ(g->parent, c2);
  EXPECT_EQ(p.GetPool()->Intern(u"c1"), c1->name);
}

TEST_F(XmlFiles, LongFileParsesAcrossChunksLikeAShortOne) {
  std::u16string text = u"<brPROJECT\n";
  text += std::u16string(5000, u' ');
  text += u"name=\"";
  std::u16string longValue(6000, u'v');
  text += longValue + u"\" poi=\"p\"";
  text += std::u16string(3000, u'\n');
  text += u"></brPROJECT>";
  ASSERT_GT(text.size(), 3u * 4095);
  std::u16string path = Put("long.brx", text);
  icXParser_C p(nullptr, kDescriptorTable);
  ASSERT_TRUE(p.ParseFile(path.c_str())) << std::string(Utf16ToUtf8(Log(p)));
  EXPECT_EQ(std::u16string(FindAttr(p.GetRoot(), u"name")->value), longValue);
  EXPECT_EQ(p.GetRoot()->textCount, 0);

  std::u16string many = u"<r>";
  for (int i = 0; i < 2000; ++i) many += u"<i n=\"" + std::u16string(1, u'a' + i % 26) + u"\">x</i>\n";
  many += u"</r>";
  std::u16string manyPath = Put("many.xml", many);
  icXParser_C q(nullptr, nullptr);
  ASSERT_TRUE(q.ParseFile(manyPath.c_str()));
  EXPECT_EQ(q.GetRoot()->childCount, 2000);
  uint32_t allocated = 0;
  uint32_t used = q.GetMemoryUsage(&allocated);
  EXPECT_GT(used, 0u);
  EXPECT_GE(allocated, used);
}

TEST_F(XmlFiles, ReadsOfTheFileDoNotCutATextIntoPieces) {
  // Blanks inside a text at the edges of the file's reads (4095 units) stay.
  for (size_t lead : {4089u, 4092u, 8187u}) {
    const std::u16string text = u"w" + std::u16string(lead, u' ') + u"x" + std::u16string(10, u' ') + u"y";
    std::u16string path = Put("cut.xml", u"<r>" + text + u"</r>");
    icXParser_C p(nullptr, nullptr);
    ASSERT_TRUE(p.ParseFile(path.c_str()));
    ASSERT_EQ(p.GetRoot()->textCount, 1);
    const std::u16string got(p.GetRoot()->firstText->text);
    EXPECT_TRUE(got == text) << lead << ": " << got.size() << " units";
  }
}

TEST_F(XmlFiles, BlankPiecesInsideATextAreKept) {
  // expat hands a text over in pieces, at line ends, at each reference and
  // around some markup characters; the blanks at the text's ends go however
  // it was cut, and the text reads back the same after a save.
  struct Case {
    const char16_t* xml;
    const char16_t* text;  // of the root; null for none
  };
  const Case cases[] = {
      {u"<r>&lt; &gt;</r>", u"< >"},
      {u"<r>a&#10; &#10;b</r>", u"a\n \nb"},
      {u"<r>\n  x &amp; \n  y\n</r>", u"x & \n  y"},
      {u"<r>\n \t\n</r>", nullptr},
      {u"<r> <c/> </r>", nullptr},
      {u"<r> ></r>", u">"},
      {u"<r> &gt; </r>", u">"},
      {u"<r>&#13; x</r>", u"\r x"},
  };
  for (const Case& c : cases) {
    std::u16string path = Put("blank.xml", c.xml);
    icXParser_C p(nullptr, nullptr);
    ASSERT_TRUE(p.ParseFile(path.c_str())) << std::string(Utf16ToUtf8(Log(p)));
    const icXElement_C* r = p.GetRoot();
    if (!c.text) {
      EXPECT_EQ(r->textCount, 0) << std::string(Utf16ToUtf8(c.xml));
      continue;
    }
    ASSERT_EQ(r->textCount, 1) << std::string(Utf16ToUtf8(c.xml));
    EXPECT_EQ(std::u16string(r->firstText->text), c.text);
    const std::u16string saved = dir.WFile("blank-saved.xml");
    ASSERT_TRUE(p.SaveFile(saved.c_str()));
    icXParser_C again(nullptr, nullptr);
    ASSERT_TRUE(again.ParseFile(saved.c_str()));
    ASSERT_EQ(again.GetRoot()->textCount, 1);
    EXPECT_EQ(std::u16string(again.GetRoot()->firstText->text), c.text);
  }

  // Saved and read back, the text keeps its blank.
  std::u16string src = Put("keep.xml", u"<r><k>&lt; &gt;</k></r>");
  icXParser_C p(nullptr, nullptr);
  ASSERT_TRUE(p.ParseFile(src.c_str()));
  std::u16string out = dir.WFile("saved.xml");
  ASSERT_TRUE(p.SaveFile(out.c_str()));
  icXParser_C q(nullptr, nullptr);
  ASSERT_TRUE(q.ParseFile(out.c_str()));
  EXPECT_EQ(std::u16string(q.GetRoot()->firstChild->firstText->text), u"< >");
}

TEST_F(XmlFiles, UnpairedSurrogatesAreRefusedBeforeTheParser) {
  struct Case {
    std::u16string xml;
    const char16_t* log;  // the error line
  };
  const Case cases[] = {
      {u"<r>a\xD800&amp;b</r>", u"Error: invalid characters U+D800 (ln:1, col:4)."},
      {u"<r>\xD800</r>", u"Error: invalid characters U+D800 (ln:1, col:3)."},
      {u"<r>\n\U0001F600\xDC00</r>", u"Error: invalid characters U+DC00 (ln:2, col:1)."},
      {u"<r>\xD83D\xD83D\xDE00</r>", u"Error: invalid characters U+D83D (ln:1, col:3)."},
      {u"<r/>\xDBFF", u"Error: invalid characters U+DBFF (ln:1, col:4)."},
  };
  for (const Case& c : cases) Refused("pairs.xml", c.xml, nullptr, c.log);

  // A fault before the unpaired unit is the one reported.
  Refused("first.brx", u"<brPROJECT name=\"a\"><child/>\xD800</brPROJECT>", kDescriptorTable,
          u"Error: Invalid tag name child (ln:1, col:20).");
  Refused("first.xml", u"<a></b>" + std::u16string(9000, u' ') + u"\xDC00", nullptr,
          u"Error: mismatched tag (ln:1, col:5).");

  // A pair split across two reads of the file is one character.
  std::u16string text = u"<r>" + std::u16string(4095 - 3 - 1, u'x') + u"\U0001F600</r>";
  std::u16string path = Put("split.xml", text);
  icXParser_C p(nullptr, nullptr);
  ASSERT_TRUE(p.ParseFile(path.c_str())) << std::string(Utf16ToUtf8(Log(p)));
  EXPECT_EQ(std::u16string(p.GetRoot()->firstText->text).substr(4091), u"\U0001F600");
}

// ---------------------------------------------------------------------------
// The tag table

TEST(XmlDtd, TableAnswersTagAttributeAndTextQueries) {
  const icXDtdRecord_C table[] = {
      {u"doc", 0, nullptr, 2, u"  id:N;kind:F:a:b ", 0},
      {u"item", 2, u"doc:group", 1, u"v:O:x", 1},
      {u"group", 1, u" doc ", 0, nullptr, 0},
      {nullptr, 0, nullptr, 0, nullptr, 0},
  };
  icXParser_C p(nullptr, table);
  ASSERT_FALSE(p.IsDtdInitFailed()) << std::string(Utf16ToUtf8(Log(p)));
  const icXDtdTable_C* dtd = p.GetDtd();
  ASSERT_NE(dtd, nullptr);
  const char16_t* doc = p.Intern(u"doc");
  const char16_t* item = p.Intern(u"item");
  const char16_t* group = p.Intern(u"group");
  EXPECT_TRUE(dtd->IsValidTag(doc, nullptr, 0));
  EXPECT_FALSE(dtd->IsValidTag(item, nullptr, 0));  // has parents: not a root
  EXPECT_TRUE(dtd->IsValidTag(item, doc, 1));
  EXPECT_TRUE(dtd->IsValidTag(item, group, 2));
  EXPECT_FALSE(dtd->IsValidTag(group, item, 2));
  EXPECT_FALSE(dtd->IsValidTag(p.Intern(u"nope"), nullptr, 0));
  // Any value passes for a known attribute; the F and O lists are recorded only.
  EXPECT_TRUE(dtd->IsValidAttribute(doc, p.Intern(u"kind"), p.Intern(u"zzz")));
  EXPECT_TRUE(dtd->IsValidAttribute(item, p.Intern(u"v"), p.Intern(u"")));
  EXPECT_FALSE(dtd->IsValidAttribute(doc, p.Intern(u"v"), p.Intern(u"x")));
  EXPECT_FALSE(dtd->IsValidAttribute(p.Intern(u"nope"), p.Intern(u"id"), p.Intern(u"1")));
  EXPECT_TRUE(dtd->IsTextAllowed(item));
  EXPECT_FALSE(dtd->IsTextAllowed(doc));
  EXPECT_FALSE(dtd->IsTextAllowed(p.Intern(u"nope")));
  const icXDtdTag_C* docDef = dtd->FindTag(doc);
  ASSERT_NE(docDef, nullptr);
  const icXDtdAttr_C* kind = docDef->firstAttr->next;
  EXPECT_EQ(kind->type, kXAttrF);
  ASSERT_NE(kind->firstValue, nullptr);
  EXPECT_EQ(std::u16string(kind->firstValue->value), u"a");
  EXPECT_EQ(std::u16string(kind->lastValue->value), u"b");
}

TEST(XmlDtd, ReportsEveryProblemOfTheTable) {
  const icXDtdRecord_C table[] = {
      {u"a", 2, u"b", 0, nullptr, 0},          // one parent listed, two counted
      {u"b", 1, u"zz", 0, nullptr, 0},         // unknown parent
      {u"c", 1, u"a", 3, u"x:S;y:S", 0},       // attribute count
      {u"d", 0, nullptr, 3, u"p:Q;q;r:S", 0},  // bad type, no type, good
      {nullptr, 0, nullptr, 0, nullptr, 0},
  };
  icXParser_C p(nullptr, table);
  EXPECT_TRUE(p.IsDtdInitFailed());
  EXPECT_EQ(Log(p),
            u"Error: (DTD table) parent no (2), and list (b) are not consistent in tag (a)\n"
            u"Error: (DTD table) can not find the parent tag (zz) of tag (b)\n"
            u"Error: (DTD table) attribute no (3), and list (x:S;y:S) are not consistent in tag (c)\n"
            u"Error: (DTD table), wrong attribute data (p:Q).\n"
            u"Error: (DTD table), wrong attribute data (q).\n");
  TempDir dir;
  WriteBytes(dir.File("f.xml"), Utf16LeBytes(u"<a/>", true));
  std::u16string path = dir.WFile("f.xml");
  EXPECT_FALSE(p.ParseFile(path.c_str()));
  std::u16string tail = u"\n--- Parsing failed on init DTD table. \n";
  EXPECT_EQ(Log(p).substr(Log(p).size() - tail.size()), tail);
}

TEST(XmlNodes, AllocNodeRefusesWholeBlocks) {
  icXParser_C p(nullptr, nullptr);
  EXPECT_EQ(p.AllocNode(4096), nullptr);
  void* a = p.AllocNode(4000);
  void* b = p.AllocNode(4000);  // needs a second block
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(static_cast<unsigned char*>(b)[3999], 0);
}

// ---------------------------------------------------------------------------
// Writing and reading back

TEST_F(XmlFiles, DescriptorWrittenByTheBuilderIsReadBack) {
  WStrBuilder_C b;
  ASSERT_TRUE(b.Append(kDescriptor));
  std::u16string path = dir.WFile("bruser.brx");
  ASSERT_TRUE(b.SaveToFile(path.c_str(), 3));
  // Encoding 3 wrote CR LF line ends after the mark.
  std::vector<uint8_t> bytes = ReadByteVector(dir.File("bruser.brx"));
  ASSERT_GE(bytes.size(), 24u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
  EXPECT_EQ(bytes[22], 0x0D);
  EXPECT_EQ(bytes[24], 0x0A);
  icXParser_C p(nullptr, kDescriptorTable);
  ASSERT_TRUE(p.ParseFile(path.c_str())) << std::string(Utf16ToUtf8(Log(p)));
  EXPECT_EQ(std::u16string(FindAttr(p.GetRoot(), u"language")->value), u"EN");
  EXPECT_EQ(std::u16string(FindAttr(p.GetRoot(), u"poi")->value), u"bruser.poi");
}

TEST_F(XmlFiles, SaveFileEscapesAndKeepsTexts) {
  std::u16string src = Put("src.xml",
                           u"<r q=\"a&amp;b &lt;c&gt; &quot;d&quot;\">"
                           u"<k>x &amp; y &lt; z</k><k/></r>");
  icXParser_C p(nullptr, nullptr);
  ASSERT_TRUE(p.ParseFile(src.c_str()));
  std::u16string out = dir.WFile("out.xml");
  ASSERT_TRUE(p.SaveFile(out.c_str()));

  icXParser_C q(nullptr, nullptr);
  ASSERT_TRUE(q.ParseFile(out.c_str())) << std::string(Utf16ToUtf8(Log(q)));
  const icXElement_C* r = q.GetRoot();
  EXPECT_EQ(std::u16string(r->firstAttr->value), u"a&b <c> \"d\"");
  ASSERT_EQ(r->childCount, 2);
  // The reader delivers the text in pieces (at each character reference).
  std::u16string text;
  for (const icXText_C* t = r->firstChild->firstText; t; t = t->Next()) text += t->text;
  EXPECT_EQ(text, u"x & y < z");

  icXParser_C empty(nullptr, nullptr);
  EXPECT_FALSE(empty.SaveFile(out.c_str()));  // no root
}

// The tree is the caller's to change: whatever its values and texts come to
// hold, the saved file is one the reader takes back, without the characters
// XML does not allow and with U+FFFD for an unpaired surrogate.
TEST_F(XmlFiles, SaveFileWritesWhatTheReaderTakesBackWhateverTheTreeHolds) {
  std::u16string src = Put("src.xml", u"<r q=\"v\">t</r>");
  icXParser_C p(nullptr, nullptr);
  ASSERT_TRUE(p.ParseFile(src.c_str()));
  icXElement_C* r = p.GetRoot();
  r->firstAttr->value = p.Intern(u"a\x01\xFFFE b\xD800");
  r->firstText->text = p.Intern(u"c\x1f\r d\xFFFF");
  std::u16string out = dir.WFile("out.xml");
  ASSERT_TRUE(p.SaveFile(out.c_str()));

  icXParser_C q(nullptr, nullptr);
  ASSERT_TRUE(q.ParseFile(out.c_str())) << std::string(Utf16ToUtf8(Log(q)));
  EXPECT_EQ(std::u16string(q.GetRoot()->firstAttr->value), u"a b\xFFFD");
  std::u16string text;
  for (const icXText_C* t = q.GetRoot()->firstText; t; t = t->Next()) text += t->text;
  EXPECT_EQ(text, u"c\r d");
}
