// Setters and their write-through, the deletion and reuse steps on the
// fields, and the registry through which records find their database.
#include <gtest/gtest.h>

#include "test_db.h"
#include "trackdb/tgvSchema.h"

class TrackDbRecord : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_db.Open(m_tmp.File("bruser.poi"))); }
  std::vector<std::string> Rows(const std::string& sql) { return QueryRows(m_db.Db(), sql); }
  TempDir m_tmp;
  TestDb m_db;
};

TEST_F(TrackDbRecord, MarkedSetterWritesTheRowOnlyWhenTheValueChanges) {
  auto* wp = m_db.New<tgvWayPoint_C>(tgvUT_WP);
  ASSERT_TRUE(m_db.Insert(wp));
  const int before = m_db.Saves();

  EXPECT_TRUE(wp->SetOrder(0, 1));  // same value: nothing written
  EXPECT_TRUE(wp->SetRPM(0.0, 1));
  EXPECT_EQ(m_db.Saves(), before);

  EXPECT_TRUE(wp->SetRPM(7200.5, 0));  // not marked: memory only
  EXPECT_EQ(m_db.Saves(), before);
  EXPECT_EQ(Rows("SELECT fRPM FROM WP;"), std::vector<std::string>{"0.0"});

  EXPECT_TRUE(wp->SetOrder(-65539, 1));  // marked: the whole row is written
  EXPECT_EQ(m_db.Saves(), before + 1);
  EXPECT_EQ(Rows("SELECT fOrder, fRPM FROM WP;"), std::vector<std::string>{"-65539|7200.5"});
}

TEST_F(TrackDbRecord, NoWriteWhileTheDatabaseIsNotOpenOrNotRegistered) {
  auto* line = m_db.New<tgvLine_C>(tgvUT_Line);
  ASSERT_TRUE(m_db.Insert(line));
  m_db.SetOpen(false);  // being opened and loaded
  EXPECT_TRUE(line->SetMapID(5, 1));
  EXPECT_TRUE(line->SetName(u"loading"));
  EXPECT_EQ(m_db.Saves(), 0);
  EXPECT_EQ(line->GetMapID(), 5u);
  m_db.SetOpen(true);

  // A record without a registered database keeps values in memory, but has
  // no pool for texts.
  line->StampHeader(0, tgvUT_Line, line->GetId());
  EXPECT_EQ(line->GetDatabase(), nullptr);
  EXPECT_TRUE(line->SetMapID(6, 1));
  EXPECT_FALSE(line->SetName(u"other"));
  EXPECT_EQ(std::u16string_view(line->GetName()), u"loading");
  EXPECT_EQ(m_db.Saves(), 0);
  EXPECT_EQ(Rows("SELECT fMapID, fName FROM Line;"), std::vector<std::string>{"0|<null>"});
}

TEST_F(TrackDbRecord, FailedWriteIsReported) {
  auto* map = m_db.New<tgvMap_C>(tgvUT_Map);
  ASSERT_TRUE(m_db.Insert(map));
  ASSERT_TRUE(Exec(m_db.Db(), "DROP TABLE Map;"));
  EXPECT_FALSE(map->SetMapGSize(512, 1));
  EXPECT_EQ(map->GetMapGSize(), 512);  // the value stays in memory
}

