// The export entry points on a project built with the track library, every
// output read back by a real consumer: gpsbabel for the track formats,
// xmllint and expat for the XML files, node for the map page's script.
#include <gtest/gtest.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "export/tgvGMapHtmlWriter.h"
#include "export/tgvGpxExport.h"
#include "export/tgvKmlExport.h"
#include "export/tgvProjectExport.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"
#include "tests/export/run_command.h"
#include "tools/projgen/SampleWorkspace.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvLine.h"
#include "trackdb/tgvPhoto.h"
#include "trackdb/tgvProject.h"
#include "trackdb/tgvRecordList.h"

namespace {

constexpr int64_t kLater = 1250331630;  // 2009-08-15 10:20:30 UTC
constexpr int64_t kEarlier = kLater - 3600;
const char16_t kCafe[] = u"Caf\u00e9 <One> & ]]> \"q\" 'a' </script>";

struct Fix {
  double lat, lon, alt;
  int64_t seconds;  // 0: no GPS-log record
  int ms;
  int level;
};

// In time order: the line "Earlier" (its middle point unlogged, its last at
// level -1), "Later" (its middle point deep below sea level and attached to
// the café), then "Untimed" without any log records, created first.
const std::vector<Fix> kEarlierFixes = {
    {47.0, 8.0, 400.0, kEarlier, 0, 0}, {47.001, 8.001, 401.0, 0, 0, 0}, {47.002, 8.002, 402.0, kEarlier + 2, 500, -1}};
const std::vector<Fix> kLaterFixes = {{-33.5, 151.05, 12.0, kLater, 250, 0},
                                      {-33.501, 151.051, -3500.0, kLater + 1, 0, 0},
                                      {-33.502, 151.052, 14.0, kLater + 2, 990, 0}};
const std::vector<Fix> kUntimedFixes = {{10.0, 20.0, 0.0, 0, 0, 0}, {10.001, 20.001, 0.0, 0, 0, 0}};

class ExportDrivers : public ::testing::Test {
 protected:
  void SetUp() override {
    m_doc = m_project.Create(Utf8ToUtf16(m_dir.Path()).c_str(), 0);
    ASSERT_NE(m_doc, nullptr) << m_project.GetErrorCode();
    tgvDatabase_C* db = m_doc->GetDatabase();
    tgvType_C* track = tgvType_C::Create(db, u"Track", u"t", nullptr, nullptr, tgvUT_Line, false);
    tgvType_C* place = tgvType_C::Create(db, u"Place", u"p", nullptr, nullptr, tgvUT_POI, false);
    tgvType_C* dest = tgvType_C::Create(db, u"Dest", u"d", nullptr, nullptr, tgvUT_POI, false);
    m_note = tgvValueDef_C::Create(db, u"Note", place, 1, nullptr, false);
    ASSERT_TRUE(track && place && dest && m_note);

    AddLine(track, u"Untimed", kUntimedFixes);
    tgvLine_C* later = AddLine(track, u"Later", kLaterFixes);
    AddLine(track, u"Earlier", kEarlierFixes);
    tgvStyle_C* red = tgvStyle_C::CreateOwn(db, later);
    ASSERT_TRUE(red && red->SetVSFColor(0x0000FF, 1) && red->SetVSWidth(3));

    tgvPOI_C* goal = AddPOI(dest, u"Goal", 8.3, 47.3, -3500.0);
    AddPOI(place, u"Nowhere", 8.0, 95.0, 0.0);
    tgvPOI_C* cafe = AddPOI(place, kCafe, 8.5, 47.25, 410.0);
    ASSERT_TRUE(cafe->SetTime(UnixToFileTime(kLater - 1230, 0).first, UnixToFileTime(kLater - 1230, 0).second));
    ASSERT_TRUE(tgvVal_C::Create(db, u"Terrace\nopen <late>", cafe, m_note));
    tgvStyle_C* pin = tgvStyle_C::CreateOwn(db, cafe);
    ASSERT_TRUE(pin && pin->SetVSIconName(u"pin's.png"));
    for (uint8_t kind : {tgvPhoto_C::kPhoto, tgvPhoto_C::kVideo}) {
      auto* file = tgvPhoto_C::From(tgvTagDef_C::CreateFileDef(db, u"f", u"/media/f", kind, u"Beach & sea"));
      ASSERT_TRUE(file && tgvPhotoLink_C::Create(db, cafe, file));
    }
    ASSERT_TRUE(tgvVP_C::Create(db, u"stop", nullptr, later, cafe, later->GetFirstPoint()->GetNext()));
    ASSERT_TRUE(goal);

    m_doc->GetLines(&m_lines, nullptr, true);
    m_doc->GetPOIs(&m_pois, nullptr, GeoBox_C());
  }

