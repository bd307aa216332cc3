#include "sport/TrackStatistics.h"

#include "icbase/src/icutil/mempool.h"
#include "sport/TrackPoints.h"
#include "trackdb/tgvRecord.h"

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kOneHour = 36000000000;
// Altitudes at or below this are not measurements.
constexpr double kLowestAltitude = -200.0;
constexpr double kFastestSpeed = 3000.0;

// Sums and differences of times from a file wrap as unsigned numbers do,
// rather than overflow.
int64_t Wrap(uint64_t v) { return static_cast<int64_t>(v); }
int64_t Plus(int64_t a, int64_t b) { return Wrap(static_cast<uint64_t>(a) + static_cast<uint64_t>(b)); }
int64_t Minus(int64_t a, int64_t b) { return Wrap(static_cast<uint64_t>(a) - static_cast<uint64_t>(b)); }

double ValidAltitude(double altitude) { return altitude < kLowestAltitude ? 0.0 : altitude; }

// value * factor / whole seconds of the duration; 0.0 below one second.
double PerSeconds(double value, double factor, int64_t duration) {
  const int64_t secs = duration / kTicksPerSecond;
  return secs > 0 ? value * factor / static_cast<double>(secs) : 0.0;
}

void TakeExtremes(const TrackPointEntry* e, int32_t n, TrackStatistics* s) {
  s->startElevation = ValidAltitude(e[0].point->GetAltitude());
  s->endElevation = ValidAltitude(e[n - 1].point->GetAltitude());
  s->maxElevation = -100000.0;
  s->minElevation = 100000.0;
  for (int32_t i = 0; i < n; ++i) {
    const double alt = e[i].point->GetAltitude();
    if (alt > s->maxElevation) s->maxElevation = alt;
    if (alt < s->minElevation && alt > kLowestAltitude) s->minElevation = alt;
    const double speed = e[i].speed < 0.0 || e[i].speed > kFastestSpeed ? 0.0 : e[i].speed;
    if (speed > s->maxSpeed) s->maxSpeed = speed;
  }
}

struct Walk {
  double climbingDist = 0.0;
  double descendingDist = 0.0;
};

// One grade stretch from entry prev to entry i.
void TakeStretch(const TrackPointEntry* e, int32_t prev, int32_t i, TrackStatistics* s, Walk* w) {
  const double dAlt = e[i].smoothedAltitude - e[prev].smoothedAltitude;
  const double dDist = e[i].distance - e[prev].distance;
  int64_t moving = 0, stopped = 0;
  for (int32_t k = prev + 1; k <= i; ++k) {
    const int64_t dt = Minus(e[k].time, e[k - 1].time);
    if (static_cast<uint64_t>(dt) <= kMaxMovingStep && e[k].speed > kMovingSpeed)
      moving += dt;
    else
      stopped = Plus(stopped, dt);
  }
  const double grade = dDist == 0.0 ? 0.0 : dAlt / (dDist * 1000.0) * 100.0;
  if (grade > kClimbGrade) {
    s->ascentTime = Plus(s->ascentTime, moving);
    s->ascentDist += dDist;
  } else if (grade < -kClimbGrade) {
    s->descentTime = Plus(s->descentTime, moving);
    s->descentDist += dDist;
  } else {
    s->flatTime = Plus(s->flatTime, moving);
    s->flatDist += dDist;
  }
  s->totalStoppedTime = Plus(s->totalStoppedTime, stopped);
  if (grade < kGradeLimit && grade > s->maxAscentGrade) s->maxAscentGrade = grade;
  if (grade > -kGradeLimit && grade < s->maxDescentGrade) s->maxDescentGrade = grade;
  // A stretch moving under a second has no vertical rate.
  const int64_t secs = moving / kTicksPerSecond;
  if (dAlt > 0.0) {
    w->climbingDist += dDist;
    if (secs > 0 && dAlt * 60.0 / secs > s->maxAscentVerticalSpeed) s->maxAscentVerticalSpeed = dAlt * 60.0 / secs;
  } else if (dAlt < 0.0) {
    w->descendingDist += dDist;
    if (secs > 0 && -dAlt * 60.0 / secs > s->maxDescentVerticalSpeed) s->maxDescentVerticalSpeed = -dAlt * 60.0 / secs;
  }
}

