// Ex-rights adjustment of a day series: factors of single events and the two
// rebuilds that keep the earliest or the latest prices.
#include "data/KData.h"

#include <cmath>

#include "data/MarketTime.h"
#include "data/PwrData.h"

namespace {

const double kEpsilon = 0.0001;

} // namespace

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