  tgvLine_C* AddLine(tgvType_C* type, const char16_t* name, const std::vector<Fix>& fixes) {
    tgvLine_C* line = tgvLine_C::Create(m_doc, name, type, nullptr, nullptr, false);
    EXPECT_NE(line, nullptr);
    for (const Fix& f : fixes) {
      tgvGPSSample sample;
      sample.time = UnixToFileTime(f.seconds, f.ms);
      sample.speed = 36.0;
      sample.gx = 0.5;
      tgvWayPointSensors sensors;
      sensors.bpm = 120.0;
      tgvWayPoint_C* p = line->AppendPoint(GeoPoint_C(f.lon, f.lat, f.alt), IntPoint_C(0, 0), 0, sensors,
                                           f.seconds ? &sample : nullptr);
      EXPECT_NE(p, nullptr);
      p->SetLevel(f.level);
    }
    if (fixes[0].seconds) {
      const IntPair_C t = UnixToFileTime(fixes[0].seconds, fixes[0].ms);
      EXPECT_TRUE(line->SetTime(t.first, t.second));
    }
    return line;
  }

  tgvPOI_C* AddPOI(tgvType_C* type, const char16_t* name, double lon, double lat, double alt) {
    tgvPOI_C* poi =
        tgvPOI_C::Create(m_doc->GetDatabase(), name, type, IntPoint_C(0, 0), GeoPoint_C(lon, lat, alt), nullptr, false);
    EXPECT_NE(poi, nullptr);
    return poi;
  }

  std::u16string W(const std::string& file) const { return m_dir.WFile(file); }

