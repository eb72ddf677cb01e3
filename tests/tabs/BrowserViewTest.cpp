// The ActiveX host and the browser view against a small in-process control
// registered for this process only (the system's browser control is never
// created here: its HTML engine is not installed under the test runs), and
// the browser event sink fed with synthetic DISPPARAMS.
#include "skin/WTLBrowserView.h"
#include "tests/support/WindowTesting.h"
#include "tests/tabs/FakeControl.h"
#include "win/AxHost.h"
#include <windows.h>
#include <exdispid.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

typedef CWinTraits<WS_POPUP | WS_CLIPCHILDREN> CPopupTraits;

class CHostParent : public CWindowImpl<CHostParent, CWindow, CPopupTraits>
{
public:
    DECLARE_WND_CLASS_EX("ZentuTestHostParent", 0, COLOR_WINDOW + 1)
    BEGIN_MSG_MAP(CHostParent)
    END_MSG_MAP()
};

std::string ClassIdText(REFCLSID clsid)
{
    wchar_t text[64] = {};
    ::StringFromGUID2(clsid, text, 64);
    std::string narrow;
    for (const wchar_t* p = text; *p; ++p)
        narrow.push_back(static_cast<char>(*p));
    return narrow;
}

// Arguments in declaration order, stored reversed as Invoke receives them.
class CEventArguments
{
public:
    CEventArguments& Int(LONG value)
    {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = value;
        m_args.push_back(v);
        return *this;
    }
    CEventArguments& Bool(bool value)
    {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_BOOL;
        v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        m_args.push_back(v);
        return *this;
    }
    CEventArguments& BoolRef(VARIANT_BOOL* value)
    {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_BOOL | VT_BYREF;
        v.pboolVal = value;
        m_args.push_back(v);
        return *this;
    }
    CEventArguments& Empty()
    {
        VARIANT v;
        ::VariantInit(&v);
        m_args.push_back(v);
        return *this;
    }
    DISPPARAMS* Params()
    {
        m_reversed.assign(m_args.rbegin(), m_args.rend());
        m_params.rgvarg = m_reversed.empty() ? nullptr : m_reversed.data();
        m_params.cArgs = static_cast<UINT>(m_reversed.size());
        m_params.rgdispidNamedArgs = nullptr;
        m_params.cNamedArgs = 0;
        return &m_params;
    }

private:
    std::vector<VARIANT> m_args;
    std::vector<VARIANT> m_reversed;
    DISPPARAMS m_params = {};
};

HRESULT Fire(IDispatch* sink, DISPID id, CEventArguments& args)
{
    return sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, args.Params(), nullptr, nullptr, nullptr);
}

}

TEST(BrowserEvents, CommandStateAndSecureLockSetTheViewsFlags)
{
    CWTLBrowserView view; // no window: the sink alone
    IDispatch* sink = &view;
    EXPECT_EQ(view.GetCookie(), 0xFEFEFEFEu);
    EXPECT_FALSE(view.IsConnected());

    // Navigated twice, then back once: back enabled, then forward too.
    struct Step
    {
        LONG command;
        bool enable;
        bool back;
        bool forward;
    };
    const Step steps[] = {
        { CSC_NAVIGATEBACK, true, true, false },
        { CSC_NAVIGATEFORWARD, true, true, true },
        { CSC_UPDATECOMMANDS, false, true, true }, // other commands change nothing
        { CSC_NAVIGATEBACK, false, false, true },
        { CSC_NAVIGATEFORWARD, false, false, false },
    };
    for (const Step& step : steps) {
        CEventArguments args;
        args.Int(step.command).Bool(step.enable);
        EXPECT_EQ(Fire(sink, DISPID_COMMANDSTATECHANGE, args), S_OK);
        EXPECT_EQ(view.CanGoBack(), step.back) << step.command << " " << step.enable;
        EXPECT_EQ(view.CanGoForward(), step.forward) << step.command << " " << step.enable;
    }

    const struct
    {
        LONG state;
        bool secure;
    } locks[] = { { 2, true }, { 0, false }, { 6, true }, { -1, false } };
    for (const auto& lock : locks) {
        CEventArguments args;
        args.Int(lock.state);
        Fire(sink, DISPID_SETSECURELOCKICON, args);
        EXPECT_EQ(view.IsSecure(), lock.secure) << lock.state;
    }
}

