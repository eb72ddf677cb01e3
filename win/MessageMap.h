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
//
// A map may hold alternate sections (ALT_MSG_MAP(n)) that another window's
// map reaches with CHAIN_MSG_MAP_ALT_MEMBER. Maps of mix-ins and members
// (which need not derive from CMessageMap) are chained the same way.
#include <windows.h>
#include <olectl.h>

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

#define COMMAND_RANGE_HANDLER(idFirst, idLast, func)                                                         \
    if (uMsg == WM_COMMAND && LOWORD(wParam) >= (idFirst) && LOWORD(wParam) <= (idLast))                     \
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
