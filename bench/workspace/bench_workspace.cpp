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
#include <sys/resource.h>

#include <chrono>
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

// The sizes, unless given on the command line.
std::vector<int> g_sizes = {250, 1000, 2000};
constexpr int kRepeats = 3;

std::string Workspace(const std::string& base, int sessions) { return base + "/ws" + std::to_string(sessions); }

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

double Ours(const std::string& ws) {
  const double t0 = Now();
  CSportProjMgr* mgr = CSportProjMgr::GetInstance();
  if (mgr->OpenWorkspace(Utf8ToUtf16(ws).c_str()) != kWorkspaceOk) std::abort();
  for (CSportTrack* t : mgr->GetTracks()) {
    t->ComputeStatistics();
    t->ReleaseTrackPoints();
  }
  return Now() - t0;
}

double Best(const auto& run) {
  double best = 1e300;
  for (int i = 0; i < kRepeats; ++i) best = std::min(best, run());
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  // Options (scripts/bench passes the benchmark library's) are not sizes.
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i)
    if (argv[i][0] != '-') sizes.push_back(std::atoi(argv[i]));
  if (!sizes.empty()) g_sizes = sizes;
  std::string base = (std::filesystem::temp_directory_path() / "bench_workspace_XXXXXX").string();
  if (!::mkdtemp(base.data())) return 1;
  setenv("HOME", base.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (base + "/.config").c_str(), 1);
  for (int size : g_sizes) {
    projgen::SampleOptions options;
    options.sessions = size;
    options.seconds = 60.0;
    std::printf("generating %d sessions...\n", size);
    std::fflush(stdout);
    if (!projgen::WriteSampleWorkspace(Utf8ToUtf16(Workspace(base, size)), options)) return 1;
  }
  std::printf("\nsessions  ours ms/session  floor ms/session  ours/floor\n");
  double first = 0.0, last = 0.0;
  for (int size : g_sizes) {
    const std::string ws = Workspace(base, size);
    const double ours = Best([&] { return Ours(ws); }) * 1000.0 / size;
    const double floor = Best([&] {
                           const double t0 = Now();
                           ReadWorkspaceFloor(ws);
                           return Now() - t0;
                         }) *
                         1000.0 / size;
    std::printf("%8d  %15.3f  %16.3f  %10.2f\n", size, ours, floor, ours / floor);
    if (size == g_sizes.front()) first = ours;
    last = ours;
  }
  std::printf("time per session, %d / %d sessions: %.2f (goal: at most 1.3)\n", g_sizes.back(), g_sizes.front(),
              last / first);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
  std::error_code ec;
  std::filesystem::remove_all(base, ec);
  return 0;
}
