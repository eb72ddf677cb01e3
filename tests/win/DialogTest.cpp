// Dialogs from a resource template: modal and modeless, WM_INITDIALOG,
// results through DWLP_MSGRESULT and directly, centring.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "tests/support/WindowTesting.h"
#include "tests/win/WinTestResources.h"
#include "win/DialogImpl.h"

namespace {

const UINT kAskValue = WM_APP + 1;
const UINT kRunChecks = WM_APP + 2;

class CTestDialog : public CDialogImpl<CTestDialog>
{
public:
    enum { IDD = IDD_TEST_DIALOG };

    LPARAM initParam = 0;
    LRESULT askedValue = 0;
    LRESULT colourAnswer = 0;
    std::string editText;
    CRect windowRect;
    bool finalSeen = false;
    HBRUSH editBrush = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));

    BEGIN_MSG_MAP(CTestDialog)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(kAskValue, OnAskValue)
        MESSAGE_HANDLER(kRunChecks, OnRunChecks)
        MESSAGE_HANDLER(WM_CTLCOLOREDIT, OnEditColour)
        COMMAND_ID_HANDLER(IDOK, OnOk)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM lp, BOOL&)
    {
        initParam = lp;
        SetDlgItemText(IDC_TEST_EDIT, "600000");
        CenterWindow();
        PostMessage(kRunChecks);
        return TRUE;
    }
    LRESULT OnAskValue(UINT, WPARAM wp, LPARAM, BOOL&) { return static_cast<LRESULT>(wp * 2); }
    LRESULT OnEditColour(UINT, WPARAM, LPARAM, BOOL&) { return reinterpret_cast<LRESULT>(editBrush); }
    LRESULT OnRunChecks(UINT, WPARAM, LPARAM, BOOL&)
    {
        askedValue = SendMessage(kAskValue, 21);
        HDC dc = ::GetDC(m_hWnd);
        colourAnswer = SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
            reinterpret_cast<LPARAM>(GetDlgItem(IDC_TEST_EDIT)));
        ::ReleaseDC(m_hWnd, dc);
        windowRect = GetWindowRect();
        // Ended by a posted command, the way a helper thread or timer ends it.
        PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
        return 0;
    }
    LRESULT OnOk(WORD, WORD, HWND, BOOL&)
    {
        editText = GetDlgItemText(IDC_TEST_EDIT);
        EndDialog(42);
        return 0;
    }
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&)
    {
        EndDialog(IDCANCEL);
        return 0;
    }
    void OnFinalMessage(HWND) override { finalSeen = true; }
};

} // namespace

TEST(Dialog, ModalFromTemplateEndedByPostedCommand)
{
    CTestDialog dialog;
    INT_PTR result = dialog.DoModal(nullptr, 0x5A5A);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(dialog.initParam, 0x5A5A);
    EXPECT_EQ(dialog.editText, "600000");
    // A custom message's answer travels through DWLP_MSGRESULT, a colour
    // request's brush directly.
    EXPECT_EQ(dialog.askedValue, 42);
    EXPECT_EQ(dialog.colourAnswer, reinterpret_cast<LRESULT>(dialog.editBrush));
    EXPECT_TRUE(dialog.finalSeen);
    EXPECT_EQ(dialog.m_hWnd, nullptr);

    // Centred on the work area (no owner).
    RECT work;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    CRect area(work);
    EXPECT_NEAR(dialog.windowRect.CenterPoint().x, area.CenterPoint().x, 1);
    EXPECT_NEAR(dialog.windowRect.CenterPoint().y, area.CenterPoint().y, 1);
}

TEST(Dialog, ModelessRunsInTheCallersLoopAndEndsByDestruction)
{
    CTestDialog dialog;
    HWND hwnd = dialog.Create(nullptr, 7);
    ASSERT_TRUE(hwnd);
    EXPECT_EQ(dialog.initParam, 7);
    EXPECT_TRUE(PumpUntil([&] { return dialog.finalSeen; }));
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(dialog.askedValue, 42);
    EXPECT_EQ(dialog.editText, "600000");
}

TEST(Dialog, MissingTemplateFails)
{
    struct CNoTemplate : CDialogImpl<CNoTemplate>
    {
        enum { IDD = 9999 };
        BEGIN_MSG_MAP(CNoTemplate)
        END_MSG_MAP()
    } dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), -1);
    EXPECT_EQ(dialog.Create(nullptr), nullptr);
}