TEST_F(TrackDbRecord, TextSettersPoolTheText) {
  auto* val = m_db.New<tgvVal_C>(tgvUT_Val);
  ASSERT_TRUE(m_db.Insert(val));
  std::u16string a = u"12.5 km";
  ASSERT_TRUE(val->SetValue(a.c_str()));
  EXPECT_NE(val->GetValue(), a.c_str());  // the pooled copy, not the caller's
  EXPECT_EQ(val->GetValue(), m_db.InternString(u"12.5 km"));
  const int saves = m_db.Saves();
  std::u16string same = u"12.5 km";
  EXPECT_TRUE(val->SetValue(same.c_str()));  // equal text: nothing written
  EXPECT_EQ(m_db.Saves(), saves);
  EXPECT_TRUE(val->SetValue(nullptr));  // null stays null and is stored as NULL
  EXPECT_EQ(val->GetValue(), nullptr);
  EXPECT_EQ(Rows("SELECT typeof(fValue) FROM Val;"), std::vector<std::string>{"null"});

  // The generic name setter works on every kind that has a name.
  auto* cp = m_db.New<tgvControlPoint_C>(tgvUT_CP);
  ASSERT_TRUE(m_db.Insert(cp));
  tgvRecord_C* any = cp;
  ASSERT_TRUE(any->SetName(u"corner"));
  EXPECT_EQ(std::u16string_view(any->GetName()), u"corner");
  EXPECT_EQ(Rows("SELECT fName FROM CP;"), std::vector<std::string>{"corner"});
  auto* link = m_db.New(tgvUT_NTag);
  EXPECT_FALSE(link->SetName(u"x"));
  EXPECT_EQ(link->GetName(), nullptr);
}

TEST_F(TrackDbRecord, AttachmentLinkSetterClearsTheOtherLinkWithOneWrite) {
  auto* vp = m_db.New<tgvVP_C>(tgvUT_VP);
  vp->SetPOIID(9, 0, 0);
  vp->SetWPID(4, 0, 0);  // the reader sets both without clearing
  EXPECT_EQ(vp->GetPOIID(), 9u);
  ASSERT_TRUE(m_db.Insert(vp));
  const int saves = m_db.Saves();
  EXPECT_TRUE(vp->SetWPID(4, 1, 1));  // same waypoint, but the POI id goes
  EXPECT_EQ(m_db.Saves(), saves + 1);
  EXPECT_EQ(vp->GetPOIID(), 0u);
  EXPECT_EQ(Rows("SELECT fPOIID, fWPID FROM VP;"), std::vector<std::string>{"0|4"});
  EXPECT_TRUE(vp->SetWPID(4, 1, 1));  // nothing changes any more
  EXPECT_EQ(m_db.Saves(), saves + 1);
}

TEST_F(TrackDbRecord, StyleWidthAndPatternAlsoHaveAnAlwaysWritingForm) {
  auto* style = m_db.New<tgvStyle_C>(tgvUT_VStyle);
  ASSERT_TRUE(m_db.Insert(style));
  EXPECT_TRUE(style->SetVSWidth(3));
  EXPECT_TRUE(style->SetVSPattern(2));
  EXPECT_EQ(m_db.Saves(), 2);
  EXPECT_EQ(Rows("SELECT fVSPattern, fVSWidth FROM VStyle;"), std::vector<std::string>{"2|3"});
}

TEST_F(TrackDbRecord, WaypointLevelIsMemoryOnly) {
  auto* wp = m_db.New<tgvWayPoint_C>(tgvUT_WP);
  EXPECT_EQ(wp->GetLevel(), 0);  // a fresh record
  wp->SetLevelValue(3.75);
  EXPECT_EQ(wp->GetLevel(), 3);
  wp->SetLevel(-1);
  EXPECT_EQ(wp->GetLevelValue(), -1.0);
  ASSERT_TRUE(m_db.Insert(wp));
  EXPECT_EQ(m_db.Saves(), 0);
}

