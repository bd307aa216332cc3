// What the stand-in web service starts with: accounts and track maps with
// their beacon files, given on its command line or in a setup file that holds
// one entry per line:
//   account EMAIL:PASSWORD[:NAME]
//   track ID:LABEL[:TYPE[:UDATE[:BEACONFILE]]]
// Blank lines and lines starting with '#' are passed over. A beacon file is
// named relative to the setup file's folder; a track without one gets a lone
// start/finish line at latitude 0, longitude 0.
#pragma once

#include <string>
#include <vector>

#include "tools/standin-service/StandinService.h"

struct StandinSetupTrack {
  StandinTrackMap map;
  std::string beaconFile;  // its bytes
};

struct StandinSetup {
  std::vector<StandinAccount> accounts;
  std::vector<StandinSetupTrack> tracks;
};

// "EMAIL:PASSWORD[:NAME]"; the name is the e-mail when none is given.
bool ParseStandinAccount(const std::string& spec, StandinAccount& out);
// "ID:LABEL[:TYPE[:UDATE[:BEACONFILE]]]": type "Circuit" and update date 1
// by default; a relative beacon file is read from `folder`. False when the
// spec is malformed (also a beacon file name that holds a zero byte) or its
// beacon file cannot be read.
bool ParseStandinTrack(const std::string& spec, const std::string& folder, StandinSetupTrack& out);

// Appends the entries of a setup file; false, with the line that failed in
// `error`, when the file cannot be read or holds a malformed entry.
bool ReadStandinSetup(const std::string& path, StandinSetup& out, std::string& error);

// Adds the accounts and the track maps to a running service. Returns what
// could not be added (an account whose e-mail is taken already, a map the
// store refused), one line each; empty when everything was.
std::vector<std::string> ApplyStandinSetup(StandinService& service, const StandinSetup& setup);
