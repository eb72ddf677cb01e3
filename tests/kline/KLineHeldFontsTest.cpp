// A paint holds the chart's two text fonts across its steps, so that the
// steps' own font selections cost nothing. The pixels must be those of the
// steps drawn one after the other with nothing held: a text that relied on
// whatever font the DC holds would come out in the held font instead.
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

struct ChartState
{
    const char* name;
    std::function<void(KLineChart&)> apply;
};

const ChartState kStates[] = {
    { "as opened", [](KLineChart&) {} },
    { "cursor on a bar (data window, cross-hair)", [](KLineChart& c) { c.CursorLeft(); } },
    { "cursor at the first bar shown", [](KLineChart& c) { c.CursorToFirstVisible(); } },
    { "five sub-panes", [](KLineChart& c) { c.SetSubPaneCount(5, -1); } },
    { "one sub-pane", [](KLineChart& c) { c.SetSubPaneCount(1, -1); } },
    { "five-minute bars", [](KLineChart& c) { c.SetPeriod(kPeriodFiveMinutes); } },
    { "weeks", [](KLineChart& c) { c.SetPeriod(kPeriodWeek); } },
    { "adjusted for ex-rights", [](KLineChart& c) { c.SetAdjustMode(CKData::kKeepLatest); } },
    { "zoomed in", [](KLineChart& c) { c.OnKeyDown(VK_UP, false); c.OnKeyDown(VK_UP, false); } },
};

class KLineHeldFontsTest : public ::testing::Test
{
protected:
    void SetUp() override { LoadSimulatorFormulas(); }

    TempDataRoot root;
    ViewOptions& settings = FreshViewOptions();
    FakeKLineSource source;
    HiddenOwner owner;
};

} // namespace

TEST_F(KLineHeldFontsTest, APaintEqualsItsStepsDrawnWithNothingHeld)
{
    std::vector<ExRightsRecord> records;
    std::unique_ptr<CStock> stock = MakeSimulatedStock(records);
    source.exRights[stock->GetCodeKey()] = records;
    source.current = stock.get();
    for (const ChartState& state : kStates) {
        SCOPED_TRACE(state.name);
        KLineChart chart(settings, source, "");
        chart.SetOwner(owner.Handle());
        chart.Reload();
        OffscreenCanvas scratch(kCanvasWidth, kCanvasHeight);
        chart.Paint(scratch.Dc(), kChartRect);
        state.apply(chart);
        // A change may take a paint to settle (new panes compute at their first).
        chart.Paint(scratch.Dc(), kChartRect);

        OffscreenCanvas painted(kCanvasWidth, kCanvasHeight);
        painted.Fill(ChartColors::Background);
        chart.Paint(painted.Dc(), kChartRect);
        ASSERT_TRUE(chart.GetLast() >= chart.GetFirst()) << "the state shows bars";

        // The same steps in the same order, on a DC as the view's fresh
        // memory DC is, each selecting its own fonts.
        OffscreenCanvas stepped(kCanvasWidth, kCanvasHeight);
        stepped.Fill(ChartColors::Background);
        HDC dc = stepped.Dc();
        chart.DrawSidePanel(dc);
        ASSERT_TRUE(chart.CalcVisibleRange());
        chart.DrawDateAxis(dc);
        chart.ComputeMainIndicator();
        chart.DrawMainPane(dc);
        chart.DrawMainIndicator(dc);
        chart.DrawSubPanes(dc);
        chart.UpdateDataWindow(dc);
        chart.DrawCrossHair(dc, true);
        chart.DrawPaneButtons(dc);

        std::string where;
        EXPECT_TRUE(SamePixels(painted, stepped, kChartRect, &where)) << "first difference at " << where;
        if (!where.empty()) {
            painted.SavePng(std::string("held-fonts-painted"));
            stepped.SavePng(std::string("held-fonts-stepped"));
        }
    }
}
