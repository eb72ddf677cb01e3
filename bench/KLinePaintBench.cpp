// One paint of the K-line chart at 1920 x 1080 (the view's client area less
// its 17 px tab strip): the main pane with MA over the candles and three
// indicator panes (VOL, MACD, KDJ), with 4,000 and 65,535 day bars loaded.
// Side by side in the same run, a raw GDI loop draws the same candles and the
// same indicator series as the chart draws them (lines, sticks, volume bars;
// values taken from the chart's calculators) into the same DIB: the lower
// bound any chart can reach. The indicators are computed
// by the first paint and only redrawn afterwards, as when the user moves the
// mouse over a chart. Each paint is also taken apart into the steps the chart
// draws (side panel, date axis, main pane, main indicator, indicator panes,
// the rest), timed alone on the same bitmap. Last, the paint with the cursor
// moving from bar to bar, as under the mouse.
//   bench_kline_paint [runs]
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"
#include "base/ChartColors.h"
#include "base/DibInfo.h"
#include "base/GdiObjectCache.h"
#include "data/Rc4.h"
#include "data/Stock.h"
#include "formula/FormulaCalculator.h"
#include "formula/FormulaLibrary.h"
#include "formula/ScriptAcceptor.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "views/KLineChart.h"
#include "views/ViewOptions.h"

namespace {

const int kWidth = 1920;
const int kHeight = 1080 - 17;

class StockSource : public IViewDataSource
{
public:
    explicit StockSource(CStock* stock)
        : m_stock(stock)
    {
    }
    CriticalSection* DataLock() override { return &m_lock; }
    CStock* GetCurrentStock() override { return m_stock; }

private:
    CriticalSection m_lock;
    CStock* m_stock;
};

std::unique_ptr<CStock> MakeStock(int count)
{
    auto stock = std::make_unique<CStock>(0x600000);
    stock->GetStockInfo().SetName("基准股份");
    stock->GetStockInfo().SetCode("600000");
    double price = 10.0;
    uint32_t seed = 12345;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        const double step = (static_cast<int>((seed >> 8) % 2001) - 1000) / 50000.0;
        const double open = price;
        // A walk turned back at its ends, so that every part of the series
        // has ordinary prices.
        price *= 1.0 + (price < 3.0 ? std::fabs(step) : (price > 300.0 ? -std::fabs(step) : step));
        const double close = price;
        Bar bar {};
        bar.time = 1000000000 + i * 86400;
        bar.open = static_cast<float>(open);
        bar.close = static_cast<float>(close);
        bar.high = static_cast<float>(std::max(open, close) * 1.01);
        bar.low = static_cast<float>(std::min(open, close) * 0.99);
        bar.volume = static_cast<float>(1000 + (seed >> 16) % 5000);
        bar.amount = bar.volume * bar.close;
        stock->GetDayData().AppendBar(bar);
    }
    return stock;
}

double Now()
{
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1e3 / frequency.QuadPart;
}

// How a statement's values are drawn: as a line, as sticks standing on the
// zero line, or as volume bars standing on the pane's bottom.
enum class RawStyle { kLine, kStick, kVolume };

struct RawSeries
{
    RawStyle style = RawStyle::kLine;
    bool macd = false;
    std::vector<float> values;
};

RawStyle RawStyleOf(const FormulaStatement& statement)
{
    for (const std::wstring& word : statement.attributes) {
        if (word == L"VOLSTICK")
            return RawStyle::kVolume;
        if (word == L"STICK" || word == L"COLORSTICK")
            return RawStyle::kStick;
    }
    return RawStyle::kLine;
}

