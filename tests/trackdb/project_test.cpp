// The project folder: the descriptor's exact bytes, which descriptors are
// accepted, the language table's bounds, and a read-only open that leaves
// every file as it was.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>

#include "platform/win32/utf.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"
#include "tests/trackdb/test_db.h"
#include "tests/trackdb/test_project.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvLine.h"
#include "trackdb/tgvProject.h"

namespace {

std::u16string Descriptor(const char16_t* language) {
  return std::u16string(u"<brPROJECT\r\n    name=\"bruser\"\r\n    language=\"") + language +
         u"\"\r\n    poi=\"bruser.poi\"\r\n    >\r\n\r\n</brPROJECT>\r\n";
}

std::string Bytes(const std::u16string& text, bool mark) {
  const std::vector<uint8_t> v = Utf16LeBytes(text, mark);
  return std::string(v.begin(), v.end());
}

}  // namespace

TEST(Project, CreateWritesTheDescriptorAndReopensWithItsLanguage) {
  TempDir dir;
  {
    tgvProject_C project;
    ASSERT_NE(project.Create(Utf8ToUtf16(dir.Path()).c_str(), 11), nullptr);
    EXPECT_TRUE(project.Save());
  }
  EXPECT_EQ(ReadBytes(dir.File("bruser.brx")), Bytes(Descriptor(u"Korean"), true));
  tgvProject_C project;
  ASSERT_NE(project.Open(Utf8ToUtf16(dir.Path()).c_str()), nullptr);
  EXPECT_EQ(project.GetLanguage(), 11);
  EXPECT_EQ(std::u16string(project.GetLanguageName()), u"Korean");
  // The log: generation, six timed passes without line ends, success.
  const std::u16string log = project.GetLog().GetText();
  EXPECT_EQ(log.rfind(u" Generate DB ... \n", 0), 0u) << Utf16ToUtf8(log);
  EXPECT_NE(log.find(u"[5]: time = "), std::u16string::npos);
  EXPECT_EQ(log.substr(log.size() - 20), u"Open successfully. \n");
}

TEST(Project, DescriptorsAreAcceptedOnlyInTheirOwnForm) {
  struct Case {
    const char* what;
    std::string bytes;
    int32_t code;
    int32_t language;
  };
  const std::u16string fourth = u"<brPROJECT name=\"b\" poi=\"p\" extra=\"x\"/>";
  const Case cases[] = {
      {"as written", Bytes(Descriptor(u"German"), true), 0, 5},
      {"without the mark", Bytes(Descriptor(u"EN"), false), tgvProject_C::kErrParse, 0},
      {"as UTF-8", "\xEF\xBB\xBF<brPROJECT name=\"b\" poi=\"p\"/>", tgvProject_C::kErrParse, 0},
      {"a fourth attribute", Bytes(fourth, true), tgvProject_C::kErrParse, 0},
      {"an unknown language", Bytes(Descriptor(u"english"), true), tgvProject_C::kErrParse, 0},
      {"without poi", Bytes(u"<brPROJECT name=\"b\" language=\"EN\"/>", true), tgvProject_C::kErrParse, 0},
      {"without language", Bytes(u"<brPROJECT name=\"b\" poi=\"p\"/>", true), 0, 0},
      {"another root", Bytes(u"<brproject name=\"b\" poi=\"p\"/>", true), tgvProject_C::kErrParse, 0},
  };
  for (const Case& c : cases) {
    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir.File("bruser.brx"), c.bytes));
    tgvProject_C project;
    tgvDocument_C* doc = project.Open(Utf8ToUtf16(dir.Path()).c_str());
    EXPECT_EQ(project.GetErrorCode(), c.code) << c.what;
    EXPECT_EQ(doc != nullptr, c.code == 0) << c.what;
    EXPECT_EQ(project.GetState(), c.code ? tgvProject_C::kFailed : tgvProject_C::kOpen) << c.what;
    if (!c.code) {
      EXPECT_EQ(project.GetLanguage(), c.language) << c.what;
    }
  }
}

