#pragma once
// The tick series of one stock for one trading day: the quote snapshot and the day's trades.
#include <cstdint>
#include <vector>

#include "data/StockSeries.h"
#include "data/TickRecord.h"

class CFenbiData : public CStockSeries
{
public:
    CFenbiData();
    ~CFenbiData() override;

    // Keeps only ticks of the header's trading day, sorted, without repeats.
    int Load(const char* path, uint32_t key) override;
    int Save(const char* path) override;
    int RequestData(int more) override;
    // A reply of an earlier day than the one held, or with header time 0, is ignored.
    int Merge(uint32_t key, CMemoryStream* stream) override;

    int GetCount() const { return static_cast<int>(m_ticks.size()); }
    // Callers check the index against GetCount; an index outside gives a zero tick.
    const TickRecord& GetTick(int index) const;
    bool CopyTick(int index, TickRecord* out) const;
    const std::vector<TickRecord>& GetTicks() const { return m_ticks; }
    const TickFileHeader& GetHeader() const { return m_header; }
    float GetPrevClose() const { return m_header.previousClose; }
    // Outputs may be null: the latest cumulative volume, and the day's volume
    // bought at the ask (outer) and sold at the bid (inner).
    int GetOuterInnerVolume(float* lastVolume, float* outer, float* inner) const;

    int CopyTo(CFenbiData* target);

private:
    void SortAndDropRepeats();
    void UpdateHeaderFromTicks();

    TickFileHeader m_header;
    std::vector<TickRecord> m_ticks;
};
