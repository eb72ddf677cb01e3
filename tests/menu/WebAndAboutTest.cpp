// The web page dialog's size rule and its life without a browser control,
// and the about box with and without its picture.
#include "app/AboutDlg.h"
#include "app/WebSourceDlg.h"
#include "base/DataPaths.h"
#include "tests/menu/MenuTesting.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>

TEST(WebPageSize, RequestsOutsideTheRangeGetTheDefault)
{
    struct Case
    {
        int32_t width, height, expectedWidth, expectedHeight;
    };
    const Case cases[] = {
        { 800, 600, 800, 600 },
        { 801, 500, 600, 300 },
        { 800, 601, 600, 300 },
        { 30, 30, 30, 30 },
        { 29, 300, 600, 300 },
        { 300, 29, 600, 300 },
        { 0, 0, 600, 300 },
        { -800, 500, 600, 300 },
        { 800, 500, 800, 500 },
    };
    for (const Case& c : cases) {
        const CSize size = CWebSourceDlg::PageSize(c.width, c.height);
        EXPECT_EQ(size.cx, c.expectedWidth) << c.width << "x" << c.height;
        EXPECT_EQ(size.cy, c.expectedHeight) << c.width << "x" << c.height;
    }
    const char* page = CWebSourceDlg::WaitingPage();
    EXPECT_NE(std::strstr(page, "charset=gb2312"), nullptr);
    EXPECT_NE(std::strstr(page, "正在下载，请等待......"), nullptr);
    EXPECT_NE(std::strstr(page, "#00000FF"), nullptr);
}

TEST(WebPageDialog, WithoutABrowserControlItStillClosesAndNavigatesOnce)
{
    CWebSourceDlg dialog;
    dialog.SetTitle("布局股票");
    dialog.SetUrl("");
    dialog.SetSize(800, 500);
    // A class that no system has: the control cannot be made.
    dialog.SetInitialAddress("{0E5B0A2C-7D1F-4B8E-9C3A-5F6D7E8F9A0B}");
    HWND hwnd = dialog.Create(nullptr);
    ASSERT_TRUE(hwnd);
    EXPECT_EQ(dialog.GetView().GetBrowser(), nullptr);
    EXPECT_EQ(dialog.GetWindowText(), "布局股票");
    // The page area is 800 x 500 with the button band below it.
    const NcFrameMetrics& metrics = dialog.GetFrame().GetMetrics();
    const CRect client = dialog.GetClientRect();
    EXPECT_EQ(client.Width(), 800 + metrics.leftWidth + metrics.rightWidth);
    EXPECT_EQ(client.Height(), 500 + CWebSourceDlg::kButtonBand + metrics.titleHeight + metrics.bottomHeight);
    const CRect button = CWindow(dialog.GetDlgItem(IDOK)).GetRectInParent();
    EXPECT_EQ(button.top, metrics.titleHeight + 500 + 4);
    EXPECT_EQ(button.right, metrics.leftWidth + 800 - 30);
    EXPECT_FALSE(dialog.HasNavigated());
    EXPECT_TRUE(PumpUntil([&] { return dialog.HasNavigated(); }, 3000));
    EXPECT_FALSE(ShowAndCapture(hwnd, "menu_webpage").empty());
    // The skinned dialogs' shared OK ends the dialog (a modeless one is hidden).
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    dialog.DestroyWindow();
}

TEST(AboutBox, WithoutItsPictureTheTemplateSizeStays)
{
    CAboutDlg plain;
    plain.SetImagePath(DataPaths::Instance()->GetSkinFile("no-such-about.png"));
    HWND hwnd = plain.Create(nullptr);
    ASSERT_TRUE(hwnd);
    EXPECT_EQ(plain.GetImageSize(), CSize(0, 0));
    RECT units = { 0, 0, 276, 151 };
    ::MapDialogRect(hwnd, &units);
    EXPECT_EQ(plain.GetClientRect().Size(), CSize(units.right, units.bottom));
    EXPECT_EQ(plain.GetDlgItemText(IDC_ABOUT_VERSION), "20110816");
    EXPECT_EQ(plain.GetLink().m_linkColour, RGB(255, 0, 0));
    // The controls stay where the template puts them, shown.
    HWND publisher = plain.GetDlgItem(IDC_ABOUT_PUBLISHER);
    RECT at = { 20, 102, 220, 110 };
    ::MapDialogRect(hwnd, &at);
    EXPECT_EQ(CWindow(publisher).GetRectInParent(), CRect(at));
    EXPECT_NE(::GetWindowLongA(publisher, GWL_STYLE) & WS_VISIBLE, 0);
    EXPECT_EQ(plain.GetDlgItemText(IDC_ABOUT_PUBLISHER), "Kelo财经 版权所有");
    EXPECT_FALSE(ShowAndCapture(hwnd, "menu_about_plain").empty());
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(::IsWindow(hwnd));

    CAboutDlg pictured;
    hwnd = pictured.Create(nullptr);
    ASSERT_TRUE(hwnd);
    const CSize image = pictured.GetImageSize();
    ASSERT_GT(image.cx, 0);
    EXPECT_EQ(pictured.GetClientRect().Size(), image);
    // The OK button sits centred near the bottom.
    const CRect ok = CWindow(pictured.GetDlgItem(IDOK)).GetRectInParent();
    EXPECT_NEAR((ok.left + ok.right) / 2, image.cx / 2, 12);
    EXPECT_GT(ok.bottom, image.cy - 40);
    EXPECT_FALSE(ShowAndCapture(hwnd, "menu_about").empty());
    pictured.DestroyWindow();
}

TEST(WebPageDialog, TheSystemBrowserControlWithoutItsHtmlEngine)
{
    // Under the test runs the browser control exists but has no HTML engine:
    // it gives no document, so neither the waiting page nor the page shows.
    // The dialog opens at the default size, navigates once and closes.
    CWebSourceDlg dialog;
    dialog.SetTitle("今日要闻");
    dialog.SetUrl("http://127.0.0.1:1/zentu/report/report_yaowen.php?u=x");
    HWND hwnd = dialog.Create(nullptr);
    ASSERT_TRUE(hwnd);
    if (dialog.GetView().GetBrowser() && !dialog.GetDocument())
        std::printf("note: the browser control has no document here; pages cannot be shown\n");
    EXPECT_TRUE(PumpUntil([&] { return dialog.HasNavigated(); }, 3000));
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    dialog.DestroyWindow();
}