TEST(Project, LanguageIndexOutsideTheTableIsRefused) {
  TempDir dir;
  for (int32_t language : {-1, 12, 1000}) {
    tgvProject_C project;
    EXPECT_EQ(project.Create(Utf8ToUtf16(dir.Path()).c_str(), language), nullptr);
    EXPECT_EQ(project.GetErrorCode(), tgvProject_C::kErrCreate);
    EXPECT_EQ(std::u16string(project.GetLanguageName()), u"EN");
  }
  EXPECT_TRUE(dir.Entries().empty());
  tgvProject_C project;
  EXPECT_EQ(project.Open(nullptr), nullptr);
  EXPECT_EQ(project.GetErrorCode(), tgvProject_C::kErrInit);
  EXPECT_EQ(std::u16string(project.GetLog().GetText()), u"Error: init project failed. \n");
  // A failure costs the pool; Reset makes the object usable again.
  EXPECT_EQ(project.Create(Utf8ToUtf16(dir.Path()).c_str(), 0), nullptr);
  project.Reset();
  EXPECT_NE(project.Create(Utf8ToUtf16(dir.Path()).c_str(), 0), nullptr);
}

TEST(Project, ReadOnlyOpenLeavesEveryFileAsItWas) {
  TempDir dir;
  const std::u16string folder = Utf8ToUtf16(dir.Path());
  // A stored start time that the first point's time will overwrite.
  ASSERT_TRUE(BuildProject(folder, [](projgen::ProjectDb& gen) {
    tgvLine_C* line = gen.AddPointLine(u"run", Drive(600, 10, projgen::FileTimeOf(2024, 5, 1, 9, 0, 0)), false);
    return line && line->SetTime(1, 2);
  }));
  // A database without the root map, so that an open would create one.
  ASSERT_TRUE(ExecFile(dir.File("bruser.poi"), "UPDATE Map SET fMapGlobal = 0;"));
  const std::string descriptor = ReadBytes(dir.File("bruser.brx"));
  const std::string database = ReadBytes(dir.File("bruser.poi"));
  {
    tgvProject_C project;
    tgvDocument_C* doc = project.Open(folder.c_str(), tgvOpen_ReadOnly);
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->IsReadOnly());
    ASSERT_NE(doc->GetRootMap(), nullptr);  // made in memory
    PtrList_C lines;
    ASSERT_EQ(doc->GetLines(&lines, nullptr, true), 1u);
    uint32_t t1 = 0, t2 = 0;
    auto* line = static_cast<tgvLine_C*>(lines.RemoveHead());
    EXPECT_TRUE(line->GetTime(&t1, &t2));
    EXPECT_NE(t1, 1u);  // written back, in memory only
    EXPECT_FALSE(project.Save());
  }
  EXPECT_EQ(ReadBytes(dir.File("bruser.brx")), descriptor);
  EXPECT_EQ(ReadBytes(dir.File("bruser.poi")), database);
  EXPECT_EQ(dir.Entries().size(), 2u);

  // A descriptor without its database: the database is empty and in memory.
  std::filesystem::remove(dir.File("bruser.poi"));
  tgvProject_C project;
  tgvDocument_C* doc = project.Open(folder.c_str(), tgvOpen_ReadOnly);
  ASSERT_NE(doc, nullptr);
  EXPECT_NE(doc->GetRootMap(), nullptr);
  EXPECT_FALSE(std::filesystem::exists(dir.File("bruser.poi")));
}

TEST(Project, ReadOnlyOpenHoldsNoLockOnceLoaded) {
  TempDir dir;
  const std::u16string folder = Utf8ToUtf16(dir.Path());
  ASSERT_TRUE(BuildProject(folder, [](projgen::ProjectDb& gen) {
    return gen.AddPointLine(u"run", Drive(600, 10, projgen::FileTimeOf(2024, 5, 1, 9, 0, 0)), false) != nullptr;
  }));
  tgvProject_C project;
  tgvDocument_C* doc = project.Open(folder.c_str(), tgvOpen_ReadOnly);
  ASSERT_NE(doc, nullptr);
  PtrList_C lines;
  ASSERT_EQ(doc->GetLines(&lines, nullptr, true), 1u);
  // The other program renames the line while the document is open here.
  EXPECT_TRUE(ExecFile(dir.File("bruser.poi"), "UPDATE Line SET fName = 'late';"));
  EXPECT_EQ(std::u16string(static_cast<tgvLine_C*>(lines.RemoveHead())->GetName()), u"run");
}

