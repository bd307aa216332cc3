// Where the workspace is: the folder of the settings, or the default folder
// written back into the settings. Settled before anything is kept under the
// workspace, so that the session list never lands outside it.
#pragma once

#include "platform/classlib/CString.h"

// The stored workspace location, used as it is (the folder need not exist).
// When none is stored: <Documents>/Pelmora_Workspace, or /Pelmora_Workspace
// when the documents folder is unknown; that default is stored before it is
// returned, so every later reader of the settings sees the same folder.
CString LocateWorkspace();
