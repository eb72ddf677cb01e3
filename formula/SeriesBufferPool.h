#pragma once
// The float buffers behind a formula host's series. Buffers are reused while
// they are free; a statement's leftovers are freed only when several pile up,
// so a recomputation of the same formula allocates little.
#include "formula/FormulaVariant.h"

#include <cstddef>
#include <vector>

class SeriesBufferPool
{
public:
    struct Entry
    {
        float* buffer; // owned
        size_t size; // bytes last asked for
        size_t capacity; // bytes the buffer holds
        bool inUse;
    };

    // Free entries beyond the first are released once this many are free.
    static const size_t kReleaseThreshold = 4;

    SeriesBufferPool() = default;
    ~SeriesBufferPool() { ReleaseAll(); }

    // The first free entry that holds at least bytes, contents as its last
    // user left them; otherwise a new buffer of exactly bytes. Throws
    // std::bad_alloc when none can be had.
    float* Acquire(size_t bytes);
    // Marks free every entry that no series among the variables and the run
    // values points to; then, when at least kReleaseThreshold entries are free,
    // releases every free entry except the pool's first.
    void ReleaseUnreferenced(const FormulaVariables& variables, const FormulaValueList& runValues);
    // Frees every buffer and empties the pool.
    void ReleaseAll();

    // The entry whose buffer starts at data, or null.
    const Entry* Find(const void* data) const;
    const std::vector<Entry>& GetEntries() const { return m_entries; }
    size_t CountFree() const;

private:
    SeriesBufferPool(const SeriesBufferPool&) = delete;
    SeriesBufferPool& operator=(const SeriesBufferPool&) = delete;

    std::vector<Entry> m_entries;
};
