#include "data/TableFile.h"

#include "base/CPFile.h"

bool TableFileWriter::SaveTo(const std::string& path) const
{
    return !path.empty() && SaveFileReplacing(path.c_str(), m_bytes.data(), m_bytes.size());
}

bool ReadTableFile(const char* path, std::string& storedPath, std::string& bytes)
{
    if (!path)
        return false;
    storedPath = path;
    return ReadWholeFile(path, bytes);
}
