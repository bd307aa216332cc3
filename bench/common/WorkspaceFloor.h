// The floor the sport-model benchmarks measure against: the rows a start of
// the program reads from a generated workspace (the project database's field
// values, and each track's waypoints with their GPS logs from its point
// database), read with plain SQLite, with the sums of the statistics made in
// one pass. Aborts when the workspace gives no points.
#pragma once

#include <string>

void ReadWorkspaceFloor(const std::string& workspace);
