#include <gtest/gtest.h>

#include <cmath>

#include "sport/SportLapPoint.h"
#include "sport/SportLapValue.h"
#include "tests/common/locale.h"
#include "tests/sport/sport_project.h"

namespace {

using LapPoints = SportProjectTest;

TEST_F(LapPoints, ReadTheirStoredFields) {
  struct Case {
    const char16_t* type;
    const char16_t* pos1;
    const char16_t* pos2;
    const char16_t* heading;
    int lapType;
    double lat1, lon1, lat2, lon2, heading_;
  } cases[] = {
      {u"0", u"35.0 138.0", u"35.0 138.01", u"92.5", 0, 35.0, 138.0, 35.0, 138.01, 92.5},
      // No space: the whole text is the second number.
      {u"3", u"12.5", u"-1.25   7e1", nullptr, 3, 0.0, 12.5, -1.25, 70.0, 0.0},
      {u"4", nullptr, u"north east", u"", 4, 0.0, 0.0, 0.0, 0.0, 0.0},
  };
  std::vector<uint32_t> ids;
  for (const Case& c : cases) {
    projgen::Fields fields = {{u"LapPointFieldLapType", c.type}};
    if (c.pos1) fields.push_back({u"POSITION1", c.pos1});
    if (c.pos2) fields.push_back({u"POSITION2", c.pos2});
    if (c.heading) fields.push_back({u"BCN_HEADING", c.heading});
    ids.push_back(m_gen.AddLapPoint(u"line", fields)->GetId());
  }
  Reopen();
  CommaLocale comma;  // numbers are read with '.' whatever the locale
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    CSportLapPoint lp(Find<tgvPOI_C>(tgvUT_POI, ids[i]));
    EXPECT_EQ(lp.GetType(), 15);
    EXPECT_EQ(lp.m_nLapType, c.lapType) << i;
    EXPECT_DOUBLE_EQ(lp.m_dLat1, c.lat1) << i;
    EXPECT_DOUBLE_EQ(lp.m_dLon1, c.lon1) << i;
    EXPECT_DOUBLE_EQ(lp.m_dLat2, c.lat2) << i;
    EXPECT_DOUBLE_EQ(lp.m_dLon2, c.lon2) << i;
    EXPECT_DOUBLE_EQ(lp.m_dHeading, c.heading_) << i;
    EXPECT_EQ(CSportValueObj::FindByRecordId(ids[i]), &lp);
  }
  // 0.01 degree of longitude at 35 degrees north, halved.
  CSportLapPoint first(Find<tgvPOI_C>(tgvUT_POI, ids[0]));
  const double expected = 0.01 * std::cos(35.0 * M_PI / 180.0) * 60.0 * 1.1515 * 1.609344 / 2.0;
  EXPECT_NEAR(first.m_dHalfWidth, expected, 1e-6);
}

TEST_F(LapPoints, HeadingWritesReplaceTheStoredTextAndSurviveReopening) {
  const uint32_t id = m_gen.AddLapPoint(u"sf", {{u"LapPointFieldLapType", u"0"}})->GetId();
  Reopen();
  {
    CSportLapPoint lp(Find<tgvPOI_C>(tgvUT_POI, id));
    CommaLocale comma;
    lp.SetHeading(10.25);
    lp.SetHeading(271.5);
    EXPECT_EQ(lp.GetText(u"BCN_HEADING").ToUtf8(), "271.500000");
  }
  // One value record: the second write found the first one's.
  PtrList_C values;
  EXPECT_EQ(m_db->SelectLinksInMemory(&values, tgvUT_Val, tgvUT_POI, id, 0, 0), 2u);
  SaveAndReopen();
  CSportLapPoint again(Find<tgvPOI_C>(tgvUT_POI, id));
  EXPECT_DOUBLE_EQ(again.m_dHeading, 271.5);
}

TEST_F(LapPoints, ARemovedLapPointForgetsItsRecord) {
  const uint32_t id = m_gen.AddLapPoint(u"sf", {{u"LapPointFieldLapType", u"0"}, {u"BCN_HEADING", u"5"}})->GetId();
  Reopen();
  auto* poi = Find<tgvPOI_C>(tgvUT_POI, id);
  CSportLapPoint lp(poi);
  lp.Remove();
  EXPECT_TRUE(poi->IsDeleted());
  EXPECT_EQ(CSportValueObj::FindByRecordId(id), nullptr);
  EXPECT_EQ(lp.GetRecord(), nullptr);
  // Reads are empty and writes do nothing, also when the freed record is
  // reused by another POI.
  tgvPOI_C* reused = m_db->CreatePOI(tgvUT_POI, u"other", IntPoint_C(0, 0), GeoPoint_C(0, 0, 0), 0, 0, 0);
  ASSERT_EQ(reused, poi);
  lp.SetHeading(1.0);
  lp.Remove();
  EXPECT_TRUE(lp.GetText(u"BCN_HEADING").IsEmpty());
  PtrList_C values;
  EXPECT_EQ(m_db->SelectLinksInMemory(&values, tgvUT_Val, tgvUT_POI, id, 0, 0), 0u);
  EXPECT_FALSE(reused->IsDeleted());

  // A destroyed object leaves the map too.
  {
    CSportLapPoint other(reused);
    EXPECT_EQ(CSportValueObj::FindByRecordId(id), &other);
  }
  EXPECT_EQ(CSportValueObj::FindByRecordId(id), nullptr);
}

