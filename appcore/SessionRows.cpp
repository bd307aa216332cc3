#include "appcore/SessionRows.h"

#include <cmath>
#include <cstdint>

#include "datafiles/DataFiles.h"
#include "platform/classlib/CStdioFileEx.h"
#include "res_ids/resource_ids.h"

CString TrackMapDisplayName(const std::u16string& userData, const CString& mapName) {
  const std::u16string path = TrackMapNameFile(userData, mapName.Str());
  if (path.empty()) return CString();
  CStdioFileEx file;
  if (!file.Open(path.c_str(), CFile::typeText)) return CString();
  CString line;
  while (file.ReadString(line)) {
    if (line.Str() != u"name") continue;
    CString name;
    return file.ReadString(name) ? name : CString();
  }
  return CString();
}

namespace {

UINT StatusStringId(int32_t respCode) {
  switch (respCode) {
    case kRespUploaded:
      return kStrUploadSuccess;
    case kRespFailed:
      return kStrUploadFail;
    case kRespCannotAnalyse:
      return kStrCannotAnalyze;
    default:
      return 0;
  }
}

// Whole seconds of a duration that a corrupt row may carry as anything:
// negative, not a number or beyond any session read as 0.
int64_t WholeSeconds(double duration) {
  constexpr double kLongest = 1e12;
  if (!std::isfinite(duration) || duration <= 0.0 || duration > kLongest) return 0;
  return static_cast<int64_t>(duration);
}

}  // namespace

std::array<CString, 8> SessionRowTexts(const SessionSummary& r, int number, const CString& trackText) {
  std::array<CString, 8> t;
  t[0].Format(u"   %d ", number);
  if (const UINT status = StatusStringId(r.respCode)) t[1].LoadString(status);
  t[2].Format(u"  %s  ", r.nickName.GetString());
  t[3].Format(u"  %s  ", r.startDateTime.GetString());
  t[4].Format(u"  %s (%02d/%02d)  ", r.strBestLapTime.GetString(), r.bestLap, r.laps);
  const int64_t seconds = WholeSeconds(r.duration);
  t[5].Format(u"  %02lld : %02d : %02d  ", static_cast<long long>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
              static_cast<int>(seconds % 60));
  t[6] = trackText;
  t[7] = r.desc;
  return t;
}
