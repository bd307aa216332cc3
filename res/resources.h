// The program's resources: dialog templates and the four-language string
// table (written in res/dialogs.txt and res/strings.txt, compiled in by
// tools/resgen at build time) and its images. The UI layer owns their format
// (platform/classlib/ui/afxres.h); the program hands them over once at start-up.
#pragma once

#include <cstddef>

#include "platform/classlib/ui/afxres.h"

// The program's images.
constexpr UINT kIconProgram = 128;  // the program's icon
constexpr UINT kBitmapLogo = 139;   // the about dialog's picture (its Logo control names it)

// Registers the program's resources with the UI layer (AfxSetResources);
// call before the first dialog or string is loaded. Calling it again is harmless.
void RegisterResources();

// The generated tables, for tests.
const ResString* ResStringTable(size_t* count);
const ResDialog* ResDialogTable(size_t* count);
