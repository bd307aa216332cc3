// Threads: pausing the calling thread.
#pragma once

#include "platform/win32/wintypes.h"

// Suspends the calling thread for at least `ms` milliseconds (0 yields).
void Sleep(DWORD ms);
