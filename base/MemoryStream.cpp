#include "base/MemoryStream.h"

#include <cstring>

CMemoryStream::CMemoryStream()
    : m_buffer(nullptr)
    , m_size(0)
    , m_position(0)
    , m_capacity(0)
    , m_block(nullptr)
{
}

CMemoryStream::~CMemoryStream()
{
    Clear();
}

HANDLE CMemoryStream::DetachFile()
{
    return m_file.Detach();
}

uint8_t* CMemoryStream::Grow(int32_t& requested)
{
    if (requested > 0 && requested != m_size) {
        const int64_t rounded = (static_cast<int64_t>(requested) + kGrowStep - 1) / kGrowStep * kGrowStep;
        if (rounded > INT32_MAX) {
            ::OutputDebugStringA("alloc memory error");
            return nullptr;
        }
        requested = static_cast<int32_t>(rounded);
    }
    if (requested == m_capacity)
        return m_buffer;
    if (requested <= 0) {
        requested = 0;
        if (m_block) {
            ::GlobalUnlock(m_block);
            ::GlobalFree(m_block);
        }
        m_block = nullptr;
        return nullptr;
    }
    HGLOBAL block;
    if (!m_block) {
        block = ::GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(requested));
    } else {
        ::GlobalUnlock(m_block);
        block = ::GlobalReAlloc(m_block, static_cast<SIZE_T>(requested), GMEM_MOVEABLE);
        if (!block)
            ::GlobalLock(m_block); // the old block stays ours, locked as before
    }
    void* p = block ? ::GlobalLock(block) : nullptr;
    if (!p) {
        ::OutputDebugStringA("alloc memory error");
        if (block && block != m_block)
            ::GlobalFree(block);
        return nullptr;
    }
    m_block = block;
    return static_cast<uint8_t*>(p);
}

int32_t CMemoryStream::Reserve(int32_t n)
{
    if (n < m_size)
        n = m_size;
    int32_t request = n;
    uint8_t* buffer = Grow(request);
    if (buffer || request == 0) {
        m_buffer = buffer;
        m_capacity = request;
    }
    return m_capacity;
}

int32_t CMemoryStream::Write(const void* data, int32_t n)
{
    if (m_position < 0 || n < 0)
        return 0;
    const int64_t end = static_cast<int64_t>(m_position) + n;
    if (end <= 0 || end > INT32_MAX || (!data && n))
        return 0;
    if (end > m_size) {
        if (end > m_capacity) {
            Reserve(static_cast<int32_t>(end));
            if (end > m_capacity)
                return 0;
        }
        // A write past the end must not expose stale heap bytes in the gap.
        if (m_position > m_size)
            std::memset(m_buffer + m_size, 0, static_cast<size_t>(m_position - m_size));
        m_size = static_cast<int32_t>(end);
    }
    if (n)
        std::memcpy(m_buffer + m_position, data, static_cast<size_t>(n));
    m_position = static_cast<int32_t>(end);
    return n;
}

int32_t CMemoryStream::Read(void* buffer, int32_t n)
{
    if (m_position < 0 || n < 0)
        return 0;
    if (m_position >= m_size)
        return m_size - m_position;
    int32_t count = m_size - m_position;
    if (n < count)
        count = n;
    if (count > 0 && buffer)
        std::memcpy(buffer, m_buffer + m_position, static_cast<size_t>(count));
    m_position += count;
    return count;
}

int32_t CMemoryStream::Seek(int32_t offset, int origin)
{
    switch (origin & 0xFFFF) {
    case 0:
        m_position = offset;
        break;
    case 1:
        m_position = static_cast<int32_t>(static_cast<int64_t>(m_position) + offset);
        break;
    case 2:
        m_position = static_cast<int32_t>(static_cast<int64_t>(m_size) + offset);
        break;
    default:
        break;
    }
    return m_position;
}

int32_t CMemoryStream::GetRemaining() const
{
    if (m_position < 0 || m_position >= m_size)
        return 0;
    return m_size - m_position;
}

void CMemoryStream::Clear()
{
    int32_t zero = 0;
    Grow(zero);
    m_buffer = nullptr;
    m_size = 0;
    m_position = 0;
    m_capacity = 0;
}

void CMemoryStream::Empty()
{
    m_size = 0;
    m_position = 0;
}
