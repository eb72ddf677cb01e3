#pragma once
// A log that any thread appends to and a test reads or waits on: the one
// locked, waitable list behind the tests' recorders.
#include <windows.h>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

template <class T> class LockedLog
{
public:
    void Append(const T& item)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_items.push_back(item);
        }
        m_changed.notify_all();
    }
    std::vector<T> Items() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_items;
    }
    size_t Count() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_items.size();
    }
    // A copy of item i (std::out_of_range past the end).
    T At(size_t index) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_items.at(index);
    }
    // Waits until done(items) holds or timeoutMs passes; done runs under the lock.
    template <class Done> bool WaitUntil(Done done, DWORD timeoutMs) const
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return done(m_items); });
    }
    bool WaitForCount(size_t n, DWORD timeoutMs) const
    {
        return WaitUntil([n](const std::vector<T>& items) { return items.size() >= n; }, timeoutMs);
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<T> m_items;
};
