#include "res/resources.h"

#include "res/bitmap139.xpm"
#include "res/icon128.xpm"

namespace {

const ResImage kImages[] = {
    {kIconProgram, kIcon128Xpm},
    {kBitmapLogo, kBitmap139Xpm},
};

AfxResourceTables MakeTables() {
  AfxResourceTables t{};
  t.strings = ResStringTable(&t.stringCount);
  t.dialogs = ResDialogTable(&t.dialogCount);
  t.images = kImages;
  t.imageCount = sizeof kImages / sizeof kImages[0];
  return t;
}

}  // namespace

void RegisterResources() {
  static const AfxResourceTables tables = MakeTables();
  AfxSetResources(&tables);
}
