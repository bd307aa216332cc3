#include "icbase/src/icutil/utdm/unifile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "icbase/src/icutil/utils.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

using Bytes = std::vector<uint8_t>;

namespace {

Bytes SaveBytes(const TempDir& dir, const std::u16string& text, int32_t enc) {
  WStrBuilder_C b(0);
  EXPECT_TRUE(b.Append(text.c_str(), static_cast<int32_t>(text.size())));
  std::u16string path = dir.WFile("out.txt");
  EXPECT_TRUE(b.SaveToFile(path.c_str(), enc));
  return ReadByteVector(dir.File("out.txt"));
}

}  // namespace

// ---------------------------------------------------------------------------
// Writing: the exact bytes of each encoding.

TEST(UniFileWrite, GoldenBytesOfTheThreeEncodings) {
  TempDir dir;
  EXPECT_EQ(SaveBytes(dir, u"a\nb", 3), (Bytes{0xFF, 0xFE, 0x61, 0x00, 0x0D, 0x00, 0x0A, 0x00, 0x62, 0x00}));
  EXPECT_EQ(SaveBytes(dir, u"a\nb", 2), (Bytes{0xEF, 0xBB, 0xBF, 0x61, 0x0A, 0x62}));
  EXPECT_EQ(SaveBytes(dir, u"a\nb", 1), (Bytes{0x61, 0x0A, 0x62}));
  // Two- and three-byte sequences; UTF-16 keeps the units as they are.
  EXPECT_EQ(SaveBytes(dir, u"\u00E9\u6771", 1), (Bytes{0xC3, 0xA9, 0xE6, 0x9D, 0xB1}));
  EXPECT_EQ(SaveBytes(dir, u"\u00E9\u6771", 3), (Bytes{0xFF, 0xFE, 0xE9, 0x00, 0x71, 0x67}));
}

TEST(UniFileWrite, SurrogatePairsStayWholeAndLoneSurrogatesBecomeReplacement) {
  TempDir dir;
  // U+1F600 as one 4-byte sequence.
  EXPECT_EQ(SaveBytes(dir, u"x\U0001F600y", 1), (Bytes{0x78, 0xF0, 0x9F, 0x98, 0x80, 0x79}));
  EXPECT_EQ(SaveBytes(dir, u"\U0001F600", 2), (Bytes{0xEF, 0xBB, 0xBF, 0xF0, 0x9F, 0x98, 0x80}));
  // A high surrogate followed by an ordinary unit, a lone low surrogate, and
  // a high surrogate at the very end.
  std::u16string lone = {0xD83D, u'a', 0xDE00, u'b', 0xD83D};
  EXPECT_EQ(SaveBytes(dir, lone, 1), (Bytes{0xEF, 0xBF, 0xBD, 0x61, 0xEF, 0xBF, 0xBD, 0x62, 0xEF, 0xBF, 0xBD}));
  // Two high surrogates in a row: the first is lone, the second pairs.
  std::u16string twoHigh = {0xD83D, 0xD83D, 0xDE00};
  EXPECT_EQ(SaveBytes(dir, twoHigh, 1), (Bytes{0xEF, 0xBF, 0xBD, 0xF0, 0x9F, 0x98, 0x80}));
  // UTF-16 output writes the units unchanged, lone or not.
  EXPECT_EQ(SaveBytes(dir, lone, 3), (Bytes{0xFF, 0xFE, 0x3D, 0xD8, 0x61, 0x00, 0x00, 0xDE, 0x62, 0x00, 0x3D, 0xD8}));
}

TEST(UniFileWrite, RawWritersIgnoreTheEncoding) {
  TempDir dir;
  std::u16string path = dir.WFile("raw.txt");
  UniFile_C f;
  ASSERT_TRUE(f.Open(path.c_str(), 2, 1));
  f.SetIndentTabs(2);
  EXPECT_TRUE(f.WriteLine(1, u"ab", 2));
  EXPECT_TRUE(f.WriteLine(0, u"c", 1));
  EXPECT_TRUE(f.Printf(0, u"%d-%s", 7, u"z"));
  EXPECT_TRUE(f.WriteText(u"\u00E9", 1));
  EXPECT_TRUE(f.Close());
  EXPECT_EQ(ReadByteVector(dir.File("raw.txt")), Utf16LeBytes(u"\t\tab\nc\n7-z\n\u00E9", false));
}

