#include "data/Stock.h"

#include "base/DataPaths.h"
#include "base/ExchangeTime.h"
#include "base/GlobalDefaults.h"
#include "data/CodeTable.h"
#include "data/MarketTime.h"
#include "data/PwrData.h"
#include "net/DataProvider.h"

int32_t DayStartOfTime(int32_t time)
{
    const std::tm f = SplitExchangeTime(time);
    return MakeExchangeTime(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday);
}

CStock::CStock(uint32_t key)
    : m_key(key)
    , m_requestPending(0)
    , m_moreHistory(0)
    , m_requestFlags(0)
    , m_period(kPeriodDay)
    , m_codeTable(nullptr)
    , m_spare(0)
{
    struct KindOf
    {
        CBase* series;
        int kind;
    };
    const KindOf kinds[] = {
        { &m_f10, kSeriesF10 },
        { &m_ticks, kSeriesTicks },
        { &m_month, kSeriesMonth },
        { &m_quarter, kSeriesQuarter },
        { &m_year, kSeriesYear },
        { &m_week, kSeriesWeek },
        { &m_day, kSeriesDay },
        { &m_min60, kSeriesSixtyMinutes },
        { &m_min30, kSeriesThirtyMinutes },
        { &m_min15, kSeriesFifteenMinutes },
        { &m_min10, kSeriesTenMinutes },
        { &m_min5, kSeriesFiveMinutes },
        { &m_diagnose, kSeriesNone },
    };
    for (const KindOf& k : kinds) {
        k.series->SetKind(k.kind);
        k.series->SetKey(key);
    }
    m_info.SetCodeKey(key);
}

CStock::~CStock()
{
    // A reply still due would otherwise call into a freed series.
    m_day.BeginDelete();
    m_ticks.BeginDelete();
    m_f10.BeginDelete();
    m_min5.BeginDelete();
}

int CStock::Load()
{
    DataPaths* paths = DataPaths::Instance();
    if (paths) {
        const int32_t key = static_cast<int32_t>(m_key);
        const std::string day = paths->GetDayFile(key);
        if (!day.empty())
            m_day.Load(day.c_str(), m_key);
        const std::string min5 = paths->GetMin5File(key);
        if (!min5.empty())
            m_min5.Load(min5.c_str(), m_key);
        const std::string f10 = paths->GetF10File(key);
        if (!f10.empty())
            m_f10.Load(f10.c_str(), m_key);
        const std::string ticks = paths->GetFenbiFile(key);
        if (!ticks.empty())
            m_ticks.Load(ticks.c_str(), m_key);
    }
    m_diagnose.Load(nullptr, m_key);
    return 0;
}

void CStock::AttachCodeTable(const CCodeTable* table)
{
    m_codeTable = table;
    if (!table)
        return;
    m_info.SetCodeKey(m_key);
    m_info.SetCode(table->GetCodeOfKey(m_key));
    m_info.SetName(table->GetNameOfKey(m_key));
    m_info.SetMarket(table->GetMarketOfKey(m_key));
    m_info.SetIndexFlag(table->IsIndexKey(m_key));
}

void CStock::SetNotifier(CDataUpdateNotiy* notifier)
{
    m_day.SetNotifier(notifier);
    m_min5.SetNotifier(notifier);
    m_f10.SetNotifier(notifier);
    m_ticks.SetNotifier(notifier);
    m_diagnose.SetNotifier(notifier);
}

void CStock::SetActive(int active)
{
    m_day.SetActive(active);
    m_min5.SetActive(active);
    m_f10.SetActive(active);
    m_ticks.SetActive(active);
    m_diagnose.SetActive(active);
}

int CStock::PostRequest(int pending, uint32_t flags, int more)
{
    SingleLock lock(&m_requestLock);
    // Marks not yet issued are joined, never replaced: a tick refresh posted
    // just before the cache pass would otherwise drop a day or five-minute
    // request posted a moment earlier, and its chart would stay empty.
    if (m_requestPending) {
        m_requestFlags |= flags;
        m_moreHistory = static_cast<uint8_t>(m_moreHistory || more);
        return 1;
    }
    m_requestPending = pending;
    m_requestFlags = flags;
    m_moreHistory = static_cast<uint8_t>(more ? 1 : 0);
    return 1;
}

void CStock::MarkDayRequest()
{
    SingleLock lock(&m_requestLock);
    m_requestFlags = m_requestPending ? (m_requestFlags | kRequestDayBars) : kRequestDayBars;
    m_requestPending = 1;
}