  TempDir m_dir;
  tgvProject_C m_project;
  tgvDocument_C* m_doc = nullptr;
  tgvValueDef_C* m_note = nullptr;
  PtrList_C m_lines;
  PtrList_C m_pois;
};

// Seconds since 1970 of gpsbabel's "2009/08/15" and "10:20:30.250"; 0 when empty.
double UnixOf(const std::string& date, const std::string& time) {
  if (date.empty() || time.empty()) return 0.0;
  struct tm t = {};
  double sec = 0.0;
  if (std::sscanf(date.c_str(), "%d/%d/%d", &t.tm_year, &t.tm_mon, &t.tm_mday) != 3 ||
      std::sscanf(time.c_str(), "%d:%d:%lf", &t.tm_hour, &t.tm_min, &sec) != 3)
    return NAN;
  t.tm_year -= 1900;
  t.tm_mon -= 1;
  return double(timegm(&t)) + sec;
}

// Any element of that local name, whatever its namespace.
std::string L(const std::string& name) { return "*[local-name()='" + name + "']"; }

// The string value of an XPath expression over the file, as xmllint reads it.
std::string XPath(const std::string& file, const std::string& expr) {
  const bool function =
      expr.rfind("count(", 0) == 0 || expr.rfind("concat(", 0) == 0 || expr.rfind("normalize-space(", 0) == 0;
  const std::string e = function ? expr : "string(" + expr + ")";
  std::string out;
  if (!RunCommand("xmllint --xpath \"" + e + "\" '" + file + "'", &out)) return "xmllint failed: " + out;
  if (!out.empty() && out.back() == '\n') out.pop_back();  // xmllint ends its answer with a line end
  return out;
}

std::vector<Fix> AllFixes(bool loggedOnly) {
  std::vector<Fix> out;
  for (const auto* line : {&kEarlierFixes, &kLaterFixes, &kUntimedFixes})
    for (const Fix& f : *line)
      if (!loggedOnly || f.seconds) out.push_back(f);
  return out;
}

TEST_F(ExportDrivers, EntryPointsRefuseAClosedProjectAndLineExportsAnEmptyList) {
  PtrList_C none;
  struct Case {
    const char* file;
    bool writesWithoutLines;
    std::function<bool(tgvProject_C*, const std::u16string&, PtrList_C*)> run;
  } cases[] = {
      {"a.kml", true,
       [](tgvProject_C* p, const std::u16string& f, PtrList_C*) { return ExportKml(p, f.c_str(), nullptr, nullptr); }},
      {"a.html", true,
       [](tgvProject_C* p, const std::u16string& f, PtrList_C* l) {
         return ExportGMapHtml(p, f.c_str(), nullptr, l, nullptr, nullptr, u"");
       }},
      {"a.gpx", true,
       [](tgvProject_C* p, const std::u16string& f, PtrList_C* l) {
         return ExportGpx(p, f.c_str(), nullptr, l, nullptr, nullptr, 0, 0, 0);
       }},
      {"a.nmea", false,
       [](tgvProject_C* p, const std::u16string& f, PtrList_C* l) { return ExportNmea(p, f.c_str(), l); }},
      {"b.kml", false,
       [](tgvProject_C* p, const std::u16string& f, PtrList_C* l) { return ExportKmlFull(p, f.c_str(), l, 1, 1, 1); }},
      {"a.plt", false,
       [](tgvProject_C* p, const std::u16string& f, PtrList_C* l) { return ExportTrackPointFile(p, f.c_str(), l); }},
      {"a.pcx", false,
       [](tgvProject_C* p, const std::u16string& f, PtrList_C* l) { return ExportPcx5(p, f.c_str(), l); }},
      {"a.csv", false,
       [](tgvProject_C* p, const std::u16string& f, PtrList_C* l) { return ExportCsv(p, f.c_str(), l, 0); }},
  };
  tgvProject_C closed;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_FALSE(c.run(&closed, W(c.file), &m_lines));
    EXPECT_EQ(c.run(&m_project, W(c.file), &none), c.writesWithoutLines);
    EXPECT_EQ(std::filesystem::exists(m_dir.File(c.file)), c.writesWithoutLines);
  }
}

// Lines without GPS-log records give the NMEA export nothing to write: it
// reports that, and a file already at the path stays as it was.
TEST_F(ExportDrivers, AnNmeaExportWithNothingToWriteLeavesTheTargetAlone) {
  PtrList_C untimed;
  for (tgvRecord_C* r : tgvItems(m_lines))
    if (std::u16string(static_cast<tgvLine_C*>(r)->GetName()) == u"Untimed") untimed.AddTail(r);
  ASSERT_EQ(untimed.GetCount(), 1);
  ASSERT_TRUE(WriteBytes(m_dir.File("old.nmea"), "$GPGSA,A,3,,,,,,,,,,,,,0.0,0.0,0.0*32\r\n"));
  EXPECT_FALSE(ExportNmea(&m_project, W("old.nmea").c_str(), &untimed));
  EXPECT_EQ(ReadBytes(m_dir.File("old.nmea")), "$GPGSA,A,3,,,,,,,,,,,,,0.0,0.0,0.0*32\r\n");
}

