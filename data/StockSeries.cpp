#include "data/StockSeries.h"

#include <windows.h>

#include "base/CPFile.h"
#include "net/DataProvider.h"

void CStockSeries::BeginDelete()
{
    m_valid.store(0);
    while (m_pending.load())
        ::Sleep(50);
}

int CStockSeries::SaveWhole(const char* path, const void* data, size_t size)
{
    if (!m_dirty.load())
        return 0;
    if (path && *path)
        m_path = path;
    if (m_path.empty() || !SaveFileReplacing(m_path.c_str(), data, size))
        return 0;
    m_dirty.store(0);
    return 1;
}

int CStockSeries::SendRequest(int32_t command, int64_t from, int64_t to)
{
    const int32_t first = ClampRequestTime(from);
    const int32_t last = ClampRequestTime(to);
    m_window.known = true;
    m_window.from = first;
    m_window.to = last;
    m_pending.store(1);
    return GetDataProvider()->RequestAsync(command, m_key, static_cast<uint32_t>(first),
        static_cast<uint32_t>(last), &CBase::OnDownloadComplete, reinterpret_cast<uintptr_t>(this));
}
