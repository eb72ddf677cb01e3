#pragma once
// The intraday minute series: one record per trading minute, built from the day's ticks.
#include <cstdint>
#include <vector>

class CFenbiData;

#pragma pack(push, 1)
struct MinuteRecord
{
    int32_t time; // the slot's time, or that of the last tick in it
    float price; // last price of the minute
    float average; // the day's average price so far
    float change; // price - reference price
    float changeRatio; // change / reference price
    float cumulativeVolume;
    float volume; // this minute's volume
    float cumulativeAmount;
    float amount; // this minute's amount
};
#pragma pack(pop)
static_assert(sizeof(MinuteRecord) == 36, "MinuteRecord is 36 bytes");

class CMinute
{
public:
    static const int kSlotCount = 242;

    CMinute() { }
    virtual ~CMinute() { }

    int GetCount() const { return static_cast<int>(m_records.size()); }
    // Null outside 0..count-1.
    const MinuteRecord* GetAt(int index) const;
    const std::vector<MinuteRecord>& GetRecords() const { return m_records; }

    // 0-120 for 9:30-11:30 (earlier times give 0), 121 for 11:31-13:00,
    // 122-241 for 13:01-15:00 (later times give 241); exchange time.
    static int GetMinuteIndex(int32_t time);
    // The time of a slot on today's date (exchange time).
    static int32_t GetSlotTime(int slot);
    // The time of a slot on the trading day of dayTime.
    static int32_t GetSlotTimeOnDay(int32_t dayTime, int slot);

    // Rebuilds the records; returns their count.
    int BuildFromTicks(const CFenbiData& ticks);

    int GetVolumeRatioAt(double* out, int32_t time, float volume, float average) const;
    int GetVolumeRatioRange(double average, double* outMin, double* outMax) const;
    int GetFiveMinuteChange(double* out, int index) const;
    int BuildPriceTable(std::vector<int32_t>& levels, std::vector<int32_t>& volumes, double* outMax) const;

private:
    std::vector<MinuteRecord> m_records;
};