TEST(BrowserEvents, NavigationsNewWindowsAndErrorPagesGoAhead)
{
    CWTLBrowserView view;
    IDispatch* sink = &view;
    VARIANT_BOOL cancel = VARIANT_TRUE;
    CEventArguments before; // pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel
    before.Empty().Empty().Empty().Empty().Empty().Empty().BoolRef(&cancel);
    EXPECT_EQ(Fire(sink, DISPID_BEFORENAVIGATE2, before), S_OK);
    EXPECT_EQ(cancel, VARIANT_FALSE);

    cancel = VARIANT_TRUE;
    CEventArguments newWindow; // ppDisp, Cancel
    newWindow.Empty().BoolRef(&cancel);
    Fire(sink, DISPID_NEWWINDOW2, newWindow);
    EXPECT_EQ(cancel, VARIANT_FALSE) << "a page may open a new window";

    cancel = VARIANT_TRUE;
    CEventArguments error; // pDisp, URL, Frame, StatusCode, Cancel
    error.Empty().Empty().Empty().Int(404).BoolRef(&cancel);
    Fire(sink, DISPID_NAVIGATEERROR, error);
    EXPECT_EQ(cancel, VARIANT_FALSE) << "the browser's own error page shows";
}

TEST(BrowserEvents, MalformedAndUnknownEventsAreIgnored)
{
    CWTLBrowserView view;
    IDispatch* sink = &view;
    CEventArguments none;
    for (DISPID id : { DISPID_BEFORENAVIGATE2, DISPID_NEWWINDOW2, DISPID_NAVIGATEERROR,
             DISPID_COMMANDSTATECHANGE, DISPID_SETSECURELOCKICON })
        EXPECT_EQ(Fire(sink, id, none), S_OK) << "no arguments: " << id;
    EXPECT_EQ(sink->Invoke(
                  DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
        S_OK);

    VARIANT_BOOL cancel = VARIANT_TRUE;
    CEventArguments byValue;
    byValue.Empty().Bool(true); // a cancel flag not passed by reference is not written
    Fire(sink, DISPID_NEWWINDOW2, byValue);
    CEventArguments shortList;
    shortList.BoolRef(&cancel); // too few arguments: the flag is not where the cancel flag goes
    Fire(sink, DISPID_NAVIGATEERROR, shortList);
    EXPECT_EQ(cancel, VARIANT_TRUE);

    for (DISPID id : { DISPID_STATUSTEXTCHANGE, DISPID_TITLECHANGE, DISPID_PROPERTYCHANGE,
             DISPID_PROGRESSCHANGE, DISPID_DOWNLOADBEGIN, DISPID_DOWNLOADCOMPLETE, DISPID_NAVIGATECOMPLETE2,
             DISPID_DOCUMENTCOMPLETE, DISPID_ONQUIT, DISPID_ONVISIBLE, DISPID_ONTHEATERMODE,
             DISPID_PRIVACYIMPACTEDSTATECHANGE, 9999 }) {
        CEventArguments args;
        args.Int(1).Bool(true);
        EXPECT_EQ(Fire(sink, id, args), S_OK) << id;
    }
    EXPECT_FALSE(view.CanGoBack());
    EXPECT_FALSE(view.CanGoForward());
    EXPECT_FALSE(view.IsSecure());

    void* out = nullptr;
    EXPECT_EQ(sink->QueryInterface(DIID_DWebBrowserEvents2, &out), S_OK);
    EXPECT_EQ(sink->QueryInterface(IID_IDispatch, &out), S_OK);
    EXPECT_EQ(sink->QueryInterface(IID_IOleObject, &out), E_NOINTERFACE);
}

class AxHosting : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakeLog().Reset();
        ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 320, 240)));
        ShowWithoutActivating(parent);
    }
    void TearDown() override
    {
        if (parent.IsWindow())
            parent.DestroyWindow();
        FakeLog().Reset();
    }
    CHostParent parent;
};

