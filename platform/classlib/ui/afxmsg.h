// Message maps: a class lists the messages, commands and notifications it
// handles between BEGIN_MESSAGE_MAP and END_MESSAGE_MAP; CCmdTarget finds the
// handler of a message, most derived class first.
#pragma once

#include "platform/classlib/ui/afxtypes.h"

class CCmdTarget;
class CWnd;

// What a message carries to its handler.
struct AfxMsgArgs {
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  POINT pt{0, 0};
  void* ptr1 = nullptr;
  void* ptr2 = nullptr;
  LRESULT* pResult = nullptr;
  BOOL handled = TRUE;  // an _EX handler may clear it to pass a message on
};
typedef LRESULT (*AfxMsgThunk)(CCmdTarget* target, AfxMsgArgs& args);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // WM_*, WM_COMMAND, WM_NOTIFY or WM_REFLECT_BASE + one of them
  UINT nCode;     // control notification code
  UINT nID;       // first control id
  UINT nLastID;   // last control id
  AfxMsgThunk pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                       \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }  \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                  \
    typedef theClass ThisClass;                                                      \
    typedef baseClass TheBaseClass;                                                  \
    static_assert(sizeof(ThisClass) > 0 && sizeof(TheBaseClass) > 0, "message map"); \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                       \
  { 0, 0, 0, 0, nullptr }                                                                       \
  }                                                                                             \
  ;                                                                                             \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                                           \
  }

#define PM_THUNK(body)                                      \
  [](CCmdTarget* pmTarget, AfxMsgArgs& pmArgs) -> LRESULT { \
    ThisClass* pmThis = static_cast<ThisClass*>(pmTarget);  \
    (void)pmThis;                                           \
    (void)pmArgs;                                           \
    body                                                    \
  }

#define ON_CONTROL(code, id, memberFxn)                                                \
  {                                                                                    \
    WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id), \
        PM_THUNK((pmThis->*(memberFxn))(); return 0;)                                  \
  }                                                                                    \
  ,
#define ON_COMMAND(id, memberFxn) ON_CONTROL(0, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_STN_DBLCLK(id, memberFxn) ON_CONTROL(STN_DBLCLK, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_CONTROL_RANGE(code, id, idLast, memberFxn)                                      \
  {                                                                                        \
    WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(idLast), \
        PM_THUNK((pmThis->*(memberFxn))(static_cast<UINT>(pmArgs.wParam)); return 0;)      \
  }                                                                                        \
  ,
#define ON_CONTROL_REFLECT(code, memberFxn)                                                                      \
  { WM_REFLECT_BASE + WM_COMMAND, static_cast<UINT>(code), 0, 0, PM_THUNK((pmThis->*(memberFxn))(); return 0;) } \
  ,
#define ON_NOTIFY(code, id, memberFxn)                                                                \
  {                                                                                                   \
    WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id),                 \
        PM_THUNK((pmThis->*(memberFxn))(static_cast<NMHDR*>(pmArgs.ptr1), pmArgs.pResult); return 0;) \
  }                                                                                                   \
  ,
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                            \
  {                                                                                                   \
    WM_REFLECT_BASE + WM_NOTIFY, static_cast<UINT>(code), 0, 0,                                       \
        PM_THUNK((pmThis->*(memberFxn))(static_cast<NMHDR*>(pmArgs.ptr1), pmArgs.pResult); return 0;) \
  }                                                                                                   \
  ,
// The handler returns TRUE when the notification is done, FALSE to let the
// parent see it too.
#define ON_NOTIFY_REFLECT_EX(code, memberFxn)                                                                          \
  {                                                                                                                    \
    WM_REFLECT_BASE + WM_NOTIFY, static_cast<UINT>(code), 0, 0,                                                        \
        PM_THUNK(pmArgs.handled = (pmThis->*(memberFxn))(static_cast<NMHDR*>(pmArgs.ptr1), pmArgs.pResult); return 0;) \
  }                                                                                                                    \
  ,
#define ON_MESSAGE(message, memberFxn)                                                                            \
  { static_cast<UINT>(message), 0, 0, 0, PM_THUNK(return (pmThis->*(memberFxn))(pmArgs.wParam, pmArgs.lParam);) } \
  ,
#define ON_WM_TIMER()                                                                               \
  { WM_TIMER, 0, 0, 0, PM_THUNK(pmThis->OnTimer(static_cast<UINT_PTR>(pmArgs.wParam)); return 0;) } \
  ,