TEST(UniFileWrite, OpenRulesForWriting) {
  TempDir dir;
  std::u16string path = dir.WFile("w.txt");
  UniFile_C f;
  // Encoding 0 is refused for writing and creates nothing.
  EXPECT_FALSE(f.Open(path.c_str(), 2, 0));
  EXPECT_TRUE(dir.Entries().empty());
  ASSERT_TRUE(f.Open(path.c_str(), 2, 3));
  EXPECT_FALSE(f.Open(path.c_str(), 2, 3));  // already open
  EXPECT_EQ(f.ReadChar(), 0xFFFF);           // opened for writing
  const char16_t* line = u"x";
  EXPECT_EQ(f.ReadLine(&line), -1);
  EXPECT_EQ(line, nullptr);
  EXPECT_EQ(f.WriteChars(u"ab", 2), 2);
  EXPECT_TRUE(f.Close());
  EXPECT_FALSE(f.Close());  // nothing open any more
  EXPECT_EQ(f.WriteChars(u"ab", 2), -1);
  EXPECT_EQ(ReadByteVector(dir.File("w.txt")), (Bytes{0xFF, 0xFE, 0x61, 0x00, 0x62, 0x00}));
}

// ---------------------------------------------------------------------------
// Saving: failures are reported and the old file stays whole.

