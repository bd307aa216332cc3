#include <gtest/gtest.h>

#include "export/tgvGpxWriter.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"
#include "tests/export/xml_tree.h"

namespace {

const IntPair_C kNoTime{0, 0};
// 2020-04-07 12:34:05.250 UTC
const IntPair_C kPointTime = UnixToFileTime(1586262845, 250);

TEST(GpxWriter, WritesGpx11WithPointElementsInSchemaOrder) {
  ScopedTz zone("NZST-12NZDT,M9.5.0,M4.1.0/3");  // every time is written in UTC
  TempDir dir;
  tgvGpxWriter_C w;
  w.Begin(0, 0, UnixToFileTime(1586260800, 0));
  w.AddWayPoint(u"Pit", 47.25, 8.5, 410.0, kPointTime, u"entry", u"fuel");
  w.BeginTrack(u"Run 1");
  w.AddTrackPoint(47.25, 8.5, -5000.0, 90.0, kPointTime, u"T1", u"turn", 150);
  w.AddTrackPoint(-47.5, -8.75, 0.0, 0.0, kNoTime, nullptr, nullptr, 0);
  w.EndTrack();
  w.BeginRoute(u"Way");
  w.AddRoutePoint(1.0, 2.0, 3.0, 50.0, kNoTime, nullptr, nullptr);
  w.EndRoute();
  ASSERT_TRUE(w.End(dir.WFile("a.gpx").c_str()));

  const char* expected =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
      "<gpx version=\"1.1\" creator=\"Pelmora Uploader utc\" xsi:schemaLocation=\""
      "http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd "
      "http://www.garmin.com/xmlschemas/GpxExtensions/v3 http://www.garmin.com/xmlschemas/GpxExtensionsv3.xsd "
      "http://www.garmin.com/xmlschemas/TrackPointExtension/v1 "
      "http://www.garmin.com/xmlschemas/TrackPointExtensionv1.xsd\" "
      "xmlns=\"http://www.topografix.com/GPX/1/1\" "
      "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v1\" "
      "xmlns:gpxx=\"http://www.garmin.com/xmlschemas/GpxExtensions/v3\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\r\n"
      "<metadata>\r\n<time>2020-04-07T12:00:00Z</time></metadata>\r\n"
      "<wpt lat=\"47.250000000\" lon=\"8.500000000\">\r\n"
      "<ele>410.000000</ele>\r\n"
      "<time>2020-04-07T12:34:05.250Z</time>\r\n"
      "<name><![CDATA[Pit]]></name>\r\n"
      "<desc><![CDATA[entry]]></desc>\r\n"
      "<extensions><extType xmlns=\"urn:pelmora:gpx:exttype:1\">fuel</extType></extensions>\r\n"
      "</wpt>\r\n"
      "<trk>\r\n<name><![CDATA[Run 1]]></name>\r\n<trkseg>\r\n"
      "<trkpt lat=\"47.250000000\" lon=\"8.500000000\">\r\n"
      "<time>2020-04-07T12:34:05.250Z</time>\r\n"
      "<name><![CDATA[T1]]></name>\r\n"
      "<desc><![CDATA[turn]]></desc>\r\n"
      "<extensions><gpxtpx:TrackPointExtension><gpxtpx:hr>150</gpxtpx:hr></gpxtpx:TrackPointExtension>"
      "</extensions>\r\n"
      "</trkpt>\r\n"
      "<trkpt lat=\"-47.500000000\" lon=\"-8.750000000\">\r\n"
      "<ele>0.000000</ele>\r\n"
      "</trkpt>\r\n"
      "</trkseg>\r\n</trk>\r\n"
      "<rte>\r\n<name><![CDATA[Way]]></name>\r\n"
      "<rtept lat=\"1.000000000\" lon=\"2.000000000\">\r\n<ele>3.000000</ele>\r\n</rtept>\r\n"
      "</rte>\r\n"
      "</gpx>";
  EXPECT_EQ(ReadBytes(dir.File("a.gpx")), expected);
}

// Every mode gives a namespace-well-formed file: the bare header of mode 4
// declares nothing, so its heart-rate extension declares its own prefix.
TEST(GpxWriter, EveryModeParsesWithNamespacesAndKeepsItsPoints) {
  struct Case {
    int32_t mode;
    int32_t local;
    const char* creator;
    const char* desc;
  } cases[] = {
      {0, 0, "Pelmora Uploader utc", "given"},
      {0, 60, "Pelmora Uploader local", "given"},
      {4, 0, "Tavrena Tracks", "given"},
      {5, 0, "Pelmora Uploader utc", "lat.=47.250000, lon.=8.500000, Alt.=410.000000m. Speed=90.000000km/h."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    TempDir dir;
    tgvGpxWriter_C w;
    w.Begin(c.mode, c.local, UnixToFileTime(1586260800, 0));
    w.BeginTrack(u"t");
    w.AddTrackPoint(47.25, 8.5, 410.0, 90.0, kPointTime, nullptr, u"given", 72);
    w.EndTrack();
    ASSERT_TRUE(w.End(dir.WFile("m.gpx").c_str()));
    std::string error;
    auto root = ParseXmlFile(dir.File("m.gpx"), &error, true);
    ASSERT_TRUE(root) << error;
    EXPECT_EQ(root->attrs.at("creator"), c.creator);
    std::string gpx = c.mode == 4 ? "" : "http://www.topografix.com/GPX/1/1|";
    std::string tpx = "http://www.garmin.com/xmlschemas/TrackPointExtension/v1|";
    EXPECT_EQ(root->Child(gpx + "metadata") == nullptr, c.mode == 4);
    const XmlNode* pt = root->Child(gpx + "trk")->Child(gpx + "trkseg")->Child(gpx + "trkpt");
    ASSERT_TRUE(pt);
    EXPECT_EQ(pt->Child(gpx + "desc")->text, c.desc);
    const XmlNode* ext = pt->Child(gpx + "extensions");
    const XmlNode* tpe = ext ? ext->Child(tpx + "TrackPointExtension") : nullptr;
    ASSERT_TRUE(tpe && tpe->Child(tpx + "hr"));
    EXPECT_EQ(tpe->Child(tpx + "hr")->text, "72");
  }
}

// GPX 1.1 takes in extensions only elements of a namespace other than its
// own, and longitudes below 180: a waypoint type and a point on the date-line
// keep a schema validator content.
TEST(GpxWriter, TypesAndTheDateLineStayWithinTheGpx11Schema) {
  struct Case {
    double lon;
    const char* written;
  } cases[] = {{180.0, "-180.000000000"},
               {179.9999999996, "-180.000000000"},
               {179.999999999, "179.999999999"},
               {-180.0, "-180.000000000"}};
  TempDir dir;
  tgvGpxWriter_C w;
  w.Begin(0, 0, UnixToFileTime(0, 0));
  for (const Case& c : cases) w.AddWayPoint(u"p", 1.0, c.lon, 0.0, IntPair_C{0, 0}, nullptr, u"fuel");
  ASSERT_TRUE(w.End(dir.WFile("d.gpx").c_str()));
  std::string error;
  auto root = ParseXmlFile(dir.File("d.gpx"), &error, true);
  ASSERT_TRUE(root) << error;
  const std::string gpx = "http://www.topografix.com/GPX/1/1";
  std::vector<const XmlNode*> points = root->All(gpx + "|wpt");
  ASSERT_EQ(points.size(), std::size(cases));
  for (size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(points[i]->attrs.at("lon"), cases[i].written);
    const XmlNode* ext = points[i]->Child(gpx + "|extensions");
    ASSERT_TRUE(ext && ext->children.size() == 1u);
    const std::string& type = ext->children[0]->name;
    EXPECT_EQ(type.substr(type.find('|') + 1), "extType");
    EXPECT_NE(type.substr(0, type.find('|')), gpx) << "extension content in the GPX namespace";
    EXPECT_NE(type.find('|'), std::string::npos) << "extension content without a namespace";
    EXPECT_EQ(ext->children[0]->text, "fuel");
  }
}

TEST(GpxWriter, PointValuesOutsideTheirElementsRangeAreLeftOut) {
  struct Case {
    int32_t heartRate;
    IntPair_C time;
    const char* hr;
    const char* timeText;
  } cases[] = {
      {1, UnixToFileTime(0, 1), "1", "1970-01-01T00:00:00.001Z"},
      {255, UnixToFileTime(4102444799, 999), "255", "2099-12-31T23:59:59.999Z"},
      {256, kNoTime, "", ""},
      {0, UnixToFileTime(-1, 0), "", ""},
      {-5, UnixToFileTime(40000000000, 0), "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.heartRate);
    TempDir dir;
    tgvGpxWriter_C w;
    w.Begin(0, 0, UnixToFileTime(0, 0));
    w.BeginTrack(u"t");
    w.AddTrackPoint(1.0, 2.0, 3.0, 0.0, c.time, nullptr, nullptr, c.heartRate);
    w.EndTrack();
    ASSERT_TRUE(w.End(dir.WFile("r.gpx").c_str()));
    auto root = ParseXmlFile(dir.File("r.gpx"), nullptr);
    ASSERT_TRUE(root);
    const XmlNode* pt = root->Child("trk")->Child("trkseg")->Child("trkpt");
    EXPECT_EQ(pt->TextAt("extensions/gpxtpx:TrackPointExtension/gpxtpx:hr"), c.hr);
    EXPECT_EQ(pt->TextAt("time"), c.timeText);
  }
}

}  // namespace
