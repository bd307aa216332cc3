// The lap analysis of one track: the laps, sectors and drag runs found on its
// points. The analysis itself comes with the track's points and statistics;
// here it is the sport object of kind 14 that owns its laps.
#pragma once

#include "sport/SportObj.h"

class CSportLapAnalysis : public CSportObj {
 public:
  int GetType() const override { return 14; }
};
