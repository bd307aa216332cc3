// The class library's windows, dialogs and controls, on wxWidgets (GTK).
//
// Code above this layer is written in the class library's style: a dialog
// derives from CDialog, names its template, binds its controls in
// DoDataExchange and routes messages to member handlers through a message
// map. Nothing here exposes wxWidgets; text is UTF-16 (char16_t).
//
// Threads: windows are touched only on the UI thread. A worker hands work to
// it with AfxPostToUiThread / AfxSendToUiThread; SetTimer, KillTimer,
// PostQuitMessage and the message boxes do that by themselves when called
// from a worker.
//
// Timers: every WM_TIMER is delivered through the UI thread's queue, so a
// handler may run a modal dialog and all timers keep ticking under it.
//
// Colours: a parent's OnCtlColor (WM_CTLCOLOR) is asked whenever a static is
// painted and whenever a control or the dialog is invalidated; the brush it
// returns becomes the background and the text colour it sets on the CDC the
// foreground. Buttons keep the desktop theme.
//
// The system menu: items appended to GetSystemMenu() are offered in the
// dialog's context menu (right click on the dialog) and reach OnSysCommand.
#pragma once

#include "platform/classlib/ui/afxapp.h"
#include "platform/classlib/ui/afxctrls.h"
#include "platform/classlib/ui/afxdlg.h"
#include "platform/classlib/ui/afxgdi.h"
#include "platform/classlib/ui/afxlist.h"
#include "platform/classlib/ui/afxmouse.h"
#include "platform/classlib/ui/afxmsg.h"
#include "platform/classlib/ui/afxres.h"
#include "platform/classlib/ui/afxshell.h"
#include "platform/classlib/ui/afxtypes.h"
#include "platform/classlib/ui/afxwnd.h"
