#include "bench/common/ThroughputReporter.h"

#include <cstdio>

void ThroughputReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    auto it = run.counters.find("bytes_per_second");
    if (it != run.counters.end() && !run.error_occurred) m_bytesPerSecond[run.benchmark_name()] = it->second.value;
    if (!run.error_occurred) m_realTime[run.run_name.function_name] = run.GetAdjustedRealTime();
    it = run.counters.find("items_per_second");
    if (it != run.counters.end() && !run.error_occurred && run.run_type == Run::RT_Iteration)
      m_itemsPerSecond.emplace_back(run.benchmark_name(), it->second.value);
  }
  ConsoleReporter::ReportRuns(runs);
}

void ThroughputReporter::PrintComparison(const std::string& what, const std::string& ours, const std::string& theirs,
                                         const std::string& reference) const {
  auto a = m_bytesPerSecond.find(ours), b = m_bytesPerSecond.find(theirs);
  if (a == m_bytesPerSecond.end() || b == m_bytesPerSecond.end()) return;
  std::printf("%s: ours %.1f MB/s, %s %.1f MB/s, ratio ours/%s %.2f\n", what.c_str(), a->second / 1048576.0,
              reference.c_str(), b->second / 1048576.0, reference.c_str(), a->second / b->second);
}

double ThroughputReporter::RealTime(const std::string& function) const {
  auto it = m_realTime.find(function);
  return it == m_realTime.end() ? -1.0 : it->second;
}

double ThroughputReporter::NsPerItem(const std::string& run) const {
  for (auto it = m_itemsPerSecond.rbegin(); it != m_itemsPerSecond.rend(); ++it)
    if (it->first == run) return it->second > 0 ? 1e9 / it->second : 0.0;
  return 0.0;
}
