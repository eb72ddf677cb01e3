// The skinned dialog base on a dialog from an in-memory template: the frame
// it wears, the control objects it owns, its paint rules and its Cancel.
#include "skin/BaseDlg.h"
#include "skin/FrameMessages.h"
#include "tests/support/WindowTesting.h"
#include "tools/skingen/SkinImages.h"
#include "win/DialogImpl.h"
#include "win/WindowImpl.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kOkId = 1;
constexpr int kCancelId = 2;
constexpr int kCheckId = 1001;

// A dialog template in memory: a popup with two push buttons and a check box.
class DialogTemplate
{
public:
    DialogTemplate()
    {
        Dword(WS_POPUP | WS_SYSMENU | DS_SETFONT);
        Dword(0);
        Word(3); // items
        Word(0), Word(0), Word(200), Word(100);
        Word(0); // no menu
        Word(0); // the dialog class
        Text(L"皮肤对话框");
        Word(9);
        Text(L"宋体");
        Item(kOkId, 0x0080, BS_DEFPUSHBUTTON, 30, 70, 50, 14, L"确定");
        Item(kCancelId, 0x0080, BS_PUSHBUTTON, 110, 70, 50, 14, L"取消");
        Item(kCheckId, 0x0080, BS_AUTOCHECKBOX, 30, 40, 80, 12, L"记住");
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    void Word(WORD w) { m_words.push_back(w); }
    void Dword(DWORD d)
    {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const wchar_t* text)
    {
        for (; *text; ++text)
            Word(static_cast<WORD>(*text));
        Word(0);
    }
    void Align()
    {
        if (m_words.size() % 2)
            Word(0);
    }
    void Item(int id, WORD atom, DWORD style, short x, short y, short cx, short cy, const wchar_t* text)
    {
        Align();
        Dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP | style);
        Dword(0);
        Word(x), Word(y), Word(cx), Word(cy);
        Word(static_cast<WORD>(id));
        Word(0xFFFF);
        Word(atom);
        Text(text);
        Word(0); // no creation data
    }
    std::vector<WORD> m_words;
};

int g_controlsDeleted = 0;

// Stands for a skinned control object: it subclasses one child of the dialog.
class CSkinnedControl : public CWindowImpl<CSkinnedControl>
{
public:
    BEGIN_MSG_MAP(CSkinnedControl)
    END_MSG_MAP()
    ~CSkinnedControl() override { ++g_controlsDeleted; }
};

class CSkinnedDialog : public CDialogImpl<CSkinnedDialog>, public CBaseDlg
{
public:
    std::function<void(CSkinnedDialog&)> onInit;
    CRect windowRect;
    CRect clientRect;
    DWORD styleAfterAttach = 0;
    LRESULT closeHit = 0;
    LRESULT printClientAnswer = -1;
    std::string screenshot;

    BEGIN_MSG_MAP(CSkinnedDialog)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(kCancelId, EndDialogCancel)
        COMMAND_ID_HANDLER(kOkId, EndDialogOk)
        CHAIN_MSG_MAP(CBaseDlg)
    END_MSG_MAP()

    std::string GetButtonImage(int id) override { return id == kOkId || id == kCancelId ? "lmenu.png" : ""; }

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
    {
        m_frame.SetSkinFiles(
            "lwndtitle.bmp", "Lwndborderleft.bmp", "Lwndborderright.bmp", "Lwndborderbottom.bmp");
        m_frame.Attach(m_hWnd, 2);
        m_frame.SetCaptionTextColor(RGB(192, 0, 0));
        for (int id : { kOkId, kCancelId, kCheckId }) {
            auto control = std::make_unique<CSkinnedControl>();
            if (control->SubclassWindow(GetDlgItem(id)))
                AddSkinnedControl(std::move(control));
        }
        styleAfterAttach = GetStyle();
        windowRect = GetWindowRect();
        clientRect = GetClientRect();
        if (onInit)
            onInit(*this);
        return TRUE;
    }
};

} // namespace

