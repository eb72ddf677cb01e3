#include "formula/SeriesBufferPool.h"

#include <unordered_set>

float* SeriesBufferPool::Acquire(size_t bytes)
{
    for (Entry& entry : m_entries) {
        if (!entry.inUse && entry.capacity >= bytes) {
            entry.inUse = true;
            entry.size = bytes;
            return entry.buffer;
        }
    }
    if (bytes > static_cast<size_t>(kMaxSeriesCount) * sizeof(float))
        throw std::bad_alloc();
    // At least one element, so that every buffer has an address of its own.
    const size_t elements = bytes / sizeof(float) + (bytes % sizeof(float) != 0);
    m_entries.reserve(m_entries.size() + 1);
    float* buffer = new float[elements ? elements : 1];
    m_entries.push_back(Entry { buffer, bytes, bytes, true });
    return buffer;
}

void SeriesBufferPool::ReleaseUnreferenced(
    const FormulaVariables& variables, const FormulaValueList& runValues)
{
    std::unordered_set<const void*> referenced;
    for (const auto& item : variables) {
        if (HasSeriesMarker(item.second.get()))
            referenced.insert(item.second.get().byref);
    }
    for (const FormulaVariant& value : runValues) {
        if (HasSeriesMarker(value.get()))
            referenced.insert(value.get().byref);
    }
    size_t free = 0;
    for (Entry& entry : m_entries) {
        if (entry.inUse && referenced.count(entry.buffer) == 0)
            entry.inUse = false;
        if (!entry.inUse)
            ++free;
    }
    if (free < kReleaseThreshold)
        return;
    for (size_t i = m_entries.size(); i-- > 1;) {
        if (!m_entries[i].inUse) {
            delete[] m_entries[i].buffer;
            m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

void SeriesBufferPool::ReleaseAll()
{
    for (Entry& entry : m_entries)
        delete[] entry.buffer;
    m_entries.clear();
}

const SeriesBufferPool::Entry* SeriesBufferPool::Find(const void* data) const
{
    for (const Entry& entry : m_entries) {
        if (entry.buffer == data)
            return &entry;
    }
    return nullptr;
}

size_t SeriesBufferPool::CountFree() const
{
    size_t free = 0;
    for (const Entry& entry : m_entries)
        free += entry.inUse ? 0 : 1;
    return free;
}
