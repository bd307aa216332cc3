#include "export/tgvTrackPointWriter.h"

#include "export/geofields.h"

namespace {

constexpr double kFeetPerMetre = 3.2808398950131235;
// The day number of 1970-01-01 (days since 1899-12-30).
constexpr double kUnixEpochDay = 25569.0;

}  // namespace

void tgvTrackPointWriter_C::Begin() { m_text.Clear(); }

void tgvTrackPointWriter_C::WriteBanner() {
  m_text.Put(
      u"Brivane-Tech Track Point File Version 1.1.8\r\n"
      u"WGS 84\r\n"
      u"Altitude is in Feet\r\n"
      u"Reserved 3\r\n"
      u"0,2,255,My Track,0,0,2,8421376\r\n");
}

void tgvTrackPointWriter_C::WriteCount(int32_t count) {
  WriteBanner();
  m_text.Putf(u"%d\r\n", count);
}

void tgvTrackPointWriter_C::AddPoint(double latitude, double longitude, double altitude, IntPair_C time) {
  if (!FinitePosition(latitude, longitude)) return;
  int64_t seconds = 0;
  FileTimeToUnix(time, &seconds, nullptr);
  TimeFields_C t = BreakDownTime(time, 0);
  m_text.Putf(u"%f,%f,0,%d,%f,%d/%02d/%02d,%02d:%02d:%02d\r\n", latitude, longitude,
              TruncToInt32(altitude * kFeetPerMetre), static_cast<double>(seconds) / 86400.0 + kUnixEpochDay, t.year,
              t.month, t.day, t.hour, t.minute, t.second);
}

bool tgvTrackPointWriter_C::End(const char16_t* path) { return m_text.Save(path, kUniEncUtf8); }
