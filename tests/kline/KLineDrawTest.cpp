// The chart's picture, probed in an off-screen DIB: candle outlines and
// fills, the right edge, the no-data screen, ex-rights signs, the XOR
// cross-hair, and the mouse paths that depend on what was drawn.
#include "base/ChartColors.h"
#include "base/Format.h"
#include "base/GdiObjectCache.h"
#include "skin/EnBitmap.h"
#include "skin/SkinButtonItem.h"
#include "formula/FormulaCalculator.h"
#include "formula/FormulaLibrary.h"
#include "tests/kline/KLineFixtures.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/SeriesFixtures.h"
#include "tests/support/TempDataRoot.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const RECT kChartRect { 0, 0, 1063, 700 };

std::vector<std::pair<std::string, LPARAM>> g_tips;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == KLineChart::kToolTipMessage) {
        g_tips.emplace_back(wParam ? reinterpret_cast<const char*>(wParam) : "", lParam);
        return 1;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

// Even bars rise from 10 to 11, odd ones fall from 11 to 10; highs 11.5, lows 9.5.
std::unique_ptr<CStock> MakeZigzagStock(int count)
{
    auto stock = std::make_unique<CStock>(0x600000);
    stock->GetStockInfo().SetName("锯齿");
    stock->GetStockInfo().SetCode("600000");
    stock->GetStockInfo().SetIndexFlag(0);
    for (int i = 0; i < count; ++i) {
        const bool rising = i % 2 == 0;
        stock->GetDayData().AppendBar(
            MakeBar(T(2020, 1, 1) + i * 86400, rising ? 10 : 11, 11.5f, 9.5f, rising ? 11 : 10, 1000, 10000));
    }
    return stock;
}

class KLineDrawTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadSimulatorFormulas();
        stock = MakeZigzagStock(100);
        source.current = stock.get();
        chart = std::make_unique<KLineChart>(settings, source, "");
        ::SetWindowLongPtrA(owner.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc));
        chart->SetOwner(owner.Handle());
        chart->Reload();
        g_tips.clear();
    }

    void Paint()
    {
        canvas.Fill(ChartColors::Background);
        chart->Paint(canvas.Dc(), kChartRect);
    }

    int Y(double price) const
    {
        return kline::PriceToY(price, chart->GetPriceLow(), chart->GetPriceHigh(),
            kline::CandleArea(chart->GetLayout().mainPane));
    }

    TempDataRoot root;
    ViewOptions& settings = FreshViewOptions();
    FakeKLineSource source;
    HiddenOwner owner;
    std::unique_ptr<CStock> stock;
    std::unique_ptr<KLineChart> chart;
    OffscreenCanvas canvas { 1063, 700, 0 };
};

}

TEST_F(KLineDrawTest, RisingBarsAreOutlinedAndFallingBarsFilled)
{
    Paint();
    canvas.SavePng("kline-zigzag");
    ASSERT_EQ(30, chart->GetFirst());
    ASSERT_EQ(99, chart->GetLast());
    EXPECT_NEAR(9.3, chart->GetPriceLow(), 1e-6);
    EXPECT_NEAR(11.7, chart->GetPriceHigh(), 1e-6);
    const int y = Y(10.15); // below every moving average of the zigzag
    for (int index : { 40, 41, 60, 61 }) {
        int left = 0;
        int right = 0;
        int middle = 0;
        ASSERT_TRUE(chart->GetBarRect(index, nullptr, &left, &right, &middle));
        SCOPED_TRACE(index);
        if (index % 2 == 0) {
            EXPECT_EQ(ChartColors::Rise, canvas.Pixel(left, y));
            EXPECT_EQ(ChartColors::Rise, canvas.Pixel(right - 1, y));
            const COLORREF inside = canvas.Pixel(left + 2, y);
            EXPECT_TRUE(inside == ChartColors::Background || inside == ChartColors::Axis) << std::hex << inside;
            // The wick runs up to the high.
            EXPECT_EQ(ChartColors::Rise, canvas.Pixel(middle, Y(11.4)));
        } else {
            EXPECT_EQ(ChartColors::FallingBar, canvas.Pixel(left, y));
            EXPECT_EQ(ChartColors::FallingBar, canvas.Pixel(left + 2, y));
            EXPECT_EQ(ChartColors::FallingBar, canvas.Pixel(middle, Y(9.6)));
        }
    }
}

