// Lines and their waypoints. A line (tgvLine_C) is a chain of waypoints: it
// names its first and last point and every point names the next. The
// operations declared in tgvLine_C are implemented in tgvLine.cpp; this
// header adds the sample type of AppendPoint and the time order of lines.
//
// Segments: in memory a line's group holds segment groups of at most
// kSegmentPoints consecutive points; neighbouring segments share their
// boundary point (the last of one is the first of the next), whose segment
// pointer names the later segment.
//
// Levels (ComputeLevels): the simplification picks, between two kept
// points, the point farthest from their chord (planar degrees) while that
// distance is above 4e-5; a picked point with deviation d gets level n =
// the number of leading thresholds (tgvDocument_C::GetLevelThresholds)
// above d, the others -1. The line's first and last points and every
// segment's first point get level 0. A filter at level L keeps the points
// whose level is not -1 and at most L.
//
// Every walk along a chain read from a file is bounded by the number of
// records of its type: a cycle ends the walk.
//
// Encodings: EncodePolyline appends, for each kept point (level not
// negative, or the first or last point), the latitude and longitude
// differences (floor of degrees x 1e5) in the signed Encoded Polyline
// value encoding and 17 - level in the unsigned one (a negative result is
// written as the single character value + 63), each escaped for a
// JavaScript string. With shift 1 positions are moved by ChinaMapShift.
// A point whose latitude or longitude is not finite is left out (with its
// level); values are held within +-2^30 units, so that differences fit.
// PathSampleJson samples by time, from the line's start time (GetTime) to
// its last point's GPS time, when both exist and the end is later; by point
// count otherwise.
#pragma once

#include <cstdint>

#include "icbase/src/icutil/times.h"
#include "trackdb/tgvRecord.h"

constexpr uint32_t kSegmentPoints = 512;

// The GPS-log record of a new point.
struct tgvGPSSample {
  IntPair_C time;      // FILETIME words, high first
  double speed = 0.0;  // km/h
  double gx = 0.0;
  double gy = 0.0;
  double gz = 0.0;
};

// Time order: -1, 0, 1. Items without a time come after those with one;
// two items without a time compare equal. A line's time is its start time
// (tgvLine_C::GetTime, which may write the time back); a POI's is
// tgvPOI_C::GetTime, (0, 0) counting as none; a waypoint's is its GPS time.
int CompareLinesByStartTime(tgvLine_C* a, tgvLine_C* b);
int CompareLinesByTime(tgvLine_C* a, tgvLine_C* b);
int ComparePOIsByTime(const tgvPOI_C* a, const tgvPOI_C* b);
int CompareWayPointsByTime(const tgvWayPoint_C* a, const tgvWayPoint_C* b);

// Reorders a list of lines by start time; equal times keep their order.
// Each line's time is read once, before sorting.
void SortLinesByTime(PtrList_C* list);