TEST_F(ExportDrivers, TrackFormatsReadBackThroughGpsbabelInTimeOrder) {
  ScopedTz zone("UTC");
  struct Format {
    const char* input;
    const char* file;
    bool loggedOnly;
    double degrees, metres, seconds;  // precision of the format
    std::function<bool(tgvProject_C*, const std::u16string&, PtrList_C*)> write;
  } formats[] = {
      {"-t -i gpx", "t.gpx", false, 1e-6, 0.01, 0.001,
       [](tgvProject_C* p, const std::u16string& f, PtrList_C* l) {
         return ExportGpx(p, f.c_str(), nullptr, l, nullptr, nullptr, 0, 0, 0);
       }},
      {"-w -i kml", "t.kml", true, 2e-6, 0.01, 1.0,
       [](tgvProject_C* p, const std::u16string& f, PtrList_C* l) { return ExportKmlFull(p, f.c_str(), l, 0, 0, 1); }},
      {"-t -i nmea", "t.nmea", true, 3e-6, 0.01, 0.01,
       [](tgvProject_C* p, const std::u16string& f, PtrList_C* l) { return ExportNmea(p, f.c_str(), l); }},
      // The reader takes the time from the day number, to about a second.
      {"-t -i ozi", "t.plt", true, 1e-6, 0.31, 1.2,
       [](tgvProject_C* p, const std::u16string& f, PtrList_C* l) { return ExportTrackPointFile(p, f.c_str(), l); }},
      {"-t -i unicsv", "t.csv", true, 1e-6, 0.01, 1.0,
       [](tgvProject_C* p, const std::u16string& f, PtrList_C* l) { return ExportCsv(p, f.c_str(), l, 0); }},
  };
  for (const Format& fmt : formats) {
    SCOPED_TRACE(fmt.input);
    ASSERT_TRUE(fmt.write(&m_project, W(fmt.file), &m_lines));
    std::string out;
    ASSERT_TRUE(GpsbabelToCsv(fmt.input, m_dir.File(fmt.file), m_dir.File("back.csv"), &out)) << out;
    std::stringstream rows(ReadBytes(m_dir.File("back.csv")));
    std::string line;
    std::getline(rows, line);
    std::vector<std::string> header = SplitCsv(line);
    // The full KML holds the café attached to "Later" as a placemark of its own, ahead of the points.
    if (std::string(fmt.file) == "t.kml") std::getline(rows, line);
    auto column = [&](const char* name) {
      return size_t(std::find(header.begin(), header.end(), name) - header.begin());
    };
    const size_t lat = column("Latitude"), lon = column("Longitude"), alt = column("Altitude");
    for (const Fix& f : AllFixes(fmt.loggedOnly)) {
      ASSERT_TRUE(std::getline(rows, line)) << "a fix is missing";
      std::vector<std::string> v = SplitCsv(line);
      v.resize(header.size());
      EXPECT_NEAR(std::atof(v[lat].c_str()), f.lat, fmt.degrees) << line;
      EXPECT_NEAR(std::atof(v[lon].c_str()), f.lon, fmt.degrees) << line;
      // KML writes depths below -3000 m as sea level.
      const double wantAlt = std::string(fmt.file) == "t.kml" && f.alt <= -3000.0 ? 0.0 : f.alt;
      if (alt < header.size()) {
        EXPECT_NEAR(std::atof(v[alt].c_str()), wantAlt, fmt.metres) << line;
      }
      const size_t date = column("Date"), time = column("Time");
      const double got = date < header.size() && time < header.size() ? UnixOf(v[date], v[time]) : 0.0;
      const double want = f.seconds ? double(f.seconds) + f.ms / 1000.0 : 0.0;
      EXPECT_NEAR(got, want, fmt.seconds) << line;
    }
    EXPECT_FALSE(std::getline(rows, line)) << "an extra fix: " << line;
  }
}

TEST_F(ExportDrivers, Pcx5TracksSplitIntoTheLoggedPointsOfEachLine) {
  ASSERT_TRUE(ExportPcx5(&m_project, W("t.pcx").c_str(), &m_lines));
  std::stringstream in(ReadBytes(m_dir.File("t.pcx")));
  std::vector<std::string> seen;
  for (std::string l; std::getline(in, l);) {
    if (l.rfind("H  TN ", 0) == 0) seen.push_back(l.substr(6, l.size() - 7));
    if (l.rfind("T ", 0) == 0) {
      std::stringstream fields(l);
      std::vector<std::string> f;
      for (std::string s; fields >> s;) f.push_back(s);
      ASSERT_EQ(f.size(), 6u) << l;
      seen.push_back(f[1] + " " + f[2] + " " + f[4]);
    }
  }
  EXPECT_EQ(seen,
            (std::vector<std::string>{"Earlier", "N4700.00000 E800.00000 09:20:30", "N4700.12000 E800.12000 09:20:32",
                                      "Later", "S3330.00000 E15103.00000 10:20:30", "S3330.06000 E15103.06000 10:20:31",
                                      "S3330.12000 E15103.12000 10:20:32", "Untimed"}));
}

