// The document: its root map, its constant tables, and files whose links
// another program wrote badly (chains and trees with cycles), which must
// open and be walked without hanging.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/utf.h"
#include "tests/common/temp_dir.h"
#include "tests/trackdb/test_db.h"
#include "tests/trackdb/test_project.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvGroup.h"
#include "trackdb/tgvLine.h"

namespace {

// A project with one 10-point track and two maps (ids 2 and 3, after the
// root map), closed.
void MakeProject(const TempDir& dir) {
  ASSERT_TRUE(BuildProject(Utf8ToUtf16(dir.Path()), [](projgen::ProjectDb& gen) {
    return gen.AddPointLine(u"track", Drive(10, 10, projgen::FileTimeOf(2024, 5, 1, 9, 0, 0)), true) != nullptr;
  }));
  tgvProject_C project;
  tgvDocument_C* doc = project.Open(Utf8ToUtf16(dir.Path()).c_str());
  ASSERT_NE(doc, nullptr);
  tgvDatabase_C* db = doc->GetDatabase();
  tgvMap_C* a = db->CreateMap(tgvUT_Map, u"a", u"", 0, 0);
  ASSERT_NE(db->CreateMap(tgvUT_Map, u"b", u"", a->GetId(), 0), nullptr);
  ASSERT_TRUE(project.Save());
}

}  // namespace

TEST(Document, TablesAreConstantPerMode) {
  struct Case {
    int mode;
    double level0, level16, level17;
  };
  const Case cases[] = {
      {0, 5.24288, 8e-5, 4e-5}, {1, 10.48576, 16e-5, 8e-5}, {2, 15.72864, 24e-5, 12e-5}, {7, 5.24288, 8e-5, 4e-5}};
  for (const Case& c : cases) {
    const double* t = tgvDocument_C::GetLevelThresholds(c.mode);
    EXPECT_DOUBLE_EQ(t[0], c.level0) << c.mode;
    EXPECT_DOUBLE_EQ(t[16], c.level16) << c.mode;
    EXPECT_DOUBLE_EQ(t[17], c.level17) << c.mode;
  }
  struct Colour {
    int n;
    uint8_t red, green, blue;
  };
  for (const Colour& c : {Colour{12, 0x55, 0x55, 0x00}, Colour{0, 0x55, 0x00, 0xFF}, Colour{-1, 0x00, 0x55, 0x7F}}) {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    EXPECT_TRUE(tgvDocument_C::GetPaletteColor(c.n, &r, &g, &b, &a));
    EXPECT_EQ(r, c.red) << c.n;
    EXPECT_EQ(g, c.green) << c.n;
    EXPECT_EQ(b, c.blue) << c.n;
    EXPECT_EQ(a, 255);
  }
}

TEST(Document, RootMapIsMadeOnceAndASecondOpenIsRefused) {
  TempDir dir;
  MakeProject(dir);
  const std::u16string path = Utf8ToUtf16(dir.File("bruser.poi"));
  for (int round = 0; round < 2; ++round) {
    tgvDocument_C doc(nullptr);
    ASSERT_TRUE(doc.Open(path.c_str()));
    ASSERT_NE(doc.GetRootMap(), nullptr);
    EXPECT_EQ(std::u16string(doc.GetRootMap()->GetName()), u"GLOBAL");
    EXPECT_FALSE(doc.Open(path.c_str()));
    EXPECT_EQ(doc.GetState(), tgvDocument_C::kOpen);
    PtrList_C globals;
    EXPECT_EQ(doc.GetMaps(&globals, nullptr, false, true), 1u);
    GeoBox_C box;
    EXPECT_TRUE(doc.GetGlobalBox(&box));
    EXPECT_TRUE(doc.Save());
  }
}

TEST(Document, ChainsAndTreesWithCyclesEndTheirWalks) {
  TempDir dir;
  MakeProject(dir);
  // The last point leads back to the third; the line names no last point;
  // the two maps are each other's parent.
  ASSERT_TRUE(ExecFile(dir.File("bruser.poi"),
                       "UPDATE WP SET fNextID = 3 WHERE fID = 10;"
                       "UPDATE Line SET fLstWPID = 0;"
                       "UPDATE Map SET fParentID = 3 WHERE fName = 'a';"));
  tgvDocument_C doc(nullptr);
  ASSERT_TRUE(doc.Open(Utf8ToUtf16(dir.File("bruser.poi")).c_str()));
  PtrList_C lines;
  ASSERT_EQ(doc.GetLines(&lines, nullptr, true), 1u);
  auto* line = static_cast<tgvLine_C*>(lines.RemoveHead());
  EXPECT_EQ(line->GetPointCount(), 10u);
  PtrList_C points;
  EXPECT_EQ(line->CollectPoints(&points, false, -1), 10u);
  EXPECT_GT(line->GetLength(), 0.0);
  uint32_t t1 = 0, t2 = 0;
  EXPECT_FALSE(line->GetEndTime(&t1, &t2));

  PtrList_C maps;
  doc.GetMaps(&maps, nullptr, false, false);
  ASSERT_EQ(maps.GetCount(), 2u);
  EXPECT_TRUE(static_cast<tgvMap_C*>(maps.RemoveHead())->DeleteTree(true));
  PtrList_C left;
  EXPECT_EQ(doc.GetMaps(&left, nullptr, false, false), 0u);
}

