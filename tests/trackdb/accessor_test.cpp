// The typed operations on records of an open database: waypoint walks and
// their samples, distances and courses, the type tree, value definitions and
// values, POIs and annotations.
#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "test_db.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvGeometry.h"

namespace {

class Accessors : public ::testing::Test {
 protected:
  void SetUp() override {
    m_path = m_tmp.WFile("bruser.poi");
    ASSERT_TRUE(m_db.Open(RecordTypeTable, m_path.c_str(), nullptr));
  }
  // A line whose points carry the levels given, chained in order.
  std::vector<tgvWayPoint_C*> Line(std::initializer_list<int> levels) {
    tgvLine_C* line = m_db.CreateLine(tgvUT_Line, u"line", 0, 0, 0, 0, 0);
    std::vector<tgvWayPoint_C*> points;
    for (int level : levels) {
      auto* wp = m_db.CreateWayPoint(tgvUT_WP, line, IntPoint_C(0, 0), GeoPoint_C(8.0, 47.0, 0.0), 0,
                                     tgvWayPointSensors{}, 0, 0, 0);
      wp->SetLevel(level);
      if (points.empty())
        line->Set1stWPID(wp->GetId(), 1);
      else
        points.back()->SetNextID(wp->GetId(), 1);
      points.push_back(wp);
    }
    return points;
  }
  static std::vector<uint32_t> Ids(const PtrList_C& list) {
    std::vector<uint32_t> ids;
    for (PtrListNode_C* pos = list.GetHeadPosition(); pos;)
      ids.push_back(static_cast<tgvRecord_C*>(PtrList_C::GetNext(pos))->GetId());
    return ids;
  }

