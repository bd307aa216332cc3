// The track-point, PCX5 and CSV files, read back the way their readers split them.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "export/tgvCsvWriter.h"
#include "export/tgvPcx5Writer.h"
#include "export/tgvTrackPointWriter.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

// 2009-08-15 10:20:30.456 UTC
const IntPair_C kAugust = UnixToFileTime(1250331630, 456);

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t from = 0;
  for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", from)) {
    out.push_back(text.substr(from, end - from));
    from = end + 2;
  }
  if (from < text.size()) out.push_back(text.substr(from));
  return out;
}

std::vector<std::string> Split(const std::string& line, char sep) {
  std::vector<std::string> out;
  std::string f;
  std::stringstream in(line);
  while (std::getline(in, f, sep))
    if (sep != ' ' || !f.empty()) out.push_back(f);
  return out;
}

TEST(TrackPointWriter, WritesTheBannerFeetAndDayNumbers) {
  TempDir dir;
  tgvTrackPointWriter_C w;
  w.Begin();
  w.WriteCount(0);
  w.AddPoint(47.25, -8.5, 10.0, UnixToFileTime(86400, 0));
  w.AddPoint(-1.0, 2.0, NAN, kAugust);
  w.AddPoint(0.0, 0.0, 1e300, IntPair_C{0, 0});
  ASSERT_TRUE(w.End(dir.WFile("t.txt").c_str()));
  EXPECT_EQ(ReadBytes(dir.File("t.txt")),
            "Brivane-Tech Track Point File Version 1.1.8\r\n"
            "WGS 84\r\n"
            "Altitude is in Feet\r\n"
            "Reserved 3\r\n"
            "0,2,255,My Track,0,0,2,8421376\r\n"
            "0\r\n"
            "47.250000,-8.500000,0,32,25570.000000,1970/01/02,00:00:00\r\n"
            "-1.000000,2.000000,0,0,40040.430903,2009/08/15,10:20:30\r\n"
            "0.000000,0.000000,0,2147483647,-109205.000000,0/00/00,00:00:00\r\n");
}

TEST(Pcx5Writer, PositionsAreOneZeroPaddedTokenWithTheMinutesCarried) {
  struct Case {
    double value;
    const char16_t* lat;
    const char16_t* lon;
  } cases[] = {
      {51.5, u"N5130.00000", u"E5130.00000"},
      {-0.25, u"S015.00000", u"W015.00000"},
      {0.0, u"S000.00000", u"W000.00000"},
      {51.0 + 5.0 / 60.0, u"N5105.00000", u"E5105.00000"},
      {51.0 + 59.999996 / 60.0, u"N5200.00000", u"E5200.00000"},
      {-179.999999999, u"S18000.00000", u"W18000.00000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tgvPcx5Writer_C::FormatLat(c.value), c.lat) << c.value;
    EXPECT_EQ(tgvPcx5Writer_C::FormatLon(c.value), c.lon) << c.value;
  }
}

TEST(Pcx5Writer, TrackLinesSplitOnBlanksIntoTheirSixFields) {
  TempDir dir;
  tgvPcx5Writer_C w;
  w.Begin();
  w.BeginTrack(u"Lap\r\nT  injected");
  w.AddPoint(51.0 + 5.0 / 60.0, -8.5, 410.9, kAugust);
  w.AddPoint(-33.5, 151.05, -3500.0, UnixToFileTime(946684799, 0));
  ASSERT_TRUE(w.End(dir.WFile("t.pcx").c_str()));
  std::string text = ReadBytes(dir.File("t.pcx"));
  ASSERT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
  std::vector<std::string> lines = Lines(text.substr(3));
  std::vector<std::vector<std::string>> points;
  for (const std::string& l : lines) {
    if (l.rfind("T ", 0) == 0) points.push_back(Split(l, ' '));
  }
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[0], (std::vector<std::string>{"T", "N5105.00000", "W830.00000", "15-AUG-09", "10:20:30", "410"}));
  EXPECT_EQ(points[1],
            (std::vector<std::string>{"T", "S3330.00000", "E15103.00000", "31-DEC-99", "23:59:59", "-3500"}));
  EXPECT_NE(std::find(lines.begin(), lines.end(), "H  TN Lap  T  injected"), lines.end());
  EXPECT_EQ(lines[1], "I  PCX5 2.09");
  EXPECT_EQ(lines[7], "U  LAT LON DM");
}

TEST(CsvWriter, StatusNamesTheLowestFlagOfANegativeStatus) {
  struct Case {
    int32_t status;
    const char16_t* text;
  } cases[] = {{0, u"FIXED"},    {7, u"FIXED"},         {-1, u"NO FIX"},
               {-4, u"DGPS"},    {-6, u"SPS"},          {-256, u"Simulator"},
               {-512, u"FIXED"}, {INT32_MIN, u"FIXED"}, {-64, u"Estimated (dead reckoning)"}};
  for (const Case& c : cases) EXPECT_EQ(std::u16string(tgvCsvWriter_C::StatusText(c.status)), c.text) << c.status;
}

TEST(CsvWriter, EveryLayoutParsesIntoItsHeaderColumns) {
  struct Case {
    int32_t layout;
    std::vector<std::string> firstRow;
  } cases[] = {
      {1,
       {"1", "B", "2009/8/15", "10:20:30", "2009/8/15", "12:20:30", "DGPS", "47.250000", "S", "8.500000", "E",
        "410.500", "99.125"}},
      {2,
       {"1", "3", "4", "DGPS", "2009/8/15", "10:20:30", "2009/8/15", "12:20:30", "456", "47.2500000000", "S",
        "8.5000000000", "E", "410.500000", "99.125000", "271.000000", "0.100000", "-0.200000", "1.000000"}},
      {0,
       {"1", "3", "DGPS", "2009/8/15", "10:20:30", "2009/8/15", "12:20:30", "456", "47.250000", "S", "8.500000", "E",
        "410.500000", "99.125000", "271.000000", "0.100000", "-0.200000", "1.000000"}},
  };
  // The UTC and local columns come from the stored time and the offset alone.
  ScopedTz zone("NZST-12NZDT,M9.5.0,M4.1.0/3");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout);
    TempDir dir;
    tgvCsvWriter_C w;
    w.Begin(120, c.layout);
    w.WriteHeader();
    w.AddRow(3, 4, -47.25, 8.5, 410.5, kAugust, 99.125, 271.0, -4, 0.1, -0.2, 1.0, true);
    w.AddRow(3, 4, 1.0, -2.0, 0.0, IntPair_C{0, 0}, 0.0, 0.0, 0, 0.0, 0.0, 0.0, false);
    w.WriteHeader();
    w.AddRow(3, 4, 1.0, 2.0, 0.0, kAugust, 0.0, 0.0, 0, 0.0, 0.0, 0.0, false);
    ASSERT_TRUE(w.End(dir.WFile("t.csv").c_str()));
    std::vector<std::string> lines = Lines(ReadBytes(dir.File("t.csv")));
    ASSERT_EQ(lines.size(), 5u);
    std::vector<std::string> header = Split(lines[0], ',');
    for (size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(Split(lines[i], ',').size(), header.size()) << lines[i];
    EXPECT_EQ(lines[3], lines[0]);
    EXPECT_EQ(Split(lines[1], ','), c.firstRow);
    std::vector<std::string> untimed = Split(lines[2], ',');
    EXPECT_EQ(untimed[0], "2");
    EXPECT_NE(std::find(untimed.begin(), untimed.end(), "0/0/0"), untimed.end());
    EXPECT_EQ(Split(lines[4], ',')[0], "1");
  }
}

}  // namespace