TEST_F(AxHosting, HostActivatesInPlaceFollowsTheSizeAndClosesInOrder)
{
    CFakeControlRegistration registration(CLSID_FakeControl, false);
    ASSERT_TRUE(registration.Registered());
    {
        CAxHostWindow host;
        ASSERT_TRUE(host.Create(parent, CRect(10, 10, 210, 110), ClassIdText(CLSID_FakeControl).c_str()));
        ASSERT_NE(host.GetHost().GetControl(), nullptr);
        EXPECT_TRUE(host.GetHost().IsInPlaceActive());
        EXPECT_EQ(FakeLog().calls, std::vector<std::string>({ "SetClientSite", "DoVerb(inplace)" }))
            << "the site before the activation, as the control asks";
        ASSERT_NE(FakeLog().window, nullptr);
        EXPECT_EQ(::GetParent(FakeLog().window), host.m_hWnd);
        ASSERT_FALSE(FakeLog().rects.empty());
        EXPECT_EQ(CRect(FakeLog().rects.front()), CRect(0, 0, 200, 100));

        host.MoveWindow(CRect(10, 10, 260, 190));
        EXPECT_EQ(CRect(FakeLog().rects.back()), CRect(0, 0, 250, 180));
        EXPECT_EQ(CWindow(FakeLog().window).GetClientRect(), CRect(0, 0, 250, 180));

        MSG key = { FakeLog().window, WM_KEYDOWN, VK_F5, 0, 0, { 0, 0 } };
        EXPECT_TRUE(host.PreTranslateMessage(&key)) << "the control's accelerator";
        key.wParam = 'A';
        EXPECT_FALSE(host.PreTranslateMessage(&key));
        MSG elsewhere = { parent.m_hWnd, WM_KEYDOWN, VK_F5, 0, 0, { 0, 0 } };
        EXPECT_FALSE(host.PreTranslateMessage(&elsewhere)) << "keys of other windows are not offered";
        MSG mouse = { FakeLog().window, WM_LBUTTONDOWN, 0, 0, 0, { 0, 0 } };
        EXPECT_FALSE(host.PreTranslateMessage(&mouse));
        EXPECT_EQ(FakeLog().keys, std::vector<UINT>({ VK_F5, 'A' }));

        FakeLog().calls.clear();
        host.DestroyWindow();
        EXPECT_EQ(FakeLog().calls,
            std::vector<std::string>({ "InPlaceDeactivate", "Close", "SetClientSite(null)" }));
        EXPECT_EQ(host.GetHost().GetControl(), nullptr);
    }
    EXPECT_EQ(FakeLog().liveObjects, 0) << "the control was released";
    EXPECT_EQ(FakeLog().siteReferences, 0) << "the control let go of the site and the frame";
}

TEST_F(AxHosting, NamesThatHostNothing)
{
    CAxHostWindow empty;
    ASSERT_TRUE(empty.Create(parent, CRect(0, 0, 50, 50), ""));
    EXPECT_EQ(empty.GetHost().GetControl(), nullptr);
    CAxHostWindow unknown;
    ASSERT_TRUE(unknown.Create(parent, CRect(0, 0, 50, 50), "{00000000-1111-2222-3333-444444444444}"));
    EXPECT_EQ(unknown.GetHost().GetControl(), nullptr) << "no such class: the window stays empty";
    EXPECT_TRUE(unknown.IsWindow());
    MSG key = { unknown.m_hWnd, WM_KEYDOWN, VK_F5, 0, 0, { 0, 0 } };
    EXPECT_FALSE(unknown.PreTranslateMessage(&key));
}

TEST_F(AxHosting, BrowserViewConnectsOnceAndDisconnectsOnDestroy)
{
    CFakeControlRegistration registration(CLSID_FakeBrowser, true);
    ASSERT_TRUE(registration.Registered());
    {
        CWTLBrowserView view;
        ASSERT_TRUE(view.Create(parent, CRect(0, 0, 300, 200), ClassIdText(CLSID_FakeBrowser).c_str()));
        ASSERT_NE(view.GetBrowser(), nullptr);
        EXPECT_TRUE(view.IsConnected());
        EXPECT_EQ(view.GetCookie(), FakeLog().cookie);
        EXPECT_EQ(FakeLog().advises, 1);

        EXPECT_EQ(view.ConnectBrowser(), E_FAIL) << "connecting twice is refused, not thrown";
        EXPECT_EQ(FakeLog().advises, 1);
        EXPECT_EQ(view.GetCookie(), FakeLog().cookie);

        // Events through the connection the control holds.
        ASSERT_NE(FakeLog().sink, nullptr);
        CEventArguments back;
        back.Int(CSC_NAVIGATEBACK).Bool(true);
        Fire(FakeLog().sink, DISPID_COMMANDSTATECHANGE, back);
        EXPECT_TRUE(view.CanGoBack());

        view.DestroyWindow();
        EXPECT_EQ(FakeLog().unadvises, 1);
        EXPECT_FALSE(view.IsConnected());
        EXPECT_EQ(view.GetBrowser(), nullptr);
    }
    EXPECT_EQ(FakeLog().liveObjects, 0);
    EXPECT_EQ(FakeLog().siteReferences, 0);
}

