#pragma once
// Bounded little-endian reading of an untrusted file or reply: every read is
// checked against the bytes present and a short read takes nothing.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class CMemoryStream;

class ByteReader
{
public:
    ByteReader(const void* data, size_t size)
        : m_data(static_cast<const uint8_t*>(data))
        , m_size(data ? size : 0)
        , m_pos(0)
    {
    }
    explicit ByteReader(const std::string& bytes)
        : ByteReader(bytes.data(), bytes.size())
    {
    }
    // The whole stream's buffer from its start, whatever its position.
    explicit ByteReader(const CMemoryStream& stream);

    size_t Remaining() const { return m_size - m_pos; }
    size_t Position() const { return m_pos; }
    const uint8_t* Current() const { return m_data + m_pos; }

    // Copies n bytes and moves on; false (nothing read) when fewer remain.
    bool Read(void* out, size_t n)
    {
        if (n > Remaining())
            return false;
        if (n)
            std::memcpy(out, m_data + m_pos, n);
        m_pos += n;
        return true;
    }
    template <class T> bool ReadValue(T& out) { return Read(&out, sizeof(T)); }
    // Reads what is there of a value of up to sizeof(T) bytes (zero-filled
    // beyond); false when nothing at all was there.
    template <class T> bool ReadPartial(T& out)
    {
        const size_t n = Remaining() < sizeof(T) ? Remaining() : sizeof(T);
        uint8_t bytes[sizeof(T)] = {};
        std::memcpy(bytes, m_data + m_pos, n);
        m_pos += n;
        std::memcpy(&out, bytes, sizeof(T));
        return n == sizeof(T);
    }
    bool Peek(void* out, size_t n) const
    {
        if (n > Remaining())
            return false;
        std::memcpy(out, m_data + m_pos, n);
        return true;
    }
    bool Skip(size_t n)
    {
        if (n > Remaining())
            return false;
        m_pos += n;
        return true;
    }
    // Whether count records of recordSize bytes fit in what remains.
    bool Holds(int64_t count, size_t recordSize) const
    {
        return count >= 0 && static_cast<uint64_t>(count) <= Remaining() / (recordSize ? recordSize : 1);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos;
};

// Text of a fixed-size field: up to the first NUL, at most size bytes.
inline std::string FixedText(const void* field, size_t size)
{
    const char* text = static_cast<const char*>(field);
    size_t n = 0;
    while (n < size && text[n])
        ++n;
    return std::string(text, n);
}