TEST(BaseDlg, DefaultImageSlotsAreEmpty)
{
    CBaseDlg base;
    EXPECT_EQ(base.GetButtonImage(1), "");
    EXPECT_EQ(base.GetCheckBoxImage(1001, 0), "");
    EXPECT_EQ(base.GetCheckBoxImage(1001, 1), "");
    EXPECT_EQ(base.GetRadioImage(1002, 1), "");
    EXPECT_EQ(base.GetSkinnedControlCount(), 0u); // and destroying it frees nothing
}

TEST(BaseDlg, DialogFromAnInMemoryTemplateWearsTheFrameAndEndsFromItsCloseButton)
{
    DialogTemplate dialogTemplate;
    g_controlsDeleted = 0;
    {
        CSkinnedDialog dialog;
        dialog.onInit = [](CSkinnedDialog& d) {
            ShowWithoutActivating(d);
            d.RedrawWindow(nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
            // The base only validates: a printed client area is left as it was.
            HDC dc = ::GetDC(d);
            d.printClientAnswer = d.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
            ::ReleaseDC(d, dc);
            d.screenshot = SaveWindowScreenshot(d, "nc_dialog");
            // The dialog manager asks the frame what is under the mouse.
            const CRect close = d.GetFrame().GetCloseButtonRect();
            const CRect w = d.GetWindowRect();
            const LPARAM at = MAKELPARAM(w.left + close.CenterPoint().x, w.top + close.CenterPoint().y);
            d.closeHit = d.SendMessage(WM_NCHITTEST, 0, at);
            // A click on it closes the dialog: WM_CLOSE, then IDCANCEL.
            d.PostMessage(WM_NCLBUTTONUP, HTCLOSE, at);
        };
        EXPECT_EQ(dialog.DoModalIndirect(dialogTemplate.Get(), nullptr), IDCANCEL);
        EXPECT_EQ(dialog.GetSkinnedControlCount(), 3u);
        EXPECT_EQ(g_controlsDeleted, 0);
        EXPECT_EQ(dialog.styleAfterAttach & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
        EXPECT_EQ(dialog.clientRect.Size(), dialog.windowRect.Size());
        EXPECT_EQ(dialog.closeHit, HTCLOSE);
        EXPECT_EQ(dialog.printClientAnswer, 0);
        EXPECT_FALSE(dialog.screenshot.empty());
        // The login frame's images set the metrics.
        EXPECT_EQ(dialog.GetFrame().GetMetrics().titleHeight, kTitleHeight);
    }
    EXPECT_EQ(g_controlsDeleted, 3);
}

TEST(BaseDlg, TheSharedOkHandlerEndsWithIdOk)
{
    DialogTemplate dialogTemplate;
    CSkinnedDialog dialog;
    dialog.onInit = [](CSkinnedDialog& d) { ::PostMessageA(d.GetDlgItem(kOkId), BM_CLICK, 0, 0); };
    EXPECT_EQ(dialog.DoModalIndirect(dialogTemplate.Get(), nullptr), IDOK);
}

TEST(BaseDlg, PaintWithoutADcOnlyValidates)
{
    DialogTemplate dialogTemplate;
    CSkinnedDialog dialog;
    HWND hwnd = dialog.CreateIndirect(dialogTemplate.Get(), nullptr);
    ASSERT_TRUE(hwnd);
    ShowWithoutActivating(hwnd);
    PumpPendingMessages();
    ::InvalidateRect(hwnd, nullptr, FALSE);
    RECT update = {};
    EXPECT_TRUE(::GetUpdateRect(hwnd, &update, FALSE));
    ::SendMessageA(hwnd, WM_PAINT, 0, 0);
    EXPECT_FALSE(::GetUpdateRect(hwnd, &update, FALSE));
    ::DestroyWindow(hwnd);
}
