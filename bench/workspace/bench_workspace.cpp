// Opening and loading a workspace and computing every session's statistics:
// the sport model's share of a start of the program. Workspaces of 250,
// 1,000 and 2,000 one-minute sessions (10 and 20 Hz, every race type) are
// generated once; each is opened by the sport project manager, and every
// track's statistics (lap analysis included) are computed, its points let go
// after use. The reference, in the same run, is the floor: the same rows read
// with plain SQLite (the project database's values, each point database's
// waypoints with their GPS logs) and the same kind of sums made in one pass.
// Sizes may be given as arguments (bench_workspace 250 1000). Prints the time per session at each size, the ratio
// largest/smallest (goal: at most 1.3), ours/floor (goal: at most 3) and the peak resident memory.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/common/WorkspaceFloor.h"
#include "platform/win32/utf.h"
#include "sport/SportProjMgr.h"
#include "sport/SportTrack.h"
#include "tools/projgen/SampleWorkspace.h"

namespace {

constexpr int kRepeats = 5;

std::string Workspace(const std::string& base, int sessions) { return base + "/ws" + std::to_string(sessions); }

double Ours(const std::string& ws) {
  const double t0 = BenchNow();
  CSportProjMgr* mgr = CSportProjMgr::GetInstance();
  if (mgr->OpenWorkspace(Utf8ToUtf16(ws).c_str()) != kWorkspaceOk) std::abort();
  for (CSportTrack* t : mgr->GetTracks()) {
    t->ComputeStatistics();
    t->ReleaseTrackPoints();
  }
  const double elapsed = BenchNow() - t0;
  // Closed outside the measured time, as the start-up benchmark does: the
  // next open would otherwise first take down this one.
  mgr->CloseWorkspace();
  return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<int> sizes = BenchSizes(argc, argv, {250, 1000, 2000});
  const std::string base = MakeBenchHome("bench_workspace");
  if (base.empty()) return 1;
  for (int size : sizes) {
    projgen::SampleOptions options;
    options.sessions = size;
    options.seconds = 60.0;
    std::printf("generating %d sessions...\n", size);
    std::fflush(stdout);
    if (!projgen::WriteSampleWorkspace(Utf8ToUtf16(Workspace(base, size)), options)) return 1;
  }
  std::printf("\nsessions  ours ms/session  floor ms/session  ours/floor\n");
  double first = 0.0, last = 0.0;
  for (int size : sizes) {
    const std::string ws = Workspace(base, size);
    const auto [ours, floor] = BestOfEach(
        kRepeats, [&] { return Ours(ws) * 1000.0 / size; },
        [&] {
          const double t0 = BenchNow();
          ReadWorkspaceFloor(ws);
          return (BenchNow() - t0) * 1000.0 / size;
        });
    std::printf("%8d  %15.3f  %16.3f  %10.2f\n", size, ours, floor, ours / floor);
    if (size == sizes.front()) first = ours;
    last = ours;
  }
  PrintScalingAndMemory(sizes, first, last);
  std::error_code ec;
  std::filesystem::remove_all(base, ec);
  return 0;
}