// A read of the points leaves the waypoints' sensor values out and reads
// every other field as the read-only open does.
TEST(Project, ReadOfThePointsLeavesOnlyTheSensorValuesOut) {
  TempDir dir;
  const std::u16string folder = Utf8ToUtf16(dir.Path());
  ASSERT_TRUE(BuildProject(folder, [](projgen::ProjectDb& gen) {
    return gen.AddPointLine(u"run", Drive(600, 10, projgen::FileTimeOf(2024, 5, 1, 9, 0, 0)), false) != nullptr;
  }));
  ASSERT_TRUE(ExecFile(dir.File("bruser.poi"),
                       "UPDATE WP SET fTemperature = 21, fMBar = 1013, fBPM = 120, fRPM = 5000, fMBarAlti = 40, "
                       "fRPMSpeed = 90;"));
  tgvProject_C all, points;
  tgvDocument_C* docs[2] = {all.Open(folder.c_str(), tgvOpen_ReadOnly),
                            points.Open(folder.c_str(), tgvOpen_ReadPoints)};
  PtrList_C lines[2], waypoints[2];
  for (int k = 0; k < 2; ++k) {
    ASSERT_NE(docs[k], nullptr);
    EXPECT_TRUE(docs[k]->IsReadOnly());
    ASSERT_EQ(docs[k]->GetLines(&lines[k], nullptr, true), 1u);
    ASSERT_EQ(static_cast<tgvLine_C*>(lines[k].GetHeadPosition()->value)->CollectPoints(&waypoints[k], false, -1),
              600u);
  }
  EXPECT_TRUE(static_cast<tgvLine_C*>(lines[0].GetHeadPosition()->value)->HasRPM());
  EXPECT_FALSE(static_cast<tgvLine_C*>(lines[1].GetHeadPosition()->value)->HasRPM());
  for (auto a = waypoints[0].GetHeadPosition(), b = waypoints[1].GetHeadPosition(); a && b; a = a->next, b = b->next) {
    const auto* p = static_cast<const tgvWayPoint_C*>(a->value);
    const auto* q = static_cast<const tgvWayPoint_C*>(b->value);
    ASSERT_EQ(p->GetId(), q->GetId());
    EXPECT_EQ(p->GetRPM(), 5000.0);
    for (double sensor :
         {q->GetTemperature(), q->GetMBar(), q->GetBPM(), q->GetRPM(), q->GetMBarAlti(), q->GetRPMSpeed()})
      EXPECT_EQ(sensor, 0.0);
    EXPECT_EQ(std::make_tuple(p->GetLatitude(), p->GetLongitude(), p->GetAltitude(), p->GetOrder(), p->GetPosX(),
                              p->GetPosY(), p->GetMapID(), p->GetLevel()),
              std::make_tuple(q->GetLatitude(), q->GetLongitude(), q->GetAltitude(), q->GetOrder(), q->GetPosX(),
                              q->GetPosY(), q->GetMapID(), q->GetLevel()));
  }
}

TEST(Project, ReadOnlyOpenSeesRowsStillInTheWriteAheadLog) {
  TempDir dir;
  const std::u16string folder = Utf8ToUtf16(dir.Path());
  ASSERT_TRUE(BuildProject(folder, [](projgen::ProjectDb& gen) {
    return gen.AddPointLine(u"run", Drive(600, 10, projgen::FileTimeOf(2024, 5, 1, 9, 0, 0)), false) != nullptr;
  }));
  // The other program keeps the file open in log mode: its last change is
  // not in the database file yet.
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(dir.File("bruser.poi").c_str(), &raw), SQLITE_OK);
  const std::unique_ptr<sqlite3, int (*)(sqlite3*)> writer(raw, sqlite3_close);
  EXPECT_EQ(sqlite3_exec(writer.get(),
                         "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0; UPDATE Line SET fName = 'late';",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  {
    tgvProject_C project;
    tgvDocument_C* doc = project.Open(folder.c_str(), tgvOpen_ReadOnly);
    ASSERT_NE(doc, nullptr);
    PtrList_C lines;
    ASSERT_EQ(doc->GetLines(&lines, nullptr, true), 1u);
    EXPECT_EQ(std::u16string(static_cast<tgvLine_C*>(lines.RemoveHead())->GetName()), u"late");
  }
}