TEST_F(KLineDrawTest, NoBarPastThePlottingArea)
{
    Paint();
    const RECT& plot = chart->GetLayout().mainPlot;
    const RECT& pane = chart->GetLayout().mainPane;
    const RECT strip { plot.right, Y(11.0), pane.right - 1, Y(10.0) };
    EXPECT_EQ(0, canvas.CountPixels(ChartColors::Rise, strip));
    EXPECT_EQ(0, canvas.CountPixels(ChartColors::FallingBar, strip));
    // The last bar does stand left of it.
    RECT last;
    ASSERT_TRUE(chart->GetBarRect(99, &last, nullptr, nullptr, nullptr));
    EXPECT_LE(last.right, plot.right);
}

TEST_F(KLineDrawTest, NoDataScreenHasNoPanes)
{
    auto empty = std::make_unique<CStock>(0x600001);
    empty->GetStockInfo().SetName("空");
    empty->GetStockInfo().SetCode("600001");
    source.current = empty.get();
    chart->Reload();
    Paint();
    canvas.SavePng("kline-nodata");
    const kline::Layout& layout = chart->GetLayout();
    // The bar column is framed; no pane frame or candle is drawn inside it.
    EXPECT_EQ(ChartColors::Axis, canvas.Pixel(layout.barColumn.left, 300));
    RECT inside = layout.barColumn;
    ::InflateRect(&inside, -1, -1);
    EXPECT_EQ(0, canvas.CountPixels(ChartColors::Axis, inside));
    EXPECT_EQ(0, canvas.CountPixels(ChartColors::Rise, inside));
    EXPECT_FALSE(chart->IsDataWindowShown());
}

TEST_F(KLineDrawTest, OneSignPerExRightsRecordAndItsTip)
{
    const int32_t day = stock->GetDayData().GetBar(50)->time;
    source.exRights[0x600000] = { ExRightsRecord { day, 0, 0, 0, 0.3f }, ExRightsRecord { day + 3600, 0.5f, 0, 0, 0 },
        ExRightsRecord { stock->GetDayData().GetBar(70)->time, 0.2f, 0, 0, 0 } };
    Paint();
    ASSERT_EQ(2u, chart->GetExRightsSigns().size());
    const ExRightsSign& sign = chart->GetExRightsSigns()[0];
    RECT bar;
    ASSERT_TRUE(chart->GetBarRect(50, &bar, nullptr, nullptr, nullptr));
    EXPECT_EQ(bar.left, sign.rect.left);
    EXPECT_EQ(10, sign.rect.right - sign.rect.left);
    chart->OnMouseMove(sign.rect.left + 3, sign.rect.top + 3);
    ASSERT_FALSE(g_tips.empty());
    EXPECT_EQ(kline::FormatExRightsTip(sign.record), g_tips.back().first);
    EXPECT_EQ(0, g_tips.back().second);
    chart->OnMouseMove(sign.rect.left + 3, sign.rect.top - 100);
    EXPECT_EQ("", g_tips.back().first);
    EXPECT_EQ(1, g_tips.back().second);
}

TEST_F(KLineDrawTest, CrossHairDrawnTwiceLeavesThePictureAsItWas)
{
    Paint();
    chart->OnKeyDown(VK_LEFT, false);
    ASSERT_EQ(99, chart->GetCursor());
    canvas.Fill(ChartColors::Background);
    chart->Paint(canvas.Dc(), kChartRect);
    canvas.SavePng("kline-crosshair");
    EXPECT_TRUE(chart->IsDataWindowShown());
    std::vector<uint32_t> before(canvas.Bits(), canvas.Bits() + 1063 * 700);
    // What the drawing after it finds in the DC is as the cross-hair found it.
    HDC dc = canvas.Dc();
    ::MoveToEx(dc, 17, 23, nullptr);
    const HGDIOBJ pen = ::GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ brush = ::GetCurrentObject(dc, OBJ_BRUSH);
    const HGDIOBJ font = ::GetCurrentObject(dc, OBJ_FONT);
    const COLORREF text = ::GetTextColor(dc);
    const int mode = ::GetBkMode(dc);
    chart->DrawCrossHair(dc, true);
    EXPECT_EQ(R2_COPYPEN, ::GetROP2(dc));
    EXPECT_EQ(pen, ::GetCurrentObject(dc, OBJ_PEN));
    EXPECT_EQ(brush, ::GetCurrentObject(dc, OBJ_BRUSH));
    EXPECT_EQ(font, ::GetCurrentObject(dc, OBJ_FONT));
    EXPECT_EQ(text, ::GetTextColor(dc));
    EXPECT_EQ(mode, ::GetBkMode(dc));
    POINT position {};
    ::GetCurrentPositionEx(dc, &position);
    EXPECT_EQ(17, position.x);
    EXPECT_EQ(23, position.y);
    std::vector<uint32_t> once(canvas.Bits(), canvas.Bits() + 1063 * 700);
    EXPECT_NE(before, once);
    chart->DrawCrossHair(canvas.Dc(), false);
    std::vector<uint32_t> twice(canvas.Bits(), canvas.Bits() + 1063 * 700);
    EXPECT_TRUE(before == twice);
}

