// The beacon file reader against files written here byte by byte.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <vector>

#include "appcore/BeaconFile.h"
#include "platform/win32/utf.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

struct Entry {
  int32_t type;
  const char* name;
  double lat, lon;
  float heading;
  int32_t width, color;
};

// The value's bytes, little-endian.
template <class T>
void Put(std::vector<uint8_t>& b, T v) {
  using Bits = std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t>;
  const Bits u = std::bit_cast<Bits>(v);
  for (size_t i = 0; i < sizeof u; ++i) b.push_back(static_cast<uint8_t>(u >> (8 * i)));
}
void PutI32(std::vector<uint8_t>& b, int32_t v) { Put(b, v); }

void PutHeader(std::vector<uint8_t>& b, int32_t count) {
  size_t start = b.size();
  PutI32(b, 0x58434E42);  // fields the reader does not use carry noise
  PutI32(b, 7);
  for (int i = 0; i < 32 + 128; ++i) b.push_back(static_cast<uint8_t>('a' + i % 26));
  PutI32(b, -1);
  PutI32(b, 99);
  PutI32(b, count);
  EXPECT_EQ(b.size() - start, 180u);
}

void PutEntry(std::vector<uint8_t>& b, const Entry& e) {
  size_t start = b.size();
  PutI32(b, e.type);
  char name[32] = {};
  std::strncpy(name, e.name, sizeof name - 1);
  b.insert(b.end(), name, name + 32);
  Put(b, e.lat);
  Put(b, e.lon);
  Put(b, e.heading);
  PutI32(b, e.width);
  PutI32(b, e.color);
  EXPECT_EQ(b.size() - start, 64u);
}

// A file of one block: the header with `count`, then the entries.
std::vector<uint8_t> Block(int32_t count, std::initializer_list<Entry> entries) {
  std::vector<uint8_t> b;
  PutHeader(b, count);
  for (const Entry& e : entries) PutEntry(b, e);
  return b;
}

class BeaconFileTest : public ::testing::Test {
 protected:
  std::u16string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    EXPECT_TRUE(WriteBytes(m_dir.File(name), bytes));
    return m_dir.WFile(name);
  }

  TempDir m_dir;
};

TEST_F(BeaconFileTest, ReadsTheLayoutFieldByFieldAndNamesByType) {
  std::u16string path = Write("track.bcnx", Block(5, {{0, "stored name", 48.3125, 11.5625, 359.5f, 15, 0x00FF00},
                                                      {3, "x", 48.25, 11.5, 90.0f, 12, 1},
                                                      {3, "y", -33.75, -70.125, 180.25f, 10, 2},
                                                      {1, "", 1.0, 2.0, 3.0f, 4, 5},
                                                      {2, "", 6.0, 7.0, 8.0f, 9, 10}}));

  ASSERT_EQ(ReadBeaconCount(path.c_str()), 5);
  std::vector<BeaconRec> recs(5);
  ASSERT_TRUE(ReadBeaconFile(path.c_str(), recs.data(), 5));
  EXPECT_EQ(recs[0].type, 0);
  EXPECT_STREQ(recs[0].name, "Start/Finish");
  EXPECT_DOUBLE_EQ(recs[0].lat, 48.3125);
  EXPECT_DOUBLE_EQ(recs[0].lon, 11.5625);
  EXPECT_DOUBLE_EQ(recs[0].heading, 359.5);
  EXPECT_EQ(recs[0].width, 15);
  EXPECT_EQ(recs[0].color, 0x00FF00);
  EXPECT_STREQ(recs[1].name, "S1");
  EXPECT_STREQ(recs[2].name, "S2");
  EXPECT_DOUBLE_EQ(recs[2].lat, -33.75);
  EXPECT_DOUBLE_EQ(recs[2].heading, 180.25);
  EXPECT_STREQ(recs[3].name, "Start");
  EXPECT_STREQ(recs[4].name, "Finish");
  EXPECT_EQ(recs[4].color, 10);
}

