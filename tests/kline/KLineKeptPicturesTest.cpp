// The chart keeps its value labels, its data window and its date axis as
// pictures between paints. Every change must reach the screen: a chart painted, changed and
// painted again shows exactly what a chart in the changed state shows when it
// draws those texts each time.
#include "base/ChartColors.h"
#include "base/GdiObjectCache.h"
#include "tests/kline/KLineFixtures.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/TempDataRoot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

namespace {

const int kCanvasWidth = 1100;
const int kCanvasHeight = 720;
const RECT kChartRect { 0, 0, 1063, 700 };
const RECT kWiderRect { 0, 0, 1100, 720 };

// What a case changes outside the chart: the data, the colours, the
// rectangle, what the canvas holds before the chart paints.
struct Scene
{
    CStock* stock = nullptr;
    CStock* other = nullptr;
    FakeKLineSource* source = nullptr;
    RECT rect = kChartRect;
    COLORREF underneath = ChartColors::Background;
};

struct Change
{
    const char* name;
    std::function<void(Scene&)> world; // before the chart hears of it
    std::function<void(KLineChart&)> chart; // what the user does to the chart
    bool shows; // whether the picture visibly changes
};

struct SavedColours
{
    COLORREF axisLabel = ChartColors::AxisLabel;
    COLORREF dataWindowLabel = ChartColors::DataWindowLabel;
    COLORREF axis = ChartColors::Axis;
    COLORREF background = ChartColors::Background;
    COLORREF date = ChartColors::DateAxisText;
    ~SavedColours()
    {
        ChartColors::DateAxisText = date;
        ChartColors::AxisLabel = axisLabel;
        ChartColors::DataWindowLabel = dataWindowLabel;
        ChartColors::Axis = axis;
        ChartColors::Background = background;
    }
};

void Nothing(Scene&) { }
void Still(KLineChart&) { }

// Raises the last bar far above the others: every price label moves.
void NewHigh(Scene& s)
{
    CKData& days = s.stock->GetDayData();
    Bar bar = *days.GetBar(days.GetCount() - 1);
    bar.high *= 3;
    bar.close = bar.high;
    bar.volume *= 20;
    days.SetBar(days.GetCount() - 1, bar);
}

const Change kChanges[] = {
    { "nothing", Nothing, Still, false },
    { "the cross-hair within its bar", Nothing, [](KLineChart& c) {
         const RECT& pane = c.GetLayout().mainPane;
         int middle = 0;
         c.GetBarRect(c.GetCursor(), nullptr, nullptr, nullptr, &middle);
         c.OnMouseMove(middle, (pane.top + pane.bottom) / 2);
     },
        true },
    { "the cursor one bar left", Nothing, [](KLineChart& c) { c.CursorLeft(); }, true },
    { "the cursor to the first bar", Nothing, [](KLineChart& c) { c.CursorToFirstVisible(); }, true },
    { "a new high", NewHigh, Still, true },
    { "a bar's time", [](Scene& s) {
         CKData& days = s.stock->GetDayData();
         Bar bar = *days.GetBar(days.GetCount() - 20);
         bar.time -= 86400 * 40; // into the month before: a label moves
         days.SetBar(days.GetCount() - 20, bar);
     },
        Still, true },
    { "weeks", Nothing, [](KLineChart& c) { c.SetPeriod(kPeriodWeek); }, true },
    { "another stock", [](Scene& s) { s.source->current = s.other; }, Still, true },
    { "a larger chart", [](Scene& s) { s.rect = kWiderRect; }, Still, true },
    { "two sub-panes", Nothing, [](KLineChart& c) { c.SetSubPaneCount(2, -1); }, true },
    { "zoomed in", Nothing, [](KLineChart& c) { c.OnKeyDown(VK_UP, false); }, true },
    { "what lies under the labels", [](Scene& s) { s.underneath = RGB(0, 0, 96); }, Still, true },
    { "label colour", [](Scene&) { ChartColors::AxisLabel = RGB(255, 0, 255); }, Still, true },
    { "data window label colour", [](Scene&) { ChartColors::DataWindowLabel = RGB(0, 255, 128); }, Still, true },
    { "date colour", [](Scene&) { ChartColors::DateAxisText = RGB(0, 128, 255); }, Still, true },
    { "axis colour", [](Scene&) { ChartColors::Axis = RGB(200, 100, 0); }, Still, true },
    { "background colour", [](Scene&) { ChartColors::Background = RGB(16, 16, 48); }, Still, true },
};

class KLineKeptPicturesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadSimulatorFormulas();
        other = MakeDayStock(0x600036, 90, "另一股份", "600036");
    }

    std::unique_ptr<KLineChart> MakeChart(bool keep)
    {
        auto chart = std::make_unique<KLineChart>(settings, source, "");
        chart->SetOwner(owner.Handle());
        chart->SetKeepPictures(keep);
        chart->Reload();
        return chart;
    }

    // Each paint finds the canvas as the view's fresh memory DC is.
    static void Paint(KLineChart& chart, const Scene& scene, OffscreenCanvas& canvas)
    {
        canvas.Fill(scene.underneath);
        const int saved = ::SaveDC(canvas.Dc());
        chart.Paint(canvas.Dc(), scene.rect);
        ::RestoreDC(canvas.Dc(), saved);
    }

    // The cursor on a bar, so that the data window and the cross-hair show.
    static void PutCursor(KLineChart& chart, const Scene& scene)
    {
        OffscreenCanvas scratch(kCanvasWidth, kCanvasHeight);
        Paint(chart, scene, scratch);
        chart.CursorLeft();
        chart.CursorLeft();
    }

    TempDataRoot root;
    ViewOptions& settings = FreshViewOptions();
    FakeKLineSource source;
    HiddenOwner owner;
    std::unique_ptr<CStock> other;
};

} // namespace

