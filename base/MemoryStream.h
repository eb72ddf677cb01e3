#pragma once
// Growable in-memory byte buffer with a read/write position.
#include <windows.h>
#include <cstdint>
#include "base/HandleOwner.h"

class CMemoryStream
{
public:
    static constexpr int32_t kGrowStep = 8192;

    CMemoryStream();
    virtual ~CMemoryStream();

    // The one allocation primitive: requested is updated to the capacity
    // actually asked for. Returns the (possibly moved) buffer, or null when the
    // request was 0 or the allocation failed (then the old block is kept).
    virtual uint8_t* Grow(int32_t& requested);

    // Writes at the position; returns n, or 0 when nothing was written.
    int32_t Write(const void* data, int32_t n);
    // Bytes copied; at or past the end, size - position (0 or negative).
    int32_t Read(void* buffer, int32_t n);
    int32_t Seek(int32_t offset, int origin);
    // Grows the capacity to at least n without changing the size; never shrinks
    // below the size. Returns the capacity.
    int32_t Reserve(int32_t n);
    // Gives the memory back; size and position 0.
    void Clear();
    // Size and position 0, the memory kept for what is written next.
    void Empty();

    uint8_t* GetBuffer() const { return m_buffer; }
    int32_t GetSize() const { return m_size; }
    int32_t GetPosition() const { return m_position; }
    int32_t GetCapacity() const { return m_capacity; }
    // Bytes from the position to the end, 0 when the position is outside.
    int32_t GetRemaining() const;

    void AttachFile(HANDLE file) { m_file.Attach(file); }
    HANDLE DetachFile();

private:
    CMemoryStream(const CMemoryStream&) = delete;
    CMemoryStream& operator=(const CMemoryStream&) = delete;

    uint8_t* m_buffer;
    int32_t m_size;
    int32_t m_position;
    int32_t m_capacity;
    CKernelHandle m_file;
    HGLOBAL m_block;
};