TEST_F(ExportDrivers, XmlExportsAreWellFormedAndCarryStylesPopupsAndFilters) {
  ScopedTz zone("UTC");
  std::vector<int> progress;
  ASSERT_TRUE(ExportKml(&m_project, W("lines.kml").c_str(), u"photos", u""));
  ASSERT_TRUE(ExportKmlFull(m_doc, W("full.kml").c_str(), &m_lines, 1, 1, 1, [&](int p) { progress.push_back(p); }));
  ASSERT_TRUE(ExportGpx(&m_project, W("t.gpx").c_str(), &m_pois, &m_lines, m_note, m_note, 5, 0, 1));
  for (const char* file : {"lines.kml", "full.kml", "t.gpx"}) {
    std::string out;
    EXPECT_TRUE(RunCommand("xmllint --noout '" + m_dir.File(file) + "'", &out)) << file << ": " << out;
  }
  EXPECT_EQ(progress, (std::vector<int>{33, 66, 100}));
  const std::string cafe = Utf16ToUtf8(kCafe);

  const std::string kml = m_dir.File("lines.kml");
  EXPECT_EQ(XPath(kml, "//" + L("IconStyle") + "//" + L("href")), "pin's.png") << "no folder, no slash";
  EXPECT_EQ(XPath(kml, "//" + L("LineStyle") + "/" + L("color")), "ff0000ff");
  EXPECT_EQ(XPath(kml, "count(/" + L("kml") + "/" + L("Document") + "/" + L("Placemark") + ")"), "2")
      << "Nowhere lies at latitude 95";
  EXPECT_EQ(XPath(kml, "//" + L("Placemark") + "[" + L("name") + "='Goal']//" + L("coordinates")),
            "8.300000,47.300000,0.000000");
  EXPECT_EQ(XPath(kml, "//" + L("Placemark") + "[2]/" + L("name")), cafe);
  EXPECT_EQ(XPath(kml, "//" + L("Placemark") + "[2]/" + L("description")),
            "2009/8/15 10:0:0 <br />Terrace<br />open &lt;late&gt; <br /><br /><img src=\"photos/p1.jpg\" /><br />"
            "Beach &amp; sea<br />");
  EXPECT_EQ(XPath(kml, "count(//" + L("Folder") + "/" + L("Placemark") + ")"), "3");

  const std::string full = m_dir.File("full.kml");
  const std::string wayPoints = "//" + L("Folder") + "[" + L("name") + "='WayPoints']/" + L("Placemark");
  // Logged points of level 0 or more: one of "Earlier", three of "Later".
  EXPECT_EQ(XPath(full, "count(" + wayPoints + ")"), "4");
  EXPECT_EQ(XPath(full, wayPoints + "[1]/" + L("description")), "Time: 2009/08/15 09:20:30 \nSpeed: 36.000000");
  EXPECT_EQ(XPath(full, "/" + L("kml") + "/" + L("Document") + "/" + L("Placemark") + "/" + L("name")), cafe)
      << "the attached POI";
  EXPECT_EQ(XPath(full, "count(//" + L("Folder") + "[" + L("name") + "='Points']/" + L("Placemark") + ")"), "4");

  const std::string gpx = m_dir.File("t.gpx");
  EXPECT_EQ(XPath(gpx, "//" + L("wpt") + "[1]/" + L("name")), cafe) << "the timed POI first";
  EXPECT_EQ(XPath(gpx, "//" + L("wpt") + "[1]/" + L("desc")), "Terrace\nopen <late>");
  EXPECT_EQ(XPath(gpx, "//" + L("wpt") + "[2]/" + L("name")), "Goal");
  EXPECT_EQ(XPath(gpx, "concat(//" + L("trk") + "[1]/" + L("name") + ",'/',//" + L("trk") + "[2]/" + L("name") +
                           ",'/',//" + L("trk") + "[3]/" + L("name") + ")"),
            "Earlier/Later/Untimed");
  EXPECT_EQ(XPath(gpx, "count(//" + L("trkpt") + ")"), "7") << "the level -1 point is left out";
  EXPECT_EQ(XPath(gpx, "//" + L("trkpt") + "[" + L("name") + "]/" + L("name")), cafe);
}

