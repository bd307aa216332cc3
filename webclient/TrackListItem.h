// One track map of the service's track list, and one row of the local
// track-map table. A larger uDate is newer.
#pragma once

#include <cstdint>

#include "platform/classlib/CString.h"

struct TrackListItem {
  int32_t mapId = 0;  // the service's id; 0 = no track
  int32_t uDate = 0;  // the map's change stamp
  CString type;
  CString Label;     // the track's name: the key by which sessions find their track
  CString BCNXFile;  // address of the map's beacon file; not stored
};
