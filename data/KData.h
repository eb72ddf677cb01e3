#pragma once
// Bar series of one stock for one period: the day series with its derived
// week/month/quarter/year series, and (through CFiveMinData) the minute series.
#include <cstdint>
#include <vector>

#include "data/Bar.h"
#include "data/StockSeries.h"

struct ExRightsRecord;

class CKData : public CStockSeries
{
public:
    enum ExRightsMode { kNoAdjustment = 1, kKeepEarliest = 2, kKeepLatest = 3 };

    CKData();
    ~CKData() override;

    // A file of more bars than the longest history is refused (0).
    int Load(const char* path, uint32_t key) override;
    // Day series write only bars stamped 00:00 exchange time: today's bar,
    // stamped with a time of day, is never stored.
    int Save(const char* path) override;
    int RequestData(int more) override;
    // 0 and nothing changed for a reply without bars, with a bar outside the window asked
    // for, a bar no market has (a price not above zero or beyond any market,
    // a high below the low) or more bars than the longest history.
    int Merge(uint32_t key, CMemoryStream* stream) override;

    int GetCount() const { return static_cast<int>(m_bars.size()); }
    // Null outside 0..count-1.
    const Bar* GetBar(int index) const;
    const std::vector<Bar>& GetBars() const { return m_bars; }
    int HasData() const { return m_hasData; }
    int GetExRightsMode() const { return m_exRightsMode; }
    int IsAdjusted() const { return m_adjusted; }

    // Editing ends an adjustment in force first.
    bool SetBar(int index, const Bar& bar);
    void AppendBar(const Bar& bar);
    // Returns the new count; an index at or beyond the count changes nothing and returns the index.
    int RemoveBars(int index, int count);
    void Resize(int count);

    // Refreshes a snapshot series: on the same day (minute) this series' bar wins.
    int CopyTo(CKData* target);

    // records may be null (a stock without ex-rights events). startDate and
    // thresholdPercent come from CalcDefaults. Derived kinds are never adjusted
    // and return their kind.
    int ApplyExRights(
        const std::vector<ExRightsRecord>* records, int mode, int32_t startDate, int32_t thresholdPercent);

    // Derived day-based periods (keys in exchange time).
    void ToWeek(CKData* target) const;
    void ToMonth(CKData* target) const;
    void ToQuarter(CKData* target) const;
    void ToYear(CKData* target) const;
    // Derived minute periods from five-minute bars (N = 10, 15, 30, 60).
    void ToMinutePeriod(CKData* target, int minutes) const;

    // Outputs may be null. 1 when a value was found, 0 for an empty range.
    int GetHighLowInRange(int first, int last, float* low, float* high, int* lowIndex, int* highIndex) const;
    int GetHighLowRange(int first, int last, float* low, float* high, int* lowIndex, int* highIndex) const;

protected:
    // The request flow shared with the five-minute series.
    int RequestBars(int more, int32_t command, int32_t historyEndGap);
    bool IsMinuteKind() const { return m_kind >= kSeriesFiveMinutes && m_kind <= kSeriesSixtyMinutes; }

private:
    // The most bars the series holds: the longest history of its period.
    size_t MaxBars() const;
    bool SamePeriodSlot(int32_t a, int32_t b) const;
    void SortAndDedupe(std::vector<Bar>& bars) const;
    void EndAdjustment();
    void UpdateHeaderFromBars();
    // Groups consecutive bars of equal key into one bar each; untimed bars are skipped when asked.
    template <typename KeyOf> void DeriveBy(CKData* target, KeyOf keyOf, bool skipUntimed) const;
    void RebuildKeepEarliest(const std::vector<ExRightsRecord>& records, int32_t startDay, double threshold);
    void RebuildKeepLatest(const std::vector<ExRightsRecord>& records, int32_t startDay, double threshold);

    std::vector<Bar> m_bars;
    std::vector<Bar> m_savedBars;
    int32_t m_hasData;
    int32_t m_exRightsMode;
    int32_t m_adjusted;
    int32_t m_historyRequested;
};

// The ex-rights factor of one event for a reference price: 1 when the price is
// below 0.0001; may be 0 or negative when the cash dividend reaches the price.
double ExRightsFactor(const ExRightsRecord& record, double price);

// The first record of the same exchange-time day, or null (records may be null).
const ExRightsRecord* FindRecordOfDay(const std::vector<ExRightsRecord>* records, int32_t time);

// The end of the N-minute bucket a bar time belongs to, in exchange time.
int32_t MinuteBucketEnd(int32_t time, int minutes);

// The week key: year x 100 + week number; week 1 runs from 1 January to the
// first Saturday, later weeks Sunday to Saturday.
int32_t WeekKeyOfTime(int32_t time);
