#include "sport/SportTrack.h"

#include <map>
#include <string>

#include "platform/win32/wstr.h"
#include "sport/FieldForms.h"
#include "sport/SportFieldIds.h"
#include "sport/SportLapAnalysis.h"
#include "sport/TrackPoints.h"
#include "trackdb/tgvDatabase.h"

namespace {

struct NameRegistry {
  std::mutex lock;
  std::map<std::u16string, CSportTrack*> byName;
};

NameRegistry& Names() {
  static NameRegistry registry;
  return registry;
}

const char16_t* const kSportTypes[] = {u"Cycling", u"Running", u"Hiking",     u"MotorCycling",
                                       u"Rowing",  u"Skiing",  u"MultiSport", u"Car Racing"};
const char16_t* const kRacingTypes[] = {u"Endurance",  u"Sprint",  u"Qualify",    u"CircuitOhter",
                                        u"DragRacing", u"DataLog", u"RallyRacing"};

bool IsOne(const CString& text) { return WStrToInt(text) == 1; }

}  // namespace

int32_t SportTypeOf(const CString& text) {
  for (int32_t i = 0; i < static_cast<int32_t>(std::size(kSportTypes)); ++i)
    if (text == kSportTypes[i]) return i;
  return CSportTrack::kOthers;
}

int32_t RacingTypeOf(const CString& text) {
  for (int32_t i = 0; i < static_cast<int32_t>(std::size(kRacingTypes)); ++i)
    if (text == kRacingTypes[i]) return i;
  return CSportTrack::kSprint;
}

CSportTrack::CSportTrack(tgvLine_C* line) : m_pLine(line) {
  const CString unique = MakeUniqueName(CString(line->GetName()));
  line->SetName(unique);
  if (GetTrackTypeId(line->GetManager()) != 0) {
    m_nUserID = WStrToInt(GetFieldText(u"FieldUserID"));
    ParseTimeText(GetFieldText(u"FieldStartTime"), &m_ftStart);
    ParseTimeText(GetFieldText(u"FieldEndTime"), &m_ftEnd);
    const CString zone = GetFieldText(u"FieldTimeZone");
    m_bZoneAtOpen = !zone.IsEmpty();
    m_nZoneAtOpen = WStrToInt(zone);
    m_bDSTAtOpen = IsOne(GetFieldText(u"FieldDST"));
  }
  // A line without a style gets its own in the project database.
  tgvStyle_C* style = line->GetStyle();
  if (!style) style = tgvStyle_C::CreateOwn(line->GetManager(), line);
  m_pStyle = new CSportStyle(style);
  ReadFields();
}

CSportTrack::~CSportTrack() {
  NameRegistry& names = Names();
  {
    std::lock_guard<std::mutex> guard(names.lock);
    auto it = names.byName.find(m_strUniqueName.Str());
    if (it != names.byName.end() && it->second == this) names.byName.erase(it);
  }
  delete m_pStyle;
}

void CSportTrack::ReadFields() {
  m_nSportType = SportTypeOf(GetFieldText(u"SportType"));
  m_nRacingType = RacingTypeOf(GetFieldText(u"RacingType"));
  m_nVideoNum = WStrToInt(GetFieldText(u"VideoNum"));
  m_fCarWeight = static_cast<float>(WStrToDouble(GetFieldText(u"CarWeight")));
  m_fRacerWeight = static_cast<float>(WStrToDouble(GetFieldText(u"RacerWeight")));
  m_strNote = GetFieldText(u"FieldNote");
  m_bMarkedTrack = IsOne(GetFieldText(u"MarkedTrack"));
  m_strMarkedTrackName = GetFieldText(u"MarkedTrackName");
  m_nDeviceModel = WStrToInt(GetFieldText(u"DeviceModel"));
  m_strCircuitType = GetFieldText(u"Kt7CircuitType");
  m_strDragStartWp = GetFieldText(u"Kt7DragStartWp");
  m_strUsedBcn = GetFieldText(u"UsedBcn");
  m_strUsedManualBcn = GetFieldText(u"UsedManualBcn");
  m_dTrackMapDiffLat = WStrToDouble(GetFieldText(u"TrackMapDiffLat"));
  m_dTrackMapDiffLon = WStrToDouble(GetFieldText(u"TrackMapDiffLon"));
  m_bImported = IsOne(GetFieldText(u"FieldImported"));
  m_bZELUploaded = IsOne(GetFieldText(u"FieldZELUploaded"));
}

CString CSportTrack::MakeUniqueName(const CString& name) {
  NameRegistry& names = Names();
  std::lock_guard<std::mutex> guard(names.lock);
  CString candidate = name;
  for (int n = 1; names.byName.count(candidate.Str()); ++n) candidate.Format(u"%s(%d)", name.GetString(), n);
  names.byName[candidate.Str()] = this;
  m_strUniqueName = candidate;
  return candidate;
}