TEST_F(KLineKeptPicturesTest, EveryChangeOfTheLabelsAndTheDataWindowIsPainted)
{
    for (const Change& change : kChanges) {
        SCOPED_TRACE(change.name);
        SavedColours colours;
        settings.SetSubPaneCount(3);
        std::unique_ptr<CStock> own = MakeDayStock(0x600000, 160);
        Scene scene;
        scene.stock = own.get();
        scene.other = other.get();
        scene.source = &source;
        source.current = own.get();

        std::unique_ptr<KLineChart> kept = MakeChart(true);
        kept->SetSubPaneCount(3, -1);
        PutCursor(*kept, scene);
        ASSERT_TRUE(kept->GetCursor() != -1);
        OffscreenCanvas before(kCanvasWidth, kCanvasHeight);
        OffscreenCanvas after(kCanvasWidth, kCanvasHeight);
        Paint(*kept, scene, before);
        ASSERT_TRUE(kept->IsDataWindowShown());
        Paint(*kept, scene, after);
        std::string where;
        ASSERT_TRUE(SamePixels(before, after, scene.rect, &where)) << "painted twice, first difference at " << where;

        change.world(scene);
        if (source.current != own.get()) {
            // Another stock starts without a cursor.
            kept->Reload();
            PutCursor(*kept, scene);
        }
        // New data reach the chart through the data center.
        kept->OnDataArrived(kept->GetSnapshot()->GetCodeKey(), 0);
        change.chart(*kept);
        Paint(*kept, scene, after);

        std::unique_ptr<KLineChart> fresh = MakeChart(false);
        fresh->SetSubPaneCount(kept->GetSubPaneCalculatorCount(), -1);
        PutCursor(*fresh, scene);
        change.chart(*fresh);
        OffscreenCanvas drawn(kCanvasWidth, kCanvasHeight);
        Paint(*fresh, scene, drawn);

        EXPECT_TRUE(SamePixels(drawn, after, scene.rect, &where)) << "first difference at " << where;
        if (!SamePixels(drawn, after, scene.rect, &where)) {
            drawn.SavePng(std::string("kept-pictures-drawn"));
            after.SavePng(std::string("kept-pictures-kept"));
        }
        if (change.shows) {
            EXPECT_FALSE(SamePixels(before, after, scene.rect, &where)) << "the change shows";
        }
        fresh.reset();
        kept.reset();
        source.current = nullptr;
    }
}

