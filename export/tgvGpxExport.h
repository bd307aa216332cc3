// The GPX export of a document (driver of the GPX writer).
#pragma once

#include <cstdint>

class PtrList_C;
class tgvDocument_C;
class tgvValueDef_C;

// The POIs as waypoints, then each line as a track (or a route with
// route set), both lists in time order. A POI's or point's description and
// a POI's type are the texts of its values for the given definitions (none
// without a definition or a value). A point carries the name of the POI of
// its first attachment, its logged time moved by offsetMinutes (with its
// milliseconds; a non-zero offset writes local times, still marked "Z"), its
// logged speed (km/h, shown by mode 5) and, in a track, its heart rate.
// Points without a log record have no time. With levelFilter points at a
// negative level are left out. The stored positions are written as they are.
// False when the document is not open or the file cannot be written.
bool ExportGpx(tgvDocument_C* doc, const char16_t* path, const PtrList_C* pois, const PtrList_C* lines,
               const tgvValueDef_C* descriptionDef, const tgvValueDef_C* typeDef, int32_t mode, uint8_t route,
               uint8_t levelFilter, int32_t offsetMinutes);
