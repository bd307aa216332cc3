#include "export/tgvCsvWriter.h"

#include <algorithm>
#include <cmath>

#include "export/geofields.h"
#include "platform/win32/format.h"

namespace {

const char16_t* const kStatusNames[9] = {
    u"NO FIX",   u"SPS", u"DGPS", u"PPS", u"RTK", u"FRTK", u"Estimated (dead reckoning)", u"Manual Input Mode",
    u"Simulator"};

// The number in `format`, or an empty field for NaN or an infinity, which
// readers take as a missing value.
std::u16string Field(const char16_t* format, double value) {
  return std::isfinite(value) ? FormatW(format, value) : std::u16string();
}

}  // namespace

const char16_t* tgvCsvWriter_C::StatusText(int32_t status) {
  if (status >= 0) return u"FIXED";
  // Negated as unsigned: the magnitude of INT32_MIN does not fit an int32.
  uint32_t magnitude = 0u - static_cast<uint32_t>(status);
  for (int bit = 0; bit < 9; ++bit)
    if (magnitude & (1u << bit)) return kStatusNames[bit];
  return u"FIXED";
}

void tgvCsvWriter_C::Begin(int32_t offsetMinutes, int32_t layout) {
  m_row = 0;
  m_offsetMinutes = offsetMinutes;
  m_layout = layout;
  m_text.Clear();
}

void tgvCsvWriter_C::WriteColumns() {
  switch (m_layout) {
    case 1:
      m_text.Put(
          u"INDEX,RCR,UTC DATE,UTC TIME,LOCAL DATE,LOCAL TIME,VALID,LATITUDE,N/S,LONGITUDE,E/W,HEIGHT,SPEED\r\n");
      break;
    case 2:
      m_text.Put(
          u"INDEX,TRACK ID,LAP ID,VALID,UTC DATE,UTC TIME,LOCAL DATE,LOCAL TIME,MS,LATITUDE,N/S,LONGITUDE,E/W,"
          u"ALTITUDE,SPEED,HEADING,G-X,G-Y,G-Z\r\n");
      break;
    default:
      m_text.Put(
          u"INDEX,TRACK ID,VALID,UTC DATE,UTC TIME,LOCAL DATE,LOCAL TIME,MS,LATITUDE,N/S,LONGITUDE,E/W,"
          u"ALTITUDE,SPEED,HEADING,G-X,G-Y,G-Z\r\n");
  }
}

void tgvCsvWriter_C::WriteHeader() {
  WriteColumns();
  m_row = 0;
}

void tgvCsvWriter_C::AddRow(int32_t trackId, int32_t lapId, double latitude, double longitude, double altitude,
                            IntPair_C time, double speed, double heading, int32_t status, double gX, double gY,
                            double gZ, bool hasAttachment) {
  if (!FinitePosition(latitude, longitude)) return;
  ++m_row;
  const char16_t* valid = StatusText(status);
  TimeFields_C u = BreakDownTime(time, 0);
  int64_t offset = std::clamp<int64_t>(int64_t{m_offsetMinutes} * 60, INT32_MIN, INT32_MAX);
  TimeFields_C l = BreakDownTime(time, static_cast<int32_t>(offset));
  const char16_t* ns = latitude < 0.0 ? u"S" : u"N";
  const char16_t* ew = longitude < 0.0 ? u"W" : u"E";
  double lat = std::fabs(latitude);
  double lon = std::fabs(longitude);
  const std::u16string alt = Field(m_layout == 1 ? u"%.3f" : u"%f", altitude);
  const std::u16string kmh = Field(m_layout == 1 ? u"%.3f" : u"%f", speed);
  const std::u16string tail =
      Field(u"%f", heading) + u"," + Field(u"%f", gX) + u"," + Field(u"%f", gY) + u"," + Field(u"%f", gZ);
  switch (m_layout) {
    case 1:
      m_text.Putf(u"%d,%s,%d/%d/%d,%d:%d:%d,%d/%d/%d,%d:%d:%d,%s,%f,%s,%f,%s,%s,%s\r\n", m_row,
                  hasAttachment ? u"B" : u"T", u.year, u.month, u.day, u.hour, u.minute, u.second, l.year, l.month,
                  l.day, l.hour, l.minute, l.second, valid, lat, ns, lon, ew, alt.c_str(), kmh.c_str());
      break;
    case 2:
      m_text.Putf(u"%d,%d,%d,%s,%d/%d/%d,%d:%d:%d,%d/%d/%d,%d:%d:%d,%d,%.10f,%s,%.10f,%s,%s,%s,%s\r\n", m_row, trackId,
                  lapId, valid, u.year, u.month, u.day, u.hour, u.minute, u.second, l.year, l.month, l.day, l.hour,
                  l.minute, l.second, u.ms, lat, ns, lon, ew, alt.c_str(), kmh.c_str(), tail.c_str());
      break;
    default:
      m_text.Putf(u"%d,%d,%s,%d/%d/%d,%d:%d:%d,%d/%d/%d,%d:%d:%d,%d,%f,%s,%f,%s,%s,%s,%s\r\n", m_row, trackId, valid,
                  u.year, u.month, u.day, u.hour, u.minute, u.second, l.year, l.month, l.day, l.hour, l.minute,
                  l.second, u.ms, lat, ns, lon, ew, alt.c_str(), kmh.c_str(), tail.c_str());
  }
}

bool tgvCsvWriter_C::End(const char16_t* path) { return m_text.Save(path, kUniEncUtf8); }
