#pragma once
// The embedded web browser: a child window hosting the system browser
// control, listening to its events. It keeps the browser's interface, whether
// the browser can go back and forward and whether the page is secure, and
// lets every navigation, new window and error page go ahead. UI thread only.
#include "win/AxHost.h"
#include "win/DispEventSink.h"
#include <exdisp.h>

// The browser events with an effect here and their default handling.
class CWebBrowser2EventsBase
{
public:
    void OnCommandStateChange(long, bool) { }
    void OnSetSecureLockIcon(long) { }
    // The cancel answers: true stops the navigation, the new window or the
    // browser's own error page.
    bool OnBeforeNavigate2() { return false; }
    bool OnNewWindow2() { return false; }
    bool OnNavigateError() { return false; }
};

// The DWebBrowserEvents2 sink of T: decodes the events T handles (see
// CWebBrowser2EventsBase) from their DISPPARAMS and connects to a browser.
template <class T> class CWebBrowser2 : public CDispEventSink, public CWebBrowser2EventsBase
{
public:
    enum : DWORD { kNotConnected = 0xFEFEFEFE };
    enum : DISPID {
        kCommandStateChange = 105,
        kBeforeNavigate2 = 250,
        kNewWindow2 = 251,
        kSetSecureLockIcon = 269,
        kNavigateError = 271,
    };
    // CommandStateChange's commands.
    enum : long { kCommandForward = 1, kCommandBack = 2 };

    CWebBrowser2()
        : CDispEventSink(DIID_DWebBrowserEvents2)
    {
    }

    DWORD GetCookie() const { return m_cookie; }
    bool IsConnected() const { return m_cookie != kNotConnected; }

protected:
    ~CWebBrowser2() = default;

    // Fails (E_FAIL) when already connected, so a second connection never
    // overwrites the cookie the first one needs to disconnect.
    HRESULT Connect(IUnknown* browser)
    {
        if (m_cookie != kNotConnected)
            return E_FAIL;
        DWORD cookie = kNotConnected;
        const HRESULT hr = AdviseTo(browser, &cookie);
        if (SUCCEEDED(hr))
            m_cookie = cookie;
        return hr;
    }
    HRESULT Disconnect(IUnknown* browser)
    {
        if (m_cookie == kNotConnected)
            return S_FALSE;
        const HRESULT hr = UnadviseFrom(browser, m_cookie);
        m_cookie = kNotConnected;
        return hr;
    }

    HRESULT OnEvent(DISPID id, DISPPARAMS* params) override
    {
        T* self = static_cast<T*>(this);
        switch (id) {
        case kCommandStateChange: {
            VARIANT* enable = Argument(params, 1);
            const bool enabled = enable
                && ((enable->vt == VT_BOOL && enable->boolVal == VARIANT_TRUE)
                    || (enable->vt == (VT_BOOL | VT_BYREF) && enable->pboolVal
                        && *enable->pboolVal == VARIANT_TRUE));
            self->OnCommandStateChange(IntegerArgument(params, 0, -1), enabled);
            break;
        }
        case kBeforeNavigate2:
            Answer(BoolReference(params, 6), self->OnBeforeNavigate2());
            break;
        case kNewWindow2:
            Answer(BoolReference(params, 1), self->OnNewWindow2());
            break;
        case kNavigateError:
            Answer(BoolReference(params, 4), self->OnNavigateError());
            break;
        case kSetSecureLockIcon:
            self->OnSetSecureLockIcon(IntegerArgument(params, 0, 0));
            break;
        default:
            break;
        }
        return S_OK;
    }

private:
    static void Answer(VARIANT_BOOL* cancel, bool stop)
    {
        if (cancel)
            *cancel = stop ? VARIANT_TRUE : VARIANT_FALSE;
    }

    DWORD m_cookie = kNotConnected;
};

class CWTLBrowserView : public CAxHostWindowImpl<CWTLBrowserView>, public CWebBrowser2<CWTLBrowserView>
{
public:
    DECLARE_WND_CLASS_EX("ZtBrowserView", 0, COLOR_WINDOW + 1)

    CWTLBrowserView() = default;
    // A view deleted with its window still up disconnects first, so the
    // browser never calls a sink that is gone.
    ~CWTLBrowserView() override;

    // Null when the hosted control is no browser.
    IWebBrowser2* GetBrowser() const { return m_browser; }
    bool CanGoBack() const { return m_canGoBack; }
    bool CanGoForward() const { return m_canGoForward; }
    bool IsSecure() const { return m_secure; }

    // Takes the hosted control's browser interface and connects to its
    // events; E_FAIL when already connected, E_NOINTERFACE when the control
    // is no browser. A failed connection lets go of the interface.
    HRESULT ConnectBrowser();

    void OnCommandStateChange(long command, bool enable);
    void OnSetSecureLockIcon(long state) { m_secure = state > 0; }

    BEGIN_MSG_MAP(CWTLBrowserView)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        CHAIN_MSG_MAP(CAxHostWindowImpl<CWTLBrowserView>)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);

    CComPtr<IWebBrowser2> m_browser;
    bool m_canGoBack = false;
    bool m_canGoForward = false;
    bool m_secure = false;
};
