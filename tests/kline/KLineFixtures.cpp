#include "tests/kline/KLineFixtures.h"

#include "data/Rc4.h"
#include "formula/FormulaLibrary.h"
#include "tests/support/SeriesFixtures.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"

#include <cmath>

namespace {

Bar WalkBar(int32_t time, int i)
{
    const float base = 10.0f + 1.5f * static_cast<float>(std::sin(i / 23.0)) + 0.4f * static_cast<float>(std::sin(i / 3.1));
    const float open = base;
    const float close = base + ((i % 3) - 1) * 0.12f;
    const float high = std::max(open, close) + 0.08f + (i % 5) * 0.02f;
    const float low = std::min(open, close) - 0.07f - (i % 4) * 0.02f;
    return MakeBar(time, open, high, low, close, 1000.0f + (i % 17) * 130.0f, 10000.0f + i * 7.0f);
}

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND)
        return 1;
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

}

std::unique_ptr<CStock> MakeDayStock(uint32_t key, int count, const char* name, const char* code)
{
    auto stock = std::make_unique<CStock>(key);
    stock->GetStockInfo().SetName(name);
    stock->GetStockInfo().SetCode(code);
    stock->GetStockInfo().SetIndexFlag(0);
    const int32_t start = T(2015, 1, 5);
    for (int i = 0; i < count; ++i)
        stock->GetDayData().AppendBar(WalkBar(start + i * 86400, i));
    return stock;
}

void AddFiveMinuteBars(CStock& stock, int count)
{
    const int32_t day = T(2024, 3, 4);
    for (int i = 0; i < count; ++i) {
        const int slot = i % 48;
        const int minutes = slot < 24 ? 9 * 60 + 35 + slot * 5 : 13 * 60 + 5 + (slot - 24) * 5;
        const int32_t time = day + (i / 48) * 86400 + minutes * 60;
        stock.GetFiveMinuteData().AppendBar(WalkBar(time, i));
    }
}

void PrependDayBars(CStock& stock, int count)
{
    std::vector<Bar> bars = stock.GetDayData().GetBars();
    const int32_t first = bars.empty() ? T(2015, 1, 5) : bars.front().time;
    std::vector<Bar> merged;
    for (int i = count; i > 0; --i)
        merged.push_back(WalkBar(first - i * 86400, 1000 + i));
    merged.insert(merged.end(), bars.begin(), bars.end());
    stock.GetDayData().Resize(0);
    for (const Bar& bar : merged)
        stock.GetDayData().AppendBar(bar);
}

void LoadSimulatorFormulas()
{
    static bool loaded = false;
    if (loaded)
        return;
    std::string plain = SimMarketSeries().FormulaBody();
    ApplyFormulaCipher(reinterpret_cast<uint8_t*>(&plain[0]), plain.size());
    FormulaLibrary::Instance()->LoadFromBody(reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int32_t>(plain.size()));
    loaded = true;
}

HiddenOwner::HiddenOwner(int width, int height)
{
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSA wc {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = ::GetModuleHandle(nullptr);
        wc.lpszClassName = "KLineTestOwner";
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        atom = ::RegisterClassA(&wc);
    }
    m_hwnd = ::CreateWindowExA(WS_EX_TOOLWINDOW, "KLineTestOwner", "", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
        ::GetModuleHandle(nullptr), nullptr);
}

HiddenOwner::~HiddenOwner()
{
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);
}

ViewOptions& FreshViewOptions()
{
    ViewOptions::ReleaseInstance();
    return *ViewOptions::Instance();
}

const int32_t kSimulatedExRightsTime = T(2026, 12, 10);

std::unique_ptr<CStock> MakeSimulatedStock(std::vector<ExRightsRecord>& records)
{
    SimMarketTables tables;
    uint32_t key = 0;
    for (const SimExRights& e : tables.ExRights()) {
        if ((e.key & 0xFF000000u) == 0 && e.cashDividend > 0) {
            key = e.key;
            break;
        }
    }
    for (const SimExRights& e : tables.ExRights()) {
        if (e.key == key)
            records.push_back(ExRightsRecord { e.time, e.bonusShares, e.rightsShares, e.rightsPrice, e.cashDividend });
    }
    // One more inside the bars a chart shows in days and in five minutes, so
    // that an adjustment moves prices there.
    records.push_back(ExRightsRecord { kSimulatedExRightsTime, 0.0f, 0.0f, 0.0f, 0.5f });
    auto stock = std::make_unique<CStock>(key);
    stock->GetStockInfo().SetName("模拟股份");
    stock->GetStockInfo().SetCode("600000");
    stock->GetStockInfo().SetIndexFlag(0);
    SimMarketSeries series;
    series.SetClock(T(2026, 12, 10, 15, 30));
    for (const WireBar& bar : series.DayBars(key, T(2023, 1, 1), T(2026, 12, 10)))
        stock->GetDayData().AppendBar(BarFromWire(bar));
    for (const WireBar& bar : series.FiveMinuteBars(key, T(2026, 11, 20), T(2026, 12, 10, 15, 0)))
        stock->GetFiveMinuteData().AppendBar(BarFromWire(bar));
    return stock;
}
