#include "sport/SportLapValue.h"

#include "platform/win32/wstr.h"
#include "sport/SportLapPoint.h"
#include "trackdb/tgvGeometry.h"
#include "trackdb/tgvRecord.h"

CSportLapValue::CSportLapValue(CSportLapAnalysis* owner, tgvWayPoint_C* start, tgvWayPoint_C* end,
                               CSportLapPoint* startLapPoint, CSportLapPoint* endLapPoint)
    : m_pOwner(owner),
      m_pStartPoint(start),
      m_pEndPoint(end),
      m_pStartLapPoint(startLapPoint),
      m_pEndLapPoint(endLapPoint),
      m_dDragDistance(-1.0),
      m_dStartSpeed(0.0),
      m_dEndSpeed(0.0),
      m_bDrag(false) {}

CSportLapValue::CSportLapValue(CSportLapAnalysis* owner, tgvWayPoint_C* start, tgvWayPoint_C* end, double distance)
    : m_pOwner(owner),
      m_pStartPoint(start),
      m_pEndPoint(end),
      m_pStartLapPoint(nullptr),
      m_pEndLapPoint(nullptr),
      m_dDragDistance(distance),
      m_dStartSpeed(0.0),
      m_dEndSpeed(0.0),
      m_bDrag(true) {}

CSportLapValue::CSportLapValue(CSportLapAnalysis* owner, tgvWayPoint_C* start, tgvWayPoint_C* end, double startSpeed,
                               double endSpeed)
    : m_pOwner(owner),
      m_pStartPoint(start),
      m_pEndPoint(end),
      m_pStartLapPoint(nullptr),
      m_pEndLapPoint(nullptr),
      m_dDragDistance(0.0),
      m_dStartSpeed(startSpeed),
      m_dEndSpeed(endSpeed),
      m_bDrag(true) {}

CSportLapValue::~CSportLapValue() {
  while (!m_lstSplits.IsEmpty()) delete m_lstSplits.RemoveHead();
}

CSportSplitValue::CSportSplitValue(CSportLapValue* owner, CSportSplitValue* previous, tgvWayPoint_C* end,
                                   CSportLapPoint* lapPoint)
    : m_pOwner(owner),
      m_pPrevious(previous),
      m_pStartPoint(nullptr),
      m_pEndPoint(end),
      m_pLapPoint(lapPoint),
      m_bValid(false) {
  if (!lapPoint || lapPoint->m_nLapType != CSportLapPoint::kSector) return;
  if (!previous) {
    lapPoint->m_strNumber = u"1";
  } else if (previous->m_pLapPoint && previous->m_pLapPoint != lapPoint) {
    // Saturating read: a stored number at the int range stays there.
    const int before = WStrToInt(previous->m_pLapPoint->m_strNumber);
    lapPoint->m_strNumber.Format(u"%d", before == INT32_MAX ? before : before + 1);
  }
}

CSportSplitValue::CSportSplitValue(CSportLapValue* owner, CSportSplitValue* previous, tgvWayPoint_C* start,
                                   tgvWayPoint_C* end, int64_t time1, int64_t time2, const CString& name)
    : m_pOwner(owner),
      m_pPrevious(previous),
      m_pStartPoint(start),
      m_pEndPoint(end),
      m_pLapPoint(nullptr),
      m_bValid(true),
      m_nTime1(time1),
      m_nTime2(time2),
      m_strName(name) {
  if (start && end)
    m_dDistance =
        GreatCircleDistanceKm(end->GetLongitude(), end->GetLatitude(), start->GetLongitude(), start->GetLatitude());
}
