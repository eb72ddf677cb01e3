#pragma once
// Message maps: a class lists, in order, which member handles which message,
// and the first handler that keeps the handled flag set ends the search.
//
//     BEGIN_MSG_MAP(CMyView)
//         MESSAGE_HANDLER(WM_CREATE, OnCreate)
//         COMMAND_ID_HANDLER(IDOK, OnOk)
//         NOTIFY_CODE_HANDLER(NM_CUSTOMDRAW, OnCustomDraw)
//         CHAIN_MSG_MAP(CBaseView)          // then the base class's map
//         REFLECT_NOTIFICATIONS()           // then the children's own maps
//     END_MSG_MAP()
//
// Handler shapes (set handled to FALSE to let the search go on):
//     LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled);
//     LRESULT OnCommand(WORD code, WORD id, HWND control, BOOL& handled);
//     LRESULT OnNotify(int id, NMHDR* header, BOOL& handled);
// and, for the messages views and controls handle most, typed handlers that
// receive the parameters decoded (see "Typed handlers" below), so that no
// handler unpacks wParam or lParam itself.
//
// A map may hold alternate sections (ALT_MSG_MAP(n)) that another window's
// map reaches with CHAIN_MSG_MAP_ALT_MEMBER. Maps of mix-ins and members
// (which need not derive from CMessageMap) are chained the same way.
#include <windows.h>
#include <olectl.h>
#include "win/Geometry.h"

// Reflected messages: what a parent sends back to the child that notified it.
#ifndef OCM__BASE
#define OCM__BASE (WM_USER + 0x1c00)
#endif
#ifndef OCM_NOTIFY
#define OCM_NOTIFY (OCM__BASE + WM_NOTIFY)
#endif

class CMessageMap
{
public:
    virtual BOOL ProcessWindowMessage(
        HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD dwMsgMapID = 0)
        = 0;

protected:
    ~CMessageMap() { }
};

// Sends WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR*,
// WM_HSCROLL and WM_VSCROLL back to the child they concern, as OCM__BASE +
// the message. handled is cleared when the message is none of these or has
// no child window (a menu's draw request, a bar's own scroll message).
LRESULT ReflectNotifications(HWND parent, UINT msg, WPARAM wp, LPARAM lp, BOOL& handled);

// WM_CTLCOLORMSGBOX ... WM_CTLCOLORSTATIC.
inline bool IsCtlColorMessage(UINT msg)
{
    return msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC;
}

// True for the reflected messages above.
inline bool IsReflectedMessage(UINT msg)
{
    switch (msg) {
    case OCM__BASE + WM_COMMAND:
    case OCM__BASE + WM_NOTIFY:
    case OCM__BASE + WM_DRAWITEM:
    case OCM__BASE + WM_MEASUREITEM:
    case OCM__BASE + WM_HSCROLL:
    case OCM__BASE + WM_VSCROLL:
        return true;
    default:
        return msg >= OCM__BASE && IsCtlColorMessage(msg - OCM__BASE);
    }
}

// The map's function. Handlers reach the window's handle through hWnd only
// inside the map; members use m_hWnd.
#define BEGIN_MSG_MAP(theClass)                                                                              \
public:                                                                                                      \
    BOOL ProcessWindowMessage(                                                                               \
        HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD dwMsgMapID = 0)          \
    {                                                                                                        \
        BOOL bHandled = TRUE;                                                                                \
        (void)hWnd;                                                                                          \
        (void)uMsg;                                                                                          \
        (void)wParam;                                                                                        \
        (void)lParam;                                                                                        \
        (void)lResult;                                                                                       \
        (void)bHandled;                                                                                      \
        switch (dwMsgMapID) {                                                                                \
        case 0:

#define ALT_MSG_MAP(mapId)                                                                                   \
    break;                                                                                                   \
    case mapId:

#define END_MSG_MAP()                                                                                        \
    break;                                                                                                   \
    default:                                                                                                 \
        break;                                                                                               \
        }                                                                                                    \
        return FALSE;                                                                                        \
        }

#define ZT_CALL_HANDLER(call)                                                                                \
    {                                                                                                        \
        bHandled = TRUE;                                                                                     \
        lResult = call;                                                                                      \
        if (bHandled)                                                                                        \
            return TRUE;                                                                                     \
    }

#define MESSAGE_HANDLER(msg, func)                                                                           \
    if (uMsg == (msg))                                                                                       \
    ZT_CALL_HANDLER(func(uMsg, wParam, lParam, bHandled))

#define MESSAGE_RANGE_HANDLER(msgFirst, msgLast, func)                                                       \
    if (uMsg >= (msgFirst) && uMsg <= (msgLast))                                                             \
    ZT_CALL_HANDLER(func(uMsg, wParam, lParam, bHandled))

#define ZT_COMMAND_CALL(func)                                                                                \
    ZT_CALL_HANDLER(func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled))

#define COMMAND_HANDLER(id, code, func)                                                                      \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code))                            \
    ZT_COMMAND_CALL(func)

