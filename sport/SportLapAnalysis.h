// The lap analysis of one track: the laps of a circuit session, or the runs
// of a drag session, found on the track's stored points, each with its
// splits. The analysis owns its laps and each lap its splits; a new run of
// the analysis replaces them.
//
// The lap points are shared by every track (the sport project manager holds
// them) and the analysis writes their crossing state, so analyses run one at
// a time, under the manager's analysis lock.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "sport/SportObj.h"
#include "sport/SportTime.h"

class CSportLapPoint;
class CSportLapValue;
class CSportTrack;
class TrackPath;
class tgvWayPoint_C;

class CSportLapAnalysis : public CSportObj {
 public:
  // Split kinds of a drag run to a distance.
  enum SplitKind : int32_t { kQuarters = 0, kTenths = 1, kSeconds = 2, kStandard = 3 };

  explicit CSportLapAnalysis(CSportTrack* track);
  ~CSportLapAnalysis() override;
  CSportLapAnalysis(const CSportLapAnalysis&) = delete;
  CSportLapAnalysis& operator=(const CSportLapAnalysis&) = delete;
  int GetType() const override { return 14; }

  // Runs the analysis when it has not run, when the track's racing type or
  // drag settings changed since, or when both map offsets are non-zero;
  // returns the number of laps. 0, and nothing else changes, for a track
  // whose points cannot be loaded.
  int32_t Analyze();
  // Fills the lap-point list with the manager's lap points of which an end
  // or the middle lies in the box of the track's points.
  void CollectLapPoints(const TrackPath& path);

  // Start and end of a lap or run (0 for a missing point).
  TrackTimes GetLapTimes(const CSportLapValue& lap) const;
  // km: a circuit lap's length along the line (stored in the lap), a run's
  // distance, or the distance between the speeds of a run between speeds.
  double GetLapDistance(CSportLapValue& lap) const;
  // The run's figure compared when choosing the fastest run of a time band.
  double GetDragFigure(const CSportLapValue& lap) const;

  const std::vector<std::unique_ptr<CSportLapValue>>& Laps() const { return m_laps; }
  const std::vector<CSportLapPoint*>& LapPoints() const { return m_lapPoints; }

  CSportTrack* m_pTrack;
  int32_t m_nState = 0;  // 3 once analysed
  int32_t m_nLapCount = 0;
  bool m_bDirty = true;
  int32_t m_nAnalysedRacingType = 7;  // no track has 7
  int32_t m_nDragIsDistance = 0;
  double m_dDragStart = 0.0;
  double m_dDragEnd = 0.0;
  int32_t m_nSplitKind = kQuarters;
  tgvWayPoint_C* m_pFirstPoint = nullptr;
  tgvWayPoint_C* m_pLastPoint = nullptr;

 private:
  struct DragSettings {
    bool isDistance = true;
    double start = 0.0, end = 0.0;
  };
  DragSettings ReadDragSettings() const;
  bool NeedsRun(const DragSettings& drag) const;
  void AnalyzeCircuit(const TrackPath& path);
  void AnalyzeDragBySpeed(const TrackPath& path, const DragSettings& drag);
  void AnalyzeDragByMarks(const TrackPath& path, const DragSettings& drag);
  // Appends a run from start to end when no drag line is among the lap points
  // or a segment of the run crosses one.
  void RecordRun(const TrackPath& path, int32_t start, int32_t end, const DragSettings& drag);
  void NumberLaps();
  void BuildSplits(const TrackPath& path, CSportLapValue& lap, int32_t start, int32_t end);
  void BuildSpeedSplits(const TrackPath& path, CSportLapValue& lap, int32_t start, int32_t end);
  void BuildDistanceSplits(const TrackPath& path, CSportLapValue& lap, int32_t start, int32_t end);
  int32_t IndexOf(const tgvWayPoint_C* point) const;

  std::vector<std::unique_ptr<CSportLapValue>> m_laps;
  std::vector<CSportLapPoint*> m_lapPoints;  // the manager's
  std::unique_ptr<TrackPath> m_path;         // of the last run
  // m_path's points by address, for IndexOf: one block, sorted once (the
  // points of a line usually come in address order already).
  std::vector<std::pair<const tgvWayPoint_C*, int32_t>> m_index;
};

// The standard split distances of a drag run (km) and their labels.
extern const double kStandardDragSplitsKm[5];
extern const char16_t* const kStandardDragSplitLabels[5];
