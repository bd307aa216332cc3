// projgen WORKSPACE --documents DIR --service DIR: writes the demo's sample
// (DemoSample.h): the workspace into WORKSPACE (which must not hold one yet),
// the track maps under DIR/Pelmora/TrackMap, the stand-in's setup file and
// beacon files into the service folder, and the drag types into the user's
// settings.
#include <cstdio>
#include <string>

#include "platform/win32/utf.h"
#include "tools/projgen/DemoSample.h"

int main(int argc, char** argv) {
  projgen::DemoFolders folders;
  if (argc == 6) {
    folders.workspace = Utf8ToUtf16(argv[1]);
    for (int i = 2; i + 1 < argc; i += 2) {
      const std::string flag = argv[i];
      if (flag == "--documents") folders.documents = Utf8ToUtf16(argv[i + 1]);
      if (flag == "--service") folders.service = Utf8ToUtf16(argv[i + 1]);
    }
  }
  if (folders.documents.empty() || folders.service.empty()) {
    std::fprintf(stderr, "usage: projgen WORKSPACE --documents DIR --service DIR\n");
    return 2;
  }
  if (!projgen::WriteDemoSample(folders)) {
    std::fprintf(stderr, "projgen: the sample could not be written in %s\n", argv[1]);
    return 1;
  }
  return 0;
}
