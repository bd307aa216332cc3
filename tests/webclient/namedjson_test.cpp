#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/utf.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"
#include "webclient/NamedJsonFile.h"

namespace {

std::vector<std::string> g_seen;  // what the handlers were called with

void OnLap(CJsonValue* v) { g_seen.push_back("lap:" + Utf16ToUtf8(v->Stringify(u"", true))); }
void OnNote(CJsonValue* v) { g_seen.push_back("note:" + Utf16ToUtf8(v->Stringify(u"", true))); }

}  // namespace

TEST(NamedJsonFile, WritesLinesAndReplaysThemToTheirHandlers) {
  TempDir dir;
  const std::u16string out = Utf8ToUtf16(dir.File("calls.txt")), plain = Utf8ToUtf16(dir.File("plain.txt"));
  {
    NamedJsonFile_C file;
    ASSERT_TRUE(file.Open(out.c_str(), plain.c_str()));
    CJsonValue lap(JSON_OBJECT);
    lap.AddMember(u"n", CJsonValue(int32_t(3)));
    lap.AddMember(u"t", CJsonValue(u"\u9234\u9e7f (East); \U0001F3C1"));
    EXPECT_TRUE(file.WriteEntry(u"lap", lap));
    EXPECT_TRUE(file.WriteEntry(u"note", CJsonValue(u"a\r\nb")));
    EXPECT_TRUE(file.WriteLine(u"plain text"));
  }
  EXPECT_EQ(ReadByteVector(dir.File("calls.txt")),
            Utf16LeBytes(u"lap( { \"n\" : 3 , \"t\" : \"\u9234\u9e7f (East); \U0001F3C1\" } );\r\n"
                         u"note(\"a\\r\\nb\");\r\n",
                         true));
  EXPECT_EQ(ReadByteVector(dir.File("plain.txt")), Utf16LeBytes(u"plain text\r\n", true));

  // Lines that cannot be replayed are skipped: no parenthesis, nothing after
  // it, an unknown name, a name that holds U+0000, a line that is too long.
  std::vector<uint8_t> bytes = ReadByteVector(dir.File("calls.txt"));
  const std::vector<uint8_t> bad =
      Utf16LeBytes(u"no parenthesis\r\nlap(\r\nunknown(1);\r\n" + std::u16string(u"lap\0x(1);\r\n", 11) + u"note(\"" +
                       std::u16string(NamedJsonFile_C::kMaxLine, u'x') + u"\");\r\nnote([1,2]);",
                   false);
  bytes.insert(bytes.end(), bad.begin(), bad.end());
  WriteBytes(dir.File("replay.txt"), bytes);

  NamedJsonFile_C file;
  NamedJsonPair pairs[] = {{u"lap", &OnLap}, {u"note", &OnNote}};
  ASSERT_TRUE(file.RegisterMany(2, pairs));
  EXPECT_FALSE(file.Register(u"lap", &OnNote));
  EXPECT_FALSE(file.Register(nullptr, &OnNote));
  g_seen.clear();
  EXPECT_EQ(file.Load(Utf8ToUtf16(dir.File("replay.txt")).c_str()), 3);
  EXPECT_EQ(g_seen, (std::vector<std::string>{
                        "lap: { \"n\" : 3 , \"t\" : \"\xE9\x88\xB4\xE9\xB9\xBF (East); \xF0\x9F\x8F\x81\" } ",
                        "note:\"a\\r\\nb\"", "note: [ 1 , 2 ] "}));
  EXPECT_EQ(file.Load(Utf8ToUtf16(dir.File("missing.txt")).c_str()), -1);

  CJsonValue v(int32_t(5));
  EXPECT_FALSE(file.Dispatch(u"unknown", &v));
  g_seen.clear();
  EXPECT_TRUE(file.Dispatch(u"lap", &v));
  EXPECT_EQ(g_seen, (std::vector<std::string>{"lap:5"}));
  // Without an open output file nothing is written.
  EXPECT_FALSE(file.WriteEntry(u"lap", v));
  EXPECT_FALSE(file.WriteLine(u"x"));
}

TEST(NamedJsonFile, PlainLinesGoToTheOutputWithoutASecondFile) {
  TempDir dir;
  NamedJsonFile_C file;
  const std::u16string out = Utf8ToUtf16(dir.File("calls.txt"));
  ASSERT_TRUE(file.Open(out.c_str(), nullptr));
  EXPECT_TRUE(file.WriteLine(u"one"));
  EXPECT_TRUE(file.WriteEntry(u"x", CJsonValue(1.5)));
  EXPECT_EQ(ReadByteVector(dir.File("calls.txt")), Utf16LeBytes(u"one\r\nx(1.5000000000000000);\r\n", true));
  EXPECT_FALSE(file.Open(Utf8ToUtf16(dir.File("no/such/folder/x.txt")).c_str(), nullptr));
}