TEST_F(BeaconFileTest, OneEntryFileAndTooShortOrMissingFiles) {
  std::vector<uint8_t> b;
  PutHeader(b, 1);
  PutEntry(b, {0, "", 1.5, 2.5, 3.5f, 4, 5});
  ASSERT_EQ(b.size(), 244u);
  std::u16string exact = Write("exact.bcnx", b);
  EXPECT_EQ(ReadBeaconCount(exact.c_str()), 1);
  BeaconRec one{};
  EXPECT_TRUE(ReadBeaconFile(exact.c_str(), &one, 1));
  EXPECT_DOUBLE_EQ(one.lat, 1.5);

  b.pop_back();
  std::u16string shortFile = Write("short.bcnx", b);
  EXPECT_EQ(ReadBeaconCount(shortFile.c_str()), 0);
  BeaconRec untouched{};
  untouched.width = 77;
  EXPECT_FALSE(ReadBeaconFile(shortFile.c_str(), &untouched, 1));
  EXPECT_EQ(untouched.width, 77);

  std::u16string missing = m_dir.WFile("none.bcnx");
  EXPECT_EQ(ReadBeaconCount(missing.c_str()), 0);
  EXPECT_FALSE(ReadBeaconFile(missing.c_str(), &untouched, 1));
  EXPECT_EQ(ReadBeaconCount(nullptr), 0);
}

TEST_F(BeaconFileTest, NegativeAndOversizedCountsAreClampedToTheEntriesPresent) {
  std::u16string negPath = Write("neg.bcnx", Block(-3, {{0, "", 1, 2, 3, 4, 5}}));
  EXPECT_EQ(ReadBeaconCount(negPath.c_str()), 0);
  BeaconRec rec{};
  rec.width = 5;
  EXPECT_EQ(ReadBeaconFile(negPath.c_str(), &rec, 1), 0);
  EXPECT_EQ(rec.width, 0);  // zeroed, nothing stored

  std::u16string bigPath =
      Write("big.bcnx", Block(1000000, {{0, "", 10, 20, 30, 40, 50}, {3, "", 11, 21, 31, 41, 51}}));
  int32_t count = ReadBeaconCount(bigPath.c_str());
  ASSERT_EQ(count, 2);
  std::vector<BeaconRec> recs(static_cast<size_t>(count));
  EXPECT_TRUE(ReadBeaconFile(bigPath.c_str(), recs.data(), count));
  EXPECT_STREQ(recs[1].name, "S1");
  EXPECT_EQ(recs[1].width, 41);
}

TEST_F(BeaconFileTest, EntriesBeyondTheRoomAreDroppedAndUnknownTypesHaveNoName) {
  std::u16string path = Write(
      "room.bcnx", Block(3, {{7, "garbage name", 1, 2, 3, 4, 5}, {3, "", 1, 2, 3, 4, 5}, {0, "", 9, 9, 9, 9, 9}}));
  // Room for two only: the third entry must not be written past the array.
  std::vector<BeaconRec> recs(2);
  std::memset(recs.data(), 0x5A, sizeof(BeaconRec) * recs.size());
  EXPECT_TRUE(ReadBeaconFile(path.c_str(), recs.data(), 2));
  EXPECT_EQ(recs[0].type, 7);
  EXPECT_STREQ(recs[0].name, "");
  EXPECT_EQ(recs[0].width, 4);
  EXPECT_STREQ(recs[1].name, "S1");
}

TEST_F(BeaconFileTest, ALaterBlockRefillsFromTheFirstElementWithinTheRoom) {
  std::vector<uint8_t> b;
  PutHeader(b, 1);
  PutEntry(b, {0, "", 1, 1, 1, 1, 1});
  PutHeader(b, 2);
  PutEntry(b, {3, "", 2, 2, 2, 2, 2});
  PutEntry(b, {3, "", 3, 3, 3, 3, 3});
  std::u16string path = Write("blocks.bcnx", b);
  EXPECT_EQ(ReadBeaconCount(path.c_str()), 1);
  BeaconRec rec{};
  EXPECT_TRUE(ReadBeaconFile(path.c_str(), &rec, 1));
  EXPECT_EQ(rec.type, 3);
  EXPECT_STREQ(rec.name, "S1");  // split numbers restart with each block
  EXPECT_EQ(rec.width, 2);
}

