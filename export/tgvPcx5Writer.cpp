#include "export/tgvPcx5Writer.h"

#include "export/geofields.h"
#include "platform/win32/format.h"

namespace {

const char16_t* const kMonths[12] = {u"JAN", u"FEB", u"MAR", u"APR", u"MAY", u"JUN",
                                     u"JUL", u"AUG", u"SEP", u"OCT", u"NOV", u"DEC"};

std::u16string FormatDegMin(char16_t hemisphere, double value) {
  DegMin_C dm = SplitDegMin(value, 5);
  return FormatW(u"%c%d%08.5f", hemisphere, dm.degrees, dm.minutes);
}

}  // namespace

std::u16string tgvPcx5Writer_C::FormatLat(double latitude) {
  return FormatDegMin(latitude > 0.0 ? u'N' : u'S', latitude);
}

std::u16string tgvPcx5Writer_C::FormatLon(double longitude) {
  return FormatDegMin(longitude > 0.0 ? u'E' : u'W', longitude);
}

void tgvPcx5Writer_C::WriteHeader() {
  m_text.Put(
      u"H  SOFTWARE NAME & VERSION\r\n"
      u"I  PCX5 2.09\r\n\r\n"
      u"H  R DATUM                IDX DA            DF            DX            DY            DZ\r\n"
      u"M  G WGS 84               121 +0.000000e+00 +0.000000e+00 +0.000000e+00 +0.000000e+00 +0.000000e+00\r\n"
      u"\r\n"
      u"H  COORDINATE SYSTEM\r\n"
      u"U  LAT LON DM\r\n\r\n\r\n");
}

void tgvPcx5Writer_C::Begin() {
  m_text.Clear();
  WriteHeader();
}

void tgvPcx5Writer_C::BeginTrack(const char16_t* name) {
  std::u16string oneLine = name ? name : u"";
  for (char16_t& c : oneLine)
    if (c < 0x20) c = u' ';
  m_text.Putf(u"\r\nH  TN %s\r\nH  LATITUDE    LONGITUDE    DATE      TIME     ALT  ;track\r\n", oneLine.c_str());
}

void tgvPcx5Writer_C::AddPoint(double latitude, double longitude, double altitude, IntPair_C time) {
  if (!FinitePosition(latitude, longitude)) return;
  TimeFields_C t = BreakDownTime(time, 0);
  const char16_t* month = t.month >= 1 && t.month <= 12 ? kMonths[t.month - 1] : kMonths[0];
  std::u16string when = FormatW(u"%02d-%s-%02d %02d:%02d:%02d", t.day, month, t.year % 100, t.hour, t.minute, t.second);
  m_text.Putf(u"T  %s %s %s %d\r\n", FormatLat(latitude).c_str(), FormatLon(longitude).c_str(), when.c_str(),
              TruncToInt32(altitude));
}

bool tgvPcx5Writer_C::End(const char16_t* path) { return m_text.Save(path, kUniEncUtf8Bom); }
