// The chart paints its quote side panel from the picture of an earlier paint
// while nothing the panel shows has changed. Every change must reach the
// screen: a chart painted, changed and painted again shows exactly what a new
// chart in the changed state shows when its panel is drawn directly.
#include "base/ChartColors.h"
#include "tests/kline/KLineFixtures.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/TempDataRoot.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

const int kCanvasWidth = 1100;
const int kCanvasHeight = 720;
const RECT kChartRect { 0, 0, 1063, 700 };
const RECT kWiderRect { 0, 0, 1100, 720 };

void SetQuote(CStock& stock, float last)
{
    CStockInfo& info = stock.GetStockInfo();
    info.previousClose = 10.0f;
    info.open = 10.1f;
    info.high = 10.6f;
    info.low = 9.8f;
    info.last = last;
    info.volume = 123456.0f;
    info.amount = 1.3e8f;
    for (int i = 0; i < 5; ++i) {
        info.bidPrices[i] = last - 0.01f * (i + 1);
        info.bidVolumes[i] = 100.0f * (i + 1);
        info.askPrices[i] = last + 0.01f * (i + 1);
        info.askVolumes[i] = 200.0f * (i + 1);
    }
}

// What the cases change: the stock and its quote, the page, the rectangle,
// what the canvas holds before the chart paints, the colours.
struct Scene
{
    CStock* stock = nullptr;
    CStock* other = nullptr;
    FakeKLineSource* source = nullptr;
    RECT rect = kChartRect;
    COLORREF underneath = ChartColors::Background;
    int page = kPageSectors;
};

struct PanelChange
{
    const char* name;
    std::function<void(Scene&)> apply;
    bool shows; // whether the panel visibly changes
    bool tableOnly = false; // shows in the quote table only, which the order-size page has not
};

// The colours the cases change, put back after each.
struct SavedColours
{
    COLORREF stockName = SidePanelColors::StockName;
    COLORREF background = SidePanelColors::Background;
    COLORREF rise = ChartColors::Rise;
    ~SavedColours()
    {
        SidePanelColors::StockName = stockName;
        SidePanelColors::Background = background;
        ChartColors::Rise = rise;
    }
};

const PanelChange kChanges[] = {
    { "nothing", [](Scene&) {}, false },
    { "last price", [](Scene& s) { SetQuote(*s.stock, 10.45f); }, true },
    { "an order-book volume", [](Scene& s) { s.stock->GetStockInfo().bidVolumes[2] = 98765.0f; }, true, true },
    { "the day's volume", [](Scene& s) { s.stock->GetStockInfo().volume = 555555.0f; }, true, true },
    { "name", [](Scene& s) { s.stock->GetStockInfo().SetName("改名股份"); }, true },
    { "another stock",
        [](Scene& s) {
            s.source->current = s.other;
        },
        true },
    { "another page", [](Scene& s) { s.page = s.page == kPageFinance ? kPageTicks : kPageFinance; }, true },
    { "a larger chart", [](Scene& s) { s.rect = kWiderRect; }, true },
    { "what lies below the title", [](Scene& s) { s.underneath = RGB(0, 0, 96); }, true },
    { "stock name colour", [](Scene&) { SidePanelColors::StockName = RGB(255, 0, 255); }, true },
    { "panel background", [](Scene&) { SidePanelColors::Background = RGB(24, 24, 64); }, true },
    { "rising colour", [](Scene&) { ChartColors::Rise = RGB(255, 128, 0); }, true },
    { "a new day bar",
        [](Scene& s) {
            Bar bar = *s.stock->GetDayData().GetBar(s.stock->GetDayData().GetCount() - 1);
            bar.time += 86400;
            bar.volume *= 4;
            s.stock->GetDayData().AppendBar(bar);
        },
        false }, // the volume ratio needs the day's ticks: only the chart changes
};

// The page drawn straight into the chart's DC, as before any picture.
void DrawDirectly(KLineChart& chart, const SidePanelPaint& p)
{
    CQuoteSidePanel& panel = chart.GetSidePanel();
    switch (p.page) {
    case kPageSectors:
        panel.DrawSectorPage(p.dc, p.sidePanel, p.stock, *p.rowsPerPage, *p.listPosition);
        break;
    case kPageTicks:
        panel.DrawTickPage(p.dc, p.sidePanel, p.stock, *p.rowsPerPage, *p.listPosition);
        break;
    case kPageFinance:
        panel.DrawFinancePage(p.dc, p.sidePanel, p.stock, *p.rowsPerPage, *p.listPosition);
        break;
    case kPageOrderSizes:
        panel.DrawOrderSizePage(p.dc, p.sidePanel, p.stock, *p.rowsPerPage, *p.listPosition);
        break;
    case kPageVolumeByPrice:
        panel.DrawPriceVolumePage(p.dc, p.sidePanel, p.stock);
        break;
    default:
        break;
    }
}

class SidePanelPictureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadSimulatorFormulas();
        other = MakeDayStock(0x600036, 80, "另一股份", "600036");
        SetQuote(*other, 9.7f);
    }

    std::unique_ptr<KLineChart> MakeChart(const Scene& scene, bool direct)
    {
        auto chart = std::make_unique<KLineChart>(settings, source, "");
        chart->SetOwner(owner.Handle());
        chart->SetSidePanelPage(scene.page);
        if (direct) {
            KLineChart* raw = chart.get();
            chart->SetSidePanelPainter([raw](const SidePanelPaint& p) { DrawDirectly(*raw, p); });
        }
        chart->Reload();
        return chart;
    }

    // Each paint finds the DC as the view's fresh memory DC is.
    void Paint(KLineChart& chart, const Scene& scene, OffscreenCanvas& canvas)
    {
        canvas.Fill(scene.underneath);
        chart.SetSidePanelPage(scene.page);
        const int saved = ::SaveDC(canvas.Dc());
        chart.Paint(canvas.Dc(), scene.rect);
        ::RestoreDC(canvas.Dc(), saved);
    }

    // The panel's column, title band included, of a chart painted at rect.
    static RECT PanelColumn(const RECT& rect)
    {
        return RECT { rect.right - kline::kSidePanelWidth, rect.top, rect.right, rect.bottom };
    }

    void CheckChanges(int page)
    {
        for (const PanelChange& change : kChanges) {
            SCOPED_TRACE(change.name);
            SavedColours colours;
            std::unique_ptr<CStock> own = MakeDayStock(0x600000, 120);
            SetQuote(*own, 10.3f);
            Scene scene;
            scene.stock = own.get();
            scene.other = other.get();
            scene.source = &source;
            scene.page = page;
            source.current = own.get();

            OffscreenCanvas before(kCanvasWidth, kCanvasHeight);
            OffscreenCanvas after(kCanvasWidth, kCanvasHeight);
            std::unique_ptr<KLineChart> kept = MakeChart(scene, false);
            Paint(*kept, scene, before);
            Paint(*kept, scene, after);
            std::string where;
            // Text the panel draws may reach past the chart's rectangle; only
            // the rectangle is the chart's.
            ASSERT_TRUE(SamePixels(before, after, scene.rect, &where)) << "painted twice, first difference at " << where;
            const RECT column = PanelColumn(scene.rect);
            change.apply(scene);
            // What the data center does when new data reaches the shown stock.
            kept->Reload();
            Paint(*kept, scene, after);

            OffscreenCanvas fresh(kCanvasWidth, kCanvasHeight);
            std::unique_ptr<KLineChart> direct = MakeChart(scene, true);
            Paint(*direct, scene, fresh);
            EXPECT_TRUE(SamePixels(fresh, after, scene.rect, &where)) << "first difference at " << where;
            if (!SamePixels(fresh, after, scene.rect, &where)) {
                fresh.SavePng(std::string("side-picture-fresh-") + std::to_string(page));
                after.SavePng(std::string("side-picture-kept-") + std::to_string(page));
            }
            if (change.shows && !(change.tableOnly && page == kPageOrderSizes)) {
                EXPECT_FALSE(SamePixels(before, after, column, &where)) << "the change shows in the panel";
            }
            // The direct chart's list window goes with it; the next case starts anew.
            direct.reset();
            kept.reset();
            source.current = nullptr;
        }
    }

    TempDataRoot root;
    ViewOptions& settings = FreshViewOptions();
    FakeKLineSource source;
    HiddenOwner owner;
    std::unique_ptr<CStock> other;
};

}

TEST_F(SidePanelPictureTest, EveryChangeOfTheSectorPageIsPainted)
{
    CheckChanges(kPageSectors);
}

TEST_F(SidePanelPictureTest, EveryChangeOfTheTickPageIsPainted)
{
    CheckChanges(kPageTicks);
}

TEST_F(SidePanelPictureTest, EveryChangeOfTheFinancePageIsPainted)
{
    CheckChanges(kPageFinance);
}

TEST_F(SidePanelPictureTest, EveryChangeOfTheOrderSizePageIsPainted)
{
    CheckChanges(kPageOrderSizes);
}

TEST_F(SidePanelPictureTest, EveryChangeOfTheVolumeByPricePageIsPainted)
{
    CheckChanges(kPageVolumeByPrice);
}