TEST(Document, DeletedObjectsLeaveNothingToTheirIdsNextOwner) {
  TempDir dir;
  MakeProject(dir);
  tgvDocument_C doc(nullptr);
  ASSERT_TRUE(doc.Open(Utf8ToUtf16(dir.File("bruser.poi")).c_str()));
  tgvDatabase_C* db = doc.GetDatabase();
  tgvType_C* type = tgvType_C::Create(db, u"poi", u"", nullptr, nullptr, tgvUT_POI, false);
  tgvPOI_C* poi = tgvPOI_C::Create(db, u"p", type, IntPoint_C(0, 0), GeoPoint_C(1, 1, 0), nullptr, false);
  tgvTagDef_C* tag = tgvTagDef_C::CreateTag(db, u"tag", u"Tag", nullptr);
  ASSERT_TRUE(tag->LinkObject(poi));
  PtrList_C tagged;
  EXPECT_EQ(tag->GetLinkedPOIs(&tagged), 1u);
  ASSERT_TRUE(tag->Delete());
  tgvTagDef_C* reused = tgvTagDef_C::CreateTag(db, u"fresh", nullptr, nullptr);
  ASSERT_EQ(reused, tag);  // the freed id is taken again
  PtrList_C none;
  EXPECT_EQ(reused->GetLinkedPOIs(&none), 0u);
  EXPECT_EQ(reused->GetPropText(u"_CAShowName"), nullptr);

  PtrList_C lines;
  doc.GetLines(&lines, nullptr, true);
  auto* line = static_cast<tgvLine_C*>(lines.RemoveHead());
  line->SetIsGroup(1, 1);
  tgvPOI_C* attached = tgvPOI_C::Create(db, u"a", type, IntPoint_C(0, 0), GeoPoint_C(2, 2, 0), nullptr, false);
  ASSERT_NE(tgvVP_C::Create(db, u"at", nullptr, line, attached, nullptr), nullptr);
  const uint32_t before = doc.GetLineList()->GetCount();
  ASSERT_TRUE(line->Delete(true));
  EXPECT_EQ(doc.GetLineList()->GetCount(), before - 1);
  EXPECT_TRUE(attached->IsDeleted());
  EXPECT_FALSE(poi->IsDeleted());
  tgvLine_C* next = tgvLine_C::Create(&doc, u"next", type, nullptr, nullptr, false);
  ASSERT_EQ(next, line);
  uint32_t t1 = 0, t2 = 0;
  EXPECT_FALSE(next->GetTime(&t1, &t2));  // the old start time went with the old line
  EXPECT_EQ(next->GetFirstPoint(), nullptr);

  // Every object delete takes the properties the object owns along.
  auto liveProperties = [db] {
    uint32_t n = 0;
    for (uint8_t t : {uint8_t(tgvUT_PropInt), uint8_t(tgvUT_PropDouble), uint8_t(tgvUT_PropText)})
      for (tgvRecord_C* r = db->FirstOfType(t); r; r = db->NextOfType(r)) ++n;
    return n;
  };
  auto newPOI = [&] { return tgvPOI_C::Create(db, u"p", type, IntPoint_C(0, 0), GeoPoint_C(1, 1, 0), nullptr, false); };
  tgvLine_C* track = tgvLine_C::Create(&doc, u"track", type, nullptr, nullptr, false);
  struct Case {
    const char* what;
    std::function<tgvRecord_C*()> make;
    std::function<bool(tgvRecord_C*)> remove;
  };
  const Case cases[] = {
      {"POI", newPOI, [](tgvRecord_C* r) { return static_cast<tgvPOI_C*>(r)->Delete(); }},
      {"attachment", [&] { return tgvVP_C::Create(db, u"at", nullptr, track, newPOI(), nullptr); },
       [](tgvRecord_C* r) { return static_cast<tgvVP_C*>(r)->Delete(); }},
      {"map", [&] { return db->CreateMap(tgvUT_Map, u"m", u"", 0, 0); },
       [](tgvRecord_C* r) { return static_cast<tgvMap_C*>(r)->DeleteTree(true); }},
      {"tag", [&] { return tgvTagDef_C::CreateTag(db, u"tag", u"Tag", u"app"); },
       [](tgvRecord_C* r) { return static_cast<tgvTagDef_C*>(r)->Delete(); }},
      {"type with a timed line",
       [&] {
         tgvType_C* lineType = tgvType_C::Create(db, u"lines", u"", nullptr, nullptr, tgvUT_Line, false);
         tgvLine_C* line = tgvLine_C::Create(&doc, u"l", lineType, nullptr, nullptr, false);
         return line && line->SetTime(1, 2) ? lineType : nullptr;
       },
       [](tgvRecord_C* r) { return static_cast<tgvType_C*>(r)->Delete(true); }},
  };
  const uint32_t properties = liveProperties();
  for (const Case& c : cases) {
    tgvRecord_C* object = c.make();
    ASSERT_NE(object, nullptr) << c.what;
    ASSERT_TRUE(object->SetAnnotation(u"note") && object->SetPropInt(u"t1", 7)) << c.what;
    EXPECT_TRUE(c.remove(object)) << c.what;
    EXPECT_EQ(liveProperties(), properties) << c.what;
  }
  // The POI that takes a deleted POI's id has no time of its own.
  tgvPOI_C* gone = newPOI();
  ASSERT_TRUE(gone->SetTime(3, 4) && gone->Delete());
  tgvPOI_C* taker = newPOI();
  ASSERT_EQ(taker, gone);
  EXPECT_FALSE(taker->GetTime(&t1, &t2));
}