TEST_F(AxHosting, BrowserViewWithoutABrowserOrAConnectionKeepsItsWindow)
{
    CFakeControlRegistration plain(CLSID_FakeControl, false);
    CFakeControlRegistration browser(CLSID_FakeBrowser, true);
    {
        CWTLBrowserView view;
        ASSERT_TRUE(view.Create(parent, CRect(0, 0, 300, 200), ClassIdText(CLSID_FakeControl).c_str()));
        EXPECT_EQ(view.GetBrowser(), nullptr);
        EXPECT_FALSE(view.IsConnected());
        EXPECT_EQ(view.ConnectBrowser(), E_NOINTERFACE);
        EXPECT_TRUE(view.GetHost().IsInPlaceActive()) << "it shows whatever the control shows";
    }
    EXPECT_EQ(FakeLog().liveObjects, 0);

    FakeLog().Reset();
    FakeLog().refuseAdvise = true;
    {
        CWTLBrowserView view;
        ASSERT_TRUE(view.Create(parent, CRect(0, 0, 300, 200), ClassIdText(CLSID_FakeBrowser).c_str()));
        EXPECT_EQ(FakeLog().advises, 1);
        EXPECT_EQ(view.GetBrowser(), nullptr) << "a failed connection lets go of the browser";
        EXPECT_FALSE(view.IsConnected());
        view.DestroyWindow();
        EXPECT_EQ(FakeLog().unadvises, 0);
    }
    EXPECT_EQ(FakeLog().liveObjects, 0);
    EXPECT_EQ(FakeLog().siteReferences, 0);
}

TEST_F(AxHosting, AnAddressOpensInTheBrowserControl)
{
    // The fake stands in for the system's browser control in this process.
    CFakeControlRegistration registration(CLSID_WebBrowser, true);
    ASSERT_TRUE(registration.Registered());
    {
        CWTLBrowserView view;
        ASSERT_TRUE(view.Create(parent, CRect(0, 0, 300, 200), "about:blank"));
        EXPECT_EQ(FakeLog().navigations, std::vector<std::wstring>({ L"about:blank" }));
        EXPECT_TRUE(view.IsConnected());
    }
    EXPECT_EQ(FakeLog().liveObjects, 0);
    EXPECT_EQ(FakeLog().siteReferences, 0);
}

// The system's own browser control, hosted without navigating: no page is
// ever loaded (the HTML engine is not installed under the test runs), so
// only the hosting and the event connection are exercised here.
TEST_F(AxHosting, TheSystemBrowserControlIsHostedAndConnected)
{
    CWTLBrowserView view;
    ASSERT_TRUE(view.Create(parent, CRect(0, 0, 300, 200), "Shell.Explorer.2"));
    if (!view.GetHost().GetControl())
        GTEST_SKIP() << "no browser control on this system";
    ASSERT_NE(view.GetBrowser(), nullptr);
    EXPECT_TRUE(view.IsConnected());
    EXPECT_TRUE(view.GetHost().IsInPlaceActive());
    const HWND shown = ::GetWindow(view, GW_CHILD);
    ASSERT_NE(shown, nullptr) << "the control shows a window of its own inside the view";
    view.MoveWindow(CRect(0, 0, 260, 150));
    PumpPendingMessages();
    EXPECT_EQ(CWindow(shown).GetClientRect().Size(), CSize(260, 150)) << "it follows the view's size";
    view.DestroyWindow();
    EXPECT_FALSE(view.IsConnected());
    EXPECT_EQ(view.GetBrowser(), nullptr);
    EXPECT_EQ(view.GetHost().GetControl(), nullptr);
}
