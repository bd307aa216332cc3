// How a recorded session of the sport model becomes a session-list record:
// the texts and numbers the row thread of the main window takes from a track.
#pragma once

#include <cstdint>

#include "platform/classlib/CString.h"
#include "sport/SportProjMgr.h"
#include "uploader/SessionSummary.h"

class CSportTrack;
class CSportUser;

// The condition of a drag band as the list shows it: by unit 0 (metric)
// "%d m", "%d-%d km/h", "%.f secs"; by unit 1 (imperial) "1/4 mile" and the
// other binary fractions of a mile from 1/32 to 1 (an exact match), else
// "%.2f mile", then "%d-%d mph", "%.f secs". Empty for any other unit or
// kind: the session keeps its track-map name.
CString DragConditionText(const CSportProjMgr::DragType& type);

// Fills `out` (a fresh record) from the track of `user`. A drag session needs
// a matching drag type of `manager`: false, and nothing to list, without one.
// The track-map name must be one plain name, else it is left empty (the
// session is counted but not listable).
bool SummariseTrack(const CSportProjMgr& manager, const CSportUser& user, CSportTrack& track, SessionSummary& out);
// SummariseTrack as the row thread runs it: under the manager's analysis
// lock, so that an upload of the same session on another thread never lets
// the points or the analysis go under it; the points are let go at the end,
// having been loaded for this summary only.
bool SummariseSession(CSportProjMgr& manager, const CSportUser& user, CSportTrack& track, SessionSummary& out);
