// The results of the lap analysis: one lap (or drag run) and the splits of a
// lap. Both point at stored waypoints of the track's point database and at
// lap points of the model; neither owns them. A lap owns its splits.
#pragma once

#include <cstdint>

#include "platform/classlib/CString.h"
#include "platform/classlib/containers.h"
#include "sport/SportObj.h"

class CSportLapAnalysis;
class CSportLapPoint;
class CSportSplitValue;
class tgvWayPoint_C;

class CSportLapValue : public CSportObj {
 public:
  // A circuit lap between two crossings: drag distance -1.0.
  CSportLapValue(CSportLapAnalysis* owner, tgvWayPoint_C* start, tgvWayPoint_C* end, CSportLapPoint* startLapPoint,
                 CSportLapPoint* endLapPoint);
  // A drag run to a distance (km).
  CSportLapValue(CSportLapAnalysis* owner, tgvWayPoint_C* start, tgvWayPoint_C* end, double distance);
  // A drag run between two speeds (km/h): drag distance 0.0.
  CSportLapValue(CSportLapAnalysis* owner, tgvWayPoint_C* start, tgvWayPoint_C* end, double startSpeed,
                 double endSpeed);
  // Deletes the lap's splits.
  ~CSportLapValue() override;
  CSportLapValue(const CSportLapValue&) = delete;
  CSportLapValue& operator=(const CSportLapValue&) = delete;

  int GetType() const override { return 16; }

  CSportLapAnalysis* m_pOwner;
  tgvWayPoint_C* m_pStartPoint;
  tgvWayPoint_C* m_pEndPoint;
  CSportLapPoint* m_pStartLapPoint;  // null for drag runs
  CSportLapPoint* m_pEndLapPoint;
  CList<CSportSplitValue*> m_lstSplits{10};  // owned
  bool m_bFastest = false;
  double m_dDragDistance;  // km; -1.0 for a circuit lap
  double m_dStartSpeed;    // km/h
  double m_dEndSpeed;
  int32_t m_nReserved = 0;
  int32_t m_nLapNo = 0;
  bool m_bIgnored = false;
  int32_t m_nIgnoredBefore = 0;  // ignored laps before this one
  bool m_bDrag;
};

class CSportSplitValue : public CSportObj {
 public:
  // A sector split ending at a crossing of a lap point; not valid until the
  // analysis fills it. A sector line (lap type 3) gets its number: "1" after
  // no split, else one more than the previous split's line when that is
  // another line; after a split without a line it is left as it is.
  CSportSplitValue(CSportLapValue* owner, CSportSplitValue* previous, tgvWayPoint_C* end, CSportLapPoint* lapPoint);
  // A split between two points, valid, with its great-circle distance (km).
  CSportSplitValue(CSportLapValue* owner, CSportSplitValue* previous, tgvWayPoint_C* start, tgvWayPoint_C* end,
                   int64_t time1, int64_t time2, const CString& name);

  int GetType() const override { return 17; }

  CSportLapValue* m_pOwner;
  CSportSplitValue* m_pPrevious;  // null for a lap's first split
  tgvWayPoint_C* m_pStartPoint;
  tgvWayPoint_C* m_pEndPoint;
  CSportLapPoint* m_pLapPoint;  // the sector line crossed at the end, or null
  bool m_bValid;
  double m_dTarget = 0.0;    // distance or speed at which the split was cut
  double m_dDistance = 0.0;  // km
  int64_t m_nTime1 = 0;
  int64_t m_nTime2 = 0;
  int32_t m_nReserved1 = 0;
  int32_t m_nReserved2 = 0;
  CString m_strName;
};
