#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "export/tgvNmeaWriter.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

std::vector<std::string> SplitFields(const std::string& body) {
  std::vector<std::string> out;
  std::stringstream in(body);
  std::string f;
  while (std::getline(in, f, ',')) out.push_back(f);
  if (!body.empty() && body.back() == ',') out.push_back("");
  return out;
}

// A sentence as a reader takes it: "$", body, "*", checksum, CR LF, with the
// checksum recomputed from the body.
::testing::AssertionResult ReadSentence(const std::string& line, std::vector<std::string>* fields) {
  if (line.size() < 6 || line[0] != '$' || line.substr(line.size() - 2) != "\r\n")
    return ::testing::AssertionFailure() << "not a sentence: " << line;
  size_t star = line.rfind('*');
  if (star == std::string::npos || star + 5 != line.size()) return ::testing::AssertionFailure() << "no checksum";
  std::string body = line.substr(1, star - 1);
  unsigned sum = 0;
  for (unsigned char c : body) sum ^= c;
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", sum);
  if (line.substr(star + 1, 2) != hex)
    return ::testing::AssertionFailure() << "checksum " << line.substr(star + 1, 2) << " != " << hex;
  *fields = SplitFields(body);
  return ::testing::AssertionSuccess();
}

TEST(NmeaWriter, DegreeFieldsRoundTheMinutesAndCarryIntoTheDegrees) {
  struct Case {
    double value;
    const char16_t* lat;
    const char16_t* lon;
  } cases[] = {
      {-33.5, u"3330.0000,S", u"03330.0000,W"},
      {151.05, u"15103.0000,N", u"15103.0000,E"},
      {51.0875, u"5105.2500,N", u"05105.2500,E"},
      {33.0 + 9.99996 / 60.0, u"3310.0000,N", u"03310.0000,E"},
      {33.0 + 59.99996 / 60.0, u"3400.0000,N", u"03400.0000,E"},
      {-(7.0 + 59.99999 / 60.0), u"0800.0000,S", u"00800.0000,W"},
      {0.0, u"0000.0000,N", u"00000.0000,E"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tgvNmeaWriter_C::FormatLat(c.value), c.lat) << c.value;
    EXPECT_EQ(tgvNmeaWriter_C::FormatLon(c.value), c.lon) << c.value;
  }
}

TEST(NmeaWriter, EveryPointReadsBackAsFourCheckedSentences) {
  struct Point {
    double lat, lon, alt, kmh, course;
    int64_t unixSeconds;
    int ms;
    const char* hms;
    const char* date;
  } points[] = {
      {-33.5, 151.05, 12.5, 18.52, 90.0, 1586262845, 250, "123405.25", "070420"},
      {47.999999, -8.75, 0.0, 0.0, 0.0, 1586262899, 999, "123459.99", "070420"},
      {1.0, 2.0, 3.0, 4.0, 5.0, 946684799, 0, "235959.00", "311299"},
      {1.0, 2.0, 3.0, 4.0, 5.0, 4102444800, 5, "000000.00", "010100"},
  };
  TempDir dir;
  tgvNmeaWriter_C w;
  w.Begin();
  for (const Point& p : points)
    ASSERT_TRUE(w.AddPoint(p.lat, p.lon, p.alt, p.kmh, p.course, UnixToFileTime(p.unixSeconds, p.ms), nullptr));
  ASSERT_TRUE(w.AddPoint(1.0, 2.0, 3.0, 0.0, 0.0, UnixToFileTime(1, 0), u"PXYZ,1,\u00e9"));
  ASSERT_TRUE(w.End(dir.WFile("t.nmea").c_str()));

  std::string text = ReadBytes(dir.File("t.nmea"));
  std::vector<std::string> lines;
  for (size_t from = 0; from < text.size();) {
    size_t end = text.find("\r\n", from);
    ASSERT_NE(end, std::string::npos) << "unterminated last line";
    lines.push_back(text.substr(from, end + 2 - from));
    from = end + 2;
  }
  ASSERT_EQ(lines.size(), 4 * (std::size(points) + 1));
  for (size_t i = 0; i < std::size(points); ++i) {
    const Point& p = points[i];
    SCOPED_TRACE(p.hms);
    std::vector<std::string> rmc, gga, gll, gsa;
    ASSERT_TRUE(ReadSentence(lines[4 * i], &gga));
    ASSERT_TRUE(ReadSentence(lines[4 * i + 1], &rmc));
    ASSERT_TRUE(ReadSentence(lines[4 * i + 2], &gll));
    ASSERT_TRUE(ReadSentence(lines[4 * i + 3], &gsa));
    ASSERT_EQ(rmc.size(), 12u);
    EXPECT_EQ(rmc[0], "GPRMC");
    EXPECT_EQ(rmc[1], p.hms);
    EXPECT_EQ(rmc[3] + rmc[4], Utf16ToUtf8(tgvNmeaWriter_C::FormatLat(p.lat)).erase(9, 1));
    EXPECT_NEAR(std::stod(rmc[7]) * 1.852, p.kmh, 1e-5);
    EXPECT_EQ(rmc[9], p.date);
    ASSERT_EQ(gga.size(), 15u);
    EXPECT_EQ(gga[1], p.hms);
    EXPECT_NEAR(std::stod(gga[9]), p.alt, 1e-6);
    ASSERT_EQ(gll.size(), 8u);
    EXPECT_EQ(gll[5], p.hms);
    EXPECT_EQ(lines[4 * i + 3], "$GPGSA,A,3,,,,,,,,,,,,,0.0,0.0,0.0*32\r\n");
  }
  std::vector<std::string> own;
  ASSERT_TRUE(ReadSentence(lines.back(), &own));
  EXPECT_EQ(own[2], "\xC3\xA9");
}

}  // namespace
