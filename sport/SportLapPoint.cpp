#include "sport/SportLapPoint.h"

#include "platform/win32/wstr.h"
#include "trackdb/tgvGeometry.h"

namespace {
constexpr char16_t kLapPointType[] = u"LapPointTypeName";
}

CSportLapPoint::CSportLapPoint(tgvPOI_C* record) : CSportValueObj(record, kLapPointType) {
  m_nLapType = WStrToInt(GetText(u"LapPointFieldLapType"));
  GetPair(u"POSITION1", &m_dLat1, &m_dLon1);
  GetPair(u"POSITION2", &m_dLat2, &m_dLon2);
  const CString heading = GetText(u"BCN_HEADING");
  m_dHeading = heading.IsEmpty() ? 0.0 : WStrToDouble(heading);
  m_dHalfWidth = GreatCircleDistanceKm(m_dLon1, m_dLat1, m_dLon2, m_dLat2) / 2.0;
}

void CSportLapPoint::SetHeading(double degrees) {
  SetDouble(u"BCN_HEADING", degrees);
  m_dHeading = degrees;
}
