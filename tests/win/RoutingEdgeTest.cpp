// Routing at the edges of a window's life: who claims a window that is being
// created, subclass chains in which another procedure sits above ours, and
// the last message of a subclassed control.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>
#include "win/DialogImpl.h"
#include "win/WindowImpl.h"

namespace {

// A superclass of STATIC with no handlers of its own.
class CLabelSuper : public CWindowImpl<CLabelSuper>
{
public:
    DECLARE_WND_SUPERCLASS("ZentuRoutingLabel", "STATIC")
    BEGIN_MSG_MAP(CLabelSuper)
    END_MSG_MAP()
};

class CInitRecordingDialog : public CDialogImpl<CInitRecordingDialog>
{
public:
    int inits = 0;
    HWND initWindow = nullptr;

    BEGIN_MSG_MAP(CInitRecordingDialog)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
    {
        ++inits;
        initWindow = m_hWnd;
        return TRUE;
    }
};

// An in-memory dialog template without DS_SETFONT (so the dialog procedure
// hears nothing before its controls exist) holding one control of the
// given class.
std::vector<WORD> MakeTemplate(const char* controlClass)
{
    std::vector<WORD> words;
    auto align = [&words] {
        // DLGITEMTEMPLATE must start on a DWORD boundary.
        if (words.size() % 2)
            words.push_back(0);
    };
    auto pushDword = [&words](DWORD v) {
        words.push_back(LOWORD(v));
        words.push_back(HIWORD(v));
    };
    pushDword(WS_POPUP); // style
    pushDword(0); // extended style
    words.push_back(1); // one item
    words.push_back(0); // x
    words.push_back(0); // y
    words.push_back(100); // cx
    words.push_back(50); // cy
    words.push_back(0); // no menu
    words.push_back(0); // default dialog class
    words.push_back(0); // no title
    align();
    pushDword(WS_CHILD | WS_VISIBLE); // item style
    pushDword(0);
    words.push_back(5); // x
    words.push_back(5); // y
    words.push_back(60); // cx
    words.push_back(12); // cy
    words.push_back(77); // id
    for (const char* c = controlClass; *c; ++c)
        words.push_back(static_cast<WORD>(*c));
    words.push_back(0);
    words.push_back(0); // no text
    words.push_back(0); // no creation data
    return words;
}

} // namespace

TEST(RoutingEdges, DialogIsNotClaimedByAControlOfOurClassInItsTemplate)
{
    WNDPROC proc = nullptr;
    ASSERT_TRUE(CLabelSuper::GetWndClassInfo().Register(&proc));
    std::vector<WORD> words = MakeTemplate("ZentuRoutingLabel");

    CInitRecordingDialog dialog;
    HWND hwnd = dialog.CreateIndirect(reinterpret_cast<const DLGTEMPLATE*>(words.data()), nullptr);
    ASSERT_TRUE(hwnd);
    EXPECT_EQ(dialog.inits, 1);
    EXPECT_EQ(dialog.initWindow, hwnd);
    EXPECT_EQ(dialog.m_hWnd, hwnd);

    // The control has no object: it still behaves as the class it superclasses.
    HWND label = ::GetDlgItem(hwnd, 77);
    ASSERT_TRUE(label);
    EXPECT_EQ(::SendMessageA(label, WM_GETDLGCODE, 0, 0), static_cast<LRESULT>(DLGC_STATIC));

    // An object may take it over (the way a dialog subclasses its items), and
    // what the object leaves still reaches the static's own procedure.
    CLabelSuper object;
    ASSERT_TRUE(object.SubclassWindow(label));
    EXPECT_EQ(::SendMessageA(label, WM_GETDLGCODE, 0, 0), static_cast<LRESULT>(DLGC_STATIC));
    EXPECT_EQ(object.UnsubclassWindow(), label);
    EXPECT_EQ(::SendMessageA(label, WM_GETDLGCODE, 0, 0), static_cast<LRESULT>(DLGC_STATIC));
    ASSERT_TRUE(object.SubclassWindow(label));
    ::DestroyWindow(hwnd);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(object.m_hWnd, nullptr);
}

namespace {

class CDoubleClickEater : public CWindowImpl<CDoubleClickEater>
{
public:
    BEGIN_MSG_MAP(CDoubleClickEater)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnDoubleClick)
    END_MSG_MAP()
    LRESULT OnDoubleClick(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
};

int g_aboveCalls = 0;
LRESULT CALLBACK AboveProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR)
{
    ++g_aboveCalls;
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

} // namespace

