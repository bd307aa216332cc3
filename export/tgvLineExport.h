// The line-oriented exports of a document's lines: NMEA 0183, the
// track-point file, PCX5 and CSV (drivers of their writers). Each writes the
// logged points of the listed lines (points without a GPS-log record are
// left out) with their stored positions as they are, and returns false for
// an empty or null list, a document that is not open, or a file that cannot
// be written.
#pragma once

#include <cstdint>

class PtrList_C;
class tgvDocument_C;

// The lines in time order; each point's course is from the previous point
// of its line (logged or not), 0 for a line's first point.
bool ExportNmea(tgvDocument_C* doc, const char16_t* path, const PtrList_C* lines);
// The lines in time order, one track (count line 0).
bool ExportTrackPointFile(tgvDocument_C* doc, const char16_t* path, const PtrList_C* lines);
// The lines in time order, one named track each.
bool ExportPcx5(tgvDocument_C* doc, const char16_t* path, const PtrList_C* lines);
// Sorts the caller's list itself (SortLinesByTime), then writes one row per
// logged point: the line's number from 1, its position, UTC and local time
// (UTC + offsetMinutes), speed, the course to the next point (the last point
// of a line keeps the previous course), the point's lap number as status
// (never negative, so "FIXED"), whether it has an attachment and its
// G-sensor values (0 without). ExportCsv writes the default layout,
// ExportCsvAlt layout 1.
bool ExportCsv(tgvDocument_C* doc, const char16_t* path, PtrList_C* lines, int32_t offsetMinutes);
bool ExportCsvAlt(tgvDocument_C* doc, const char16_t* path, PtrList_C* lines, int32_t offsetMinutes);