// The pictures are what the chart shows, not only what a test compares: the
// labels and the data window are there on a second paint into a new canvas.
TEST_F(KLineKeptPicturesTest, ASecondPaintShowsTheTextsAgain)
{
    std::unique_ptr<CStock> own = MakeDayStock(0x600000, 160);
    source.current = own.get();
    Scene scene;
    std::unique_ptr<KLineChart> chart = MakeChart(true);
    PutCursor(*chart, scene);
    OffscreenCanvas first(kCanvasWidth, kCanvasHeight);
    Paint(*chart, scene, first);
    OffscreenCanvas second(kCanvasWidth, kCanvasHeight);
    Paint(*chart, scene, second);
    const RECT column { 0, 0, chart->GetLayout().mainPane.left, kChartRect.bottom };
    EXPECT_GT(second.CountPixelsNot(ChartColors::Background), 0);
    std::string where;
    EXPECT_TRUE(SamePixels(first, second, column, &where)) << "first difference at " << where;
    EXPECT_GT(first.CountPixels(ChartColors::AxisLabel, column), 0) << "labels are drawn";
    EXPECT_GT(second.CountPixels(ChartColors::AxisLabel, column), 0) << "labels are shown from the picture";
    EXPECT_GT(second.CountPixels(ChartColors::DataWindowLabel, chart->GetLayout().dataWindow), 0);
}

// The data window draws its eleven labels and then its eleven values, one
// font each, and keeps its fill, frame and labels as a picture under the
// values while the cursor moves. The pixels must be those of the rows drawn
// one by one, label then value, at every bar: a label glyph reaching into the
// value below it would come out under the value instead of over it.
TEST_F(KLineKeptPicturesTest, TheDataWindowEqualsItsRowsDrawnOneByOne)
{
    static const char* const kLabels[] = { "时间", "开盘", "最高", "最低", "收盘", "涨跌", "涨幅", "振幅", "总手",
        "金额(万)", "换手" };
    std::unique_ptr<CStock> own = MakeDayStock(0x600000, 160);
    std::unique_ptr<CStock> dear = MakeDayStock(0x600519, 160, "贵价股份", "600519");
    for (int i = 0; i < dear->GetDayData().GetCount(); ++i) {
        Bar bar = *dear->GetDayData().GetBar(i);
        bar.open *= 173.0f;
        bar.high *= 173.0f;
        bar.low *= 173.0f;
        bar.close *= 173.0f;
        bar.volume *= 9000.0f;
        bar.amount *= 1.5e6f;
        dear->GetDayData().SetBar(i, bar);
    }
    GdiObjectCache* cache = GdiObjectCache::Instance();
    ASSERT_NE(cache, nullptr);
    for (bool keep : { false, true }) {
        for (CStock* stock : { own.get(), dear.get() }) {
            SCOPED_TRACE(stock->GetStockInfo().GetCode());
            SCOPED_TRACE(keep ? "kept" : "drawn");
            source.current = stock;
            Scene scene;
            std::unique_ptr<KLineChart> chart = MakeChart(keep);
            PutCursor(*chart, scene);
            chart->CursorToFirstVisible();
            const int first = chart->GetFirst();
            const int last = chart->GetLast();
            ASSERT_GT(last, first);
            OffscreenCanvas painted(kCanvasWidth, kCanvasHeight);
            OffscreenCanvas rows(kCanvasWidth, kCanvasHeight);
            for (int cursor = first; cursor <= last; ++cursor) {
                chart->SetCursorBar(cursor);
                Paint(*chart, scene, painted);
                ASSERT_TRUE(chart->IsDataWindowShown());
                kline::DataWindowValues values;
                ASSERT_TRUE(kline::ComputeDataWindowValues(chart->GetSeries()->GetBars(), cursor, {},
                    settings.GetPeriod(), stock->GetStockInfo(), values));
                const RECT& rect = chart->GetLayout().dataWindow;
                HDC dc = rows.Dc();
                rows.Fill(ChartColors::Background);
                ::FrameRect(dc, &rect, cache->GetBrush(ChartColors::Axis));
                ::SetBkMode(dc, TRANSPARENT);
                for (int row = 0; row < 11; ++row) {
                    const int labelY = rect.top + 4 + row * 32;
                    HGDIOBJ old = ::SelectObject(dc, cache->GetFont(14, "宋体", FW_NORMAL));
                    ::SetTextColor(dc, ChartColors::DataWindowLabel);
                    ::TextOutA(dc, rect.left + 3, labelY, kLabels[row], static_cast<int>(std::strlen(kLabels[row])));
                    ::SelectObject(dc, cache->GetFont(12, "System", FW_NORMAL));
                    ::SetTextColor(dc, values.cells[row].colour);
                    const std::string& text = values.cells[row].text;
                    RECT box { rect.left + 1, labelY + 14, rect.right - 2, labelY + 14 + 14 };
                    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box,
                        DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
                    ::SelectObject(dc, old);
                }
                std::string where;
                ASSERT_TRUE(SamePixels(painted, rows, rect, &where)) << "bar " << cursor << ", first difference at " << where;
            }
        }
    }
}
