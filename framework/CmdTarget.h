// Message maps: each class lists the messages it handles; a window walks its class's map, then the
// base classes' maps, and falls back to the window's default procedure.
//
// Entries name their handler without qualification, as in ON_BN_CLICKED(IDC_PLAY, OnPlay), and the
// handler must have the signature that goes with the entry (see each macro). Handlers may be
// protected: the map is built inside the class's own scope.
#pragma once

#include <windows.h>

#include "framework/Object.h"

class CCmdTarget;
class CWnd;
class CDC;
class CPoint;
struct AFX_CMDHANDLERINFO;

#define afx_msg

#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019 // the one map key for every WM_CTLCOLOR* message
#endif

// A message sent back from the parent to the child control it concerns.
#define WM_REFLECT_BASE 0xBC00

// One message as a handler thunk sees it; result is what the window procedure returns.
struct AFX_MSGCALL {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};

// Cracks the message, calls the handler, stores the result; returns FALSE when the handler declined
// the message (reflected handlers only), so the search goes on.
typedef BOOL (*AFX_PMSGTHUNK)(CCmdTarget* pTarget, AFX_MSGCALL& call);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // window message, WM_COMMAND, or WM_REFLECT_BASE + a message
    UINT nCode;    // notification code for command entries
    UINT nID;      // first and last control id for command entries
    UINT nLastID;
    AFX_PMSGTHUNK pfn; // NULL ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

class CCmdTarget : public CObject {
public:
    CCmdTarget() {}

    // Looks for a WM_COMMAND entry (nCode, nID) in the map chain and runs it.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // Runs the first entry of the map chain for this key; FALSE when none took the message.
    BOOL DispatchToMap(UINT nKey, UINT nCode, UINT nID, AFX_MSGCALL& call);

    // The application's hourglass; calls nest.
    void BeginWaitCursor();
    void EndWaitCursor();

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    virtual const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        typedef theClass ThisClass;                                                                \
        typedef baseClass TheBaseClass;                                                            \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
            {0, 0, 0, 0, nullptr}};                                                                \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
        (void)static_cast<ThisClass*>(nullptr);                                                    \
        return &messageMap;                                                                        \
    }

// Message crackers used by the entries.
CDC* AfxDCFromParam(WPARAM wParam);
CWnd* AfxWndFromParam(LPARAM lParam);
CWnd* AfxWndFromParam(WPARAM wParam);
CPoint AfxPointFromParam(LPARAM lParam);

// The body of an entry: _p is the object, _c the message.
#define AFX_MSG_THUNK(...)                                                                         \
    [](CCmdTarget* _t, AFX_MSGCALL& _c) -> BOOL {                                                  \
        ThisClass* _p = static_cast<ThisClass*>(_t);                                               \
        (void)_p;                                                                                  \
        (void)_c;                                                                                  \
        __VA_ARGS__                                                                                \
    }

// The handler with the exact signature its entry expects.
#define AFX_MSG_PMF(type, memberFxn) static_cast<type>(&ThisClass::memberFxn)

// Window messages. Handlers: the framework's usual names and signatures.
#define ON_WM_PAINT()                                                                              \
    {WM_PAINT, 0, 0, 0, AFX_MSG_THUNK((_p->*AFX_MSG_PMF(void (ThisClass::*)(), OnPaint))(); return TRUE;)},
#define ON_WM_DESTROY()                                                                            \
    {WM_DESTROY, 0, 0, 0, AFX_MSG_THUNK((_p->*AFX_MSG_PMF(void (ThisClass::*)(), OnDestroy))(); return TRUE;)},
#define ON_WM_SYSCOLORCHANGE()                                                                     \
    {WM_SYSCOLORCHANGE, 0, 0, 0,                                                                   \
     AFX_MSG_THUNK((_p->*AFX_MSG_PMF(void (ThisClass::*)(), OnSysColorChange))(); return TRUE;)},
#define ON_WM_CANCELMODE()                                                                         \
    {WM_CANCELMODE, 0, 0, 0,                                                                       \
     AFX_MSG_THUNK((_p->*AFX_MSG_PMF(void (ThisClass::*)(), OnCancelMode))(); return TRUE;)},
#define ON_WM_TIMER()                                                                              \
    {WM_TIMER, 0, 0, 0,                                                                            \
     AFX_MSG_THUNK((_p->*AFX_MSG_PMF(void (ThisClass::*)(UINT_PTR), OnTimer))((UINT_PTR)_c.wParam); \
                   return TRUE;)},
#define ON_WM_ENABLE()                                                                             \
    {WM_ENABLE, 0, 0, 0,                                                                           \
     AFX_MSG_THUNK((_p->*AFX_MSG_PMF(void (ThisClass::*)(BOOL), OnEnable))((BOOL)_c.wParam); return TRUE;)},
#define ON_WM_KILLFOCUS()                                                                          \
    {WM_KILLFOCUS, 0, 0, 0,                                                                        \
     AFX_MSG_THUNK((_p->*AFX_MSG_PMF(void (ThisClass::*)(CWnd*), OnKillFocus))(AfxWndFromParam(_c.wParam)); \
                   return TRUE;)},
#define ON_WM_ACTIVATE()                                                                           \
    {WM_ACTIVATE, 0, 0, 0,                                                                         \
     AFX_MSG_THUNK((_p->*AFX_MSG_PMF(void (ThisClass::*)(UINT, CWnd*, BOOL), OnActivate))(            \
                       (UINT)LOWORD(_c.wParam), AfxWndFromParam(_c.lParam), (BOOL)HIWORD(_c.wParam)); \
                   return TRUE;)},