TEST_F(ExportDrivers, KmlRangesAndGpxOffsetsKeepTheirPoints) {
  auto points = [&](const char16_t* name) {
    std::vector<tgvWayPoint_C*> out;
    for (PtrListNode_C* pos = m_lines.GetHeadPosition(); pos;) {
      auto* line = static_cast<tgvLine_C*>(PtrList_C::GetNext(pos));
      if (std::u16string(line->GetName()) != name) continue;
      for (tgvWayPoint_C* p = line->GetFirstPoint(); p; p = p->GetNext()) out.push_back(p);
    }
    return out;
  };
  // "Earlier" whole, then "Later" from its middle point with no last point given.
  PtrList_C ranges;
  for (tgvWayPoint_C* p : {points(u"Earlier")[0], points(u"Earlier")[2], points(u"Later")[1]}) ranges.AddTail(p);
  ASSERT_TRUE(ExportKmlFullAlt(m_doc, W("alt.kml").c_str(), &m_lines, 1, 0, 1, nullptr, &ranges));
  const std::string kml = m_dir.File("alt.kml");
  EXPECT_EQ(XPath(kml, "count(//" + L("Folder") + "[" + L("name") + "='WayPoints']/" + L("Placemark") + ")"), "4");
  EXPECT_EQ(XPath(kml, "count(//" + L("Folder") + "[" + L("name") + "='Points']/" + L("Placemark") + ")"), "4");
  EXPECT_EQ(XPath(kml, "normalize-space(//" + L("Folder") + "[" + L("name") + "='Later']/" + L("Placemark") + "/" +
                           L("LineString") + "/" + L("coordinates") + ")"),
            "151.051000,-33.501000,0.000000 151.052000,-33.502000,14.000000");

  // Times moved by an offset keep their milliseconds.
  ASSERT_TRUE(ExportGpx(m_doc, W("t.gpx").c_str(), nullptr, &m_lines, nullptr, nullptr, 0, 0, 0, 60));
  EXPECT_EQ(XPath(m_dir.File("t.gpx"), "(//" + L("trk") + ")[2]//" + L("trkpt") + "[1]/" + L("time")),
            "2009-08-15T11:20:30.250Z");
}

