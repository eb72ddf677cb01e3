#include "win/WindowImpl.h"
#include <commctrl.h>
#include <cstdio>
#include <mutex>
#include <unordered_map>

namespace {

// Which object each routed window belongs to. Windows live on their thread,
// but objects may be created and looked up on several UI threads (the login
// dialog's and the main frame's), hence the lock.
//
// An entry without an object is a forwarding step: the object went while
// another procedure subclassed the window after it, so our procedure stays in
// that procedure's chain and hands every message to the one it replaced,
// until the window's last message.
class CRouteTable
{
public:
    struct Entry
    {
        CWindowRouter* router;
        WNDPROC forward;
    };

    bool Find(HWND hwnd, Entry& entry)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        auto it = m_routes.find(hwnd);
        if (it == m_routes.end())
            return false;
        entry = it->second;
        return true;
    }
    bool Contains(HWND hwnd)
    {
        Entry entry;
        return Find(hwnd, entry);
    }
    void Add(HWND hwnd, CWindowRouter* router)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_routes[hwnd] = Entry { router, nullptr };
    }
    void Forward(HWND hwnd, WNDPROC proc)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_routes[hwnd] = Entry { nullptr, proc };
    }
    void Remove(HWND hwnd)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_routes.erase(hwnd);
    }

private:
    std::mutex m_lock;
    std::unordered_map<HWND, Entry> m_routes;
};

// Never destroyed: windows (and window objects with static storage) may
// still route messages while static objects are being destroyed at exit.
CRouteTable& Routes()
{
    static CRouteTable* table = new CRouteTable;
    return *table;
}

// The procedure each class of ours would have without objects (DefWindowProc,
// or the superclassed class's procedure), for windows of the class that no
// object claimed (a control of the class in a dialog template).
std::unordered_map<ATOM, WNDPROC>& ClassDefaults()
{
    static std::unordered_map<ATOM, WNDPROC>* defaults = new std::unordered_map<ATOM, WNDPROC>;
    return *defaults;
}

WNDPROC ClassDefaultOf(HWND hwnd);

// The object whose window is being created on this thread. The first
// message of a new window reaches our procedure before CreateWindowEx (or
// CreateDialog) returns, and no other new window can come first.
thread_local CWindowRouter* t_creating = nullptr;
thread_local WNDPROC t_creatingDefaultProc = nullptr;
thread_local bool t_creatingDialog = false;

std::mutex& RegistrationLock()
{
    static std::mutex lock;
    return lock;
}

WNDPROC ClassDefaultOf(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(RegistrationLock());
    auto it = ClassDefaults().find(static_cast<ATOM>(::GetClassWord(hwnd, GCW_ATOM)));
    return it == ClassDefaults().end() ? nullptr : it->second;
}

bool IsDialogValueMessage(UINT msg)
{
    // Messages whose dialog-procedure result is the answer itself rather
    // than "handled" (the answer then goes to DWLP_MSGRESULT).
    switch (msg) {
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return IsCtlColorMessage(msg);
    }
}

} // namespace

CWndClassInfo::CWndClassInfo(const char* name, UINT style, HBRUSH background, const char* cursor)
    : m_name(name)
    , m_systemClass(nullptr)
    , m_style(style)
    , m_background(background)
    , m_cursor(cursor)
    , m_generatedName()
    , m_atom(0)
    , m_defaultProc(nullptr)
{
}

CWndClassInfo CWndClassInfo::Superclass(const char* name, const char* systemClass)
{
    CWndClassInfo info(name, 0, nullptr, nullptr);
    info.m_systemClass = systemClass;
    return info;
}