TEST(RoutingEdges, WindowKeepsItsBehaviourWhenOurObjectGoesBelowAnotherSubclass)
{
    HWND button
        = ::CreateWindowExA(0, "BUTTON", "b", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(button);
    {
        CDoubleClickEater eater;
        ASSERT_TRUE(eater.SubclassWindow(button));
        // A tooltip with TTF_SUBCLASS does this to its tool windows.
        ASSERT_TRUE(::SetWindowSubclass(button, AboveProc, 1, 0));
        // Ours is no longer on top: a polite unsubclass refuses.
        EXPECT_EQ(eater.UnsubclassWindow(), nullptr);
    }
    // The object is gone; the other subclass still calls the procedure it saw.
    g_aboveCalls = 0;
    ::SendMessageA(button, BM_SETSTATE, TRUE, 0);
    EXPECT_TRUE(::SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    EXPECT_GT(g_aboveCalls, 0);
    ::SendMessageA(button, BM_SETSTATE, FALSE, 0);
    ::SendMessageA(button, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(::SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    ::ReleaseCapture();

    // No object can take it while a forwarding step of ours is still in its chain.
    CDoubleClickEater again;
    EXPECT_FALSE(again.SubclassWindow(button));
    ::RemoveWindowSubclass(button, AboveProc, 1);
    EXPECT_TRUE(::DestroyWindow(button));
}

namespace {

std::vector<UINT>* g_ownSeen = nullptr;
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (g_ownSeen && (msg == WM_DESTROY || msg == WM_NCDESTROY))
        g_ownSeen->push_back(msg);
    return ::DefWindowProcA(hwnd, msg, wp, lp);
}

// Handles the last message itself, as a control that frees its resources there might.
class CLastMessageHandler : public CWindowImpl<CLastMessageHandler>
{
public:
    bool seen = false;
    BEGIN_MSG_MAP(CLastMessageHandler)
        MESSAGE_HANDLER(WM_NCDESTROY, OnNcDestroy)
    END_MSG_MAP()
    LRESULT OnNcDestroy(UINT, WPARAM, LPARAM, BOOL&)
    {
        seen = true;
        return 0;
    }
};

} // namespace

TEST(RoutingEdges, SubclassedControlGetsItsLastMessageEvenWhenTheMapHandlesIt)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZentuRoutingRecorder";
    ASSERT_TRUE(::RegisterClassExA(&wc));
    std::vector<UINT> seen;
    g_ownSeen = &seen;

    HWND hwnd = ::CreateWindowExA(
        0, "ZentuRoutingRecorder", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(hwnd);
    CLastMessageHandler object;
    ASSERT_TRUE(object.SubclassWindow(hwnd));
    ::DestroyWindow(hwnd);
    EXPECT_TRUE(object.seen);
    std::vector<UINT> expected = { WM_DESTROY, WM_NCDESTROY };
    EXPECT_EQ(seen, expected);
    g_ownSeen = nullptr;
    ::UnregisterClassA("ZentuRoutingRecorder", wc.hInstance);
}

namespace {

const UINT kWhoAreYou = WM_APP + 40;

class CAnsweringWindow : public CWindowImpl<CAnsweringWindow, CWindow, CWinTraits<WS_POPUP>>
{
public:
    BEGIN_MSG_MAP(CAnsweringWindow)
        MESSAGE_HANDLER(kWhoAreYou, OnWhoAreYou)
    END_MSG_MAP()
    LRESULT OnWhoAreYou(UINT, WPARAM, LPARAM, BOOL&) { return reinterpret_cast<LRESULT>(this); }
};

} // namespace

TEST(RoutingEdges, WindowsCreatedOnSeveralThreadsAtOnceReachTheirOwnObjects)
{
    // The login dialog and the main frame live on different UI threads: each
    // thread's new windows must be claimed by that thread's objects only.
    std::atomic<int> wrong(0);
    std::atomic<int> done(0);
    auto work = [&] {
        for (int i = 0; i < 60; ++i) {
            CAnsweringWindow a;
            CAnsweringWindow b;
            if (!a.Create(nullptr, CRect(0, 0, 10, 10)) || !b.Create(nullptr, CRect(0, 0, 10, 10))) {
                ++wrong;
                continue;
            }
            if (a.SendMessage(kWhoAreYou) != reinterpret_cast<LRESULT>(&a)
                || b.SendMessage(kWhoAreYou) != reinterpret_cast<LRESULT>(&b))
                ++wrong;
            a.DestroyWindow();
            if (b.SendMessage(kWhoAreYou) != reinterpret_cast<LRESULT>(&b))
                ++wrong;
            b.DestroyWindow();
        }
        ++done;
    };
    std::thread first(work);
    std::thread second(work);
    work();
    first.join();
    second.join();
    EXPECT_EQ(done.load(), 3);
    EXPECT_EQ(wrong.load(), 0);
}
