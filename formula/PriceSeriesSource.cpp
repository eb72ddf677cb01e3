#include "formula/PriceSeriesSource.h"

#include "data/DataCenter.h"
#include "data/KData.h"
#include "data/Stock.h"

PriceSeriesSource::PriceSeriesSource(PriceSeriesMarket* market)
    : m_market(market ? market : &m_dataCenter)
    , m_stock(nullptr)
    , m_bars(nullptr)
    , m_reserved(0)
{
}

PriceSeriesSource::~PriceSeriesSource()
{
}

int PriceSeriesSource::Bind(CStock* stock, int period)
{
    if (!stock)
        return 0;
    int changed = stock != m_stock ? 1 : 0;
    m_stock = stock;
    CKData* bars = stock->GetKData(period);
    if (bars != m_bars) {
        m_bars = bars;
        changed = 1;
    }
    return changed;
}

template <class Field> float* PriceSeriesSource::Fetch(Array& array, uint32_t* count, Field field)
{
    array.count = 0;
    if (count)
        *count = 0;
    if (!m_bars) {
        array.data.reset();
        array.capacity = 0;
        return nullptr;
    }
    const std::vector<Bar>& bars = m_bars->GetBars();
    const uint32_t n = static_cast<uint32_t>(bars.size());
    // At least one element, so that an empty series still has an address.
    // The array of the last fetch is refilled when it holds the bars: a
    // recalculation then takes no fresh memory.
    const uint32_t needed = n ? n : 1;
    if (array.capacity < needed) {
        array.data.reset();
        array.capacity = 0;
        array.data.reset(new float[needed]);
        array.capacity = needed;
    }
    for (uint32_t i = 0; i < n; ++i)
        array.data[i] = field(bars[i]);
    array.count = n;
    if (count)
        *count = n;
    return array.data.get();
}

float* PriceSeriesSource::GetClose(int, int, uint32_t* count)
{
    return Fetch(m_close, count, [](const Bar& bar) { return bar.close; });
}

float* PriceSeriesSource::GetOpen(int, int, uint32_t* count)
{
    return Fetch(m_open, count, [](const Bar& bar) { return bar.open; });
}

float* PriceSeriesSource::GetHigh(int, int, uint32_t* count)
{
    return Fetch(m_high, count, [](const Bar& bar) { return bar.high; });
}

float* PriceSeriesSource::GetLow(int, int, uint32_t* count)
{
    return Fetch(m_low, count, [](const Bar& bar) { return bar.low; });
}

float* PriceSeriesSource::GetVolume(int, int, uint32_t* count)
{
    return Fetch(m_volume, count, [](const Bar& bar) { return bar.volume; });
}

float* PriceSeriesSource::GetAmount(int, int, uint32_t* count)
{
    return Fetch(m_amount, count, [](const Bar& bar) { return static_cast<float>(bar.amount * 1000.0); });
}

double PriceSeriesSource::GetCapital() const
{
    double shares = 0;
    if (!m_stock || !m_stock->GetStockInfo().GetCirculatingShares(shares))
        return kDefaultCapital;
    return shares / 100.0;
}

int PriceSeriesSource::FormulaPeriodOf(int chartPeriod)
{
    switch (chartPeriod) {
    case kPeriodFiveMinutes:
        return 1;
    case kPeriodFifteenMinutes:
        return 2;
    case kPeriodThirtyMinutes:
        return 3;
    case kPeriodSixtyMinutes:
        return 4;
    case kPeriodWeek:
        return 6;
    case kPeriodMonth:
        return 7;
    case kPeriodQuarter:
        return 10;
    case kPeriodYear:
        return 11;
    default:
        // The day and, as formulas have always seen it, ten minutes.
        return 5;
    }
}

int PriceSeriesSource::GetFormulaPeriod() const
{
    return FormulaPeriodOf(m_stock ? m_stock->GetPeriod() : kPeriodDay);
}

bool PriceSeriesSource::GetAdvanceDecline(int* rising, int* falling, int* unchanged)
{
    int up = 0, down = 0, same = 0;
    const bool ok = m_stock && m_market->CountUpDown(m_stock->GetCodeKey(), &up, &down, &same);
    if (!ok)
        up = down = same = 0;
    if (rising)
        *rising = up;
    if (falling)
        *falling = down;
    if (unchanged)
        *unchanged = same;
    return ok;
}

bool PriceSeriesSource::IsRising(int index) const
{
    if (index < 0 || static_cast<uint32_t>(index) >= m_open.count
        || static_cast<uint32_t>(index) >= m_close.count)
        return false;
    return m_open.data[index] <= m_close.data[index];
}

bool DataCenterMarket::CountUpDown(uint32_t key, int* rising, int* falling, int* unchanged)
{
    CDataCenter* center = CDataCenter::PeekInstance();
    if (!center)
        return false;
    return center->GetQuoteData().CountUpDown(key, rising, falling, unchanged) != 0;
}
