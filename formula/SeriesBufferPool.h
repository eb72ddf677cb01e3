#pragma once
// The float buffers behind a formula host's series. A buffer is in use while
// a variable or a recorded value refers to it, counted as those change, so
// the check after a statement looks only at the buffers that statement took
// or let go of, never at everything recorded so far. Free buffers are kept
// for later statements and later recalculations, up to a total size.
#include "formula/FormulaVariant.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <unordered_map>
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
        size_t references; // variables and recorded values pointing to it
    };

    // Free buffers beyond this many bytes in all are released, the largest
    // first. Enough for the intermediate series of a long formula over the
    // longest histories, so a recalculation allocates nothing.
    static constexpr size_t kFreeBytesKept = 16u * 1024 * 1024;

    SeriesBufferPool() = default;
    ~SeriesBufferPool() { ReleaseAll(); }

    // The smallest free buffer that holds at least bytes (the one freed last
    // among equals), contents as its last user left them; otherwise a new
    // buffer of exactly bytes. Throws std::bad_alloc when none can be had.
    float* Acquire(size_t bytes);
    // Counts one more or one fewer reference from value when it is a series
    // in one of the pool's buffers; anything else is ignored.
    void AddReference(const VARIANT& value);
    void DropReference(const VARIANT& value);
    // Marks free every buffer taken, or left without references, since the
    // last call that nothing refers to now; then releases free buffers
    // beyond kFreeBytesKept.
    void ReleaseUnreferenced();
    // Frees every buffer and empties the pool.
    void ReleaseAll();

    // The entry whose buffer starts at data, or null.
    const Entry* Find(const void* data) const;
    size_t CountEntries() const { return m_entries.size(); }
    size_t CountFree() const { return m_free.size(); }
    size_t FreeBytes() const { return m_freeBytes; }
    // Buffers looked at and looked up so far: the pool's work, which grows
    // with the buffers a run takes and lets go of, not with what it holds.
    uint64_t CountSteps() const { return m_steps; }

private:
    SeriesBufferPool(const SeriesBufferPool&) = delete;
    SeriesBufferPool& operator=(const SeriesBufferPool&) = delete;

    Entry* FindEntry(const VARIANT& value);
    void SetFree(Entry& entry);

    std::unordered_map<const void*, Entry> m_entries;
    // The free buffers by capacity, in the order they were freed.
    std::multimap<size_t, float*> m_free;
    // Nodes of m_free not in use, kept so that freeing and taking buffers
    // spares the heap.
    std::vector<std::multimap<size_t, float*>::node_type> m_spareNodes;
    size_t m_freeBytes = 0;
    // Buffers to look at in the next ReleaseUnreferenced (repeats allowed).
    std::vector<float*> m_unchecked;
    mutable uint64_t m_steps = 0;
};