TEST_F(KLineDrawTest, MaximiseAndRestoreASubPaneByDoubleClick)
{
    Paint();
    const RECT pane = chart->GetLayout().subPanes[1];
    const int x = (pane.left + pane.right) / 2;
    const int y = (pane.top + pane.bottom) / 2;
    chart->OnLButtonDblClk(x, y);
    EXPECT_EQ(1, chart->GetCrossHairMode());
    EXPECT_EQ(1, chart->GetSelectedPane());
    EXPECT_EQ(1, chart->GetMaximisedPane());
    EXPECT_NE(-1, chart->GetCursor());
    Paint();
    canvas.SavePng("kline-maximised");
    chart->OnLButtonDblClk(x, y);
    EXPECT_EQ(0, chart->GetCrossHairMode());
    EXPECT_EQ(-1, chart->GetMaximisedPane());
    EXPECT_EQ(-1, chart->GetCursor());
}

TEST_F(KLineDrawTest, LeftwardBandZoomsOutThreeSteps)
{
    Paint();
    chart->OnKeyDown(VK_LEFT, false); // cross-hair mode on
    const RECT& plot = chart->GetLayout().mainPlot;
    const int y = (plot.top + plot.bottom) / 2;
    chart->OnLButtonDown(plot.left + 500, y, 0, 0);
    ASSERT_EQ(owner.Handle(), ::GetCapture());
    chart->OnMouseMove(plot.left + 100, y);
    chart->OnLButtonUp(plot.left + 100, y);
    EXPECT_EQ(6, chart->GetBarWidth()); // 10 -> 9 -> 7 -> 6
    EXPECT_EQ(nullptr, ::GetCapture());
}

TEST_F(KLineDrawTest, RightwardBandWidensTheBarsToFillTheView)
{
    Paint();
    chart->OnKeyDown(VK_LEFT, false);
    const RECT& plot = chart->GetLayout().mainPlot;
    const int y = (plot.top + plot.bottom) / 2;
    ASSERT_EQ(50, chart->BarFromPoint(plot.left + 205, y));
    ASSERT_EQ(70, chart->BarFromPoint(plot.left + 405, y));
    chart->OnLButtonDown(plot.left + 205, y, 0, 0);
    chart->OnMouseMove(plot.left + 405, y);
    chart->OnLButtonUp(plot.left + 405, y);
    // 21 bars in a 710 px column are widened around their middle.
    EXPECT_EQ(36, chart->GetFirst());
    EXPECT_EQ(77, chart->GetLast());
    // 41 x width must reach the old 69 x 10: 10 -> 13 -> 15 -> 17.
    EXPECT_EQ(17, chart->GetBarWidth());
}

TEST_F(KLineDrawTest, PaneBorderDragIsClamped)
{
    Paint();
    const kline::Layout before = chart->GetLayout();
    const int border = before.mainPane.bottom;
    const int x = (before.mainPane.left + before.mainPane.right) / 2;
    chart->OnMouseMove(x, border + 2);
    chart->OnLButtonDown(x, border + 2, 0, 0);
    ASSERT_EQ(owner.Handle(), ::GetCapture());
    chart->OnMouseMove(x, 2000);
    chart->OnLButtonUp(x, 2000);
    const kline::Layout& after = chart->GetLayout();
    EXPECT_EQ(before.subPanes[0].bottom - 32, after.mainPane.bottom);
    EXPECT_EQ(after.mainPane.bottom, after.subPanes[0].top);
    EXPECT_GT(after.subPanes[0].bottom - after.subPanes[0].top, 0);
    EXPECT_EQ(after.mainPane.bottom, after.mainPlot.bottom);
    EXPECT_EQ(before.mainPlot.right, after.mainPlot.right);
}

