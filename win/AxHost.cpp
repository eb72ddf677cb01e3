#include "win/AxHost.h"
#include "base/UnicodeString.h"
#include <exdisp.h>

// The client site, in-place site and in-place frame the control talks to.
// It outlives the host when the control keeps a reference too long: after
// Detach it answers without a host.
class CAxSite : public CUnknownImpl<IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame>
{
public:
    explicit CAxSite(CAxHost* host)
        : m_host(host)
    {
    }
    void Detach() { m_host = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (out && (iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow)) {
            *out = iid == IID_IOleWindow ? static_cast<IOleWindow*>(static_cast<IOleInPlaceSite*>(this))
                                         : static_cast<IOleInPlaceUIWindow*>(this);
            AddRef();
            return S_OK;
        }
        return CUnknownImpl::QueryInterface(iid, out);
    }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override
    {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override
    {
        if (out)
            *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override
    {
        if (!out)
            return E_POINTER;
        *out = m_host ? m_host->m_window : nullptr;
        return *out ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return m_host ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override
    {
        if (m_host)
            m_host->m_inPlaceActive = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
        LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override
    {
        if (!frame || !document || !position || !clip || !info)
            return E_POINTER;
        *frame = this;
        AddRef();
        *document = nullptr;
        RECT client = {};
        if (m_host && m_host->m_window)
            ::GetClientRect(m_host->m_window, &client);
        *position = client;
        *clip = client;
        info->fMDIApp = FALSE;
        info->hwndFrame = m_host && m_host->m_window ? ::GetAncestor(m_host->m_window, GA_ROOT) : nullptr;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override
    {
        if (m_host) {
            m_host->m_inPlaceActive = false;
            m_host->m_activeObject.Release();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override
    {
        if (m_host && position)
            m_host->SetRect(*position);
        return S_OK;
    }

    // IOleInPlaceUIWindow
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) override
    {
        if (m_host)
            m_host->m_activeObject = active;
        return S_OK;
    }

    // IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    CAxHost* m_host;
};

CAxHost::CAxHost()
    : m_window(nullptr)
    , m_site(nullptr)
    , m_inPlaceActive(false)
{
}

CAxHost::~CAxHost()
{
    Close();
}

HRESULT CAxHost::CreateControl(HWND window, const std::string& name)
{
    if (name.empty())
        return S_FALSE;
    const std::wstring wide = GbkToWide(name);
    CLSID clsid = {};
    if (name[0] == '{') {
        const HRESULT hr = ::CLSIDFromString(wide.c_str(), &clsid);
        if (FAILED(hr))
            return hr;
        return CreateControl(window, clsid);
    }
    if (SUCCEEDED(::CLSIDFromProgID(wide.c_str(), &clsid)))
        return CreateControl(window, clsid);
    HRESULT hr = CreateControl(window, CLSID_WebBrowser);
    if (FAILED(hr))
        return hr;
    CComPtr<IWebBrowser2> browser;
    hr = QueryControl(IID_IWebBrowser2, reinterpret_cast<void**>(&browser));
    if (FAILED(hr) || !browser)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    CBstr address(wide);
    CVariant empty;
    return browser->Navigate(address, &empty, &empty, &empty, &empty);
}

HRESULT CAxHost::CreateControl(HWND window, REFCLSID clsid)
{
    if (m_control)
        return E_UNEXPECTED; // one control per host
    m_window = window;
    CComPtr<IUnknown> control;
    HRESULT hr = ::CoCreateInstance(
        clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&control));
    if (FAILED(hr) || !control)
        return FAILED(hr) ? hr : E_FAIL;
    m_control = control;
    m_site = new CAxSite(this);
    control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&m_oleObject));
    if (!m_oleObject)
        return S_OK; // shown by nobody, but held
    DWORD misc = 0;
    m_oleObject->GetMiscStatus(DVASPECT_CONTENT, &misc);
    if (misc & OLEMISC_SETCLIENTSITEFIRST)
        m_oleObject->SetClientSite(m_site);
    CComPtr<IPersistStreamInit> init;
    if (SUCCEEDED(control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&init))) && init)
        init->InitNew();
    if (!(misc & OLEMISC_SETCLIENTSITEFIRST))
        m_oleObject->SetClientSite(m_site);
    RECT client = {};
    ::GetClientRect(window, &client);
    hr = m_oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_site, 0, window, &client);
    control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&m_inPlaceObject));
    if (!m_activeObject)
        control->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&m_activeObject));
    return hr;
}

HRESULT CAxHost::QueryControl(REFIID iid, void** out) const
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!m_control)
        return E_NOINTERFACE;
    return m_control->QueryInterface(iid, out);
}

void CAxHost::SetRect(const RECT& rect)
{
    if (m_inPlaceObject)
        m_inPlaceObject->SetObjectRects(&rect, &rect);
}

bool CAxHost::TranslateAccelerator(MSG* msg)
{
    if (!msg || !m_activeObject || !m_window)
        return false;
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return false;
    if (msg->hwnd != m_window && !::IsChild(m_window, msg->hwnd))
        return false;
    return m_activeObject->TranslateAccelerator(msg) == S_OK;
}

void CAxHost::Close()
{
    // Held while the control calls back into the site during the close.
    CComPtr<IOleInPlaceObject> inPlace(m_inPlaceObject);
    CComPtr<IOleObject> oleObject(m_oleObject);
    if (inPlace && m_inPlaceActive)
        inPlace->InPlaceDeactivate();
    if (oleObject) {
        oleObject->Close(OLECLOSE_NOSAVE);
        oleObject->SetClientSite(nullptr);
    }
    m_activeObject.Release();
    m_inPlaceObject.Release();
    m_oleObject.Release();
    m_control.Release();
    m_inPlaceActive = false;
    if (m_site) {
        m_site->Detach();
        m_site->Release();
        m_site = nullptr;
    }
}
