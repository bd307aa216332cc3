// The program: one application object for the whole process.
#include "platform/classlib/ui/afxwin.h"
#include "res/resources.h"
#include "uploader/CtessilarApp.h"

namespace {

CtessilarApp theApp;

}  // namespace

int main(int argc, char** argv) {
  RegisterResources();
  return AfxWinMain(argc, argv);
}