TEST(KLinePicture, SimulatedStockForwardAdjustedInDayAndFiveMinutes)
{
    TempDataRoot root;
    LoadSimulatorFormulas();
    std::vector<ExRightsRecord> records;
    std::unique_ptr<CStock> stock = MakeSimulatedStock(records);
    ASSERT_FALSE(records.empty());
    ASSERT_GT(stock->GetDayData().GetCount(), 300);
    ASSERT_GT(stock->GetFiveMinuteData().GetCount(), 200);
    const std::vector<Bar> recordedDays = stock->GetDayData().GetBars();
    const std::vector<Bar> recordedMinutes = stock->GetFiveMinuteData().GetBars();
    FakeKLineSource source;
    source.current = stock.get();
    source.exRights[stock->GetCodeKey()] = records;
    ViewOptions& settings = FreshViewOptions();
    HiddenOwner owner;
    KLineChart chart(settings, source, "");
    chart.SetOwner(owner.Handle());
    chart.SetSubPaneCount(3, -1);
    chart.Reload();
    chart.SetAdjustMode(3);
    EXPECT_EQ(3, settings.GetAdjustMode());
    EXPECT_TRUE(stock->GetDayData().IsAdjusted());
    EXPECT_EQ((std::vector<std::wstring> { L"VOL", L"MACD", L"KDJ" }), chart.GetShownPaneNames());
    const RECT rect { 0, 0, 1400, 800 };
    for (int period : { kPeriodDay, kPeriodFiveMinutes }) {
        SCOPED_TRACE(period);
        chart.SetPeriod(period);
        OffscreenCanvas canvas(1400, 800, ChartColors::Background);
        chart.Paint(canvas.Dc(), rect);
        canvas.SavePng(period == kPeriodDay ? "kline-day-forward" : "kline-5min-forward");
        ASSERT_NE(-1, chart.GetFirst());
        ASSERT_EQ(3u, chart.GetLayout().subPanes.size());
        const RECT area = kline::CandleArea(chart.GetLayout().mainPane);
        EXPECT_GT(canvas.CountPixels(ChartColors::Rise, area) + canvas.CountPixels(ChartColors::FallingBar, area), 200);
        // The dividend inside the shown bars lowers the prices before it and
        // leaves the later ones as recorded.
        const std::vector<Bar>& recorded = period == kPeriodDay ? recordedDays : recordedMinutes;
        const CKData& shown = *stock->GetKData(period);
        ASSERT_EQ(recorded.size(), static_cast<size_t>(shown.GetCount()));
        int before = static_cast<int>(recorded.size()) - 1;
        while (before >= 0 && recorded[before].time >= kSimulatedExRightsTime)
            --before;
        ASSERT_GE(before, chart.GetFirst()) << "the event lies inside the shown bars";
        EXPECT_LT(shown.GetBar(before)->close, recorded[before].close - 0.4f);
        EXPECT_EQ(recorded.back().close, shown.GetBar(shown.GetCount() - 1)->close);
        for (int pane = 0; pane < 3; ++pane)
            EXPECT_EQ(1, chart.GetSubPaneCalculator(pane)->Calculate()) << pane;
    }
}

namespace {

// The extent of a text in the chart's title font ("宋体" 12 px).
SIZE TitleFontExtent(const std::string& text)
{
    HDC screen = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(screen, GdiObjectCache::Instance()->GetFont(12, "宋体", FW_NORMAL));
    SIZE size {};
    ::GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);
    return size;
}

} // namespace

TEST_F(KLineDrawTest, ALongTitleAndTheHighLabelAreDrawnWhole)
{
    // A minute period's title is longer than a fixed 100 px box.
    stock->GetStockInfo().SetName("新华材料");
    AddFiveMinuteBars(*stock, 400);
    settings.SetPeriod(3);
    chart->Reload();
    Paint();
    canvas.SavePng("kline-long-title");
    const RECT& pane = chart->GetLayout().mainPane;
    const RECT& area = chart->GetLayout().chart;
    const SIZE title = TitleFontExtent(std::string("新华材料(") + GetPeriodName(3) + ")");
    ASSERT_GT(title.cx, 100);
    const RECT tail { pane.left + 100, area.top + 2, pane.left + 1 + title.cx, pane.top + 15 };
    EXPECT_GT(canvas.CountPixels(ChartColors::TitleText, tail), 0) << "the title's end is drawn";

    // The highest high near the right edge: its label stands left of the bar.
    settings.SetPeriod(6);
    chart->Reload();
    Bar high = *stock->GetDayData().GetBar(95);
    high.high = 12;
    stock->GetDayData().SetBar(95, high);
    Paint();
    canvas.SavePng("kline-high-label");
    int middle = 0;
    ASSERT_TRUE(chart->GetBarRect(95, nullptr, nullptr, nullptr, &middle));
    const RECT candles = kline::CandleArea(pane);
    const int top = std::max(Y(12) - 7, static_cast<int>(candles.top));
    const SIZE label = TitleFontExtent("12.00-→");
    // The rows below the label's first ten, where a 10 px box would cut it.
    const RECT lower { middle - label.cx, top + 10, middle, top + label.cy };
    EXPECT_GT(canvas.CountPixels(ChartColors::TitleText, lower), 0) << "the label's lower rows are drawn";
}

