#pragma once
// Building a table file in memory and writing it whole: a temporary file
// beside the target, every write checked, then the target replaced, so a
// failed save leaves the old file as it was.
#include <cstdint>
#include <string>

#include "base/PodBytes.h"

class TableFileWriter
{
public:
    template <class T> void Put(const T& value) { AppendPod(m_bytes, value); }
    void PutBytes(const void* data, size_t size) { m_bytes.append(static_cast<const char*>(data), size); }
    const std::string& Bytes() const { return m_bytes; }
    bool SaveTo(const std::string& path) const;

private:
    std::string m_bytes;
};

// Stores path as the table's path and reads the file whole, without the
// byte-order-mark check; false when there is no path, it cannot be read, or
// it is larger than maxBytes (more than its table can hold: damaged).
bool ReadTableFile(const char* path, std::string& storedPath, std::string& bytes, size_t maxBytes);

// The frame of every table save: nothing to write while clean (1); a given
// path replaces the stored one; 0 without a path or when the file cannot be
// written whole; dirty is cleared only after the file was replaced.
template <class DirtyFlag, class Build>
int SaveTableFile(const char* path, std::string& storedPath, DirtyFlag& dirty, Build build)
{
    if (!dirty)
        return 1;
    if (path)
        storedPath = path;
    if (storedPath.empty())
        return 0;
    TableFileWriter out;
    build(out);
    if (!out.SaveTo(storedPath))
        return 0;
    dirty = 0;
    return 1;
}
