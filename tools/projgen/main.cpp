// projgen FOLDER [--sessions N] [--documents DIR] [--logger-csv FILE]:
// writes a sample workspace into FOLDER (which must not hold one yet): a
// driver with N sessions (7 by default) cycling through every race type on a
// closed circuit at 20 and 10 Hz, a second user, the circuit's start/finish,
// sector and drag lines, the track map under DIR/Pelmora/TrackMap when DIR
// is given, and the real logger session of FILE as one more track.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/utf.h"
#include "tools/projgen/SampleWorkspace.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: projgen FOLDER [--sessions N] [--documents DIR] [--logger-csv FILE]\n");
    return 2;
  }
  projgen::SampleOptions options;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    if (flag == "--sessions")
      options.sessions = std::atoi(argv[i + 1]);
    else if (flag == "--documents")
      options.documents = Utf8ToUtf16(argv[i + 1]);
    else if (flag == "--logger-csv")
      options.loggerCsv = argv[i + 1];
    else {
      std::fprintf(stderr, "projgen: unknown option %s\n", argv[i]);
      return 2;
    }
  }
  if (options.sessions < 0 || !projgen::WriteSampleWorkspace(Utf8ToUtf16(argv[1]), options)) {
    std::fprintf(stderr, "projgen: the workspace could not be written in %s\n", argv[1]);
    return 1;
  }
  return 0;
}
