// The stand-in web service as a program, for the demo:
//   standin-service --data DIR [--port N] [--cert PEM --key PEM]
//                   [--setup FILE] [--account EMAIL:PASSWORD[:NAME]] ...
//                   [--track ID:LABEL[:TYPE[:UDATE[:BEACONFILE]]]] ...
// It prints its base address and the accounts it serves (e-mail and
// password), then serves until interrupted. The setup file's form is in
// StandinSetup.h; a relative beacon file on the command line is read from the
// current folder.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/standin-service/StandinService.h"
#include "tools/standin-service/StandinSetup.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: standin-service --data DIR [--port N] [--cert PEM --key PEM] [--setup FILE]\n"
               "                       [--account EMAIL:PASSWORD[:NAME]]... "
               "[--track ID:LABEL[:TYPE[:UDATE[:BEACONFILE]]]]...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  StandinOptions options;
  options.port = 18080;
  StandinSetup setup;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (i + 1 >= argc) return Usage();
    std::string v = argv[++i];
    std::string error;
    bool ok = true;
    if (a == "--data")
      options.dataDir = v;
    else if (a == "--port")
      options.port = std::atoi(v.c_str());
    else if (a == "--cert")
      options.certFile = v;
    else if (a == "--key")
      options.keyFile = v;
    else if (a == "--account")
      ok = ParseStandinAccount(v, setup.accounts.emplace_back());
    else if (a == "--track")
      ok = ParseStandinTrack(v, ".", setup.tracks.emplace_back());
    else if (a == "--setup")
      ok = ReadStandinSetup(v, setup, error);
    else
      ok = false;
    if (!ok) {
      if (!error.empty()) std::fprintf(stderr, "standin-service: %s\n", error.c_str());
      return Usage();
    }
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
  // Accounts stay in the store from an earlier run: one that exists is kept.
  for (const std::string& refused : ApplyStandinSetup(service, setup))
    std::fprintf(stderr, "standin-service: %s\n", refused.c_str());
  std::printf("%s\n", service.BaseUrl().c_str());
  for (const StandinAccount& account : setup.accounts)
    std::printf("account %s password %s\n", account.email.c_str(), account.password.c_str());
  std::fflush(stdout);

  int sig = 0;
  sigwait(&stopSignals, &sig);
  service.Stop();
  return 0;
}
