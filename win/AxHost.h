#pragma once
// Hosting one ActiveX control in a child window: the control is created
// (from a class id, a ProgID, or an address shown in the web browser
// control), given a client site, activated in place in the window, kept at
// the window's size, offered the keys of the window's messages, and closed
// in order when the window goes.
#include "win/Com.h"
#include "win/MessageLoop.h"
#include "win/WindowImpl.h"
#include <string>

class CAxSite;

// The COM side of the host; one control per host.
class CAxHost
{
public:
    CAxHost();
    ~CAxHost();
    CAxHost(const CAxHost&) = delete;
    CAxHost& operator=(const CAxHost&) = delete;

    // name: "{class id}", a ProgID, or else an address, which is shown in the
    // web browser control. An empty name hosts nothing (S_FALSE).
    HRESULT CreateControl(HWND window, const std::string& name);
    HRESULT CreateControl(HWND window, REFCLSID clsid);

    IUnknown* GetControl() const { return m_control; }
    HRESULT QueryControl(REFIID iid, void** out) const;
    bool IsInPlaceActive() const { return m_inPlaceActive; }
    // The control's position in the window (its visible part is all of it).
    void SetRect(const RECT& rect);
    // Offers a key message for the window or its children to the active
    // control; true when the control took it.
    bool TranslateAccelerator(MSG* msg);
    // Deactivates and closes the control and lets go of it and of the site.
    void Close();

private:
    friend class CAxSite;

    HWND m_window;
    CComPtr<IUnknown> m_control;
    CComPtr<IOleObject> m_oleObject;
    CComPtr<IOleInPlaceObject> m_inPlaceObject;
    CComPtr<IOleInPlaceActiveObject> m_activeObject;
    CAxSite* m_site;
    bool m_inPlaceActive;
};

// A window that hosts the control its window text names. T may add its own
// map in front and chain to this one.
template <class T, class TBase = CWindow, class TWinTraits = CControlWinTraits>
class CAxHostWindowImpl : public CWindowImpl<T, TBase, TWinTraits>, public CMessageFilter
{
public:
    BEGIN_MSG_MAP(CAxHostWindowImpl)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        SIZE_HANDLER(OnSize)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    // For the message loop of the thread: the control's own accelerators.
    BOOL PreTranslateMessage(MSG* msg) override { return m_host.TranslateAccelerator(msg) ? TRUE : FALSE; }
    CAxHost& GetHost() { return m_host; }

protected:
    LRESULT OnCreate(UINT, WPARAM, LPARAM lp, BOOL& handled)
    {
        const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lp);
        m_host.CreateControl(this->m_hWnd, create && create->lpszName ? create->lpszName : "");
        handled = FALSE;
        return 0;
    }
    void OnSize(UINT, CSize client, BOOL& handled)
    {
        m_host.SetRect(CRect(0, 0, client.cx, client.cy));
        handled = FALSE;
    }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        m_host.Close();
        handled = FALSE;
        return 0;
    }

    CAxHost m_host;
};

class CAxHostWindow : public CAxHostWindowImpl<CAxHostWindow>
{
public:
    DECLARE_WND_CLASS_EX("ZtAxHost", 0, COLOR_WINDOW + 1)
};
