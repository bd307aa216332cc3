// A user profile of the workspace: a POI of the type "TypeUser" whose
// personal data are named text fields of the POI (SportFieldIds.h). The user
// owns the list of its tracks, which the sport project manager attaches at
// load, and hands them out in start-time order, narrowed by a TrackFilter.
//
// The track list is guarded by the user's lock: the manager attaches and
// sorts on the workspace thread, the session list and the upload pipeline
// read from theirs. Ties of start time keep their load order. The stored
// password is never read into memory.
#pragma once

#include <cstdint>
#include <mutex>

#include "icbase/src/icutil/mempool.h"
#include "platform/classlib/CString.h"
#include "sport/SportObj.h"

class CSportTrack;
class tgvPOI_C;

// Stages of CSportUser::FindTracks, each narrowing the one before; dates are
// UTC calendar dates of the track's start (month 1 to 12).
struct TrackFilter {
  bool bByDate = false;
  int32_t nYear = 0, nMonth = 0, nDay = 0;
  bool bByRange = false;  // both ends included
  int32_t nFromYear = 0, nFromMonth = 0, nFromDay = 0;
  int32_t nToYear = 0, nToMonth = 0, nToDay = 0;
  bool bBySportType = false;
  bool abSportType[9] = {};  // one flag per SportType value 0 to 8
};

class CSportUser : public CSportObj {
 public:
  // Reads the user's fields from the record (a null record makes a user
  // without fields). Without an open project the user keeps only its name.
  explicit CSportUser(tgvPOI_C* record);
  int GetType() const override { return 7; }

  // The field's text; empty without the user type, a value or its text. The
  // field's definition is made when missing.
  CString GetFieldText(const CString& key) const;

  // Appends the track and marks the list unsorted; sets the track's user.
  void AttachTrack(CSportTrack* track);
  // Orders the tracks by start time (unsigned), stably; nothing when sorted.
  void SortTracksByStartTime();
  // Appends the tracks that pass the filter to out, in start-time order;
  // returns out's count afterwards (earlier elements included).
  int32_t FindTracks(const TrackFilter& filter, PtrList_C& out);
  int32_t GetTrackCount() const;

  CString m_strName;
  CString m_strDeviceName;
  CString m_strNickName;
  int32_t m_nGender = 0;   // 0 male or no value; 1 for any other stored text
  double m_dWeight = 0.0;  // the stored text's leading integer
  double m_dHeight = 0.0;
  int32_t m_nBirth[3] = {0, 0, 0};  // "%d %d %d" in stored order
  tgvPOI_C* m_pPOI;
  bool m_bActive = false;  // "ActiveUser" holds "1"
  bool m_bChanged = true;

 private:
  void ReadFields();
  bool SortedLocked();

  mutable std::mutex m_lock;
  PtrList_C m_lstTracks;  // CSportTrack*, not owned
  bool m_bTracksSorted = false;
};

// -1, 0 or 1 by the tracks' start times as unsigned 64-bit values.
int CompareTracksByStartTime(const CSportTrack* a, const CSportTrack* b);