// A stored number may be NaN or infinite (a damaged file, a logger without a
// fix): no export writes such a number, a point without a finite position is
// left out, and every file still reads back through its consumer.
TEST_F(ExportDrivers, NumbersThatAreNotFiniteNeverReachAFile) {
  tgvType_C* track = tgvType_C::Create(m_doc->GetDatabase(), u"Track", u"t", nullptr, nullptr, tgvUT_Line, false);
  tgvLine_C* broken = AddLine(track, u"Broken",
                              {{NAN, 8.0, 1.0, kLater, 0, 0},
                               {47.01, INFINITY, 1.0, kLater + 1, 0, 0},
                               {47.02, 8.02, NAN, kLater + 2, 0, 0},
                               {47.03, 8.03, -INFINITY, kLater + 3, 0, 0}});
  tgvType_C* spot = tgvType_C::Create(m_doc->GetDatabase(), u"Spot", u"s", nullptr, nullptr, tgvUT_POI, false);
  ASSERT_TRUE(AddPOI(spot, u"Deep", 8.1, 47.1, NAN));
  PtrList_C lines, pois;
  lines.AddTail(broken);
  m_doc->GetPOIs(&pois, nullptr, GeoBox_C());
  MapPageOptions_C options;
  struct Case {
    const char* file;
    const char* reader;  // gpsbabel's options, "xml", or "" for PCX5 (which gpsbabel cannot read)
    std::function<bool(const std::u16string&)> run;
  } cases[] = {
      {"a.kml", "xml", [&](const std::u16string& f) { return ExportKml(&m_project, f.c_str(), nullptr, nullptr); }},
      {"b.kml", "xml", [&](const std::u16string& f) { return ExportKmlFull(&m_project, f.c_str(), &lines, 1, 0, 1); }},
      {"a.html", "xml",
       [&](const std::u16string& f) {
         return ExportGMapHtml(&m_project, f.c_str(), &pois, &lines, &options, nullptr, u"");
       }},
      {"a.gpx", "-t -i gpx",
       [&](const std::u16string& f) {
         return ExportGpx(&m_project, f.c_str(), &pois, &lines, nullptr, nullptr, 0, 0, 0);
       }},
      {"a.nmea", "-t -i nmea", [&](const std::u16string& f) { return ExportNmea(&m_project, f.c_str(), &lines); }},
      {"a.plt", "-t -i ozi",
       [&](const std::u16string& f) { return ExportTrackPointFile(&m_project, f.c_str(), &lines); }},
      {"a.pcx", "", [&](const std::u16string& f) { return ExportPcx5(&m_project, f.c_str(), &lines); }},
      {"a.csv", "-t -i unicsv", [&](const std::u16string& f) { return ExportCsv(&m_project, f.c_str(), &lines, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_TRUE(c.run(W(c.file)));
    std::string text = ReadBytes(m_dir.File(c.file));
    if (std::string(c.file) == "a.html") {  // UTF-16LE: its ASCII letters, one per two bytes
      std::string ascii;
      for (size_t i = 2; i < text.size(); i += 2) ascii.push_back(text[i]);
      text = ascii;
    }
    for (char& ch : text) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_EQ(text.find("inf"), std::string::npos);
    std::string out;
    if (std::string(c.reader) == "xml") {
      EXPECT_TRUE(RunCommand("xmllint --noout '" + m_dir.File(c.file) + "'", &out)) << out;
      continue;
    }
    if (!*c.reader) {
      EXPECT_NE(text.find("\r\nt  n4701.20000 e801.20000 "), std::string::npos);
      EXPECT_NE(text.find("\r\nt  n4701.80000 e801.80000 "), std::string::npos);
      EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 15) << "the header, the track and two points";
      continue;
    }
    ASSERT_TRUE(GpsbabelToCsv(c.reader, m_dir.File(c.file), m_dir.File("back.csv"), &out)) << out;
    std::stringstream rows(ReadBytes(m_dir.File("back.csv")));
    std::vector<std::string> lats;
    for (std::string line; std::getline(rows, line);) lats.push_back(SplitCsv(line)[1].substr(0, 5));
    EXPECT_EQ(lats, (std::vector<std::string>{"Latit", "47.02", "47.03"}));
  }
}

// The variables that a map page's inline script defines, as node runs it
// (tests/export/page_script.js); null when the page is not well formed.
nlohmann::json PageVariables(const TempDir& dir, const std::string& page) {
  std::string out;
  EXPECT_TRUE(RunCommand("xmllint --noout '" + page + "'", &out)) << out;
  const std::string script = XPath(page, "//" + L("head") + "/" + L("script") + "[not(@src)]");
  EXPECT_TRUE(WriteBytes(dir.File("script.js"), script));
  std::string result;
  EXPECT_TRUE(RunCommand("node " PM_SOURCE_DIR "/tests/export/page_script.js '" + dir.File("script.js") + "'", &result))
      << result;
  return nlohmann::json::parse(result, nullptr, false);
}

// The values of an encoded polyline text, decoded as the map service does:
// 5-bit groups from the characters less 63, low group first, a group below
// 32 ending the value; a signed value carries its sign in its lowest bit.
std::vector<int64_t> DecodePolyline(const std::string& text, bool isSigned) {
  std::vector<int64_t> values;
  for (size_t i = 0; i < text.size();) {
    int64_t v = 0;
    int b = 0;
    for (int shift = 0; i < text.size(); shift += 5) {
      b = text[i++] - 63;
      v |= int64_t(b & 0x1f) << shift;
      if (b < 0x20) break;
    }
    values.push_back(!isSigned ? v : (v & 1) ? ~(v >> 1) : v >> 1);
  }
  return values;
}

TEST_F(ExportDrivers, MapPageParsesAndItsScriptDefinesTheMarkersAndLines) {
  ScopedTz zone("UTC");
  MapPageOptions_C options;
  ASSERT_TRUE(ExportGMapHtml(&m_project, W("page.html").c_str(), &m_pois, &m_lines, &options, u"photos", u""));
  nlohmann::json vars = PageVariables(m_dir, m_dir.File("page.html"));
  const nlohmann::json& markers = vars["markers"];
  ASSERT_EQ(markers.size(), 2u) << "Nowhere lies at latitude 95";
  EXPECT_EQ(markers[0]["name"], Utf16ToUtf8(kCafe));
  EXPECT_EQ(markers[0]["UTC"], nlohmann::json::parse("[2009,8,15,10,0,0]"));
  EXPECT_EQ(markers[0]["memo"], "Terrace<br />open &lt;late&gt; <br />");
  EXPECT_EQ(markers[0]["icon"], "pin's.png");
  EXPECT_EQ(markers[0]["isdest"], false);
  ASSERT_EQ(markers[0]["photos"].size(), 1u);
  EXPECT_EQ(markers[0]["photos"][0]["link"], "/media/f");
  EXPECT_EQ(markers[0]["photos"][0]["title"], "Beach & sea");
  EXPECT_EQ(markers[0]["vedios"].size(), 1u);
  EXPECT_EQ(markers[1]["name"], "Goal");
  EXPECT_EQ(markers[1]["isdest"], true);
  EXPECT_EQ(markers[1]["UTC"].size(), 0u);

  const nlohmann::json& lines = vars["lines"];
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0]["name"], "Earlier");
  EXPECT_EQ(lines[1]["name"], "Later");
  EXPECT_EQ(lines[1]["color"], "#ff0000");
  EXPECT_EQ(lines[1]["width"], 3);
  EXPECT_NEAR(lines[1]["startLat"].get<double>(), -33.5, 1e-9);
  EXPECT_EQ(lines[2]["name"], "Untimed");
  EXPECT_EQ(lines[2]["color"], "null");
  EXPECT_NEAR(vars["init"]["maxLat"].get<double>(), 47.3, 1e-9) << "the box holds the markers";
}

