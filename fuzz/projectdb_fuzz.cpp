// The open of a project database: any bytes as the file (mutated SQLite
// files from the seeds), opened read-only by the database manager and walked
// (project_walk.h). The file keeps its bytes.
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_file.h"
#include "fuzz/project_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzFile file(".tgv");
  RemoveCompanions(file.Path());
  file.Put(data, size);
  OpenAndWalk(file.Path(), tgvOpen_ReadOnly);
  if (!file.Holds(data, size)) std::abort();
  RemoveCompanions(file.Path());
  return 0;
}