  TempDir m_tmp;
  std::u16string m_path;
  tgvDatabase_C m_db;
};

TEST_F(Accessors, WaypointWalksHonourLevelsAndEndOnACycle) {
  const auto wp = Line({3, -1, 0, 5, 2});
  EXPECT_EQ(wp[0]->GetNext(2), wp[2]);
  EXPECT_EQ(wp[2]->GetNext(2), wp[4]);
  EXPECT_EQ(wp[0]->GetNext(18), wp[1]);
  EXPECT_EQ(wp[4]->GetNext(), nullptr);
  EXPECT_EQ(wp[4]->GetPrev(4), wp[2]);
  EXPECT_EQ(wp[3]->GetPrev(), wp[2]);
  EXPECT_EQ(wp[0]->GetPrev(), nullptr);
  // A file whose chain loops back: the walks end instead of running forever.
  wp[4]->SetNextID(wp[1]->GetId(), 1);
  EXPECT_EQ(wp[2]->GetNext(1), nullptr);
  wp[0]->GetLine()->Set1stWPID(wp[1]->GetId(), 1);
  EXPECT_EQ(wp[0]->GetPrev(), nullptr);
}

TEST_F(Accessors, LapMarksSamplesAndAttachments) {
  struct {
    int32_t order;
    uint32_t lap;
    bool start;
  } const marks[] = {{-65539, 3, true}, {-3, 3, false}, {7, 0, false}, {0, 0, false}, {INT32_MIN, 2147418112u, true}};
  auto wp = Line({0, 0});
  for (const auto& m : marks) {
    wp[0]->SetOrder(m.order, 0);
    EXPECT_EQ(wp[0]->GetLapID(), m.lap) << m.order;
    EXPECT_EQ(wp[0]->IsLapStart(), m.start) << m.order;
  }
  double x = 1, y = 1, z = 1;
  EXPECT_FALSE(wp[0]->GetGSensor(&x, &y, &z));  // no sample
  tgvGPSLog_C* log = m_db.CreateGPSLog(tgvUT_GPSLog, 0x01D9, 0x8000, 123.5, 0.0, 0.0, 0.0);
  wp[0]->SetGPSLogID(log->GetId(), 1);
  EXPECT_FALSE(wp[0]->GetGSensor(&x, &y, &z));  // a sample, but all 0.0
  log->SetGSensorZ(-0.5, 1);
  EXPECT_TRUE(wp[0]->GetGSensor(&x, &y, &z));
  uint32_t t1 = 0, t2 = 0;
  double speed = 0;
  ASSERT_TRUE(wp[0]->GetLogTimeSpeed(&t1, &t2, &speed));
  EXPECT_EQ(std::make_tuple(t1, t2, speed), std::make_tuple(0x01D9u, 0x8000u, 123.5));

  // The line's chain: two attachments of the first point, one of the second.
  tgvLine_C* line = wp[0]->GetLine();
  auto* c = m_db.CreateVP(tgvUT_VP, u"c", 0, 0, line->GetId(), 0, wp[1]->GetId(), 0);
  auto* b = m_db.CreateVP(tgvUT_VP, u"b", 0, 0, line->GetId(), 0, wp[0]->GetId(), c->GetId());
  auto* a = m_db.CreateVP(tgvUT_VP, u"a", 0, 0, line->GetId(), 0, wp[0]->GetId(), b->GetId());
  line->SetStartID(a->GetId(), 1);
  PtrList_C vps;
  EXPECT_EQ(wp[0]->GetVPs(&vps), 2u);
  EXPECT_EQ(Ids(vps), (std::vector<uint32_t>{a->GetId(), b->GetId()}));
  EXPECT_EQ(wp[1]->GetFirstVP(), c);
}

TEST(TrackDbGeometry, DistancesCoursesAndPolylineCodes) {
  EXPECT_EQ(GreatCircleDistanceKm(8, 47, 8, 47), 0.0);
  EXPECT_NEAR(GreatCircleDistanceKm(0, 0, 1, 0), 111.2, 0.1);
  // Short steps keep their length: 5 cm and 1 m north.
  const double degPerKm = 1.0 / GreatCircleDistanceKm(0, 0, 0, 1);
  EXPECT_NEAR(GreatCircleDistanceKm(8, 47, 8, 47 + 0.00005 * degPerKm), 0.00005, 1e-9);
  EXPECT_NEAR(GreatCircleDistanceKm(8, 47, 8, 47 + 0.001 * degPerKm), 0.001, 1e-9);
  EXPECT_EQ(GeoPointDistanceKm(GeoPoint_C(0, 0), GeoPoint_C(200, 0)), 0.0);
  // Altitudes are metres: 1000 m up from the same position is 1 km.
  EXPECT_DOUBLE_EQ(GeoPointDistance3D(GeoPoint_C(8, 47, 0), GeoPoint_C(8, 47, 1000)), 1.0);
  // Prepared positions measure the same, to the bit (an invalid one gives 0).
  const GeoPoint_C pairs[][2] = {{GeoPoint_C(138.92705, 35.37215), GeoPoint_C(138.93389, 35.37631)},
                                 {GeoPoint_C(-0.12, 51.5), GeoPoint_C(2.35, 48.85)},
                                 {GeoPoint_C(8, 47), GeoPoint_C(8, 47)},
                                 {GeoPoint_C(0, 0), GeoPoint_C(200, 0)}};
  for (const auto& p : pairs) {
    const double prepared = GreatCirclePointDistanceKm(MakeGreatCirclePoint(p[0]), MakeGreatCirclePoint(p[1]));
    EXPECT_EQ(prepared, GeoPointDistanceKm(p[0], p[1]));
  }
  EXPECT_EQ(InitialBearingDeg(0, 0, 0, 1), 0.0);
  EXPECT_NEAR(InitialBearingDeg(0, 0, 1, 0), 90.0, 1e-9);
  EXPECT_NEAR(InitialBearingDeg(0, 0, -1, 0), 270.0, 1e-9);
  EXPECT_STREQ(EncodePolylineValue(3850000), "_p~iF");
  EXPECT_STREQ(EncodePolylineValue(-12020000), "~ps|U");
  EXPECT_STREQ(EncodePolylineValue(-17998321), "`~oia@");
  EXPECT_STREQ(EncodePolylineUnsigned(174), "mD");
}

TEST_F(Accessors, TypesOrderSiblingsAndCollectInheritedDefinitions) {
  tgvType_C* root = tgvType_C::Create(&m_db, u"Root", u"i", nullptr, nullptr, tgvUT_POI, false);
  tgvType_C* first = tgvType_C::Create(&m_db, u"A", u"i", root, nullptr, 0, false);
  tgvType_C* second = tgvType_C::Create(&m_db, u"B", u"i", root, nullptr, 0, true);
  tgvType_C* mid = tgvType_C::Create(&m_db, u"M", u"i", root, first, 0, false);
  EXPECT_EQ(std::make_tuple(first->GetOrder(), mid->GetOrder(), second->GetOrder()), std::make_tuple(1, 2, 3));
  EXPECT_EQ(mid->GetObjType(), tgvUT_POI);
  EXPECT_TRUE(second->IsSystem());
  EXPECT_TRUE(mid->IsDescendantOf(root));
  EXPECT_TRUE(root->IsAncestorOf(mid));
  EXPECT_FALSE(mid->IsAncestorOf(root));
  second->MoveAfter(nullptr);
  PtrList_C children;
  root->GetChildren(&children);
  EXPECT_EQ(Ids(children), (std::vector<uint32_t>{second->GetId(), first->GetId(), mid->GetId()}));

  tgvValueDef_C* r1 = tgvValueDef_C::Create(&m_db, u"r1", root, 1, nullptr, false);
  tgvValueDef_C* m1 = tgvValueDef_C::Create(&m_db, u"m1", mid, 1, nullptr, false);
  tgvValueDef_C* m2 = tgvValueDef_C::Create(&m_db, u"m2", mid, 1, nullptr, true);
  m2->MoveAfter(nullptr);
  PtrList_C defs;
  EXPECT_EQ(mid->GetValueDefs(&defs, true), 3u);
  EXPECT_EQ(Ids(defs), (std::vector<uint32_t>{r1->GetId(), m2->GetId(), m1->GetId()}));
  EXPECT_TRUE(m2->IsSystem());

  // A cycle in the file's parent links ends the walks.
  root->SetParentID(mid->GetId(), 1);
  EXPECT_FALSE(root->IsDescendantOf(first));
  PtrList_C looped;
  EXPECT_GE(mid->GetValueDefs(&looped, true), 2u);
}

// A definition inserted after one with a successor becomes that successor's
// predecessor too, so that deleting or moving the successor keeps it in the
// chain. A chain that comes back on itself (a damaged file) lists each once.
TEST_F(Accessors, ValueDefinitionChainsKeepBothLinksAndEndOnACycle) {
  for (const bool move : {false, true}) {
    tgvType_C* type = tgvType_C::Create(&m_db, u"T", u"i", nullptr, nullptr, tgvUT_POI, false);
    tgvValueDef_C* a = tgvValueDef_C::Create(&m_db, u"a", type, 1, nullptr, false);
    tgvValueDef_C* c = tgvValueDef_C::Create(&m_db, u"c", type, 1, nullptr, false);
    tgvValueDef_C* b = tgvValueDef_C::Create(&m_db, u"b", type, 1, a, false);
    EXPECT_EQ(c->GetPrevID(), b->GetId());
    ASSERT_TRUE(move ? c->MoveAfter(nullptr) : c->Delete());
    PtrList_C defs;
    type->GetValueDefs(&defs, false);
    EXPECT_EQ(Ids(defs), move ? (std::vector<uint32_t>{c->GetId(), a->GetId(), b->GetId()})
                              : (std::vector<uint32_t>{a->GetId(), b->GetId()}));
    ASSERT_TRUE(b->SetNextID(a->GetId(), 1));
    PtrList_C looped;
    EXPECT_EQ(type->GetValueDefs(&looped, false), move ? 3u : 2u) << move;
  }
}

TEST_F(Accessors, ValuesAreFoundByOwnerAndLeaveWithTheirDefinition) {
  tgvType_C* type = tgvType_C::Create(&m_db, u"Track", u"i", nullptr, nullptr, tgvUT_Line, false);
  tgvValueDef_C* best = tgvValueDef_C::Create(&m_db, u"Best", type, 1, nullptr, false);
  tgvValueDef_C* laps = tgvValueDef_C::Create(&m_db, u"Laps", type, 1, nullptr, false);
  tgvLine_C* line = m_db.CreateLine(tgvUT_Line, u"l", 0, 0, type->GetId(), 0, 0);
  tgvVal_C* v = tgvVal_C::Create(&m_db, u"61.5", line, best);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(best->FindLineValue(line), v);
  EXPECT_EQ(laps->FindLineValue(line), nullptr);
  EXPECT_EQ(best->FindPOIValue(line), nullptr);  // a line is not a POI
  ASSERT_TRUE(v->SetDefinition(laps));           // the index follows the change
  EXPECT_EQ(best->FindLineValue(line), nullptr);
  EXPECT_EQ(laps->FindLineValue(line), v);
  EXPECT_EQ(v->GetObject(), line);

  // Deleting a definition deletes its values; its reused id starts empty.
  ASSERT_TRUE(laps->Delete());
  EXPECT_TRUE(v->IsDeleted());
  tgvValueDef_C* fresh = tgvValueDef_C::Create(&m_db, u"Fresh", type, 1, nullptr, false);
  EXPECT_EQ(fresh, laps);  // the same record, reused
  EXPECT_EQ(fresh->FindLineValue(line), nullptr);
  PtrList_C defs;
  type->GetValueDefs(&defs, false);
  EXPECT_EQ(Ids(defs), (std::vector<uint32_t>{best->GetId(), fresh->GetId()}));
}

TEST_F(Accessors, POIsChangeTypeKeepingMatchingValuesAndDeleteEverythingAttached) {
  tgvType_C* root = tgvType_C::Create(&m_db, u"Root", u"i", nullptr, nullptr, tgvUT_POI, false);
  tgvType_C* a = tgvType_C::Create(&m_db, u"A", u"i", root, nullptr, 0, false);
  tgvType_C* b = tgvType_C::Create(&m_db, u"B", u"i", root, nullptr, 0, false);
  tgvValueDef_C* aName = tgvValueDef_C::Create(&m_db, u"Name", a, 1, nullptr, false);
  tgvValueDef_C* aOnly = tgvValueDef_C::Create(&m_db, u"Only", a, 1, nullptr, false);
  tgvValueDef_C* bName = tgvValueDef_C::Create(&m_db, u"Name", b, 1, nullptr, false);
  tgvPOI_C* poi = tgvPOI_C::Create(&m_db, u"p", a, IntPoint_C(1, 2), GeoPoint_C(8, 47, 0), nullptr, false);
  tgvVal_C* kept = tgvVal_C::Create(&m_db, u"x", poi, aName);
  tgvVal_C* lost = tgvVal_C::Create(&m_db, u"y", poi, aOnly);
  ASSERT_TRUE(poi->SetType(b));
  EXPECT_EQ(poi->GetTypeID(), b->GetId());
  EXPECT_EQ(bName->FindPOIValue(poi), kept);
  EXPECT_TRUE(lost->IsDeleted());

  ASSERT_TRUE(poi->SetAnnotation(u"note"));
  auto* note = static_cast<tgvPropText_C*>(m_db.FindProperty(tgvUT_PropText, poi, u"tgvAnnotate"));
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(std::u16string_view(note->GetValue()), u"note");
  m_db.CreateLink(tgvUT_NTag, poi, a);
  ASSERT_TRUE(poi->Delete());
  EXPECT_TRUE(kept->IsDeleted());
  EXPECT_EQ(m_db.FirstOfType(tgvUT_NTag), nullptr);
  EXPECT_EQ(m_db.FirstOfType(tgvUT_POI), nullptr);
}

}  // namespace
