#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/classlib/CString.h"
#include "sport/ProjectDbMgr.h"
#include "sport/SportFieldIds.h"
#include "sport/SportTypes.h"
#include "tests/sport/sport_project.h"

namespace {

using SportTypes = SportProjectTest;

TEST_F(SportTypes, TypesAreFoundByKindAndExactNameAndMadeOnce) {
  tgvDatabase_C* db = m_gen.Db();
  tgvType_C* track = FindOrCreateType(db, kSportLineKind, u"TypeTrack");
  ASSERT_TRUE(track);
  EXPECT_EQ(std::u16string(track->GetIcon()), u"TypeTrack");
  EXPECT_TRUE(track->IsSystem());
  EXPECT_EQ(track->GetParentID(), 0u);
  EXPECT_EQ(FindOrCreateType(db, kSportLineKind, u"TypeTrack"), track);

  struct Case {
    uint8_t kind;
    const char16_t* name;
    bool same;
  } cases[] = {
      {kSportPoiKind, u"TypeTrack", false},  // a POI type may share the name
      {kSportLineKind, u"typetrack", false},
      {kSportLineKind, u"TypeTrack", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FindOrCreateType(db, c.kind, c.name) == track, c.same) << int(c.kind) << " " << CString(c.name).ToUtf8();
  EXPECT_EQ(FindOrCreateType(nullptr, kSportLineKind, u"TypeTrack"), nullptr);
}

TEST_F(SportTypes, FieldsAreTextDefinitionsAppendedToTheType) {
  tgvDatabase_C* db = m_gen.Db();
  tgvType_C* track = FindOrCreateType(db, kSportLineKind, u"TypeTrack");
  // A definition of another value type with the same name does not count.
  tgvValueDef_C* number = tgvValueDef_C::Create(db, u"FieldNote", track, 2, nullptr, false);
  tgvValueDef_C* note = FindOrCreateValueDef(db, track, u"FieldNote");
  ASSERT_TRUE(note);
  EXPECT_NE(note, number);
  EXPECT_EQ(note->GetValueType(), 1);
  EXPECT_FALSE(note->IsSystem());
  EXPECT_EQ(number->GetNextID(), note->GetId());
  EXPECT_EQ(FindOrCreateValueDef(db, track, u"FieldNote"), note);
  EXPECT_NE(FindOrCreateValueDef(db, track, u"fieldnote"), note);
  EXPECT_EQ(FindOrCreateValueDef(nullptr, track, u"FieldNote"), nullptr);
  EXPECT_EQ(FindOrCreateValueDef(db, nullptr, u"FieldNote"), nullptr);
}

TEST_F(SportTypes, CachedIdsAreKeptOnlyOnceFoundAndFollowTheOpenProject) {
  // No project at hand: nothing is cached, so a later call still finds.
  EXPECT_EQ(GetTrackTypeId(nullptr), 0u);
  EXPECT_EQ(GetTrackFieldDefId(nullptr, u"FieldUserID"), 0u);
  tgvDatabase_C* db = m_gen.Db();
  const uint32_t type = GetTrackTypeId(db);
  ASSERT_NE(type, 0u);
  const uint32_t field = GetTrackFieldDefId(db, u"FieldUserID");
  ASSERT_NE(field, 0u);
  EXPECT_EQ(GetTrackFieldDefId(db, u"FieldUserID"), field);
  EXPECT_EQ(FindValueDef(db, field)->GetParentID(), type);
  EXPECT_NE(GetUserFieldDefId(db, u"FieldUserID"), field);

  // Another project whose ids differ: the cache does not hand out the first
  // project's ids.
  TempDir other;
  projgen::ProjectDb second;
  ASSERT_TRUE(second.Create(other.WFile("bruser.poi")));
  second.Type(kSportPoiKind, u"Place Mark");
  second.Type(kSportPoiKind, u"Other");
  const uint32_t otherField = GetTrackFieldDefId(second.Db(), u"FieldUserID");
  tgvValueDef_C* def = FindValueDef(second.Db(), otherField);
  ASSERT_TRUE(def);
  EXPECT_EQ(std::u16string(def->GetName()), u"FieldUserID");
  EXPECT_EQ(std::u16string(def->GetType()->GetName()), u"TypeTrack");
}

TEST_F(SportTypes, TheProjectManagerAnswersForItsOpenDocument) {
  ProjectDbMgr* mgr = ProjectDbMgr::GetInstance();
  EXPECT_EQ(mgr->FindOrCreateType(kSportPoiKind, u"TypeUser"), nullptr);
  const uint32_t user = m_gen.Type(kSportPoiKind, u"TypeUser")->GetId();
  Reopen();
  mgr->m_pDocument = m_project->GetDocument();
  tgvType_C* type = mgr->FindOrCreateType(kSportPoiKind, u"TypeUser");
  ASSERT_TRUE(type);
  EXPECT_EQ(type->GetId(), user);
  EXPECT_TRUE(mgr->FindOrCreateValueDef(type, u"FieldNickName"));
  mgr->m_pDocument = nullptr;
  EXPECT_EQ(mgr->FindOrCreateValueDef(type, u"FieldNickName"), nullptr);
}

TEST_F(SportTypes, ThreadsAskingForANewFieldAtOnceMakeItOnce) {
  tgvDatabase_C* db = m_gen.Db();
  std::vector<uint32_t> ids(8);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < ids.size(); ++i)
    threads.emplace_back([&, i] { ids[i] = GetUserFieldDefId(db, i % 2 ? u"FieldWeight" : u"FieldHeight"); });
  for (std::thread& t : threads) t.join();
  for (size_t i = 2; i < ids.size(); ++i) EXPECT_EQ(ids[i], ids[i % 2]);
  PtrList_C defs;
  EXPECT_EQ(FindValueDef(db, ids[0])->GetType()->GetValueDefs(&defs, true), 2u);
}

}  // namespace
