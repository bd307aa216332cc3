// Opening and loading a workspace and computing every session's statistics:
// the sport model's share of a start of the program. Workspaces of 250,
// 2,000 and 20,000 one-minute sessions (10 and 20 Hz, every race type) are
// generated once and kept in the build folder; each is opened by the sport
// project manager, and every track's statistics (lap analysis included) are
// computed, its points let go after use. The reference, in the same run, is
// the floor: the same rows read with plain SQLite (the project database's
// values, each point database's waypoints with their GPS logs) and the same
// kind of sums made in one pass. Each size runs in a process of its own.
// Sizes may be given as arguments (bench_workspace 250 2000). Prints the
// time per session at each size, ours/floor (goal: at most 2.5), the peak
// resident memory, and the ratio largest/smallest (goal: at most 1.3).
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

namespace {

constexpr int kRepeats = 5;

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
  return RunSizesApart(argc, argv, {250, 2000, 20000}, "floor", [](int size) {
    const std::string home = MakeBenchHome("bench_workspace");
    if (home.empty()) std::abort();
    const std::string ws = GeneratedWorkspace(size).root;
    // The largest size runs fewer times: each of its runs takes half a minute.
    const auto [ours, floor] = BestOfEach(
        size >= 10000 ? 3 : kRepeats, [&] { return Ours(ws) * 1000.0 / size; },
        [&] {
          const double t0 = BenchNow();
          ReadWorkspaceFloor(ws);
          return (BenchNow() - t0) * 1000.0 / size;
        });
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return SizeFigures{ours, floor};
  });
}