// What one calculator draws, over the visible bars.
std::vector<RawSeries> VisibleSeries(FormulaCalculator* calculator, int first, int last)
{
    std::vector<RawSeries> lines;
    if (!calculator)
        return lines;
    for (const FormulaStatement& statement : calculator->GetStatements()) {
        if (statement.notDrawn || statement.inlined || statement.values.empty())
            continue;
        SeriesView view;
        if (!calculator->GetHost()->ReadSeries(statement.values[0].get(), view))
            continue;
        RawSeries line;
        line.style = RawStyleOf(statement);
        line.macd = statement.name == L"MACD";
        for (int i = first; i <= last && i < static_cast<int>(view.count); ++i)
            line.values.push_back(view.data[i]);
        lines.push_back(line);
    }
    return lines;
}

struct RawScene
{
    std::vector<Bar> bars;
    std::vector<RawSeries> mainLines;
    std::vector<std::vector<RawSeries>> paneLines;
    kline::Layout layout;
    int barWidth = 10;
    double low = 0;
    double high = 0;
};

// The lower bound: background, frames, candles and the series, nothing else.
void RawPaint(HDC dc, const RawScene& scene)
{
    const RECT all { 0, 0, kWidth, kHeight };
    ::FillRect(dc, &all, GdiObjectCache::Instance()->GetBrush(ChartColors::Background));
    HBRUSH frame = GdiObjectCache::Instance()->GetBrush(ChartColors::Axis);
    ::FrameRect(dc, &scene.layout.mainPane, frame);
    const RECT area = kline::CandleArea(scene.layout.mainPane);
    HPEN rise = GdiObjectCache::Instance()->GetPen(PS_SOLID, 1, ChartColors::Rise);
    HPEN fall = GdiObjectCache::Instance()->GetPen(PS_SOLID, 1, ChartColors::FallingBar);
    HBRUSH fallBrush = GdiObjectCache::Instance()->GetBrush(ChartColors::FallingBar);
    HBRUSH riseBrush = GdiObjectCache::Instance()->GetBrush(ChartColors::Rise);
    const int body = kline::CandleBodyWidth(scene.barWidth);
    for (size_t i = 0; i < scene.bars.size(); ++i) {
        const Bar& b = scene.bars[i];
        const int x = scene.layout.mainPlot.left + static_cast<int>(i) * scene.barWidth;
        const bool falling = b.close < b.open;
        ::SelectObject(dc, falling ? fall : rise);
        const int yo = kline::PriceToY(b.open, scene.low, scene.high, area);
        const int yc = kline::PriceToY(b.close, scene.low, scene.high, area);
        ::MoveToEx(dc, x + body / 2, kline::PriceToY(b.high, scene.low, scene.high, area), nullptr);
        ::LineTo(dc, x + body / 2, kline::PriceToY(b.low, scene.low, scene.high, area));
        RECT r { x, std::min(yo, yc), x + body, std::max(yo, yc) + 1 };
        if (falling)
            ::FillRect(dc, &r, fallBrush);
        else
            ::FrameRect(dc, &r, riseBrush);
    }
    // Each series as the chart must draw it: lines; sticks from the zero line
    // (MACD's red above and green below), one PolyPolyline per colour; volume
    // bars down to the pane's bottom, filled (PatBlt) when the bar rose and
    // framed (Rectangle, no brush) when it fell, fills first. These are the
    // cheapest GDI forms of the same pixels measured under Wine.
    HPEN stickRise = GdiObjectCache::Instance()->GetPen(PS_SOLID, 1, RGB(255, 0, 0));
    HPEN stickFall = GdiObjectCache::Instance()->GetPen(PS_SOLID, 1, RGB(0, 255, 0));
    HPEN volumeFall = GdiObjectCache::Instance()->GetPen(PS_SOLID, 1, ChartColors::Fall);
    const auto drawLines = [&](const std::vector<RawSeries>& lines, const RECT& pane, int barWidth, int left,
                               double low, double high) {
        HPEN pen = GdiObjectCache::Instance()->GetPen(PS_SOLID, 1, RGB(255, 255, 0));
        const int zeroY = kline::PriceToY(std::max(low, std::min(high, 0.0)), low, high, pane);
        for (const RawSeries& line : lines) {
            std::vector<POINT> points;
            std::vector<POINT> sticks[2];
            std::vector<RECT> fills;
            std::vector<RECT> frames;
            for (size_t i = 0; i < line.values.size(); ++i) {
                const float v = line.values[i];
                if (!(v > -1e30f && v < 1e30f))
                    continue;
                const int x = left + static_cast<int>(i) * barWidth;
                const int y = kline::PriceToY(v, low, high, pane);
                if (line.style == RawStyle::kVolume) {
                    const bool rose = i < scene.bars.size() && scene.bars[i].open <= scene.bars[i].close;
                    (rose ? fills : frames).push_back(RECT { x, y, x + body, pane.bottom });
                } else if (line.style == RawStyle::kStick) {
                    std::vector<POINT>& to = sticks[line.macd && v < 0 ? 1 : 0];
                    to.push_back(POINT { x + body / 2, zeroY });
                    to.push_back(POINT { x + body / 2, y });
                } else {
                    points.push_back(POINT { x + barWidth / 2, y });
                }
            }
            ::SelectObject(dc, riseBrush);
            for (const RECT& r : fills)
                ::PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, PATCOPY);
            ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
            ::SelectObject(dc, volumeFall);
            for (const RECT& r : frames)
                ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
            for (int colour = 0; colour < 2; ++colour) {
                if (sticks[colour].empty())
                    continue;
                ::SelectObject(dc, colour == 0 ? stickRise : stickFall);
                const std::vector<DWORD> counts(sticks[colour].size() / 2, 2);
                ::PolyPolyline(dc, sticks[colour].data(), counts.data(), static_cast<DWORD>(counts.size()));
            }
            ::SelectObject(dc, pen);
            if (points.size() > 1)
                ::Polyline(dc, points.data(), static_cast<int>(points.size()));
        }
    };
    drawLines(scene.mainLines, area, scene.barWidth, scene.layout.mainPlot.left, scene.low, scene.high);
    for (size_t p = 0; p < scene.paneLines.size() && p < scene.layout.subPanes.size(); ++p) {
        const RECT& pane = scene.layout.subPanes[p];
        ::FrameRect(dc, &pane, frame);
        float lo = 1e30f, hi = -1e30f;
        for (const RawSeries& line : scene.paneLines[p]) {
            for (float v : line.values) {
                if (v > -1e30f && v < 1e30f) {
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
            }
        }
        drawLines(scene.paneLines[p], pane, scene.barWidth, pane.left, lo, hi);
    }
}

}

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 40;
    std::string plain = SimMarketSeries().FormulaBody();
    ApplyFormulaCipher(reinterpret_cast<uint8_t*>(&plain[0]), plain.size());
    FormulaLibrary::Instance()->LoadFromBody(reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int32_t>(plain.size()));

    WNDCLASSA wc {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandle(nullptr);
    wc.lpszClassName = "KLineBenchOwner";
    ::RegisterClassA(&wc);
    HWND owner = ::CreateWindowExA(0, "KLineBenchOwner", "", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
        ::GetModuleHandle(nullptr), nullptr);

    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    const BITMAPINFO info = TopDownDibInfo(kWidth, kHeight);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    const RECT rect { 0, 0, kWidth, kHeight };

    std::printf("K-line paint, %d x %d, main pane (MA) + VOL, MACD, KDJ; median of %d paints\n", kWidth, kHeight, runs);
    std::printf("%8s %6s %10s %12s %10s %8s %8s %12s %10s %8s\n", "bars", "shown", "chart ms", "no side ms", "raw ms",
        "ratio", "no side", "first ms", "moving ms", "moving");
    for (int count : { 4000, 65535 }) {
        std::unique_ptr<CStock> stock = MakeStock(count);
        StockSource source(stock.get());
        ViewOptions::ReleaseInstance();
        ViewOptions& settings = *ViewOptions::Instance();
        KLineChart chart(settings, source, "");
        chart.SetOwner(owner);
        chart.SetSubPaneCount(3, -1);
        chart.Reload();
        const double firstStart = Now();
        chart.Paint(dc, rect);
        const double firstPaint = Now() - firstStart;

        RawScene scene;
        scene.layout = chart.GetLayout();
        scene.barWidth = chart.GetBarWidth();
        scene.low = chart.GetPriceLow();
        scene.high = chart.GetPriceHigh();
        for (int i = chart.GetFirst(); i <= chart.GetLast(); ++i)
            scene.bars.push_back(*stock->GetDayData().GetBar(i));
        scene.mainLines = VisibleSeries(chart.GetMainCalculator(), chart.GetFirst(), chart.GetLast());
        for (int p = 0; p < 3; ++p)
            scene.paneLines.push_back(VisibleSeries(chart.GetSubPaneCalculator(p), chart.GetFirst(), chart.GetLast()));

        const BenchTiming raw = MeasureMs([&] {
            RawPaint(dc, scene);
            ::GdiFlush();
            return 0.0;
        }, runs);
        const BenchTiming full = MeasureMs([&] {
            chart.Paint(dc, rect);
            ::GdiFlush();
            return chart.GetPriceHigh();
        }, runs);
        // The paint step by step, each step alone (the chart lock and the
        // layout as Paint leaves them).
        struct Step
        {
            const char* name;
            std::function<void()> draw;
        };
        const Step steps[] = {
            { "side panel", [&] { chart.DrawSidePanel(dc); } },
            { "date axis", [&] { chart.DrawDateAxis(dc); } },
            { "main pane", [&] { chart.ComputeMainIndicator(); chart.DrawMainPane(dc); } },
            { "main indicator", [&] { chart.DrawMainIndicator(dc); } },
            { "indicator panes", [&] { chart.DrawSubPanes(dc); } },
            { "data window, cross-hair, buttons",
                [&] {
                    chart.UpdateDataWindow(dc);
                    chart.DrawCrossHair(dc, true);
                    chart.DrawPaneButtons(dc);
                } },
        };
        std::string breakdown;
        for (const Step& step : steps) {
            const BenchTiming t = MeasureMs([&] {
                step.draw();
                ::GdiFlush();
                return 0.0;
            }, runs);
            char text[96];
            std::snprintf(text, sizeof text, "%s%s %.2f", breakdown.empty() ? "" : ", ", step.name, t.median);
            breakdown += text;
        }
        // The mouse moving over the chart: the cursor a bar further at each
        // paint, so that the legends, the data window and the cross-hair change.
        int step = 0;
        chart.CursorLeft(); // the cross-hair on
        const BenchTiming moving = MeasureMs([&] {
            chart.SetCursorBar(chart.GetLast() - 1 - (step++ % 2));
            chart.Paint(dc, rect);
            ::GdiFlush();
            return chart.GetPriceHigh();
        }, runs);
        chart.SetCursorBar(-1);
        // The same paint without the side panel's page, which the raw loop does not draw.
        chart.SetSidePanelPainter([](const SidePanelPaint&) { });
        const BenchTiming bare = MeasureMs([&] {
            chart.Paint(dc, rect);
            ::GdiFlush();
            return chart.GetPriceHigh();
        }, runs);
        std::printf("%8d %6d %10.2f %12.2f %10.2f %8.2f %8.2f %12.2f %10.2f %8.2f\n", count,
            chart.GetLast() - chart.GetFirst() + 1, full.median, bare.median, raw.median,
            raw.median > 0 ? full.median / raw.median : 0.0, raw.median > 0 ? bare.median / raw.median : 0.0,
            firstPaint, moving.median, raw.median > 0 ? moving.median / raw.median : 0.0);
        std::printf("%8s steps (ms): %s\n", "", breakdown.c_str());
    }
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::DestroyWindow(owner);
    return 0;
}