// A real 20 Hz session: the page's line decodes to the line's level points
// (the first, the last and every point with a level), at the encoding's
// 1e-5 degrees, floored.
TEST_F(ExportDrivers, MapPageLineOfARealSessionDecodesToItsLevelPoints) {
  tgvType_C* track = tgvType_C::Create(m_doc->GetDatabase(), u"Session", u"s", nullptr, nullptr, tgvUT_Line, false);
  std::vector<Fix> fixes;
  for (const projgen::Sample& s : projgen::ReadLoggerCsv(PM_TEST_DATA "/aim-fuji-sfj/session.csv", 0))
    fixes.push_back({s.lat, s.lon, s.alt, 0, 0, 0});
  ASSERT_EQ(fixes.size(), 5601u);
  tgvLine_C* line = AddLine(track, u"Fuji", fixes);
  line->ComputeLevels(0);
  std::vector<int64_t> expected;
  for (const tgvWayPoint_C* p = line->GetFirstPoint(); p; p = p->GetNext()) {
    if (p != line->GetFirstPoint() && p != line->GetLastPoint() && p->GetLevel() < 0) continue;
    expected.push_back(static_cast<int64_t>(std::floor(p->GetLatitude() * 100000.0)));
    expected.push_back(static_cast<int64_t>(std::floor(p->GetLongitude() * 100000.0)));
  }
  ASSERT_GT(expected.size(), 100u);
  ASSERT_LT(expected.size(), 2 * fixes.size());

  PtrList_C lines;
  lines.AddTail(line);
  MapPageOptions_C options;
  ASSERT_TRUE(ExportGMapHtml(&m_project, W("fuji.html").c_str(), nullptr, &lines, &options, nullptr, u""));
  const nlohmann::json vars = PageVariables(m_dir, m_dir.File("fuji.html"));
  ASSERT_EQ(vars["lines"].size(), 1u);
  std::vector<int64_t> decoded = DecodePolyline(vars["lines"][0]["num"], true);
  for (size_t i = 2; i < decoded.size(); ++i) decoded[i] += decoded[i - 2];  // differences to positions
  EXPECT_EQ(decoded, expected);
  EXPECT_EQ(DecodePolyline(vars["lines"][0]["lev"], false).size(), expected.size() / 2);
}

}  // namespace
