#pragma once
// Window objects: a C++ object that receives the messages of one window
// through its message map. The window is either created by the object (its
// own class, or a superclass of a system class) or an existing window that
// the object subclasses (a dialog item). The object learns of the window's
// end in OnFinalMessage, called after WM_NCDESTROY, where a heap-allocated
// object may delete itself.
#include <windows.h>
#include "win/MessageMap.h"
#include "win/Window.h"

// The class a window object registers: a name (generated when null), class
// style, cursor and background, or the system class it superclasses.
class CWndClassInfo
{
public:
    CWndClassInfo(const char* name, UINT style, HBRUSH background, const char* cursor = IDC_ARROW);
    // A superclass of a system class such as "BUTTON" or "SysListView32":
    // the same class data and window procedure under a name of our own.
    static CWndClassInfo Superclass(const char* name, const char* systemClass);

    // Registers the class once (thread-safe); returns its atom, 0 on failure.
    // The procedure that a new window of the class starts with is written to
    // *defaultProc (DefWindowProcA, or the superclassed class's procedure).
    ATOM Register(WNDPROC* defaultProc);

private:
    const char* m_name;
    const char* m_systemClass;
    UINT m_style;
    HBRUSH m_background;
    const char* m_cursor;
    char m_generatedName[40];
    ATOM m_atom;
    WNDPROC m_defaultProc;
};

// The declarations a window class makes about its window class.
#define DECLARE_WND_CLASS_EX(name, style, background)                                                        \
    static CWndClassInfo& GetWndClassInfo()                                                                  \
    {                                                                                                        \
        static CWndClassInfo info(name, style, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background)));  \
        return info;                                                                                         \
    }
#define DECLARE_WND_CLASS(name)                                                                              \
    DECLARE_WND_CLASS_EX(name, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_WINDOW + 1)
#define DECLARE_WND_SUPERCLASS(name, systemClass)                                                            \
    static CWndClassInfo& GetWndClassInfo()                                                                  \
    {                                                                                                        \
        static CWndClassInfo info = CWndClassInfo::Superclass(name, systemClass);                            \
        return info;                                                                                         \
    }

// The message routing every window object shares. It is separate from the
// handle wrapper so that a window object can derive from any control wrapper.
class CWindowRouter : public CMessageMap
{
public:
    CWindowRouter();
    CWindowRouter(const CWindowRouter&) = delete;
    CWindowRouter& operator=(const CWindowRouter&) = delete;
    // A window that outlives its object is handed back to its own procedure.
    virtual ~CWindowRouter();

    // Called once the window has received its last message.
    virtual void OnFinalMessage(HWND) { }
    virtual WNDPROC GetWindowProc() { return &WindowProc; }

    // The processing the window would get without this object: the previous
    // procedure of a subclassed window, the system class's procedure of a
    // superclass, DefWindowProc otherwise (for a dialog: FALSE, "not handled").
    LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // The same for the message being handled now.
    LRESULT DefWindowProc();
    // The message being handled now (null outside a handler).
    const MSG* GetCurrentMessage() const { return m_currentMsg; }
    HWND GetRoutedWindow() const { return m_window; }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

protected:
    // The next window created on this thread through our procedures belongs
    // to this object; EndCreation forgets the claim when creation failed.
    void BeginCreation(WNDPROC defaultProc, bool dialog);
    void EndCreation();
    bool SubclassHandle(HWND hwnd);
    HWND UnsubclassHandle(bool force);
    // Keeps the handle wrapper of the derived object in step.
    virtual void SetHandle(HWND hwnd) = 0;

private:
    static LRESULT Route(CWindowRouter* self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, bool& handled);
    static CWindowRouter* Claim(HWND hwnd, bool dialog);
    void Attach(HWND hwnd);
    // windowEnding: called at the window's last message (nothing to hand back).
    void Detach(bool clearHandle, bool windowEnding);

    HWND m_window;
    WNDPROC m_defaultProc;
    const MSG* m_currentMsg;
    bool m_dialog;
    bool m_subclassed;
    bool m_finalPending;
};

// Control styles: a visible child that clips its children and siblings.
template <DWORD Style, DWORD ExStyle = 0> struct CWinTraits
{
    static DWORD GetWndStyle(DWORD style) { return style ? style : Style; }
    static DWORD GetWndExStyle(DWORD exStyle) { return exStyle ? exStyle : ExStyle; }
};
typedef CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS> CControlWinTraits;
typedef CWinTraits<WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
    WS_EX_APPWINDOW | WS_EX_WINDOWEDGE>
    CFrameWinTraits;

// A window object over the handle wrapper TBase (CWindow or a control wrapper).
template <class TBase = CWindow> class CWindowImplRoot : public TBase, public CWindowRouter
{
public:
    // Routes an existing window (a dialog item) to this object; its previous
    // procedure becomes the default processing. Fails for a window already
    // routed to an object.
    BOOL SubclassWindow(HWND hwnd) { return SubclassHandle(hwnd) ? TRUE : FALSE; }
    // Gives the window its previous procedure back; without force, only when
    // nobody subclassed it after us. Returns the window, null on failure.
    HWND UnsubclassWindow(bool force = false) { return UnsubclassHandle(force); }

protected:
    void SetHandle(HWND hwnd) override { this->m_hWnd = hwnd; }
};

// A window created by its object. T declares its class with
// DECLARE_WND_CLASS or DECLARE_WND_SUPERCLASS (default: a generated name).
template <class T, class TBase = CWindow, class TWinTraits = CControlWinTraits>
class CWindowImpl : public CWindowImplRoot<TBase>
{
public:
    DECLARE_WND_CLASS(nullptr)

    static DWORD GetWndStyle(DWORD style) { return TWinTraits::GetWndStyle(style); }
    static DWORD GetWndExStyle(DWORD exStyle) { return TWinTraits::GetWndExStyle(exStyle); }

    // Style 0 means the traits' style. Returns the window, null on failure.
    HWND Create(HWND parent, const RECT& rect, const char* name = nullptr, DWORD style = 0, DWORD exStyle = 0,
        UINT_PTR idOrMenu = 0, void* createParam = nullptr)
    {
        if (this->m_hWnd)
            return nullptr; // one window per object
        WNDPROC defaultProc = nullptr;
        ATOM atom = T::GetWndClassInfo().Register(&defaultProc);
        if (!atom)
            return nullptr;
        style = T::GetWndStyle(style);
        exStyle = T::GetWndExStyle(exStyle);
        this->BeginCreation(defaultProc, false);
        HWND hwnd = ::CreateWindowExA(exStyle, MAKEINTATOM(atom), name, style, rect.left, rect.top,
            rect.right - rect.left, rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(idOrMenu),
            ::GetModuleHandleA(nullptr), createParam);
        this->EndCreation();
        return hwnd;
    }
};
