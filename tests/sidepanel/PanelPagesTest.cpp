// The pages of the side panel painted into an off-screen bitmap for a
// simulated stock and index: frames, fills and bars at computed places
// (never glyph pixels), and a screenshot of every page.
#include "views/QuoteSidePanel.h"

#include "base/ChartColors.h"
#include "data/Stock.h"
#include "tests/sidepanel/PanelFixtures.h"
#include "tests/support/OffscreenCanvas.h"
#include "tools/marketdata/SimMarketTables.h"
#include <gtest/gtest.h>

#include <algorithm>

namespace {

const COLORREF kBackground = RGB(8, 8, 8);
const COLORREF kFrame = RGB(128, 0, 0);

// A chart-sized canvas with the side panel's rectangle at its right, 56 px
// below the top as the charts place it.
struct PanelCanvas
{
    OffscreenCanvas canvas { 300, 900, RGB(0, 0, 0) };
    RECT page { 10, 56, 290, 890 };
};

void VisibleRange(CStock& stock, int bars, double& high, double& low)
{
    const std::vector<Bar>& all = stock.GetKData(kPeriodDay)->GetBars();
    high = 0;
    low = 1e9;
    for (size_t i = all.size() > static_cast<size_t>(bars) ? all.size() - bars : 0; i < all.size(); ++i) {
        high = std::max(high, static_cast<double>(all[i].high));
        low = std::min(low, static_cast<double>(all[i].low));
    }
}

} // namespace

TEST(SidePanelPages, EveryPageOfAStockAndAnIndexIsFramedAndFilled)
{
    struct Subject
    {
        uint32_t key;
        const char* name;
    };
    const Subject subjects[] = { { 0x600004, "stock" }, { SimMarketTables::kShanghaiCompositeKey, "index" } };
    for (const Subject& subject : subjects) {
        std::unique_ptr<CStock> stock = MakeSimulatedStock(subject.key);
        ASSERT_GT(stock->GetFenbiData().GetCount(), 10) << subject.name;
        for (int page : { 1, 2, 9, 11, 12, 13, 14, 15, 16 }) {
            PanelCanvas c;
            CQuoteSidePanel panel;
            panel.SetDiagnosisLoader([](uint32_t) { return std::string(); });
            int rows = 0;
            int result = 0;
            HDC dc = c.canvas.Dc();
            const RECT pane = { 0, 70, 10, 600 };
            // The minute chart's scale is the day's range; the K-line chart's
            // that of its visible bars.
            double high = stock->GetStockInfo().high + 0.05;
            double low = stock->GetStockInfo().low - 0.05;
            if (page == 1 || page == 2)
                VisibleRange(*stock, 120, high, low);
            switch (page) {
            case 1:
                panel.DrawChipDistribution(dc, stock.get(), 6, -1, c.page, pane, high, low);
                break;
            case 2:
                panel.DrawMovingCostPage(dc, stock.get(), 6, -1, c.page, pane, high, low);
                break;
            case 9:
                panel.DrawSectorPage(dc, c.page, stock.get(), rows, result);
                break;
            case 11:
                panel.DrawTickPage(dc, c.page, stock.get(), rows, result);
                break;
            case 12:
                panel.DrawPriceVolumePage(dc, c.page, stock.get());
                break;
            case 13:
                panel.DrawFinancePage(dc, c.page, stock.get(), rows, result);
                break;
            case 14:
                panel.DrawOrderSizePage(dc, c.page, stock.get(), rows, result);
                break;
            case 15:
                panel.DrawDiagnosisPage(dc, c.page, stock.get());
                break;
            case 16:
                panel.DrawChipPage(dc, c.page, stock.get(), pane, high, low);
                break;
            }
            c.canvas.SavePng(std::string("sidepanel-") + subject.name + "-page" + std::to_string(page));
            EXPECT_EQ(c.canvas.Pixel(c.page.left, c.page.top + 400), kFrame)
                << subject.name << " page " << page;
            EXPECT_EQ(c.canvas.Pixel(c.page.right - 1, c.page.bottom - 1), kFrame)
                << subject.name << " page " << page;
            EXPECT_EQ(c.canvas.Pixel(c.page.right - 3, c.page.bottom - 3), kBackground)
                << subject.name << " page " << page;
        }
    }
}