TEST(UniFileSave, ReplacesTheTargetAndKeepsItsPermissions) {
  TempDir dir;
  WriteBytes(dir.File("t.txt"), Bytes{'o', 'l', 'd'});
  ::chmod(dir.File("t.txt").c_str(), 0640);
  WStrBuilder_C b;
  b.Append(u"new");
  std::u16string path = dir.WFile("t.txt");
  ASSERT_TRUE(b.SaveToFile(path.c_str(), 1));
  EXPECT_EQ(ReadByteVector(dir.File("t.txt")), (Bytes{'n', 'e', 'w'}));
  struct stat st;
  ASSERT_EQ(::stat(dir.File("t.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"t.txt"});  // no temporary file left
}

TEST(UniFileSave, ThroughALinkAndNearTheNameLimit) {
  TempDir dir;
  WStrBuilder_C b;
  b.Append(u"new");

  // The link stays a link; the file it names gets the text.
  WriteBytes(dir.File("real.txt"), Bytes{'o', 'l', 'd'});
  ASSERT_EQ(::symlink("real.txt", dir.File("link.txt").c_str()), 0);
  ASSERT_TRUE(b.SaveToFile(dir.WFile("link.txt").c_str(), 1));
  struct stat st;
  ASSERT_EQ(::lstat(dir.File("link.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadByteVector(dir.File("real.txt")), (Bytes{'n', 'e', 'w'}));

  // A name of 250 bytes leaves no room for a suffix: the temporary file has
  // a short name of its own.
  std::string longName(246, 'n');
  longName += ".txt";
  ASSERT_TRUE(b.SaveToFile(dir.WFile(longName).c_str(), 1));
  EXPECT_EQ(ReadByteVector(dir.File(longName)), (Bytes{'n', 'e', 'w'}));
  EXPECT_EQ(dir.Entries().size(), 3u);  // no temporary file left
}

TEST(UniFileSave, ReadOnlyTargetOrFolderFailsAndLeavesTheOldFile) {
  TempDir dir;
  WriteBytes(dir.File("ro.txt"), Bytes{'o', 'l', 'd'});
  ::chmod(dir.File("ro.txt").c_str(), 0444);
  WStrBuilder_C b;
  b.Append(u"new text");
  std::u16string ro = dir.WFile("ro.txt");
  EXPECT_FALSE(b.SaveToFile(ro.c_str(), 3));
  EXPECT_EQ(ReadByteVector(dir.File("ro.txt")), (Bytes{'o', 'l', 'd'}));

  std::u16string sub = dir.WFile("sub");
  ASSERT_TRUE(CreateFolder(sub.c_str()));
  EXPECT_FALSE(b.SaveToFile(sub.c_str(), 3));
  std::u16string missing = dir.WFile("no/such/folder.txt");
  EXPECT_FALSE(b.SaveToFile(missing.c_str(), 3));
  EXPECT_FALSE(b.SaveToFile(nullptr, 3));
  std::u16string fine = dir.WFile("fine.txt");
  EXPECT_FALSE(b.SaveToFile(fine.c_str(), 0));  // encoding 0 cannot be written
  EXPECT_FALSE(b.SaveToFile(fine.c_str(), 4));
}

TEST(UniFileSave, FullDiskFailsAndLeavesTheOldFile) {
  TempDir dir;
  Bytes old(100, 'o');
  WriteBytes(dir.File("big.txt"), old);
  WStrBuilder_C b;
  std::u16string text(20000, u'x');
  ASSERT_TRUE(b.Append(text.c_str(), static_cast<int32_t>(text.size())));
  std::u16string path = dir.WFile("big.txt");

  // A file-size limit makes every write past 4096 bytes fail as on a full disk.
  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool ok3 = b.SaveToFile(path.c_str(), 3);
  bool ok1 = b.SaveToFile(path.c_str(), 1);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(ok3);
  EXPECT_FALSE(ok1);
  EXPECT_EQ(ReadByteVector(dir.File("big.txt")), old);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"big.txt"});
  // Without the limit the same save succeeds.
  EXPECT_TRUE(b.SaveToFile(path.c_str(), 1));
  EXPECT_EQ(ReadByteVector(dir.File("big.txt")).size(), 20000u);
}

TEST(UniFileSave, EmptyBuilderWritesOnlyTheMarkAndReportsFalse) {
  TempDir dir;
  WStrBuilder_C b;
  std::u16string path = dir.WFile("e.txt");
  EXPECT_FALSE(b.SaveToFile(path.c_str(), 3));
  EXPECT_EQ(ReadByteVector(dir.File("e.txt")), (Bytes{0xFF, 0xFE}));
}

// ---------------------------------------------------------------------------
// Reading

TEST(UniFileRead, MarkDecidesTheEncoding) {
  TempDir dir;
  WriteBytes(dir.File("u16.txt"), Utf16LeBytes(u"A\u00E9", true));
  WriteBytes(dir.File("plain.txt"), Bytes{'h', 'i'});
  WriteBytes(dir.File("efbb.txt"), Bytes{0xEF, 0xBB, 0x41});
  WriteBytes(dir.File("bom8.txt"), Bytes{0xEF, 0xBB, 0xBF, 'z'});
  std::u16string u16 = dir.WFile("u16.txt"), plain = dir.WFile("plain.txt"), efbb = dir.WFile("efbb.txt"),
                 bom8 = dir.WFile("bom8.txt");

  UniFile_C f;
  ASSERT_TRUE(f.Open(u16.c_str(), 1, 0));
  EXPECT_EQ(f.GetEncoding(), 3);
  EXPECT_EQ(f.GetSize(), 6);
  EXPECT_EQ(f.ReadChar(), u'A');
  EXPECT_EQ(f.ReadChar(), u'\u00E9');
  EXPECT_EQ(f.ReadChar(), 0);  // end of file
  f.Close();

  // No mark: refused for encoding 3, UTF-8 from the first byte for 0.
  EXPECT_FALSE(f.Open(plain.c_str(), 1, 3));
  EXPECT_FALSE(f.IsOpen());
  ASSERT_TRUE(f.Open(plain.c_str(), 1, 0));
  EXPECT_EQ(f.GetEncoding(), 2);
  char buf[4] = {};
  EXPECT_EQ(f.ReadBytes(buf, 4), 2);
  EXPECT_EQ(std::string(buf, 2), "hi");
  f.Close();

  // EF BB without BF: read from the first byte.
  ASSERT_TRUE(f.Open(efbb.c_str(), 1, 2));
  EXPECT_EQ(f.ReadBytes(buf, 4), 3);
  EXPECT_EQ(static_cast<uint8_t>(buf[0]), 0xEF);
  f.Close();
  // EF BB BF: read after the mark.
  ASSERT_TRUE(f.Open(bom8.c_str(), 1, 0));
  EXPECT_EQ(f.ReadBytes(buf, 4), 1);
  EXPECT_EQ(buf[0], 'z');
  f.Close();

  // A UTF-16 file is refused for a UTF-8 request; encoding 1 is never readable.
  EXPECT_FALSE(f.Open(u16.c_str(), 1, 2));
  EXPECT_FALSE(f.Open(plain.c_str(), 1, 1));
  std::u16string missing = dir.WFile("missing.txt");
  EXPECT_FALSE(f.Open(missing.c_str(), 1, 0));
  EXPECT_EQ(f.ReadChar(), 0xFFFF);
  EXPECT_EQ(f.ReadBytes(buf, 1), -1);
}

TEST(UniFileRead, ReadLineReadsLongLinesWhole) {
  TempDir dir;
  std::u16string longLine(20000, u'q');
  WriteBytes(dir.File("lines.txt"), Utf16LeBytes(u"ab\r\n" + longLine + u"\n\nlast", true));
  std::u16string path = dir.WFile("lines.txt");
  UniFile_C f;
  ASSERT_TRUE(f.Open(path.c_str(), 1, 3));
  const char16_t* line = nullptr;
  EXPECT_EQ(f.ReadLine(&line), 3);
  EXPECT_EQ(std::u16string(line), u"ab\r");
  EXPECT_EQ(f.ReadLine(&line), 20000);
  EXPECT_EQ(std::u16string(line), longLine);
  EXPECT_EQ(f.ReadLine(&line), 0);
  EXPECT_EQ(std::u16string(line), u"");
  EXPECT_EQ(f.ReadLine(&line), 4);
  EXPECT_EQ(std::u16string(line), u"last");
  EXPECT_EQ(f.ReadLine(&line), 0);
  f.Close();
}

TEST(UniFileRead, AFileEndingInsideAUnitEndsWithAReplacementCharacter) {
  TempDir dir;
  Bytes bytes = Utf16LeBytes(u"ab\nc", true);
  bytes.push_back(0x41);
  WriteBytes(dir.File("cut.txt"), bytes);
  std::u16string path = dir.WFile("cut.txt");
  UniFile_C f;
  ASSERT_TRUE(f.Open(path.c_str(), 1, 3));
  const char16_t* line = nullptr;
  EXPECT_EQ(f.ReadLine(&line), 2);
  EXPECT_EQ(f.ReadLine(&line), 2);
  EXPECT_EQ(std::u16string(line), u"c\uFFFD");
  EXPECT_EQ(f.ReadChar(), 0);
}

TEST(UniFileRead, ReadUnitsCountsWholeUnits) {
  TempDir dir;
  Bytes bytes = Utf16LeBytes(u"xyz", true);
  bytes.push_back(0x41);  // an odd last byte
  WriteBytes(dir.File("odd.txt"), bytes);
  std::u16string path = dir.WFile("odd.txt");
  UniFile_C f;
  ASSERT_TRUE(f.Open(path.c_str(), 1, 3));
  char16_t units[8] = {};
  EXPECT_EQ(f.ReadUnits(units, 8), 3);
  EXPECT_EQ(std::u16string(units, 3), u"xyz");
}

TEST(UniFileReadDeathTest, ReadingUtf8CharactersIsAProgrammingError) {
  TempDir dir;
  WriteBytes(dir.File("p.txt"), Bytes{'p'});
  std::u16string path = dir.WFile("p.txt");
  EXPECT_DEATH(
      {
        UniFile_C f;
        f.Open(path.c_str(), 1, 0);
        f.ReadChar();
      },
      "");
}

// ---------------------------------------------------------------------------
// The builder

TEST(WStrBuilder, GrowsInStepsOf8192) {
  EXPECT_EQ(WStrBuilder_C::RoundUp8192(0), 8192);
  EXPECT_EQ(WStrBuilder_C::RoundUp8192(8191), 8192);
  EXPECT_EQ(WStrBuilder_C::RoundUp8192(8192), 16384);

  WStrBuilder_C a(100);
  EXPECT_EQ(a.GetCapacity(), 8192);  // whatever the initial size
  std::u16string u8190(8190, u'a');
  ASSERT_TRUE(a.Append(u8190.c_str(), 8190));
  EXPECT_EQ(a.GetCapacity(), 8192);
  ASSERT_TRUE(a.Append(u"b"));  // 8191 >= 8192 - 1
  EXPECT_EQ(a.GetCapacity(), 16384);
  EXPECT_EQ(a.GetLength(), 8191);
  EXPECT_EQ(a.GetText()[8190], u'b');
  EXPECT_EQ(a.GetText()[8191], 0);

  WStrBuilder_C b;
  std::u16string u8191(8191, u'c');
  ASSERT_TRUE(b.Append(u8191.c_str(), 8191));
  EXPECT_EQ(b.GetCapacity(), 16384);

  EXPECT_FALSE(b.Append(nullptr));
  EXPECT_FALSE(b.Append(u"x", -1));
  b.Clear();
  EXPECT_EQ(b.GetLength(), 0);
  EXPECT_EQ(b.GetText()[0], 0);
  b.Release();
  EXPECT_EQ(b.GetCapacity(), 0);
  EXPECT_EQ(std::u16string(b.GetText()), u"");
  ASSERT_TRUE(b.Append(u"again"));  // a released builder starts over
  EXPECT_EQ(std::u16string(b.GetText()), u"again");
}

TEST(WStrBuilder, OwnTextIsAppendedWhileTheBufferGrows) {
  std::u16string half(5000, u'a');
  half[0] = u'<';
  WStrBuilder_C b;
  ASSERT_TRUE(b.Append(half.c_str()));
  ASSERT_TRUE(b.Append(b.GetText()));  // 10000 units: the buffer moves
  EXPECT_EQ(std::u16string(b.GetText()), half + half);

  WStrBuilder_C line;
  line.SetIndent(1);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(line.Append(half.c_str()));
  ASSERT_TRUE(line.AppendLine(line.GetText() + 5000, 5000));  // 20002 units: the buffer moves
  EXPECT_EQ(std::u16string(line.GetText()), half + half + half + u"\t" + half + u"\n");
}

TEST(WStrBuilder, AppendLineIndentsAndEndsWithLf) {
  WStrBuilder_C b;
  b.SetIndent(2);
  ASSERT_TRUE(b.AppendLine(u"x"));
  ASSERT_TRUE(b.AppendLine(nullptr));
  b.SetIndent(0);
  ASSERT_TRUE(b.AppendLine(u"yz", 1));
  EXPECT_EQ(std::u16string(b.GetText()), u"\t\tx\n\t\t\ny\n");
}

namespace {
bool FailEveryAllocation(size_t) { return true; }
bool FailAbove60000Bytes(size_t bytes) { return bytes > 60000; }
}  // namespace

TEST(WStrBuilder, DoublesOrTakesOnlyTheStepWhenTheDoubleCannotBeHad) {
  const std::u16string piece(10000, u'p');
  WStrBuilder_C b;
  ASSERT_TRUE(b.Append(piece.c_str()));
  EXPECT_EQ(b.GetCapacity(), 16384);
  ASSERT_TRUE(b.Append(piece.c_str()));
  EXPECT_EQ(b.GetCapacity(), 32768);  // 24576 would hold the text

  WStrBuilder_C tight;
  ASSERT_TRUE(tight.Append(piece.c_str()));
  MemSetFailHook(&FailAbove60000Bytes);  // 32768 units are 65536 bytes
  const bool grew = tight.Append(piece.c_str(), 7000);
  MemSetFailHook(nullptr);
  EXPECT_TRUE(grew);
  EXPECT_EQ(tight.GetCapacity(), 24576);
  EXPECT_EQ(std::u16string(tight.GetText()), piece + piece.substr(0, 7000));
}

TEST(WStrBuilder, FailedGrowthKeepsTheText) {
  WStrBuilder_C b;
  ASSERT_TRUE(b.Append(u"keep me"));
  std::u16string big(10000, u'z');
  MemSetFailHook(&FailEveryAllocation);
  bool grew = b.Append(big.c_str(), static_cast<int32_t>(big.size()));
  bool lineGrew = b.AppendLine(big.c_str(), static_cast<int32_t>(big.size()));
  MemSetFailHook(nullptr);
  EXPECT_FALSE(grew);
  EXPECT_FALSE(lineGrew);
  EXPECT_EQ(b.GetCapacity(), 8192);
  EXPECT_EQ(std::u16string(b.GetText()), u"keep me");
  EXPECT_TRUE(b.Append(big.c_str(), static_cast<int32_t>(big.size())));
  EXPECT_EQ(b.GetLength(), 10007);

  MemSetFailHook(&FailEveryAllocation);
  WStrBuilder_C none;
  MemSetFailHook(nullptr);
  EXPECT_EQ(none.GetCapacity(), 0);
  EXPECT_EQ(std::u16string(none.GetText()), u"");
}

// ---------------------------------------------------------------------------
// Line reader, byte buffers, file wrappers

TEST(LineReader, ALineThatFillsTheWindowIsOneLine) {
  struct Case {
    const char16_t* text;
    int32_t window;
    std::vector<std::u16string> lines;
  };
  const Case cases[] = {
      {u"abcd\nxy", 4, {u"abcd", u"xy"}},
      {u"abcd\n\nxy", 4, {u"abcd", u"", u"xy"}},
      {u"abcdefgh\n", 4, {u"abcd", u"efgh"}},
      {u"abcde\nxy", 4, {u"abcd", u"e", u"xy"}},
      {u"abc\r\nx", 4, {u"abc\r", u"x"}},
      // A character of two units is not cut in half.
      {u"abc\U0001F600d", 4, {u"abc", u"\U0001F600d"}},
      {u"\U0001F600", 1, {u"\xD83D", u"\xDE00"}},
  };
  for (const Case& c : cases) {
    LineReader_C r(c.window);
    ASSERT_TRUE(r.Append(c.text));
    r.Begin();
    std::vector<std::u16string> lines;
    while (const char16_t* l = r.NextLine()) lines.emplace_back(l);
    r.End();
    EXPECT_EQ(lines, c.lines) << std::string(Utf16ToUtf8(c.text));
    EXPECT_EQ(std::u16string(r.GetText()), c.text);
  }
}

TEST(LineReader, SplitsInPlaceAndRestoresTheText) {
  LineReader_C r(4);
  ASSERT_TRUE(r.Append(u"ab\ncdefgh\r\n\nxy"));
  EXPECT_EQ(r.NextLine(), nullptr);  // not begun
  r.Begin();
  std::vector<std::u16string> lines;
  while (const char16_t* l = r.NextLine()) lines.emplace_back(l);
  EXPECT_EQ(lines, (std::vector<std::u16string>{u"ab", u"cdef", u"gh\r", u"", u"xy"}));
  r.End();
  EXPECT_EQ(std::u16string(r.GetText()), u"ab\ncdefgh\r\n\nxy");

  // A pass ended half-way puts the hidden unit back.
  r.Begin();
  EXPECT_EQ(std::u16string(r.NextLine()), u"ab");
  r.End();
  EXPECT_EQ(std::u16string(r.GetText()), u"ab\ncdefgh\r\n\nxy");
  EXPECT_EQ(r.NextLine(), nullptr);

  LineReader_C trailing;
  trailing.Append(u"one\n");
  trailing.Begin();
  EXPECT_EQ(std::u16string(trailing.NextLine()), u"one");
  EXPECT_EQ(trailing.NextLine(), nullptr);
}

TEST(ByteBuffer, SavesAndLoadsWholeFiles) {
  TempDir dir;
  EXPECT_EQ(ByteBuffer_C::RoundUp20480(0), 20480);
  EXPECT_EQ(ByteBuffer_C::RoundUp20480(20480), 40960);
  std::u16string path = dir.WFile("b.bin");

  ByteBuffer_C save(2);
  EXPECT_FALSE(save.SaveFile(path.c_str()));  // no data
  Bytes data(30000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  ASSERT_TRUE(save.AppendBytes(data.data(), static_cast<int32_t>(data.size())));
  ASSERT_TRUE(save.AppendByte(0));
  EXPECT_EQ(save.GetCapacity(), 40960);
  EXPECT_FALSE(save.LoadFile(path.c_str()));  // wrong mode
  ASSERT_TRUE(save.SaveFile(path.c_str()));

  ByteBuffer_C load(1);
  EXPECT_FALSE(load.SaveFile(path.c_str()));  // wrong mode
  ASSERT_TRUE(load.LoadFile(path.c_str()));
  ASSERT_EQ(load.GetLength(), 30001);
  EXPECT_EQ(Bytes(load.GetData(), load.GetData() + 30000), data);

  WriteBytes(dir.File("empty.bin"), Bytes{});
  std::u16string empty = dir.WFile("empty.bin"), missing = dir.WFile("missing.bin");
  EXPECT_FALSE(load.LoadFile(empty.c_str()));
  EXPECT_FALSE(load.LoadFile(missing.c_str()));
}

TEST(ByteArray, GrowsByMultiplesOfItsCapacity) {
  ByteArray_C a;
  Bytes chunk(63, 1);
  ASSERT_TRUE(a.Append(63, chunk.data()));
  EXPECT_EQ(a.GetCapacity(), 64);
  ASSERT_TRUE(a.Append(1, chunk.data()));  // 64 needed: strictly above gives 128
  EXPECT_EQ(a.GetCapacity(), 128);
  Bytes more(300, 2);
  ASSERT_TRUE(a.Append(300, more.data()));  // 364 needed: next multiple of 128 above it
  EXPECT_EQ(a.GetCapacity(), 384);
  EXPECT_EQ(a.GetLength(), 364);
  EXPECT_EQ(a.GetData()[363], 2);
  EXPECT_FALSE(a.Append(1, nullptr));
  a.Clear();
  EXPECT_EQ(a.GetLength(), 0);
  EXPECT_EQ(a.GetData()[0], 0);
}

TEST(FileWrappers, ReportWhetherThePlatformCallSucceeded) {
  TempDir dir;
  std::u16string sub = dir.WFile("f"), file = dir.WFile("f/x.txt");
  EXPECT_TRUE(CreateFolder(sub.c_str()));
  EXPECT_FALSE(CreateFolder(sub.c_str()));
  FILE* f = FileOpen(file.c_str(), u"wb");
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(FileClose(f));
  EXPECT_FALSE(FileClose(nullptr));
  EXPECT_EQ(FileOpen(file.c_str(), nullptr), nullptr);
  EXPECT_FALSE(RemoveFolder(sub.c_str()));  // not empty
  EXPECT_TRUE(DeleteFileChecked(file.c_str()));
  EXPECT_FALSE(DeleteFileChecked(file.c_str()));
  EXPECT_TRUE(RemoveFolder(sub.c_str()));
  EXPECT_FALSE(CreateFolder(nullptr));
}