TEST_F(BeaconFileTest, ReturnsHowManyRecordsItFilledAndRefusesWhatIsNotAFile) {
  // Only the filled records may reach the lap engine: an unfilled one reads
  // as a start/finish line at 0, 0.
  struct Case {
    const char* what;
    int32_t stored;
    int entries;
    int32_t room;
    int32_t filled;
  };
  const Case cases[] = {
      {"fewer than the room", 3, 3, 5, 3},
      {"more than the room", 3, 3, 2, 2},
      {"count beyond the entries", 9, 2, 5, 2},
      {"negative count", -1, 1, 5, 0},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> b;
    PutHeader(b, c.stored);
    for (int i = 0; i < c.entries; ++i) PutEntry(b, {3, "", 1, 2, 3, 4, 5});
    std::u16string path = Write("filled.bcnx", b);
    std::vector<BeaconRec> recs(static_cast<size_t>(c.room));
    EXPECT_EQ(ReadBeaconFile(path.c_str(), recs.data(), c.room), c.filled) << c.what;
  }

  // A folder named like a beacon file has no size to read up to.
  ASSERT_TRUE(std::filesystem::create_directory(m_dir.File("folder.bcnx")));
  std::u16string folder = m_dir.WFile("folder.bcnx");
  BeaconRec rec{};
  rec.width = 77;
  EXPECT_EQ(ReadBeaconCount(folder.c_str()), 0);
  EXPECT_EQ(ReadBeaconFile(folder.c_str(), &rec, 1), 0);
  EXPECT_EQ(rec.width, 77);
}

TEST_F(BeaconFileTest, TheDownloadCheckAcceptsWhatTheReaderReadsWholeAndNothingElse) {
  const Entry line = {0, "", 1, 2, 3, 4, 5};
  const std::vector<uint8_t> one = Block(2, {line, line});
  auto with = [&one](std::vector<uint8_t> tail) {
    tail.insert(tail.begin(), one.begin(), one.end());
    return tail;
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    bool whole;
  } cases[] = {
      {"one block", one, true},
      {"a smaller block after it", with(Block(1, {line})), true},
      {"an empty block after it", with(Block(0, {})), true},
      {"10 MB of blanks after it", with(std::vector<uint8_t>(10 << 20, ' ')), false},
      {"one more byte", with({0}), false},
      {"100 zero bytes, short of a header", with(std::vector<uint8_t>(100, 0)), false},
      {"a block larger than the first", with(Block(3, {line, line, line})), false},
      {"a block with a negative count", with(Block(-1, {})), false},
      {"a block short of its count", with(Block(2, {line})), false},
      {"fewer entries than the count", Block(3, {line, line}), false},
      {"no entry in the first block", Block(0, {line}), false},
  };
  for (const Case& c : cases) {
    const std::u16string path = Write("check.bcnx", c.bytes);
    EXPECT_EQ(IsWholeBeaconFile(path.c_str()), c.whole) << c.what;
  }
}

TEST_F(BeaconFileTest, AMapNameOutsideAsciiIsFound) {
  std::u16string path = Write(
      "N\xC3\xBC"
      "rburgring \xE5\x8C\x97.bcnx",
      Block(1, {{0, "", 50.3356, 6.9475, 120.0f, 20, 0}}));
  EXPECT_EQ(ReadBeaconCount(path.c_str()), 1);
  BeaconRec rec{};
  EXPECT_TRUE(ReadBeaconFile(path.c_str(), &rec, 1));
  EXPECT_DOUBLE_EQ(rec.lon, 6.9475);
}

}  // namespace