TEST_F(TrackDbRecord, DeletionClearsTheKindsFieldsAndReuseStartsFresh) {
  auto* type = m_db.New<tgvType_C>(tgvUT_TypeD);
  type->SetName(u"Track", 0);
  type->SetIcon(u"icon.png", 0);
  type->SetOrder(4, 0);
  type->SetUserFlag(0x8B, 0);
  tgvClearRecordFields(type);
  EXPECT_EQ(type->GetName(), nullptr);
  EXPECT_EQ(type->GetIcon(), nullptr);
  EXPECT_EQ(type->GetOrder(), 0);
  EXPECT_EQ(type->GetUserFlag(), 0);

  auto* line = m_db.New<tgvLine_C>(tgvUT_Line);
  auto* group = reinterpret_cast<tgvGroup_C*>(line);  // any address will do
  line->SetName(u"Lap", 0);
  line->SetGroup(group);
  line->SetIsGroup(1, 0);
  line->Set1stWPID(7, 0);
  line->SetSensorFlags(true, false, true, true);
  tgvClearRecordFields(line);
  EXPECT_EQ(line->GetName(), nullptr);
  EXPECT_EQ(line->GetGroup(), nullptr);
  EXPECT_EQ(line->Get1stWPID(), 0u);
  EXPECT_EQ(line->GetIsGroup(), 1);  // kept, as the deleted row keeps it
  EXPECT_TRUE(line->HasBaroAltitude());

  auto* wp = m_db.New<tgvWayPoint_C>(tgvUT_WP);
  wp->SetLongitude(13.4, 0);
  wp->SetLevel(5);
  wp->SetSegment(group);
  tgvClearRecordFields(wp);
  EXPECT_EQ(wp->GetLongitude(), 0.0);
  EXPECT_EQ(wp->GetLevel(), 5);  // a deleted waypoint keeps its level ...

  // ... but a waypoint that reuses the record starts at level 0 like a fresh
  // one, so it is not filtered by the old point's level.
  tgvResetReusedRecord(wp);
  EXPECT_EQ(wp->GetLevel(), 0);
  EXPECT_EQ(wp->GetSegment(), nullptr);
  tgvResetReusedRecord(line);
  EXPECT_FALSE(line->HasBaroAltitude());
  EXPECT_FALSE(line->HasHeartRate());

  // A deleted record's row is written by the delete itself; a setter on it
  // afterwards must not write by its id word (which then links free ids).
  auto* poi = m_db.New<tgvPOI_C>(tgvUT_POI);
  ASSERT_TRUE(m_db.Insert(poi));
  tgvClearRecordFields(poi);
  poi->SetDeletedFlag(1);
  ASSERT_TRUE(m_db.SaveRecord(poi));
  EXPECT_EQ(Rows("SELECT * FROM POI;"), std::vector<std::string>{"1|1|<null>|0|0|0.0|0.0|0.0|0.0|0.0"});
  const int saves = m_db.Saves();
  EXPECT_FALSE(poi->SetTypeID(3, 1));
  EXPECT_EQ(m_db.Saves(), saves);
}

TEST(TrackDbRegistry, LowestFreeSlotFirst) {
  struct Host : tgvRecordHost_I {
    bool IsOpen() const override { return true; }
    bool SaveRecord(tgvRecord_C*) override { return true; }
    const char16_t* InternString(const char16_t* t) override { return t; }
  } hosts[256];
  tgvDBRegistry_C reg;
  EXPECT_EQ(reg.Register(&hosts[0]), 1);
  reg.Unregister(1);
  EXPECT_EQ(reg.Register(&hosts[0]), 1);
  EXPECT_EQ(reg.Register(&hosts[1]), 2);
  EXPECT_EQ(reg.Register(&hosts[2]), 3);
  reg.Unregister(2);
  EXPECT_EQ(reg.Lookup(2), nullptr);
  EXPECT_EQ(reg.Register(&hosts[3]), 2);
  EXPECT_EQ(reg.Register(&hosts[4]), 4);
  EXPECT_EQ(reg.Lookup(4), &hosts[4]);
  EXPECT_EQ(reg.Lookup(0), nullptr);
  EXPECT_EQ(reg.Lookup(tgvDBRegistry_C::kSlotCount), nullptr);
  // The slot is memory-only: far more than 254 databases are registered.
  for (uint32_t i = 5; i < tgvDBRegistry_C::kSlotCount; ++i) ASSERT_EQ(reg.Register(&hosts[i % 256]), i);
  EXPECT_EQ(reg.GetCount(), tgvDBRegistry_C::kSlotCount - 1);
  EXPECT_EQ(reg.Register(&hosts[255]), 0u);  // full
  reg.Unregister(300);
  EXPECT_EQ(reg.Register(&hosts[255]), 300u);
}
