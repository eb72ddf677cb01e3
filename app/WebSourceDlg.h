#pragma once
// A modal dialog that shows one page of the service in the embedded browser
// with a "关闭" button below it. A waiting page shows until the page itself
// is asked for, a moment after the dialog opens. Where the browser control
// cannot be made (a system without its HTML engine) the dialog shows an
// empty area and still closes as usual.
#include "skin/DialogBackground.h"
#include "res/resource.h"
#include "skin/BaseDlg.h"
#include "skin/WTLBrowserView.h"
#include "win/DialogImpl.h"
#include "win/Geometry.h"
#include <cstdint>
#include <string>

class CWebSourceDlg : public CDialogImpl<CWebSourceDlg>, public CBaseDlg
{
public:
    enum { IDD = IDD_WEB_SOURCE };
    enum : UINT_PTR { kNavigateTimer = 2002 };
    static const UINT kNavigateDelayMs = 100;
    // Room below the page for the button.
    static const int kButtonBand = 30;

    // The page area's size: a request below 30 in either direction, wider
    // than 800 or taller than 600 gets 600 x 300.
    static CSize PageSize(int32_t width, int32_t height);
    // The waiting page (gb2312).
    static const char* WaitingPage();

    CWebSourceDlg();

    void SetTitle(const char* title)
    {
        if (title)
            m_title = title;
    }
    void SetUrl(const char* url)
    {
        if (url)
            m_url = url;
    }
    void SetSize(int32_t width, int32_t height)
    {
        m_width = width;
        m_height = height;
    }
    // What the view hosts before the page (tests name a control that cannot be made).
    void SetInitialAddress(const std::string& address) { m_initialAddress = address; }

    HRESULT Navigate(const char* url, DWORD flags, const char* targetFrame, const uint8_t* postData,
        uint32_t postDataSize, const char* headers);
    // The browser's current document; null without a browser.
    IDispatch* GetDocument();
    CWTLBrowserView& GetView() { return m_view; }
    bool HasNavigated() const { return m_navigated; }

    BEGIN_MSG_MAP(CWebSourceDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        TIMER_HANDLER(OnTimer)
        SIZE_HANDLER(OnSize)
        COMMAND_ID_HANDLER(IDOK, EndDialogOk)
        COMMAND_ID_HANDLER(IDCANCEL, EndDialogCancel)
        CHAIN_MSG_MAP(CBaseDlg)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM wp, LPARAM, BOOL&)
    {
        return PaintSkinnedDialogBackground(m_hWnd, reinterpret_cast<HDC>(wp), m_frame);
    }
    void OnTimer(UINT_PTR id, BOOL& handled);
    void OnSize(UINT, CSize, BOOL& handled);
    void LoadWaitingPage();
    // Where the page area starts: inside the skinned frame.
    CPoint PageOrigin() const;
    void Layout();

    CWTLBrowserView m_view;
    std::string m_title;
    std::string m_url;
    std::string m_initialAddress;
    int32_t m_width;
    int32_t m_height;
    bool m_navigated;
};
