// The two KML exports of a document (drivers of the KML writer).
//
// Positions: a point outside -180..180 / -90..90 is not written; an altitude
// at or below -3000 m is written as 0. Style ids are "<name>_<id>" of the
// document's display styles; records refer to theirs as "#<name>_<id>".
#pragma once

#include <cstdint>
#include <functional>

class PtrList_C;
class tgvDocument_C;

// Every style (with its icon under the icon folder, or the bare icon name
// when the folder is empty), every POI of the document as a placemark with
// its popup (photos from the photo folder) and a folder "Tracks" with every
// line that has points. False when the document is not open or the file
// cannot be written.
bool ExportKmlLines(tgvDocument_C* doc, const char16_t* path, const char16_t* photoFolder, const char16_t* iconFolder);

// Called after each line of the "WayPoints" folder with (index + 1) x 100 /
// count.
using KmlProgress_F = std::function<void(int percent)>;

// The lines in time order: with waypoints a folder "WayPoints" of the
// logged points (local time and speed in their description); the POIs
// attached to the lines; a folder "Tracks" with, per line, the line
// placemark and with points a folder of the line holding its timed logged
// points. With levelFilter points at a negative level are left out. False
// for an empty list, a document that is not open or a file not written.
bool ExportKmlFull(tgvDocument_C* doc, const char16_t* path, const PtrList_C* lines, uint8_t waypoints,
                   uint8_t levelFilter, uint8_t points, const KmlProgress_F& progress);

// The same, writing only the points of ranges: `ranges` holds waypoints
// taken in pairs, each pair a first and a last point of a range on one
// line, consumed in order as the lines are walked (again from the start for
// the "Tracks" folder). A range whose last point is missing from the list,
// or is not met on the line, runs to the end of its line; a pair whose first
// point is never met holds back the pairs after it. Null ranges: every point.
bool ExportKmlFullAlt(tgvDocument_C* doc, const char16_t* path, const PtrList_C* lines, uint8_t waypoints,
                      uint8_t levelFilter, uint8_t points, const KmlProgress_F& progress, const PtrList_C* ranges);
