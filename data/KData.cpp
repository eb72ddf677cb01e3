#include "data/KData.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "base/CPFile.h"
#include "base/ExchangeTime.h"
#include "base/GlobalDefaults.h"
#include "base/MemoryStream.h"
#include "data/PwrData.h"
#include "data/MarketTime.h"
#include "net/DataProvider.h"

namespace {

const int32_t kThreeDays = 259200;
const int32_t kThreeYears = 94608000;
const double kEpsilon = 0.0001;

// yyyymmddhhmm does not fit 32 bits.
int64_t MinuteKey(int32_t time)
{
    return static_cast<int64_t>(DayKey(time)) * 10000 + HourOfTime(time) * 100 + MinuteOfTime(time);
}

int32_t MonthKeyOfTime(int32_t time)
{
    return YearOfTime(time) * 100 + MonthOfTime(time);
}
int32_t QuarterKeyOfTime(int32_t time)
{
    return YearOfTime(time) * 100 + (MonthOfTime(time) - 1) / 3;
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

int CKData::Load(const char* path, uint32_t key)
{
    m_key = key;
    if (!path || !*path)
        return 0;
    if (m_path.empty())
        m_path = path;
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return 0;
    const size_t records = bytes.size() / sizeof(Bar);
    const size_t start = m_bars.size();
    m_bars.resize(start + records);
    if (records)
        memcpy(&m_bars[start], bytes.data(), records * sizeof(Bar));
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
    const int32_t now = ServerTime::Get();
    const bool hasTimes = m_firstTime != 0 || m_lastTime != 0;
    int32_t from = hasTimes ? m_lastTime : now - kThreeYears;
    int32_t to = now + kThreeDays;
    if (more) {
        if (m_historyRequested || m_firstTime == 0) {
            if (hasTimes)
                return 1;
            m_historyRequested = 1;
        } else {
            m_historyRequested = 1;
            from = m_firstTime - kThreeYears;
            to = m_firstTime - historyEndGap;
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

int CKData::Merge(uint32_t, CMemoryStream* stream)
{
    if (!stream || !stream->GetBuffer() || stream->GetSize() <= 0)
        return 0;
    const int32_t size = stream->GetSize();
    // Two leading words, then whole wire bars; a short remainder is ignored.
    if (size < 8)
        return 0;
    const int32_t records = (size - 8) / static_cast<int32_t>(sizeof(WireBar));
    std::vector<Bar> merged;
    merged.reserve(records + m_bars.size());
    const uint8_t* body = stream->GetBuffer() + 8;
    // The last received stands first, so it wins among bars of equal time.
    for (int32_t i = records - 1; i >= 0; --i) {
        WireBar wire;
        memcpy(&wire, body + i * sizeof(WireBar), sizeof(WireBar));
        merged.push_back(BarFromWire(wire));
    }
    merged.insert(merged.end(), m_bars.begin(), m_bars.end());
    SortAndDedupe(merged);
    m_bars.swap(merged);
    UpdateHeaderFromBars();
    m_hasData = 1;
    m_dirty.store(1);
    m_active.store(1);
    m_historyRequested = 0;
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

double ExRightsFactor(const ExRightsRecord& record, double price)
{
    if (price < kEpsilon)
        return 1;
    double factor = 1;
    if (record.cashDividend > kEpsilon)
        factor = 1 - record.cashDividend / price;
    if (record.bonusShares > kEpsilon)
        factor /= 1 + record.bonusShares;
    const double rights = record.rightsShares;
    if (rights > kEpsilon)
        factor *= ((price + rights * record.rightsPrice) / (1 + rights)) / price;
    return factor;
}

const ExRightsRecord* FindRecordOfDay(const std::vector<ExRightsRecord>* records, int32_t time)
{
    if (!records)
        return nullptr;
    const int32_t day = DayKey(time);
    for (const ExRightsRecord& record : *records) {
        if (DayKey(record.time) == day)
            return &record;
    }
    return nullptr;
}

namespace {

// A factor from a cash dividend at or above the price would give infinite or
// negative prices: such a record is skipped.
bool UsableFactor(double factor)
{
    return factor > 0 && std::isfinite(factor);
}

} // namespace

void CKData::RebuildKeepEarliest(
    const std::vector<ExRightsRecord>& records, int32_t startDay, double threshold)
{
    const std::vector<Bar>& source = m_savedBars;
    m_bars.resize(source.size());
    double factor = 1;
    size_t next = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        const Bar& bar = source[i];
        const int32_t day = DayKey(bar.time);
        bool used = false;
        while (next < records.size() && DayKey(records[next].time) <= day) {
            if (i > 0) {
                const double f = ExRightsFactor(records[next], source[i - 1].close);
                if (UsableFactor(f))
                    factor *= f;
            }
            used = true;
            ++next;
        }
        if (!used && i > 0 && day >= startDay) {
            const double previousClose = source[i - 1].close;
            if (previousClose > kEpsilon && bar.open > kEpsilon && previousClose > bar.open
                && std::fabs(bar.open / previousClose - 1) > threshold)
                factor *= bar.open / previousClose;
        }
        Bar out = bar;
        out.open = static_cast<float>(bar.open / factor);
        out.high = static_cast<float>(bar.high / factor);
        out.low = static_cast<float>(bar.low / factor);
        out.close = static_cast<float>(bar.close / factor);
        out.volume = static_cast<float>(bar.volume * factor);
        m_bars[i] = out;
    }
}

void CKData::RebuildKeepLatest(const std::vector<ExRightsRecord>& records, int32_t startDay, double threshold)
{
    const std::vector<Bar>& source = m_savedBars;
    m_bars.resize(source.size());
    double factor = 1;
    int next = static_cast<int>(records.size()) - 1;
    const int last = static_cast<int>(source.size()) - 1;
    for (int i = last; i >= 0; --i) {
        const Bar& bar = source[i];
        const int32_t day = DayKey(bar.time);
        bool used = false;
        while (next >= 0 && DayKey(records[next].time) > day) {
            if (i < last) {
                const double f = ExRightsFactor(records[next], bar.close);
                if (UsableFactor(f))
                    factor *= f;
            }
            used = true;
            --next;
        }
        if (!used && i < last && day >= startDay) {
            const double nextOpen = source[i + 1].open;
            if (nextOpen > kEpsilon && nextOpen < bar.close
                && std::fabs(nextOpen / bar.close - 1) > threshold)
                factor *= nextOpen / bar.close;
        }
        Bar out = bar;
        out.open = static_cast<float>(bar.open * factor);
        out.high = static_cast<float>(bar.high * factor);
        out.low = static_cast<float>(bar.low * factor);
        out.close = static_cast<float>(bar.close * factor);
        out.volume = static_cast<float>(bar.volume / factor);
        m_bars[i] = out;
    }
}

int CKData::ApplyExRights(
    const std::vector<ExRightsRecord>* records, int mode, int32_t startDate, int32_t thresholdPercent)
{
    if ((m_kind >= kSeriesWeek && m_kind <= kSeriesYear)
        || (m_kind >= kSeriesTenMinutes && m_kind <= kSeriesSixtyMinutes))
        return m_kind;
    if (mode == kNoAdjustment) {
        EndAdjustment();
        return 1;
    }
    if (mode != kKeepEarliest && mode != kKeepLatest)
        return 0;
    const bool swapped = !m_adjusted;
    if (swapped) {
        m_bars.swap(m_savedBars);
        m_adjusted = 1;
    }
    if (m_savedBars.empty()) {
        // Nothing to rebuild from: the series stays as it was.
        if (swapped) {
            m_bars.swap(m_savedBars);
            m_adjusted = 0;
        }
        return 0;
    }
    // A stock without ex-rights records still has its unrecorded gaps adjusted.
    static const std::vector<ExRightsRecord> kNoRecords;
    const std::vector<ExRightsRecord>& list = records ? *records : kNoRecords;
    const double threshold = thresholdPercent / 100.0;
    const int32_t startDay = DayKey(startDate);
    if (mode == kKeepEarliest)
        RebuildKeepEarliest(list, startDay, threshold);
    else
        RebuildKeepLatest(list, startDay, threshold);
    m_count = GetCount();
    m_exRightsMode = mode;
    return 1;
}

int32_t WeekKeyOfTime(int32_t time)
{
    const std::tm f = SplitExchangeTime(time);
    const int dayOfYear = f.tm_yday;
    // Weekday of 1 January, 1 = Sunday .. 7 = Saturday.
    const int janFirst = ((f.tm_wday - dayOfYear) % 7 + 7) % 7 + 1;
    const int week = dayOfYear < 8 - janFirst ? 1 : (dayOfYear + janFirst - 8) / 7 + 2;
    return (f.tm_year + 1900) * 100 + week;
}

template <typename KeyOf> void CKData::DeriveBy(CKData* target, KeyOf keyOf, bool skipUntimed) const
{
    if (!target || target == this)
        return;
    target->Resize(0);
    bool open = false;
    int32_t groupKey = 0;
    Bar group = {};
    for (const Bar& bar : m_bars) {
        if (skipUntimed && bar.time <= 0)
            continue;
        const int32_t key = keyOf(bar.time);
        if (open && key == groupKey) {
            group.time = bar.time;
            group.high = std::max(group.high, bar.high);
            group.low = std::min(group.low, bar.low);
            group.close = bar.close;
            group.volume += bar.volume;
            group.amount += bar.amount;
            continue;
        }
        if (open)
            target->AppendBar(group);
        group = bar;
        groupKey = key;
        open = true;
    }
    if (open)
        target->AppendBar(group);
    target->m_count = target->GetCount();
    if (target->GetCount() > 0)
        target->m_hasData = 1;
}

void CKData::ToWeek(CKData* target) const
{
    DeriveBy(target, WeekKeyOfTime, false);
}
void CKData::ToMonth(CKData* target) const
{
    DeriveBy(target, MonthKeyOfTime, false);
}
void CKData::ToQuarter(CKData* target) const
{
    DeriveBy(target, QuarterKeyOfTime, false);
}
void CKData::ToYear(CKData* target) const
{
    DeriveBy(target, YearOfTime, false);
}

int32_t MinuteBucketEnd(int32_t time, int minutes)
{
    const std::tm f = SplitExchangeTime(time);
    int hour = f.tm_hour;
    int minute = f.tm_min;
    if (minutes == 5 || minutes == 10 || minutes == 15 || minutes == 30) {
        while (minute % minutes != 0) {
            minute = (minute / 5) * 5 + 5;
            if (minute >= 60) {
                ++hour;
                minute = 0;
            }
        }
    } else if (minutes == 60) {
        const int v = hour * 100 + minute;
        if (v <= 1030) {
            hour = 10;
            minute = 30;
        } else if (v <= 1130) {
            hour = 11;
            minute = 30;
        } else if (v <= 1400) {
            hour = 14;
            minute = 0;
        } else {
            hour = 15;
            minute = 0;
        }
    } else if (minutes > 0) {
        minute = minute / minutes * minutes;
    }
    return MakeExchangeTime(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, hour, minute, 0);
}

void CKData::ToMinutePeriod(CKData* target, int minutes) const
{
    DeriveBy(
        target, [minutes](int32_t time) { return MinuteBucketEnd(time, minutes); }, true);
}

namespace {

// Every output that was asked for is written, also for an empty range.
void WriteHighLow(
    float lo, float hi, int loAt, int hiAt, float* low, float* high, int* lowIndex, int* highIndex)
{
    if (low)
        *low = lo;
    if (high)
        *high = hi;
    if (lowIndex)
        *lowIndex = loAt;
    if (highIndex)
        *highIndex = hiAt;
}

} // namespace

int CKData::GetHighLowInRange(
    int first, int last, float* low, float* high, int* lowIndex, int* highIndex) const
{
    const int from = std::max(first, 0);
    const int to = std::min(last, GetCount() - 1);
    float lo = -1;
    float hi = 1;
    int loAt = 0;
    int hiAt = 0;
    int found = 0;
    for (int i = from; i <= to; ++i) {
        const Bar& bar = m_bars[i];
        if (!found || bar.low < lo) {
            lo = bar.low;
            loAt = i;
        }
        if (!found || bar.high > hi) {
            hi = bar.high;
            hiAt = i;
        }
        found = 1;
    }
    WriteHighLow(lo, hi, loAt, hiAt, low, high, lowIndex, highIndex);
    return found;
}

int CKData::GetHighLowRange(int first, int last, float* low, float* high, int* lowIndex, int* highIndex) const
{
    const int count = GetCount();
    float lo = -1;
    float hi = 0;
    int loAt = 0;
    int hiAt = 0;
    int found = 0;
    // Indices from the exact range, ties to the later bar.
    float exactLow = 0;
    float exactHigh = 0;
    bool any = false;
    for (int i = std::max(first, 0); i <= std::min(last, count - 1); ++i) {
        const Bar& bar = m_bars[i];
        if (!any || bar.low <= exactLow) {
            exactLow = bar.low;
            loAt = i;
        }
        if (!any || bar.high >= exactHigh) {
            exactHigh = bar.high;
            hiAt = i;
        }
        any = true;
    }
    // Values from the widened range.
    const long long wideFrom = std::max<long long>(static_cast<long long>(first) - 10, 0);
    const long long wideTo = std::min<long long>(static_cast<long long>(last) + 5, count - 1);
    for (long long i = wideFrom; i <= wideTo; ++i) {
        const Bar& bar = m_bars[static_cast<size_t>(i)];
        if (!found || bar.low < lo)
            lo = bar.low;
        if (!found || bar.high > hi)
            hi = bar.high;
        found = 1;
    }
    WriteHighLow(lo, hi, loAt, hiAt, low, high, lowIndex, highIndex);
    return found;
}
