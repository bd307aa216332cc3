// What the line exports cost per point when the points carry attachments,
// at two line lengths ten times apart: counted as the records the database
// reaches and the steps of the SQL it runs. Each point's first attachment
// comes from one walk of the line's attachments, so the work per point
// stays the same; a walk per point would grow with the attachments.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "export/tgvGpxExport.h"
#include "export/tgvLineExport.h"
#include "tests/common/files.h"
#include "tests/common/sqlite_work.h"
#include "tests/common/temp_dir.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvLine.h"

namespace {

TEST(ExportCost, LineExportsDoTheSameWorkPerPointAtTenTimesThePointsAndAttachments) {
  SqliteWork work;
  const struct {
    const char* name;
    std::function<bool(tgvDocument_C*, const std::u16string&, PtrList_C*)> run;
  } exports[] = {
      {"gpx",
       [](tgvDocument_C* d, const std::u16string& path, PtrList_C* lines) {
         return ExportGpx(d, path.c_str(), nullptr, lines, nullptr, nullptr, 0, 0, 0, 0);
       }},
      {"csv", [](tgvDocument_C* d, const std::u16string& path,
                 PtrList_C* lines) { return ExportCsv(d, path.c_str(), lines, 0); }},
  };
  for (const auto& e : exports) {
    double perPoint[2] = {};
    const int sizes[2] = {80, 800};
    for (int k = 0; k < 2; ++k) {
      TempDir dir;
      tgvDocument_C doc(nullptr);
      ASSERT_TRUE(doc.Open(dir.WFile("bruser.poi").c_str()));
      tgvDatabase_C* db = doc.GetDatabase();
      tgvType_C* type = tgvType_C::Create(db, u"Place", u"", nullptr, nullptr, tgvUT_POI, false);
      tgvType_C* track = tgvType_C::Create(db, u"Track", u"", nullptr, nullptr, tgvUT_Line, false);
      tgvLine_C* line = tgvLine_C::Create(&doc, u"run", track, nullptr, nullptr, false);
      ASSERT_TRUE(type && line);
      for (int i = 0; i < sizes[k]; ++i) {
        tgvGPSSample sample;
        sample.time = {30000000u, static_cast<uint32_t>(i) * 10000000u};
        tgvWayPoint_C* p = line->AppendPoint(GeoPoint_C(8.0 + i * 1e-4, 47.0, 400.0), IntPoint_C(0, 0), 0,
                                             tgvWayPointSensors(), &sample);
        ASSERT_NE(p, nullptr);
        if (i % 4 != 0) continue;
        tgvPOI_C* poi = tgvPOI_C::Create(db, u"stop", type, IntPoint_C(0, 0), GeoPoint_C(8, 47, 0), nullptr, false);
        ASSERT_TRUE(poi && tgvVP_C::Create(db, u"at", nullptr, line, poi, p));
      }
      PtrList_C lines;
      lines.AddTail(line);
      const uint64_t before = db->GetRecordVisits();
      SqliteWork::Take();
      ASSERT_TRUE(e.run(&doc, dir.WFile("out"), &lines)) << e.name;
      perPoint[k] = static_cast<double>(db->GetRecordVisits() - before + SqliteWork::Take()) / sizes[k];
      if (e.name == std::string("gpx")) {
        EXPECT_NE(ReadBytes(dir.File("out")).find("CDATA[stop]"), std::string::npos);
      }
    }
    EXPECT_LE(perPoint[1], perPoint[0] * 1.5) << e.name << ": " << perPoint[0] << " records and steps per point";
  }
}

}  // namespace