#define ON_WM_SIZE()                                                                                                  \
  {                                                                                                                   \
    WM_SIZE, 0, 0, 0, PM_THUNK(pmThis->OnSize(static_cast<UINT>(pmArgs.wParam), pmArgs.pt.x, pmArgs.pt.y); return 0;) \
  }                                                                                                                   \
  ,
#define ON_WM_CTLCOLOR()                                                                                          \
  {                                                                                                               \
    WM_CTLCOLOR, 0, 0, 0,                                                                                         \
        PM_THUNK(return reinterpret_cast<LRESULT>(pmThis->OnCtlColor(                                             \
            static_cast<CDC*>(pmArgs.ptr1), static_cast<CWnd*>(pmArgs.ptr2), static_cast<UINT>(pmArgs.wParam)));) \
  }                                                                                                               \
  ,
#define ON_WM_SYSCOMMAND()                                                                                             \
  {                                                                                                                    \
    WM_SYSCOMMAND, 0, 0, 0, PM_THUNK(pmThis->OnSysCommand(static_cast<UINT>(pmArgs.wParam), pmArgs.lParam); return 0;) \
  }                                                                                                                    \
  ,
#define ON_WM_MOUSEMOVE()                                                                             \
  {                                                                                                   \
    WM_MOUSEMOVE, 0, 0, 0,                                                                            \
        PM_THUNK(pmThis->OnMouseMove(static_cast<UINT>(pmArgs.wParam), CPoint(pmArgs.pt)); return 0;) \
  }                                                                                                   \
  ,
#define ON_WM_MOUSEHOVER()                                                                             \
  {                                                                                                    \
    WM_MOUSEHOVER, 0, 0, 0,                                                                            \
        PM_THUNK(pmThis->OnMouseHover(static_cast<UINT>(pmArgs.wParam), CPoint(pmArgs.pt)); return 0;) \
  }                                                                                                    \
  ,
#define ON_WM_MOUSELEAVE()                                                \
  { WM_MOUSELEAVE, 0, 0, 0, PM_THUNK(pmThis->OnMouseLeave(); return 0;) } \
  ,
#define ON_WM_SETCURSOR()                                                                           \
  {                                                                                                 \
    WM_SETCURSOR, 0, 0, 0,                                                                          \
        PM_THUNK(return pmThis->OnSetCursor(static_cast<CWnd*>(pmArgs.ptr1), LOWORD(pmArgs.lParam), \
                                            HIWORD(pmArgs.lParam));)                                \
  }                                                                                                 \
  ,
#define ON_WM_LBUTTONDOWN()                                                                             \
  {                                                                                                     \
    WM_LBUTTONDOWN, 0, 0, 0,                                                                            \
        PM_THUNK(pmThis->OnLButtonDown(static_cast<UINT>(pmArgs.wParam), CPoint(pmArgs.pt)); return 0;) \
  }                                                                                                     \
  ,
#define ON_WM_LBUTTONUP()                                                                             \
  {                                                                                                   \
    WM_LBUTTONUP, 0, 0, 0,                                                                            \
        PM_THUNK(pmThis->OnLButtonUp(static_cast<UINT>(pmArgs.wParam), CPoint(pmArgs.pt)); return 0;) \
  }                                                                                                   \
  ,
#define ON_WM_LBUTTONDBLCLK()                                                                             \
  {                                                                                                       \
    WM_LBUTTONDBLCLK, 0, 0, 0,                                                                            \
        PM_THUNK(pmThis->OnLButtonDblClk(static_cast<UINT>(pmArgs.wParam), CPoint(pmArgs.pt)); return 0;) \
  }                                                                                                       \
  ,
#define ON_WM_CLOSE()                                           \
  { WM_CLOSE, 0, 0, 0, PM_THUNK(pmThis->OnClose(); return 0;) } \
  ,
#define ON_WM_DESTROY()                                             \
  { WM_DESTROY, 0, 0, 0, PM_THUNK(pmThis->OnDestroy(); return 0;) } \
  ,

class CCmdTarget {
 public:
  CCmdTarget() = default;
  CCmdTarget(const CCmdTarget&) = delete;
  CCmdTarget& operator=(const CCmdTarget&) = delete;
  virtual ~CCmdTarget() = default;
  virtual const AFX_MSGMAP* GetMessageMap() const { return GetThisMessageMap(); }
  static const AFX_MSGMAP* GetThisMessageMap();

  // Looks the message up in the map chain, most derived first, and runs the
  // first matching handler. False when nothing handles it.
  bool AfxDispatch(UINT message, UINT code, UINT id, AfxMsgArgs& args, LRESULT* result);
};