#define COMMAND_ID_HANDLER(id, func)                                                                         \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id))                                                        \
    ZT_COMMAND_CALL(func)

#define COMMAND_CODE_HANDLER(code, func)                                                                     \
    if (uMsg == WM_COMMAND && HIWORD(wParam) == (code))                                                      \
    ZT_COMMAND_CALL(func)

// A function, so a range reaching the ends of the 16-bit id space does not
// make a comparison that is always true.
inline bool CommandIdInRange(WPARAM wParam, int idFirst, int idLast)
{
    const int id = LOWORD(wParam);
    return id >= idFirst && id <= idLast;
}

#define COMMAND_RANGE_HANDLER(idFirst, idLast, func)                                                         \
    if (uMsg == WM_COMMAND && CommandIdInRange(wParam, (idFirst), (idLast)))                                 \
    ZT_COMMAND_CALL(func)

#define ZT_NOTIFY_CALL(func)                                                                                 \
    ZT_CALL_HANDLER(func(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam), bHandled))

#define NOTIFY_HANDLER(id, notifyCode, func)                                                                 \
    if (uMsg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->idFrom == static_cast<UINT_PTR>(id)           \
        && reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(notifyCode))                          \
    ZT_NOTIFY_CALL(func)

#define NOTIFY_ID_HANDLER(id, func)                                                                          \
    if (uMsg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->idFrom == static_cast<UINT_PTR>(id))          \
    ZT_NOTIFY_CALL(func)

#define NOTIFY_CODE_HANDLER(notifyCode, func)                                                                \
    if (uMsg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(notifyCode))        \
    ZT_NOTIFY_CALL(func)

// What a child receives back from its parent.
#define REFLECTED_COMMAND_CODE_HANDLER(code, func)                                                           \
    if (uMsg == OCM_COMMAND && HIWORD(wParam) == (code))                                                     \
    ZT_COMMAND_CALL(func)

#define REFLECTED_NOTIFY_CODE_HANDLER(notifyCode, func)                                                      \
    if (uMsg == OCM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(notifyCode))       \
    ZT_NOTIFY_CALL(func)

// Typed handlers ---------------------------------------------------------------
// Coordinates are signed (a point left of or above a window is negative), the
// wheel's delta is signed, and the message gets its usual answer: 0, TRUE for
// drawn and measured items, the handler's own for WM_SETCURSOR.
//
//   SIZE_HANDLER(f)            void f(UINT type, CSize client, BOOL& handled)
//   MOUSE_HANDLER(msg, f)      void f(UINT keys, CPoint client, BOOL& handled)
//                              for WM_MOUSEMOVE and WM_[LRM]BUTTON{DOWN,UP,DBLCLK}
//   MOUSEWHEEL_HANDLER(f)      void f(UINT keys, int delta, CPoint screen, BOOL& handled)
//   KEY_HANDLER(msg, f)        void f(UINT key, UINT repeat, UINT flags, BOOL& handled)
//                              for WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN, ...;
//                              flags are lParam's high word (scan code, extended, ...)
//   TIMER_HANDLER(f)           void f(UINT_PTR id, BOOL& handled)
//   PAINT_HANDLER(f)           void f(HDC given, BOOL& handled)
//                              given is null from the system (use CPaintDC), a DC when sent one
//   SETCURSOR_HANDLER(f)       BOOL f(HWND under, UINT hitTest, UINT mouseMessage, BOOL& handled)
//   CONTEXTMENU_HANDLER(f)     void f(HWND clicked, CPoint screen, BOOL& handled)
//                              screen is (-1, -1) when the keyboard asked
//   CAPTURECHANGED_HANDLER(f)  void f(HWND gaining, BOOL& handled)
//   DRAWITEM_HANDLER(f)        void f(UINT id, DRAWITEMSTRUCT* item, BOOL& handled)
//   MEASUREITEM_HANDLER(f)     void f(UINT id, MEASUREITEMSTRUCT* item, BOOL& handled)
//   REFLECTED_DRAWITEM_HANDLER(f), REFLECTED_MEASUREITEM_HANDLER(f): the same,
//                              for an owner-drawn control's reflected request
// Commands and notifications have their typed entries above.

#define ZT_CALL_TYPED_HANDLER(call, answer)                                                                  \
    {                                                                                                        \
        bHandled = TRUE;                                                                                     \
        call;                                                                                                \
        lResult = (answer);                                                                                  \
        if (bHandled)                                                                                        \
            return TRUE;                                                                                     \
    }

#define SIZE_HANDLER(func)                                                                                   \
    if (uMsg == WM_SIZE)                                                                                     \
    ZT_CALL_TYPED_HANDLER(                                                                                   \
        func(static_cast<UINT>(wParam),                                                                      \
            CSize(static_cast<int>(LOWORD(lParam)), static_cast<int>(HIWORD(lParam))), bHandled),            \
        0)

