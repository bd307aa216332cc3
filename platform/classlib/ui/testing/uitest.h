// Helpers for the dialog tests: they act on real windows the way a user
// would (clicks, keys, mouse moves) and save pictures of what a user sees.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/classlib/ui/afxwin.h"

// Saves a PNG of the window as it is on the screen; false when it cannot.
bool UiTestSaveScreenshot(CWnd* wnd, const std::string& pngPath);
// Saves a PNG of the whole screen as a screen-capture program takes it (xwd
// -root, which reads every window through its own visual and colormap), once
// the toolkit has done the drawing it has pending; nothing is redrawn for it.
// With `shown`, the picture must also show that window as the X server holds
// it: false when it cannot be taken or the window's area in it differs.
bool UiTestSaveWholeScreen(const std::string& pngPath, CWnd* shown = nullptr);

// The innermost open modal window (a dialog, a message box or the folder
// picker), or null.
HWND UiTestInnermostModal();
bool UiTestIsMessageBox(HWND wnd);
CString UiTestMessageBoxText(HWND wnd);
CString UiTestMessageBoxCaption(HWND wnd);
// Answers a message box (IDOK, IDCANCEL, IDYES, IDNO) or ends another modal
// window with the given result.
bool UiTestEndModal(HWND wnd, int result);

// A click on a button or a static, as the user makes it.
void UiTestClick(CWnd* control);
enum class UiTestMouseAction { Enter, Move, Leave, LeftDown, LeftUp };
void UiTestMouse(CWnd* control, UiTestMouseAction action, int x = 2, int y = 2);
// The user's choice of a combo box row (the box then notifies CBN_SELCHANGE).
void UiTestSelect(CWnd* combo, int row);
// A key pressed while `dialog` is active (VK_RETURN, VK_ESCAPE, ...).
void UiTestKey(CWnd* dialog, UINT vk);
// A click on a column header, and the user's click on a row's check box.
void UiTestColumnClick(CListCtrl* list, int column);
void UiTestToggleCheck(CListCtrl* list, int row);

// What is painted: a row's background, a control's text and background
// colours (as its parent's OnCtlColor chose them; false when it chose none),
// and the cursor set over a control.
COLORREF UiTestRowBkColor(CListCtrl* list, int row);
bool UiTestCtlColors(CWnd* control, COLORREF* text, COLORREF* background);
HCURSOR UiTestCursor(CWnd* control);
// Whether the wait cursor is shown over the program's windows.
bool UiTestWaitCursorShown();

// Runs the UI thread's events until `done` holds or `maxMs` passes; returns
// whether it holds. The bound only keeps a broken wait from hanging: it is a
// minute, which a busy machine under the thread checks never reaches.
bool UiTestPumpUntil(const std::function<bool()>& done, int maxMs = 60000);
// Runs `step` on the UI thread every `intervalMs` until it returns true; it
// also runs inside modal loops opened meanwhile.
void UiTestPoll(std::function<bool()> step, int intervalMs = 10);
// Forgets a quit request, so that one test process can run further dialogs.
void UiTestResetQuit();

// While it lives, a message box that waits unanswered for `limit` is handed to
// `report` with its text and closed with IDCANCEL: a dialog test that did not
// expect the box fails within its time instead of waiting for ever. Made and
// ended on the UI thread, between AfxUiInit and AfxUiTerm.
class UiTestUnansweredBoxes {
 public:
  UiTestUnansweredBoxes(std::function<void(const CString& text)> report, std::chrono::milliseconds limit);
  ~UiTestUnansweredBoxes();
  UiTestUnansweredBoxes(const UiTestUnansweredBoxes&) = delete;
  UiTestUnansweredBoxes& operator=(const UiTestUnansweredBoxes&) = delete;

 private:
  class Watch;
  std::unique_ptr<Watch> m_watch;
};