void CStock::GetPendingRequest(int* pending, uint32_t* flags, int* more) const
{
    SingleLock lock(&m_requestLock);
    if (pending)
        *pending = m_requestPending;
    if (flags)
        *flags = m_requestFlags;
    if (more)
        *more = m_moreHistory;
}

int CStock::IssuePendingRequests()
{
    uint32_t flags = 0;
    int more = 0;
    {
        SingleLock lock(&m_requestLock);
        if (!m_requestPending)
            return 0;
        flags = m_requestFlags;
        more = m_moreHistory;
        m_requestPending = 0;
    }
    // Sending enters the request queue's lock; a refused request is answered
    // here at once, which takes no further lock.
    if (flags & kRequestDayBars)
        m_day.RequestData(more);
    if (flags & kRequestFiveMinuteBars)
        m_min5.RequestData(more);
    if (flags & kRequestF10)
        m_f10.RequestData(more);
    if (flags & kRequestTicks)
        m_ticks.RequestData(more);
    if (flags & kRequestDiagnosis)
        m_diagnose.RequestData(more);
    return 0;
}

bool CStock::IsBusy()
{
    return m_day.IsRequestPending() || m_min5.IsRequestPending() || m_f10.IsRequestPending()
        || m_ticks.IsRequestPending() || m_diagnose.IsRequestPending();
}

CBase* CStock::GetSeriesOfCommand(int32_t command)
{
    switch (command) {
    case kCmdF10:
        return &m_f10;
    case kCmdDayBars:
        return &m_day;
    case kCmdFiveMinuteBars:
        return &m_min5;
    case kCmdTicks:
        return &m_ticks;
    default:
        return nullptr;
    }
}

CKData* CStock::DerivedMinuteSeries(int period)
{
    switch (period) {
    case kPeriodTenMinutes:
        return &m_min10;
    case kPeriodFifteenMinutes:
        return &m_min15;
    case kPeriodThirtyMinutes:
        return &m_min30;
    case kPeriodSixtyMinutes:
        return &m_min60;
    default:
        return nullptr;
    }
}

CKData* CStock::DerivedDaySeries(int period)
{
    switch (period) {
    case kPeriodWeek:
        return &m_week;
    case kPeriodMonth:
        return &m_month;
    case kPeriodQuarter:
        return &m_quarter;
    case kPeriodYear:
        return &m_year;
    default:
        return nullptr;
    }
}

void CStock::DeriveMinutePeriod(int period)
{
    static const int kMinutes[] = { 0, 0, 10, 15, 30, 60 };
    if (CKData* target = DerivedMinuteSeries(period))
        m_min5.ToMinutePeriod(target, kMinutes[period]);
}

void CStock::DeriveDayPeriod(int period)
{
    CKData* target = DerivedDaySeries(period);
    if (!target)
        return;
    switch (period) {
    case kPeriodWeek:
        m_day.ToWeek(target);
        break;
    case kPeriodMonth:
        m_day.ToMonth(target);
        break;
    case kPeriodQuarter:
        m_day.ToQuarter(target);
        break;
    default:
        m_day.ToYear(target);
        break;
    }
}

CKData* CStock::GetKData(int period)
{
    m_period = period;
    if (period == kPeriodFiveMinutes)
        return &m_min5;
    if (CKData* minutes = DerivedMinuteSeries(period)) {
        if (minutes->GetCount() == 0)
            DeriveMinutePeriod(period);
        return minutes;
    }
    if (CKData* days = DerivedDaySeries(period)) {
        if (m_day.GetCount() == 0)
            MarkDayRequest();
        else if (days->GetCount() == 0)
            DeriveDayPeriod(period);
        return days;
    }
    if (m_day.GetCount() == 0)
        MarkDayRequest();
    return &m_day;
}

void CStock::ApplyExRights(int period, const std::vector<ExRightsRecord>* records, int mode)
{
    CalcDefaults* defaults = CalcDefaults::Instance();
    const int32_t start = defaults ? defaults->GetStartDate() : 0;
    const int32_t threshold = defaults ? defaults->GetCount() : CalcDefaults::kDefaultCount;
    if (period >= kPeriodFiveMinutes && period <= kPeriodSixtyMinutes) {
        m_min5.ApplyExRights(records, mode, start, threshold);
        if (CKData* target = DerivedMinuteSeries(period)) {
            target->Resize(0);
            DeriveMinutePeriod(period);
        }
    } else if (period >= kPeriodDay && period <= kPeriodYear) {
        m_day.ApplyExRights(records, mode, start, threshold);
        if (CKData* target = DerivedDaySeries(period)) {
            target->Resize(0);
            DeriveDayPeriod(period);
        }
    }
}

