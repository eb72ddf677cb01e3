#include "app/WebSourceDlg.h"

#include <cstring>
#include <ocidl.h>
#include <objidl.h>

#include "base/UnicodeString.h"
#include "skin/ControlSkinner.h"

namespace {
const char kWaitingPage[] = "<html><head>"
                            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
                            "<title>Tips</title></head>"
                            "<body leftmargin=\"0\" topmargin=\"0\" marginwidth=\"0\" marginheight=\"0\" "
                            "bgcolor=\"#000000\">"
                            "<table width=\"100%\" height=\"100%\" border=\"0\"><tr>"
                            "<td align=\"center\" valign=\"middle\">"
                            "<font color=\"#00000FF\">正在下载，请等待......</font>"
                            "</td></tr></table></body></html>";

// A string VARIANT for a given text; VT_EMPTY for none.
void SetStringVariant(CVariant& value, const char* text)
{
    if (text) {
        const std::wstring wide = GbkToWide(text);
        value.vt = VT_BSTR;
        value.bstrVal = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }
}
} // namespace

CSize CWebSourceDlg::PageSize(int32_t width, int32_t height)
{
    if (width < 30 || height < 30 || width > 800 || height > 600)
        return CSize(600, 300);
    return CSize(width, height);
}

const char* CWebSourceDlg::WaitingPage()
{
    return kWaitingPage;
}

CWebSourceDlg::CWebSourceDlg()
    : m_initialAddress("about:blank")
    , m_width(0)
    , m_height(0)
    , m_navigated(false)
{
}

CPoint CWebSourceDlg::PageOrigin() const
{
    const NcFrameMetrics& metrics = const_cast<CWebSourceDlg*>(this)->GetFrame().GetMetrics();
    return CPoint(metrics.leftWidth, metrics.titleHeight);
}

LRESULT CWebSourceDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_frame.Attach(m_hWnd, 2);
    m_frame.SetCaptionTextColor(RGB(192, 0, 0));
    const CSize page = PageSize(m_width, m_height);
    m_width = page.cx;
    m_height = page.cy;
    const NcFrameMetrics& metrics = m_frame.GetMetrics();
    SetWindowPos(nullptr, 0, 0, m_width + metrics.leftWidth + metrics.rightWidth,
        m_height + kButtonBand + metrics.titleHeight + metrics.bottomHeight,
        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const CPoint origin = PageOrigin();
    m_view.Create(m_hWnd, CRect(origin.x, origin.y, origin.x + m_width, origin.y + m_height),
        m_initialAddress.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    LoadWaitingPage();
    SkinDialogButtons(*this, m_hWnd);
    SetWindowText(m_title.c_str());
    Layout();
    SetTimer(kNavigateTimer, kNavigateDelayMs);
    CenterWindow(GetParent());
    return TRUE;
}

void CWebSourceDlg::LoadWaitingPage()
{
    CComPtr<IDispatch> document;
    document.Attach(GetDocument());
    if (!document)
        return;
    CComPtr<IPersistStreamInit> persist;
    if (FAILED(document.QueryInterface(persist)))
        return;
    const size_t size = sizeof(kWaitingPage); // with its terminator
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory)
        return;
    if (void* bytes = ::GlobalLock(memory)) {
        std::memcpy(bytes, kWaitingPage, size);
        ::GlobalUnlock(memory);
    }
    CComPtr<IStream> stream;
    // The stream frees the memory when it goes.
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        ::GlobalFree(memory);
        return;
    }
    if (SUCCEEDED(persist->InitNew()))
        persist->Load(stream);
}

void CWebSourceDlg::OnTimer(UINT_PTR id, BOOL& handled)
{
    if (id != kNavigateTimer) {
        handled = FALSE;
        return;
    }
    KillTimer(kNavigateTimer);
    m_navigated = true;
    Navigate(m_url.c_str(), 0, nullptr, nullptr, 0, nullptr);
}

void CWebSourceDlg::OnSize(UINT, CSize, BOOL& handled)
{
    Layout();
    handled = FALSE;
}

void CWebSourceDlg::Layout()
{
    if (!m_hWnd)
        return;
    const CPoint origin = PageOrigin();
    const CRect client = GetClientRect();
    const NcFrameMetrics& metrics = m_frame.GetMetrics();
    if (m_view.m_hWnd) {
        m_view.SetWindowPos(nullptr, origin.x, origin.y, client.Width() - metrics.leftWidth - metrics.rightWidth,
            m_height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CWindow button(GetDlgItem(IDOK));
    if (button.m_hWnd) {
        const CRect rect = button.GetWindowRect();
        button.SetWindowPos(nullptr, origin.x + m_width - rect.Width() - 30, origin.y + m_height + 4, 0, 0,
            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

HRESULT CWebSourceDlg::Navigate(const char* url, DWORD flags, const char* targetFrame, const uint8_t* postData,
    uint32_t postDataSize, const char* headers)
{
    IWebBrowser2* browser = m_view.GetBrowser();
    if (!browser)
        return E_NOINTERFACE;
    CBstr address(GbkToWide(url ? url : ""));
    CVariant flagValue(static_cast<long>(flags));
    CVariant target;
    SetStringVariant(target, targetFrame);
    CVariant headerValue;
    SetStringVariant(headerValue, headers);
    CVariant post;
    if (postData && postDataSize > 0) {
        SAFEARRAY* array = ::SafeArrayCreateVector(VT_UI1, 0, postDataSize);
        if (array) {
            void* bytes = nullptr;
            if (SUCCEEDED(::SafeArrayAccessData(array, &bytes))) {
                std::memcpy(bytes, postData, postDataSize);
                ::SafeArrayUnaccessData(array);
            }
            post.vt = VT_ARRAY | VT_UI1;
            post.parray = array;
        }
    }
    return browser->Navigate(address, &flagValue, &target, &post, &headerValue);
}

IDispatch* CWebSourceDlg::GetDocument()
{
    IWebBrowser2* browser = m_view.GetBrowser();
    if (!browser)
        return nullptr;
    IDispatch* document = nullptr;
    if (FAILED(browser->get_Document(&document)))
        return nullptr;
    return document;
}
