// The export interface of a project: each entry point returns false at once
// (writing no file) unless the project is open, and otherwise hands the
// project's document to its driver and returns the driver's result. Nothing
// in the program calls them.
#pragma once

#include <cstdint>

class PtrList_C;
class tgvProject_C;
class tgvValueDef_C;
struct MapPageOptions_C;

bool ExportKml(tgvProject_C* project, const char16_t* path, const char16_t* photoFolder, const char16_t* iconFolder);
bool ExportGMapHtml(tgvProject_C* project, const char16_t* path, const PtrList_C* pois, const PtrList_C* lines,
                    MapPageOptions_C* options, const char16_t* photoFolder, const char16_t* programFolder = nullptr);
// Point times in UTC (offset 0).
bool ExportGpx(tgvProject_C* project, const char16_t* path, const PtrList_C* pois, const PtrList_C* lines,
               const tgvValueDef_C* descriptionDef, const tgvValueDef_C* typeDef, int32_t mode, uint8_t route,
               uint8_t levelFilter);
bool ExportNmea(tgvProject_C* project, const char16_t* path, const PtrList_C* lines);
// Without progress reports.
bool ExportKmlFull(tgvProject_C* project, const char16_t* path, const PtrList_C* lines, uint8_t waypoints,
                   uint8_t levelFilter, uint8_t points);
bool ExportTrackPointFile(tgvProject_C* project, const char16_t* path, const PtrList_C* lines);
bool ExportPcx5(tgvProject_C* project, const char16_t* path, const PtrList_C* lines);
// Sorts the caller's list in time order.
bool ExportCsv(tgvProject_C* project, const char16_t* path, PtrList_C* lines, int32_t offsetMinutes);
