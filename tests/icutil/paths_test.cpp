#include "icbase/src/icutil/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32/utf.h"
#include "tests/common/data_names.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

std::u16string S(const UniString_C& s) { return std::u16string(s.GetText(), size_t(s.GetLength())); }

class PathsOnDisk : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.Path().empty()); }
  std::u16string W(const std::string& rel) const { return dir.WFile(rel); }
  void Write(const std::string& rel, const std::string& bytes) const { ASSERT_TRUE(WriteBytes(dir.File(rel), bytes)); }

  TempDir dir;
  const std::string root = dir.Path();
  const std::u16string wroot = Utf8ToUtf16(root);
};

}  // namespace

TEST(UniPath, TrailingSeparatorAndAppending) {
  UniPath_C p(u"/data/");
  EXPECT_EQ(std::u16string(p.AppendFolder(u"maps")), u"/data/maps/");
  EXPECT_EQ(std::u16string(p.AppendPath(u"a.txt")), u"/data/maps/a.txt");
  UniPath_C root(u"/");
  root.SetTrailingBackslash(1);  // Mid (0, 0) is the whole text: the root stays the root
  EXPECT_EQ(S(root), u"/");
  UniPath_C q(u"/x");
  q.SetTrailingBackslash(0);
  EXPECT_EQ(S(q), u"/x/");
  q.SetTrailingBackslash(0);
  EXPECT_EQ(S(q), u"/x/");
  q.SetTrailingBackslash(1);
  EXPECT_EQ(S(q), u"/x");
  q.SetTrailingBackslash(7);
  EXPECT_EQ(S(q), u"/x");
  UniPath_C empty;
  empty.SetTrailingBackslash(0);
  EXPECT_EQ(empty.GetLength(), 0);
  UniPath_C a(u"/a/b"), b;
  b = a;
  a.AppendFolder(u"c");
  EXPECT_EQ(S(b), u"/a/b");
}

TEST(PlainDataName, ANameFromDataStaysOneComponentOrIsRefused) {
  for (const DataNameCase& c : kDataNameCases) EXPECT_EQ(IsPlainDataName(c.name), c.plain) << Utf16ToUtf8(c.name);
}

TEST(FileName, TitleAndFolderCutThePath) {
  FileName_C f(u"/x/a.b.c");
  EXPECT_EQ(S(f.Title(true)), u"a");
  EXPECT_EQ(S(f.Title(false)), u"a.b.c");
  EXPECT_EQ(S(FileName_C(u"/x/.cfg").Title(true)), u".cfg");
  EXPECT_EQ(S(FileName_C(u"/x/a.txt").Folder(false)), u"/x/");
  EXPECT_EQ(S(FileName_C(u"plain").Folder(false)), u"");
  EXPECT_EQ(FileName_C(u"plain").NameStart(false), 0);
  EXPECT_EQ(S(FileName_C(u"plain").Title(true)), u"plain");
  EXPECT_EQ(FileName_C(u"").Title(true).GetLength(), 0);
  EXPECT_EQ(FileName_C(nullptr).Title(false).GetLength(), 0);
  // The file requirement: a path that is not a file has no name start.
  EXPECT_EQ(FileName_C(u"/nonexistent/dir/a.txt").NameStart(true), -1);
  EXPECT_EQ(FileName_C(u"/nonexistent/dir/a.txt").Folder(true).GetLength(), 0);
  std::u16string longName(600, u'n');
  EXPECT_EQ(FileName_C((u"/x/" + longName).c_str()).Title(false).GetLength(), 600);
}

TEST_F(PathsOnDisk, FileQueries) {
  Write("data.bin", std::string(1234, 'z'));
  std::filesystem::create_directory(root + "/sub");
  FileName_C file(W("data.bin").c_str());
  EXPECT_TRUE(file.IsFile());
  EXPECT_FALSE(file.IsFolder());
  EXPECT_EQ(file.FileSize(), 1234u);
  EXPECT_EQ(file.NameStart(true), static_cast<int32_t>(wroot.size() + 1));
  EXPECT_EQ(S(file.Folder(true)), wroot + u"/");
  FileName_C folder(W("sub").c_str());
  EXPECT_TRUE(folder.IsFolder());
  EXPECT_FALSE(folder.IsFile());
  EXPECT_EQ(folder.FileSize(), 0u);
  FileName_C missing(W("none").c_str());
  EXPECT_FALSE(missing.IsFile());
  EXPECT_FALSE(missing.IsFolder());
  EXPECT_EQ(missing.FileSize(), 0u);

  UniPath_C p(wroot.c_str());
  EXPECT_TRUE(p.FolderExists());
  EXPECT_FALSE(p.FileExists());
  p.SetTrailingBackslash(0);
  p.AppendFolder(u"sub");
  EXPECT_TRUE(p.FolderExists());  // with its trailing separator
  UniPath_C d(W("data.bin").c_str());
  EXPECT_TRUE(d.FileExists());
  UniPath_C n(W("new.txt").c_str());
  EXPECT_FALSE(n.FileExists());
  EXPECT_FALSE(std::filesystem::exists(root + "/new.txt"));  // asking creates nothing
}

TEST_F(PathsOnDisk, LargeFileSizeIsNotCutTo32Bits) {
  std::string path = root + "/big.bin";
  ASSERT_TRUE(WriteBytes(path, ""));
  std::error_code ec;
  std::filesystem::resize_file(path, (uint64_t(1) << 32) + 5, ec);  // sparse
  if (ec) GTEST_SKIP() << "no sparse files here";
  EXPECT_EQ(FileName_C(W("big.bin").c_str()).FileSize(), (uint64_t(1) << 32) + 5);
}

TEST(ProjectPathSet, DerivesFolderDatabaseAndPictures) {
  ProjectPathSet_C withDoc(u"/w/proj", u"bruser", 1);
  EXPECT_EQ(std::u16string(withDoc.GetDocFolder()), u"/w/proj/doc/");
  EXPECT_EQ(std::u16string(withDoc.GetDbPath()), u"/w/proj/doc/bruser.db");
  EXPECT_EQ(S(withDoc.GetPicturePath(nullptr, nullptr)), u"/w/proj/doc/pic/");
  EXPECT_EQ(S(withDoc.GetPicturePath(u"t1", u"a.jpg")), u"/w/proj/doc/pic/t1/a.jpg");
  EXPECT_EQ(S(withDoc.GetPicturePath(nullptr, u"a.jpg")), u"/w/proj/doc/pic/a.jpg");
  UniPath_C first = withDoc.GetPicturePath(u"one", nullptr);
  UniPath_C second = withDoc.GetPicturePath(u"two", nullptr);
  EXPECT_EQ(S(first), u"/w/proj/doc/pic/one/");  // not overwritten by the next call
  EXPECT_EQ(S(second), u"/w/proj/doc/pic/two/");
  ProjectPathSet_C plain(u"/w/proj/", u"p", 0);
  EXPECT_EQ(std::u16string(plain.GetDbPath()), u"/w/proj/p.db");
}