TEST(Document, SegmentsMergeAndSiblingsKeepTheirOrder) {
  TempDir dir;
  tgvProject_C project;
  tgvDocument_C* doc = project.Create(Utf8ToUtf16(dir.Path()).c_str(), 0);
  ASSERT_NE(doc, nullptr);
  tgvDatabase_C* db = doc->GetDatabase();
  tgvType_C* type = tgvType_C::Create(db, u"t", u"", nullptr, nullptr, tgvUT_Line, false);
  tgvLine_C* line = tgvLine_C::Create(doc, u"l", type, nullptr, nullptr, false);
  std::vector<tgvWayPoint_C*> points;
  for (int i = 0; i < 1100; ++i)
    points.push_back(line->AppendPoint(GeoPoint_C(i * 1e-4, std::sin(i * 0.1) * 1e-3), IntPoint_C(i, 0), 0,
                                       tgvWayPointSensors{}, nullptr));
  const double length = line->GetLength();
  tgvGroup_C* first = line->GetFirstSegment();
  tgvGroup_C* gone = line->GetGroup()->MergeWithNext(first);
  ASSERT_NE(gone, nullptr);
  doc->FreeGroup(gone);
  EXPECT_EQ(first->GetCount(), 2 * kSegmentPoints - 1);
  EXPECT_EQ(points[600]->GetSegment(), first);
  EXPECT_EQ(line->GetPointCount(), 1100u);
  EXPECT_NEAR(line->GetLength(), length, 1e-9);
  size_t back = 0;
  for (tgvWayPoint_C* p = points.back(); p; p = p->GetPrev()) ++back;
  EXPECT_EQ(back, points.size());

  // Attachments follow their points; one moved to the front stays first.
  tgvVP_C* late = tgvVP_C::Create(db, u"late", nullptr, line, nullptr, points[900]);
  tgvVP_C* early = tgvVP_C::Create(db, u"early", nullptr, line, nullptr, points[100]);
  ASSERT_TRUE(late && early);
  EXPECT_EQ(line->GetFirstVP(), early);
  EXPECT_EQ(line->GetLastVP(), late);
  ASSERT_TRUE(late->MoveAfter(nullptr));
  EXPECT_EQ(line->GetFirstVP(), late);
  EXPECT_EQ(line->GetLastVP(), early);

  tgvMap_C* a = tgvMap_C::Create(db, u"a", nullptr, nullptr, nullptr);
  tgvMap_C* b = tgvMap_C::Create(db, u"b", nullptr, nullptr, nullptr);
  tgvMap_C* c = tgvMap_C::Create(db, u"c", nullptr, nullptr, a);
  ASSERT_TRUE(a && b && c);
  EXPECT_LT(a->GetOrder(), c->GetOrder());
  EXPECT_LT(c->GetOrder(), b->GetOrder());
}
