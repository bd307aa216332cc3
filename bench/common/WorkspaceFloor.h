// The floor the sport-model benchmarks measure against: the rows a start of
// the program reads from a generated workspace (the project database's field
// values, and each track's waypoints with their GPS logs from its point
// database), read with plain SQLite, with the sums of the statistics made in
// one pass. Aborts when the workspace gives no points.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

void ReadWorkspaceFloor(const std::string& workspace);

// What the workspace benchmarks share around their runs.
// The steady clock, in seconds.
double BenchNow();
// The shortest of `repeats` runs of each of `ours` and `floor`, which return
// their seconds. The two take turns, so that a busy spell of the machine
// falls on both alike.
std::pair<double, double> BestOfEach(int repeats, const std::function<double()>& ours,
                                     const std::function<double()>& floor);
// The sizes given as arguments (options, which scripts/bench passes, are not
// sizes), else `defaults`.
std::vector<int> BenchSizes(int argc, char** argv, std::vector<int> defaults);
// A new temporary folder that becomes the run's home (HOME and
// XDG_CONFIG_HOME), so that settings and documents stay out of the user's;
// empty when it cannot be made.
std::string MakeBenchHome(const std::string& name);
// The closing lines: the time per session of the largest size over the
// smallest's, and the peak resident memory.
void PrintScalingAndMemory(const std::vector<int>& sizes, double first, double last);
