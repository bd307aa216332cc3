// A recorded session: a line of the project database whose type is
// "TypeTrack". Everything the sport model knows about the session besides the
// line itself is kept as named text fields of the line (FieldForms.h gives
// their stored forms). The constructor reads the fields the program consults
// often into members; the others are read on demand. A line without a
// display style is given its own.
//
// Tracks are registered under a name unique in the process ("Run", "Run(1)",
// "Run(2)", ...), which the line record takes. The time-zone members are a
// cache filled once, under the track's lock, from any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/classlib/CString.h"
#include "platform/classlib/containers.h"
#include "sport/SportObj.h"
#include "sport/SportTime.h"

class CSportLapAnalysis;
class CSportUser;
class tgvDocument_C;
class tgvLine_C;
struct TrackPointEntry;

class CSportTrack : public CSportDoc {
 public:
  // SportType values; "Others" (8) is also what any unknown text gives.
  enum SportType : int32_t {
    kCycling = 0,
    kRunning,
    kHiking,
    kMotorCycling,
    kRowing,
    kSkiing,
    kMultiSport,
    kCarRacing,
    kOthers
  };
  // RacingType values; 0..3 are the circuit kinds. Any unknown text gives
  // Sprint (1).
  enum RacingType : int32_t { kEndurance = 0, kSprint, kQualify, kCircuitOther, kDragRacing, kDataLog, kRallyRacing };

  // Registers the line under a unique name (renaming the record when needed)
  // and reads the fields. The line must not be null.
  explicit CSportTrack(tgvLine_C* line);
  // Leaves the name registry.
  ~CSportTrack() override;
  CSportTrack(const CSportTrack&) = delete;
  CSportTrack& operator=(const CSportTrack&) = delete;

  int GetType() const override { return 6; }

  // Registers the track under name, or the first free "name(n)" for n = 1,
  // 2, ...; returns the name taken.
  CString MakeUniqueName(const CString& name);

  // The field's text; empty without the track type, the definition or a value.
  CString GetFieldText(const CString& key) const;
  // Store the value in its form (definitions made when missing); nothing is
  // stored without the track type.
  void SetFieldDouble(const CString& key, double value);
  void SetFieldInt(const CString& key, int32_t value);
  void SetFieldDuration(const CString& key, int64_t duration);
  void SetFieldTime(const CString& key, uint64_t time);
  // The stored milliseconds in 100-ns units; 0 for an empty field.
  int64_t& GetFieldDuration(const CString& key, int64_t& out) const;

  // Start and end; with toLocal, shifted by the track's stored zone
  // (GetTimeZone is asked first). A track without a stored zone is not shifted.
  TrackTimes& GetLocalTime(TrackTimes& out, bool toLocal);
  // The stored zone: minutes with UTC = local + minutes (8 hours east of UTC
  // is -480), daylight saving, the zone's name. Without a stored
  // FieldTimeZone the outputs are left as they are.
  void GetTimeZone(int32_t& minutes, bool& dst, CString& name);
  void SetTimeZone(int32_t minutes, bool dst, const CString& name);
  // The start as the session list shows it, and the bias of the zone it is
  // shown in (minutes, as GetTimeZone gives them).
  struct ShownStart {
    uint64_t local = 0;
    int32_t bias = 0;
  };
  // A track that had a FieldTimeZone when the project was read is shown in
  // that zone with the FieldDST read with it: the statistics rewrite FieldDST
  // by the computer's rules, which say nothing of where the session was
  // recorded. Any other track is shown at the computer's true local time of
  // its start, in the computer's zone then (ComputerZoneAt).
  ShownStart GetShownStart() const;

  CString GetTrackFile() const { return GetFieldText(u"FieldTrackFile"); }
  CString GetTrackName() const { return GetFieldText(u"FieldTrackName"); }
  // km; 0.0 when not stored.
  double GetTotalDistance() const;
  int64_t& GetTotalTime(int64_t& out) const;
  // Drag settings of device model 2 (and 3): kind from FieldDragType (0 when
  // empty), the start and end distances. True for a drag race.
  bool GetDragSettingsByType(int32_t& kind, double& start, double& end) const;
  // Drag settings of the other models: a distance race unless
  // FieldDragIsDistance holds another integer than 1. True for a drag race.
  bool GetDragSettings(bool& isDistance, double& start, double& end) const;

  // The track registered under the name; null when none.
  static CSportTrack* FindByName(const CString& name);

