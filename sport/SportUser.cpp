#include "sport/SportUser.h"

#include <algorithm>
#include <vector>

#include "platform/win32/wstr.h"
#include "sport/SportFieldIds.h"
#include "sport/SportTime.h"
#include "sport/SportTrack.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvRecord.h"

namespace {

const char16_t* const kGoalKeys[] = {u"FieldGoalStartDate", u"FieldGoalStartWeight", u"FieldGoalStartFat",
                                     u"FieldGoalWeightGoal", u"FieldGoalHasFitnessGoal"};
const char16_t* const kScheduleKeys[] = {u"FieldGoalSetScheduleType", u"FieldGoalLossEveryWeek", u"FieldGoalNumOfWeeks",
                                         u"FieldGoalGoalDate"};

// The value of the field, null when the record has none.
tgvVal_C* FindValue(const tgvPOI_C* poi, uint32_t defId) {
  tgvDatabase_C* db = poi->GetManager();
  if (!FindValueDef(db, defId)) return nullptr;
  auto lock = db->Lock();
  return db->FindValue(poi->GetUserType(), poi->GetId(), tgvUT_ValD, defId);
}

// Reads up to three integers separated by blanks; a missing one keeps its value.
void ReadBirth(const CString& text, int32_t* out) {
  const char16_t* s = text.GetString();
  for (int k = 0; k < 3 && *s; ++k) {
    while (*s == u' ' || *s == u'\t') ++s;
    const char16_t* start = s;
    if (*s == u'-' || *s == u'+') ++s;
    if (*s < u'0' || *s > u'9') return;
    out[k] = WStrToInt(start);
    while (*s >= u'0' && *s <= u'9') ++s;
  }
}

struct DateKey {
  int32_t y, m, d;
  auto operator<=>(const DateKey&) const = default;
};

DateKey StartDate(const CSportTrack* t) {
  CalendarTime c;
  SplitFileTime(t->m_ftStart, &c);
  return {c.year, c.month, c.day};
}

}  // namespace

int CompareTracksByStartTime(const CSportTrack* a, const CSportTrack* b) {
  return a->m_ftStart < b->m_ftStart ? -1 : a->m_ftStart > b->m_ftStart ? 1 : 0;
}

CSportUser::CSportUser(tgvPOI_C* record) : m_pPOI(record) {
  if (!record) return;
  if (record->GetName()) m_strName = record->GetName();
  if (GetUserTypeId(record->GetManager()) != 0) ReadFields();
}

void CSportUser::ReadFields() {
  tgvDatabase_C* db = m_pPOI->GetManager();
  auto text = [&](const char16_t* key, bool* present) {
    tgvVal_C* v = FindValue(m_pPOI, GetUserFieldDefId(db, key));
    if (present) *present = v != nullptr;
    return CString(v ? v->GetValue() : nullptr);
  };
  bool present = false;
  const CString gender = text(u"FieldGender", &present);
  if (present) m_nGender = gender == u"ValueMale" ? 0 : 1;
  m_strDeviceName = text(u"FieldDeviceName", nullptr);
  m_strNickName = text(u"FieldNickName", nullptr);
  const CString weight = text(u"FieldWeight", nullptr);
  if (!weight.IsEmpty()) m_dWeight = WStrToInt(weight);
  const CString height = text(u"FieldHeight", nullptr);
  if (!height.IsEmpty()) m_dHeight = WStrToInt(height);
  ReadBirth(text(u"FieldBirth", nullptr), m_nBirth);
  m_bActive = text(u"ActiveUser", nullptr) == u"1";
  // The goal fields are not kept; reading them gives a workspace their
  // definitions, as the logger program expects.
  for (const char16_t* key : kGoalKeys) GetFieldText(key);
  if (WStrToInt(GetFieldText(u"FieldGoalHasFitnessGoal")) != 0)
    for (const char16_t* key : kScheduleKeys) GetFieldText(key);
}

CString CSportUser::GetFieldText(const CString& key) const {
  if (!m_pPOI) return CString();
  tgvDatabase_C* db = m_pPOI->GetManager();
  if (GetUserTypeId(db) == 0) return CString();
  return ReadFieldText(m_pPOI, GetUserFieldDefId(db, key));
}

void CSportUser::AttachTrack(CSportTrack* track) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_lstTracks.AddTail(track);
  m_bTracksSorted = false;
  m_bChanged = true;
  track->m_pUser = this;
}

bool CSportUser::SortedLocked() {
  if (m_bTracksSorted) return true;
  m_bTracksSorted = true;
  std::vector<CSportTrack*> tracks;
  tracks.reserve(m_lstTracks.GetCount());
  for (PtrListNode_C* pos = m_lstTracks.GetHeadPosition(); pos;)
    tracks.push_back(static_cast<CSportTrack*>(PtrList_C::GetNext(pos)));
  std::stable_sort(tracks.begin(), tracks.end(),
                   [](const CSportTrack* a, const CSportTrack* b) { return CompareTracksByStartTime(a, b) < 0; });
  m_lstTracks.RemoveAll();
  for (CSportTrack* t : tracks) m_lstTracks.AddTail(t);
  return true;
}

void CSportUser::SortTracksByStartTime() {
  std::lock_guard<std::mutex> guard(m_lock);
  SortedLocked();
}

int32_t CSportUser::GetTrackCount() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return static_cast<int32_t>(m_lstTracks.GetCount());
}

int32_t CSportUser::FindTracks(const TrackFilter& filter, PtrList_C& out) {
  std::lock_guard<std::mutex> guard(m_lock);
  SortedLocked();
  const DateKey day{filter.nYear, filter.nMonth, filter.nDay};
  const DateKey from{filter.nFromYear, filter.nFromMonth, filter.nFromDay};
  const DateKey to{filter.nToYear, filter.nToMonth, filter.nToDay};
  for (PtrListNode_C* pos = m_lstTracks.GetHeadPosition(); pos;) {
    auto* t = static_cast<CSportTrack*>(PtrList_C::GetNext(pos));
    const DateKey start = StartDate(t);
    if (filter.bByDate && start != day) continue;
    if (filter.bByRange && (start < from || to < start)) continue;
    if (filter.bBySportType && (t->m_nSportType < 0 || t->m_nSportType > 8 || !filter.abSportType[t->m_nSportType]))
      continue;
    out.AddTail(t);
  }
  return static_cast<int32_t>(out.GetCount());
}
