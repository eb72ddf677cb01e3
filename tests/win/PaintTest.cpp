// Double-buffered painting, the 32-bit DIB and a screenshot of a real window.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "tests/support/WindowTesting.h"
#include "win/Dib32.h"
#include "win/DoubleBuffer.h"
#include "win/Gdi.h"
#include "win/WindowImpl.h"

namespace {

typedef CWinTraits<WS_POPUP | WS_BORDER | WS_CLIPCHILDREN> CPopupTraits;

// A window that paints a red field, a blue band and a caption, all in DoPaint.
class CSampleView : public CWindowImpl<CSampleView, CWindow, CPopupTraits>,
                    public CDoubleBufferImpl<CSampleView>
{
public:
    DECLARE_WND_CLASS_EX("ZentuTestSampleView", CS_HREDRAW | CS_VREDRAW, COLOR_WINDOW + 1)
    int paints = 0;

    BEGIN_MSG_MAP(CSampleView)
        CHAIN_MSG_MAP(CDoubleBufferImpl<CSampleView>)
    END_MSG_MAP()

    void DoPaint(HDC dc)
    {
        ++paints;
        CRect client = GetClientRect();
        FillSolidRect(dc, client, RGB(200, 30, 30));
        FillSolidRect(dc, CRect(0, 0, client.right, 20), RGB(20, 40, 160));
        CFont font;
        font.Create("宋体", -14, FW_BOLD);
        CSelectObject selectFont(dc, font);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, RGB(255, 255, 255));
        ::TextOutA(dc, 4, 3, "Zentu 窗口", 10);
    }
};

} // namespace

TEST(Paint, PrintClientPaintsThroughTheMemoryBitmapAndErasingIsSkipped)
{
    CSampleView view;
    ASSERT_TRUE(view.Create(nullptr, CRect(0, 0, 160, 90)));
    EXPECT_EQ(view.SendMessage(WM_ERASEBKGND, 0), 1);

    CDib32 image;
    ASSERT_TRUE(RenderClient(view, image));
    EXPECT_EQ(view.paints, 1);
    EXPECT_EQ(image.GetColor(100, 60), RGB(200, 30, 30));
    EXPECT_EQ(image.GetColor(150, 10), RGB(20, 40, 160));

    // WM_PRINTCLIENT without a DC paints nothing.
    view.SendMessage(WM_PRINTCLIENT, 0, PRF_CLIENT);
    EXPECT_EQ(view.paints, 1);
    view.DestroyWindow();
}

TEST(Paint, WindowShowsWhatDoPaintDrewAndCanBeSavedAsPng)
{
    CSampleView view;
    ASSERT_TRUE(view.Create(nullptr, CRect(40, 40, 260, 160)));
    ShowWithoutActivating(view);
    view.UpdateWindow();
    EXPECT_EQ(CaptureWindowPixel(view, 100, 60), RGB(200, 30, 30));

    std::string path = SaveWindowScreenshot(view, "sample_view");
    ASSERT_FALSE(path.empty());
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    ASSERT_TRUE(::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info));
    EXPECT_GT(info.nFileSizeLow, 100u);
    view.DestroyWindow();
}

TEST(Dib32, TextLeavesAlphaZeroUntilRepaired)
{
    CDib32 dib;
    ASSERT_TRUE(dib.Create(40, 20));
    EXPECT_EQ(dib.GetPixel(0, 0), 0u);
    FillSolidRect(dib.GetDC(), CRect(0, 0, 10, 20), RGB(255, 0, 0));
    EXPECT_EQ(dib.GetPixel(5, 5), 0x00FF0000u); // GDI wrote colour, alpha stays 0
    dib.RepairAlpha();
    EXPECT_EQ(dib.GetPixel(5, 5), 0xFFFF0000u);
    EXPECT_EQ(dib.GetPixel(20, 5), 0u); // untouched pixels stay transparent

    // Outside reads give 0, outside writes do nothing.
    EXPECT_EQ(dib.GetPixel(-1, 0), 0u);
    EXPECT_EQ(dib.GetPixel(40, 0), 0u);
    dib.SetPixel(40, 20, 0xFFFFFFFFu);
    EXPECT_FALSE(dib.Create(0, 5));
    EXPECT_TRUE(dib.IsNull());
}

TEST(Dib32, PremultiplyAndAlphaDraw)
{
    CDib32 source;
    ASSERT_TRUE(source.Create(2, 1));
    source.SetPixel(0, 0, MakeArgb(128, 255, 100, 0));
    source.SetPixel(1, 0, MakeArgb(0, 255, 255, 255));
    source.Premultiply();
    EXPECT_EQ(source.GetPixel(0, 0), MakeArgb(128, 128, 50, 0));
    EXPECT_EQ(source.GetPixel(1, 0), 0u);

    CDib32 target;
    ASSERT_TRUE(target.Create(2, 1));
    target.Fill(MakeArgb(255, 0, 0, 255));
    ASSERT_TRUE(source.AlphaDraw(target.GetDC(), 0, 0));
    ::GdiFlush();
    uint32_t blended = target.GetPixel(0, 0);
    EXPECT_NEAR(static_cast<int>((blended >> 16) & 0xFF), 128, 2);
    EXPECT_NEAR(static_cast<int>((blended >> 8) & 0xFF), 50, 2);
    EXPECT_NEAR(static_cast<int>(blended & 0xFF), 127, 2);
    EXPECT_EQ(target.GetPixel(1, 0) & 0xFFFFFFu, 0x0000FFu); // transparent pixel leaves the target
}