int CStock::UpdateQuoteFromTicks(const CFenbiData& ticks)
{
    if (ticks.GetCount() == 0)
        return 0;
    const TickFileHeader& h = ticks.GetHeader();
    m_info.time = h.time;
    m_info.previousClose = h.previousClose;
    m_info.open = h.open;
    m_info.high = h.high;
    m_info.low = h.low;
    m_info.last = h.last;
    m_info.volume = h.totalVolume;
    m_info.amount = h.totalAmount;
    for (int i = 0; i < 5; ++i) {
        m_info.bidPrices[i] = h.bidPrices[i];
        m_info.bidVolumes[i] = h.bidVolumes[i];
        m_info.askPrices[i] = h.askPrices[i];
        m_info.askVolumes[i] = h.askVolumes[i];
    }
    return 1;
}

int CStock::UpdateCurrentPeriod(const CFenbiData& ticks)
{
    if (m_period >= kPeriodFiveMinutes && m_period <= kPeriodSixtyMinutes) {
        UpdateFiveMinuteBarsFromTicks(ticks);
        if (CKData* target = DerivedMinuteSeries(m_period)) {
            target->Resize(0);
            DeriveMinutePeriod(m_period);
        }
    } else if (m_period >= kPeriodDay && m_period <= kPeriodYear) {
        UpdateDayBarFromTicks(ticks);
        if (DerivedDaySeries(m_period))
            DeriveDayPeriod(m_period);
    }
    return 1;
}

void CStock::UpdateDayBarFromTicks(const CFenbiData& ticks)
{
    const TickFileHeader& h = ticks.GetHeader();
    if (!(h.open > 0 && h.last > 0 && h.low > 0))
        return;
    Bar bar;
    bar.time = DayStartOfTime(h.time);
    bar.open = h.open;
    bar.high = h.high;
    bar.low = h.low;
    bar.close = h.last;
    bar.volume = h.totalVolume;
    bar.amount = h.totalAmount;
    const int count = m_day.GetCount();
    if (count > 0) {
        const Bar* last = m_day.GetBar(count - 1);
        if (SameTradingDay(last->time, bar.time)) {
            m_day.SetBar(count - 1, bar);
            return;
        }
        if (last->time >= bar.time)
            return;
    }
    m_day.AppendBar(bar);
}

void CStock::UpdateFiveMinuteBarsFromTicks(const CFenbiData& ticks)
{
    const int tickCount = ticks.GetCount();
    if (tickCount < 2)
        return;
    const int32_t day = DayStartOfTime(ticks.GetTick(tickCount - 1).time);
    while (m_min5.GetCount() > 0 && DayStartOfTime(m_min5.GetBar(m_min5.GetCount() - 1)->time) == day)
        m_min5.RemoveBars(m_min5.GetCount() - 1, 1);

    // Every tick's volume and amount count in the bar it falls in: a bar's
    // totals are its last cumulative values less those reached before it.
    bool open = false;
    Bar bar = {};
    float baseVolume = 0;
    float baseAmount = 0;
    float latestVolume = 0;
    float latestAmount = 0;
    auto closeBar = [&]() {
        bar.volume = latestVolume - baseVolume;
        bar.amount = latestAmount - baseAmount;
        m_min5.AppendBar(bar);
        baseVolume = latestVolume;
        baseAmount = latestAmount;
    };
    for (const TickRecord& tick : ticks.GetTicks()) {
        if (!(tick.time > 0 && tick.price > 0 && tick.volume > 0))
            continue;
        const int32_t bucket = GetBarEndTime(tick.time, 5);
        if (open && bucket > bar.time) {
            closeBar();
            open = false;
        }
        if (!open) {
            bar.time = bucket;
            bar.open = bar.high = bar.low = bar.close = tick.price;
            open = true;
        } else {
            if (tick.price > bar.high)
                bar.high = tick.price;
            if (tick.price < bar.low)
                bar.low = tick.price;
            bar.close = tick.price;
        }
        latestVolume = tick.volume;
        latestAmount = tick.amount;
    }
    if (!open)
        return;
    const int count = m_min5.GetCount();
    if (count == 0 || m_min5.GetBar(count - 1)->time < bar.time) {
        bar.volume = latestVolume - baseVolume;
        bar.amount = latestAmount - baseAmount;
        m_min5.AppendBar(bar);
    }
}

