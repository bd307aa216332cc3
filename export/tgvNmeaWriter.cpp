#include "export/tgvNmeaWriter.h"

#include <cmath>

#include "export/geofields.h"
#include "platform/win32/format.h"

namespace {

constexpr double kKmhPerKnot = 1.852;

// "%f", or the empty (null) field for a value that is NaN or infinite.
std::u16string Field(double value) { return std::isfinite(value) ? FormatW(u"%f", value) : std::u16string(); }

}  // namespace

std::u16string tgvNmeaWriter_C::FormatLat(double latitude) {
  DegMin_C dm = SplitDegMin(latitude, 4);
  return FormatW(u"%02d%07.4f,%c", dm.degrees, dm.minutes, latitude < 0.0 ? u'S' : u'N');
}

std::u16string tgvNmeaWriter_C::FormatLon(double longitude) {
  DegMin_C dm = SplitDegMin(longitude, 4);
  return FormatW(u"%03d%07.4f,%c", dm.degrees, dm.minutes, longitude < 0.0 ? u'W' : u'E');
}

bool tgvNmeaWriter_C::Checksum(const char16_t* body, std::u16string& out) {
  out.clear();
  if (!body || !*body) return false;
  unsigned sum = 0;
  for (unsigned char b : Utf16ToUtf8(body)) sum ^= b;
  out = FormatW(u"%02X", sum);
  return true;
}

void tgvNmeaWriter_C::WriteSentence(const std::u16string& body) {
  std::u16string sum;
  Checksum(body.c_str(), sum);
  m_text.Put(u"$" + body + u"*" + sum + u"\r\n");
}

void tgvNmeaWriter_C::Begin() { m_text.Clear(); }

bool tgvNmeaWriter_C::AddPoint(double latitude, double longitude, double altitude, double speedKmh, double course,
                               IntPair_C time, const char16_t* extra) {
  return AddPointSat(latitude, longitude, altitude, speedKmh, course, time, 0, extra);
}

bool tgvNmeaWriter_C::AddPointSat(double latitude, double longitude, double altitude, double speedKmh, double course,
                                  IntPair_C time, int32_t satellites, const char16_t* extra) {
  if (!FinitePosition(latitude, longitude)) return m_text.Ok();
  TimeFields_C t = BreakDownTime(time, 0);
  std::u16string hms = FormatW(u"%02d%02d%02d.%02d", t.hour, t.minute, t.second, t.ms / 10);
  std::u16string lat = FormatLat(latitude);
  std::u16string lon = FormatLon(longitude);
  const std::u16string knots = Field(speedKmh / kKmhPerKnot);
  // GGA opens a fix for readers and RMC completes it with the date: in the
  // other order readers pair each position with the next point's time.
  WriteSentence(FormatW(u"GPGGA,%s,%s,%s,1,%02d,0.0,%s,M,0.0,M,,", hms.c_str(), lat.c_str(), lon.c_str(), satellites,
                        Field(altitude).c_str()));
  WriteSentence(FormatW(u"GPRMC,%s,A,%s,%s,%s,%s,%02d%02d%02d,,", hms.c_str(), lat.c_str(), lon.c_str(), knots.c_str(),
                        Field(course).c_str(), t.day, t.month, t.year % 100));
  WriteSentence(FormatW(u"GPGLL,%s,%s,%s,A,", lat.c_str(), lon.c_str(), hms.c_str()));
  if (extra && *extra)
    WriteSentence(extra);
  else
    m_text.Put(u"$GPGSA,A,3,,,,,,,,,,,,,0.0,0.0,0.0*32\r\n");
  return m_text.Ok();
}

bool tgvNmeaWriter_C::End(const char16_t* path) { return m_text.Save(path, kUniEncUtf8); }
