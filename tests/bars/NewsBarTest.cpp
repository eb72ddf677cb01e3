// The news bar: layout at a size, links created only with an address and a
// label, icon ownership passing to the link, GDI objects over create/destroy
// cycles and a screenshot with sample content.
#include "skin/SkinScrollBarCtrl.h"
#include "tests/support/ControlTesting.h"
#include "tests/support/GdiCount.h"
#include <gtest/gtest.h>

TEST(NewsBar, ChildrenAreLaidOutAtTheBarsSize)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 800, 60)));
    CSkinScrollBarCtrl bar;
    ASSERT_TRUE(bar.SetBackground("scrollbarbkgnd.png"));
    bar.SetFirstLink("http://127.0.0.1:7710/", "访问财经网", LoadSkinPng("arrow1.png"));
    bar.AddFirstLinkIcon(LoadSkinPng("arrow2.png"));
    bar.AddFirstLinkIcon(LoadSkinPng("arrow3.png"));
    bar.SetSecondLink("http://127.0.0.1:7710/chat", "在线咨询");
    ASSERT_TRUE(bar.Create(parent, CRect(0, 10, 800, 12)));
    const int H = bar.GetBarHeight();
    EXPECT_GT(H, 10);
    EXPECT_EQ(bar.GetClientRect(), CRect(0, 0, 800, H)) << "the bar takes the background's height";

    EXPECT_EQ(bar.GetTicker().GetRectInParent(), CRect(292, 4, 292 + 800 - 298, 4 + H - 10));
    EXPECT_EQ(bar.GetFirstLink().GetRectInParent(), CRect(5, 4, 180, 4 + H - 10));
    EXPECT_EQ(bar.GetSecondLink().GetRectInParent(), CRect(185, 4, 245, 4 + H - 10));
    bar.MoveWindow(CRect(0, 0, 600, H));
    EXPECT_EQ(bar.GetTicker().GetRectInParent(), CRect(292, 4, 292 + 600 - 298, 4 + H - 10));

    // The icons went to the first link, which animates them.
    EXPECT_EQ(bar.GetPendingIconCount(), 0);
    EXPECT_EQ(bar.GetFirstLink().GetImageCount(), 3);
    EXPECT_TRUE(bar.GetFirstLink().IsAnimating());
    EXPECT_EQ(bar.GetFirstLink().GetExtendedStyle(), CSkinScrollBarCtrl::kFirstLinkStyle);
    EXPECT_EQ(bar.GetFirstLink().m_linkColour, RGB(192, 0, 0));
    EXPECT_EQ(bar.GetSecondLink().GetImageCount(), 0);
    EXPECT_EQ(bar.GetSecondLink().GetExtendedStyle(), 0u);
    EXPECT_EQ(bar.GetSecondLink().m_visitedColour, RGB(192, 0, 0));
    parent.DestroyWindow();
}

TEST(NewsBar, ALinkWithoutAddressOrLabelIsNeverCreated)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 800, 60)));
    CSkinScrollBarCtrl bar;
    bar.SetBackground("scrollbarbkgnd.png");
    bar.SetFirstLink("", "访问财经网", LoadSkinPng("arrow1.png"));
    bar.SetSecondLink("http://127.0.0.1/chat", "");
    ASSERT_TRUE(bar.Create(parent, CRect(0, 0, 800, 26)));
    EXPECT_EQ(bar.GetFirstLink().m_hWnd, nullptr);
    EXPECT_EQ(bar.GetSecondLink().m_hWnd, nullptr);
    EXPECT_EQ(bar.GetPendingIconCount(), 1) << "the bar keeps and frees an icon no link took";
    EXPECT_TRUE(bar.GetTicker().IsWindow());

    // One icon: a still image.
    CSkinScrollBarCtrl still;
    still.SetFirstLink("http://127.0.0.1/", "首页", LoadSkinPng("arrow1.png"));
    ASSERT_TRUE(still.Create(parent, CRect(0, 30, 800, 56)));
    EXPECT_EQ(still.GetFirstLink().GetImageCount(), 1);
    EXPECT_FALSE(still.GetFirstLink().IsAnimating());
    parent.DestroyWindow();
}

TEST(NewsBar, GdiObjectsDoNotGrowOverCreateAndDestroy)
{
    const auto cycle = [] {
        CColourParent parent;
        parent.Create(nullptr, CRect(0, 0, 800, 40));
        CSkinScrollBarCtrl bar;
        bar.SetBackground("scrollbarbkgnd.png");
        bar.SetFirstLink("http://127.0.0.1/", "首页", LoadSkinPng("arrow1.png"));
        bar.AddFirstLinkIcon(LoadSkinPng("arrow2.png"));
        bar.SetSecondLink("http://127.0.0.1/chat", "在线咨询");
        bar.Create(parent, CRect(0, 0, 800, 26));
        bar.GetTicker().SetNewsItems("一条新闻\thttp://127.0.0.1/n", nullptr);
        CDib32 image;
        RenderClient(bar, image);
        RenderClient(bar.GetTicker(), image);
        RenderClient(bar.GetFirstLink(), image);
        parent.DestroyWindow();
    };
    EXPECT_LE(GdiGrowthOver(cycle, 15), 2u);
}

TEST(NewsBar, ScreenshotWithLinksAndScrollingNews)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(40, 460, 840, 486)));
    CSkinScrollBarCtrl bar;
    ASSERT_TRUE(bar.SetBackground("scrollbarbkgnd.png"));
    bar.SetFirstLink("http://127.0.0.1:7710/", "访问Kelo财经网", LoadSkinPng("arrow1.png"));
    bar.AddFirstLinkIcon(LoadSkinPng("arrow2.png"));
    bar.SetSecondLink("http://127.0.0.1:7710/chat", "在线咨询");
    bar.GetTicker().SetTextColour(RGB(0, 0, 255));
    bar.GetTicker().SetInterval(20);
    ASSERT_TRUE(bar.Create(parent, CRect(0, 0, 800, 26)));
    CFont font;
    ASSERT_TRUE(font.Create("宋体", -12));
    bar.GetTicker().SetTickerFont(font);
    bar.GetTicker().SetUrlOpener([](const std::string&) { return true; });
    bar.GetTicker().SetNewsItems("沪指午后震荡走高 成交额突破万亿\thttp://127.0.0.1:7710/n/1\r\n"
                                 "两市超三千只个股上涨\thttp://127.0.0.1:7710/n/2\r\n"
                                 "北向资金净流入逾五十亿元\thttp://127.0.0.1:7710/n/3\r\n"
                                 "央行开展逆回购操作 市场流动性合理充裕\thttp://127.0.0.1:7710/n/4",
        nullptr);
    ShowWithoutActivating(parent);
    EXPECT_TRUE(PumpUntil([&] { return bar.GetTicker().GetOffset() > 60; }, 15000));
    EXPECT_FALSE(SaveWindowScreenshot(parent, "news_bar").empty());
    parent.DestroyWindow();
}
