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
// The peak resident memory of this process, in MB.
double PeakResidentMb();
// A generated sample workspace of one-minute sessions (10 and 20 Hz, every
// race type) and the documents folder that holds its track map. Made once
// in the build folder (build/bench/bench-workspaces) and kept between runs;
// delete that folder to make them again.
struct BenchWorkspace {
  std::string root;
  std::string documents;
};
// The workspace of that many sessions, generated when it is not there yet;
// aborts when it cannot be made.
BenchWorkspace GeneratedWorkspace(int sessions);

// What one size of a workspace benchmark measures: ms per session of ours
// and of the floor.
struct SizeFigures {
  double ours = 0.0;
  double floor = 0.0;
};
// Runs the benchmark once per size, each size in a process of its own (this
// program again, given "--size N"), so that each size's peak resident memory
// is its own; the workspaces are generated first, by this process. Prints
// one row per size (time per session, ours/floor, peak resident memory) and
// the time per session of the largest size over the smallest's (goal: at
// most 1.3). Returns the program's exit code.
int RunSizesApart(int argc, char** argv, std::vector<int> defaults, const char* floorName,
                  const std::function<SizeFigures(int sessions)>& measure);
