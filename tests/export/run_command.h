// Runs gpsbabel on the export files, and splits what it writes back.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "tests/common/run_command.h"

// gpsbabel reads `file` with the reader options `input` ("-t -i gpx") and
// writes what it understood into `csv` as CSV with UTC times; its messages go to
// *output.
inline bool GpsbabelToCsv(const std::string& input, const std::string& file, const std::string& csv,
                          std::string* output) {
  return RunCommand("gpsbabel " + input + " -f '" + file + "' -o unicsv,utc=0 -F '" + csv + "'", output);
}

// The fields of one CSV line of gpsbabel's (no quoting), without a CR.
inline std::vector<std::string> SplitCsv(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string> out;
  std::stringstream in(line);
  for (std::string f; std::getline(in, f, ',');) out.push_back(f);
  return out;
}