ATOM CWndClassInfo::Register(WNDPROC* defaultProc)
{
    std::lock_guard<std::mutex> lock(RegistrationLock());
    if (m_atom) {
        *defaultProc = m_defaultProc;
        return m_atom;
    }
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    const char* name = m_name;
    if (!name) {
        std::snprintf(m_generatedName, sizeof(m_generatedName), "Zentu:%p", static_cast<void*>(this));
        name = m_generatedName;
    }

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    if (m_systemClass) {
        if (!::GetClassInfoExA(nullptr, m_systemClass, &wc)) {
            // Common-control classes exist only once the library registered them.
            INITCOMMONCONTROLSEX icc
                = { sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES };
            ::InitCommonControlsEx(&icc);
            if (!::GetClassInfoExA(nullptr, m_systemClass, &wc))
                return 0;
        }
        m_defaultProc = wc.lpfnWndProc;
        wc.style &= ~CS_GLOBALCLASS;
    } else {
        m_defaultProc = ::DefWindowProcA;
        wc.style = m_style;
        wc.hbrBackground = m_background;
        wc.hCursor = m_cursor ? ::LoadCursorA(nullptr, m_cursor) : nullptr;
    }
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &CWindowRouter::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = name;
    m_atom = ::RegisterClassExA(&wc);
    if (m_atom)
        ClassDefaults()[m_atom] = m_defaultProc;
    *defaultProc = m_defaultProc;
    return m_atom;
}

CWindowRouter::CWindowRouter()
    : m_window(nullptr)
    , m_defaultProc(::DefWindowProcA)
    , m_currentMsg(nullptr)
    , m_dialog(false)
    , m_subclassed(false)
    , m_finalPending(false)
{
}

CWindowRouter::~CWindowRouter()
{
    if (t_creating == this)
        t_creating = nullptr;
    if (m_window)
        Detach(false, false); // the derived object, and with it its handle, is gone already
}

void CWindowRouter::BeginCreation(WNDPROC defaultProc, bool dialog)
{
    t_creating = this;
    t_creatingDefaultProc = defaultProc;
    t_creatingDialog = dialog;
}

void CWindowRouter::EndCreation()
{
    if (t_creating == this)
        t_creating = nullptr;
}

void CWindowRouter::Attach(HWND hwnd)
{
    m_window = hwnd;
    m_finalPending = false;
    Routes().Add(hwnd, this);
    SetHandle(hwnd);
}

void CWindowRouter::Detach(bool clearHandle, bool windowEnding)
{
    // The window lives on without us: it gets its own procedure back so that
    // no later message looks for this object. When another procedure was set
    // after ours, ours stays in its chain and only forwards from now on.
    bool forward = false;
    if (!windowEnding && ::IsWindow(m_window)) {
        WNDPROC current = reinterpret_cast<WNDPROC>(
            ::GetWindowLongPtrA(m_window, m_dialog ? DWLP_DLGPROC : GWLP_WNDPROC));
        if (m_dialog && current == reinterpret_cast<WNDPROC>(&DialogProc))
            ::SetWindowLongPtrA(m_window, DWLP_DLGPROC, 0);
        else if (!m_dialog && current == &WindowProc)
            ::SetWindowLongPtrA(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_defaultProc));
        else if (!m_dialog)
            forward = true;
    }
    if (forward)
        Routes().Forward(m_window, m_defaultProc);
    else
        Routes().Remove(m_window);
    m_window = nullptr;
    m_subclassed = false;
    if (clearHandle)
        SetHandle(nullptr);
}

CWindowRouter* CWindowRouter::Claim(HWND hwnd, bool dialog)
{
    // Only the kind of window being created: a control of one of our classes
    // in a dialog template reaches WindowProc before the dialog procedure
    // hears anything, and must not take the dialog's object.
    CWindowRouter* router = t_creating;
    if (!router || t_creatingDialog != dialog)
        return nullptr;
    t_creating = nullptr;
    router->m_defaultProc = t_creatingDefaultProc;
    router->m_dialog = t_creatingDialog;
    router->m_subclassed = false;
    router->Attach(hwnd);
    return router;
}