#define MOUSE_HANDLER(msg, func)                                                                             \
    if (uMsg == (msg))                                                                                       \
    ZT_CALL_TYPED_HANDLER(func(static_cast<UINT>(wParam), CPoint::FromLParam(lParam), bHandled), 0)

#define MOUSEWHEEL_HANDLER(func)                                                                             \
    if (uMsg == WM_MOUSEWHEEL)                                                                               \
    ZT_CALL_TYPED_HANDLER(                                                                                   \
        func(static_cast<UINT>(LOWORD(wParam)), static_cast<int>(static_cast<short>(HIWORD(wParam))),        \
            CPoint::FromLParam(lParam), bHandled),                                                           \
        0)

#define KEY_HANDLER(msg, func)                                                                               \
    if (uMsg == (msg))                                                                                       \
    ZT_CALL_TYPED_HANDLER(func(static_cast<UINT>(wParam), static_cast<UINT>(LOWORD(lParam)),                 \
                              static_cast<UINT>(HIWORD(lParam)), bHandled),                                  \
        0)

#define TIMER_HANDLER(func)                                                                                  \
    if (uMsg == WM_TIMER)                                                                                    \
    ZT_CALL_TYPED_HANDLER(func(static_cast<UINT_PTR>(wParam), bHandled), 0)

#define PAINT_HANDLER(func)                                                                                  \
    if (uMsg == WM_PAINT)                                                                                    \
    ZT_CALL_TYPED_HANDLER(func(reinterpret_cast<HDC>(wParam), bHandled), 0)

#define SETCURSOR_HANDLER(func)                                                                              \
    if (uMsg == WM_SETCURSOR)                                                                                \
    ZT_CALL_HANDLER(func(reinterpret_cast<HWND>(wParam), static_cast<UINT>(LOWORD(lParam)),                  \
        static_cast<UINT>(HIWORD(lParam)), bHandled))

#define CONTEXTMENU_HANDLER(func)                                                                            \
    if (uMsg == WM_CONTEXTMENU)                                                                              \
    ZT_CALL_TYPED_HANDLER(func(reinterpret_cast<HWND>(wParam), CPoint::FromLParam(lParam), bHandled), 0)

#define CAPTURECHANGED_HANDLER(func)                                                                         \
    if (uMsg == WM_CAPTURECHANGED)                                                                           \
    ZT_CALL_TYPED_HANDLER(func(reinterpret_cast<HWND>(lParam), bHandled), 0)

#define ZT_DRAWITEM_ENTRY(msg, func)                                                                         \
    if (uMsg == (msg))                                                                                       \
    ZT_CALL_TYPED_HANDLER(                                                                                   \
        func(static_cast<UINT>(wParam), reinterpret_cast<DRAWITEMSTRUCT*>(lParam), bHandled), TRUE)

#define ZT_MEASUREITEM_ENTRY(msg, func)                                                                      \
    if (uMsg == (msg))                                                                                       \
    ZT_CALL_TYPED_HANDLER(                                                                                   \
        func(static_cast<UINT>(wParam), reinterpret_cast<MEASUREITEMSTRUCT*>(lParam), bHandled), TRUE)

#define DRAWITEM_HANDLER(func) ZT_DRAWITEM_ENTRY(WM_DRAWITEM, func)
#define MEASUREITEM_HANDLER(func) ZT_MEASUREITEM_ENTRY(WM_MEASUREITEM, func)
#define REFLECTED_DRAWITEM_HANDLER(func) ZT_DRAWITEM_ENTRY(OCM__BASE + WM_DRAWITEM, func)
#define REFLECTED_MEASUREITEM_HANDLER(func) ZT_MEASUREITEM_ENTRY(OCM__BASE + WM_MEASUREITEM, func)

// Chaining: another map is asked in place; it ends the search when it handles.
#define CHAIN_MSG_MAP(theBase)                                                                               \
    if (theBase::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))                                  \
        return TRUE;

#define CHAIN_MSG_MAP_ALT(theBase, mapId)                                                                    \
    if (theBase::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, mapId))                           \
        return TRUE;

#define CHAIN_MSG_MAP_MEMBER(member)                                                                         \
    if ((member).ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))                                  \
        return TRUE;

#define CHAIN_MSG_MAP_ALT_MEMBER(member, mapId)                                                              \
    if ((member).ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, mapId))                           \
        return TRUE;

// Parent side: hands the children's notifications back to them.
#define REFLECT_NOTIFICATIONS() ZT_CALL_HANDLER(ReflectNotifications(hWnd, uMsg, wParam, lParam, bHandled))

// Child side: a reflected message nobody handled gets the default answer of
// the message it came from (e.g. the default colour brush), not the child
// control's answer to an unknown message.
#define DEFAULT_REFLECTION_HANDLER()                                                                         \
    if (IsReflectedMessage(uMsg)) {                                                                          \
        lResult = ::DefWindowProcA(hWnd, uMsg - OCM__BASE, wParam, lParam);                                  \
        return TRUE;                                                                                         \
    }