#define ON_WM_ERASEBKGND()                                                                         \
    {WM_ERASEBKGND, 0, 0, 0,                                                                       \
     AFX_MSG_THUNK(_c.result = (LRESULT)(_p->*AFX_MSG_PMF(BOOL (ThisClass::*)(CDC*), OnEraseBkgnd))(   \
                       AfxDCFromParam(_c.wParam));                                                 \
                   return TRUE;)},
#define ON_WM_NCHITTEST()                                                                          \
    {WM_NCHITTEST, 0, 0, 0,                                                                        \
     AFX_MSG_THUNK(_c.result = (_p->*AFX_MSG_PMF(LRESULT (ThisClass::*)(CPoint), OnNcHitTest))(        \
                       AfxPointFromParam(_c.lParam));                                              \
                   return TRUE;)},
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, 0,                                                                    \
     AFX_MSG_THUNK(_c.result = (LRESULT)(_p->*AFX_MSG_PMF(HCURSOR (ThisClass::*)(), OnQueryDragIcon))(); \
                   return TRUE;)},
#define ON_WM_SETCURSOR()                                                                          \
    {WM_SETCURSOR, 0, 0, 0,                                                                        \
     AFX_MSG_THUNK(_c.result = (LRESULT)(_p->*AFX_MSG_PMF(BOOL (ThisClass::*)(CWnd*, UINT, UINT), OnSetCursor))( \
                       AfxWndFromParam(_c.wParam), (UINT)LOWORD(_c.lParam), (UINT)HIWORD(_c.lParam)); \
                   return TRUE;)},
#define ON_WM_GETDLGCODE()                                                                         \
    {WM_GETDLGCODE, 0, 0, 0,                                                                       \
     AFX_MSG_THUNK(_c.result = (LRESULT)(_p->*AFX_MSG_PMF(UINT (ThisClass::*)(), OnGetDlgCode))(); return TRUE;)},
#define AFX_ON_MOUSE(msg, memberFxn)                                                               \
    {msg, 0, 0, 0,                                                                                 \
     AFX_MSG_THUNK((_p->*AFX_MSG_PMF(void (ThisClass::*)(UINT, CPoint), memberFxn))(                 \
                       (UINT)_c.wParam, AfxPointFromParam(_c.lParam));                             \
                   return TRUE;)},
#define ON_WM_MOUSEMOVE() AFX_ON_MOUSE(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() AFX_ON_MOUSE(WM_LBUTTONDOWN, OnLButtonDown)

// All WM_CTLCOLOR* messages: HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor).
#define ON_WM_CTLCOLOR()                                                                           \
    {WM_CTLCOLOR, 0, 0, 0,                                                                         \
     AFX_MSG_THUNK(_c.result = (LRESULT)(_p->*AFX_MSG_PMF(HBRUSH (ThisClass::*)(CDC*, CWnd*, UINT), OnCtlColor))( \
                       AfxDCFromParam(_c.wParam), AfxWndFromParam(_c.lParam),                      \
                       (UINT)(_c.message - WM_CTLCOLORMSGBOX));                                    \
                   return TRUE;)},

// LRESULT handler(WPARAM, LPARAM) for any message.
#define ON_MESSAGE(message, memberFxn)                                                             \
    {message, 0, 0, 0,                                                                             \
     AFX_MSG_THUNK(_c.result = (_p->*AFX_MSG_PMF(LRESULT (ThisClass::*)(WPARAM, LPARAM), memberFxn))( \
                       _c.wParam, _c.lParam);                                                      \
                   return TRUE;)},

// Commands and control notifications received by the parent: void handler().
#define ON_COMMAND(id, memberFxn)                                                                  \
    {WM_COMMAND, 0, (UINT)(id), (UINT)(id),                                                        \
     AFX_MSG_THUNK((_p->*AFX_MSG_PMF(void (ThisClass::*)(), memberFxn))(); return TRUE;)},
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                                     \
    {WM_COMMAND, (UINT)(wNotifyCode), (UINT)(id), (UINT)(id),                                      \
     AFX_MSG_THUNK((_p->*AFX_MSG_PMF(void (ThisClass::*)(), memberFxn))(); return TRUE;)},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)

// Notifications reflected to the control that sent them.
// BOOL handler(): FALSE lets the parent handle the notification as well.
#define ON_CONTROL_REFLECT_EX(wNotifyCode, memberFxn)                                              \
    {WM_REFLECT_BASE + WM_COMMAND, (UINT)(wNotifyCode), 0, 0,                                      \
     AFX_MSG_THUNK(return (_p->*AFX_MSG_PMF(BOOL (ThisClass::*)(), memberFxn))() ? TRUE : FALSE;)},
// HBRUSH CtlColor(CDC* pDC, UINT nCtlColor): a NULL brush leaves the answer to the parent.
#define ON_WM_CTLCOLOR_REFLECT()                                                                   \
    {WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0,                                                       \
     AFX_MSG_THUNK(HBRUSH hbr = (_p->*AFX_MSG_PMF(HBRUSH (ThisClass::*)(CDC*, UINT), CtlColor))(       \
                       AfxDCFromParam(_c.wParam), (UINT)(_c.message - WM_CTLCOLORMSGBOX));         \
                   _c.result = (LRESULT)hbr; return hbr != NULL;)},