bool CWindowRouter::SubclassHandle(HWND hwnd)
{
    // A window still holding a forwarding step of ours is refused too: a
    // second entry of our procedure in its chain would route to us twice.
    if (m_window || !::IsWindow(hwnd) || Routes().Contains(hwnd))
        return false;
    // A window of one of our classes that no object claimed (a control in a
    // dialog template) already runs our procedure: taking it as the previous
    // one would route every unhandled message back to us for ever.
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_WNDPROC)) == &WindowProc) {
        WNDPROC classDefault = ClassDefaultOf(hwnd);
        if (!classDefault)
            return false;
        m_defaultProc = classDefault;
        m_dialog = false;
        m_subclassed = true;
        Attach(hwnd);
        return true;
    }
    WNDPROC previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetWindowProc())));
    if (!previous)
        return false;
    m_defaultProc = previous;
    m_dialog = false;
    m_subclassed = true;
    Attach(hwnd);
    return true;
}

HWND CWindowRouter::UnsubclassHandle(bool force)
{
    if (!m_subclassed || !m_window)
        return nullptr;
    HWND hwnd = m_window;
    WNDPROC current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    if (current != GetWindowProc() && !force)
        return nullptr;
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_defaultProc));
    Routes().Remove(hwnd);
    m_window = nullptr;
    m_subclassed = false;
    SetHandle(nullptr);
    return hwnd;
}

LRESULT CWindowRouter::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp)
{
    if (m_dialog)
        return FALSE;
    return ::CallWindowProcA(m_defaultProc, m_currentMsg ? m_currentMsg->hwnd : m_window, msg, wp, lp);
}

LRESULT CWindowRouter::DefWindowProc()
{
    if (!m_currentMsg)
        return 0;
    return DefWindowProc(m_currentMsg->message, m_currentMsg->wParam, m_currentMsg->lParam);
}

LRESULT CWindowRouter::Route(CWindowRouter* self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, bool& handled)
{
    MSG current = { hwnd, msg, wp, lp, 0, { 0, 0 } };
    const MSG* outer = self->m_currentMsg;
    self->m_currentMsg = &current;
    LRESULT result = 0;
    handled = self->ProcessWindowMessage(hwnd, msg, wp, lp, result, 0) != FALSE;
    // The last message always reaches the procedure below: a control frees
    // its own data there, whatever our handlers did.
    if ((!handled || msg == WM_NCDESTROY) && !self->m_dialog) {
        LRESULT own = ::CallWindowProcA(self->m_defaultProc, hwnd, msg, wp, lp);
        if (!handled)
            result = own;
    }
    if (msg == WM_NCDESTROY) {
        self->Detach(true, true);
        self->m_finalPending = true;
    }
    self->m_currentMsg = outer;
    // The object may delete itself in OnFinalMessage, so it is called only
    // when no handler of the object is still running further up the stack.
    if (self->m_finalPending && !outer) {
        self->m_finalPending = false;
        self->OnFinalMessage(hwnd);
    }
    return result;
}

LRESULT CALLBACK CWindowRouter::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    CRouteTable::Entry entry = { nullptr, nullptr };
    CWindowRouter* self = Routes().Find(hwnd, entry) ? entry.router : Claim(hwnd, false);
    if (self) {
        bool handled = false;
        return Route(self, hwnd, msg, wp, lp, handled);
    }
    if (entry.forward) {
        LRESULT result = ::CallWindowProcA(entry.forward, hwnd, msg, wp, lp);
        if (msg == WM_NCDESTROY)
            Routes().Remove(hwnd);
        return result;
    }
    // A window of one of our classes that no object claimed.
    if (WNDPROC classDefault = ClassDefaultOf(hwnd))
        return ::CallWindowProcA(classDefault, hwnd, msg, wp, lp);
    return ::DefWindowProcA(hwnd, msg, wp, lp);
}

INT_PTR CALLBACK CWindowRouter::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    CRouteTable::Entry entry = { nullptr, nullptr };
    CWindowRouter* self = Routes().Find(hwnd, entry) ? entry.router : Claim(hwnd, true);
    if (!self)
        return FALSE;
    bool handled = false;
    LRESULT result = Route(self, hwnd, msg, wp, lp, handled);
    if (!handled)
        return FALSE;
    if (IsDialogValueMessage(msg))
        return static_cast<INT_PTR>(result);
    if (msg != WM_NCDESTROY)
        ::SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
