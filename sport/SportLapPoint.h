// The value object of a stored lap point: a start/finish, sector or drag line
// across the track, kept as a POI of the type "LapPointTypeName" with its two
// end positions, its lap type and its heading as fields. The lap analysis
// reads the line from the object and notes its crossings on it.
#pragma once

#include <cstdint>

#include "sport/SportValueObj.h"

class CSportLapPoint : public CSportValueObj {
 public:
  // Lap types of the field "LapPointFieldLapType".
  enum LapType : int32_t { kStartFinish = 0, kStart = 1, kFinish = 2, kSector = 3, kDrag = 4 };

  // Reads the lap type, "POSITION1", "POSITION2" (each "latitude longitude")
  // and "BCN_HEADING" (0.0 when empty), then the half width: half the
  // great-circle distance between the two positions, in km. A missing
  // position stays 0.0, 0.0.
  explicit CSportLapPoint(tgvPOI_C* record);
  int GetType() const override { return 15; }

  // Writes "BCN_HEADING" ("%f") and keeps the value.
  void SetHeading(double degrees);

  int32_t m_nLapType = 0;
  double m_dHalfWidth = 0.0;  // km
  double m_dLat1 = 0.0, m_dLon1 = 0.0;
  double m_dLat2 = 0.0, m_dLon2 = 0.0;
  double m_dHeading = 0.0;  // degrees
  // The sector number shown for a sector line, set when a sector split is
  // numbered ("1", "2", ...); empty before.
  CString m_strNumber;
  int32_t m_nReserved = 0;
  // The last crossing of the line found by the lap analysis.
  double m_dCrossing[2] = {0.0, 0.0};
  bool m_bCrossed = false;
};