int32_t CStock::GetBarEndTime(int32_t time, int n)
{
    const int32_t end = MinuteBucketEnd(time, n);
    if (n != 5)
        return end;
    // Five-minute bars: the call auction's trades belong to the first bar,
    // and anything after the close to the last.
    const std::tm f = SplitExchangeTime(end);
    if (f.tm_hour == 9 && f.tm_min < 35)
        return MakeExchangeTime(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, 9, 35);
    if (f.tm_hour == 15 && f.tm_min != 0)
        return MakeExchangeTime(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, 15, 0);
    return end;
}

int CStock::GetAvgMinuteVolume(double* out, int32_t time, int n)
{
    if (out)
        *out = 0;
    if (time == 0 || !(m_ticks.GetHeader().totalVolume > 0))
        return 0;
    const int32_t today = DayStartOfTime(time);
    double sum = 0;
    int taken = 0;
    for (int i = m_day.GetCount() - 1; i >= 0 && taken < n; --i) {
        const Bar* bar = m_day.GetBar(i);
        if (DayStartOfTime(bar->time) < today) {
            sum += bar->volume;
            ++taken;
        }
    }
    // No earlier day: there is nothing to average over.
    if (taken == 0)
        return 0;
    if (out)
        *out = sum / taken / static_cast<double>(kTradingMinutes);
    return 1;
}

int CStock::GetVolumeRatio(double* out, int32_t time, float volume, float average, int n)
{
    if (out)
        *out = 0;
    if (time == 0 || !(volume > 0))
        return 0;
    double avg = average;
    if (!(average > 0)) {
        if (!GetAvgMinuteVolume(&avg, time, n) || !(avg > 0))
            return 0;
    }
    if (out)
        *out = volume / static_cast<double>(CMinute::GetMinuteIndex(time) + 1) / avg;
    return 1;
}

int CStock::GetCurrentVolumeRatio(double* out, int n)
{
    const TickFileHeader& h = m_ticks.GetHeader();
    return GetVolumeRatio(out, h.time, h.totalVolume, 0, n);
}

CStock* CStock::Clone()
{
    CStock* copy = new CStock(m_key);
    copy->AttachCodeTable(m_codeTable);
    copy->m_spare = m_spare;
    m_day.CopyTo(&copy->m_day);
    m_min5.CopyTo(&copy->m_min5);
    m_f10.CopyTo(&copy->m_f10);
    m_ticks.CopyTo(&copy->m_ticks);
    m_diagnose.CopyTo(&copy->m_diagnose);
    copy->UpdateQuoteFromTicks(m_ticks);
    copy->m_minute.BuildFromTicks(m_ticks);
    copy->UpdateCurrentPeriod(m_ticks);
    return copy;
}

int CStock::CopyUpdatedSeries(CStock* snapshot, int kind)
{
    if (!snapshot || snapshot == this)
        return 1;
    switch (kind) {
    case kSeriesTicks:
        if (m_ticks.CopyTo(&snapshot->m_ticks)) {
            snapshot->UpdateQuoteFromTicks(snapshot->m_ticks);
            snapshot->m_minute.BuildFromTicks(snapshot->m_ticks);
            snapshot->UpdateCurrentPeriod(snapshot->m_ticks);
        }
        m_diagnose.CopyTo(&snapshot->m_diagnose);
        break;
    case kSeriesDay:
        m_day.CopyTo(&snapshot->m_day);
        // Derived series are built only while empty: every other day-based
        // period would keep showing the bars from before this update.
        for (int period = kPeriodWeek; period <= kPeriodYear; ++period)
            snapshot->DerivedDaySeries(period)->Resize(0);
        m_diagnose.CopyTo(&snapshot->m_diagnose);
        snapshot->UpdateCurrentPeriod(snapshot->m_ticks);
        break;
    case kSeriesF10:
        m_f10.CopyTo(&snapshot->m_f10);
        break;
    case kSeriesFiveMinutes:
        m_min5.CopyTo(&snapshot->m_min5);
        for (int period = kPeriodTenMinutes; period <= kPeriodSixtyMinutes; ++period)
            snapshot->DerivedMinuteSeries(period)->Resize(0);
        snapshot->UpdateCurrentPeriod(snapshot->m_ticks);
        break;
    default:
        break;
    }
    return 1;
}