  // The track's points (SportTrackPoints.cpp). The point database
  // <database folder>/<FieldTrackFile>/ is opened read-only on first use;
  // a FieldTrackFile that is not one plain folder name is refused. Null when
  // the track has no line or the database cannot be opened (tried again at
  // the next call).
  tgvLine_C* LoadTrackPoints();
  // The point entries and their count (null and 0 without points); drag
  // sessions of device models 1 and 2 get their drag starts marked.
  TrackPointEntry* GetTrackPoints(int32_t& count);
  // Lets the points, the lap analysis built on them and the point database
  // go, under the manager's analysis lock; the next use loads them again.
  void ReleaseTrackPoints();
  // The track's lap analysis, made empty on first use.
  CSportLapAnalysis* GetLapAnalysis();
  // Writes TotalLapNumField, FastestLapNoField, FastestLapTime,
  // FieldTotalTime and TotalMovingTime from the analysis.
  void UpdateLapSummary();
  // Reads the IgnoreLap<n> fields into the laps, chooses the fastest lap
  // again, and writes the lap summary. Only for an analysed track.
  void ApplyIgnoredLaps();
  // The lap count of TotalLapNumField; the statistics are computed first
  // when the field is empty.
  int32_t GetTotalLapNum();
  // The fastest lap's duration (100-ns units, 0 when none) into time and its
  // number into lapNo; the statistics are computed first when
  // FastestLapNoField is empty. Returns time.
  int64_t& GetFastestLap(int64_t& time, int32_t& lapNo);
  // Recomputes and stores every statistics field, the lap summary and the
  // daylight-saving flag. A track whose points cannot be loaded is left as it
  // is; a line without points writes zeros and keeps its start and end.
  void ComputeStatistics();

  tgvLine_C* m_pLine;
  tgvLine_C* m_pPointLine = nullptr;
  tgvDocument_C* m_pPointDoc = nullptr;
  int32_t m_nUserID = 0;
  uint64_t m_ftStart = 0;
  uint64_t m_ftEnd = 0;
  CSportStyle* m_pStyle = nullptr;  // owned
  CSportUser* m_pUser = nullptr;
  int32_t m_nPointCount = 0;
  int32_t m_nSportType = 0;
  int32_t m_nRacingType = kSprint;
  int32_t m_nVideoNum = 0;
  TrackPointEntry* m_pPoints = nullptr;         // m_points
  CSportLapAnalysis* m_pLapAnalysis = nullptr;  // m_lapAnalysis
  CString m_strNote;
  bool m_bMarkedTrack = false;
  CString m_strMarkedTrackName;
  float m_fCarWeight = 0.0f;
  float m_fRacerWeight = 0.0f;
  int32_t m_nDeviceModel = 0;  // 1, 2 and 3 are told apart
  CString m_strCircuitType;
  CString m_strDragStartWp;
  CString m_strUsedBcn;
  CString m_strUsedManualBcn;
  double m_dTrackMapDiffLat = 0.0;
  double m_dTrackMapDiffLon = 0.0;
  bool m_bImported = false;
  bool m_bZELUploaded = false;

 private:
  void SetFieldText(const CString& key, const CString& text);
  uint32_t FieldId(const CString& key) const;
  // The fields from SportType on.
  void ReadFields();
  // Fills the time-zone cache from the fields once; false without a zone.
  bool LoadZoneLocked();
  // The stored zone into the outputs; false, outputs untouched, without one.
  bool ReadStoredZone(int32_t& minutes, bool& dst, CString& name);

  std::unique_ptr<TrackPointEntry[]> m_points;
  std::unique_ptr<CSportLapAnalysis> m_lapAnalysis;
  // Guards the point line, the point array and the analysis object, which
  // the session-row and upload threads ask for.
  std::recursive_mutex m_pointsLock;

  CString m_strUniqueName;
  // FieldTimeZone and FieldDST as the project was read; set by the
  // constructor only.
  bool m_bZoneAtOpen = false;
  int32_t m_nZoneAtOpen = 0;
  bool m_bDSTAtOpen = false;
  // The time-zone cache.
  std::mutex m_zoneLock;
  bool m_bTimeZoneCached = false;
  int32_t m_nTimeZone = 0;
  bool m_bDST = false;
  CString m_strTimeZone;
};

// The SportType of a stored text (exact match), kOthers otherwise.
int32_t SportTypeOf(const CString& text);
// The RacingType of a stored text (exact match), kSprint otherwise.
int32_t RacingTypeOf(const CString& text);
