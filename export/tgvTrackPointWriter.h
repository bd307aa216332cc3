// The track-point text file of the track-point export: a fixed five-line
// banner (readers know the format by "Track Point" in its first line, "WGS 84"
// in the second and "Altitude is in Feet" in the third), a count line, then one
// line per point: latitude, longitude, a new-segment flag (always 0, so the
// points form one track), altitude in whole feet, the day number (days since
// 1899-12-30) and the UTC date and time. Lines end with CR LF; the file is
// UTF-8 without a mark.
#pragma once

#include <cstdint>

#include "export/exporttext.h"

class tgvTrackPointWriter_C {
 public:
  tgvTrackPointWriter_C() = default;
  tgvTrackPointWriter_C(const tgvTrackPointWriter_C&) = delete;
  tgvTrackPointWriter_C& operator=(const tgvTrackPointWriter_C&) = delete;

  void Begin();
  // The banner, then the count line.
  void WriteCount(int32_t count);
  // altitude in metres, truncated to whole feet (saturating; NaN gives 0). A
  // time that cannot be broken down writes zero date fields. A point whose
  // latitude or longitude is not finite is left out.
  void AddPoint(double latitude, double longitude, double altitude, IntPair_C time);
  bool End(const char16_t* path);

  const char16_t* GetText() const { return m_text.GetText(); }

 private:
  void WriteBanner();

  ExportText_C m_text;
};
