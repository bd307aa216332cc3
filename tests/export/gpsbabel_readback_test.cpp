// The track formats read back by an independent converter: the same fixes
// come back, positions and times to the precision each format writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "export/tgvGpxWriter.h"
#include "export/tgvKmlWriter.h"
#include "export/tgvNmeaWriter.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"
#include "tests/export/run_command.h"

namespace {

struct Fix {
  double lat, lon, alt;
  int64_t seconds;
  int ms;
};
// Minutes that round up to the next degree, both hemispheres, a time just
// before the next second.
const Fix kFixes[] = {
    {51.0 + 59.999999 / 60.0, -0.25, 410.5, 1250331630, 995},
    {-33.5, 151.05, 12.0, 1250331631, 250},
    {51.0 + 5.0 / 60.0, 8.5, -3.0, 1250331632, 0},
};

// NaN for an empty or malformed number, so that a comparison fails with the row shown.
double Num(const std::string& s) {
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  return s.empty() || *end ? NAN : v;
}

struct Format {
  const char* input;  // gpsbabel's reading options
  const char* file;
  double degrees;  // position precision
  int msStep;      // the time is written in steps of this many ms
  std::function<bool(const std::u16string&)> write;
};

TEST(GpsbabelReadback, TrackFormatsGiveBackTheirFixes) {
  const Format formats[] = {
      {"-t -i nmea", "t.nmea", 3e-6, 10,
       [](const std::u16string& path) {
         tgvNmeaWriter_C w;
         w.Begin();
         for (const Fix& f : kFixes)
           w.AddPoint(f.lat, f.lon, f.alt, 20.0, 0.0, UnixToFileTime(f.seconds, f.ms), nullptr);
         return w.End(path.c_str());
       }},
      {"-t -i gpx", "t.gpx", 1e-6, 1,
       [](const std::u16string& path) {
         tgvGpxWriter_C w;
         w.Begin(0, 0);
         w.BeginTrack(u"Lap <1> & ]]>");
         for (const Fix& f : kFixes)
           w.AddTrackPoint(f.lat, f.lon, f.alt, 0.0, UnixToFileTime(f.seconds, f.ms), nullptr, nullptr, 120);
         w.EndTrack();
         return w.End(path.c_str());
       }},
      {"-i kml", "t.kml", 2e-6, 1000,
       [](const std::u16string& path) {
         tgvKmlWriter_C w;
         w.Begin();
         w.BeginFolder(u"Points & more");
         for (const Fix& f : kFixes) w.AddTimedPlacemark(u"#taIcon", f.seconds, f.lon, f.lat, f.alt);
         w.EndFolder();
         return w.End(path.c_str());
       }},
  };
  for (const Format& fmt : formats) {
    SCOPED_TRACE(fmt.input);
    TempDir dir;
    ASSERT_TRUE(fmt.write(dir.WFile(fmt.file)));
    std::string out;
    ASSERT_TRUE(GpsbabelToCsv(fmt.input, dir.File(fmt.file), dir.File("back.csv"), &out)) << out;
    std::stringstream rows(ReadBytes(dir.File("back.csv")));
    std::string line;
    std::getline(rows, line);
    std::vector<std::string> header = SplitCsv(line);
    auto column = [&](const char* name) { return std::find(header.begin(), header.end(), name) - header.begin(); };
    size_t lat = column("Latitude"), lon = column("Longitude"), alt = column("Altitude"), date = column("Date"),
           time = column("Time");
    ASSERT_LT(time, header.size()) << line;
    for (const Fix& f : kFixes) {
      ASSERT_TRUE(std::getline(rows, line)) << "a fix is missing";
      std::vector<std::string> v = SplitCsv(line);
      ASSERT_EQ(v.size(), header.size()) << line;
      EXPECT_NEAR(Num(v[lat]), f.lat, fmt.degrees) << line;
      EXPECT_NEAR(Num(v[lon]), f.lon, fmt.degrees) << line;
      EXPECT_NEAR(Num(v[alt]), f.alt, 0.05) << line;
      EXPECT_EQ(v[date], "2009/08/15");
      int ms = f.ms / fmt.msStep * fmt.msStep % 1000;
      char want[32];
      std::snprintf(want, sizeof want, ms ? "10:20:%02d.%03d" : "10:20:%02d", int(f.seconds % 60), ms);
      EXPECT_EQ(v[time], want);
    }
    EXPECT_FALSE(std::getline(rows, line)) << "an extra fix: " << line;
  }
}

}  // namespace
