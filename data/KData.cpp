#include "data/KData.h"
// Storage of a bar series: loading, saving, requests, merging replies and
// editing. Ex-rights adjustment, derived periods and high/low queries have
// their own files (KDataExRights.cpp, KDataPeriods.cpp, KDataHighLow.cpp).

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <set>
#include <string>

#include "base/CPFile.h"
#include "base/ExchangeTime.h"
#include "base/GlobalDefaults.h"
#include "base/MemoryStream.h"
#include "data/MarketTime.h"
#include "data/ReplyChecks.h"
#include "net/DataProvider.h"

namespace {

const int32_t kThreeDays = 259200;
const int32_t kThreeYears = 94608000;

// A bar of a file of ours: a time no request window passes, prices a market
// can have (today's bar, built from the ticks, may lack a high), finite totals.
bool IsStoredBar(const Bar& bar, int64_t latest)
{
    if (bar.time <= 0 || bar.time > latest)
        return false;
    for (float price : { bar.open, bar.high, bar.low, bar.close }) {
        if (!IsPlausiblePrice(price, false))
            return false;
    }
    return std::isfinite(bar.volume) && std::isfinite(bar.amount);
}

// yyyymmddhhmm does not fit 32 bits.
int64_t MinuteKey(int32_t time)
{
    return static_cast<int64_t>(DayKey(time)) * 10000 + HourOfTime(time) * 100 + MinuteOfTime(time);
}

} // namespace

CKData::CKData()
    : m_hasData(0)
    , m_exRightsMode(kNoAdjustment)
    , m_adjusted(0)
    , m_historyRequested(0)
{
    m_kind = kSeriesDay;
}

CKData::~CKData()
{
    Save(nullptr);
}

const Bar* CKData::GetBar(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return &m_bars[index];
}

void CKData::UpdateHeaderFromBars()
{
    m_count = static_cast<int32_t>(m_bars.size());
    m_firstTime = m_bars.empty() ? 0 : m_bars.front().time;
    m_lastTime = m_bars.empty() ? 0 : m_bars.back().time;
}

size_t CKData::MaxBars() const
{
    return IsMinuteKind() ? MarketBounds::kMinuteBars : MarketBounds::kDayBars;
}

