// The drag-racing types of the settings: "DragRacingTypeNum", then
// "DragRacingType_1" ... each holding "<kind> <first> <second> <imperial>".
#pragma once

#include <cstdint>

#include "platform/classlib/CString.h"

class CSportProjMgr;

struct DragTypeText {
  int32_t kind = 0;
  float first = 0.0f;
  float second = 0.0f;
  int32_t imperial = 0;
};

// Reads "%d %f %f %d" with '.' whatever the locale; fields that are missing
// or malformed, and all that follow them, stay 0.
DragTypeText ParseDragType(const CString& text);

// Appends every stored drag type to the manager, in stored order, then marks
// its list complete (also when there is none). Returns how many were added.
int32_t LoadDragRacingTypes(CSportProjMgr& manager);
