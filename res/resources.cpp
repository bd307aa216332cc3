#include "res/resources.h"

#include "res/bitmap139.xpm"
#include "res/icon128.xpm"

namespace {

// The program's icon (128) and the about dialog's picture (139).
const ResImage kImages[] = {
    {128, kIcon128Xpm},
    {139, kBitmap139Xpm},
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
