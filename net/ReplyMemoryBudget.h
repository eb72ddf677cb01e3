#pragma once
// One process-wide budget for the memory that quote replies in flight hold
// (received bodies and what they inflate to). In a 32-bit process many large
// replies at once must fail one by one rather than exhaust the address space.
#include <atomic>
#include <cstdint>

class ReplyMemoryBudget
{
public:
    // Room for the largest reply the protocol allows (a full body that
    // inflates to the cap) with some to spare for the replies beside it.
    static constexpr uint64_t kDefaultLimit = 384ull * 1024 * 1024;

    static ReplyMemoryBudget& Global();

    ReplyMemoryBudget()
        : m_limit(kDefaultLimit)
        , m_charged(0)
        , m_peak(0)
    {
    }

    // False, charging nothing, when bytes more would pass the limit.
    bool TryCharge(uint64_t bytes);
    void Release(uint64_t bytes);

    uint64_t Charged() const { return m_charged.load(); }
    // The most ever charged at once since the last ResetPeak.
    uint64_t Peak() const { return m_peak.load(); }
    void ResetPeak() { m_peak = m_charged.load(); }
    uint64_t Limit() const { return m_limit.load(); }
    // Tests lower it to see replies refused without allocating hundreds of MiB.
    void SetLimit(uint64_t bytes) { m_limit = bytes; }

private:
    ReplyMemoryBudget(const ReplyMemoryBudget&) = delete;
    ReplyMemoryBudget& operator=(const ReplyMemoryBudget&) = delete;

    std::atomic<uint64_t> m_limit;
    std::atomic<uint64_t> m_charged;
    std::atomic<uint64_t> m_peak;
};

// What one holder has charged to the budget; the charge only grows until it
// is released (at the latest by the destructor).
class ReplyMemoryCharge
{
public:
    explicit ReplyMemoryCharge(ReplyMemoryBudget& budget = ReplyMemoryBudget::Global())
        : m_budget(budget)
        , m_bytes(0)
    {
    }
    ~ReplyMemoryCharge() { Release(); }

    // Makes the charge at least bytes: false (the charge unchanged) when the
    // budget has no room for the difference.
    bool GrowTo(uint64_t bytes);
    void Release();
    uint64_t Bytes() const { return m_bytes; }

private:
    ReplyMemoryCharge(const ReplyMemoryCharge&) = delete;
    ReplyMemoryCharge& operator=(const ReplyMemoryCharge&) = delete;

    ReplyMemoryBudget& m_budget;
    uint64_t m_bytes;
};
