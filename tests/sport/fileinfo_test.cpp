#include "sport/FileInfo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sport/NameList.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

std::vector<std::string> Names(const CFileInfoArray& a, size_t prefix) {
  std::vector<std::string> out;
  for (int i = 0; i < a.GetSize(); ++i) out.push_back(a[i].GetFilePath().ToUtf8().substr(prefix));
  return out;
}

TEST(FileInfoArray, ScansComeInOrdinalPathOrderFoldersFirstWhenRecursing) {
  TempDir dir;
  WriteBytes(dir.File("b.txt"), "bb");
  WriteBytes(dir.File("A.txt"), "a");
  std::filesystem::create_directory(dir.File("c"));
  WriteBytes(dir.File("c/d.txt"), "ddd");
  WriteBytes(dir.File("c/e.bin"), "");
  const CString folder = CString::FromUtf8(dir.Path() + "/");
  const size_t prefix = dir.Path().size() + 1;
  using V = std::vector<std::string>;
  const struct {
    const char16_t* mask;
    bool recurse, folders;
    int order;
    V expected;
  } cases[] = {
      {u"*", false, true, kFileOrderPathAscending, {"A.txt", "b.txt", "c"}},
      {u"*", false, false, kFileOrderPathAscending, {"A.txt", "b.txt"}},
      {u"*.TXT", true, true, kFileOrderPathAscending, {"A.txt", "b.txt", "c", "c/d.txt"}},
      {u"*", true, false, kFileOrderPathDescending, {"c/e.bin", "c/d.txt", "b.txt", "A.txt"}},
      {u"*.txt", true, false, kFileOrderSizeAscending, {"A.txt", "b.txt", "c/d.txt"}},
      {u"*.txt", true, false, kFileOrderSizeDescending, {"c/d.txt", "b.txt", "A.txt"}},
      {u"*", false, true, kFileOrderNone, {"c", "A.txt", "b.txt"}},  // folders pass first
  };
  for (const auto& c : cases) {
    CFileInfoArray a;
    std::atomic<int32_t> counter{0};
    EXPECT_EQ(a.AddDir(folder, c.mask, c.recurse, c.order, c.folders, nullptr, &counter),
              static_cast<int>(c.expected.size()));
    EXPECT_EQ(counter.load(), static_cast<int>(c.expected.size()));
    EXPECT_EQ(Names(a, prefix), c.expected);
  }
  std::atomic<int32_t> stop{1};
  CFileInfoArray stopped;
  // A set stop flag ends the folder pass after its first entry (a file) and skips the file pass.
  EXPECT_EQ(stopped.AddDir(folder, u"*", true, kFileOrderPathAscending, true, &stop, nullptr), 0);
}

TEST(FileInfoArray, AnEqualPathGoesBeforeItsTwin) {
  TempDir dir;
  WriteBytes(dir.File("x.bin"), "1");
  CFileInfo first, second;
  first.CreateFromPath(CString::FromUtf8(dir.File("x.bin")), 1);
  second.CreateFromPath(CString::FromUtf8(dir.File("x.bin")), 2);
  CFileInfoArray a;
  EXPECT_EQ(a.AddFileInfo(first, kFileOrderPathAscending), 0);
  EXPECT_EQ(a.AddFileInfo(second, kFileOrderPathAscending), 0);
  EXPECT_EQ(a[0].GetUserValue(), 2u);
  EXPECT_EQ(a[0].GetLength(), 1u);
}

// A scan places its records as adding each in turn would, ties included,
// also into an array that holds records already; the comparisons per record
// grow with the logarithm of the records, not with their number.
TEST(FileInfoArray, AScanPlacesItsRecordsAsAddingEachWouldWithComparisonsNearLinear) {
  TempDir dir;
  for (int i = 0; i < 2000; ++i) WriteBytes(dir.File("f" + std::to_string(i * 7919 % 2000)), std::string(i % 5, 'x'));
  const CString folder = CString::FromUtf8(dir.Path() + "/");
  const size_t prefix = dir.Path().size() + 1;
  CFileInfoArray found;  // the records in the order of the scan
  found.AddDir(folder, u"*", false, kFileOrderNone, false, nullptr, nullptr);
  for (int order :
       {kFileOrderSizeAscending, kFileOrderSizeDescending, kFileOrderPathAscending, kFileOrderPathDescending}) {
    CFileInfoArray expected, scanned;
    for (int pass = 0; pass < 2; ++pass) {
      for (int i = 0; i < found.GetSize(); ++i) expected.AddFileInfo(found[i], order);
      scanned.AddDir(folder, u"*", false, order, false, nullptr, nullptr);
    }
    EXPECT_EQ(Names(scanned, prefix), Names(expected, prefix)) << "order " << order;
  }
  double perRecord[2] = {};
  const int counts[2] = {200, 2000};
  for (int k = 0; k < 2; ++k) {
    TempDir few;
    for (int i = 0; i < counts[k]; ++i) std::filesystem::create_directory(few.File("t" + std::to_string(i)));
    CFileInfoArray a;
    a.AddDir(CString::FromUtf8(few.Path() + "/"), u"*", false, kFileOrderPathAscending, true, nullptr, nullptr);
    ASSERT_EQ(a.GetSize(), counts[k]);
    perRecord[k] = static_cast<double>(a.GetComparisons()) / counts[k];
  }
  EXPECT_LT(perRecord[1], perRecord[0] * 2.0) << perRecord[0] << " comparisons per record at " << counts[0];
}

TEST(FileInfo, NamesSplitAndAMissingPathLeavesTheRecordUnfilled) {
  const struct {
    const char* name;
    const char16_t *title, *ext;
  } cases[] = {{"a.b.c", u"a.b", u".c"}, {".cfg", u"", u".cfg"}, {"noext", u"noext", u""}};
  TempDir dir;
  for (const auto& c : cases) {
    WriteBytes(dir.File(c.name), "");
    CFileInfo info;
    info.CreateFromPath(CString::FromUtf8(dir.File(c.name)), 0);
    EXPECT_EQ(info.GetFileTitle().Str(), std::u16string(c.title));
    EXPECT_EQ(info.GetFileExt().Str(), std::u16string(c.ext));
  }
  CFileInfo missing;
  missing.CreateFromPath(CString::FromUtf8(dir.File("none.bin")), 0);
  EXPECT_EQ(missing.GetLength(), 0u);
  EXPECT_EQ(missing.GetAttributes(), 0xFFFFFFFFu);
}

TEST(NameList, GrowsTo32ThenDoublesAndOutOfRangeReadsEmpty) {
  NameList list;
  list.Add(u"first", u".a");
  EXPECT_EQ(list.GetCapacity(), 32);
  for (int i = 1; i < 33; ++i) list.Add(u"n", u"");
  EXPECT_EQ(list.GetCapacity(), 64);
  EXPECT_EQ(list.GetSecond(0).Str(), std::u16string(u".a"));
  EXPECT_TRUE(list.GetName(list.GetCount()).IsEmpty());
  EXPECT_TRUE(list.GetName(-1).IsEmpty());
  list.Reset(0);
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.GetCapacity(), 0);
}

}  // namespace