int CKData::Load(const char* path, uint32_t key)
{
    m_key = key;
    if (!path || !*path)
        return 0;
    if (m_path.empty())
        m_path = path;
    std::string bytes;
    // A file longer than the longest history is damaged: it is never read.
    try {
        if (!ReadWholeFile(path, bytes, static_cast<long>((MaxBars() + 1) * sizeof(Bar))))
            return 0;
        const size_t records = bytes.size() / sizeof(Bar);
        if (m_bars.size() + records > MaxBars())
            return 0;
        std::vector<Bar> bars(m_bars);
        const int64_t latest = LatestSeriesTime();
        for (size_t i = 0; i < records; ++i) {
            Bar bar;
            memcpy(&bar, bytes.data() + i * sizeof(Bar), sizeof(Bar));
            // Only what a merge took (or today's bar built from the ticks) is
            // ever saved: anything else is damage, and the file is refused.
            if (!IsStoredBar(bar, latest))
                return 0;
            bars.push_back(bar);
        }
        // In order, one bar per day (minute), as every reader expects.
        SortAndDedupe(bars);
        m_bars.swap(bars);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    UpdateHeaderFromBars();
    m_hasData = 1;
    m_active.store(1);
    return 1;
}

int CKData::Save(const char* path)
{
    if (!m_dirty.load())
        return 0;
    std::vector<Bar> out;
    out.reserve(m_bars.size());
    for (const Bar& bar : m_bars) {
        if (m_kind == kSeriesDay && HourOfTime(bar.time) != 0)
            continue;
        out.push_back(bar);
    }
    return SaveWhole(path, out.empty() ? nullptr : out.data(), out.size() * sizeof(Bar));
}

int CKData::RequestData(int more)
{
    return RequestBars(more, kCmdDayBars, 86400);
}

int CKData::RequestBars(int more, int32_t command, int32_t historyEndGap)
{
    if (m_pending.load())
        return 1;
    // In 64 bits: a time near either end of the range must not wrap.
    const int64_t now = ServerTime::Get();
    const bool hasTimes = m_firstTime != 0 || m_lastTime != 0;
    int64_t from = hasTimes ? m_lastTime : now - kThreeYears;
    int64_t to = now + kThreeDays;
    if (more) {
        if (m_historyRequested || m_firstTime == 0) {
            if (hasTimes)
                return 1;
            m_historyRequested = 1;
        } else {
            m_historyRequested = 1;
            from = static_cast<int64_t>(m_firstTime) - kThreeYears;
            to = static_cast<int64_t>(m_firstTime) - historyEndGap;
        }
    }
    return SendRequest(command, from, to);
}

bool CKData::SamePeriodSlot(int32_t a, int32_t b) const
{
    return IsMinuteKind() ? SameMinute(a, b) : SameTradingDay(a, b);
}

void CKData::SortAndDedupe(std::vector<Bar>& bars) const
{
    std::stable_sort(bars.begin(), bars.end(), BarTimeLess);
    bars.erase(std::unique(bars.begin(), bars.end(),
                   [this](const Bar& a, const Bar& b) { return SamePeriodSlot(a.time, b.time); }),
        bars.end());
}

namespace {

// A bar is a record with finite prices a market can have and finite
// totals; one to take besides with every price above zero and the high not
// below the low. A bar without a trade (all prices 0: today's bar of a
// suspended stock, a five-minute slot of an illiquid fund) is odd.
RecordVerdict JudgeBar(const Bar& bar)
{
    bool positive = true;
    for (float price : { bar.open, bar.high, bar.low, bar.close }) {
        if (!IsPlausiblePrice(price, false))
            return RecordVerdict::kNotARecord;
        positive = positive && price > 0;
    }
    if (!std::isfinite(bar.volume) || !std::isfinite(bar.amount))
        return RecordVerdict::kNotARecord;
    return positive && bar.high >= bar.low ? RecordVerdict::kTaken : RecordVerdict::kOdd;
}

} // namespace

int CKData::Merge(uint32_t, CMemoryStream* stream)
{
    if (!stream || !stream->GetBuffer() || stream->GetSize() <= 0)
        return 0;
    const int32_t size = stream->GetSize();
    // Two leading words, then whole wire bars; a short remainder is ignored.
    if (size < 8)
        return 0;
    const size_t records = static_cast<size_t>(size - 8) / sizeof(WireBar);
    // No bars, more bars than the longest history, a bar outside the window
    // asked for (with a resend's days before it) or bars that are none (see
    // RecordScreen): the reply is not bars of this series, and nothing of it
    // is taken. An odd bar is skipped alone.
    if (records == 0 || records > MaxBars() || m_bars.size() + records > 2 * MaxBars())
        return 0;
    RecordScreen screen;
    try {
        std::vector<Bar> merged;
        merged.reserve(records + m_bars.size());
        const uint8_t* body = stream->GetBuffer() + 8;
        for (size_t i = 0; i < records; ++i) {
            WireBar wire;
            memcpy(&wire, body + i * sizeof(WireBar), sizeof(WireBar));
            const Bar bar = BarFromWire(wire);
            if (!m_window.Holds(bar.time))
                return 0;
            if (screen.Admit(JudgeBar(bar)))
                merged.push_back(bar);
        }
        if (screen.Refused() || merged.empty())
            return 0;
        // The last received stands first, so it wins among bars of equal time.
        std::reverse(merged.begin(), merged.end());
        merged.insert(merged.end(), m_bars.begin(), m_bars.end());
        SortAndDedupe(merged);
        if (merged.size() > MaxBars())
            return 0;
        m_bars.swap(merged);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    UpdateHeaderFromBars();
    m_hasData = 1;
    m_dirty.store(1);
    m_active.store(1);
    m_historyRequested = 0;
    m_skipped.store(screen.Skipped());
    return 1;
}

int CKData::CopyTo(CKData* target)
{
    if (!target || target == this || !m_active.load())
        return 0;
    CopyHeaderTo(target);
    target->EndAdjustment();
    // A snapshot keeps its own bars only for days (minutes) this series does not hold.
    std::set<int64_t> held;
    for (const Bar& bar : m_bars)
        held.insert(IsMinuteKind() ? MinuteKey(bar.time) : DayKey(bar.time));
    std::vector<Bar> merged(m_bars);
    for (const Bar& bar : target->m_bars) {
        if (!held.count(IsMinuteKind() ? MinuteKey(bar.time) : DayKey(bar.time)))
            merged.push_back(bar);
    }
    SortAndDedupe(merged);
    target->m_bars.swap(merged);
    target->m_count = static_cast<int32_t>(target->m_bars.size());
    target->m_hasData = m_hasData;
    m_active.store(0);
    return 1;
}

void CKData::EndAdjustment()
{
    if (!m_adjusted)
        return;
    m_bars.swap(m_savedBars);
    m_savedBars.clear();
    m_savedBars.shrink_to_fit();
    m_adjusted = 0;
    m_exRightsMode = kNoAdjustment;
}

bool CKData::SetBar(int index, const Bar& bar)
{
    EndAdjustment();
    if (index < 0 || index >= GetCount())
        return false;
    m_bars[index] = bar;
    return true;
}

void CKData::AppendBar(const Bar& bar)
{
    EndAdjustment();
    m_bars.push_back(bar);
    m_count = GetCount();
}

int CKData::RemoveBars(int index, int count)
{
    EndAdjustment();
    if (index < 0 || index >= GetCount())
        return index;
    if (count > 0) {
        const int end = std::min(GetCount(), index + count);
        m_bars.erase(m_bars.begin() + index, m_bars.begin() + end);
    }
    m_count = GetCount();
    return GetCount();
}

void CKData::Resize(int count)
{
    EndAdjustment();
    m_bars.resize(count > 0 ? count : 0, Bar());
    m_count = GetCount();
}
