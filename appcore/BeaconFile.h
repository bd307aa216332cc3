// Reader of the beacon files (.bcnx) that come with each track map: the
// start, finish and split lines of a circuit.
//
// Layout (little-endian, no padding): a 180-byte header whose last field
// (offset 176, int32) is the number of entries, then 64-byte entries:
// type int32, name 32 bytes (not used), latitude double, longitude double,
// heading float, width int32, colour int32. The reader takes whatever
// follows the entries for another such block, to the end of the file; a
// well-formed file holds one.
#pragma once

#include <cstdint>

#include "lapgear/LapGear.h"

constexpr int32_t kBeaconHeaderSize = 180;
constexpr int32_t kBeaconEntrySize = 64;

// The number of beacons the file holds: the header's count, clamped to
// 0 .. the entries really present ((file size - 180) / 64). 0 when the file
// cannot be opened, is not a regular file or is shorter than one header and
// one entry.
int32_t ReadBeaconCount(const char16_t* path);

// True when the reader reads the file whole, given the room ReadBeaconCount
// gives: the first header's count is at least 1, every block has all the
// entries its count gives and no more than the first, and the last block
// ends where the file ends. A page of text served in its place, or a beacon
// file followed by anything else (padding, a short header), never is.
bool IsWholeBeaconFile(const char16_t* path);

// Fills `beacons` (room for `capacity` records) from the file and returns how
// many records it filled: pass only those to the lap engine (a record left
// unfilled is all zeros, which would read as a start/finish line at 0, 0).
// The whole array is zeroed first; entries beyond the room are dropped. Names
// are "Start/Finish", "Start", "Finish" and "S1", "S2", ... by type; an entry
// of another type keeps an empty name. Returns 0 (array untouched) when the
// file cannot be opened, is not a regular file or is shorter than one header
// and one entry. Reading stops at a short read.
int32_t ReadBeaconFile(const char16_t* path, BeaconRec* beacons, int32_t capacity);