TEST_F(KLineDrawTest, TheCrossHairLabelsStayOffTheSidePanel)
{
    Paint();
    chart->OnKeyDown(VK_LEFT, false);
    ASSERT_EQ(99, chart->GetCursor());
    canvas.Fill(ChartColors::Background);
    chart->Paint(canvas.Dc(), kChartRect);
    std::vector<uint32_t> drawn(canvas.Bits(), canvas.Bits() + 1063 * 700);
    // Drawn again, the XOR cross-hair goes: what changes is the cross-hair.
    chart->DrawCrossHair(canvas.Dc(), false);
    const RECT& side = chart->GetLayout().sidePanel;
    const RECT& pane = chart->GetLayout().mainPane;
    int changed = 0;
    int onSidePanel = 0;
    int rightOfPane = 0;
    for (int y = 0; y < 700; ++y)
        for (int x = 0; x < 1063; ++x) {
            if (drawn[static_cast<size_t>(y) * 1063 + x] == canvas.Bits()[static_cast<size_t>(y) * 1063 + x])
                continue;
            ++changed;
            const POINT p { x, y };
            onSidePanel += ::PtInRect(&side, p) ? 1 : 0;
            rightOfPane += x >= pane.right ? 1 : 0;
        }
    EXPECT_GT(changed, 0);
    EXPECT_EQ(onSidePanel, 0);
    EXPECT_EQ(rightOfPane, 0);
}

// The pane buttons blend their images from a memory DC the chart keeps
// between paints. Each paint must show them as each button shows itself
// drawn alone, from a DC of its own, over the same chart.
TEST_F(KLineDrawTest, PaneButtonsShowAsEachButtonDrawnAloneAtEveryPaint)
{
    root.CopyProgramSkin();
    chart->SetSubPaneCount(3, -1); // lays the buttons out with their images
    static const struct
    {
        int offset;
        const char* image;
        const char* caption;
    } kButtons[] = { { 22, "tech_close.png", "" }, { 40, "tech_add.png", "" }, { 106, "tech_tip.png", "指标说明" } };
    OffscreenCanvas stepped(kChartRect.right, kChartRect.bottom);
    OffscreenCanvas alone(kChartRect.right, kChartRect.bottom);
    for (int paint = 0; paint < 3; ++paint) {
        SCOPED_TRACE(paint);
        Paint();
        // The same chart drawn step by step, without its buttons.
        stepped.Fill(ChartColors::Background);
        HDC dc = stepped.Dc();
        chart->DrawSidePanel(dc);
        ASSERT_TRUE(chart->CalcVisibleRange());
        chart->DrawDateAxis(dc);
        chart->ComputeMainIndicator();
        chart->DrawMainPane(dc);
        chart->DrawMainIndicator(dc);
        chart->DrawSubPanes(dc);
        chart->UpdateDataWindow(dc);
        chart->DrawCrossHair(dc, true);
        ::BitBlt(alone.Dc(), 0, 0, kChartRect.right, kChartRect.bottom, dc, 0, 0, SRCCOPY);
        ::SetBkMode(alone.Dc(), TRANSPARENT);
        const std::vector<RECT>& panes = chart->GetLayout().subPanes;
        ASSERT_EQ(3u, panes.size());
        for (const RECT& pane : panes) {
            for (const auto& spec : kButtons) {
                CSkinButtonItem button(owner.Handle());
                button.SetBitmap(
                    CEnBitmap::LoadFromFile((root.SkinDir() + "\\" + spec.image).c_str(), ChartColors::Background));
                ASSERT_NE(nullptr, button.GetBitmap()) << spec.image;
                button.SetCaptions(spec.caption, std::string());
                button.SetTextColors(0xFFFFFF, 0xFFFFFF, 0xFFFFFF);
                button.SetPosition(pane.right - spec.offset, pane.top + 2);
                button.Draw(alone.Dc(), nullptr);
            }
        }
        std::string where;
        ASSERT_FALSE(SamePixels(stepped, alone, kChartRect, &where)) << "the buttons show";
        EXPECT_TRUE(SamePixels(canvas, alone, kChartRect, &where)) << "first difference at " << where;
        if (HasFailure()) {
            canvas.SavePng("pane-buttons-painted");
            alone.SavePng("pane-buttons-alone");
            return;
        }
    }
}
