// The stand-in web service as a program, for the demo:
//   standin-service --data DIR [--port N] [--cert PEM --key PEM]
//                   [--account EMAIL:PASSWORD[:NAME]] ...
//                   [--track ID:LABEL[:TYPE[:UDATE[:BEACONFILE]]]] ...
// It prints its base address and serves until interrupted.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/standin-service/StandinService.h"

namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t p = s.find(sep, start);
    out.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
    if (p == std::string::npos) return out;
    start = p + 1;
  }
}

int Usage() {
  std::fprintf(stderr,
               "usage: standin-service --data DIR [--port N] [--cert PEM --key PEM]\n"
               "                       [--account EMAIL:PASSWORD[:NAME]]... "
               "[--track ID:LABEL[:TYPE[:UDATE[:BEACONFILE]]]]...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  StandinOptions options;
  options.port = 18080;
  std::vector<std::string> accounts, tracks;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (i + 1 >= argc) return Usage();
    std::string v = argv[++i];
    if (a == "--data") options.dataDir = v;
    else if (a == "--port") options.port = std::atoi(v.c_str());
    else if (a == "--cert") options.certFile = v;
    else if (a == "--key") options.keyFile = v;
    else if (a == "--account") accounts.push_back(v);
    else if (a == "--track") tracks.push_back(v);
    else return Usage();
  }
  if (options.dataDir.empty()) return Usage();

  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);  // the server threads inherit the mask

  StandinService service(options);
  if (!service.Start()) {
    std::fprintf(stderr, "standin-service: cannot start on port %d with data folder %s\n", options.port,
                 options.dataDir.c_str());
    return 1;
  }
  for (const std::string& spec : accounts) {
    std::vector<std::string> f = Split(spec, ':');
    if (f.size() < 2) return Usage();
    StandinAccount account;
    account.email = f[0];
    account.password = f[1];
    account.name = f.size() > 2 ? f[2] : f[0];
    if (!service.AddAccount(account)) std::fprintf(stderr, "standin-service: account %s exists\n", f[0].c_str());
  }
  for (const std::string& spec : tracks) {
    std::vector<std::string> f = Split(spec, ':');
    if (f.size() < 2) return Usage();
    StandinTrackMap map;
    map.mapId = std::atoi(f[0].c_str());
    map.label = f[1];
    map.type = f.size() > 2 ? f[2] : "Circuit";
    map.uDate = f.size() > 3 ? std::atoi(f[3].c_str()) : 1;
    std::string beacon;
    if (f.size() > 4) {
      std::ifstream in(f[4], std::ios::binary);
      beacon.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
      beacon = MakeBeaconFile({StandinBeacon{0, "Start/Finish", 0.0, 0.0, 0.0f, 20, 0}});
    }
    if (!service.AddTrackMap(map, beacon)) std::fprintf(stderr, "standin-service: cannot add track %s\n", spec.c_str());
  }
  std::printf("%s\n", service.BaseUrl().c_str());
  std::fflush(stdout);

  int sig = 0;
  sigwait(&stopSignals, &sig);
  service.Stop();
  return 0;
}
