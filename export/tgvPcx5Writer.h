// PCX5 2.09 track files of the PCX5 export: a header naming the WGS 84 datum
// and degrees-and-minutes coordinates, then per line a track header with its
// name and one "T" line per point: "N5105.00000 E00830.00000" style
// positions (minutes rounded to five places, carried into the degrees and
// zero-padded, because readers split the line on blanks), the UTC date and
// time "15-AUG-09 10:20:30" and the altitude in whole metres. A latitude of
// 0.0 is written "S", a longitude of 0.0 "W". Lines end with CR LF; the file
// is UTF-8 with a byte-order mark.
#pragma once

#include <cstdint>
#include <string>

#include "export/exporttext.h"

class tgvPcx5Writer_C {
 public:
  tgvPcx5Writer_C() = default;
  tgvPcx5Writer_C(const tgvPcx5Writer_C&) = delete;
  tgvPcx5Writer_C& operator=(const tgvPcx5Writer_C&) = delete;

  // Starts the text with the file header.
  void Begin();
  // Control characters of the name (line ends among them) become blanks, so a
  // name stays on its header line.
  void BeginTrack(const char16_t* name);
  // A time that cannot be broken down writes zero fields and "JAN". A point
  // whose latitude or longitude is not finite is left out.
  void AddPoint(double latitude, double longitude, double altitude, IntPair_C time);
  bool End(const char16_t* path);

  static std::u16string FormatLat(double latitude);
  static std::u16string FormatLon(double longitude);

  const char16_t* GetText() const { return m_text.GetText(); }

 private:
  void WriteHeader();

  ExportText_C m_text;
};
