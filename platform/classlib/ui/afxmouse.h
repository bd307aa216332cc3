// Cursors, mouse tracking and the wait cursor.
#pragma once

#include "platform/classlib/ui/afxtypes.h"

HCURSOR LoadCursor(HINSTANCE instance, LPCWSTR name);
// Sets the cursor of the window under the mouse; returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);
int ShowCursor(BOOL show);
BOOL TrackMouseEvent(LPTRACKMOUSEEVENT track);
BOOL GetCursorPos(LPPOINT point);
// The mouse position of the message being handled, in screen coordinates
// (x in the low word, y in the high word).
DWORD GetMessagePos();

// The wait cursor over every window of the program; Begin/End nest.
void AfxBeginWaitCursor();
void AfxEndWaitCursor();
class CWaitCursor {
 public:
  CWaitCursor() { AfxBeginWaitCursor(); }
  ~CWaitCursor() { AfxEndWaitCursor(); }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
  void Restore() {}
};
