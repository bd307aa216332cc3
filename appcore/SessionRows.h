// The texts of one session-list row, and the display name of a track map.
#pragma once

#include <array>
#include <string>

#include "platform/classlib/CString.h"
#include "webclient/SessionSummary.h"

// The display name of the track map `mapName`: in
// <userData>/TrackMap/<mapName>/<mapName>.txt (UTF-16LE with a byte-order
// mark, else UTF-8) the line after the first line that is exactly "name".
// Empty when the name is not a plain name, the file is missing or has no such
// line.
CString TrackMapDisplayName(const std::u16string& userData, const CString& mapName);

// Columns 0 to 7 of row `number` (counted from 1) for `r`: number, status
// (by the reply code, from the string table), user, date, fastest lap with
// its number and the laps, total time, `trackText` as it is, note.
std::array<CString, 8> SessionRowTexts(const SessionSummary& r, int number, const CString& trackText);