void TakeAverages(const Walk& w, TrackStatistics* s) {
  s->averageSpeed = PerSeconds(s->totalDistance, 3600.0, s->totalTime);
  s->averageMovingSpeed = PerSeconds(s->totalDistance, 3600.0, s->totalMovingTime);
  s->ascentSpeed = PerSeconds(s->ascentDist, 3600.0, s->ascentTime);
  s->descentSpeed = PerSeconds(s->descentDist, 3600.0, s->descentTime);
  s->flatSpeed = PerSeconds(s->flatDist, 3600.0, s->flatTime);
  s->avgAscentVerticalSpeed = PerSeconds(s->totalAscent, 60.0, s->ascentTime);
  s->avgDescentVerticalSpeed = PerSeconds(s->totalDescent, 60.0, s->descentTime);
  s->avgAscentGrade = w.climbingDist > 0.0 ? s->totalAscent * 100.0 / (w.climbingDist * 1000.0) : 0.0;
  s->avgDescentGrade = w.descendingDist > 0.0 ? -s->totalDescent * 100.0 / (w.descendingDist * 1000.0) : 0.0;
  s->overallGrade =
      s->totalDistance > 0.0 ? (s->totalAscent + s->totalDescent) * 100.0 / (s->totalDistance * 1000.0) : 0.0;
}

}  // namespace

namespace {

bool ComputeStatisticsOfEntries(const TrackPointEntry* e, int32_t n, double length, uint64_t start, uint64_t end,
                                TrackStatistics* out) {
  if (!out || !e || n <= 0) return false;
  TrackStatistics s;
  s.totalDistance = length;
  s.startTime = start;
  s.endTime = end;
  s.totalTime = start > end ? kOneHour : Wrap(end - start);
  TakeExtremes(e, n, &s);
  s.totalAscent = e[n - 1].ascent;
  s.totalDescent = e[n - 1].descent;
  Walk walk;
  // The walk starts at the second entry: the step from the first point to
  // the second counts neither as moving nor as stopped.
  for (int32_t i = 1, prev = 1; i < n; ++i) {
    if (!e[i].stretchEnd) continue;
    TakeStretch(e, prev, i, &s, &walk);
    prev = i;
  }
  if (s.totalStoppedTime >= s.totalTime) s.totalStoppedTime = 0;
  s.totalMovingTime = Minus(s.totalTime, s.totalStoppedTime);
  TakeAverages(walk, &s);
  *out = s;
  return true;
}

}  // namespace

bool ComputeStatisticsOfPoints(const PtrList_C& points, double length, uint64_t start, uint64_t end,
                               TrackStatistics* out) {
  int32_t n = 0;
  std::unique_ptr<TrackPointEntry[]> entries = BuildTrackPointEntries(points, &n);
  return ComputeStatisticsOfEntries(entries.get(), n, length, start, end, out);
}

bool ComputeTrackStatistics(tgvLine_C* line, TrackStatistics* out) {
  int32_t n = 0;
  std::unique_ptr<TrackPointEntry[]> entries = BuildTrackPoints(line, &n);
  return ComputeTrackStatistics(line, entries.get(), n, out);
}

bool ComputeTrackStatistics(tgvLine_C* line, const TrackPointEntry* entries, int32_t count, TrackStatistics* out) {
  if (!line || !entries || count <= 0) return false;
  uint32_t t1 = 0, t2 = 0;
  if (!line->GetTime(&t1, &t2)) {
    t1 = t2 = 0;
    entries[0].point->GetLogTimeSpeed(&t1, &t2, nullptr);
  }
  const uint64_t start = (static_cast<uint64_t>(t1) << 32) | t2;
  t1 = t2 = 0;
  line->GetEndTime(&t1, &t2);
  const uint64_t end = (static_cast<uint64_t>(t1) << 32) | t2;
  return ComputeStatisticsOfEntries(entries, count, line->GetLength(), start, end, out);
}
