#include "skin/WTLBrowserView.h"

CWTLBrowserView::~CWTLBrowserView()
{
    if (m_browser)
        Disconnect(m_browser);
}

HRESULT CWTLBrowserView::ConnectBrowser()
{
    if (IsConnected())
        return E_FAIL;
    CComPtr<IWebBrowser2> browser;
    HRESULT hr = m_host.QueryControl(IID_IWebBrowser2, reinterpret_cast<void**>(&browser));
    if (FAILED(hr) || !browser)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    hr = Connect(browser);
    if (FAILED(hr))
        return hr;
    m_browser = browser;
    return S_OK;
}

void CWTLBrowserView::OnCommandStateChange(long command, bool enable)
{
    if (command == kCommandForward)
        m_canGoForward = enable;
    else if (command == kCommandBack)
        m_canGoBack = enable;
}

// The host creates the control first; the window stays whatever the
// control turns out to be.
LRESULT CWTLBrowserView::OnCreate(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    BOOL hostHandled = TRUE;
    CAxHostWindowImpl<CWTLBrowserView>::OnCreate(msg, wp, lp, hostHandled);
    ConnectBrowser();
    return 0;
}

LRESULT CWTLBrowserView::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    if (m_browser) {
        Disconnect(m_browser);
        m_browser.Release();
    }
    handled = FALSE; // the host closes the control
    return 0;
}
