// The console reporter of the benchmark programs that measure us against a
// reference in the same run: it prints the usual table and keeps each run's
// throughput, items per second and time for the closing comparison lines.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
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
  // Nanoseconds per item of the run named `run`; 0 when it counted no items.
  double NsPerItem(const std::string& run) const;
  // The items per second of each run that counted items, by run name, in
  // the order the runs ended.
  const std::vector<std::pair<std::string, double>>& ItemsPerSecond() const { return m_itemsPerSecond; }

 private:
  std::map<std::string, double> m_bytesPerSecond;                // by run name
  std::map<std::string, double> m_realTime;                      // by function name
  std::vector<std::pair<std::string, double>> m_itemsPerSecond;  // by run name, in run order
};
