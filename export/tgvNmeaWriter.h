// NMEA 0183 sentences of the NMEA export: for every track point a GPGGA, a
// GPRMC and a GPGLL sentence, then the caller's own sentence or a fixed
// GPGSA sentence. Each sentence is "$", the body, "*", two upper-case hex
// digits of the XOR of the body's bytes, CR LF. Saved as UTF-8 without mark.
//
// Fields: latitude "ddmm.mmmm,N", longitude "dddmm.mmmm,E" (minutes rounded
// to four places and carried into the degrees); time "hhmmss.ss" in UTC
// (seconds truncated to hundredths, so never "60.00"); date "ddmmyy" with
// the year mod 100; speed in knots; altitude in metres. A time that cannot
// be broken down writes zero fields; an altitude, speed or course that is NaN
// or infinite an empty field. A point whose latitude or longitude is not
// finite is left out.
#pragma once

#include <cstdint>
#include <string>

#include "export/exporttext.h"

class tgvNmeaWriter_C {
 public:
  tgvNmeaWriter_C() = default;
  tgvNmeaWriter_C(const tgvNmeaWriter_C&) = delete;
  tgvNmeaWriter_C& operator=(const tgvNmeaWriter_C&) = delete;

  void Begin();
  // speedKmh in km/h, course in degrees; extra: a sentence body without "$"
  // and checksum, written in place of the GPGSA sentence (null or empty for
  // none). False when the text could not grow.
  bool AddPoint(double latitude, double longitude, double altitude, double speedKmh, double course, IntPair_C time,
                const char16_t* extra);
  // The same with the satellite count written in GPGGA.
  bool AddPointSat(double latitude, double longitude, double altitude, double speedKmh, double course, IntPair_C time,
                   int32_t satellites, const char16_t* extra);
  bool End(const char16_t* path);

  // "3330.0000,S" / "15103.0000,E".
  static std::u16string FormatLat(double latitude);
  static std::u16string FormatLon(double longitude);
  // Two upper-case hex digits of the XOR of the body's UTF-8 bytes; false
  // (and no digits) for an empty body.
  static bool Checksum(const char16_t* body, std::u16string& out);

  const char16_t* GetText() const { return m_text.GetText(); }

 private:
  void WriteSentence(const std::u16string& body);

  ExportText_C m_text;
};
