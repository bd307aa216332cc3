// CSV files of the CSV export, in three column layouts:
//   1      INDEX,RCR,UTC DATE,UTC TIME,LOCAL DATE,LOCAL TIME,VALID,LATITUDE,N/S,
//          LONGITUDE,E/W,HEIGHT,SPEED
//   2      INDEX,TRACK ID,LAP ID,VALID,UTC DATE,UTC TIME,LOCAL DATE,LOCAL TIME,MS,
//          LATITUDE,N/S,LONGITUDE,E/W,ALTITUDE,SPEED,HEADING,G-X,G-Y,G-Z
//   other  the same as 2 without LAP ID
// Dates are year/month/day and times hour:minute:second without zero padding;
// the local columns are UTC moved by the writer's offset. Coordinates are
// unsigned with their hemisphere letter. Lines end with CR LF; the file is
// UTF-8 without a mark.
#pragma once

#include <cstdint>

#include "export/exporttext.h"

class tgvCsvWriter_C {
 public:
  tgvCsvWriter_C() = default;
  tgvCsvWriter_C(const tgvCsvWriter_C&) = delete;
  tgvCsvWriter_C& operator=(const tgvCsvWriter_C&) = delete;

  // offsetMinutes: local time minus UTC. Empties the text; row index 0.
  void Begin(int32_t offsetMinutes, int32_t layout);
  // The layout's header line; numbering starts again at 1.
  void WriteHeader();
  // status: 0 or more reads "FIXED"; a negative status is named by the lowest
  // of bits 0-8 set in its magnitude ("NO FIX", "SPS", "DGPS", "PPS", "RTK",
  // "FRTK", "Estimated (dead reckoning)", "Manual Input Mode", "Simulator"),
  // "FIXED" when none is. hasAttachment gives RCR "B" (layout 1) instead of
  // "T". A time that cannot be broken down writes zero fields; a NaN or
  // infinite altitude, speed, heading or G value an empty field. A point whose
  // latitude or longitude is not finite is left out (and takes no index).
  void AddRow(int32_t trackId, int32_t lapId, double latitude, double longitude, double altitude, IntPair_C time,
              double speed, double heading, int32_t status, double gX, double gY, double gZ, bool hasAttachment);
  bool End(const char16_t* path);

  static const char16_t* StatusText(int32_t status);

  const char16_t* GetText() const { return m_text.GetText(); }

 private:
  void WriteColumns();

  int32_t m_row = 0;
  int32_t m_offsetMinutes = 0;
  ExportText_C m_text;
  int32_t m_layout = 0;
};
