#include "sport/TrackPoints.h"

#include <cmath>
#include <new>
#include <vector>

#include "icbase/src/icutil/mempool.h"
#include "trackdb/tgvGeometry.h"
#include "trackdb/tgvRecord.h"

namespace {

uint64_t LogTime(uint32_t high, uint32_t low) { return (static_cast<uint64_t>(high) << 32) | low; }

// Grade of a stretch: the rise of its mean over the previous stretch's mean
// along the distance covered; 0.0 on no distance and beyond the limit.
double StretchGrade(double mean, double previousMean, double distanceKm) {
  if (distanceKm == 0.0) return 0.0;
  const double grade = (mean - previousMean) * 100.0 / (distanceKm * 1000.0);
  return std::isfinite(grade) && grade <= kGradeLimit && grade >= -kGradeLimit ? grade : 0.0;
}

void FillPoints(TrackPointEntry* e, int32_t n, const PtrList_C& points, std::vector<GreatCirclePoint>& at) {
  uint64_t origin = 0;
  PtrListNode_C* pos = points.GetHeadPosition();
  for (int32_t k = 0; k < n; ++k) {
    auto* p = static_cast<tgvWayPoint_C*>(PtrList_C::GetNext(pos));
    e[k].point = p;
    uint32_t t1 = 0, t2 = 0;
    double speed = 0.0;
    const bool logged = p->GetLogTimeSpeed(&t1, &t2, &speed);
    const uint64_t t = logged ? LogTime(t1, t2) : 0;
    if (k == 0) origin = t;
    e[k].time = logged && k > 0 ? static_cast<int64_t>(t - origin) : 0;
    e[k].speed = logged ? speed : 0.0;
    e[k].altitude = p->GetAltitude() < 0.0 ? 0.0 : p->GetAltitude();
    at[k] = MakeGreatCirclePoint(p->GetGeoPoint());
    e[k].distance = k == 0 ? 0.0 : e[k - 1].distance + GreatCirclePointDistanceKm(at[k - 1], at[k]);
  }
}

// The straight distance from a stretch's start never exceeds the path driven
// since (a sum of great-circle steps) while every point between has a
// position, so it is measured only once the path comes within a metre of the
// stretch length; the metre is far beyond the rounding of the summed steps.
constexpr double kSurelyInsideStretchKm = kGradeStretchKm - 0.001;

void FillStretches(TrackPointEntry* e, int32_t n, const std::vector<GreatCirclePoint>& at) {
  int32_t a = 0;
  int32_t lastWithout = -1;  // the latest point without a position
  for (int32_t i = 1; i < n; ++i) {
    const bool pathBounds = lastWithout <= a;
    if (!at[i].valid) lastWithout = i;
    if (i != n - 1 && pathBounds && e[i].distance - e[a].distance <= kSurelyInsideStretchKm) continue;
    const double d = GreatCirclePointDistanceKm(at[a], at[i]);
    if (!(d > kGradeStretchKm) && i != n - 1) continue;
    double sum = 0.0;
    for (int32_t k = a; k < i; ++k) sum += e[k].altitude;
    const double mean = sum / (i - a);
    // Entry a still holds the previous stretch's mean.
    const double grade = a == 0 ? 0.0 : StretchGrade(mean, e[a].smoothedAltitude, e[i].distance - e[a].distance);
    for (int32_t k = a; k <= i; ++k) {
      e[k].smoothedAltitude = mean;
      e[k].grade = grade;
    }
    e[i].stretchEnd = true;
    a = i;
  }
}

void FillClimb(TrackPointEntry* e, int32_t n) {
  for (int32_t i = 1; i < n; ++i) {
    const double diff = e[i].smoothedAltitude - e[i - 1].smoothedAltitude;
    e[i].ascent = e[i - 1].ascent + (diff > 0.0 ? diff : 0.0);
    e[i].descent = e[i - 1].descent + (diff < 0.0 ? -diff : 0.0);
  }
}

}  // namespace

std::unique_ptr<TrackPointEntry[]> BuildTrackPointEntries(const PtrList_C& points, int32_t* count) {
  if (count) *count = 0;
  const uint32_t total = points.GetCount();
  if (total == 0 || total > INT32_MAX) return nullptr;
  const auto n = static_cast<int32_t>(total);
  std::unique_ptr<TrackPointEntry[]> entries(new (std::nothrow) TrackPointEntry[n]);
  if (!entries) return nullptr;
  // Each point is measured against its neighbour and against its stretch's
  // start: its latitude's cosine is taken once for both.
  std::vector<GreatCirclePoint> at;
  try {
    at.resize(static_cast<size_t>(n));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  FillPoints(entries.get(), n, points, at);
  FillStretches(entries.get(), n, at);
  FillClimb(entries.get(), n);
  if (count) *count = n;
  return entries;
}

std::unique_ptr<TrackPointEntry[]> BuildTrackPoints(tgvLine_C* line, int32_t* count) {
  if (count) *count = 0;
  if (!line) return nullptr;
  PtrList_C points;
  line->CollectPoints(&points, false, -1);
  return BuildTrackPointEntries(points, count);
}
