#include "tests/minute/MinuteFixtures.h"

#include <algorithm>

#include "base/ExchangeTime.h"
#include "base/MemoryStream.h"
#include "tests/support/SeriesFixtures.h"

int32_t Day(int hour, int minute, int second)
{
    return MakeExchangeTime(2026, 12, 10, hour, minute, second);
}

WireTickHeader HeaderOf(const std::vector<WireTick>& ticks, double previousClose)
{
    WireTickHeader h = MakeWireTickHeader(ticks.empty() ? Day(9, 25) : ticks.back().time, previousClose);
    if (ticks.empty())
        return h;
    h.open = ticks.front().price;
    h.high = h.low = h.open;
    for (const WireTick& t : ticks) {
        if (t.price == 0)
            continue;
        h.high = std::max(h.high, t.price);
        h.low = std::min(h.low, t.price);
    }
    h.last = ticks.back().price;
    h.totalVolume = ticks.back().volume;
    h.totalAmount = ticks.back().amount;
    return h;
}

std::unique_ptr<CStock> BuildStock(const StockRecipe& recipe)
{
    std::unique_ptr<CStock> stock(new CStock(recipe.key));
    CStockInfo& info = stock->GetStockInfo();
    info.SetCodeKey(recipe.key);
    info.SetName(recipe.name);
    info.SetIndexFlag(recipe.index ? 1 : 0);
    CMemoryStream stream;
    const WireTickHeader header = recipe.useHeader ? recipe.header : HeaderOf(recipe.ticks, recipe.previousClose);
    FillStream(stream, TickReply(header, recipe.ticks));
    stock->GetFenbiData().Merge(recipe.key, &stream);
    if (!recipe.dayBars.empty()) {
        CMemoryStream bars;
        FillStream(bars, BarReply(recipe.dayBars));
        stock->GetDayData().SetKey(recipe.key);
        stock->GetDayData().Merge(recipe.key, &bars);
    }
    stock->UpdateQuoteFromTicks(stock->GetFenbiData());
    stock->GetMinute().BuildFromTicks(stock->GetFenbiData());
    return stock;
}

std::vector<WireTick> WalkTicks(int32_t end, double start, const std::vector<double>& steps, uint32_t volumeStep)
{
    std::vector<WireTick> ticks;
    double price = start;
    uint32_t volume = 0;
    double amount = 0;
    size_t i = 0;
    for (int32_t t = Day(9, 30, 30); t <= end; t += 60) {
        if (t > Day(11, 30, 30) && t < Day(13, 0))
            continue;
        price += steps.empty() ? 0 : steps[i++ % steps.size()];
        volume += volumeStep;
        amount += price * volumeStep * 100 / 1000.0;
        ticks.push_back(MakeWireTick(t, price, volume, static_cast<uint32_t>(amount), 0, 0, price));
    }
    return ticks;
}

void FakeChartSource::Add(const StockRecipe& recipe)
{
    m_stocks[recipe.key] = BuildStock(recipe);
    if (!m_current)
        m_current = recipe.key;
}

CStock* FakeChartSource::Cached(uint32_t key)
{
    auto it = m_stocks.find(key);
    return it == m_stocks.end() ? nullptr : it->second.get();
}

void FakeChartSource::MergeTicks(uint32_t key, const std::vector<WireTick>& ticks, double previousClose)
{
    SingleLock lock(&m_lock);
    CStock* stock = Cached(key);
    if (!stock)
        return;
    CMemoryStream stream;
    FillStream(stream, TickReply(HeaderOf(ticks, previousClose), ticks));
    stock->GetFenbiData().Merge(key, &stream);
}

std::unique_ptr<CStock> FakeChartSource::CopyStock(uint32_t key)
{
    SingleLock lock(&m_lock);
    CStock* stock = key == m_current ? Cached(key) : nullptr;
    if (!stock)
        return nullptr;
    stock->SetActive(1);
    std::unique_ptr<CStock> copy(stock->Clone());
    copy->GetStockInfo() = stock->GetStockInfo();
    copy->UpdateQuoteFromTicks(copy->GetFenbiData());
    return copy;
}

void FakeChartSource::RefreshSnapshot(CStock* snapshot, int kind)
{
    SingleLock lock(&m_lock);
    CStock* stock = Cached(m_current);
    if (!stock || !snapshot || snapshot->GetCodeKey() != stock->GetCodeKey())
        return;
    stock->CopyUpdatedSeries(snapshot, kind);
}

bool FakeChartSource::Step(int step)
{
    SingleLock lock(&m_lock);
    if (m_stocks.size() < 2)
        return false;
    auto it = m_stocks.find(m_current);
    if (step > 0) {
        if (it == m_stocks.end() || ++it == m_stocks.end())
            it = m_stocks.begin();
    } else {
        if (it == m_stocks.end() || it == m_stocks.begin())
            it = m_stocks.end();
        --it;
    }
    m_current = it->first;
    return true;
}

bool FakeChartSource::SelectPrevStock()
{
    return Step(-1);
}

bool FakeChartSource::SelectNextStock()
{
    return Step(1);
}

void FakeChartSource::RequestStockData(uint32_t flags, int)
{
    ++requests;
    lastFlags = flags;
}

ChartHostWindow::ChartHostWindow(int width, int height)
{
    Create(nullptr, RECT { 0, 0, width, height }, "minute chart host");
}

ChartHostWindow::~ChartHostWindow()
{
    if (m_hWnd)
        DestroyWindow();
}

ChartRig::ChartRig(int32_t at)
    : now(at)
{
    chart.SetSource(&source);
    chart.SetClock([this]() { return now; });
    chart.SetOwnerWindow(host.m_hWnd);
}

void ChartRig::Show(const StockRecipe& recipe)
{
    source.Add(recipe);
    source.SetCurrent(recipe.key);
    chart.Reload();
}