CSportTrack* CSportTrack::FindByName(const CString& name) {
  NameRegistry& names = Names();
  std::lock_guard<std::mutex> guard(names.lock);
  auto it = names.byName.find(name.Str());
  return it == names.byName.end() ? nullptr : it->second;
}

uint32_t CSportTrack::FieldId(const CString& key) const {
  tgvDatabase_C* db = m_pLine->GetManager();
  return GetTrackTypeId(db) ? GetTrackFieldDefId(db, key) : 0;
}

CString CSportTrack::GetFieldText(const CString& key) const { return ReadFieldText(m_pLine, FieldId(key)); }

void CSportTrack::SetFieldText(const CString& key, const CString& text) { WriteFieldText(m_pLine, FieldId(key), text); }

void CSportTrack::SetFieldDouble(const CString& key, double value) { SetFieldText(key, DoubleText(value)); }
void CSportTrack::SetFieldInt(const CString& key, int32_t value) { SetFieldText(key, IntText(value)); }
void CSportTrack::SetFieldDuration(const CString& key, int64_t duration) { SetFieldText(key, DurationText(duration)); }
void CSportTrack::SetFieldTime(const CString& key, uint64_t time) { SetFieldText(key, TimeText(time)); }

int64_t& CSportTrack::GetFieldDuration(const CString& key, int64_t& out) const {
  out = ParseDurationText(GetFieldText(key));
  return out;
}

bool CSportTrack::LoadZoneLocked() {
  if (m_bTimeZoneCached) return true;
  const CString zone = GetFieldText(u"FieldTimeZone");
  if (zone.IsEmpty()) return false;
  m_nTimeZone = WStrToInt(zone);
  m_bDST = IsOne(GetFieldText(u"FieldDST"));
  m_strTimeZone = GetFieldText(u"FieldTimeZoneString");
  m_bTimeZoneCached = true;
  return true;
}

bool CSportTrack::ReadStoredZone(int32_t& minutes, bool& dst, CString& name) {
  std::lock_guard<std::mutex> guard(m_zoneLock);
  if (!LoadZoneLocked()) return false;
  minutes = m_nTimeZone;
  dst = m_bDST;
  name = m_strTimeZone;
  return true;
}

void CSportTrack::GetTimeZone(int32_t& minutes, bool& dst, CString& name) { ReadStoredZone(minutes, dst, name); }

CSportTrack::ShownStart CSportTrack::GetShownStart() const {
  if (m_bZoneAtOpen) return {ShiftToZone(m_ftStart, m_nZoneAtOpen, m_bDSTAtOpen), m_nZoneAtOpen};
  const ComputerZone computer = ComputerZoneAt(m_ftStart);
  return {m_ftStart + static_cast<uint64_t>(computer.offset), computer.bias};
}

void CSportTrack::SetTimeZone(int32_t minutes, bool dst, const CString& name) {
  SetFieldInt(u"FieldTimeZone", minutes);
  SetFieldText(u"FieldDST", BoolText(dst));
  SetFieldText(u"FieldTimeZoneString", name);
  std::lock_guard<std::mutex> guard(m_zoneLock);
  m_nTimeZone = minutes;
  m_bDST = dst;
  m_strTimeZone = name;
  m_bTimeZoneCached = true;
}

TrackTimes& CSportTrack::GetLocalTime(TrackTimes& out, bool toLocal) {
  out.start = m_ftStart;
  out.end = m_ftEnd;
  if (!toLocal) return out;
  std::lock_guard<std::mutex> guard(m_zoneLock);
  if (!LoadZoneLocked()) return out;
  out.start = ShiftToZone(out.start, m_nTimeZone, m_bDST);
  out.end = ShiftToZone(out.end, m_nTimeZone, m_bDST);
  return out;
}

double CSportTrack::GetTotalDistance() const { return WStrToDouble(GetFieldText(u"FieldTotalDistance")); }

int64_t& CSportTrack::GetTotalTime(int64_t& out) const {
  out = 0;
  return GetFieldDuration(u"FieldTotalTime", out);
}

bool CSportTrack::GetDragSettingsByType(int32_t& kind, double& start, double& end) const {
  kind = 0;
  const CString type = GetFieldText(u"FieldDragType");
  if (!type.IsEmpty()) kind = WStrToInt(type);
  start = WStrToDouble(GetFieldText(u"FieldDragDistanceStart"));
  end = WStrToDouble(GetFieldText(u"FieldDragDistance"));
  return m_nRacingType == kDragRacing;
}

bool CSportTrack::GetDragSettings(bool& isDistance, double& start, double& end) const {
  isDistance = true;
  const CString flag = GetFieldText(u"FieldDragIsDistance");
  if (!flag.IsEmpty()) isDistance = IsOne(flag);
  start = WStrToDouble(GetFieldText(u"FieldDragDistanceStart"));
  end = WStrToDouble(GetFieldText(u"FieldDragDistance"));
  return m_nRacingType == kDragRacing;
}
