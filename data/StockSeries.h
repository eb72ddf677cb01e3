#pragma once
// What the per-stock series (bars, ticks, F10 text) share beyond CBase: the
// valid flag with the deletion wait, the checked save of their file and the
// asynchronous request through the data provider.
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "data/ReplyChecks.h"
#include "data/SeriesBase.h"

// Merge leaves request pending alone: the completion callback clears it as its
// last access to the series. Cleared inside Merge, the owner could delete the
// series (the cache frees a stock once none of its series waits) while the
// callback still notifies and writes the flag.
class CStockSeries : public CBase
{
public:
    CStockSeries()
        : m_valid(1)
    {
    }
    // Copies every field, as CBase does, so a stock's series can be cloned whole.
    CStockSeries(const CStockSeries& other)
        : CBase(other)
        , m_valid(other.m_valid.load())
        , m_window(other.m_window)
        , m_skipped(other.m_skipped.load())
    {
    }
    int IsValid() override { return m_valid.load(); }
    // Records the last reply taken held but that were skipped alone, kept
    // for diagnosis.
    size_t GetSkipped() const { return m_skipped.load(); }
    // Clears the valid flag (a late reply is then not merged) and waits without
    // limit until no reply is due: the completion callback always comes.
    void BeginDelete();

protected:
    // Save's common steps: nothing unless dirty (0); a path replaces the stored
    // one; the bytes go through a temporary file, so a failed save keeps the old
    // file and the dirty flag.
    int SaveWhole(const char* path, const void* data, size_t size);
    // Sets request pending, keeps the window asked for (the reply's times
    // must lie in it) and asks the data provider; its result. Times are
    // clamped to what a request value holds.
    int SendRequest(int32_t command, int64_t from, int64_t to);

    std::atomic<int32_t> m_valid;
    // Written before the request is sent and read by its reply's merge; no
    // second request is sent while one is pending.
    RequestWindow m_window;
    std::atomic<size_t> m_skipped { 0 };
};
