// The program: one application object for the whole process.
#include "platform/classlib/ui/afxwin.h"
#include "platform/win32/files.h"
#include "res/resources.h"
#include "uploader/CtessilarApp.h"

namespace {

CtessilarApp theApp;

}  // namespace

int main(int argc, char** argv) {
  // A run killed while it rolled a journal back in a private copy left the
  // user's data there.
  RemoveLeftoverTempFolders();
  RegisterResources();
  return AfxWinMain(argc, argv);
}
