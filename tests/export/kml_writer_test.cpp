#include <gtest/gtest.h>

#include "export/tgvGpxWriter.h"
#include "export/tgvKmlWriter.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"
#include "tests/export/xml_tree.h"

namespace {

TEST(KmlWriter, WritesTheDocumentShapeByteForByte) {
  TempDir dir;
  tgvKmlWriter_C w;
  w.Begin();
  w.BeginStyle(u"empty_1");
  w.EndStyle();
  w.BeginStyle(u"red_2");
  w.AddIconStyle(u"icons/flag.png", 0.7);
  w.AddLineStyle(tgvKmlWriter_C::FormatColor(0x0000ff).c_str(), 0);
  w.EndStyle();
  w.AddPlacemark(u"", u"", u"", 8.5, 47.25, 410.0, 6000, 45, 0);
  w.BeginFolder(u"Tracks");
  w.AddTimedPlacemark(u"#taIcon", 0, 8.5, 47.25, 0.0);
  w.BeginLinePlacemark(u"Lap", u"#red_2", u"");
  w.AddCoord(8.5, 47.25, 1.0);
  w.AddCoord(8.75, 47.5, 2.0);
  w.EndLinePlacemark();
  w.EndFolder();
  ASSERT_TRUE(w.End(dir.WFile("a.kml").c_str()));

  const char* expected =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
      "<kml xmlns=\"http://earth.google.com/kml/2.0\">\r\n"
      "<Document>\r\n"
      "\t<Style id=\"empty_1\">\r\n"
      "\t</Style>\r\n"
      "\t<Style id=\"red_2\">\r\n"
      "\t\t<IconStyle>\r\n"
      "\t\t\t<scale>0.70</scale>\r\n"
      "\t\t\t<Icon>\r\n"
      "\t\t\t\t<href>icons/flag.png</href>\r\n"
      "\t\t\t</Icon>\r\n"
      "\t\t</IconStyle>\r\n"
      "\t\t<LineStyle>\r\n"
      "\t\t\t<color>ff0000ff</color>\r\n"
      "\t\t</LineStyle>\r\n"
      "\t</Style>\r\n"
      "\t<Placemark>\r\n"
      "\t\t<LookAt>\r\n"
      "\t\t\t<longitude>8.500000</longitude>\r\n"
      "\t\t\t<latitude>47.250000</latitude>\r\n"
      "\t\t\t<range>6000</range>\r\n"
      "\t\t\t<tilt>45</tilt>\r\n"
      "\t\t\t<heading>0</heading>\r\n"
      "\t\t</LookAt>\r\n"
      "\t\t<Point>\r\n"
      "\t\t\t<coordinates>8.500000,47.250000,410.000000</coordinates>\r\n"
      "\t\t</Point>\r\n"
      "\t</Placemark>\r\n"
      "\t<Folder>\r\n"
      "\t\t<name>Tracks</name>\r\n"
      "\t\t<Placemark>\r\n"
      "\t\t\t<styleUrl>#taIcon</styleUrl>\r\n"
      "\t\t\t<Point>\r\n"
      "\t\t\t\t<coordinates>8.500000,47.250000,0.000000</coordinates>\r\n"
      "\t\t\t</Point>\r\n"
      "\t\t</Placemark>\r\n"
      "\t\t<Placemark>\r\n"
      "\t\t\t<name>Lap</name>\r\n"
      "\t\t\t<styleUrl>#red_2</styleUrl>\r\n"
      "\t\t\t<LineString>\r\n"
      "\t\t\t\t<tessellate>1</tessellate>\r\n"
      "\t\t\t\t<coordinates>\r\n"
      "8.500000,47.250000,1.000000 8.750000,47.500000,2.000000 </coordinates>\r\n"
      "\t\t\t</LineString>\r\n"
      "\t\t</Placemark>\r\n"
      "\t</Folder>\r\n"
      "</Document>\r\n"
      "</kml>";
  EXPECT_EQ(ReadBytes(dir.File("a.kml")), expected);
}

// Whatever the user typed into a name, an id, a description or a type, an
// XML reader gets the text back from the KML and the GPX file; only characters
// XML cannot carry are lost.
TEST(XmlWriters, AnyTextReadsBackThroughAnXmlParser) {
  struct Case {
    const char16_t* text;
    const char* readBack;
  } cases[] = {
      {u"Fish & Chips <Pit>", "Fish & Chips <Pit>"},
      {u"quote \" and 'single'", "quote \" and 'single'"},
      {u"cdata ]]> end ]]]>>", "cdata ]]> end ]]]>>"},
      {u"bell\x07 esc\x1b\xfffe\xffff end\x1f", "bell esc end"},
      {u"ring \U0001F3C1 flag", "ring \xF0\x9F\x8F\x81 flag"},
      {u"]]\x01>", "]]>"},
      {u"tab\tline\nend", "tab\tline\nend"},
      {u"lone \xD800 and \xDC00", "lone \xEF\xBF\xBD and \xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.readBack);
    TempDir dir;
    tgvKmlWriter_C kml;
    kml.Begin();
    kml.BeginStyle(c.text);
    kml.EndStyle();
    kml.AddPlacemark(c.text, c.text, c.text, 1.0, 2.0, 3.0, 6000, 45, 0);
    ASSERT_TRUE(kml.End(dir.WFile("t.kml").c_str()));
    tgvGpxWriter_C gpx;
    gpx.Begin(0, 0, UnixToFileTime(0, 0));
    gpx.AddWayPoint(c.text, 1.0, 2.0, 3.0, IntPair_C{0, 0}, c.text, c.text);
    ASSERT_TRUE(gpx.End(dir.WFile("t.gpx").c_str()));

    std::string error;
    auto root = ParseXmlFile(dir.File("t.kml"), &error);
    ASSERT_TRUE(root) << error;
    const XmlNode* doc = root->Child("Document");
    // Escaped TAB and LF survive the normalisation of attribute values.
    EXPECT_EQ(doc->Child("Style")->attrs.at("id"), c.readBack);
    for (const char* path : {"Placemark/name", "Placemark/description", "Placemark/styleUrl"})
      EXPECT_EQ(doc->TextAt(path), c.readBack) << path;
    root = ParseXmlFile(dir.File("t.gpx"), &error);
    ASSERT_TRUE(root) << error;
    for (const char* path : {"wpt/name", "wpt/desc", "wpt/extensions/extType"})
      EXPECT_EQ(root->TextAt(path), c.readBack) << path;
  }
}

TEST(KmlWriter, ColoursAreEightHexDigitsAndOpaqueWithoutAlpha) {
  struct Case {
    uint32_t stored;
    const char16_t* text;
  } cases[] = {
      {0x000000ffu, u"ff0000ff"},
      {0x00000000u, u"ff000000"},
      {0x80123456u, u"80123456"},
      {0x01000000u, u"01000000"},
  };
  for (const Case& c : cases) EXPECT_EQ(tgvKmlWriter_C::FormatColor(c.stored), c.text) << std::hex << c.stored;
}

TEST(KmlWriter, TimedPlacemarksCarryAUtcInstantOnlyForARealTime) {
  struct Case {
    int64_t seconds;
    const char* instant;  // "" when none
  } cases[] = {
      {1250331630, "2009-08-15T10:20:30Z"},
      {1, "1970-01-01T00:00:01Z"},
      {0, ""},
      {-86400, ""},
      {40000000000, ""},  // past the year 3000
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seconds);
    TempDir dir;
    tgvKmlWriter_C w;
    w.Begin();
    w.AddTimedPlacemark(u"#taIcon", c.seconds, 1.0, 2.0, 3.0);
    ASSERT_TRUE(w.End(dir.WFile("t.kml").c_str()));
    auto root = ParseXmlFile(dir.File("t.kml"), nullptr);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->TextAt("Document/Placemark/TimeInstant/timePosition"), c.instant);
  }
}

}  // namespace
