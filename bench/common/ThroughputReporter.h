// The console reporter of the benchmark programs that measure us against a
// reference in the same run: it prints the usual table and keeps each run's
// throughput and time for the closing comparison lines.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class ThroughputReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;

  // Prints "<what>: ours X MB/s, <reference> Y MB/s, ratio ours/<reference> Z"
  // for the runs named `ours` and `theirs`; nothing when either has no
  // throughput (filtered out, or failed).
  void PrintComparison(const std::string& what, const std::string& ours, const std::string& theirs,
                       const std::string& reference) const;
  // The adjusted real time, in the run's time unit, of the run of the
  // benchmark function `function`; negative when it did not run or failed.
  double RealTime(const std::string& function) const;

 private:
  std::map<std::string, double> m_bytesPerSecond;  // by run name
  std::map<std::string, double> m_realTime;        // by function name
};
