// What the look-ups that the sport model and the exporters make per object
// cost, at two project sizes ten times apart: counted as the records the
// database reaches (GetRecordVisits) and the steps of the SQL it runs. A
// look-up answered from an index does the same work per object at both
// sizes; one that walks or scans a table does ten times more.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/utf.h"
#include "tests/common/sqlite_work.h"
#include "tests/common/temp_dir.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvLine.h"

namespace {

// A project of n lines and n POIs, each with its own style and three values,
// each line with its start time.
struct Project {
  void Fill(int n) {
    ASSERT_TRUE(doc.Open(dir.WFile("bruser.poi").c_str()));
    db = doc.GetDatabase();
    lineType = tgvType_C::Create(db, u"Track", u"", nullptr, nullptr, tgvUT_Line, false);
    poiType = tgvType_C::Create(db, u"User", u"", nullptr, nullptr, tgvUT_POI, false);
    for (tgvType_C* type : {lineType, poiType})
      for (const char16_t* key : {u"a", u"b", u"c"})
        defs.push_back(tgvValueDef_C::Create(db, key, type, 1, nullptr, false));
    for (int i = 0; i < n; ++i) {
      tgvLine_C* line = tgvLine_C::Create(&doc, u"line", lineType, nullptr, nullptr, false);
      tgvPOI_C* poi = tgvPOI_C::Create(db, u"poi", poiType, IntPoint_C(0, 0), GeoPoint_C(1, 1, 0), nullptr, false);
      ASSERT_TRUE(line && poi && tgvStyle_C::CreateOwn(db, line) && tgvStyle_C::CreateOwn(db, poi));
      ASSERT_TRUE(line->SetTime(30000000, static_cast<uint32_t>(i)));
      const std::u16string text = Utf8ToUtf16(std::to_string(i));
      for (int d = 0; d < 3; ++d)
        ASSERT_TRUE(tgvVal_C::Create(db, text.c_str(), line, defs[d]) &&
                    tgvVal_C::Create(db, text.c_str(), poi, defs[3 + d]));
      lines.push_back(line);
      pois.push_back(poi);
    }
  }

  TempDir dir;
  tgvDocument_C doc{nullptr};
  tgvDatabase_C* db = nullptr;
  tgvType_C* lineType = nullptr;
  tgvType_C* poiType = nullptr;
  std::vector<tgvLine_C*> lines;
  std::vector<tgvPOI_C*> pois;
  std::vector<tgvValueDef_C*> defs;  // a, b, c of the lines, then of the POIs
};

TEST(LookUpCost, EachLookUpReachesTheSameRecordsPerObjectAtTenTimesTheObjects) {
  using LookUp = std::function<bool(Project&, size_t)>;
  const struct {
    const char* name;
    LookUp lookUp;
  } cases[] = {
      {"style of a line", [](Project& p, size_t i) { return p.lines[i]->GetStyle() != nullptr; }},
      {"style of a POI", [](Project& p, size_t i) { return p.doc.GetStyleOf(p.pois[i]) != nullptr; }},
      {"values of a line",
       [](Project& p, size_t i) {
         PtrList_C values;
         return p.lines[i]->GetValues(&values, p.lineType) == 3;
       }},
      {"values of a POI",
       [](Project& p, size_t i) {
         PtrList_C values;
         return p.pois[i]->GetValues(&values, nullptr) == 3;
       }},
      {"one value of a line",
       [](Project& p, size_t i) {
         tgvVal_C* value = p.defs[1]->FindLineValue(p.lines[i]);
         return value && std::u16string_view(value->GetValue()) == Utf8ToUtf16(std::to_string(i));
       }},
      {"start time of a line",
       [](Project& p, size_t i) {
         uint32_t t1 = 0, t2 = 0;
         return p.lines[i]->GetTime(&t1, &t2) && t2 == i;
       }},
  };
  SqliteWork work;
  Project small, large;
  ASSERT_NO_FATAL_FAILURE(small.Fill(60));
  ASSERT_NO_FATAL_FAILURE(large.Fill(600));
  for (const auto& c : cases) {
    double perObject[2] = {};
    Project* projects[2] = {&small, &large};
    for (int k = 0; k < 2; ++k) {
      Project& p = *projects[k];
      const uint64_t before = p.db->GetRecordVisits();
      SqliteWork::Take();
      for (size_t i = 0; i < p.lines.size(); ++i) ASSERT_TRUE(c.lookUp(p, i)) << c.name << " " << i;
      const uint64_t work = p.db->GetRecordVisits() - before + SqliteWork::Take();
      perObject[k] = static_cast<double>(work) / static_cast<double>(p.lines.size());
    }
    EXPECT_LE(perObject[1], perObject[0] * 1.5 + 1.0)
        << c.name << ": " << perObject[0] << " records and steps per object";
  }
}

// A value is found by its object and definition, the lowest id first, and a
// deleted one is not, whether the object has a few values or very many.
TEST(LookUpCost, AValueIsFoundAmongAFewValuesAndAmongMany) {
  Project p;
  ASSERT_NO_FATAL_FAILURE(p.Fill(2));
  tgvLine_C* crowded = p.lines[1];
  std::vector<tgvValueDef_C*> more;
  for (int d = 0; d < 40; ++d) {
    more.push_back(
        tgvValueDef_C::Create(p.db, Utf8ToUtf16("m" + std::to_string(d)).c_str(), p.lineType, 1, nullptr, false));
    ASSERT_TRUE(tgvVal_C::Create(p.db, Utf8ToUtf16(std::to_string(d)).c_str(), crowded, more.back()));
  }
  tgvVal_C* first[2] = {p.defs[2]->FindLineValue(p.lines[0]), p.defs[2]->FindLineValue(p.lines[1])};
  for (int k = 0; k < 2; ++k) {
    ASSERT_TRUE(first[k] && tgvVal_C::Create(p.db, u"later", p.lines[k], p.defs[2]));
    EXPECT_EQ(p.defs[2]->FindLineValue(p.lines[k]), first[k]) << "the lowest id";
  }
  for (int k = 0; k < 2; ++k) {
    tgvLine_C* line = p.lines[k];
    ASSERT_TRUE(first[k]->Delete());
    ASSERT_NE(p.defs[2]->FindLineValue(line), nullptr);
    EXPECT_EQ(std::u16string_view(p.defs[2]->FindLineValue(line)->GetValue()), u"later");
    EXPECT_EQ(p.defs[3]->FindLineValue(line), nullptr) << "a definition of the POIs";
  }
  for (int d = 0; d < 40; ++d) {
    tgvVal_C* value = more[d]->FindLineValue(crowded);
    ASSERT_NE(value, nullptr) << d;
    EXPECT_EQ(std::u16string_view(value->GetValue()), Utf8ToUtf16(std::to_string(d)));
    EXPECT_EQ(more[d]->FindLineValue(p.lines[0]), nullptr);
  }
}

}  // namespace
