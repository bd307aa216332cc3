// The program's icon (128) and the about dialog's picture (139), kept as XPM
// text in res/.
#include "res/resources.h"

#include "res/bitmap139.xpm"
#include "res/icon128.xpm"

const char* const* ResFindXpm(UINT id) {
  switch (id) {
    case 128: return kIcon128Xpm;
    case 139: return kBitmap139Xpm;
    default: return nullptr;
  }
}
