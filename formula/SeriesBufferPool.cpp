#include "formula/SeriesBufferPool.h"

#include <iterator>

float* SeriesBufferPool::Acquire(size_t bytes)
{
    ++m_steps;
    auto fit = m_free.lower_bound(bytes);
    if (fit != m_free.end()) {
        // The last freed of the smallest fitting capacity: likely still in cache.
        fit = std::prev(m_free.upper_bound(fit->first));
        float* buffer = fit->second;
        Entry& entry = m_entries.at(buffer);
        if (m_spareNodes.size() == m_spareNodes.capacity())
            m_spareNodes.reserve(m_spareNodes.size() * 2 + 8);
        m_spareNodes.push_back(m_free.extract(fit));
        m_freeBytes -= entry.capacity;
        entry.inUse = true;
        entry.size = bytes;
        m_unchecked.push_back(buffer);
        return buffer;
    }
    if (bytes > static_cast<size_t>(kMaxSeriesCount) * sizeof(float))
        throw std::bad_alloc();
    // At least one element, so that every buffer has an address of its own.
    const size_t elements = bytes / sizeof(float) + (bytes % sizeof(float) != 0);
    m_unchecked.reserve(m_unchecked.size() + 1);
    float* buffer = new float[elements ? elements : 1];
    try {
        m_entries.emplace(buffer, Entry { buffer, bytes, bytes, true, 0 });
    } catch (...) {
        delete[] buffer;
        throw;
    }
    m_unchecked.push_back(buffer);
    return buffer;
}

SeriesBufferPool::Entry* SeriesBufferPool::FindEntry(const VARIANT& value)
{
    if (!HasSeriesMarker(value))
        return nullptr;
    ++m_steps;
    const auto found = m_entries.find(value.byref);
    return found == m_entries.end() ? nullptr : &found->second;
}

void SeriesBufferPool::AddReference(const VARIANT& value)
{
    if (Entry* entry = FindEntry(value))
        ++entry->references;
}

void SeriesBufferPool::DropReference(const VARIANT& value)
{
    Entry* entry = FindEntry(value);
    if (!entry || entry->references == 0)
        return;
    if (--entry->references == 0)
        m_unchecked.push_back(entry->buffer);
}

void SeriesBufferPool::SetFree(Entry& entry)
{
    if (m_spareNodes.empty()) {
        m_free.emplace(entry.capacity, entry.buffer);
    } else {
        auto node = std::move(m_spareNodes.back());
        m_spareNodes.pop_back();
        node.key() = entry.capacity;
        node.mapped() = entry.buffer;
        m_free.insert(std::move(node));
    }
    entry.inUse = false;
    m_freeBytes += entry.capacity;
}

void SeriesBufferPool::ReleaseUnreferenced()
{
    m_steps += m_unchecked.size();
    for (float* buffer : m_unchecked) {
        const auto found = m_entries.find(buffer);
        if (found != m_entries.end() && found->second.inUse && found->second.references == 0)
            SetFree(found->second);
    }
    m_unchecked.clear();
    while (m_freeBytes > kFreeBytesKept) {
        ++m_steps;
        const auto largest = std::prev(m_free.end());
        float* buffer = largest->second;
        m_freeBytes -= largest->first;
        m_free.erase(largest);
        m_entries.erase(buffer);
        delete[] buffer;
    }
}

void SeriesBufferPool::ReleaseAll()
{
    for (auto& item : m_entries)
        delete[] item.second.buffer;
    m_entries.clear();
    m_free.clear();
    m_spareNodes.clear();
    m_freeBytes = 0;
    m_unchecked.clear();
}

const SeriesBufferPool::Entry* SeriesBufferPool::Find(const void* data) const
{
    ++m_steps;
    const auto found = m_entries.find(data);
    return found == m_entries.end() ? nullptr : &found->second;
}