TEST_F(LapPoints, SectorSplitsNumberTheirLines) {
  m_gen.AddLapPoint(u"s1", {{u"LapPointFieldLapType", u"3"}});
  m_gen.AddLapPoint(u"s2", {{u"LapPointFieldLapType", u"3"}});
  m_gen.AddLapPoint(u"fin", {{u"LapPointFieldLapType", u"2"}});
  Reopen();
  CSportLapPoint s1(Find<tgvPOI_C>(tgvUT_POI, 1)), s2(Find<tgvPOI_C>(tgvUT_POI, 2)), fin(Find<tgvPOI_C>(tgvUT_POI, 3));
  CSportLapValue lap(nullptr, nullptr, nullptr, &fin, &fin);
  EXPECT_EQ(lap.m_dDragDistance, -1.0);
  auto* first = new CSportSplitValue(&lap, nullptr, nullptr, &s1);
  lap.m_lstSplits.AddTail(first);
  EXPECT_EQ(s1.m_strNumber.ToUtf8(), "1");
  s1.m_strNumber = u"7";
  auto* second = new CSportSplitValue(&lap, first, nullptr, &s2);
  lap.m_lstSplits.AddTail(second);
  EXPECT_EQ(s2.m_strNumber.ToUtf8(), "8");
  // The same line again, a line that is no sector, and a split without a
  // line before: the numbers stay.
  lap.m_lstSplits.AddTail(new CSportSplitValue(&lap, second, nullptr, &s2));
  lap.m_lstSplits.AddTail(new CSportSplitValue(&lap, second, nullptr, &fin));
  EXPECT_EQ(s2.m_strNumber.ToUtf8(), "8");
  EXPECT_TRUE(fin.m_strNumber.IsEmpty());
  auto* noLine = new CSportSplitValue(&lap, nullptr, nullptr, nullptr);
  lap.m_lstSplits.AddTail(noLine);
  lap.m_lstSplits.AddTail(new CSportSplitValue(&lap, noLine, nullptr, &s1));
  EXPECT_EQ(s1.m_strNumber.ToUtf8(), "7");
  EXPECT_FALSE(first->m_bValid);
}

TEST_F(LapPoints, DragRunsAndPointSplitsKeepTheirMeasures) {
  const uint64_t t0 = projgen::FileTimeOf(2024, 5, 1, 10, 0, 0);
  const uint32_t id = m_gen.AddPointLine(u"run", {{45.0, 10.0, 0, 0, t0}, {45.01, 10.0, 0, 0, t0 + 1}}, true)->GetId();
  Reopen();
  PtrList_C points;
  Find<tgvLine_C>(tgvUT_Line, id)->CollectPoints(&points, false, -1);
  auto* a = static_cast<tgvWayPoint_C*>(points.GetHeadPosition()->value);
  auto* b = static_cast<tgvWayPoint_C*>(points.GetTailPosition()->value);

  CSportLapValue toDistance(nullptr, a, b, 0.402);
  CSportLapValue bySpeed(nullptr, a, b, 0.0, 100.0);
  EXPECT_TRUE(toDistance.m_bDrag && bySpeed.m_bDrag);
  EXPECT_EQ(toDistance.m_dDragDistance, 0.402);
  EXPECT_EQ(bySpeed.m_dDragDistance, 0.0);
  EXPECT_EQ(bySpeed.m_dEndSpeed, 100.0);
  EXPECT_EQ(toDistance.m_pStartLapPoint, nullptr);

  CSportSplitValue split(&toDistance, nullptr, a, b, 5, 9, u"60 ft");
  EXPECT_TRUE(split.m_bValid);
  EXPECT_NEAR(split.m_dDistance, 0.01 * 60.0 * 1.1515 * 1.609344, 1e-9);
  EXPECT_EQ(split.m_strName.ToUtf8(), "60 ft");
}

}  // namespace
