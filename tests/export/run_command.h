// Runs an outside reader of the export files through the shell, and splits
// what it writes back.
#pragma once

#include <stdio.h>

#include <sstream>
#include <string>
#include <vector>

// The command's standard output and error together; false when it could not
// be started or ended with a non-zero status.
inline bool RunCommand(const std::string& command, std::string* output) {
  output->clear();
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (!p) return false;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) output->append(buf, n);
  return pclose(p) == 0;
}

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
