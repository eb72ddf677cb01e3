#include "data/TableFile.h"

#include "base/CPFile.h"

#include <new>

bool TableFileWriter::SaveTo(const std::string& path) const
{
    return !path.empty() && SaveFileReplacing(path.c_str(), m_bytes.data(), m_bytes.size());
}

bool ReadTableFile(const char* path, std::string& storedPath, std::string& bytes, size_t maxBytes)
{
    if (!path)
        return false;
    storedPath = path;
    try {
        return ReadWholeFile(path, bytes, static_cast<long>(maxBytes));
    } catch (const std::bad_alloc&) {
        return false;
    }
}
